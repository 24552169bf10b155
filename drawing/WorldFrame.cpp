// The in-game frame: the shadow map from the light, the water's reflection (when something
// reads it), the lit scene into the scene target, what glows into the glow target (only in a
// frame whose scene drew something that glows), the glow blurred at its own size, then the
// two full-screen passes (the scene copied, the blurred glow added with one filtered tap), the
// GUI and the frame graph.
#include "drawing/WorldFrame.h"

#include "drawing/TerrainDrawing.h"

#include "host/GfxDevice.h"
#include "host/GfxTexture.h"
#include "host/Log.h"
#include "host/System.h"
#include "mechanics/Scene.h"
#include "world/Entity.h"
#include "platform/ConfigFile.h"
#include "platform/MathUtil.h"
#include "render/Camera.h"
#include "render/Effect.h"
#include "render/EffectManager.h"
#include "platform/Timer.h"
#include "render/Draw2D.h"
#include "render/GraphicsDevice.h"
#include "render/IndexedMesh.h"
#include "render/RenderStateCache.h"
#include "render/TextureManager.h"
#include "render/ViewFrustum.h"
#include "terrain/Environment.h"
#include "terrain/Minimap.h"
#include "terrain/Skybox.h"
#include "terrain/Terrain.h"
#include "terrain/Water.h"

#include <algorithm>
#include <cmath>

GameRenderTargets RenderTargets;

