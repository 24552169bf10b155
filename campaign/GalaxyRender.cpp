// The galaxy map behind the front end: in galaxy view every star system as a small star on the
// spiral, in system view the chosen star with its planets, moons, rings and orbit lines, each
// over its particle backdrop. The map has a camera of its own that looks down on the orbital
// plane; picking goes through the same camera.
#include "campaign/Galaxy.h"

#include "campaign/MissionScreen.h"
#include "gui/GuiDraw.h"
#include "gui/ModelViewer.h"
#include "gui/WindowManager.h"
#include "host/SteadyMath.h"
#include "host/System.h"
#include "mechanics/Scene.h"
#include "platform/Timer.h"
#include "render/Camera.h"
#include "render/Draw2D.h"
#include "render/Effect.h"
#include "render/EffectManager.h"
#include "render/GraphicsDevice.h"
#include "render/IndexedMesh.h"
#include "render/MeshLibrary.h"
#include "render/ParticleManager.h"
#include "render/RenderStateCache.h"
#include "render/Sprite.h"
#include "render/TextureManager.h"
#include "render/ViewFrustum.h"
#include "world/Entity.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr float DEGREES = 0.01745329f;
constexpr int ORBIT_SEGMENTS = 64;

constexpr const char* PLANET_MESH = "data/mesh/planets/planet_0.txt";
constexpr const char* RING_MESH = "data/mesh/planets/rings.txt";
constexpr const char* SELECTED_MESH = "data/mesh/planets/planet_selected.txt";
constexpr const char* SURFACE_TEXTURES[BODY_ENVIRONMENT_COUNT] = {
    "data/textures/planets/p_forest_1.dds", "data/textures/planets/p_desert_1.dds",
    "data/textures/planets/p_fall_1.dds",   "data/textures/planets/p_marsh_1.dds",
    "data/textures/planets/p_winter_1.dds", "data/textures/planets/p_moon_1.dds",
    "data/textures/planets/p_alien_1.dds",  "data/textures/planets/p_lava_1.dds",
};
constexpr const char* GAS_GIANT_TEXTURE = "data/textures/planets/planets.dds";
constexpr const char* SUN_TEXTURE = "data/textures/planets/sun.dds";
constexpr const char* ORBIT_TEXTURE = "data/textures/green_alpha.dds";
constexpr const char* MARKER_TEXTURE = "data/gui/planet_controls.dds";
constexpr const char* ENVIRONMENT_PICTURES = "data/textures/planets/planet_environments.dds";
constexpr const char* ENVIRONMENT_FRAME = "data/gui/env_frame.dds";

// The gas giants' atlas: 2 x 2 cells of banded worlds.
constexpr int GAS_GIANT_COLUMNS = 2;

// The frame's time on the map: none while the GUI pauses, at most a tenth of a second.
float MapStep()
{
    if (IsGuiPaused()) return 0.0f;
    return std::clamp(FrameTimer.delta, 0.0f, 0.1f);
}

TextureRecord* Texture(const char* path)
{
    return Textures ? Textures->GetTexture(path) : nullptr;
}

Effect* LoadedEffect(const char* file)
{
    if (!TheEffectManager) return nullptr;
    Effect* effect = TheEffectManager->GetEffect(file);
    if (effect) TheEffectManager->LoadEffect(effect, "main");
    return effect;
}

// A mesh made here of one material; the mesh library lists it, so that it lets go of its buffers
// when the device is lost and makes them again after the reset, like every other mesh.
IndexedMesh* MadeMesh(const char* name, const char* texture, const char* effect, std::vector<MeshVertex> vertices,
                      std::vector<MeshTriangle> triangles)
{
    IndexedMesh* mesh = new IndexedMesh();
    CopyText(mesh->name, sizeof mesh->name, name);
    mesh->materials.resize(1);
    MeshMaterial& material = mesh->materials[0];
    CopyText(material.effectName, sizeof material.effectName, effect);
    CopyText(material.techniqueName, sizeof material.techniqueName, "main");
    CopyText(material.textureName, sizeof material.textureName, texture);
    MeshGeometry& geometry = material.EditGeometry();
    geometry.vertices = std::move(vertices);
    geometry.triangles = std::move(triangles);
    mesh->BuildBuffers(nullptr, false);
    if (TheMeshLibrary) TheMeshLibrary->Add(mesh, nullptr, 0);
    return mesh;
}

