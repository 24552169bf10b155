#include "terrain/FogOfWar.h"

#include "host/GfxDevice.h"
#include "host/Log.h"
#include "host/System.h"
#include "mechanics/Scene.h"
#include "platform/ConfigFile.h"
#include "platform/Timer.h"
#include "render/Draw2D.h"
#include "render/Effect.h"
#include "render/GraphicsDevice.h"
#include "render/RenderStateCache.h"
#include "render/Shader.h"
#include "render/TextureManager.h"
#include "terrain/Minimap.h"
#include "terrain/Terrain.h"
#include "terrain/TextureLock.h"
#include "world/Building.h"
#include "world/Grid.h"

#include <algorithm>
#include <cmath>
#include <cstring>

void FogGrids::Allocate(int cellsPerSide)
{
    size = cellsPerSide > 0 ? cellsPerSide : 0;
    size_t cells = (size_t)size * (size_t)size;
    visibleNow.assign(cells, 0);
    everSeen.assign(cells, 0);
    markers.assign(cells, 0);
}

void FogGrids::Free()
{
    size = 0;
    visibleNow.clear();
    everSeen.clear();
    markers.clear();
}

bool FogGrids::IsInner(int column, int row) const
{
    // The bounds are the grids' own size: a level whose grid is not 128 cells a side must
    // never read or write past them.
    return column >= 1 && row >= 1 && column <= size - 2 && row <= size - 2;
}

void FogGrids::ClearVisibleNow()
{
    if (!visibleNow.empty()) std::memset(visibleNow.data(), 0, visibleNow.size());
}

bool FogGrids::IsVisibleNow(int column, int row) const
{
    return IsInner(column, row) && visibleNow[(size_t)row * size + column] != 0;
}

bool FogGrids::IsEverSeen(int column, int row) const
{
    return IsInner(column, row) && everSeen[(size_t)row * size + column] != 0;
}

uint8_t FogGrids::GetMarker(int column, int row) const
{
    return IsInner(column, row) ? markers[(size_t)row * size + column] : (uint8_t)FOG_MARK_NONE;
}

void FogGrids::Mark(int column, int row, FogMarker marker)
{
    if (!IsInner(column, row)) return;
    uint8_t& cell = markers[(size_t)row * size + column];
    switch (marker) {
        case FOG_MARK_BUILDING:
        case FOG_MARK_RIG:
            cell = marker;
            break;
        case FOG_MARK_UNIT:
            if (cell == FOG_MARK_NONE) cell = marker;
            break;
        case FOG_MARK_NONE:
            break;
    }
}

void FogGrids::Reveal(int column, int row, int width, int depth, float sight, const Vec3& point, float cellSize,
                      const Vec3& origin)
{
    if (!HasGrids()) return;
    const float reach = (1.0f + sight) * cellSize;
    const float reach2 = reach * reach;
    const int k = (int)(sight + 0.5f);
    const int span = (int)(2.0f * sight + 1.0f);
    // Only inner cells can be seen: the square is cut to them before it is walked.
    const int c0 = std::max(column - k, 1), c1 = std::min(column - k + width + span - 1, size - 2);
    const int r0 = std::max(row - k, 1), r1 = std::min(row - k + depth + span - 1, size - 2);
    for (int r = r0; r <= r1; ++r)
        for (int c = c0; c <= c1; ++c) {
            size_t at = (size_t)r * size + c;
            if (visibleNow[at]) continue;
            float x = c * cellSize - origin.x - point.x;
            float z = r * cellSize - origin.z - point.z;
            if (x * x + z * z <= reach2) visibleNow[at] = everSeen[at] = 1;
        }
}

// ---- The minimap's fog of war ------------------------------------------------------------------

