#pragma once
#include <string>
// The terrain editor: works on the level in play. It raises, lowers, levels and smooths the
// ground with round brushes, lays ground splats, places objects and agents, and saves and loads
// heightmap images. The console's "edit" makes it once, while a level is played; it lives for
// the rest of the run. Its show button switches it on and off (active); while it is off it
// does nothing.
//
// The game object calls its hooks: Update from the mouse orders (a press, then every 0.1 s of a
// drag), Render from the world's overlay pass, DrawGui from the GUI pass, and the undo and redo
// keys ("editor_undo", "editor_redo").
//
// Modes: 0 sculpt (the "Map" tab), 1 and 2 sculpt variants (1 lowers), 3 painting a byte map,
// 4 objects ("Object"), 5 splats ("Splat"), 6 the object palette ("AI"). Every mode but 3 to
// 6 sculpts. The sculpt keys: Alt and Ctrl smooth the whole map; Alt sets the centre cell;
// Ctrl smooths under the brush; Shift levels to the height under the press; none raises (or
// lowers with a negative strength). One undo snapshot per stroke.
//
// TerrainEditor.cpp holds the brushes and drawing, TerrainEditorWindows.cpp the windows and
// their callbacks.
#include "host/Maths.h"
#include "terrain/HeightFieldGenerator.h"
#include "platform/PooledList.h"

#include <cstdint>

class Button;
class EditBox;
class Entity;
class FileBrowser;
class Heightmap;
class HintBox;
class Label;
class ScrollList;
struct ScrollListEntry;
class Sprite;
class Window;

class TerrainEditor {
public:
    enum Mode : int {
        MODE_SCULPT = 0,
        MODE_LOWER = 1,
        MODE_SCULPT_ALT = 2,
        MODE_PAINT = 3,
        MODE_OBJECT = 4,
        MODE_SPLAT = 5,
        MODE_PALETTE = 6,
    };
    static constexpr int WINDOW_ID = 1337;
    static constexpr int PAGE_MAP = 1338;
    static constexpr int PAGE_OBJECT = 1339;
    static constexpr int PAGE_SPLAT = 1340;
    static constexpr int PAGE_AI = 1341;
    static constexpr int ENTITY_LIST_NODES = 100;
    static constexpr int PAINT_MAP_SIDE = 128;
    static constexpr float HINT_DELAY = 0.5f;

    // Builds the editor and its windows (TerrainEditorWindows.cpp): sculpt mode, brush 2,
    // strength 0, hard, inactive; the file names from the level in play.
    TerrainEditor();
    ~TerrainEditor();
    TerrainEditor(const TerrainEditor&) = delete;
    TerrainEditor& operator=(const TerrainEditor&) = delete;

    // ---- The game's hooks
    // held: the button stays down after its press. Nothing while inactive; a held button that
    // has not moved applies nothing again.
    void Update(bool held);
    void Render();
    void DrawGui();
    void OnUndoKey();
    void OnRedoKey();

    static bool IsSculptMode(int mode) { return mode < MODE_PAINT || mode > MODE_PALETTE; }
    // The sculpt brush's index for a brush size (2, 4, 8, 16), -1 for any other size.
    static int BrushIndex(float size);

    // ---- The mode handlers
    void ApplySculpt(bool held);
    void PlaceObject();
    void PlaceSplat();
    // A unit of that type put down at the cell under the mouse.
    void PlaceAgent(const char* type);
    void PaintByteMap();

    // ---- Heightmap files and the whole ground (TerrainEditorWindows.cpp)
    // A snapshot for undo, the image into the heightmap, and the ground rebuilt; false when
    // there is no ground or the image could not be read (the heights then stay as they were).
    bool LoadHeightmap(const char* path);
    // Writes the heightmap to the heightmap file; the level's scene names that file from now
    // on. False when it could not be written.
    bool SaveHeightmap();
    // A field of random hills shaped by the four-player layout and noise. No undo snapshot.
    void RandomHeightmap();
    // After the heights changed in the square of side size around (x, z) (0: everywhere):
    // the heightmap texture, the normals and the ground meshes; whole also the alpha map and
    // the game's tile map.
    void RefreshGround(int size, int x, int z, bool whole, bool upload = true);
    void SetActive(bool on);
    void ShowPage(int page);

    // ---- Windows (TerrainEditorWindows.cpp)
    void Build();
    void BuildToolbar();
    void BuildObjectPalette();
    // The "Object" page: the kind a placed object becomes, whether it blocks the grid, and the
    // list of the growth meshes to place; the "Splat" page: the pictures the splats take.
    void BuildObjectPage();
    void BuildSplatPage();
    void Layout();
    // The mesh becomes the object template that mode 4 places; false when it cannot be loaded
    // (the template stays as it was).
    bool SetObjectTemplate(const char* mesh);
    void SetStrength(float value);