namespace {

constexpr const char* SCENE_TARGET = "RT_renderTarget";
constexpr const char* GLOW_TARGET = "RT_glow";
constexpr const char* GLOW_BLUR_TARGET = "RT_glowBlur";
constexpr const char* COLOUR_EFFECT = "data/Shaders/post_color.fx";
constexpr const char* GLOW_EFFECT = "Data/Shaders/post_glow.fx";
constexpr float GLOW_STRENGTH = 1.5f;

struct QuadVertex {
    float x, y, z, rhw;
    uint32_t colour;
    float u, v;
};

// The frame's own objects go at a device loss; the next frame that needs one makes it again.
void ReleaseShadowMapStep(void*)
{
    SafeRelease(&RenderTargets.shadowMap);
    EffectValues.shadowMap = nullptr;
}
void ReleaseShadowDepthStep(void*)
{
    SafeRelease(&RenderTargets.shadowDepth);
}
void ReleaseGlowDepthStep(void*)
{
    SafeRelease(&RenderTargets.glowDepth);
}
void ReleaseReflectionStep(void*)
{
    SafeRelease(&RenderTargets.reflectionMap);
    SafeRelease(&RenderTargets.reflectionDepth);
    EffectValues.reflectionMap = nullptr;
}

// Listed again by every frame: cheap, and a list emptied meanwhile (a device made anew) gets
// the steps back.
void ListReleaseSteps()
{
    SetDeviceReleaseStep(RELEASE_SHADOW_MAP, ReleaseShadowMapStep);
    SetDeviceReleaseStep(RELEASE_SHADOW_DEPTH_SURFACE, ReleaseShadowDepthStep);
    SetDeviceReleaseStep(RELEASE_TARGET_DEPTH_SURFACE, ReleaseGlowDepthStep);
    SetDeviceReleaseStep(RELEASE_REFLECTION_MAP, ReleaseReflectionStep);
}

GfxDevice* Device()
{
    return Graphics ? Graphics->device : nullptr;
}

GfxSurface* LevelOf(GfxBaseTexture* texture)
{
    GfxSurface* surface = nullptr;
    if (!texture || GfxFailed(static_cast<GfxTexture*>(texture)->GetSurfaceLevel(0, &surface))) return nullptr;
    return surface;
}

// Binds level 0 of a texture as render target 0; false when it has none.
bool BindTarget(GfxBaseTexture* texture)
{
    GfxSurface* surface = LevelOf(texture);
    if (!surface) return false;
    Device()->SetRenderTarget(0, surface);
    surface->Release();
    return true;
}

void ClearAll(uint32_t argb)
{
    Device()->Clear(0, nullptr, CLEAR_TARGET | CLEAR_ZBUFFER | CLEAR_STENCIL, argb, 1.0f, 0);
}

uint32_t ColourByte(float value)
{
    if (value >= 1.0f) return 255;
    if (value <= 0.0f) return 0;
    return (uint32_t)(value * 255.0f + 0.5f);
}

uint32_t FogColourArgb()
{
    Vec4 fog = Environment::GetFogColour();
    return ColourByte(fog.w) << 24 | ColourByte(fog.x) << 16 | ColourByte(fog.y) << 8 | ColourByte(fog.z);
}

void ReportShadowFailure(const char* text, GfxResult result)
{
    if (Config && Config->messageBoxErrors) ShowMessageBox("ERROR", text);
    char name[64];
    D3DErrorName(result, name, sizeof name);
    Log("    ERROR: %s \n%s\n\n", text, name);
}

Effect* FetchPostEffect(const char* name)
{
    if (!TheEffectManager) return nullptr;
    Effect* effect = TheEffectManager->GetEffect(name);
    if (!effect || !TheEffectManager->LoadEffect(effect, "none")) return nullptr;
    return effect;
}

// A quad over the whole of the bound target, w x h pixels. Without draw, only the states a
// drawing leaves behind.
void DrawTargetQuad(float w, float h, bool draw = true)
{
    QuadVertex quad[4] = {
        {-0.5f, -0.5f, 0.0f, 1.0f, 0xFFFFFFFF, 0.0f, 0.0f},
        {w - 0.5f, -0.5f, 0.0f, 1.0f, 0xFFFFFFFF, 1.0f, 0.0f},
        {w - 0.5f, h - 0.5f, 0.0f, 1.0f, 0xFFFFFFFF, 1.0f, 1.0f},
        {-0.5f, h - 0.5f, 0.0f, 1.0f, 0xFFFFFFFF, 0.0f, 1.0f},
    };
    Graphics->SetFVF(FVF_XYZRHW | FVF_DIFFUSE | FVF_TEX1);
    if (draw)
        Device()->DrawPrimitiveUP(PT_TRIANGLEFAN, 2, quad, sizeof(QuadVertex));
    else
        Device()->SetStreamSource(0, nullptr, 0, 0);
}

// One pass of a post effect's technique over the whole of the bound target (w x h), reading
// source. Without draw it sets up and leaves the states as the pass would, drawing nothing.
void RunPostTechnique(Effect* effect, EffectTechniqueHandle technique, GfxBaseTexture* source, uint32_t filter,
                      int w, int h, bool draw = true)
{
    EffectObject* fx = effect ? effect->effect : nullptr;
    if (!fx || !technique) return;
    fx->SetTechnique(technique);
    uint32_t passes = 0;
    if (!fx->Begin(&passes, 0)) return;
    effect->SetSceneParameters(technique);
    fx->SetTexture(fx->GetParameterByName("sourceColor"), source);
    for (uint32_t p = 0; p < passes; ++p) {
        if (!fx->BeginPass(p)) continue;
        RenderStates.SetSamplerState(0, SAMP_MAGFILTER, filter);
        RenderStates.SetSamplerState(0, SAMP_MINFILTER, filter);
        RenderStates.SetSamplerState(0, SAMP_MIPFILTER, filter == TEXF_POINT ? TEXF_NONE : filter);
        DrawTargetQuad((float)w, (float)h, draw);
        fx->EndPass();
    }
    fx->End();
}

// A full-screen pass of a post effect's main technique.
void RunPostEffect(Effect* effect, GfxBaseTexture* source, uint32_t filter, bool draw = true)
{
    if (effect) RunPostTechnique(effect, effect->mainTechnique, source, filter, ScreenWidth(), ScreenHeight(), draw);
}

// The scene target onto the back buffer, pixel for pixel; false when the device cannot blit it.
bool CopySceneTarget(GfxBaseTexture* scene, GfxSurface* backBuffer)
{
    GfxSurface* source = LevelOf(scene);
    if (!source) return false;
    bool copied = backBuffer && source->GetWidth() == backBuffer->GetWidth() &&
                  source->GetHeight() == backBuffer->GetHeight() &&
                  GfxSucceeded(Device()->StretchRect(source, nullptr, backBuffer, nullptr, TEXF_POINT));
    source->Release();
    return copied;
}

// The view volume of a view and projection, for culling in passes that do not look through
// the camera.
void FrustumFrom(const Matrix& view, const Matrix& projection, ViewFrustum* out)
{
    Matrix m;
    MatrixMultiply(&m, &view, &projection);
    auto column = [&](int c) { return Plane(m.m[0][c], m.m[1][c], m.m[2][c], m.m[3][c]); };
    auto combine = [](const Plane& a, const Plane& b, float sign) {
        return Plane(-(a.a + sign * b.a), -(a.b + sign * b.b), -(a.c + sign * b.c), -(a.d + sign * b.d));
    };
    Plane c1 = column(0), c2 = column(1), c3 = column(2), c4 = column(3);
    out->planes[0] = combine(c4, c1, 1.0f);
    out->planes[1] = combine(c4, c1, -1.0f);
    out->planes[2] = combine(c4, c2, -1.0f);
    out->planes[3] = combine(c4, c2, 1.0f);
    out->planes[4] = combine(c4, c3, 0.0f);
    out->planes[5] = combine(c4, c3, -1.0f);
    for (Plane& p : out->planes) PlaneNormalize(&p, &p);
}

// A developer's look at one of the frame's targets: a quad in the right quarter of the screen,
// between two heights.
void DrawDebugView(GfxBaseTexture* texture, int top, int bottom)
{
    if (!texture) return;
    const float w = (float)ScreenWidth(), left = (float)(ScreenWidth() - (int)(ScreenWidth() * 0.25f));
    const float y0 = (float)top, y1 = (float)bottom;
    QuadVertex quad[4] = {
        {left - 0.5f, y0 - 0.5f, 0.0f, 1.0f, 0xFFFFFFFF, 0.0f, 0.0f},
        {w - 0.5f, y0 - 0.5f, 0.0f, 1.0f, 0xFFFFFFFF, 1.0f, 0.0f},
        {w - 0.5f, y1 - 0.5f, 0.0f, 1.0f, 0xFFFFFFFF, 1.0f, 1.0f},
        {left - 0.5f, y1 - 0.5f, 0.0f, 1.0f, 0xFFFFFFFF, 0.0f, 1.0f},
    };
    RenderStates.SetRenderState(RS_ALPHABLENDENABLE, 0);
    Device()->SetTexture(0, texture);
    Graphics->SetFVF(FVF_XYZRHW | FVF_DIFFUSE | FVF_TEX1);
    Device()->DrawPrimitiveUP(PT_TRIANGLEFAN, 2, quad, sizeof(QuadVertex));
    Device()->SetTexture(0, nullptr);
}

// The reflection and shadow maps in the upper two thirds, the glow target in the lowest.
void DrawDebugViews(GfxBaseTexture* glow)
{
    const int third = (int)(ScreenHeight() / 3.0f);
    if (DebugDrawShadowBuffer) {
        DrawDebugView(RenderTargets.reflectionMap, 0, third);
        DrawDebugView(RenderTargets.shadowMap, third, 2 * third);
    }
    if (DebugDrawGlowBuffer) DrawDebugView(glow, 2 * third, 2 * third + third);
}

// What an effect can read in one of the techniques the meshes draw with.
bool EffectReads(const Effect* effect, EffectParameterHandle parameter)
{
    const EffectObject* fx = effect ? effect->effect : nullptr;
    if (!fx || !parameter) return false;
    for (EffectTechniqueHandle technique : {effect->mainTechnique, effect->glowTechnique, effect->zpassTechnique})
        if (technique && fx->IsParameterUsed(parameter, technique)) return true;
    return false;
}

// The ground is whole when no terrain hole has taken triangles out of it: two a cell in every
// chunk. Holes are drawn (blended, over what lies behind them) before the ground.
bool GroundIsWhole(Vec3* groundMin, Vec3* groundMax)
{
    if (!TheTerrain.created || TheTerrain.chunks.empty()) return false;
    for (auto* node = TheScene.terrainObjects.head; node; node = node->next)
        if (node->value && (node->value->flags & ENTITY_DRAWN_LAST)) return false;
    bool first = true;
    for (const auto& chunk : TheTerrain.chunks) {
        const IndexedMesh* mesh = chunk ? chunk->groundMesh.get() : nullptr;
        if (!mesh) return false;
        int triangles = 0;
        for (const SubMesh& sub : mesh->subMeshes) triangles += sub.triangleCount;
        if (triangles != 2 * (chunk->x1 - chunk->x0) * (chunk->z1 - chunk->z0)) return false;
        *groundMin = first ? mesh->boundsMin : Vec3(std::min(groundMin->x, mesh->boundsMin.x),
                                                     std::min(groundMin->y, mesh->boundsMin.y),
                                                     std::min(groundMin->z, mesh->boundsMin.z));
        *groundMax = first ? mesh->boundsMax : Vec3(std::max(groundMax->x, mesh->boundsMax.x),
                                                     std::max(groundMax->y, mesh->boundsMax.y),
                                                     std::max(groundMax->z, mesh->boundsMax.z));
        first = false;
    }
    return true;
}

bool AnyWaterInView()
{
    WaterSet* water = TheTerrain.waterSet;
    return water && water->count > 0 && water->AnyVisible();
}

}  // namespace