// The orbit band: 64 points on an inner and 64 on an outer unit circle; line.fx stretches each
// circle to its radius (the first texture coordinate tells which circle a point is on).
IndexedMesh* MakeOrbitRing()
{
    std::vector<MeshVertex> vertices;
    std::vector<MeshTriangle> triangles;
    for (int i = 0; i < ORBIT_SEGMENTS; ++i) {
        const float a = i * 6.2831853f / ORBIT_SEGMENTS;
        float s, c;
        SinCos(a, &s, &c);
        for (int outer = 0; outer < 2; ++outer) {
            MeshVertex v;
            v.position = Vec3(c, s, 0.0f);
            v.normal = Vec3(0, 0, 1);
            v.u = (float)outer;
            v.v = -(float)i / ORBIT_SEGMENTS;
            vertices.push_back(v);
        }
    }
    for (int i = 0; i < ORBIT_SEGMENTS; ++i) {
        const int a = 2 * i, b = 2 * ((i + 1) % ORBIT_SEGMENTS);
        triangles.push_back(MeshTriangle{{a, a + 1, b}});
        triangles.push_back(MeshTriangle{{a + 1, b + 1, b}});
    }
    return MadeMesh("galaxy_orbit", ORBIT_TEXTURE, "data/shaders/line.fx", std::move(vertices), std::move(triangles));
}

// A unit quad facing the camera showing one cell of the 4 x 4 marker sheet. Positions are
// written mirrored and the second texture coordinate negated, as the mesh's way to the screen
// undoes both.
IndexedMesh* MakeMarker(int column, int row)
{
    std::vector<MeshVertex> vertices;
    const float u0 = column / 4.0f, v0 = row / 4.0f;
    const float corners[4][2] = {{-0.5f, 0.5f}, {0.5f, 0.5f}, {0.5f, -0.5f}, {-0.5f, -0.5f}};
    for (const auto& c : corners) {
        MeshVertex v;
        v.position = Vec3(-c[0], c[1], 0.0f);
        v.normal = Vec3(0, 0, 1);
        v.u = u0 + (c[0] + 0.5f) * 0.25f;
        v.v = -(v0 + (0.5f - c[1]) * 0.25f);
        vertices.push_back(v);
    }
    std::vector<MeshTriangle> triangles = {MeshTriangle{{0, 1, 2}}, MeshTriangle{{0, 2, 3}}};
    return MadeMesh("galaxy_marker", MARKER_TEXTURE, "data/shaders/sprite.fx", std::move(vertices),
                    std::move(triangles));
}

// Draws a mesh with an effect and up to three textures of its own (surface, blend, specular
// slots), whatever its file named.
void DrawWith(IndexedMesh* mesh, Effect* effect, TextureRecord* first, TextureRecord* second, TextureRecord* third)
{
    if (!mesh) return;
    for (SubMesh& sub : mesh->subMeshes) {
        if (effect) sub.effect = effect;
        if (first) sub.diffuseTexture = first;
        sub.blendTexture = second;
        sub.specularMap = third;
    }
    Graphics->SetTransform(TS_WORLD, &WorldMatrix);
    MeshRenderPosition = Vec3(WorldMatrix._41, WorldMatrix._42, WorldMatrix._43);
    mesh->Render(0, false);
}

