// Drawing through effects: the scene and object values the engine binds reach the programs,
// and a mesh drawn through flat.fx and the lit mesh effect comes out lit, shadowed, dimmed by
// the fog of war and darkened by the terrain's baked light as its inputs say.
#include "tests/render/EffectTestSupport.h"

#include "host/GfxTexture.h"
#include "render/Camera.h"
#include "render/IndexedMesh.h"

#include <functional>
#include <map>

namespace {

// Textures the texture manager would hand out by name.
std::map<std::string, GfxBaseTexture*>* namedTextures = nullptr;
GfxBaseTexture* LookUpTexture(const char* name)
{
    auto it = namedTextures->find(name);
    return it == namedTextures->end() ? nullptr : it->second;
}

class EffectDrawTest : public EffectTest {
protected:
    void SetUp() override
    {
        EffectTest::SetUp();
        if (!device) return;
        // Squares in the vertex layout of every mesh.
        declaration = GetMeshVertexDeclaration();
        ASSERT_NE(declaration, nullptr);
        device->SetRenderState(RS_CULLMODE, CULL_NONE);
        white = SolidTexture(device, 0xFFFFFFFF);
        grid = SolidTexture(device, 0xFF102030);
        pow = SolidTexture(device, 0xFF000000);
        namedTextures = &textures;
        textures["data/textures/white.dds"] = white;
        textures["data/textures/grid.dds"] = grid;
        textures["data/textures/math/pow1d_30.dds"] = pow;
        EffectValues.getTexture = LookUpTexture;
    }
    void TearDown() override
    {
        manager.reset();
        for (GfxBaseTexture* t : owned) t->Release();
        for (GfxBaseTexture* t : {white, grid, pow})
            if (t) t->Release();
        ReleaseMeshVertexDeclaration();
        namedTextures = nullptr;
        EffectTest::TearDown();
    }

    GfxTexture* Solid(uint32_t argb)
    {
        GfxTexture* t = SolidTexture(device, argb);
        owned.push_back(t);
        return t;
    }