bool GroundFillsView(const Matrix& view, const Matrix& projection, const Vec3& groundMin, const Vec3& groundMax)
{
    Matrix viewProjection, inverse;
    MatrixMultiply(&viewProjection, &view, &projection);
    if (!MatrixInverse(&inverse, nullptr, &viewProjection)) return false;
    // A little inside the rectangle, for the rounding of the corner rays.
    const float marginX = (groundMax.x - groundMin.x) * 0.001f + 0.01f;
    const float marginZ = (groundMax.z - groundMin.z) * 0.001f + 0.01f;
    auto inside = [&](const Vec3& p) {
        return p.x > groundMin.x + marginX && p.x < groundMax.x - marginX && p.z > groundMin.z + marginZ &&
               p.z < groundMax.z - marginZ;
    };
    for (float x : {-1.0f, 1.0f})
        for (float y : {-1.0f, 1.0f}) {
            const Vec3 nearCorner(x, y, 0.0f), farCorner(x, y, 1.0f);
            Vec3 n, f;
            Vec3TransformCoord(&n, &nearCorner, &inverse);
            Vec3TransformCoord(&f, &farCorner, &inverse);
            if (!std::isfinite(n.x + n.y + n.z + f.x + f.y + f.z)) return false;
            // The corner's edge of the view must go down through the ground's whole height
            // between the near and far planes...
            if (!(n.y > groundMax.y && f.y < groundMin.y)) return false;
            // ...and pass over the ground's rectangle at its top and bottom heights.
            for (float h : {groundMin.y, groundMax.y}) {
                const float t = (n.y - h) / (n.y - f.y);
                if (!inside(n + (f - n) * t)) return false;
            }
        }
    return true;
}

