#pragma once
// Effect: one effect file (and variant) as the effect manager keeps it: the compiled effect,
// its three techniques and the parameters the engine binds by fixed names and semantics.
//
// Binding: SetSceneParameters once per effect and pass, SetObjectParameters per drawn object.
// The values come from the current global matrices (render/Camera.h) and from EffectValues
// below, which the rest of the game keeps up to date.
#include "host/EffectObject.h"
#include "host/Maths.h"

#include <cstdint>

class EffectManager;
class GfxBaseTexture;

typedef const EffectObject::Parameter* EffectParameterHandle;
typedef const EffectObject::Technique* EffectTechniqueHandle;

// What the game hands the effects besides the matrices. Each value has one writer: the render
// passes (shadow and reflection maps, light matrices, ID-buffer flag, light direction,
// ambient colour, object id, generic vector), the environments (shadow value), the minimap
// (fog-of-war, visibility and visited targets), the terrain (alpha map, map size) and the
// model previews (preview flag).
struct EffectBindingValues {
    GfxBaseTexture* shadowMap = nullptr;
    bool shadowUseIdBuffers = false;
    GfxBaseTexture* reflectionMap = nullptr;  // null while reflections are off
    Matrix lightView = Matrix(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    Matrix lightProjection = Matrix(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    Vec4 lightDirection = Vec4(0.6154575f, -0.6154575f, -0.4923660f, 0.0f);  // the way the light travels
    Vec4 ambient = Vec4(0.35f, 0.35f, 0.35f, 1.0f);
    float objectId = 0.0f;
    Vec4 genericFloat4;
    float shadowValue = 0.2f;  // the current environment's, 0.2 without one
    GfxBaseTexture* fogOfWar = nullptr;
    GfxBaseTexture* visibility = nullptr;
    GfxBaseTexture* visited = nullptr;
    GfxBaseTexture* terrainAlpha = nullptr;
    float mapWidth = 320.0f;
    float mapHeight = 320.0f;
    bool preview = false;  // a model preview draws: no terrain alpha, no fog of war
    // Textures by name (the texture manager's lookup, which keeps them); without it the named
    // fallbacks ("data/textures/white.dds" and the like) are not bound.
    GfxBaseTexture* (*getTexture)(const char* name) = nullptr;
};
extern EffectBindingValues EffectValues;
// What a level's drawing sets (the light, its shadow matrices and shade, the ambient colour, the
// object id, the ground's alpha map and size, the generic vector) back to what it is before any
// level is drawn: it must not light the screens drawn after the level. The targets' textures
// (shadow, reflection, fog of war) stay: their owners keep them from one level to the next and
// clear them when the textures go. The texture lookup stays too.
void ForgetLevelEffectValues();

// The textures and texture repeat of what is drawn (a mesh's sub-mesh); null textures are
// left as the effect holds them.
struct EffectMaterial {
    GfxBaseTexture* texture = nullptr;
    GfxBaseTexture* cubeMap = nullptr;
    GfxBaseTexture* normalMap = nullptr;
    GfxBaseTexture* specularMap = nullptr;
    GfxBaseTexture* blendTexture = nullptr;
    GfxBaseTexture* blendNormalMap = nullptr;
    GfxBaseTexture* alphaMap = nullptr;
    float repeatU = 1.0f;
    float repeatV = 1.0f;
};

// The parameters the engine binds, looked up after every load.
struct EffectParameterBlock {
    EffectParameterHandle worldViewProjection = nullptr;
    EffectParameterHandle world = nullptr;
    EffectParameterHandle worldInverseTranspose = nullptr;
    EffectParameterHandle viewInverse = nullptr;
    EffectParameterHandle view = nullptr;
    EffectParameterHandle worldView = nullptr;
    EffectParameterHandle worldInverse = nullptr;  // looked up, bound by nobody
    EffectParameterHandle viewPos = nullptr;
    EffectParameterHandle shadowMap = nullptr;
    EffectParameterHandle matViewToLightProjectionSpace = nullptr;
    EffectParameterHandle gShadowValues = nullptr;
    EffectParameterHandle reflectionMap = nullptr;
    EffectParameterHandle matProjTexture = nullptr;
    EffectParameterHandle vecLightDir = nullptr;
    EffectParameterHandle time = nullptr;
    EffectParameterHandle diffuseTexture = nullptr;
    EffectParameterHandle environment = nullptr;
    EffectParameterHandle normalMap = nullptr;
    EffectParameterHandle specularMap = nullptr;
    EffectParameterHandle blendTexture = nullptr;
    EffectParameterHandle blendNormalmap = nullptr;
    EffectParameterHandle terrainAlpha = nullptr;
    EffectParameterHandle powTexture = nullptr;
    EffectParameterHandle ambient = nullptr;
    EffectParameterHandle gTextureRepeat = nullptr;
    EffectParameterHandle g_bShadows = nullptr;
    EffectParameterHandle g_ShadowUseIDBuffers = nullptr;
    EffectParameterHandle g_objectId = nullptr;
    EffectParameterHandle visibilityTexture = nullptr;
    EffectParameterHandle visitedTexture = nullptr;
    EffectParameterHandle fogofwarTexture = nullptr;
    EffectParameterHandle mapSize = nullptr;
    EffectParameterHandle genericFloat4 = nullptr;
};

// Effect::flags
constexpr uint32_t EFFECT_LOADED = 0x1;
constexpr uint32_t EFFECT_COMPILE_FAILED = 0x2;  // its own file did not compile

class Effect {
public:
    Effect(EffectManager* owner, const char* fileName, const char* filePath, int listIndex);
    ~Effect();
    Effect(const Effect&) = delete;
    Effect& operator=(const Effect&) = delete;

    // Compiles the file again with the current macros (after the graphics options changed, or
    // from the console), keeping the stored label. A record whose file and fallback both
    // failed tries again too.
    void Reload();

    void SetSceneParameters(EffectTechniqueHandle technique);
    void SetObjectParameters(const EffectMaterial* material, EffectTechniqueHandle technique);

    // Techniques and parameters of the compiled effect, or none.
    void LookUpHandles();
    void ClearHandles();

    bool IsLoaded() const { return (flags & EFFECT_LOADED) != 0; }

    char name[128];   // file name without folder
    char path[128];   // "data/shaders/" + name
    char label[64];   // "main", or "none" for the full-screen effects
    EffectObject* effect = nullptr;
    EffectTechniqueHandle mainTechnique = nullptr;
    EffectTechniqueHandle zpassTechnique = nullptr;
    EffectTechniqueHandle glowTechnique = nullptr;
    // It has a "glow" technique of its own: what it draws lights the glow target (a "noglow"
    // technique only covers what glows behind it).
    bool glows = false;
    uint32_t flags = 0;
    int index = -1;
    EffectParameterBlock params;
    EffectManager* manager;
};
