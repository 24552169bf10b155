// The effect record: handles and the binding of scene and object values.
#include "render/Effect.h"

#include "host/System.h"
#include "platform/ConfigFile.h"
#include "platform/Timer.h"
#include "render/Camera.h"
#include "render/EffectManager.h"

#include <cmath>

EffectBindingValues EffectValues;

void ForgetLevelEffectValues()
{
    EffectBindingValues none;
    none.shadowMap = EffectValues.shadowMap;
    none.shadowUseIdBuffers = EffectValues.shadowUseIdBuffers;
    none.reflectionMap = EffectValues.reflectionMap;
    none.fogOfWar = EffectValues.fogOfWar;
    none.visibility = EffectValues.visibility;
    none.visited = EffectValues.visited;
    none.getTexture = EffectValues.getTexture;
    EffectValues = none;
}

namespace {

GfxBaseTexture* NamedTexture(const char* name)
{
    return EffectValues.getTexture ? EffectValues.getTexture(name) : nullptr;
}

}  // namespace

Effect::Effect(EffectManager* owner, const char* fileName, const char* filePath, int listIndex)
    : index(listIndex), manager(owner)
{
    CopyText(name, sizeof name, fileName ? fileName : "flat.fx");
    CopyText(path, sizeof path, filePath ? filePath : "Data/shaders/flat.fx");
    CopyText(label, sizeof label, "main");
}

Effect::~Effect() { delete effect; }

void Effect::ClearHandles()
{
    mainTechnique = zpassTechnique = glowTechnique = nullptr;
    glows = false;
    params = EffectParameterBlock();
}

void Effect::LookUpHandles()
{
    ClearHandles();
    if (!effect) return;
    mainTechnique = effect->GetTechniqueByName("main");
    if (!mainTechnique) mainTechnique = effect->FindNextValidTechnique(nullptr);
    glowTechnique = effect->GetTechniqueByName("glow");
    glows = glowTechnique != nullptr;
    if (!glowTechnique) glowTechnique = effect->GetTechniqueByName("noglow");
    zpassTechnique = effect->GetTechniqueByName("zpass");

    EffectParameterBlock& p = params;
    p.worldViewProjection = effect->GetParameterBySemantic("WorldViewProjection");
    p.world = effect->GetParameterBySemantic("World");
    p.worldInverseTranspose = effect->GetParameterBySemantic("WorldInverseTranspose");
    p.viewInverse = effect->GetParameterBySemantic("ViewInverse");
    p.view = effect->GetParameterBySemantic("View");
    p.worldView = effect->GetParameterBySemantic("WorldView");
    p.worldInverse = effect->GetParameterBySemantic("WorldInverse");
    p.viewPos = effect->GetParameterByName("viewPos");
    p.shadowMap = effect->GetParameterByName("shadowMap");
    p.matViewToLightProjectionSpace = effect->GetParameterByName("matViewToLightProjectionSpace");
    p.gShadowValues = effect->GetParameterByName("gShadowValues");
    p.reflectionMap = effect->GetParameterByName("reflectionMap");
    p.matProjTexture = effect->GetParameterByName("matProjTexture");
    p.vecLightDir = effect->GetParameterByName("vecLightDir");
    p.time = effect->GetParameterByName("time");
    p.diffuseTexture = effect->GetParameterByName("diffuseTexture");
    p.environment = effect->GetParameterBySemantic("ENVIRONMENT");
    p.normalMap = effect->GetParameterByName("normalMap");
    p.specularMap = effect->GetParameterByName("specularMap");
    p.blendTexture = effect->GetParameterByName("blendTexture");
    p.blendNormalmap = effect->GetParameterByName("blendNormalmap");
    p.terrainAlpha = effect->GetParameterByName("terrainAlpha");
    p.powTexture = effect->GetParameterByName("powTexture");
    p.ambient = effect->GetParameterBySemantic("Ambient");
    p.gTextureRepeat = effect->GetParameterByName("gTextureRepeat");
    p.g_bShadows = effect->GetParameterByName("g_bShadows");
    p.g_ShadowUseIDBuffers = effect->GetParameterByName("g_ShadowUseIDBuffers");
    p.g_objectId = effect->GetParameterByName("g_objectId");
    p.visibilityTexture = effect->GetParameterByName("visibilityTexture");
    p.visitedTexture = effect->GetParameterByName("visitedTexture");
    p.fogofwarTexture = effect->GetParameterByName("fogofwarTexture");
    p.mapSize = effect->GetParameterByName("mapSize");
    p.genericFloat4 = effect->GetParameterByName("genericFloat4");
}

void Effect::Reload()
{
    // A record that never compiled, not even its fallback, gets another chance here: the
    // file may have been mended since.
    if (!effect && !(flags & EFFECT_COMPILE_FAILED)) return;
    delete effect;
    effect = nullptr;
    flags &= ~EFFECT_LOADED;
    ClearHandles();
    if (manager) manager->LoadEffect(this, label);
}