bool ReflectionIsRead()
{
    if (DebugDrawShadowBuffer) return true;
    if (!TheEffectManager) return false;
    for (int i = 0; i < TheEffectManager->GetCount(); ++i) {
        const Effect* effect = TheEffectManager->GetByIndex(i);
        if (effect && EffectReads(effect, effect->params.reflectionMap)) return true;
    }
    return false;
}

uint32_t ShadowMapFormat(int shadowType)
{
    if (shadowType == 2) RenderTargets.idBuffers = true;
    if (RenderTargets.idBuffers) return FMT_X8R8G8B8;
    return shadowType == 1 ? FMT_R8G8B8 : FMT_R32F;
}

void ReleaseGameRenderTargets()
{
    ReleaseShadowMapStep(nullptr);
    ReleaseShadowDepthStep(nullptr);
    ReleaseGlowDepthStep(nullptr);
    ReleaseReflectionStep(nullptr);
}

void ForgetGameRenderTargets()
{
    ReleaseGameRenderTargets();
    RenderTargets.scene = RenderTargets.glow = RenderTargets.glowBlur = nullptr;
}

bool DrawnGame::CreateShadowMap()
{
    GfxDevice* device = Device();
    if (!device || !Config) return false;
    ListReleaseSteps();
    for (uint32_t stage = 0; stage < 8; ++stage) device->SetTexture(stage, nullptr);
    ReleaseShadowMapStep(nullptr);
    int size = Config->shadowMapSize > 0 ? Config->shadowMapSize : DEFAULT_SHADOW_MAP_SIZE;
    GfxFormat format = (GfxFormat)ShadowMapFormat(Config->shadowType);
    GfxResult result = device->CreateTexture(size, size, 1, USAGE_RENDERTARGET, format, POOL_DEFAULT,
                                             &RenderTargets.shadowMap);
    if (GfxFailed(result) || !RenderTargets.shadowMap) {
        RenderTargets.shadowMap = nullptr;
        ReportShadowFailure("Failed to create shadow map texture", result);
        return false;
    }
    RenderTargets.shadowMapSize = size;
    EffectValues.shadowMap = RenderTargets.shadowMap;
    EffectValues.shadowUseIdBuffers = RenderTargets.idBuffers;
    ReleaseShadowDepthStep(nullptr);
    int side = std::max(std::max(Config->width, Config->height), size);
    result = device->CreateDepthStencilSurface(side, side, FMT_D24S8, 0, 0, true, &RenderTargets.shadowDepth);
    if (GfxFailed(result) || !RenderTargets.shadowDepth) {
        RenderTargets.shadowDepth = nullptr;
        ReportShadowFailure("Failed to create depth stencil surface ", result);
        return false;
    }
    return true;
}