namespace {

// The player's agents on the ground and in the air, his buildings and the items.
constexpr uint32_t FOG_SEGMENTS = (1u << SEGMENT_UNIT) | (1u << SEGMENT_AIR_UNIT) | (1u << SEGMENT_BUILDING) |
                                  (1u << SEGMENT_ITEM);
constexpr uint32_t SIGHTED = ENTITY_AGENT | ENTITY_ITEM | ENTITY_BUILDING;

const char* const FOG_TARGET = "rt_fogofwar";
const char* const VISIBILITY_TARGET = "rt_visiblity";
const char* const VISITED_TARGET = "rt_visited";
const char* const SIGHT_TEXTURE = "dyn_sight";

// Seen now at full brightness, seen before at half, never seen black.
const char* const FOG_COMBINE_SHADER =
    "uniform sampler2D visibility;\nuniform sampler2D visited;\n"
    "void Main()\n{\n"
    "    vec3 now = texture(visibility, vTexCoord0.xy).rgb;\n"
    "    vec3 before = texture(visited, vTexCoord1.xy).rgb * 0.5;\n"
    "    vm_FragColor = vec4(max(now, before), 1.0);\n}\n";

// The ground's picture under the fog: what the minimap shows.
const char* const LANDSCAPE_SHADER =
    "uniform sampler2D terrain;\nuniform sampler2D fog;\n"
    "void Main()\n{\n"
    "    vm_FragColor = vec4(texture(terrain, vTexCoord0.xy).rgb * texture(fog, vTexCoord1.xy).rgb, 1.0);\n}\n";

struct StampVertex {
    float x, y, z;
    uint32_t colour;
    float u, v;
};

struct ScreenVertex {
    float x, y, z, rhw;
    uint32_t colour;
    float u, v;
};

bool IsHiddenBuilding(Entity* entity)
{
    return (entity->flags & ENTITY_BUILDING) && (static_cast<Building*>(entity)->stateFlags & BUILDING_PREVIEW);
}

}  // namespace

// ---- Drawing helpers the fog and the display share

void MinimapDrawTargetQuad(float size, bool mirrored)
{
    const float left = mirrored ? 1.0f : 0.0f, right = 1.0f - left;
    ScreenVertex v[4] = {
        {-0.5f, -0.5f, 0.0f, 1.0f, 0xFFFFFFFF, left, 0.0f},
        {size - 0.5f, -0.5f, 0.0f, 1.0f, 0xFFFFFFFF, right, 0.0f},
        {size - 0.5f, size - 0.5f, 0.0f, 1.0f, 0xFFFFFFFF, right, 1.0f},
        {-0.5f, size - 0.5f, 0.0f, 1.0f, 0xFFFFFFFF, left, 1.0f},
    };
    Graphics->SetFVF(FVF_XYZRHW | FVF_DIFFUSE | FVF_TEX1);
    Graphics->device->DrawPrimitiveUP(PT_TRIANGLEFAN, 2, v, sizeof(ScreenVertex));
}

static GfxSurface* TargetSurface(TextureRecord* record)
{
    if (!record || !record->texture) return nullptr;
    GfxSurface* surface = nullptr;
    if (GfxFailed(static_cast<GfxTexture*>(record->texture)->GetSurfaceLevel(0, &surface))) return nullptr;
    return surface;
}

bool MinimapUseTarget(TextureRecord* record)
{
    GfxSurface* surface = TargetSurface(record);
    if (!surface) return false;
    Graphics->device->SetRenderTarget(0, surface);
    surface->Release();
    return true;
}

void MinimapClearTarget(uint32_t argb)
{
    Graphics->device->Clear(0, nullptr, CLEAR_TARGET, argb, 1.0f, 0);
}

MinimapKeptTarget::MinimapKeptTarget()
{
    Graphics->device->GetRenderTarget(0, &surface_);
}

MinimapKeptTarget::~MinimapKeptTarget()
{
    if (!surface_) return;
    Graphics->device->SetRenderTarget(0, surface_);
    surface_->Release();
}

namespace {

constexpr SamplerStateType EXACT_STATES[] = {SAMP_ADDRESSU, SAMP_ADDRESSV, SAMP_MAGFILTER, SAMP_MINFILTER,
                                              SAMP_MIPFILTER};
constexpr uint32_t EXACT_VALUES[] = {TADDRESS_CLAMP, TADDRESS_CLAMP, TEXF_POINT, TEXF_POINT, TEXF_NONE};

}  // namespace

MinimapExactSamplers::MinimapExactSamplers()
{
    static_assert(sizeof EXACT_STATES / sizeof EXACT_STATES[0] == STATES, "one value a state");
    for (int stage = 0; stage < STAGES; ++stage)
        for (int i = 0; i < STATES; ++i) {
            Graphics->device->GetSamplerState((uint32_t)stage, EXACT_STATES[i], &kept_[stage][i]);
            RenderStates.SetSamplerState((uint32_t)stage, EXACT_STATES[i], EXACT_VALUES[i]);
        }
}

