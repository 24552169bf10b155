#include "terrain/Minimap.h"

#include "host/GfxDevice.h"
#include "host/GfxImage.h"
#include "host/ImageCodec.h"
#include "host/InputKeys.h"
#include "host/Log.h"
#include "host/System.h"
#include "mechanics/Game.h"
#include "mechanics/Scene.h"
#include "platform/ConfigFile.h"
#include "platform/GameSeam.h"
#include "platform/InputState.h"
#include "platform/Timer.h"
#include "platform/UserFolders.h"
#include "render/Camera.h"
#include "render/Effect.h"
#include "render/GraphicsDevice.h"
#include "render/IndexedMesh.h"
#include "render/RenderStateCache.h"
#include "render/Shader.h"
#include "render/Sprite.h"
#include "render/TextureManager.h"
#include "terrain/Terrain.h"
#include "terrain/Water.h"
#include "world/Agent.h"
#include "world/BuildItem.h"
#include "world/Building.h"
#include "world/Item.h"

#include <cmath>
#include <string>
#include <vector>

MinimapLayout ComputeMinimapLayout(int h)
{
    MinimapLayout layout;
    layout.width = layout.height = 150 * h / 768;
    layout.margin = 8 * h / 768;
    layout.x = layout.margin;
    layout.y = h - layout.margin - layout.height;
    layout.frameSize = 166 * h / 768;
    layout.frameY = h - layout.frameSize;
    return layout;
}

Minimap::Minimap()
{
    for (Matrix& m : savedTransforms_) MatrixIdentity(&m);
}

Minimap::~Minimap()
{
    delete fogShader;
    delete landscapeShader;
}

void Minimap::Release()
{
    if (created) {
        SetDeviceReleaseStep(RELEASE_MINIMAP, nullptr);
        SetDeviceRestoreStep(RESTORE_MINIMAP, nullptr);
        SetDeviceRestoreStep(RESTORE_MINIMAP_RESET, nullptr);
    }
    pings.ReleaseSprite();
    for (Sprite** sprite : {&frameSprite, &pictureQuad, &circleSprite, &objectiveSprite, &rigMarkerSprite})
        if (*sprite) {
            ReleaseSprite(*sprite);
            delete *sprite;
            *sprite = nullptr;
        }
    delete fogShader;
    fogShader = nullptr;
    delete landscapeShader;
    landscapeShader = nullptr;
    if (fogTarget && EffectValues.fogOfWar == fogTarget->texture) EffectValues.fogOfWar = nullptr;
    // The targets and the sight texture are the texture manager's.
    fogTarget = visibilityTarget = visitedTarget = sightTexture = nullptr;
    miniTerrainTarget = pictureTarget = nullptr;
    created = texturesCreated = miniTerrainRendered = false;
}

// The sprites and targets come back with the sprite table and the texture manager; what they
// showed does not, and is drawn again. The effects must not sample the old fog texture
// meanwhile: the texture manager makes a new one.
void Minimap::OnLostDevice()
{
    fogFromStamps = false;
    if (created) EffectValues.fogOfWar = nullptr;
}

void Minimap::OnResetDevice()
{
    if (created && fogTarget && fogTarget->texture) EffectValues.fogOfWar = fogTarget->texture;
    if (texturesCreated) layout = ComputeMinimapLayout(Config ? Config->height : 768);
    if (sightTexture && sightTexture->texture) {
        FillSightTexture();
        miniTerrainRendered = false;
    }
}

void Minimap::AddPing(const Vec3& position, int kind, int entityId, float time)
{
    pings.Add(position, kind, entityId, time, FrameTimer.frameCount);
}

bool Minimap::ContainsPoint(int x, int y) const
{
    // Every pixel the picture covers takes a click, its outermost rows and columns too: those
    // are where a player clicks to look at the map's corners and edges.
    return x >= layout.x && x < layout.x + layout.width && y >= layout.y && y < layout.y + layout.height;
}

// ---- The display ---------------------------------------------------------------------------------

