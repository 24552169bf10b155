// The overlays of play, drawn into the scene after the lit world: the rings under what the
// player has selected (one instanced draw for all of them), the flags of a selected unit's
// move queue while Left Shift is held, and the footprint of a building being placed.
#include "mechanics/GameMechanics.h"
#include "mechanics/GameRender.h"
#include "mechanics/SceneOverlays.h"

#include "mechanics/Scene.h"
#include "platform/InputState.h"
#include "render/Camera.h"
#include "render/GraphicsDevice.h"
#include "render/IndexedMesh.h"
#include "render/RenderStateCache.h"
#include "terrain/Terrain.h"
#include "tools/TerrainEditor.h"
#include "world/Agent.h"
#include "world/BuildItem.h"
#include "world/Entity.h"
#include "world/Grid.h"

#include <algorithm>
#include <cmath>

OverlayPrimitives Overlays;

namespace {

const char* const PRIMITIVE_NAMES[OVERLAY_PRIMITIVE_COUNT] = {
    "red", "green", "blue", "yellow", "redtile", "greentile", "bluetile",
    "selection", "selectsq", "attack_circle", "animflag", "flag", "cube",
};

constexpr int KEY_LEFT_SHIFT = 0x2A;
constexpr float FLAG_SCALE = 0.5f;

void SetWorld(const Matrix& world)
{
    WorldMatrix = world;
    MeshRenderPosition = Vec3(world._41, world._42, world._43);
    if (Graphics) Graphics->SetTransform(TS_WORLD, &world);
}

void SetIdentityWorld()
{
    Matrix identity;
    MatrixIdentity(&identity);
    SetWorld(identity);
}

Matrix RingMatrix(float size, const Vec3& centre)
{
    Matrix m;
    MatrixScaling(&m, size, 1.0f, size);
    // Instances are baked in the mesh's mirrored x.
    m._41 = -centre.x;
    m._42 = centre.y;
    m._43 = centre.z;
    return m;
}

bool ShiftHeld()
{
    return Input.keyboard && Input.keyboard->IsKeyDown(KEY_LEFT_SHIFT);
}

void DrawFlagAt(Entity* flag, const Vec3& point, bool testVisible)
{
    Vec3 at(point.x, TheTerrain.GetHeight(point), point.z);
    flag->SetPosition(at);
    if (testVisible && !IsEntityVisible(flag, PASS_COLOUR)) return;
    if (flag->mesh) flag->mesh->Update(0.0f);
    Matrix world;
    MatrixScaling(&world, FLAG_SCALE, FLAG_SCALE, FLAG_SCALE);
    world._41 = at.x, world._42 = at.y, world._43 = at.z;
    RenderStates.SetRenderState(RS_ZWRITEENABLE, 1);
    SetWorld(world);
    flag->Render(PASS_COLOUR);
}

}  // namespace

void OverlayPrimitives::LookUpMissing()
{
    for (int i = 0; i < OVERLAY_PRIMITIVE_COUNT; ++i)
        if (!slots[i]) slots[i] = TheScene.FindPrimitive(PRIMITIVE_NAMES[i]);
}

float RingSize(Entity* entity, bool forSelection, float* lowered)
{
    if (lowered) *lowered = 0.0f;
    if (!entity) return 0.0f;
    if (forSelection && (entity->flags & ENTITY_AGENT) && static_cast<Agent*>(entity)->IsAirUnit()) {
        if (lowered) *lowered = 1.0f;
        return entity->size * 0.33f;
    }
    int width = 0, depth = 0, column = 0, row = 0;
    float s = 0.0f;
    if (Entity::GetGridRect(entity, &width, &depth, &column, &row)) s = (float)std::max(width, depth);
    const bool building = (entity->flags & ENTITY_BUILDING) != 0;
    const bool agent = (entity->flags & ENTITY_AGENT) != 0;
    if (entity->mesh && ((building && s > 0.0f) || (!building && !agent))) {
        float x = std::fabs(entity->mesh->boundsMax.x - entity->mesh->boundsMin.x);
        float z = std::fabs(entity->mesh->boundsMax.z - entity->mesh->boundsMin.z);
        s = 0.45f * std::max(x, z) * entity->scale;
    }
    return s;
}

Vec3 RingCentre(Entity* entity)
{
    return (entity->flags & ENTITY_AGENT) ? entity->GetPosition() : entity->GetCenter();
}

uint32_t RingFlags(Entity* entity)
{
    if (!(entity->flags & ENTITY_AGENT) || !static_cast<Agent*>(entity)->IsAirUnit()) return 1;
    if (entity->alignment == ALIGN_PLAYER) return 2;
    if (entity->alignment == ALIGN_ENEMY) return 4;
    return 8;
}