MinimapExactSamplers::~MinimapExactSamplers()
{
    for (int stage = 0; stage < STAGES; ++stage)
        for (int i = 0; i < STATES; ++i) RenderStates.SetSamplerState((uint32_t)stage, EXACT_STATES[i], kept_[stage][i]);
}

bool MinimapHasDevice()
{
    return Graphics && Graphics->device && Textures;
}

void MinimapRestoreStates()
{
    RenderStates.SetRenderState(RS_ZENABLE, 1);
    RenderStates.SetRenderState(RS_ZWRITEENABLE, 1);
    RenderStates.SetRenderState(RS_ALPHABLENDENABLE, 0);
    RenderStates.SetRenderState(RS_BLENDOP, BLENDOP_ADD);
    SetStageModulate();
}

void MinimapSetStampStates(TextureRecord* sight)
{
    RenderStates.SetSamplerState(0, SAMP_ADDRESSU, TADDRESS_CLAMP);
    RenderStates.SetSamplerState(0, SAMP_ADDRESSV, TADDRESS_CLAMP);
    RenderStates.SetSamplerState(0, SAMP_MINFILTER, TEXF_LINEAR);
    RenderStates.SetSamplerState(0, SAMP_MAGFILTER, TEXF_LINEAR);
    RenderStates.SetTextureStageState(0, TSS_COLOROP, TOP_MODULATE);
    RenderStates.SetTextureStageState(0, TSS_COLORARG1, TA_TEXTURE);
    RenderStates.SetTextureStageState(0, TSS_COLORARG2, TA_TEXTURE);
    RenderStates.SetTextureStageState(0, TSS_ALPHAOP, TOP_MODULATE);
    RenderStates.SetTextureStageState(0, TSS_ALPHAARG1, TA_TEXTURE);
    RenderStates.SetTextureStageState(0, TSS_ALPHAARG2, TA_TEXTURE);
    RenderStates.SetTextureStageState(1, TSS_COLOROP, TOP_DISABLE);
    RenderStates.SetRenderState(RS_LIGHTING, 0);
    RenderStates.SetRenderState(RS_ZENABLE, 0);
    RenderStates.SetRenderState(RS_ZWRITEENABLE, 0);
    RenderStates.SetRenderState(RS_ALPHABLENDENABLE, 1);
    RenderStates.SetRenderState(RS_BLENDOP, BLENDOP_ADD);
    RenderStates.SetRenderState(RS_SRCBLEND, BLEND_SRCALPHA);
    RenderStates.SetRenderState(RS_DESTBLEND, BLEND_DESTALPHA);
    RenderStates.SetRenderState(RS_FOGENABLE, 0);
    RenderStates.SetRenderState(RS_CULLMODE, CULL_NONE);
    Graphics->SetProgram(nullptr);
    Graphics->SetTexture(sight, 0);
    Graphics->SetFVF(FVF_XYZ | FVF_DIFFUSE | FVF_TEX1);
}

Minimap TheMinimap;

uint8_t SightTexel(int x, int y)
{
    float dx = 32.0f - (float)x, dy = 32.0f - (float)y;
    float d = std::sqrt(dx * dx + dy * dy);
    int value = (int)((32.0f - d) * 0.03125f * 255.0f * 1.5f);
    return (uint8_t)(value < 0 ? 0 : value > 255 ? 255 : value);
}

int SightStampHalfSize(Entity* entity, int rigSightSkill)
{
    if (!entity || !(entity->flags & SIGHTED) || entity->alignment != ALIGN_PLAYER) return 0;
    if (entity->flags & ENTITY_BUILDING) {
        if (IsHiddenBuilding(entity)) return 0;
        return static_cast<Building*>(entity)->buildState == BUILD_STATE_READY ? 30 : 5;
    }
    int half = 20;
    if ((entity->flags & ENTITY_PLAYER) && rigSightSkill > 0) half += (int)(rigSightSkill * 0.1f * 20.0f);
    return half;
}

void Minimap::AllocateFogGrids()
{
    fog.Allocate(GetGridSize());
    visibilityDue = true;
    fogRestored = false;
}

void Minimap::CompileShaders()
{
    if (!fogShader) {
        fogShader = new Shader();
        fogShader->Compile(Graphics->device, FOG_COMBINE_SHADER, false);
    }
    if (!landscapeShader) {
        landscapeShader = new Shader();
        landscapeShader->Compile(Graphics->device, LANDSCAPE_SHADER, false);
    }
}