// What the bodies draw with: solid, writing depth. The effects of lines and markers set their
// blending straight on the device, so the cache is told to forget before these are set again.
void SolidStates()
{
    RenderStates.ResetRenderStates();
    RenderStates.SetRenderState(RS_CULLMODE, CULL_NONE);
    RenderStates.SetRenderState(RS_ZENABLE, 1);
    RenderStates.SetRenderState(RS_ZWRITEENABLE, 1);
    RenderStates.SetRenderState(RS_ALPHABLENDENABLE, 0);
}

// A mesh as its file made it, at the current world matrix; its effect may blend.
void DrawPlain(IndexedMesh* mesh)
{
    if (!mesh) return;
    Graphics->SetTransform(TS_WORLD, &WorldMatrix);
    MeshRenderPosition = Vec3(WorldMatrix._41, WorldMatrix._42, WorldMatrix._43);
    mesh->Render(0, false);
    SolidStates();
}

// The light falls from the star at the origin onto a body at that place.
void LightFrom(const Vec3& at)
{
    Vec3 direction = at;
    if (Vec3Length(&direction) < 1e-5f) direction = Vec3(0, 0, -1);
    Vec3Normalize(&direction, &direction);
    EffectValues.lightDirection = Vec4(direction, 0.0f);
}

// A marker's light leans towards the camera.
void LeanLight()
{
    Vec3 direction(EffectValues.lightDirection.x, EffectValues.lightDirection.y, -0.4f);
    Vec3Normalize(&direction, &direction);
    EffectValues.lightDirection = Vec4(direction, 0.0f);
}

// An angle in degrees taken into -180..180.
float Signed(float degrees)
{
    float a = fmodf(degrees, 360.0f);
    if (a > 180.0f) a -= 360.0f;
    if (a < -180.0f) a += 360.0f;
    return a;
}

}  // namespace

bool MoonShadeAlpha(float moonAngle, float planetAngle, float* alpha)
{
    // The shorter way round: a moon just across the 180-degree seam is as close as any other.
    float d = fabsf(Signed(moonAngle) - Signed(planetAngle));
    if (d > 180.0f) d = 360.0f - d;
    if (d > 30.0f) return false;
    if (alpha) *alpha = d / 30.0f * 0.8f + 0.2f;
    return true;
}

void Galaxy::LoadPlanetAssets()
{
    if (assetsLoaded) return;
    assetsLoaded = true;
    if (TheMeshLibrary) {
        planetMesh = TheMeshLibrary->GetMesh(PLANET_MESH, 0, true, false);
        ringMesh = TheMeshLibrary->GetMesh(RING_MESH, 0, true, false);
        selectedMesh = TheMeshLibrary->GetMesh(SELECTED_MESH, 0, true, false);
        // The planet panel turns a sphere of its own.
        previewMesh = new IndexedMesh();
        if (planetMesh) previewMesh->Clone(*planetMesh);
        previewEntity = new Entity();
        previewEntity->mesh = previewMesh;
    }
    for (int i = 0; i < BODY_ENVIRONMENT_COUNT; ++i) surfaceTextures[i] = Texture(SURFACE_TEXTURES[i]);
    char path[96];
    for (int i = 0; i < 7; ++i) {
        snprintf(path, sizeof path, "data/textures/planets/ocean_%d.dds", i);
        oceanTextures[i] = Texture(path);
    }
    for (int i = 0; i < 4; ++i) {
        snprintf(path, sizeof path, "data/textures/planets/clouds_%d.dds", i);
        cloudTextures[i] = Texture(path);
    }
    gasGiantTexture = Texture(GAS_GIANT_TEXTURE);
    sunTexture = Texture(SUN_TEXTURE);
    starEffect = LoadedEffect("Data/shaders/star.fx");
    planetEffect = LoadedEffect("Data/shaders/comboplanet.fx");
    gasGiantEffect = LoadedEffect("Data/shaders/gasgiant.fx");

    CreateGui();
    CreatePlanetPanel();

    // The environment picture of the in-game overlay, in the interface's text colour.
    const int h = ScreenHeight(), w = ScreenWidth();
    const int pw = (int)(0.3125f * h), ph = (int)(0.15625f * h), px = (w - pw) / 2, py = (int)(0.3515625f * h);
    const int border = (int)(0.0052083f * h);
    environmentFrame = CreateGuiSprite(px - border, py - border, pw + 2 * border, ph + 2 * border, ENVIRONMENT_FRAME,
                                       0xFFFFFFFF, 0, 0, 1, 1);
    environmentSprite = CreateGuiSprite(px, py, pw, ph, ENVIRONMENT_PICTURES, 0xFFFFFFFF, 0, 0, 1, 1);
}