void DrawnGame::ReleaseShadowMap()
{
    ReleaseShadowMapStep(nullptr);
    ReleaseShadowDepthStep(nullptr);
}

bool DrawnGame::CreateReflectionMap()
{
    if (RenderTargets.reflectionMap) return true;
    GfxDevice* device = Device();
    if (!device) return false;
    ListReleaseSteps();
    GfxResult result = device->CreateTexture(REFLECTION_MAP_SIZE, REFLECTION_MAP_SIZE, 1, USAGE_RENDERTARGET,
                                             FMT_A8R8G8B8, POOL_DEFAULT, &RenderTargets.reflectionMap);
    // A reflection pass without its map would draw into whatever target is bound.
    if (GfxFailed(result) || !RenderTargets.reflectionMap) {
        RenderTargets.reflectionMap = nullptr;
        return false;
    }
    result = device->CreateDepthStencilSurface(REFLECTION_MAP_SIZE, REFLECTION_MAP_SIZE, FMT_D24S8, 0, 0, true,
                                               &RenderTargets.reflectionDepth);
    if (GfxFailed(result) || !RenderTargets.reflectionDepth) {
        RenderTargets.reflectionDepth = nullptr;
        SafeRelease(&RenderTargets.reflectionMap);
        return false;
    }
    return true;
}

void DrawnGame::ClearShadowMap(bool restoreTarget)
{
    GfxDevice* device = Device();
    if (!device || !RenderTargets.shadowMap) return;
    GfxSurface* kept = nullptr;
    if (restoreTarget) device->GetRenderTarget(0, &kept);
    if (RenderTargets.shadowDepth) device->SetDepthStencilSurface(RenderTargets.shadowDepth);
    if (BindTarget(RenderTargets.shadowMap)) ClearAll(0xFFFFFFFF);
    if (kept) {
        device->SetRenderTarget(0, kept);
        kept->Release();
    }
}

void DrawnGame::ClearReflectionMap(bool restoreTarget)
{
    GfxDevice* device = Device();
    if (!device || !CreateReflectionMap()) return;
    GfxSurface* kept = nullptr;
    GfxSurface* keptDepth = nullptr;
    if (restoreTarget) device->GetRenderTarget(0, &kept);
    device->GetDepthStencilSurface(&keptDepth);
    device->SetDepthStencilSurface(RenderTargets.reflectionDepth);
    if (BindTarget(RenderTargets.reflectionMap)) ClearAll(FogColourArgb());
    device->SetDepthStencilSurface(keptDepth);
    if (keptDepth) keptDepth->Release();
    if (kept) {
        device->SetRenderTarget(0, kept);
        kept->Release();
    }
}