void Minimap::CreateFogOfWar()
{
    iconTimer = 1.0f;
    if (created) return;
    if (!MinimapHasDevice()) {
        // No device to draw the fog with: the grids and the queries still work.
        AllocateFogGrids();
        return;
    }
    int screenHeight = Config ? Config->height : 768;
    pings.CreateSprite(screenHeight);
    CompileShaders();
    if (!fogTarget || !fogTarget->texture) {
        fogTarget = Textures->CreateRenderTarget(MINIMAP_TARGET_SIZE, MINIMAP_TARGET_SIZE, FMT_A8R8G8B8, FOG_TARGET);
        visibilityTarget =
            Textures->CreateRenderTarget(MINIMAP_TARGET_SIZE, MINIMAP_TARGET_SIZE, FMT_A8R8G8B8, VISIBILITY_TARGET);
        visitedTarget =
            Textures->CreateRenderTarget(MINIMAP_TARGET_SIZE, MINIMAP_TARGET_SIZE, FMT_A8R8G8B8, VISITED_TARGET);
    }
    bool made = fogTarget && fogTarget->texture && visibilityTarget && visibilityTarget->texture && visitedTarget &&
                visitedTarget->texture;
    if (!made) {
        if (Config && Config->messageBoxErrors) ShowMessageBox("ERROR", "Failed to create fog of war textures");
        Log("    ERROR: Failed to create fog of war textures\n");
        return;
    }
    if (!sightTexture || !sightTexture->texture)
        sightTexture = Textures->CreateDynamicTexture(SIGHT_TEXTURE_SIZE, SIGHT_TEXTURE_SIZE, FMT_L8, SIGHT_TEXTURE, 1);
    FillSightTexture();
    AllocateFogGrids();
    // The terrain and the effects darken what the player does not see through this texture.
    EffectValues.fogOfWar = fogTarget->texture;
    SetDeviceReleaseStep(RELEASE_MINIMAP, [](void* m) { static_cast<Minimap*>(m)->OnLostDevice(); }, this);
    SetDeviceRestoreStep(RESTORE_MINIMAP, [](void* m) { static_cast<Minimap*>(m)->OnResetDevice(); }, this);
    SetDeviceRestoreStep(RESTORE_MINIMAP_RESET, [](void* m) { static_cast<Minimap*>(m)->Reset(); }, this);
    created = true;
}

void Minimap::FillSightTexture()
{
    if (!sightTexture || !sightTexture->texture) return;
    TextureLock lock(sightTexture);
    if (!lock.IsLocked()) return;
    for (int y = 0; y < SIGHT_TEXTURE_SIZE; ++y) {
        uint8_t* row = lock.Row(y);
        for (int x = 0; x < SIGHT_TEXTURE_SIZE; ++x) row[x] = SightTexel(x, y);
    }
}

void Minimap::Update()
{
    if (!fog.HasGrids()) return;
    if (fogRestored) {
        fogRestored = false;
        return;
    }
    // What the units see is worked out every second frame, and in the first frame after the
    // grids were made.
    if (visibilityDue) UpdateVisibility();
    visibilityDue = !visibilityDue;
}

void Minimap::DrawFog()
{
    if (!created || !MinimapHasDevice()) return;
    // The targets are drawn every second frame of frames drawn one after another; a frame
    // drawn after frames that were not, and the first of a level, always draws them.
    const int frame = FrameTimer.GetFrameCount();
    if (visitedClearPending || targetsFrame_ != frame - 1) {
        RenderFogTargets();
        targetsFrame_ = frame;
    } else {
        MinimapRestoreStates();
    }
}

void Minimap::UpdateVisibility()
{
    fog.ClearVisibleNow();
    if (!TheScene.IsReady()) return;
    for (Entity* entity = TheScene.FirstEntity(FOG_SEGMENTS); entity; entity = TheScene.NextEntity())
        if ((entity->flags & SIGHTED) && entity->alignment == ALIGN_PLAYER) RevealAround(entity);
    TheScene.EndIteration();
}

