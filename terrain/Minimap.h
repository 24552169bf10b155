#pragma once
// The minimap: the map view of the HUD's bottom-left corner, and the fog of war behind it.
//
// The fog of war (FogOfWar.cpp) decides what the player sees. Its grids (terrain/FogOfWar.h)
// are rebuilt from the player's units, buildings and items on every second frame, and on the
// frames between, sight stamps drawn around the same entities turn them into three targets:
// the visibility now, the area ever visited, and the combined fog texture that the terrain and
// effect shaders sample and the minimap multiplies into its picture. Entities ask it whether
// the player sees them.
//
// The display (Minimap.cpp) draws the terrain from above once per level, and ten times a
// second a picture of it darkened by the fog with dots for units, buildings and resources,
// radar circles, objective icons and the alert pings (terrain/MinimapPings.h); every frame
// the picture, its frame and the outline of what the camera sees. The visited-map file
// (terrain/VisitedMap.h) keeps the markers of a saved game.
//
// Main thread only. Everything that draws does nothing without the graphics device; the grids
// and the queries work without one.
#include "host/GfxTypes.h"
#include "host/Maths.h"
#include "terrain/FogOfWar.h"
#include "terrain/MinimapPings.h"

#include <cstdint>
#include <vector>

class Entity;
class GfxSurface;
class Shader;
class Sprite;
struct TextureRecord;

// The map's extent in world units, centred on the origin.
constexpr float MINIMAP_WORLD_SIZE = 320.0f;
// Side of every fog and minimap target, in pixels.
constexpr int MINIMAP_TARGET_SIZE = 256;
// Side of the sight texture whose stamps draw what each entity sees.
constexpr int SIGHT_TEXTURE_SIZE = 64;

// Where a map point (x, z) lies on the minimap, as fractions of its width from the left and of
// its height from the top. The minimap shows the map as the camera shows it from its starting
// heading (looking toward -z): world x runs to the left, z downward. The fog targets and the
// mini terrain keep the world's own layout (x to the right), which the world's shaders sample;
// the picture turns them round when it is put together.
inline float MinimapU(float x)
{
    return (0.5f * MINIMAP_WORLD_SIZE - x) / MINIMAP_WORLD_SIZE;
}
inline float MinimapV(float z)
{
    return (z + 0.5f * MINIMAP_WORLD_SIZE) / MINIMAP_WORLD_SIZE;
}

// Where the minimap lies on a screen of height H: a square of trunc(150 H / 768) with a
// margin of trunc(8 H / 768) from the left and bottom edges, inside a frame of
// trunc(166 H / 768) in the corner.
struct MinimapLayout {
    int x = 0, y = 0, width = 0, height = 0;
    int frameY = 0, frameSize = 0;
    int margin = 0;
};
MinimapLayout ComputeMinimapLayout(int screenHeight);

// One texel of the sight texture: bright in the middle, fading to nothing at the edge.
uint8_t SightTexel(int x, int y);

// The half size, in world units, of the sight stamp drawn for an entity; 0 when it draws none.
int SightStampHalfSize(Entity* entity, int rigSightSkill);

// What the minimap makes of an entity in its picture.
enum MinimapMark : int {
    MINIMAP_NOTHING,
    MINIMAP_OBJECTIVE_ICON,
    MINIMAP_DOT_FRIENDLY,  // the player's and his friends'
    MINIMAP_DOT_ENEMY,
    MINIMAP_DOT_FUEL,
    MINIMAP_DOT_RESOURCE,
    MINIMAP_DOT_NEUTRAL,
};
constexpr int MINIMAP_DOT_LISTS = 5;
// The dots of each list (friendly, enemy, fuel, resource, neutral) beyond which none is drawn.
constexpr int MINIMAP_DOT_LIMITS[MINIMAP_DOT_LISTS] = {64, 64, 64, 128, 64};
constexpr uint32_t MINIMAP_DOT_COLOURS[MINIMAP_DOT_LISTS] = {0xff00ff00, 0xffff0000, 0xffce68ff, 0xffff9999,
                                                             0xff33cc33};