void DrawnGame::RenderShadowMap()
{
    GfxDevice* device = Device();
    if (!device || !Config) return;
    if (!RenderTargets.shadowMap && !CreateShadowMap()) {
        Config->shadows = false;
        return;
    }
    Matrix keptView = ViewMatrix, keptProjection = ProjectionMatrix;
    ViewFrustum keptFrustum;
    if (Frustum) keptFrustum = *Frustum;

    // The light looks at the ground where the camera looks, from far enough away that the
    // whole view fits between its planes.
    Vec3 focus(0.0f, 0.0f, 0.0f), hit;
    if (IntersectRayPlane(GameCamera.eye, GameCamera.direction, Vec3(0.0f, 1.0f, 0.0f), 3.0f, &hit)) focus = hit;
    Vec3 light(EffectValues.lightDirection.x, EffectValues.lightDirection.y, EffectValues.lightDirection.z);
    Vec3 lightEye = focus - light * 100.0f, up(0.0f, 1.0f, 0.0f);
    Matrix lightView;
    MatrixLookAtLH(&lightView, &lightEye, &focus, &up);
    Vec3 toFocus = focus - GameCamera.eye;
    float distance = Vec3Length(&toFocus);
    float extent = MAP_WORLD_SIZE * 0.5f * distance / 100.0f;
    if (extent <= 0.0f) extent = 1.0f;
    Matrix lightProjection;
    MatrixOrthoLH(&lightProjection, extent, extent, 0.1f, 500.0f);
    // Turned with the camera, the map spends its texels along the screen's width.
    Vec3 n;
    Vec3Normalize(&n, &light);
    float heading = 0.0f;
    HeadingFromVector(n.x, n.z, &heading);
    Matrix spin;
    MatrixRotationZ(&spin, -GameCamera.yaw - heading * 3.14159265f / 180.0f);
    lightView = lightView * spin;

    ProjectionMatrix = lightProjection;
    Graphics->SetTransform(TS_PROJECTION, &lightProjection);
    EffectValues.lightView = lightView;
    EffectValues.lightProjection = lightProjection;
    ViewMatrix = lightView;
    // The depth test stays on whatever the map's format: the ground is drawn into the map
    // after what stands on it, and without the test it would cover every caster.
    RenderStates.SetRenderState(RS_ZENABLE, 1);
    RenderStates.SetRenderState(RS_ZWRITEENABLE, 1);
    if (RenderTargets.shadowDepth) device->SetDepthStencilSurface(RenderTargets.shadowDepth);
    BindTarget(RenderTargets.shadowMap);
    Viewport viewport;
    viewport.X = viewport.Y = 0;
    viewport.Width = viewport.Height = (uint32_t)RenderTargets.shadowMapSize;
    viewport.MinZ = 0.0f;
    viewport.MaxZ = 1.0f;
    Graphics->SetViewport(&viewport);
    ClearAll(0xFFFFFFFF);
    if (Frustum) FrustumFrom(lightView, lightProjection, Frustum);
    ForgetMeshSceneParameters();

    RenderEntities(PASS_SHADOW);

    // The map stays bound until the scene's target takes its place, and with it a viewport
    // of its size: the screen's viewport would not fit the map.
    ViewMatrix = keptView;
    ProjectionMatrix = keptProjection;
    Graphics->SetTransform(TS_VIEW, &keptView);
    Graphics->SetTransform(TS_PROJECTION, &keptProjection);
    if (Frustum) *Frustum = keptFrustum;
    ForgetMeshSceneParameters();
    RenderStates.SetRenderState(RS_ZENABLE, 1);
    RenderStates.SetRenderState(RS_ZWRITEENABLE, 1);
}

void DrawnGame::RenderReflection()
{
    GfxDevice* device = Device();
    if (!device || !CreateReflectionMap()) return;
    if (!Config || !Config->reflections) return;
    float h = ReflectionHeight;
    GfxSurface* kept = nullptr;
    GfxSurface* keptDepth = nullptr;
    device->GetRenderTarget(0, &kept);
    device->GetDepthStencilSurface(&keptDepth);
    device->SetDepthStencilSurface(RenderTargets.reflectionDepth);
    BindTarget(RenderTargets.reflectionMap);
    ClearAll(FogColourArgb());

    Matrix keptView = ViewMatrix;
    ViewFrustum keptFrustum;
    if (Frustum) keptFrustum = *Frustum;
    Matrix mirror;
    MatrixIdentity(&mirror);
    mirror._22 = -1.0f;
    mirror._42 = 2.0f * h;
    ViewMatrix = mirror * keptView;
    Graphics->SetTransform(TS_VIEW, &ViewMatrix);
    if (Frustum) FrustumFrom(ViewMatrix, ProjectionMatrix, Frustum);
    ForgetMeshSceneParameters();
    RenderStates.SetRenderState(RS_CULLMODE, CULL_CCW);

    RenderEntities(PASS_REFLECTION);

    ViewMatrix = keptView;
    if (Frustum) *Frustum = keptFrustum;
    Graphics->SetTransform(TS_VIEW, &keptView);
    ForgetMeshSceneParameters();
    device->SetDepthStencilSurface(keptDepth);
    if (keptDepth) keptDepth->Release();
    if (kept) {
        device->SetRenderTarget(0, kept);
        kept->Release();
    }
    EffectValues.reflectionMap = RenderTargets.reflectionMap;
    RenderStates.SetRenderState(RS_CULLMODE, CULL_NONE);
}