void Minimap::RevealAround(Entity* entity)
{
    Grid* grid = CurrentGrid();
    if (!entity || !grid || !fog.HasGrids()) return;
    const Vec3 p = entity->GetPosition();
    int column = -1, row = -1, width = 1, depth = 1;
    float sight = FOG_UNIT_SIGHT;
    FogMarker marker = FOG_MARK_UNIT;
    if (entity->flags & ENTITY_BUILDING) {
        if (IsHiddenBuilding(entity)) return;
        if (!Entity::GetGridRect(entity, &width, &depth, &column, &row)) return;
        sight = FOG_BUILDING_SIGHT;
        marker = FOG_MARK_BUILDING;
    } else {
        if (entity->gridCell) {
            column = entity->gridCell->column;
            row = entity->gridCell->row;
        } else if (!grid->WorldToCell(p, &column, &row)) {
            return;
        }
        if (entity->flags & ENTITY_PLAYER) {
            sight = FOG_UNIT_SIGHT * (1.0f + FOG_RIG_SIGHT_PER_LEVEL * (float)rigSightSkill);
            marker = FOG_MARK_RIG;
        }
    }
    if (!fog.IsInner(column, row)) return;
    fog.Mark(column, row, marker);
    fog.Reveal(column, row, width, depth, sight, p, grid->cellSize, grid->offset);
}

bool Minimap::IsPositionVisible(const Vec3& position) const
{
    if (!fogEnabled) return true;
    Grid* grid = CurrentGrid();
    int column = -1, row = -1;
    if (!grid || !fog.HasGrids() || !grid->WorldToCell(position, &column, &row)) return false;
    return fog.IsVisibleNow(column, row);
}

bool Minimap::IsEntityVisible(Entity* entity) const
{
    if (!fogEnabled) return true;
    if (!entity || !fog.HasGrids()) return false;
    Grid* grid = CurrentGrid();
    if (!grid) return false;
    bool seen = false;
    if (!(entity->flags & (ENTITY_BUILDING | ENTITY_ITEM))) {
        int column = -1, row = -1;
        seen = grid->WorldToCell(entity->GetPosition(), &column, &row) && fog.IsVisibleNow(column, row);
    } else if (entity->gridCell) {
        int steps = 0;
        for (const GridCell* cell = entity->gridCell; cell && !seen && steps < MAX_CELL_CHAIN;
             cell = cell->next, ++steps)
            seen = fog.IsVisibleNow(cell->column, cell->row);
    } else {
        int width = 0, depth = 0, column = 0, row = 0;
        if (!Entity::GetGridRect(entity, &width, &depth, &column, &row) || width < 1) return false;
        for (int r = row; r < row + depth && !seen; ++r)
            for (int c = column; c < column + width && !seen; ++c) seen = fog.IsVisibleNow(c, r);
    }
    if (seen) entity->fogSeenTick = WorldTicks.count;
    return seen;
}

bool Minimap::IsCellVisited(int column, int row) const
{
    if (!fogEnabled) return true;
    return fog.IsEverSeen(column, row);
}

void Minimap::BeginTopDownView()
{
    GfxDevice* device = Graphics->device;
    device->GetTransform(TS_WORLD, &savedTransforms_[0]);
    device->GetTransform(TS_VIEW, &savedTransforms_[1]);
    device->GetTransform(TS_PROJECTION, &savedTransforms_[2]);
    Matrix world, view, projection;
    MatrixIdentity(&world);
    Vec3 eye(0.0f, 1000.0f, 0.0f), at(0.0f, 0.0f, 0.0f), up(0.0f, 0.0f, 1.0f);
    MatrixLookAtLH(&view, &eye, &at, &up);
    // The negative height turns the picture upside down: north (+z) is the bottom row.
    MatrixOrthoLH(&projection, MINIMAP_WORLD_SIZE - 5.0f, 5.0f - MINIMAP_WORLD_SIZE, 0.1f, 2000.0f);
    device->SetTransform(TS_WORLD, &world);
    device->SetTransform(TS_VIEW, &view);
    device->SetTransform(TS_PROJECTION, &projection);
}

void Minimap::EndTopDownView()
{
    GfxDevice* device = Graphics->device;
    device->SetTransform(TS_WORLD, &savedTransforms_[0]);
    device->SetTransform(TS_VIEW, &savedTransforms_[1]);
    device->SetTransform(TS_PROJECTION, &savedTransforms_[2]);
}