namespace {

const char* const MINI_TERRAIN_TARGET = "rt_miniterrain";
const char* const PICTURE_TARGET = "rt_minimap";
const char* const FRAME_TEXTURE = "Data/gui/game/minimapframe.dds";
const char* const CIRCLE_TEXTURE = "Data/gui/circle.dds";
const char* const OBJECTIVE_TEXTURE = "Data/gui/planet_controls.dds";
const char* const RIG_MARKER_TEXTURE = "Data/gui/icons/cursors.dds";
constexpr int OBJECTIVE_CELL = 0x4040002;
constexpr int RIG_MARKER_CELL = 0x4040003;
constexpr int MAX_RADAR_CIRCLES = 64;
// Seconds between two pictures.
constexpr float PICTURE_INTERVAL = 0.1f;

constexpr uint32_t MAPPED = ENTITY_AGENT | ENTITY_ITEM | ENTITY_BUILDING | ENTITY_RESOURCE | ENTITY_FUEL;

int ScreenWidth()
{
    return Config ? Config->width : 1024;
}

int ScreenHeight()
{
    return Config ? Config->height : 768;
}

bool IsHidden(Entity* entity)
{
    return (entity->flags & ENTITY_BUILDING) && (static_cast<Building*>(entity)->stateFlags & BUILDING_PREVIEW);
}

bool CarriesRadar(Entity* entity)
{
    if (!(entity->flags & ENTITY_AGENT)) return false;
    Agent* agent = static_cast<Agent*>(entity);
    for (int i = 0; agent->equipment && i < agent->equipmentCount; ++i) {
        Item* item = agent->equipment[i].item;
        if (item && (item->upgradeFlags & ITEM_UPGRADE_RADAR)) return true;
    }
    return false;
}

bool IsRadarBuilding(Entity* entity)
{
    if (!(entity->flags & ENTITY_BUILDING) || IsHidden(entity)) return false;
    const BuildItem* definition = static_cast<Building*>(entity)->definition;
    return definition && (definition->flags & BUILD_RADAR);
}

bool UnderPowered()
{
    return TheScene.power.IsShort();
}

bool OverUnitControl()
{
    return TheScene.unitControl.used > TheScene.unitControl.capacity;
}

// The player's rig: the entity of his ground units that carries the player flag.
Entity* FindRig()
{
    if (!TheScene.IsReady()) return nullptr;
    for (int segment : {SEGMENT_UNIT, SEGMENT_AIR_UNIT})
        for (Scene::Node* node = TheScene.FirstInList(segment); node; node = TheScene.NextInList(node))
            if (node->value && (node->value->flags & ENTITY_PLAYER)) return node->value;
    return nullptr;
}

struct RadarCircle {
    Vec3 centre;
    float range;
};

}  // namespace

bool MinimapDots::Add(MinimapMark mark, float u, float v, int s)
{
    if (mark < MINIMAP_DOT_FRIENDLY) return false;
    std::vector<GfxRect>& list = lists[mark - MINIMAP_DOT_FRIENDLY];
    if ((int)list.size() >= MINIMAP_DOT_LIMITS[mark - MINIMAP_DOT_FRIENDLY]) return false;
    GfxRect r;
    r.left = (int)(u * 255.0f - s);
    r.top = (int)(v * 255.0f - s);
    r.right = (int)(u * 255.0f + s);
    r.bottom = (int)(v * 255.0f + s);
    list.push_back(r);
    return true;
}

void MinimapDots::Clear()
{
    for (std::vector<GfxRect>& list : lists) list.clear();
}