void Galaxy::ReleasePlanetAssets()
{
    delete orbitRing;
    orbitRing = nullptr;
    for (IndexedMesh*& marker : markers) {
        delete marker;
        marker = nullptr;
    }
    if (previewEntity) previewEntity->mesh = nullptr;
    delete previewEntity;
    previewEntity = nullptr;
    delete previewMesh;
    previewMesh = nullptr;
    delete environmentSprite;
    environmentSprite = nullptr;
    delete environmentFrame;
    environmentFrame = nullptr;
    for (Sprite*& sprite : tooltipFrames) {
        delete sprite;
        sprite = nullptr;
    }
    delete tooltipMeterBack;
    tooltipMeterBack = nullptr;
    delete tooltipMeter;
    tooltipMeter = nullptr;
    // The library's meshes, textures and effects are their managers'.
    planetMesh = ringMesh = selectedMesh = nullptr;
    assetsLoaded = false;
}

void Galaxy::Update()
{
    const float dt = MapStep();
    if (count >= 1 && galaxyView == 1) {
        for (int s = 0; s < count; ++s) {
            CelestialBody& root = systems[s];
            float sine, cosine;
            SinCos(root.orbitAngle * DEGREES, &sine, &cosine);
            root.position = Vec3(sine * root.orbitRadius, cosine * root.orbitRadius, root.position.z);
            float size = root.scale * 0.15f;
            if (&root == hoveredBody) size *= 2.5f;
            root.spinAngle = (float)fmod(root.spinSpeed * dt + root.spinAngle, 360.0);
            Matrix grow, spin;
            MatrixScaling(&grow, size, size, size);
            MatrixRotationZ(&spin, root.spinAngle * DEGREES);
            root.world = grow * spin;
            root.extent = root.scale;
            root.world._41 = root.position.x;
            root.world._42 = root.position.y;
            root.world._43 = root.position.z;
        }
    } else if (count >= 1) {
        for (int s = 0; s < count; ++s) systems[s].UpdateTransform(dt);
    }
    if (TheScene.particles) TheScene.particles->UpdateWith(dt);
}

BodyMarker Galaxy::GalaxyMarker(CelestialBody* root)
{
    if (!root) return MARKER_NONE;
    for (int story = 0; story < MissionScreen::missionCount; ++story) {
        CelestialBody* body = FindBodyByStoryId(story);
        if (!body) continue;
        CelestialBody* top = body;
        while (top->parent) top = top->parent;
        if (top == root && CanAccess(body)) return MARKER_AVAILABLE;
    }
    int total = 0, completed = 0;
    CountMissionBodies(root, &total, &completed);
    return total > 0 && completed >= total ? MARKER_COMPLETED : MARKER_NONE;
}

BodyMarker Galaxy::SystemMarker(CelestialBody* body)
{
    if (!body || (body->storyId < 0 && body->completed != 1)) return MARKER_NONE;
    if (body->completed == 1) return MARKER_COMPLETED;
    return CanAccess(body) ? MARKER_AVAILABLE : MARKER_LOCKED;
}

namespace {

// Draws one marker quad of the given size at a point.
void DrawMarker(Galaxy& galaxy, BodyMarker marker, const Vec3& at, float size)
{
    if (marker == MARKER_NONE || !galaxy.markers[marker]) return;
    const Vec4 light = EffectValues.lightDirection;
    LeanLight();
    Matrix grow, place;
    MatrixScaling(&grow, size, size, size);
    MatrixTranslation(&place, at.x, at.y, at.z);
    WorldMatrix = grow * place;
    DrawPlain(galaxy.markers[marker]);
    EffectValues.lightDirection = light;
}

}  // namespace