// The dots of one minimap picture, as rectangles of its 256 x 256 target by list (friendly,
// enemy, fuel, resource, neutral), each list filled in one clear.
struct MinimapDots {
    std::vector<GfxRect> lists[MINIMAP_DOT_LISTS];
    // A dot of half size s around (u, v) in map fractions; false when its list is full or the
    // mark is no dot.
    bool Add(MinimapMark mark, float u, float v, int s);
    void Clear();
};

// ---- Drawing helpers the fog and the display share (FogOfWar.cpp)
bool MinimapHasDevice();
// Makes the record's texture the render target; false when it has none.
bool MinimapUseTarget(TextureRecord* record);
void MinimapClearTarget(uint32_t argb);
// The whole of the current target covered by the bound textures, through whatever program is set;
// mirrored, their left edge lands on the target's right.
void MinimapDrawTargetQuad(float size, bool mirrored = false);
// Depth on, blending off, stage 0 modulating texture and diffuse: what the scene's draws expect.
void MinimapRestoreStates();
// How the sight stamps are drawn: each texel squared, added over what is there.
void MinimapSetStampStates(TextureRecord* sight);
// The render target the device had, given back when this goes.
class MinimapKeptTarget {
public:
    MinimapKeptTarget();
    ~MinimapKeptTarget();
    MinimapKeptTarget(const MinimapKeptTarget&) = delete;
    MinimapKeptTarget& operator=(const MinimapKeptTarget&) = delete;

private:
    GfxSurface* surface_ = nullptr;
};

// Stages 0 and 1 read texel for texel (clamped, point-sampled, no mip levels) while this lives,
// then get back the sampler states they had. The target quads land every pixel on a texel's
// middle, so any filter reads the same texels; without states of their own the minimap's
// programs would take whatever the last draw left, and the driver would make code again for
// each combination.
class MinimapExactSamplers {
public:
    MinimapExactSamplers();
    ~MinimapExactSamplers();
    MinimapExactSamplers(const MinimapExactSamplers&) = delete;
    MinimapExactSamplers& operator=(const MinimapExactSamplers&) = delete;

private:
    static constexpr int STAGES = 2, STATES = 5;
    uint32_t kept_[STAGES][STATES] = {};
};

class Minimap;

// What the picture shows of an entity (the fog's and the radars' sightings are read from its
// fog-seen tick: seen now is seen in the world's latest tick).
MinimapMark ClassifyForMinimap(const Minimap& minimap, Entity* entity, int tick, bool showObjectiveIcons);
// The radar range drawn around a player entity; 0 for one without radar.
float MinimapRadarRange(Entity* entity, bool underPowered, bool overUnitControl);

class Minimap {
public:
    Minimap();
    ~Minimap();
    Minimap(const Minimap&) = delete;
    Minimap& operator=(const Minimap&) = delete;

    // ---- The fog of war (FogOfWar.cpp)
    // At every level start: the ping list's sprite, the shaders, the targets, the sight
    // texture and the grids. Refused (logged) when a target cannot be made: then tried again
    // at the next call, and Update does nothing meanwhile.
    void CreateFogOfWar();
    // The grids for the current level's grid size, all zero.
    void AllocateFogGrids();
    // Once a frame from the game's update, drawn or not: the grids of what the player's
    // units see, which the entities, objectives and events read.
    void Update();
    // Once a frame drawn: the fog's targets, which only the pictures read.
    void DrawFog();
    void UpdateVisibility();
    void RevealAround(Entity* entity);
    void RenderFogTargets();
    // True while fog is off.
    bool IsPositionVisible(const Vec3& position) const;
    // Also notes the frame in which the fog saw the entity.
    bool IsEntityVisible(Entity* entity) const;
    bool IsCellVisited(int column, int row) const;
    // Makes the fog target the render target and clears it; it stays set.
    void ClearFogTarget(uint32_t colour);
    // The fog target white, the pings gone; the device's target kept.
    void Reset();
    // A level ended: the grids cleared, the fog white, the visited area to be cleared and the
    // terrain drawn again for the next level.
    void OnLevelEnd();
    void OnLostDevice();
    void OnResetDevice();
    void BeginTopDownView();
    void EndTopDownView();
    // True only when the fog texture is black over the whole box (x and z): the ground there
    // is drawn black whatever lies on it. False whenever that cannot be known.
    bool IsNeverSeen(const Vec3& min, const Vec3& max) const;
    void SetFogEnabled(bool on) { fogEnabled = on; }
    bool IsFogEnabled() const { return fogEnabled; }
    void FillSightTexture();
    // Everything that belongs to the device, before it goes.
    void Release();