MinimapMark ClassifyForMinimap(const Minimap& minimap, Entity* e, int tick, bool showObjectiveIcons)
{
    if (!e) return MINIMAP_NOTHING;
    const bool interesting = (e->flags & ENTITY_OBJECT_OF_INTEREST) != 0;
    // An objective's own object (a beacon, a relic) is neither unit nor building, and it is
    // what the player came for: it shows with the rest, until it is dealt with.
    if (!(e->flags & MAPPED) && !(interesting && (e->flags & ENTITY_STATIC))) return MINIMAP_NOTHING;
    if (interesting && !e->IsAlive()) return MINIMAP_NOTHING;
    const bool player = e->alignment == ALIGN_PLAYER;
    if (!player && !(e->flags & (ENTITY_RESOURCE | ENTITY_FUEL)) && e->fogSeenTick != tick && !interesting)
        return MINIMAP_NOTHING;
    if ((e->flags & ENTITY_ITEM) && !player && !interesting) return MINIMAP_NOTHING;
    if ((e->flags & ENTITY_FUEL) && e->fogSeenTick < 0 && !e->discovered && minimap.IsFogEnabled() &&
        !minimap.IsEntityVisible(e))
        return MINIMAP_NOTHING;
    // A quiet enemy building stays off the map, unless the player is sent to destroy it.
    if ((e->flags & ENTITY_BUILDING) && e->alignment == ALIGN_ENEMY && !interesting) {
        const BuildItem* definition = static_cast<Building*>(e)->definition;
        if (definition && (definition->flags & BUILD_NO_AUTO_ATTACK)) return MINIMAP_NOTHING;
    }
    if (interesting) return showObjectiveIcons ? MINIMAP_OBJECTIVE_ICON : MINIMAP_NOTHING;
    if (e->flags & ENTITY_PLAYER) return MINIMAP_NOTHING;
    if (player || e->alignment == ALIGN_FRIENDLY) return MINIMAP_DOT_FRIENDLY;
    if (e->alignment == ALIGN_ENEMY) return MINIMAP_DOT_ENEMY;
    if (e->flags & ENTITY_FUEL) return MINIMAP_DOT_FUEL;
    if (e->flags & ENTITY_RESOURCE)
        return (e->flags & ENTITY_RESOURCE_REVEALED) ? MINIMAP_DOT_RESOURCE : MINIMAP_NOTHING;
    return MINIMAP_DOT_NEUTRAL;
}

float MinimapRadarRange(Entity* e, bool underPowered, bool overUnitControl)
{
    if (!e || e->alignment != ALIGN_PLAYER) return 0.0f;
    if (e->flags & ENTITY_BUILDING) return IsRadarBuilding(e) ? (underPowered ? 50.0f : 100.0f) : 0.0f;
    if (!(e->flags & ENTITY_AGENT)) return 0.0f;
    const bool rig = (e->flags & ENTITY_PLAYER) != 0;
    const bool radar = (static_cast<Agent*>(e)->classWord & AGENT_CLASS_RADAR) || (rig && CarriesRadar(e));
    if (!radar) return 0.0f;
    return overUnitControl && !rig ? 25.0f : 50.0f;
}

void Minimap::CreateTextures()
{
    if (!MinimapHasDevice()) return;
    if (!texturesCreated) {
        CompileShaders();
        miniTerrainTarget =
            Textures->CreateRenderTarget(MINIMAP_TARGET_SIZE, MINIMAP_TARGET_SIZE, FMT_A8R8G8B8, MINI_TERRAIN_TARGET);
        if (!miniTerrainTarget || !miniTerrainTarget->texture) {
            if (Config && Config->messageBoxErrors) ShowMessageBox("ERROR", "Failed to create minimap textures");
            Log("    ERROR: Failed to create minimap textures\n");
            return;
        }
        pictureTarget =
            Textures->CreateRenderTarget(MINIMAP_TARGET_SIZE, MINIMAP_TARGET_SIZE, FMT_A8R8G8B8, PICTURE_TARGET);
        layout = ComputeMinimapLayout(ScreenHeight());
        if (!pictureQuad) {
            pictureQuad = CreateSprite(layout.x, layout.y, layout.width, layout.height, nullptr, 0xFFFFFFFF, 0.0f,
                                       0.0f, 1.0f, 1.0f, false);
            if (pictureQuad) pictureQuad->texture = pictureTarget;
        }
        if (!frameSprite) {
            frameSprite = CreateSprite(0, layout.frameY, layout.frameSize, layout.frameSize, FRAME_TEXTURE,
                                       0xFFFFFFFF, 0.0f, 0.0f, 1.0f, 1.0f, false);
            if (frameSprite) frameSprite->flags |= SPRITE_POINT_FILTER;
        }
        texturesCreated = true;
    }
    while (!miniTerrainRendered) {
        RenderMiniTerrain();
        miniTerrainRendered = true;
        RenderVisitedMarks();
        RenderFogTargets();
    }
}