// One body and, in system view, its rings, orbit, marker and children.
static void DrawBodyTree(Galaxy& galaxy, CelestialBody* body)
{
    const bool systemView = galaxy.galaxyView == 0;
    WorldMatrix = body->world;
    const Vec3 centre(body->world._41, body->world._42, body->world._43);
    if (body->parent) LightFrom(centre);
    const Vec4 ambient = EffectValues.ambient;
    if (!body->parent) {
        const float* c = galaxy.starColours[std::clamp(body->starType, 0, 7)];
        EffectValues.ambient = Vec4(c[0], c[1], c[2], c[3]);
        DrawWith(galaxy.planetMesh, galaxy.starEffect, galaxy.sunTexture, nullptr, nullptr);
    } else if (body->IsGasGiant()) {
        const int cell = std::max(0, body->gasGiant - 1);
        const float size = 1.0f / GAS_GIANT_COLUMNS;
        EffectValues.genericFloat4 =
            Vec4((cell % GAS_GIANT_COLUMNS) * size, (cell / GAS_GIANT_COLUMNS) * size, size, size);
        DrawWith(galaxy.planetMesh, galaxy.gasGiantEffect, galaxy.gasGiantTexture, nullptr, nullptr);
    } else {
        float glow[4];
        body->GetEnvironmentColour(glow);
        EffectValues.genericFloat4 = Vec4(glow[0], glow[1], glow[2], glow[3]);
        float shade = 1.0f;
        if (body->parent->parent && MoonShadeAlpha(body->orbitAngle, body->parent->orbitAngle, &shade))
            EffectValues.ambient.w = shade;
        const int environment = std::clamp((int)body->surface[0], 0, BODY_ENVIRONMENT_COUNT - 1);
        DrawWith(galaxy.planetMesh, galaxy.planetEffect, galaxy.surfaceTextures[environment],
                 galaxy.oceanTextures[std::clamp(body->surface[1], 0, 6)],
                 galaxy.cloudTextures[std::clamp(body->surface[2], 0, 3)]);
    }
    EffectValues.ambient = ambient;

    if (!systemView) {
        if (!body->parent)
            DrawMarker(galaxy, galaxy.GalaxyMarker(body), centre + Vec3(0, GALAXY_MARKER_LIFT, 0), GALAXY_MARKER_SIZE);
        return;
    }
    if (body->ringed && galaxy.ringMesh) {
        const Vec4 light = EffectValues.lightDirection;
        LeanLight();
        Matrix grow, turn, place;
        MatrixScaling(&grow, body->scale, body->scale, body->scale);
        MatrixRotationZ(&turn, -body->orbitAngle * DEGREES);
        MatrixTranslation(&place, centre.x, centre.y, centre.z);
        WorldMatrix = grow * turn * place;
        DrawPlain(galaxy.ringMesh);
        EffectValues.lightDirection = light;
    }
    if (body->parent && galaxy.showOrbits && galaxy.orbitRing) {
        const float radius = body->parent->scale + body->orbitRadius;
        EffectValues.genericFloat4 = Vec4(radius - 0.02f, radius + 0.02f, 0.0f, 0.0f);
        MatrixTranslation(&WorldMatrix, body->parent->world._41, body->parent->world._42, body->parent->world._43);
        DrawPlain(galaxy.orbitRing);
    }
    DrawMarker(galaxy, galaxy.SystemMarker(body), centre + Vec3(0, body->scale + SYSTEM_MARKER_LIFT, 0),
               SYSTEM_MARKER_SIZE);
    if (body == galaxy.clickedBody && galaxy.selectedMesh) {
        const float size = body->scale + 0.15f;
        Matrix grow, place;
        MatrixScaling(&grow, size, size, size);
        MatrixTranslation(&place, centre.x, centre.y, centre.z);
        WorldMatrix = grow * place;
        RenderStates.SetRenderState(RS_ZENABLE, 0);
        DrawPlain(galaxy.selectedMesh);
    }
    for (CelestialBody* child = body->firstChild; child; child = child->nextSibling) DrawBodyTree(galaxy, child);
}