namespace {

// The top-down view of the fog targets spans this much of the world across their width.
constexpr float FOG_VIEW_SIZE = MINIMAP_WORLD_SIZE - 5.0f;

// The cell of the may-be-seen grid over a coordinate of the top-down view, kept on the grid.
int MayBeSeenCell(float v)
{
    int cell = (int)std::floor((v / FOG_VIEW_SIZE + 0.5f) * (float)Minimap::MAY_BE_SEEN_CELLS);
    return std::clamp(cell, 0, Minimap::MAY_BE_SEEN_CELLS - 1);
}

}  // namespace

bool Minimap::IsNeverSeen(const Vec3& min, const Vec3& max) const
{
    if (!created || !fogEnabled || !fogFromStamps || EffectValues.preview || !fogTarget || !fogTarget->texture ||
        EffectValues.fogOfWar != fogTarget->texture || mayBeSeen.size() != (size_t)MAY_BE_SEEN_CELLS * MAY_BE_SEEN_CELLS)
        return false;
    // The world's effects read the fog at x / MAP_WORLD_SIZE + 0.5 across the texture, where the
    // stamps were drawn at that fraction of the top-down view; two texels more on every side
    // cover the filtering.
    const float scale = FOG_VIEW_SIZE / MAP_WORLD_SIZE;
    const float margin = 2.0f * FOG_VIEW_SIZE / (float)MINIMAP_TARGET_SIZE;
    const int x0 = MayBeSeenCell(min.x * scale - margin), x1 = MayBeSeenCell(max.x * scale + margin);
    const int z0 = MayBeSeenCell(min.z * scale - margin), z1 = MayBeSeenCell(max.z * scale + margin);
    for (int z = z0; z <= z1; ++z)
        for (int x = x0; x <= x1; ++x)
            if (mayBeSeen[(size_t)z * MAY_BE_SEEN_CELLS + x]) return false;
    return true;
}

void Minimap::DrawSightStamp(float x, float z, float half)
{
    if (mayBeSeen.size() != (size_t)MAY_BE_SEEN_CELLS * MAY_BE_SEEN_CELLS)
        mayBeSeen.assign((size_t)MAY_BE_SEEN_CELLS * MAY_BE_SEEN_CELLS, 0);
    // One texel more: the stamp's edge pixels are those whose centres it covers.
    const float reach = half + FOG_VIEW_SIZE / (float)MINIMAP_TARGET_SIZE;
    for (int row = MayBeSeenCell(z - reach); row <= MayBeSeenCell(z + reach); ++row)
        for (int column = MayBeSeenCell(x - reach); column <= MayBeSeenCell(x + reach); ++column)
            mayBeSeen[(size_t)row * MAY_BE_SEEN_CELLS + column] = 1;
    StampVertex v[4] = {
        {x - half, 0.0f, z + half, 0xFFFFFFFF, 0.0f, 0.0f},
        {x + half, 0.0f, z + half, 0xFFFFFFFF, 1.0f, 0.0f},
        {x + half, 0.0f, z - half, 0xFFFFFFFF, 1.0f, 1.0f},
        {x - half, 0.0f, z - half, 0xFFFFFFFF, 0.0f, 1.0f},
    };
    Graphics->device->DrawPrimitiveUP(PT_TRIANGLEFAN, 2, v, sizeof(StampVertex));
}