void Minimap::RenderMiniTerrain()
{
    if (!MinimapHasDevice() || !miniTerrainTarget || !miniTerrainTarget->texture) return;
    BeginTopDownView();
    MinimapKeptTarget kept;
    RenderStates.SetRenderState(RS_FOGENABLE, 0);
    bool shadows = Config ? Config->shadows : false, reflections = Config ? Config->reflections : false;
    if (Config) Config->shadows = Config->reflections = false;
    // The terrain's effects take the camera's matrices: the view from above stands in for it.
    const Matrix view = ViewMatrix, projection = ProjectionMatrix, inverse = InverseViewMatrix;
    Graphics->device->GetTransform(TS_VIEW, &ViewMatrix);
    Graphics->device->GetTransform(TS_PROJECTION, &ProjectionMatrix);
    if (!MatrixInverse(&InverseViewMatrix, nullptr, &ViewMatrix)) MatrixIdentity(&InverseViewMatrix);
    ForgetMeshSceneParameters();

    ClearFogTarget(0xFFFFFFFF);
    MinimapUseTarget(miniTerrainTarget);
    // The view from above is mirrored, which turns the ground's triangles round.
    RenderStates.SetRenderState(RS_CULLMODE, CULL_CW);
    Graphics->device->Clear(0, nullptr, CLEAR_TARGET | CLEAR_ZBUFFER, 0xff444444, 1.0f, 0);
    TheTerrain.Render(0, false);
    if (TheTerrain.waterSet) TheTerrain.waterSet->DrawVisible(0, false);

    ViewMatrix = view;
    ProjectionMatrix = projection;
    InverseViewMatrix = inverse;
    ForgetMeshSceneParameters();
    if (Config) {
        Config->shadows = shadows;
        Config->reflections = reflections;
    }
    RenderStates.SetRenderState(RS_FILLMODE, FILL_SOLID);
    RenderStates.SetRenderState(RS_CULLMODE, CULL_CCW);
    EndTopDownView();
}

void Minimap::MarkRadarContacts()
{
    if (!TheScene.IsReady()) return;
    RadarCircle circles[MAX_RADAR_CIRCLES];
    int count = 0;
    Entity* rig = FindRig();
    if (rig && CarriesRadar(rig)) circles[count++] = {rig->GetPosition(), 50.0f};
    const bool underPowered = UnderPowered();
    for (int segment : {SEGMENT_AIR_UNIT, SEGMENT_BUILDING})
        for (Scene::Node* node = TheScene.FirstInList(segment); node && count < MAX_RADAR_CIRCLES;
             node = TheScene.NextInList(node)) {
            Entity* e = node->value;
            if (!e || e->alignment != ALIGN_PLAYER) continue;
            if ((e->flags & ENTITY_AGENT) && (static_cast<Agent*>(e)->classWord & AGENT_CLASS_RADAR))
                circles[count++] = {e->GetPosition(), 50.0f};
            else if (IsRadarBuilding(e) && static_cast<Building*>(e)->buildState == BUILD_STATE_READY)
                circles[count++] = {e->GetCenter(), underPowered ? 50.0f : 100.0f};
        }
    if (count == 0) return;
    const int tick = WorldTicks.count;
    for (int segment : {SEGMENT_ENEMY_UNIT, SEGMENT_ENEMY_AIR_UNIT, SEGMENT_ENEMY_BUILDING})
        for (Scene::Node* node = TheScene.FirstInList(segment); node; node = TheScene.NextInList(node)) {
            Entity* e = node->value;
            if (!e || e->alignment == ALIGN_PLAYER || e->fogSeenTick == tick) continue;
            Vec3 p = e->GetPosition();
            for (int i = 0; i < count; ++i) {
                const RadarCircle& c = circles[i];
                float dx = p.x - c.centre.x, dz = p.z - c.centre.z;
                if (std::fabs(dx) > c.range || std::fabs(dz) > c.range) continue;
                if (dx * dx + dz * dz <= c.range * c.range) {
                    e->fogSeenTick = tick;
                    break;
                }
            }
        }
}

