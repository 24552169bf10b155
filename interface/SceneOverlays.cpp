// The overlays of play, drawn into the scene after the lit world: the rally marker of the
// selected building, the rings under what the player has selected (one instanced draw for all
// of them), the pulse on the last order's target, the flags of a selected unit's move queue
// while Left Shift is held, the footprint of a building being placed, and the developer's
// path-search and grid views.
#include "interface/PlayerGame.h"
#include "host/SteadyMath.h"
#include "drawing/WorldFrame.h"
#include "interface/SceneOverlays.h"

#include "gui/WindowManager.h"
#include "interface/MissionHud.h"
#include "mechanics/Scene.h"
#include "mechanics/Selection.h"
#include "platform/GameSeam.h"
#include "platform/InputState.h"
#include "platform/Timer.h"
#include "render/Effect.h"
#include "render/Font.h"
#include "render/ViewFrustum.h"
#include "world/Item.h"
#include "world/PathFinder.h"
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
#include "world/GridQueries.h"
#include "world/WorldQueries.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

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
    DrawEntityMesh(flag, PASS_COLOUR);
}

// A tile of a developer overlay: w x d at a cell's corner, lying where the corner says.
void DrawTileAt(Entity* tile, const Vec3& corner, float w, float d)
{
    Matrix world;
    MatrixScaling(&world, w, 1.0f, d);
    world._41 = corner.x, world._42 = corner.y, world._43 = corner.z;
    SetWorld(world);
    DrawEntityMesh(tile, PASS_COLOUR);
}

// A number of a developer overlay, where it goes on the screen.
struct OverlayLabel {
    float x, y;
    float value;
    uint32_t colour;
    bool costs;  // a search cost ("%.2f"), else a cell's value ("%d")
};

}  // namespace

void OverlayPrimitives::LookUpMissing()
{
    for (int i = 0; i < OVERLAY_PRIMITIVE_COUNT; ++i)
        if (!slots[i]) slots[i] = TheScene.FindPrimitive(PRIMITIVE_NAMES[i]);
}

namespace {

// A ground unit's ring is its size: the cells its mesh covers standing on a grid point, facing
// ahead, the same wherever it walks and however it turns. (The grid rectangle a unit keeps is
// whatever it covered when first asked: a cell wider on each axis where it stood between two
// grid points or turned, and the ring stayed that wide.) One cell without a mesh; none off
// the grid.
float UnitRingCells(Entity* unit)
{
    const Grid* grid = CurrentGrid();
    int column = 0, row = 0;
    if (!grid || !grid->WorldToCell(unit->GetPosition(), &column, &row)) return 0.0f;
    IntRect cells;
    if (!GetRotatedFootprintCells(&cells, unit->mesh, grid->SnapToGridPoint(unit->GetPosition()), 0.0f, unit->scale))
        return 1.0f;
    return (float)std::max(cells.maxX - cells.minX + 1, cells.maxY - cells.minY + 1);
}

}  // namespace