    // ---- The visited-map file (VisitedMap.cpp)
    // The markers beside a saved game: the name's extension becomes ".vis". False (logged)
    // when the file cannot be written.
    bool SaveVisited(const char* name);
    // Missing files change nothing; a file of any length fills at most the grid, and the
    // visited target is drawn again from the markers.
    bool LoadVisited(const char* name);

    // ---- Pings
    void AddPing(const Vec3& position, int kind, int entityId, float time);

    // ---- The display (Minimap.cpp)
    // Once: the display's targets, shader and sprites; then the terrain from above while it
    // has not been drawn for this level.
    // The fog's and the picture's programs, made with the fog of war so that the level's start
    // can warm the driver up for them; the picture's targets wait for the HUD's first frame.
    void CompileShaders();
    void CreateTextures();
    void Draw();
    bool ContainsPoint(int x, int y) const;
    void RenderMiniTerrain();
    void RenderVisitedMarks();
    void RenderMinimapImage();
    void MarkRadarContacts();
    // Writes the picture as "minimap.bmp" into the user folder; false (logged) on failure.
    bool SaveBitmap();

    // ---- State
    FogGrids fog;
    PingList pings;
    bool created = false;
    bool fogEnabled = true;
    bool visitedClearPending = true;
    bool visibilityDue = true;  // the grids are worked out at the next update
    // A saved level's fog put back as it stood, its next evaluation where the save had it: the
    // level's stand-up (its first frame's tick of nothing) leaves it so.
    bool fogRestored = false;
    // A coarse grid over the fog targets, marked under every sight stamp drawn since the
    // visited area was last cleared: where it is unmarked, the fog texture is black. Only
    // meaningful while the fog texture holds what the stamps made of it.
    static constexpr int MAY_BE_SEEN_CELLS = 64;
    std::vector<uint8_t> mayBeSeen;
    bool fogFromStamps = false;
    // The player's sight skill level: the rig sees farther with each.
    int rigSightSkill = 0;

    TextureRecord* sightTexture = nullptr;
    TextureRecord* fogTarget = nullptr;         // "rt_fogofwar"
    TextureRecord* visibilityTarget = nullptr;  // "rt_visiblity"
    TextureRecord* visitedTarget = nullptr;     // "rt_visited"
    Shader* fogShader = nullptr;

    TextureRecord* miniTerrainTarget = nullptr;  // "rt_miniterrain"
    TextureRecord* pictureTarget = nullptr;      // "rt_minimap"
    Shader* landscapeShader = nullptr;
    Sprite* frameSprite = nullptr;
    Sprite* pictureQuad = nullptr;
    Sprite* circleSprite = nullptr;
    Sprite* objectiveSprite = nullptr;
    Sprite* rigMarkerSprite = nullptr;
    float iconTimer = 0.0f;
    MinimapLayout layout;
    bool texturesCreated = false;
    bool miniTerrainRendered = false;
    // The HUD's radar-range switch: every radar circle is drawn, not only the selected ones.
    bool radarRangesShown = false;

private:
    // A sight stamp of half size s around (x, z): two triangles of the sight texture.
    void DrawSightStamp(float x, float z, float halfSize);
    // The three transforms the top-down view replaced.
    Matrix savedTransforms_[3];
    // The frame whose drawing last drew the fog's targets.
    int targetsFrame_ = -100;
};

extern Minimap TheMinimap;