void Minimap::RenderMinimapImage()
{
    if (!MinimapHasDevice() || !pictureTarget || !pictureTarget->texture) return;
    MinimapKeptTarget kept;
    MinimapUseTarget(pictureTarget);
    Graphics->device->Clear(0, nullptr, CLEAR_TARGET | CLEAR_ZBUFFER, 0x00000000, 1.0f, 0);
    RenderStates.SetRenderState(RS_ZENABLE, 0);
    RenderStates.SetRenderState(RS_ALPHABLENDENABLE, 0);
    Graphics->SetTexture(miniTerrainTarget, 0);
    Graphics->SetTexture(fogTarget && fogTarget->texture ? fogTarget : nullptr, 1);
    if (landscapeShader && landscapeShader->IsCompiled() && fogTarget && fogTarget->texture) {
        MinimapExactSamplers exact;
        landscapeShader->Bind();
        // The ground and the fog lie as the world has them, x to the right: the picture shows
        // them as the camera does.
        MinimapDrawTargetQuad((float)MINIMAP_TARGET_SIZE, true);
        landscapeShader->Unbind();
    }
    Graphics->SetTexture(nullptr, 1);

    const int ws = ScreenWidth(), hs = ScreenHeight();
    if (!circleSprite)
        circleSprite = CreateSprite(0, 0, 32, 32, CIRCLE_TEXTURE, 0xFFFFFFFF, 0.0f, 0.0f, 1.0f, 1.0f, true);
    if (!objectiveSprite) {
        objectiveSprite =
            CreateSprite(0, 0, hs / 48, hs / 48, OBJECTIVE_TEXTURE, 0xFFFFFFFF, 0.0f, 0.0f, 1.0f, 1.0f, true);
        if (objectiveSprite) objectiveSprite->SetAtlasCell(OBJECTIVE_CELL);
    }
    if (!rigMarkerSprite) {
        rigMarkerSprite =
            CreateSprite(0, 0, hs / 48, hs / 48, RIG_MARKER_TEXTURE, 0xFFFFFFFF, 0.0f, 0.0f, 1.0f, 1.0f, true);
        if (rigMarkerSprite) rigMarkerSprite->SetAtlasCell(RIG_MARKER_CELL);
    }

    MinimapDots dots;
    bool circleDrawn = false;
    // Seen now: in the world's latest tick, however many frames are drawn between ticks.
    const int tick = WorldTicks.count;
    const bool icons = Config ? Config->showObjectiveIcons : true;
    const bool underPowered = UnderPowered(), overControl = OverUnitControl();
    if (TheScene.IsReady()) {
        for (Entity* e = TheScene.FirstInCategory(CATEGORY_ALL, (int)(MAPPED | ENTITY_OBJECT_OF_INTEREST)); e; e = TheScene.NextInCategory()) {
            MinimapMark mark = ClassifyForMinimap(*this, e, tick, icons);
            const bool player = e->alignment == ALIGN_PLAYER;
            if (mark == MINIMAP_NOTHING && !(player && (e->flags & ENTITY_PLAYER))) continue;
            const Vec3 c = e->GetCenter();
            const float u = MinimapU(c.x), v = MinimapV(c.z);
            const float x = u * (float)ws, y = v * (float)hs;

            float range = player && (radarRangesShown || (e->flags & ENTITY_SELECTION))
                              ? MinimapRadarRange(e, underPowered, overControl)
                              : 0.0f;
            if (range > 0.0f && circleSprite) {
                int w = (int)(2.0f * range / 320.0f * (float)ws), h = (int)(2.0f * range / 320.0f * (float)hs);
                circleSprite->SetRect((int)(x - w / 2), (int)(y - h / 2), (int)(x - w / 2) + w, (int)(y - h / 2) + h);
                circleSprite->Draw();
                circleDrawn = true;
            }
            if (mark == MINIMAP_OBJECTIVE_ICON && objectiveSprite) {
                int w = (int)(hs * 0.104167f), h = (int)(hs * 0.0729167f);
                objectiveSprite->SetRect((int)(x - w / 2), (int)(y - h / 2), (int)(x - w / 2) + w,
                                         (int)(y - h / 2) + h);
                objectiveSprite->Draw();
                continue;
            }
            int s = (e->flags & (ENTITY_BUILDING | ENTITY_FUEL)) ? hs / 192 : hs / 384;
            dots.Add(mark, u, v, s);
        }
    }
    if (circleDrawn) {
        RenderStates.SetRenderState(RS_ZENABLE, 1);
        RenderStates.SetRenderState(RS_ZWRITEENABLE, 1);
        RenderStates.SetRenderState(RS_ALPHABLENDENABLE, 0);
    }
    for (int list : {1, 0, 4, 3, 2})
        if (!dots.lists[list].empty())
            Graphics->device->Clear((uint32_t)dots.lists[list].size(), dots.lists[list].data(),
                                    CLEAR_TARGET | CLEAR_ZBUFFER,
                                    MINIMAP_DOT_COLOURS[list], 1.0f, 0);

    bool shift = Input.keyboard && (Input.keyboard->IsKeyDown(DIK_LSHIFT) || Input.keyboard->IsKeyDown(DIK_RSHIFT));
    pings.Draw(ws, hs, rigMarkerSprite, FindRig(), GetGameSeam().GetFirstSelected(), shift);
}