void DrawnGame::RenderScene()
{
    if (!Graphics) return;
    ForgetMeshSceneParameters();
    uint32_t index = 0;
    for (auto* node = TheScene.lights.head; node && index < MAX_LIGHTS; node = node->next, ++index) {
        const SceneLight& source = node->value;
        GfxLight light;
        light.Type = (uint32_t)source.type;
        light.Diffuse = ColorValue{source.diffuse[0], source.diffuse[1], source.diffuse[2], source.diffuse[3]};
        light.Specular = ColorValue{source.specular[0], source.specular[1], source.specular[2], source.specular[3]};
        light.Ambient = ColorValue{source.ambient[0], source.ambient[1], source.ambient[2], source.ambient[3]};
        light.Position = source.position;
        light.Direction = source.direction;
        light.Range = source.range;
        light.Falloff = source.falloff;
        light.Attenuation0 = source.attenuation[0];
        light.Attenuation1 = source.attenuation[1];
        light.Attenuation2 = source.attenuation[2];
        light.Theta = source.innerCone;
        light.Phi = source.outerCone;
        Graphics->SetLight(index, &light);
        Graphics->LightEnable(index, true);
    }
    // Where the ground fills the whole view, it covers every pixel of the sky drawn before it.
    Vec3 groundMin, groundMax;
    const bool skyHidden = !Wireframe && GroundIsWhole(&groundMin, &groundMax) &&
                           GroundFillsView(ViewMatrix, ProjectionMatrix, groundMin, groundMax);
    DrawSky(PASS_COLOUR, !skyHidden);
    if (WaterVisible) RenderReflection();
    if (Graphics->device) Graphics->device->Clear(0, nullptr, CLEAR_ZBUFFER, 0, 1.0f, 0);
    RenderStates.SetTextureStageState(0, TSS_COLORARG1, TA_TEXTURE);
    RenderStates.SetRenderState(RS_CULLMODE, CULL_NONE);
    if (SceneLighting) RenderStates.SetRenderState(RS_LIGHTING, 1);
    Graphics->LightEnable(0, true);
    RenderEntities(PASS_COLOUR);
}