float RingSize(Entity* entity, bool forSelection, float* lowered)
{
    if (lowered) *lowered = 0.0f;
    if (!entity) return 0.0f;
    if (forSelection && (entity->flags & ENTITY_AGENT) && static_cast<Agent*>(entity)->IsAirUnit()) {
        if (lowered) *lowered = 1.0f;
        return entity->size * 0.33f;
    }
    if (entity->flags & ENTITY_AGENT) return UnitRingCells(entity);
    const bool building = (entity->flags & ENTITY_BUILDING) != 0;
    int width = 0, depth = 0, column = 0, row = 0;
    float s = 0.0f;
    if (Entity::GetGridRect(entity, &width, &depth, &column, &row)) s = (float)std::max(width, depth);
    if (entity->mesh && (!building || s > 0.0f)) {
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

bool MissionMarkRing(Entity* entity, Vec3* centre, float* radius)
{
    if (!entity) return false;
    const bool vent = (entity->flags & ENTITY_FUEL) != 0;
    if (!vent && !IsMissionObject(entity)) return false;
    if (!entity->IsAlive() || !GetGameSeam().IsEntityRevealed(entity)) return false;
    const Grid* grid = CurrentGrid();
    const float cell = grid ? grid->cellSize : 2.5f;
    *centre = vent ? entity->GetPosition() : RingCentre(entity);
    *radius = vent ? 1.5f * cell : std::max(RingSize(entity, false, nullptr), cell);
    return true;
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

float OrderFlashStep(float timeLeft, float dt)
{
    float left = timeLeft - dt;
    return left > 0.0f ? left : 0.0f;
}

float OrderFlashPulse(float clock)
{
    return 0.1f + 0.1f * Sin(2.0f * 3.14159265f * clock);
}

Vec3 OrderFlashTint(Entity* target)
{
    if (target->alignment == ALIGN_PLAYER) return Vec3(0.2f, 0.8f, 1.0f);
    const bool attackItem =
        (target->flags & ENTITY_ITEM) && static_cast<Item*>(target)->action == ITEM_ACTION_ATTACK;
    if (target->alignment == ALIGN_ENEMY || attackItem) return Vec3(1.0f, 0.2f, 0.2f);
    return Vec3(1.0f, 1.0f, 0.2f);
}

uint32_t OverlayTextColour(float value)
{
    auto byte = [](float v) { return (uint32_t)(v <= 0.0f ? 0 : v >= 1.0f ? 255 : (int)(v * 255.0f + 0.5f)); };
    const float c = value * 0.02f;
    return 0xFF000000u | byte(c) << 16 | byte(1.0f / (c + 0.01f)) << 8 | 0x80u;
}

namespace {

void DrawOrderFlash(float dt)
{
    OrderFlash& flash = TheOrderFlash;
    Entity* circle = Overlays.slots[OVERLAY_ATTACK_CIRCLE];
    if (flash.timeLeft <= 0.0f || !flash.target || !circle || !circle->mesh) return;
    Entity* target = flash.target;
    // A target that died takes its flash with it.
    if (target->flags & ENTITY_DEAD) {
        ClearOrderFlash();
        return;
    }
    flash.timeLeft = OrderFlashStep(flash.timeLeft, dt);
    flash.elapsed += dt;
    const Vec4 keptAmbient = EffectValues.ambient;
    const Vec3 tint = OrderFlashTint(target);
    EffectValues.ambient.x = tint.x, EffectValues.ambient.y = tint.y, EffectValues.ambient.z = tint.z;
    const float size = RingSize(target, false, nullptr) + OrderFlashPulse(flash.elapsed);
    circle->mesh->ClearInstances();
    int index = circle->mesh->AddInstance(RingMatrix(size, RingCentre(target)), false, nullptr);
    if (index >= 0) {
        circle->mesh->instanceFlags[index] = 1;
        circle->mesh->Skin(0, true, 0, true);
        SetIdentityWorld();
        circle->mesh->Render(PASS_COLOUR, false);
    }
    EffectValues.ambient = keptAmbient;
}

// The gold ring under every mission object and fuel vent the player has found: a dark slab on
// dark ground, or a vent that is only a glow, stands out from its ground the same way. It
// breathes slowly, unlike an order's quick flash.
constexpr float MISSION_MARK_TINT[3] = {1.0f, 0.82f, 0.25f};
constexpr float MISSION_MARK_BREATH = 0.4f;  // breaths a second

void DrawMissionMarks(GameMechanics& game)
{
    Entity* circle = Overlays.slots[OVERLAY_ATTACK_CIRCLE];
    if (!circle || !circle->mesh || game.state != GAME_STATE_PLAYING) return;
    const float grow = 0.15f + 0.15f * Sin(2.0f * 3.14159265f * MISSION_MARK_BREATH * (float)MissionTime);
    int marks = 0;
    for (Entity* e = TheScene.FirstInCategory(CATEGORY_ALL, (int)(ENTITY_OBJECT_OF_INTEREST | ENTITY_FUEL)); e;
         e = TheScene.NextInCategory()) {
        Vec3 centre;
        float radius = 0.0f;
        if (!MissionMarkRing(e, &centre, &radius)) continue;
        if (marks == 0) circle->mesh->ClearInstances();
        const int index = circle->mesh->AddInstance(RingMatrix(radius + grow, centre), false, nullptr);
        if (index < 0) break;
        circle->mesh->instanceFlags[index] = 1;
        ++marks;
    }
    if (marks == 0) return;
    const Vec4 keptAmbient = EffectValues.ambient;
    EffectValues.ambient.x = MISSION_MARK_TINT[0], EffectValues.ambient.y = MISSION_MARK_TINT[1];
    EffectValues.ambient.z = MISSION_MARK_TINT[2];
    circle->mesh->Skin(0, true, 0, true);
    SetIdentityWorld();
    circle->mesh->Render(PASS_COLOUR, false);
    EffectValues.ambient = keptAmbient;
}

void DrawPathOverlay(GameMechanics& game, std::vector<OverlayLabel>* labels)
{
    const int level = PathOverlayLevel;
    Grid* grid = game.grid;
    if (level < 1 || !grid) return;
    const float cell = grid->cellSize;
    Entity* yellow = Overlays.slots[OVERLAY_YELLOW];
    if (level >= 2 && yellow) {
        // The cells the last search closed, where it looked before it found its way.
        for (int i = 0; i < PathFinder::ClosedCount(); ++i) {
            const PathNode* node = PathFinder::ClosedNode(i);
            if (!node || (i == 0 && !node->parent)) continue;
            Vec3 corner = grid->CellToWorld(node->x, node->y);
            corner.y = TheTerrain.GetCellHeight(corner) + 0.045f;
            DrawTileAt(yellow, corner, cell, cell);
            if (level >= 3 && labels) {
                Vec3 screen = ProjectToScreen(corner);
                labels->push_back({screen.x, screen.y, node->g, OverlayTextColour(node->g), true});
            }
        }
    }
    // The route of the first selected unit, from where it walks to where it ends.
    Entity* first = game.GetFirstSelected();
    Agent* walker = first && (first->flags & ENTITY_AGENT) ? static_cast<Agent*>(first) : nullptr;
    const Path* path = walker ? walker->path : nullptr;
    if (!path || path->count <= 0) return;
    const float tile = level >= 2 ? cell * 0.8f : cell;
    for (int i = 0; i < path->count; ++i) {
        int column = -1, row = -1;
        if (!grid->WorldToCell(path->points[i], &column, &row)) continue;
        OverlayPrimitive kind = i == 0 ? OVERLAY_GREENTILE : i == path->count - 1 ? OVERLAY_REDTILE : OVERLAY_BLUETILE;
        Entity* mark = Overlays.slots[kind];
        if (!mark) continue;
        Vec3 corner = grid->CellToWorld(column, row);
        corner.y = TheTerrain.GetCellHeight(corner) + 0.05f;
        DrawTileAt(mark, corner, tile, tile);
    }
}

void DrawGridOverlay(GameMechanics& game, std::vector<OverlayLabel>* labels)
{
    const int mode = GridOverlayMode;
    Entity* red = Overlays.slots[OVERLAY_REDTILE];
    Entity* blue = Overlays.slots[OVERLAY_BLUETILE];
    Grid* grid = game.grid;
    if ((mode != 1 && mode != 2) || !red || !red->mesh || !grid) return;
    int minColumn, minRow, maxColumn, maxRow;
    game.GetVisibleCellRect(&minColumn, &minRow, &maxColumn, &maxRow);
    const float cell = grid->cellSize;
    for (int row = minRow; row <= maxRow; ++row)
        for (int column = minColumn; column <= maxColumn; ++column) {
            const GridCell* c = grid->GetCell(column, row);
            if (!c || c->IsFreeWalkable()) continue;
            Entity* tile = c->occupant && blue ? blue : red;
            if (!tile->mesh) continue;
            Vec3 corner = grid->CellToWorld(column, row);
            corner.y = TheTerrain.GetCellHeight(corner);
            Vec3 min(corner.x + tile->mesh->boundsMin.x * cell, corner.y + tile->mesh->boundsMin.y,
                     corner.z + tile->mesh->boundsMin.z * cell);
            Vec3 max(corner.x + tile->mesh->boundsMax.x * cell, corner.y + tile->mesh->boundsMax.y,
                     corner.z + tile->mesh->boundsMax.z * cell);
            if (Frustum && Frustum->ClassifyBox(min, max) == ViewFrustum::OUTSIDE) continue;
            if (mode == 2) {
                if (!labels) continue;
                Vec3 screen = ProjectToScreen(corner);
                labels->push_back({screen.x, screen.y, (float)c->region, OverlayTextColour((float)c->region), false});
                continue;
            }
            tile->mesh->ConformToTerrain(0, corner, false, 0);
            Matrix world;
            MatrixScaling(&world, cell, 1.0f, cell);
            world._41 = corner.x, world._42 = 0.1f, world._43 = corner.z;
            SetWorld(world);
            DrawEntityMesh(tile, PASS_COLOUR);
        }
}

// The developer overlays' numbers, printed over the finished scene in the debug font.
void DrawOverlayLabels(Font* font, const std::vector<OverlayLabel>& labels)
{
    if (labels.empty() || !font || !font->loaded || !Graphics || !Graphics->device) return;
    Graphics->Begin2D();
    char text[32];
    for (const OverlayLabel& label : labels) {
        if (label.costs)
            snprintf(text, sizeof text, "%.2f", label.value);
        else
            snprintf(text, sizeof text, "%d", (int)label.value);
        font->SetColor(((label.colour >> 16) & 0xFF) / 255.0f, ((label.colour >> 8) & 0xFF) / 255.0f,
                       (label.colour & 0xFF) / 255.0f, 1.0f);
        font->DrawText(label.x, label.y, text);
    }
    Graphics->End2D();
    // The 2D mode set its states on the device itself.
    RenderStates.ResetRenderStates();
    Graphics->SetTransform(TS_VIEW, &ViewMatrix);
    Graphics->SetTransform(TS_PROJECTION, &ProjectionMatrix);
    SetIdentityWorld();
}

}  // namespace

void PlayerGame::RenderScene()
{
    DrawnGame::RenderScene();
    Overlays.LookUpMissing();
    rallyMarker = Overlays.slots[OVERLAY_ANIMFLAG];
    // The frame time of the overlays holds still while a modal window is open.
    const float dt = WindowMgr && WindowMgr->modal ? 0.0f : FrameTimer.delta;

    DrawRallyPointMarker(PASS_COLOUR);

    RenderStates.SetRenderState(RS_ALPHABLENDENABLE, 1);
    RenderStates.SetRenderState(RS_SRCBLEND, BLEND_SRCALPHA);
    RenderStates.SetRenderState(RS_DESTBLEND, BLEND_INVSRCALPHA);
    RenderStates.SetRenderState(RS_ZWRITEENABLE, 0);
    RenderStates.SetRenderState(RS_LIGHTING, 0);
    RenderStates.SetSamplerState(0, SAMP_MAGFILTER, TEXF_LINEAR);
    RenderStates.SetSamplerState(0, SAMP_MINFILTER, TEXF_LINEAR);

    // Every ring of the selection in one draw, in the order the player picked them.
    Entity* ring = Overlays.slots[OVERLAY_SELECTION];
    int rings = 0;
    for (auto* node = hand.selected.head; node; node = node->next) {
        Entity* e = node->value;
        if (!e || state != GAME_STATE_PLAYING || !ring || !ring->mesh || !IsEntityVisible(e, PASS_COLOUR)) continue;
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

    DrawMissionMarks(*this);
    DrawOrderFlash(dt);

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
    Entity* onlySelected = hand.selected.count == 1 && hand.selected.head ? hand.selected.head->value : nullptr;
    if (flag && onlySelected && (onlySelected->flags & ENTITY_AGENT) && ShiftHeld()) {
        Agent* agent = static_cast<Agent*>(onlySelected);
        Vec3 kept = flag->GetPosition();
        if (agent->HasStanceBits()) DrawFlagAt(flag, agent->moveTarget, true);
        for (auto* point = agent->moveQueue.Points().head; point; point = point->next)
            DrawFlagAt(flag, point->value, false);
        flag->SetPosition(kept);
    }

    std::vector<OverlayLabel> labels;
    DrawPathOverlay(*this, &labels);

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
                    DrawEntityMesh(tile, PASS_COLOUR);
                }
        }
    }

    DrawGridOverlay(*this, &labels);
    SetIdentityWorld();
    DrawOverlayLabels(fonts[0], labels);
}