void Galaxy::Render()
{
    if (!Graphics || !Graphics->device) return;
    // Everything of the world's view the map changes comes back at the end.
    const Matrix savedWorld = WorldMatrix, savedView = ViewMatrix, savedProjection = ProjectionMatrix,
                 savedInverse = InverseViewMatrix;
    const EffectBindingValues savedValues = EffectValues;
    const Vec3 savedPosition = MeshRenderPosition;
    Viewport savedViewport;
    Graphics->GetViewport(&savedViewport);
    Viewport viewport;
    viewport.X = 0;
    viewport.Y = 0;
    viewport.Width = (uint32_t)std::max(1, ScreenWidth());
    viewport.Height = (uint32_t)std::max(1, ScreenHeight());
    Graphics->SetViewport(&viewport);
    EffectValues.ambient = Vec4(0.175f, 0.175f, 0.175f, 1.0f);
    EffectValues.preview = true;

    Camera camera;
    const float distance = galaxyView == 1 ? 20.0f : cameraDistance;
    camera.eye = Vec3(panX, panY, distance);
    camera.target = Vec3(panX, panY, 0.0f);
    camera.up = Vec3(0.0f, 1.0f, 0.0f);
    camera.aspect = (float)viewport.Width / (float)viewport.Height;
    camera.BuildMatrices();
    viewMatrix = ViewMatrix;
    projectionMatrix = ProjectionMatrix;
    cameraSet = true;
    if (Frustum) Frustum->Update(ViewMatrix);
    ForgetMeshSceneParameters();

    if (!orbitRing) orbitRing = MakeOrbitRing();
    if (!markers[MARKER_AVAILABLE]) markers[MARKER_AVAILABLE] = MakeMarker(0, 2);
    if (!markers[MARKER_COMPLETED]) markers[MARKER_COMPLETED] = MakeMarker(1, 2);
    if (!markers[MARKER_LOCKED]) markers[MARKER_LOCKED] = MakeMarker(3, 2);

    RenderStates.SetRenderState(RS_LIGHTING, 0);
    RenderStates.SetRenderState(RS_CULLMODE, CULL_NONE);
    if (TheScene.particles) {
        TheScene.particles->Render();
        Graphics->SetTransform(TS_VIEW, &ViewMatrix);
    }
    SolidStates();

    if (galaxyView == 0) {
        if (selectedSystem >= 0 && selectedSystem < count) {
            const float* c = starColours[std::clamp(systems[selectedSystem].starType, 0, 7)];
            EffectValues.ambient = Vec4(c[0] * 0.3f, c[1] * 0.3f, c[2] * 0.3f, 1.0f);
            DrawBodyTree(*this, &systems[selectedSystem]);
        }
    } else {
        for (int s = 0; s < count; ++s) DrawBodyTree(*this, &systems[s]);
    }

    // The effects set their blending and depth states straight on the device.
    RenderStates.ResetRenderStates();
    WorldMatrix = savedWorld;
    ViewMatrix = savedView;
    ProjectionMatrix = savedProjection;
    InverseViewMatrix = savedInverse;
    EffectValues = savedValues;
    MeshRenderPosition = savedPosition;
    Graphics->SetTransform(TS_WORLD, &WorldMatrix);
    Graphics->SetTransform(TS_VIEW, &ViewMatrix);
    Graphics->SetTransform(TS_PROJECTION, &ProjectionMatrix);
    Graphics->SetViewport(&savedViewport);
    ForgetMeshSceneParameters();
}