    // A square facing the camera over the whole screen (identity matrices), drawn with every
    // pass of the technique after binding the scene and object values; the centre pixel.
    uint32_t DrawSquare(Effect* e, EffectTechniqueHandle technique, const EffectMaterial* material)
    {
        device->Clear(0, nullptr, CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        if (!e || !e->effect || !technique) return 0;
        const MeshGpuVertex corners[4] = {
            {{-1, -1, 0.5f}, {0, 0, -1}, 0xFFFFFFFF, 0, 1, {1, 0, 0, 1}},
            {{-1, 1, 0.5f}, {0, 0, -1}, 0xFFFFFFFF, 0, 0, {1, 0, 0, 1}},
            {{1, 1, 0.5f}, {0, 0, -1}, 0xFFFFFFFF, 1, 0, {1, 0, 0, 1}},
            {{1, -1, 0.5f}, {0, 0, -1}, 0xFFFFFFFF, 1, 1, {1, 0, 0, 1}},
        };
        const MeshGpuVertex triangles[6] = {corners[0], corners[1], corners[2], corners[0], corners[2], corners[3]};
        e->SetSceneParameters(technique);
        e->SetObjectParameters(material, technique);
        e->effect->SetTechnique(technique);
        uint32_t passes = 0;
        e->effect->Begin(&passes, 0);
        for (uint32_t p = 0; p < passes; ++p) {
            e->effect->BeginPass(p);
            device->SetVertexDeclaration(declaration);
            device->DrawPrimitiveUP(PT_TRIANGLELIST, 2, triangles, sizeof(MeshGpuVertex));
            e->effect->EndPass();
        }
        e->effect->End();
        return ReadBackBuffer(device).At(kEffectTestWidth / 2, kEffectTestHeight / 2);
    }

    GfxVertexDeclaration* declaration = nullptr;
    GfxTexture* white = nullptr;
    GfxTexture* grid = nullptr;
    GfxTexture* pow = nullptr;
    std::vector<GfxTexture*> owned;
    std::map<std::string, GfxBaseTexture*> textures;
};

// Each technique shows one value as its colour.
const std::pair<const char*, const char*> PROBES[] = {
    {"ambient", "ambientColor"},
    {"generic", "genericFloat4"},
    {"mapsize", "vec4(mapSize.x / 640.0, mapSize.y / 640.0, mapSize.w / 160.0, 1.0)"},
    {"objectid", "vec4(vec3(g_objectId / 255.0), 1.0)"},
    {"shadowvalues", "vec4(gShadowValues.y / 512.0, gShadowValues.z * 128.0, gShadowValues.w, 1.0)"},
    {"flags", "vec4(g_bShadows ? 1.0 : 0.0, g_ShadowUseIDBuffers ? 1.0 : 0.0, time >= 0.0 && time < 4.0 ? 1.0 : 0.0, 1.0)"},
    {"light", "vec4(vecLightDir.xyz * 0.5 + 0.5, 1.0)"},
    {"eye", "vec4(viewPos.xyz, 1.0)"},
    {"projtexture", "matProjTexture * vec4(1.0, 1.0, 0.0, 1.0)"},
    {"lightspace", "matViewToLightProjectionSpace * vec4(0.0, 0.0, 0.0, 1.0)"},
    {"view", "vec4((matView * vec4(0.0, 0.0, 0.0, 1.0)).xyz + (matViewInverse * vec4(0.0, 0.0, 0.0, 1.0)).xyz, 1.0)"},
    {"repeat", "vec4(gTextureRepeat.x / 4.0, gTextureRepeat.y / 4.0, 0.0, 1.0)"},
    {"diffuse", "texture(diffuseTexture, uv)"},
    {"normal", "texture(normalMap, uv) + texture(blendTexture, uv)"},
    {"fog", "texture(fogofwarTexture, uv)"},
    {"alpha", "texture(terrainAlpha, uv)"},
    {"reflection", "texture(reflectionMap, uv)"},
    {"pow", "texture(powTexture, uv) + texture(shadowMap, uv)"},
    {"minimap", "texture(visibilityTexture, uv) + texture(visitedTexture, uv)"},
};

std::string ProbeEffect()
{
    std::string text = "#include \"shared.fxh\"\nVARYING vec2 uv;\n@vertex v\nvoid main()\n{\n    uv = vm_TexCoord0.xy;\n"
                       "    gl_Position = vm_ToClip(matWorldViewProjection * vec4(vm_Position.xyz, 1.0));\n}\n";
    for (const auto& p : PROBES)
        text += std::string("@fragment ") + p.first + "\nvoid main() { vm_FragColor = " + p.second + "; }\n";
    for (const auto& p : PROBES)
        text += std::string("@technique ") + p.first + "\n@pass\nvertex = v\nfragment = " + p.first + "\n";
    return text;
}

}  // namespace

TEST_F(EffectDrawTest, SceneAndObjectValuesReachThePrograms)
{
    UseShippedPackage({{"probe.fx", ProbeEffect()}});
    config->shadows = true;
    config->shadowMapSize = 256;
    manager.reset(new EffectManager(device));
    Effect* e = manager->GetEffect("probe.fx", 0, true);
    ASSERT_TRUE(manager->LoadEffect(e, "main"));
    ASSERT_FALSE(e->flags & EFFECT_COMPILE_FAILED) << EffectManager::GetLastError();

    EffectMaterial material;
    material.texture = Solid(0xFF112233);
    material.normalMap = Solid(0xFF100000);
    material.blendTexture = Solid(0xFF001000);
    material.repeatU = 2.0f;
    material.repeatV = 1.0f;
    EffectValues.ambient = Vec4(0.2f, 0.4f, 0.6f, 1.0f);
    EffectValues.genericFloat4 = Vec4(0.8f, 0.6f, 0.4f, 1.0f);
    EffectValues.mapWidth = 320.0f;
    EffectValues.mapHeight = 160.0f;
    EffectValues.objectId = 51.0f;
    EffectValues.shadowValue = 0.2f;
    EffectValues.lightDirection = Vec4(0.0f, 0.0f, 1.0f, 0.0f);
    EffectValues.fogOfWar = Solid(0xFF445566);
    EffectValues.terrainAlpha = Solid(0xFF0000FF);
    EffectValues.shadowMap = Solid(0xFF000020);
    EffectValues.visibility = Solid(0xFF200000);
    EffectValues.visited = Solid(0xFF002000);
    MatrixTranslation(&EffectValues.lightView, 0.2f, 0.4f, 0.6f);
    MatrixTranslation(&InverseViewMatrix, 0.2f, 0.4f, 0.6f);
    MatrixTranslation(&ViewMatrix, 0.1f, 0.1f, 0.1f);

    struct Case {
        const char* technique;
        std::function<void()> change;
        uint32_t expected;
    } cases[] = {
        {"ambient", nullptr, 0xFF336699},
        {"generic", nullptr, 0xFFCC9966},
        {"mapsize", nullptr, 0xFF804080},
        {"objectid", nullptr, 0xFF333333},
        {"shadowvalues", nullptr, 0xFF808033},
        {"flags", nullptr, 0xFFFF00FF},
        {"light", nullptr, 0xFF8080FF},
        {"eye", nullptr, 0xFF336699},
        {"projtexture", nullptr, 0xFFFF0080},
        {"lightspace", nullptr, 0xFF336699},
        {"view", nullptr, 0xFF4D80B3},
        {"repeat", nullptr, 0xFF804000},
        {"diffuse", nullptr, 0xFF112233},
        {"normal", nullptr, 0xFF101000},
        {"fog", nullptr, 0xFF445566},
        {"alpha", nullptr, 0xFF0000FF},
        {"reflection", nullptr, 0xFF102030},  // no reflection map: the grid
        {"pow", nullptr, 0xFF000020},
        {"minimap", nullptr, 0xFF202000},
        // A material's own alpha map wins over the terrain's; previews see neither, nor fog.
        {"alpha", [&] { material.alphaMap = Solid(0xFF00FF00); }, 0xFF00FF00},
        {"alpha", [&] { EffectValues.preview = true; }, 0xFFFFFFFF},
        {"fog", nullptr, 0xFFFFFFFF},
        {"fog", [&] { EffectValues.preview = false; EffectValues.fogOfWar = nullptr; }, 0xFFFFFFFF},
        {"reflection", [&] { EffectValues.reflectionMap = Solid(0xFF0000C0); }, 0xFF0000C0},
        {"flags", [&] { config->shadows = false; EffectValues.shadowUseIdBuffers = true; }, 0xFF00FFFF},
    };
    for (const Case& c : cases) {
        if (c.change) c.change();
        EffectTechniqueHandle technique = e->effect->GetTechniqueByName(c.technique);
        ASSERT_NE(technique, nullptr) << c.technique;
        EXPECT_TRUE(PixelNear(DrawSquare(e, technique, &material), c.expected)) << c.technique;
    }
}

TEST_F(EffectDrawTest, AMeshThroughFlatAndTheLitEffect)
{
    UseShippedPackage();
    manager.reset(new EffectManager(device));
    Effect* flat = manager->GetEffect("none", 0, true);
    Effect* lit = manager->GetEffect("data/shaders/botbuilding.fx", 0, true);
    ASSERT_TRUE(manager->LoadEffect(flat, "textured"));
    ASSERT_TRUE(manager->LoadEffect(lit, "main"));
    ASSERT_FALSE(lit->flags & EFFECT_COMPILE_FAILED) << EffectManager::GetLastError();

    // Mid grey, lit at 0.8 from the sun plus 0.1 ambient: 0.502 x 0.9.
    EffectMaterial material;
    material.texture = Solid(0xFF808080);
    EffectValues.ambient = Vec4(0.1f, 0.1f, 0.1f, 1.0f);
    EffectValues.lightDirection = Vec4(0.0f, -0.6f, 0.8f, 0.0f);
    const uint32_t litGrey = 0xFF737373;
    EXPECT_TRUE(PixelNear(DrawSquare(flat, flat->mainTechnique, &material), litGrey));
    EXPECT_TRUE(PixelNear(DrawSquare(lit, lit->mainTechnique, &material), litGrey));

    // The shadow pass writes depth (0.5 here) from both.
    EXPECT_TRUE(PixelNear(DrawSquare(flat, flat->zpassTechnique, &material), 0xFF808080));
    EXPECT_TRUE(PixelNear(DrawSquare(lit, lit->zpassTechnique, &material), 0xFF808080));
    // The glow pass hides the glow behind it.
    EXPECT_TRUE(PixelNear(DrawSquare(lit, lit->glowTechnique, &material), 0xFF000000));

    struct Case {
        const char* what;
        std::function<void()> change;
        uint32_t expected;
    } cases[] = {
        {"fog of war seen before", [&] { EffectValues.fogOfWar = Solid(0xFF808080); }, 0xFF3A3A3A},
        {"in the hills' shadow", [&] { EffectValues.terrainAlpha = Solid(0x00FFFFFF); }, 0xFF070707},
        {"a model preview", [&] { EffectValues.preview = true; }, litGrey},
        {"shadow map, nothing in front",
         [&] {
             EffectValues.preview = false;
             EffectValues.fogOfWar = nullptr;
             EffectValues.terrainAlpha = nullptr;
             config->shadows = true;
             config->shadowType = 0;
             manager->ReloadAll(false);
             EffectValues.shadowMap = Solid(0xFFFFFFFF);
         },
         litGrey},
        // Shadowed: the sun's share drops to the environment's shadow value.
        {"shadow map, something in front", [&] { EffectValues.shadowMap = Solid(0xFF000000); }, 0xFF212121},
        {"filtered shadows",
         [&] {
             config->filterShadows = true;
             manager->ReloadAll(false);
         },
         0xFF212121},
        {"shadows off again",
         [&] {
             config->shadows = false;
             manager->ReloadAll(false);
         },
         litGrey},
    };
    for (const Case& c : cases) {
        c.change();
        EXPECT_TRUE(PixelNear(DrawSquare(lit, lit->mainTechnique, &material), c.expected)) << c.what;
    }
}

TEST_F(EffectDrawTest, PostEffectsCopyTheSceneAndAddTheGlow)
{
    UseShippedPackage();
    manager.reset(new EffectManager(device));
    Effect* colour = manager->GetEffect("data/Shaders/post_color.fx", 0, true);
    Effect* glow = manager->GetEffect("Data/Shaders/post_glow.fx", 0, true);
    ASSERT_TRUE(manager->LoadEffect(colour, "none"));
    ASSERT_TRUE(manager->LoadEffect(glow, "none"));
    GfxTexture* scene = Solid(0xFF204060);
    GfxTexture* glowTarget = Solid(0xFF404040);

    const float w = (float)kEffectTestWidth - 0.5f, h = (float)kEffectTestHeight - 0.5f;
    const ScreenVertex quad[4] = {
        {-0.5f, -0.5f, 0, 1, 0xFFFFFFFF, 0, 0}, {w, -0.5f, 0, 1, 0xFFFFFFFF, 1, 0},
        {w, h, 0, 1, 0xFFFFFFFF, 1, 1},         {-0.5f, h, 0, 1, 0xFFFFFFFF, 0, 1},
    };
    auto drawQuad = [&](Effect* e, GfxTexture* source) {
        e->effect->SetTechnique(e->mainTechnique);
        e->SetSceneParameters(e->mainTechnique);
        e->effect->SetTexture(e->effect->GetParameterByName("sourceColor"), source);
        uint32_t passes = 0;
        e->effect->Begin(&passes, 0);
        for (uint32_t p = 0; p < passes; ++p) {
            e->effect->BeginPass(p);
            device->SetFVF(kScreenFVF);
            device->DrawPrimitiveUP(PT_TRIANGLEFAN, 2, quad, sizeof(ScreenVertex));
            e->effect->EndPass();
        }
        e->effect->End();
    };

    device->SetRenderState(RS_ZENABLE, 0);
    drawQuad(colour, scene);
    EXPECT_TRUE(PixelNear(ReadBackBuffer(device).At(0, 0), 0xFF204060));
    EXPECT_TRUE(PixelNear(ReadBackBuffer(device).At(kEffectTestWidth - 1, kEffectTestHeight - 1), 0xFF204060));

    // The glow adds its blur (of an even glow: the glow itself) at 1.5 times its strength.
    device->SetRenderState(RS_ALPHABLENDENABLE, 1);
    device->SetRenderState(RS_SRCBLEND, BLEND_SRCALPHA);
    device->SetRenderState(RS_DESTBLEND, BLEND_ONE);
    EffectValues.genericFloat4 = Vec4(1.5f, 1.0f / 256.0f, 0.0f, 0.0f);
    ASSERT_TRUE(glow->effect->IsParameterUsed(glow->params.genericFloat4, glow->mainTechnique));
    glow->effect->SetVector(glow->params.genericFloat4, EffectValues.genericFloat4);
    drawQuad(glow, glowTarget);
    EXPECT_TRUE(PixelNear(ReadBackBuffer(device).At(16, 16), 0xFF80A0C0));

    device->SetRenderState(RS_ALPHABLENDENABLE, 0);
    device->SetRenderState(RS_ZENABLE, 1);
}