void Minimap::Draw()
{
    if (!texturesCreated) return;
    MarkRadarContacts();
    iconTimer += GamePaused ? 0.0f : FrameTimer.delta;
    if (iconTimer > PICTURE_INTERVAL) {
        RenderMinimapImage();
        iconTimer = 0.0f;
    }
    if (frameSprite) frameSprite->Draw();
    if (pictureQuad) pictureQuad->Draw();

    // The outline of what the camera sees: its four corner rays met with the ground.
    const float a = 0.3925f * (float)ScreenWidth() / (float)ScreenHeight();
    const Vec3 corners[4] = {{-a, 0.3925f, 1.0f}, {a, 0.3925f, 1.0f}, {a, -0.3925f, 1.0f}, {-a, -0.3925f, 1.0f}};
    const Vec3 eye(InverseViewMatrix._41, InverseViewMatrix._42, InverseViewMatrix._43);
    struct LineVertex {
        float x, y, z, rhw;
        uint32_t colour;
    } line[5];
    for (int i = 0; i < 4; ++i) {
        Vec3 direction;
        Vec3TransformNormal(&direction, &corners[i], &InverseViewMatrix);
        Vec3Normalize(&direction, &direction);
        if (std::fabs(direction.y) < 1e-6f) return;
        float t = -eye.y / direction.y;
        Vec3 p = eye + direction * t;
        // Placed as the picture shows the map.
        line[i] = {layout.x + MinimapU(p.x) * layout.width, layout.y + MinimapV(p.z) * layout.height, 0.0f, 1.0f,
                   0x99d6d6d6};
    }
    line[4] = line[0];
    Viewport saved, minimap;
    Graphics->GetViewport(&saved);
    minimap.X = (uint32_t)layout.x;
    minimap.Y = (uint32_t)layout.y;
    minimap.Width = (uint32_t)layout.width;
    minimap.Height = (uint32_t)layout.height;
    Graphics->SetViewport(&minimap);
    RenderStates.SetRenderState(RS_ALPHABLENDENABLE, 1);
    RenderStates.SetRenderState(RS_SRCBLEND, BLEND_SRCALPHA);
    RenderStates.SetRenderState(RS_DESTBLEND, BLEND_INVSRCALPHA);
    RenderStates.SetTextureStageState(0, TSS_COLOROP, TOP_SELECTARG1);
    RenderStates.SetTextureStageState(0, TSS_COLORARG1, TA_DIFFUSE);
    RenderStates.SetTextureStageState(0, TSS_ALPHAOP, TOP_SELECTARG1);
    RenderStates.SetTextureStageState(0, TSS_ALPHAARG1, TA_DIFFUSE);
    Graphics->SetProgram(nullptr);
    Graphics->SetFVF(FVF_XYZRHW | FVF_DIFFUSE);
    Graphics->device->DrawPrimitiveUP(PT_LINESTRIP, 4, line, sizeof(LineVertex));
    MinimapRestoreStates();
    Graphics->SetViewport(&saved);
}

bool Minimap::SaveBitmap()
{
    if (!MinimapHasDevice() || !pictureTarget || !pictureTarget->texture) return false;
    std::string path = std::string(UserFolder) + "/minimap.bmp";
    GfxSurface* surface = nullptr;
    if (GfxFailed(static_cast<GfxTexture*>(pictureTarget->texture)->GetSurfaceLevel(0, &surface))) return false;
    Image image;
    bool saved = ReadSurfaceImage(Graphics->device, surface, image) &&
                 SaveImageFile(path.c_str(), ImageFileFormat::BMP, image);
    surface->Release();
    if (!saved) Log("ERROR: could not write the minimap picture to %s\n", path.c_str());
    return saved;
}