void Minimap::RenderFogTargets()
{
    if (!MinimapHasDevice() || !created) return;
    MinimapKeptTarget kept;
    if (!MinimapUseTarget(visibilityTarget)) {
        fogFromStamps = false;
        return;
    }
    // The visited area starts again from what is seen now.
    if (visitedClearPending) mayBeSeen.assign((size_t)MAY_BE_SEEN_CELLS * MAY_BE_SEEN_CELLS, 0);
    MinimapClearTarget(0xFF000000);
    BeginTopDownView();
    MinimapSetStampStates(sightTexture);
    if (TheScene.IsReady()) {
        for (Entity* entity = TheScene.FirstEntity(FOG_SEGMENTS); entity; entity = TheScene.NextEntity()) {
            int half = SightStampHalfSize(entity, rigSightSkill);
            if (half <= 0) continue;
            Vec3 c = entity->GetCenter();
            // The stamp sits one cell and three quarters of a cell off the centre, where the
            // grid's cells put what the entity sees.
            DrawSightStamp(c.x - 2.5f, c.z - 1.875f, (float)half);
        }
        TheScene.EndIteration();
    }
    MinimapRestoreStates();

    // The visited area grows by what is seen now and never shrinks until it is cleared. The
    // visited target is only drawn into, never read while it is the target: the visibility is
    // laid over it keeping the brighter of the two in every channel.
    MinimapUseTarget(visitedTarget);
    if (visitedClearPending) {
        MinimapClearTarget(0x00000000);
        visitedClearPending = false;
    }
    RenderStates.SetRenderState(RS_ZENABLE, 0);
    RenderStates.SetRenderState(RS_ALPHABLENDENABLE, 1);
    RenderStates.SetRenderState(RS_BLENDOP, BLENDOP_MAX);
    RenderStates.SetRenderState(RS_SRCBLEND, BLEND_ONE);
    RenderStates.SetRenderState(RS_DESTBLEND, BLEND_ONE);
    RenderStates.SetTextureStageState(0, TSS_COLOROP, TOP_SELECTARG1);
    RenderStates.SetTextureStageState(0, TSS_COLORARG1, TA_TEXTURE);
    RenderStates.SetTextureStageState(0, TSS_ALPHAOP, TOP_SELECTARG1);
    RenderStates.SetTextureStageState(0, TSS_ALPHAARG1, TA_TEXTURE);
    Graphics->SetTexture(visibilityTarget, 0);
    MinimapDrawTargetQuad((float)MINIMAP_TARGET_SIZE);
    RenderStates.SetRenderState(RS_ALPHABLENDENABLE, 0);
    RenderStates.SetRenderState(RS_BLENDOP, BLENDOP_ADD);

    MinimapUseTarget(fogTarget);
    if (fogEnabled && fogShader && fogShader->IsCompiled()) {
        MinimapClearTarget(0x00000000);
        Graphics->SetTexture(visibilityTarget, 0);
        Graphics->SetTexture(visitedTarget, 1);
        MinimapExactSamplers exact;
        fogShader->Bind();
        MinimapDrawTargetQuad((float)MINIMAP_TARGET_SIZE);
        fogShader->Unbind();
        Graphics->SetTexture(nullptr, 1);
        fogFromStamps = true;
    } else {
        MinimapClearTarget(0xFFFFFFFF);
        fogFromStamps = false;
    }
    Graphics->SetTexture(nullptr, 0);
    EndTopDownView();
    MinimapRestoreStates();
    RenderStates.SetRenderState(RS_CULLMODE, CULL_CCW);
}

void Minimap::ClearFogTarget(uint32_t colour)
{
    fogFromStamps = false;
    if (!MinimapHasDevice() || !created || !MinimapUseTarget(fogTarget)) return;
    Graphics->device->Clear(0, nullptr, CLEAR_TARGET | CLEAR_ZBUFFER | CLEAR_STENCIL, colour, 1.0f, 0);
}

void Minimap::Reset()
{
    if (MinimapHasDevice() && created) {
        MinimapKeptTarget kept;
        ClearFogTarget(0xFFFFFFFF);
    }
    pings.RemoveAll();
}

void Minimap::OnLevelEnd()
{
    AllocateFogGrids();
    Reset();
    visitedClearPending = true;
    miniTerrainRendered = false;
}

void Minimap::RenderVisitedMarks()
{
    if (!MinimapHasDevice() || !visitedTarget || !visitedTarget->texture || !fog.HasGrids()) return;
    Grid* grid = CurrentGrid();
    if (!grid) return;
    MinimapKeptTarget kept;
    MinimapUseTarget(visitedTarget);
    MinimapClearTarget(0xFF000000);
    BeginTopDownView();
    MinimapSetStampStates(sightTexture);
    for (int row = 0; row < fog.size; ++row)
        for (int column = 0; column < fog.size; ++column) {
            uint8_t marker = fog.GetMarker(column, row);
            if (marker == FOG_MARK_NONE) continue;
            int half = marker == FOG_MARK_BUILDING ? 40 : 20;
            if (marker == FOG_MARK_RIG && rigSightSkill > 0) half += (int)(rigSightSkill * 0.1f * 20.0f);
            Vec3 at = grid->CellToWorld(column, row);
            DrawSightStamp(at.x, at.z, (float)half);
        }
    EndTopDownView();
    MinimapRestoreStates();
    RenderStates.SetRenderState(RS_CULLMODE, CULL_CCW);
}