    static int OnTabMap(void* user, Button* button);
    static int OnTabObject(void* user, Button* button);
    static int OnTabSplat(void* user, Button* button);
    static int OnTabAI(void* user, Button* button);
    static int OnBrushSize(void* user, Button* button);
    static int OnToggleActive(void* user, Button* button);
    static int OnShapeHard(void* user, Button* button);
    static int OnShapeSoft(void* user, Button* button);
    static int OnStrengthDown(void* user, Button* button);
    static int OnStrengthUp(void* user, Button* button);
    static int OnStrengthFineDown(void* user, Button* button);
    static int OnStrengthFineUp(void* user, Button* button);
    static int OnAutoTexture(void* user, Button* button);
    static int OnDebugTextures(void* user, Button* button);
    static int OnWhiteTextures(void* user, Button* button);
    static int OnSaveHeightmap(void* user, Button* button);
    static int OnLoadHeightmap(void* user, Button* button);
    static int OnClearHeightmap(void* user, Button* button);
    static int OnRandomHeightmap(void* user, Button* button);
    static int OnHeightmapName(void* user, EditBox* box);
    static int OnThresholdLow(void* user, EditBox* box);
    static int OnThresholdHigh(void* user, EditBox* box);
    static int OnSetTexture(void* user, Button* button);
    static int OnFileBrowser(void* user, Button* button);
    static int OnCloseBrowser(void* user, Button* button);
    static int OnBrowserSelect(void* user, ScrollList* list);
    static int OnPaletteBuilding(void* user, Button* button);
    static int OnPaletteAgent(void* user, Button* button);
    static int OnPaletteHover(void* user, Button* button);
    static int OnPaletteLeave(void* user, Button* button);
    static int OnObjectCategory(void* user, Button* button);
    static int OnBlockGrid(void* user, Button* button);
    static int OnMeshList(void* user, Button* button);
    static int OnMeshSelect(void* user, ScrollList* list);
    static int OnSplatPicture(void* user, Button* button);

    // ---- State
    int mode = MODE_SCULPT;
    float brushSize = 2.0f;
    float strength = 0.0f;
    int brushShape = 0;  // 0 hard, 1 or 2 soft
    int splatTexture[2] = {0, 0};
    Vec3 hitPoint;
    int lastMouseX = -1, lastMouseY = -1;
    // The height a level stroke brings the ground to, taken at its press.
    float levelHeight = 0.0f;
    PooledList<Entity*> placed;
    PooledList<Entity*> drawn;
    Entity* splatBrush = nullptr;
    Entity* objectTemplate = nullptr;
    // The mesh file the template was made of: a placement in a level names it in its order.
    std::string objectMesh;
    // The editor's own random sequence (its random heightmap), apart from the level's.
    unsigned randomState = 1;
    int objectCategory = 0;  // 0 static object, 1 resource
    // Placed objects that do not reflect the water take their cells from the walkers.
    bool blockGrid = false;
    Entity* sculptBrushes[4] = {};
    Entity* splatBrushes[4] = {};
    // Where the sculpt brush was last fitted to the ground.
    float brushX = 1e9f, brushZ = 1e9f;
    bool active = false;
    // Mode 3's map.
    uint8_t paintMap[PAINT_MAP_SIDE * PAINT_MAP_SIDE] = {};
    char heightmapFile[256] = "";
    char sceneFile[256] = "";

    // Windows
    Window* window = nullptr;
    Button* tabs[4] = {};
    Button* sizeButtons[4] = {};
    Button* shapeButtons[2] = {};
    Button* showButton = nullptr;
    Label* strengthLabel = nullptr;
    EditBox* heightmapBox = nullptr;
    EditBox* thresholdBoxes[2] = {};
    FileBrowser* browser = nullptr;
    Button* categoryButtons[2] = {};
    Button* blockButton = nullptr;
    // The meshes of the growth definitions, each once, for the "Object" page's list.
    ScrollList* meshList = nullptr;
    PooledList<ScrollListEntry*> meshEntries;
    HintBox* hint = nullptr;
    float hoverTimer = 0.0f;
    bool hintShown = false;
    Sprite* swatches[2] = {};
    // The debug view of the ground layers: the three names it replaced.
    bool debugTextures = false;
    char savedLayers[3][256] = {};
    int columns = 7;
    int iconSize = 0, pitch = 0, margin = 0, panelHeight = 0;
};

extern TerrainEditor* TheTerrainEditor;
// The editor and its windows go (the game's HUD goes at shutdown).
void ReleaseTerrainEditor();
// The editor exists and is switched on.
bool TerrainEditorIsActive();

// The splat textures mode 5 lays: diffuse pictures and normal maps, picked by index.
extern const char* const EditorSplatTextures[];
extern const char* const EditorSplatNormals[];
constexpr int EDITOR_SPLAT_TEXTURES = 3;

// What a random heightmap drew from the game's generator, in the order drawn: the hill field's
// parameters, then (after the field reseeded the generator) the noise's.
struct RandomHeightDraws {
    HeightFieldParams field;
    int octaves = 0;
    float persistence = 0.0f;
    float zoom = 0.0f;
    int noiseSeed = 0;
};
// Fills the map with random hills, shaped by the layout image and by octave noise (the
// editor's "Rand"); the draws are written when asked for.
void GenerateRandomHeights(Heightmap& map, const char* layoutPath, RandomHeightDraws* drawn);

struct PlayerOrder;
// The world's side of ORDER_EDITOR_PLACE: what the editor put down, made at the tick, whether
// the editor is open or not (a replay's program has none).
void ApplyEditorPlacement(const PlayerOrder& order);