void DrawnGame::Render()
{
    // Only a level in play has a world to draw; the other states draw their own screens.
    if (state != GAME_STATE_PLAYING || !Graphics || !Graphics->device || !Config) return;
    GfxDevice* device = Graphics->device;
    ListReleaseSteps();

    WaterVisible = false;
    if (AnyWaterInView() && ReflectionIsRead()) {
        WaterVisible = true;
        ReflectionHeight = TheTerrain.waterSet->GetWorldScale() + 0.1f;
    }

    if (Wireframe) PostProcessing = false;
    GfxBaseTexture* sceneTexture = nullptr;
    GfxBaseTexture* glowTexture = nullptr;
    GfxBaseTexture* blurTexture = nullptr;
    int glowSize = 0;
    Effect* colourEffect = nullptr;
    Effect* glowEffect = nullptr;
    if (PostProcessing && Textures) {
        if (!RenderTargets.scene)
            RenderTargets.scene =
                Textures->CreateRenderTarget(Config->width, Config->height, FMT_X8R8G8B8, SCENE_TARGET);
        // Looked up every frame: the effect manager keeps its records by name, and a record
        // kept here would outlive a manager made again.
        colourEffect = FetchPostEffect(COLOUR_EFFECT);
        sceneTexture = RenderTargets.scene ? RenderTargets.scene->texture : nullptr;
        if (Config->glows) {
            glowSize = Config->glowSize > 0 ? Config->glowSize : 256;
            if (!RenderTargets.glow)
                RenderTargets.glow = Textures->CreateRenderTarget(glowSize, glowSize, FMT_X8R8G8B8, GLOW_TARGET);
            if (!RenderTargets.glowBlur)
                RenderTargets.glowBlur =
                    Textures->CreateRenderTarget(glowSize, glowSize, FMT_X8R8G8B8, GLOW_BLUR_TARGET);
            // The glow's depth surface goes with a device loss: it comes back with the target.
            if (RenderTargets.glow && !RenderTargets.glowDepth &&
                GfxFailed(device->CreateDepthStencilSurface(glowSize, glowSize, FMT_D24S8, 0, 0, true,
                                                            &RenderTargets.glowDepth)))
                RenderTargets.glowDepth = nullptr;
            glowEffect = FetchPostEffect(GLOW_EFFECT);
            glowTexture = RenderTargets.glow ? RenderTargets.glow->texture : nullptr;
            blurTexture = RenderTargets.glowBlur ? RenderTargets.glowBlur->texture : nullptr;
        }
    }
    // Without its target the scene goes straight to the back buffer.
    bool post = PostProcessing && sceneTexture;

    if (Config->shadows && !RenderTargets.shadowMap && !CreateShadowMap()) Config->shadows = false;

    RenderStates.SetRenderState(RS_FOGENABLE, 0);
    RenderStates.SetRenderState(RS_FILLMODE, Wireframe ? FILL_WIREFRAME : FILL_SOLID);
    RenderStates.SetRenderState(RS_NORMALIZENORMALS, 1);
    Graphics->Clear(7, 0.0f, 0.0f, 0.0f, 1.0f);
    Graphics->BeginScene();

    GfxSurface* backBuffer = nullptr;
    GfxSurface* frameDepth = nullptr;
    device->GetRenderTarget(0, &backBuffer);
    device->GetDepthStencilSurface(&frameDepth);
    // The minimap draws its fog into targets of its own, before the world takes the screen.
    TheMinimap.DrawFog();

    if (Config->shadows) RenderShadowMap();
    Graphics->SetTransform(TS_PROJECTION, &ProjectionMatrix);
    if (post)
        BindTarget(sceneTexture);
    else if (backBuffer)
        device->SetRenderTarget(0, backBuffer);
    // Past the map's edge, under the HUD's bottom bar, the world fades into its own haze.
    ClearAll(FogColourArgb());

    const int glowingBefore = GlowingMeshDrawCount;
    ForgetGlowingArea();
    RenderScene();
    // Only what the scene drew through a glowing effect lights the glow target; in a frame
    // without any the glow would add nothing but black.
    const bool glowing = post && Config->glows && glowTexture && GlowingMeshDrawCount != glowingBefore;

    if (glowing) {
        GfxSurface* keptDepth = nullptr;
        device->GetDepthStencilSurface(&keptDepth);
        if (RenderTargets.glowDepth) device->SetDepthStencilSurface(RenderTargets.glowDepth);
        BindTarget(glowTexture);
        ClearAll(0xFF000000);
        // Through the camera as the scene was: what did not glow there and lies away from
        // whatever did is left out.
        SetGlowOccluderCulling(true);
        RenderEntities(PASS_GLOW);
        DrawRallyPointMarker(PASS_GLOW);
        SetGlowOccluderCulling(false);
        device->SetDepthStencilSurface(keptDepth);
        if (keptDepth) keptDepth->Release();
    }
    if (post && backBuffer) device->SetRenderTarget(0, backBuffer);
    // The passes may have left the shadow map's depth surface bound; the screen has its own.
    device->SetDepthStencilSurface(frameDepth);

    Graphics->Begin2D();
    // The glow is blurred at its own size, then added over the scene with one filtered tap.
    const bool composite = glowing && blurTexture && glowEffect && glowEffect->effect;
    if (composite) {
        EffectValues.genericFloat4.x = GLOW_STRENGTH;
        EffectValues.genericFloat4.y = 1.0f / (float)glowSize;
        if (glowEffect->params.genericFloat4)
            glowEffect->effect->SetVector(glowEffect->params.genericFloat4, EffectValues.genericFloat4);
        BindTarget(blurTexture);
        RenderStates.SetRenderState(RS_ALPHABLENDENABLE, 0);
        RunPostTechnique(glowEffect, glowEffect->effect->GetTechniqueByName("blur"), glowTexture, TEXF_POINT, glowSize,
                         glowSize);
        if (backBuffer) device->SetRenderTarget(0, backBuffer);
    }
    // The scene is copied as it is: a blit between two targets of one size costs a copy of the
    // memory, where the copy effect shades every pixel. The effect still sets its states, so
    // what is drawn after it sees the same ones, and it draws what a blit refuses (a
    // multisampled back buffer).
    if (post) RunPostEffect(colourEffect, sceneTexture, TEXF_POINT, !CopySceneTarget(sceneTexture, backBuffer));
    if (composite) {
        RenderStates.SetRenderState(RS_ZENABLE, 0);
        RenderStates.SetRenderState(RS_ALPHABLENDENABLE, 1);
        RenderStates.SetRenderState(RS_SRCBLEND, BLEND_SRCALPHA);
        RenderStates.SetRenderState(RS_DESTBLEND, BLEND_ONE);
        RunPostEffect(glowEffect, blurTexture, TEXF_LINEAR);
        RenderStates.SetRenderState(RS_ALPHABLENDENABLE, 0);
        RenderStates.SetRenderState(RS_ZENABLE, 1);
        RenderStates.SetRenderState(RS_ZWRITEENABLE, 1);
    }
    DrawGui();
    DrawDebugViews(glowTexture);
    FrameGraph::Draw();
    Graphics->End2D();
    if (backBuffer) backBuffer->Release();
    if (frameDepth) frameDepth->Release();
    Graphics->Present();
}