bool PlacementFootprint(const BuildItem* item, Grid* grid, Vec3* origin, int* columns, int* rows)
{
    if (!item || !item->prototype || !grid) return false;
    Entity* prototype = item->prototype;
    if (item->flags & BUILD_ADD_ON) {
        int column = -1, row = -1;
        if (!grid->WorldToCell(prototype->GetPosition(), &column, &row)) return false;
        *origin = grid->CellToWorld(column, row);
        *columns = *rows = 1;
        return true;
    }
    int x0, y0, x1, y1;
    if (!prototype->GetGridFootprint(&x0, &y0, &x1, &y1)) return false;
    *origin = grid->CellToWorld(std::min(x0, x1), std::min(y0, y1));
    *columns = std::abs(x1 - x0) + 1;
    *rows = std::abs(y1 - y0) + 1;
    return true;
}

void GameMechanics::RenderScene()
{
    Game::RenderScene();
    Overlays.LookUpMissing();

    RenderStates.SetRenderState(RS_ALPHABLENDENABLE, 1);
    RenderStates.SetRenderState(RS_SRCBLEND, BLEND_SRCALPHA);
    RenderStates.SetRenderState(RS_DESTBLEND, BLEND_INVSRCALPHA);
    RenderStates.SetRenderState(RS_ZWRITEENABLE, 0);
    RenderStates.SetRenderState(RS_LIGHTING, 0);
    RenderStates.SetSamplerState(0, SAMP_MAGFILTER, TEXF_LINEAR);
    RenderStates.SetSamplerState(0, SAMP_MINFILTER, TEXF_LINEAR);

    // Every ring of the selection in one draw.
    Entity* ring = Overlays.slots[OVERLAY_SELECTION];
    int rings = 0, selected = 0;
    Entity* onlySelected = nullptr;
    for (auto* node = TheScene.master.head; node; node = node->next) {
        Entity* e = node->value;
        if (!e || (e->flags & ENTITY_LIST_MARKER) || !(e->flags & ENTITY_SELECTION)) continue;
        ++selected;
        onlySelected = e;
        if (state != GAME_STATE_PLAYING || !ring || !ring->mesh || !IsEntityVisible(e, PASS_COLOUR)) continue;
        if (rings == 0) ring->mesh->ClearInstances();
        float lowered = 0.0f;
        float size = RingSize(e, true, &lowered);
        Vec3 centre = RingCentre(e);
        centre.y -= lowered;
        int index = ring->mesh->AddInstance(RingMatrix(size, centre), false, nullptr);
        if (index < 0) continue;
        ring->mesh->instanceFlags[index] = RingFlags(e);
        ++rings;
    }
    if (rings > 0) {
        ring->mesh->Skin(0, true, 0, true);
        SetIdentityWorld();
        ring->mesh->Render(PASS_COLOUR, false);
    }

    RenderStates.SetRenderState(RS_ALPHABLENDENABLE, 0);
    RenderStates.SetRenderState(RS_SRCBLEND, BLEND_ONE);
    RenderStates.SetRenderState(RS_DESTBLEND, BLEND_ZERO);
    RenderStates.SetRenderState(RS_ZWRITEENABLE, 1);
    SetIdentityWorld();

    // The terrain editor's brush, its object preview and its own entities.
    if (TheTerrainEditor) {
        TheTerrainEditor->Render();
        SetIdentityWorld();
    }

    // Where a single selected unit is headed, and the points queued after, while Shift shows
    // them.
    Entity* flag = Overlays.slots[OVERLAY_ANIMFLAG];
    if (flag && selected == 1 && (onlySelected->flags & ENTITY_AGENT) && ShiftHeld()) {
        Agent* agent = static_cast<Agent*>(onlySelected);
        Vec3 kept = flag->GetPosition();
        if (agent->HasStanceBits()) DrawFlagAt(flag, agent->moveTarget, true);
        for (auto* point = agent->moveQueue.Points().head; point; point = point->next)
            DrawFlagAt(flag, point->value, false);
        flag->SetPosition(kept);
    }

    // The building being placed: green where it may stand, red where it may not.
    BuildItem* item = buildItems ? buildItems->current : nullptr;
    Vec3 origin;
    int columns = 0, rows = 0;
    if (item && grid && PlacementFootprint(item, grid, &origin, &columns, &rows)) {
        Entity* tile = Overlays.slots[buildItems->CanPlaceCurrent() ? OVERLAY_GREEN : OVERLAY_RED];
        if (tile && tile->mesh) {
            for (int i = 0; i < columns; ++i)
                for (int j = 0; j < rows; ++j) {
                    Vec3 at(origin.x + i * grid->cellSize, origin.y + 0.08f, origin.z + j * grid->cellSize);
                    tile->mesh->ConformToTerrain(0, at, false, 0);
                    Matrix world;
                    MatrixIdentity(&world);
                    world._41 = at.x, world._42 = 0.2f, world._43 = at.z;
                    SetWorld(world);
                    tile->Render(PASS_COLOUR);
                }
        }
    }

    SetIdentityWorld();
}