void Effect::SetSceneParameters(EffectTechniqueHandle technique)
{
    if (!effect) return;
    EffectObject* fx = effect;
    const EffectParameterBlock& p = params;
    auto used = [&](EffectParameterHandle h) { return h && fx->IsParameterUsed(h, technique); };

    if (p.viewInverse) fx->SetMatrix(p.viewInverse, InverseViewMatrix);
    if (p.view) fx->SetMatrix(p.view, ViewMatrix);
    if (p.viewPos) {
        // The eye: the translation of the inverse view.
        Vec4 eye(InverseViewMatrix._41, InverseViewMatrix._42, InverseViewMatrix._43, 1.0f);
        fx->SetVector(p.viewPos, eye);
    }
    if (used(p.shadowMap)) fx->SetTexture(p.shadowMap, EffectValues.shadowMap);
    if (used(p.g_bShadows)) fx->SetBool(p.g_bShadows, Config && Config->shadows);
    if (used(p.g_ShadowUseIDBuffers)) fx->SetBool(p.g_ShadowUseIDBuffers, EffectValues.shadowUseIdBuffers);
    if (used(p.gShadowValues)) {
        float size = Config ? (float)Config->shadowMapSize : 1024.0f;
        if (size <= 0.0f) size = 1024.0f;
        fx->SetVector(p.gShadowValues, Vec4(0.0005f, size, 1.0f / size, EffectValues.shadowValue));
    }
    if (used(p.reflectionMap))
        fx->SetTexture(p.reflectionMap,
                       EffectValues.reflectionMap ? EffectValues.reflectionMap : NamedTexture("data/textures/grid.dds"));
    if (p.matProjTexture) {
        Matrix m;
        m._11 = 0.5f;
        m._22 = -0.5f;
        m._33 = 0.5f;
        m._41 = m._42 = m._43 = 0.5f;
        m._44 = 1.0f;
        fx->SetMatrix(p.matProjTexture, m);
    }
    if (used(p.time)) fx->SetFloat(p.time, (float)std::fmod(FrameTimer.GetTime() * 0.02, 4.0));
    if (used(p.fogofwarTexture))
        fx->SetTexture(p.fogofwarTexture, EffectValues.fogOfWar && !EffectValues.preview
                                              ? EffectValues.fogOfWar
                                              : NamedTexture("data/textures/white.dds"));
    if (used(p.mapSize)) {
        float w = EffectValues.mapWidth, h = EffectValues.mapHeight;
        fx->SetVector(p.mapSize, Vec4(w, w / 2.0f, h, h / 2.0f));
    }
}

void Effect::SetObjectParameters(const EffectMaterial* material, EffectTechniqueHandle technique)
{
    if (!effect) return;
    EffectObject* fx = effect;
    const EffectParameterBlock& p = params;
    auto used = [&](EffectParameterHandle h) { return h && fx->IsParameterUsed(h, technique); };

    Matrix worldView, all;
    MatrixMultiply(&worldView, &WorldMatrix, &ViewMatrix);
    MatrixMultiply(&all, &worldView, &ProjectionMatrix);
    if (p.world) fx->SetMatrix(p.world, WorldMatrix);
    if (p.worldViewProjection) fx->SetMatrix(p.worldViewProjection, all);
    if (p.worldInverseTranspose) {
        Matrix inverse, transposed;
        if (!MatrixInverse(&inverse, nullptr, &WorldMatrix)) MatrixIdentity(&inverse);
        MatrixTranspose(&transposed, &inverse);
        fx->SetMatrix(p.worldInverseTranspose, transposed);
    }
    if (p.worldView) fx->SetMatrix(p.worldView, worldView);
    if (used(p.matViewToLightProjectionSpace)) {
        Matrix a, b;
        MatrixMultiply(&a, &WorldMatrix, &EffectValues.lightView);
        MatrixMultiply(&b, &a, &EffectValues.lightProjection);
        fx->SetMatrix(p.matViewToLightProjectionSpace, b);
    }
    if (material) {
        struct {
            EffectParameterHandle handle;
            GfxBaseTexture* texture;
        } textures[] = {
            {p.diffuseTexture, material->texture},      {p.environment, material->cubeMap},
            {p.normalMap, material->normalMap},         {p.specularMap, material->specularMap},
            {p.blendTexture, material->blendTexture},   {p.blendNormalmap, material->blendNormalMap},
        };
        for (const auto& t : textures)
            if (t.texture && used(t.handle)) fx->SetTexture(t.handle, t.texture);
    }
    if (used(p.vecLightDir)) fx->SetVector(p.vecLightDir, EffectValues.lightDirection);
    if (used(p.powTexture)) {
        // The texture manager keeps it; holding it here would keep it alive through a reset.
        if (GfxBaseTexture* pow = NamedTexture("data/textures/math/pow1d_30.dds")) fx->SetTexture(p.powTexture, pow);
    }
    if (used(p.ambient)) fx->SetVector(p.ambient, EffectValues.ambient);
    if (used(p.terrainAlpha)) {
        GfxBaseTexture* alpha = nullptr;
        if (!EffectValues.preview) alpha = material && material->alphaMap ? material->alphaMap : EffectValues.terrainAlpha;
        fx->SetTexture(p.terrainAlpha, alpha ? alpha : NamedTexture("data/textures/white.dds"));
    }
    if (material && used(p.gTextureRepeat)) {
        float repeat[2] = {material->repeatU, material->repeatV};
        fx->SetFloatArray(p.gTextureRepeat, repeat, 2);
    }
    if (used(p.g_objectId)) fx->SetFloat(p.g_objectId, EffectValues.objectId);
    if (used(p.visibilityTexture)) fx->SetTexture(p.visibilityTexture, EffectValues.visibility);
    if (used(p.visitedTexture)) fx->SetTexture(p.visitedTexture, EffectValues.visited);
    if (used(p.genericFloat4)) fx->SetVector(p.genericFloat4, EffectValues.genericFloat4);
}
