// The terrain editor's windows: one window at the right edge of the screen with four tabs
// ("Map", "Object", "Splat", "AI"), the brush sizes, the "Map" page's toolbar (brush shape and
// strength, heightmap files, automatic texturing, ground layers), the "Object" page (the kind of
// a placed object, grid blocking, the growth meshes to place), the "Splat" page (the splats'
// pictures), the "AI" page's palette of buildings and agents, a file browser over ground
// textures, and the show button that switches the editor on and off. Every control but the
// lists' rows plays "blip".
#include "tools/TerrainEditor.h"
#include "tools/SculptUndoRing.h"

#include "gui/Button.h"
#include "gui/EditBox.h"
#include "gui/FileBrowser.h"
#include "gui/Label.h"
#include "gui/Window.h"
#include "gui/WindowManager.h"
#include "host/Random.h"
#include "host/System.h"
#include "interface/MessageLists.h"
#include "interface/MissionHud.h"
#include "levelgen/Growth.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Scene.h"
#include "mechanics/Selection.h"
#include "platform/Files.h"
#include "platform/SoundManager.h"
#include "platform/Timer.h"
#include "platform/UserFolders.h"
#include "render/Draw2D.h"
#include "render/HintBox.h"
#include "render/IndexedMesh.h"
#include "render/Sprite.h"
#include "terrain/Environment.h"
#include "terrain/HeightFieldGenerator.h"
#include "terrain/Heightmap.h"
#include "terrain/SplatPool.h"
#include "terrain/Terrain.h"
#include "world/Agent.h"
#include "world/AgentTypeRegistry.h"
#include "world/BuildItem.h"
#include "world/Entity.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr const char* GUI_FOLDER = "data/gui/Editor/";
constexpr const char* ICONS_1 = "data/gui/Editor/editor_icons_1.dds";
constexpr const char* ICONS_2 = "data/gui/Editor/editor_icons_2.dds";
constexpr const char* SPACER = "data/gui/Editor/icon_spacer.dds";
constexpr const char* AUTO_TEXTURE_ICON = "data/gui/Editor/icon_autoTexture.dds";
constexpr const char* HIGHLIGHT = "data/gui/highlight_blue.dds";
constexpr const char* FACE = "data/gui/solid_grey.dds";
constexpr const char* BROWSER_FOLDER = "data\\textures\\final\\ground\\";
constexpr const char* CLEAR_HEIGHTMAP = "data/heightmaps/clear.dds";
constexpr const char* LAYOUT_HEIGHTMAP = "data/heightmaps/four_players.jpg";
const char* const SPLAT_BRUSHES[4] = {"splatSmall", "splat", "splatLarge", "splatXLarge"};
constexpr const char* MESH_ICON = "data/gui/emptyslot.dds";
constexpr int MESH_LIST_ENTRIES = 256;

// Cells of the icon sheets, four by four.
int Cell(int column, int row) { return 4 << 24 | 4 << 16 | column << 8 | row; }

TerrainEditor* Editor() { return TheTerrainEditor; }

void Blip()
{
    if (SoundMgr) SoundMgr->PlaySound("blip");
}

int UserValue(void* user) { return user ? (int)*static_cast<intptr_t*>(user) : 0; }

Button* IconButton(int x, int y, int side, const char* sheet, int cell, ButtonCallback press, int value, int id)
{
    Button* button = new Button(press, nullptr, x, y, side, side, 0, HudFont(3), sheet, sheet, nullptr, cell, cell, 0);
    button->SetImage(HIGHLIGHT, 0);
    button->userData = value;
    button->hasUserData = true;
    button->id = id;
    return button;
}

Button* TextButton(int x, int y, int width, int height, const char* text, ButtonCallback press, int value, int id)
{
    Button* button = new Button(press, nullptr, x, y, width, height, 0, HudFont(3), FACE, FACE, nullptr, 0, 0, 0);
    button->SetImage(HIGHLIGHT, 0);
    button->SetText(text);
    button->userData = value;
    button->hasUserData = true;
    button->id = id;
    return button;
}

// Marks one button of a row and unmarks the others.
void MarkOne(Button* const* buttons, int count, Button* marked)
{
    for (int i = 0; i < count; ++i)
        if (buttons[i]) buttons[i]->selected = buttons[i] == marked;
}

void CopyLayerNames(char (*out)[256])
{
    for (int i = 0; i < 3; ++i) CopyText(out[i], 256, GroundTextureSlots[i]);
}

// A heightmap name typed into the box is a file of the heightmaps folder: no separators, no
// way up.
bool IsPlainFileName(const char* name)
{
    return name && *name && !strpbrk(name, "/\\:") && !strstr(name, "..");
}

}  // namespace

TerrainEditor::TerrainEditor()
{
    TheTerrainEditor = this;
    Build();
}

void TerrainEditor::Build()
{
    mode = MODE_SCULPT;
    brushSize = 2.0f;
    strength = 0.0f;
    brushShape = 0;
    splatTexture[0] = splatTexture[1] = 0;
    active = false;
    char path[MAX_PATH_TEXT * 2];
    snprintf(path, sizeof path, "%s/heightmaps/default.bmp", UserFolder);
    CopyText(heightmapFile, sizeof heightmapFile, path);
    if (StrICmp(TheScene.heightmapName, "none") != 0 && TheScene.heightmapName[0])
        CopyText(heightmapFile, sizeof heightmapFile, TheScene.heightmapName);
    snprintf(path, sizeof path, "%s/savefiles/default.txt", UserFolder);
    CopyText(sceneFile, sizeof sceneFile, path);
    if (TheGame && TheGame->levelName[0]) CopyText(sceneFile, sizeof sceneFile, TheGame->levelName);

    for (int i = 0; i < 4; ++i) {
        char name[32];
        snprintf(name, sizeof name, "sculpt%d", i);
        sculptBrushes[i] = TheScene.FindPrimitive(name);
        splatBrushes[i] = TheScene.FindPrimitive(SPLAT_BRUSHES[i]);
    }
    splatBrush = splatBrushes[0];
    placed.Init(ENTITY_LIST_NODES);
    drawn.Init(ENTITY_LIST_NODES);

    const int h = ScreenHeight();
    columns = 7;
    iconSize = h / 32;
    pitch = h * 14 / 192;
    margin = h / 192;
    panelHeight = h * 25 / 192;

    window = new Window(0, 0, 1, 1, 0, GUI_FOLDER, WINDOW_FRAMELESS);
    window->id = WINDOW_ID;
    CopyText(window->caption, sizeof window->caption, "Terrain Editor");
    if (WindowMgr) WindowMgr->AddWindow(window);
    const int row = iconSize + margin;
    int y = margin;
    Label* title = new Label("Terrain Editor", margin, y, pitch * 4, iconSize, 0, HudFont(3), false);
    title->id = WINDOW_ID;
    window->AddChild(title);
    y += row;
    static const char* const tabNames[4] = {"Map", "Object", "Splat", "AI"};
    static const ButtonCallback tabCallbacks[4] = {OnTabMap, OnTabObject, OnTabSplat, OnTabAI};
    for (int i = 0; i < 4; ++i) {
        tabs[i] = TextButton(margin + i * pitch, y, pitch - margin, iconSize, tabNames[i], tabCallbacks[i], i, WINDOW_ID);
        window->AddChild(tabs[i]);
    }
    y += row;
    for (int i = 0; i < 4; ++i) {
        sizeButtons[i] = IconButton(margin + i * (iconSize + margin), y, iconSize, ICONS_1, Cell(i, 0), OnBrushSize, i,
                                    WINDOW_ID);
        window->AddChild(sizeButtons[i]);
    }
    Button* spacer = new Button(nullptr, nullptr, margin, y + iconSize + margin / 2, pitch * 4 - margin, margin, 0,
                                nullptr, SPACER, SPACER, nullptr, 0, 0, 0);
    spacer->id = WINDOW_ID;
    window->AddChild(spacer);
    MarkOne(tabs, 4, tabs[0]);
    MarkOne(sizeButtons, 4, sizeButtons[0]);

    BuildToolbar();
    Layout();
    BuildObjectPage();
    BuildSplatPage();
    BuildObjectPalette();
    Layout();

    // The backdrop goes first among the children, so everything draws over it. Its quads are
    // made where the window stands on the screen; its own place is the window's corner.
    Window* backdrop = new Window(window->x, window->y, window->width, window->height, "wframe_blue.dds");
    backdrop->x = backdrop->y = 0;
    backdrop->id = WINDOW_ID;
    backdrop->parent = window;
    backdrop->nextSibling = window->firstChild;
    window->firstChild = backdrop;

    // The show button stands just left of the HUD's resource bar, clear of its counts.
    const int showSide = iconSize;
    const int barLeft = TheMissionHud.resourceBar ? TheMissionHud.resourceBar->x : ScreenWidth() - ScreenHeight() * 2 / 3;
    showButton = new Button(OnToggleActive, nullptr, barLeft - showSide - 4, 2, showSide, showSide, 0, nullptr,
                            ICONS_2, ICONS_2, nullptr, Cell(1, 1), Cell(1, 1), 0);
    showButton->SetImage(HIGHLIGHT, 0);
    CopyText(showButton->caption, sizeof showButton->caption, "show");
    // The button belongs to the HUD: it goes and comes back with it.
    showButton->id = HUD_WINDOW_ID;
    if (WindowMgr) WindowMgr->AddWindow(showButton);

    for (int i = 0; i < 2; ++i)
        swatches[i] = CreateSprite(window->x + margin + i * (pitch + margin), window->y + window->height + margin, pitch,
                                   pitch, EditorSplatTextures[0], 0xFFFFFFFF, 0.0f, 0.0f, 1.0f, 1.0f, false);

    ShowPage(PAGE_MAP);
    SetActive(false);
}

void TerrainEditor::Layout()
{
    int right = 0, bottom = 0;
    for (Window* child = window->firstChild; child; child = child->nextSibling) {
        right = std::max(right, child->x + child->width);
        bottom = std::max(bottom, child->y + child->height);
    }
    window->SetSize(right + margin, bottom + margin);
    window->Move(ScreenWidth() - window->width - 2, std::max((ScreenHeight() - window->height) / 2, 0));
}

void TerrainEditor::BuildToolbar()
{
    const int row = iconSize + margin;
    // Below the brush sizes and the spacer.
    int y = margin + 3 * row + margin;
    int x = margin;
    auto next = [&](Window* w) {
        w->id = PAGE_MAP;
        window->AddChild(w);
        x += w->width + margin;
    };
    shapeButtons[0] = IconButton(x, y, iconSize, ICONS_1, Cell(0, 1), OnShapeHard, 0, PAGE_MAP);
    next(shapeButtons[0]);
    shapeButtons[1] = IconButton(x, y, iconSize, ICONS_1, Cell(1, 1), OnShapeSoft, 0, PAGE_MAP);
    next(shapeButtons[1]);
    MarkOne(shapeButtons, 2, shapeButtons[0]);
    next(IconButton(x, y, iconSize, ICONS_2, Cell(2, 0), OnStrengthDown, 0, PAGE_MAP));
    strengthLabel = new Label("0.0", x, y, pitch, iconSize, 0, HudFont(3), true);
    next(strengthLabel);
    next(IconButton(x, y, iconSize, ICONS_2, Cell(3, 0), OnStrengthUp, 0, PAGE_MAP));
    next(IconButton(x, y, iconSize, ICONS_2, Cell(0, 1), OnStrengthFineDown, 0, PAGE_MAP));
    next(IconButton(x, y, iconSize, ICONS_2, Cell(1, 0), OnStrengthFineUp, 0, PAGE_MAP));

    y += row;
    x = margin;
    Button* autoTexture = new Button(OnAutoTexture, nullptr, x, y, iconSize, iconSize, 0, nullptr, AUTO_TEXTURE_ICON,
                                     AUTO_TEXTURE_ICON, nullptr, 0, 0, 0);
    autoTexture->SetImage(HIGHLIGHT, 0);
    next(autoTexture);
    next(TextButton(x, y, pitch, iconSize, "Dbg", OnDebugTextures, 0, PAGE_MAP));
    next(TextButton(x, y, pitch, iconSize, "Wht", OnWhiteTextures, 0, PAGE_MAP));

    y += row;
    x = margin;
    next(TextButton(x, y, pitch, iconSize, "Save", OnSaveHeightmap, 0, PAGE_MAP));
    next(TextButton(x, y, pitch, iconSize, "Load", OnLoadHeightmap, 0, PAGE_MAP));
    next(TextButton(x, y, pitch, iconSize, "Clear", OnClearHeightmap, 0, PAGE_MAP));
    next(TextButton(x, y, pitch, iconSize, "Rand", OnRandomHeightmap, 0, PAGE_MAP));

    y += row;
    x = margin;
    char fileName[MAX_PATH_TEXT];
    GetFileName(heightmapFile, fileName);
    heightmapBox = new EditBox(fileName, x, y, pitch * 4, iconSize, 1, HudFont(3), nullptr);
    heightmapBox->enterCallback = OnHeightmapName;
    CopyText(heightmapBox->caption, sizeof heightmapBox->caption, "heightmap");
    next(heightmapBox);

    y += row;
    x = margin;
    for (int i = 0; i < 2; ++i) {
        char text[32];
        snprintf(text, sizeof text, "%.2f", AutoTextureThresholds[i]);
        thresholdBoxes[i] = new EditBox(text, x, y, pitch * 2 - margin, iconSize, 1, HudFont(3), nullptr);
        thresholdBoxes[i]->maximumLength = 32;
        thresholdBoxes[i]->enterCallback = i == 0 ? OnThresholdLow : OnThresholdHigh;
        next(thresholdBoxes[i]);
    }

    y += row;
    x = margin;
    static const char* const setNames[5] = {"Set 1", "Set 2", "Set V", "Set N", "Set C"};
    for (int i = 0; i < 5; ++i) next(TextButton(x, y, pitch, iconSize, setNames[i], OnSetTexture, i + 1, PAGE_MAP));

    y += row;
    x = margin;
    next(TextButton(x, y, pitch, iconSize, "File", OnFileBrowser, 0, PAGE_MAP));
    next(TextButton(x, y, pitch, iconSize, "Close", OnCloseBrowser, 0, PAGE_MAP));
}

void TerrainEditor::BuildObjectPage()
{
    const int row = iconSize + margin;
    int y = margin + 3 * row + margin;
    int x = margin;
    auto next = [&](Button* button) {
        window->AddChild(button);
        x += button->width + margin;
        return button;
    };
    categoryButtons[0] = next(TextButton(x, y, pitch, iconSize, "Static", OnObjectCategory, 0, PAGE_OBJECT));
    categoryButtons[1] = next(TextButton(x, y, pitch, iconSize, "Resource", OnObjectCategory, 1, PAGE_OBJECT));
    MarkOne(categoryButtons, 2, categoryButtons[objectCategory == 1 ? 1 : 0]);
    blockButton = next(TextButton(x, y, pitch, iconSize, "Block", OnBlockGrid, 0, PAGE_OBJECT));
    blockButton->selected = blockGrid;
    y += row;
    x = margin;
    next(TextButton(x, y, pitch, iconSize, "Meshes", OnMeshList, 0, PAGE_OBJECT));
}

void TerrainEditor::BuildSplatPage()
{
    const int row = iconSize + margin;
    const int y = margin + 3 * row + margin;
    window->AddChild(TextButton(margin, y, pitch, iconSize, "Picture", OnSplatPicture, 0, PAGE_SPLAT));
    window->AddChild(TextButton(margin + pitch + margin, y, pitch, iconSize, "Normals", OnSplatPicture, 1, PAGE_SPLAT));
}

bool TerrainEditor::SetObjectTemplate(const char* mesh)
{
    if (!mesh || !*mesh) return false;
    Entity* made = nullptr;
    {
        // The template is the editor's picture: placing one is an order that makes its own.
        const ViewOnlyEntities viewOnly;
        made = TheScene.CreateMeshEntity(mesh, nullptr, 0);
    }
    if (!made || !made->mesh) {
        delete made;
        return false;
    }
    char name[MAX_PATH_TEXT];
    GetFileName(mesh, name);
    CopyText(made->name, sizeof made->name, name);
    made->scale = 1.0f;
    delete objectTemplate;
    objectTemplate = made;
    objectMesh = mesh;
    return true;
}

void TerrainEditor::BuildObjectPalette()
{
    const int row = iconSize + margin;
    int y = margin + 3 * row + margin;
    // Names are longer than an icon: a palette button takes two of the icon columns.
    const int width = 2 * pitch, perRow = columns / 2;
    auto grid = [&](int index) {
        return std::pair<int, int>(margin + (index % perRow) * (width + margin), y + (index / perRow) * row);
    };
    Label* buildings = new Label("Buildings", margin, y, pitch * 3, iconSize, 0, HudFont(3), false);
    buildings->id = PAGE_AI;
    window->AddChild(buildings);
    y += row;
    int count = 0;
    BuildItemList* items = TheGame ? TheGame->buildItems : nullptr;
    for (auto* node = items ? items->items.head : nullptr; node; node = node->next) {
        BuildItem* item = node->value;
        if (!item || !(item->flags & BUILD_AI_CAN_BUILD)) continue;
        auto [bx, by] = grid(count++);
        Button* button = TextButton(bx, by, width, iconSize, item->name, OnPaletteBuilding, 0, PAGE_AI);
        button->userData = reinterpret_cast<intptr_t>(item);
        window->AddChild(button);
    }
    y += ((count + perRow - 1) / perRow) * row;
    Label* agents = new Label("Agents", margin, y, pitch * 3, iconSize, 0, HudFont(3), false);
    agents->id = PAGE_AI;
    window->AddChild(agents);
    y += row;
    count = 0;
    AgentTypeRegistry* registry = TheGame ? TheGame->agentTypes : nullptr;
    for (auto* node = registry ? registry->types.head : nullptr; node; node = node->next) {
        AgentType* type = node->value;
        if (!type) continue;
        auto [bx, by] = grid(count++);
        Button* button = TextButton(bx, by, width, iconSize, type->name, OnPaletteAgent, 0, PAGE_AI);
        button->userData = reinterpret_cast<intptr_t>(type);
        button->hoverEnterCallback = OnPaletteHover;
        button->hoverLeaveCallback = OnPaletteLeave;
        window->AddChild(button);
    }
}

void TerrainEditor::ShowPage(int page)
{
    for (int id : {PAGE_MAP, PAGE_OBJECT, PAGE_SPLAT, PAGE_AI}) {
        if (id == page)
            window->ShowChildrenById(id);
        else
            window->HideChildrenById(id);
    }
    if (page != PAGE_OBJECT && meshList) meshList->SetVisible(false);
}

void TerrainEditor::SetActive(bool on)
{
    active = on;
    TerrainEditorActive = on;
    if (!window) return;
    window->SetVisible(on);
    if (!on && browser) browser->SetVisible(false);
    if (!on && meshList) meshList->SetVisible(false);
}

void TerrainEditor::SetStrength(float value)
{
    strength = value;
    char text[32];
    snprintf(text, sizeof text, "%.1f", strength);
    if (strengthLabel) strengthLabel->SetText(text);
}

// ---- Heightmap files and the whole ground

bool TerrainEditor::LoadHeightmap(const char* path)
{
    Heightmap* map = TheTerrain.heightmap.get();
    if (!map || !path) return false;
    TheSculptUndoRing.Push(map->data.data(), map->width, map->height);
    std::vector<float> kept = map->data;
    if (!map->LoadImage(path)) {
        // Nothing read: the ground stays as it was.
        map->data = kept;
        return false;
    }
    RefreshGround(0, 0, 0, true);
    return true;
}

bool TerrainEditor::SaveHeightmap()
{
    Heightmap* map = TheTerrain.heightmap.get();
    if (!map) return false;
    char path[MAX_PATH_TEXT];
    CopyText(path, sizeof path, heightmapFile);
    // Data paths are normalised; the player's own folder keeps its case.
    if (strncmp(path, UserFolder, strlen(UserFolder)) != 0) FixPath(path);
    if (!map->SaveTexture(path)) return false;
    CopyText(TheScene.heightmapName, sizeof TheScene.heightmapName, path);
    return true;
}

void GenerateRandomHeights(Heightmap& map, const char* layoutPath, RandomHeightDraws* drawn)
{
    RandomHeightDraws draws;
    HeightFieldParams& params = draws.field;
    params.size = (uint16_t)map.width;
    params.minRadius = (float)Rand() / 32768.0f * 0.9f + 0.1f;
    params.maxRadius = params.minRadius + (float)Rand() / 32768.0f * (10.0f - params.minRadius);
    params.hillCount = (uint16_t)(Rand() % 901 + 100);
    params.flattening = (uint16_t)(Rand() % 4 + 1);
    params.seed = (uint32_t)(Rand() % 2000);
    // The field reseeds the generator with its seed: the draws below follow from that seed.
    HeightFieldGenerator field(params);
    field.Generate();
    for (int y = 0; y < map.height && y < params.size; ++y)
        for (int x = 0; x < map.width && x < params.size; ++x)
            map.data[(size_t)y * map.width + x] = field.At(x, y) * map.verticalScale;

    Heightmap shaping(map.width, map.height, 2.0f);
    shaping.LoadImage(layoutPath);
    map.MultiplyBy(shaping);
    draws.octaves = Rand() % 3 + 4;
    draws.persistence = (float)Rand() / 32768.0f * 0.9f + 0.1f;
    draws.zoom = (float)Rand() / 32768.0f * 5.9f + 0.1f;
    draws.noiseSeed = Rand() % 2000;
    shaping.GenerateNoise(draws.noiseSeed, draws.zoom, draws.persistence, draws.octaves);
    map.MultiplyBy(shaping);
    shaping.Free();
    if (drawn) *drawn = draws;
}

void TerrainEditor::RandomHeightmap()
{
    Heightmap* map = TheTerrain.heightmap.get();
    if (!map) return;
    // Drawn from the editor's own sequence: the level's goes on where it stood.
    const unsigned levels = RandState();
    SRand(randomState);
    GenerateRandomHeights(*map, LAYOUT_HEIGHTMAP, nullptr);
    randomState = RandState();
    SRand(levels);
    RefreshGround(0, 0, 0, true);
}

// ---- Callbacks

int TerrainEditor::OnTabMap(void*, Button* button)
{
    TerrainEditor* editor = Editor();
    if (!editor) return 1;
    MarkOne(editor->tabs, 4, button);
    editor->mode = MODE_SCULPT;
    editor->ShowPage(PAGE_MAP);
    Blip();
    return 1;
}

int TerrainEditor::OnTabObject(void*, Button* button)
{
    TerrainEditor* editor = Editor();
    if (!editor) return 1;
    MarkOne(editor->tabs, 4, button);
    editor->mode = MODE_OBJECT;
    editor->ShowPage(PAGE_OBJECT);
    Blip();
    return 1;
}

int TerrainEditor::OnTabSplat(void*, Button* button)
{
    TerrainEditor* editor = Editor();
    if (!editor) return 1;
    MarkOne(editor->tabs, 4, button);
    editor->mode = MODE_SPLAT;
    editor->ShowPage(PAGE_SPLAT);
    Blip();
    return 1;
}

int TerrainEditor::OnTabAI(void*, Button* button)
{
    TerrainEditor* editor = Editor();
    if (!editor) return 1;
    MarkOne(editor->tabs, 4, button);
    editor->mode = MODE_PALETTE;
    editor->ShowPage(PAGE_AI);
    Blip();
    return 1;
}

int TerrainEditor::OnBrushSize(void* user, Button* button)
{
    TerrainEditor* editor = Editor();
    const int i = UserValue(user);
    if (!editor || i < 0 || i > 3) return 1;
    editor->brushSize = (float)(2 << i);
    MarkOne(editor->sizeButtons, 4, button);
    editor->splatBrush = editor->splatBrushes[i];
    Blip();
    return 1;
}

int TerrainEditor::OnToggleActive(void*, Button*)
{
    if (TerrainEditor* editor = Editor()) editor->SetActive(!editor->active);
    Blip();
    return 1;
}

int TerrainEditor::OnShapeHard(void*, Button* button)
{
    if (TerrainEditor* editor = Editor()) {
        editor->brushShape = 0;
        MarkOne(editor->shapeButtons, 2, button);
    }
    Blip();
    return 1;
}

int TerrainEditor::OnShapeSoft(void*, Button* button)
{
    if (TerrainEditor* editor = Editor()) {
        editor->brushShape = 2;
        MarkOne(editor->shapeButtons, 2, button);
    }
    Blip();
    return 1;
}

namespace {
int ChangeStrength(float step)
{
    if (TerrainEditor* editor = Editor()) editor->SetStrength(editor->strength + step);
    Blip();
    return 1;
}
}  // namespace

int TerrainEditor::OnStrengthDown(void*, Button*) { return ChangeStrength(-1.0f); }
int TerrainEditor::OnStrengthUp(void*, Button*) { return ChangeStrength(1.0f); }
int TerrainEditor::OnStrengthFineDown(void*, Button*) { return ChangeStrength(-0.1f); }
int TerrainEditor::OnStrengthFineUp(void*, Button*) { return ChangeStrength(0.1f); }

int TerrainEditor::OnAutoTexture(void*, Button*)
{
    TheTerrain.RefreshAlpha(false);
    if (TheGame && TheGame->grid) TheGame->BuildTileMap();
    Blip();
    return 1;
}

namespace {
// The debug view of the ground layers: on, the layer names are kept and the pictures given
// shown instead; off, the kept names come back. "Dbg" and "Wht" share the switch.
int ToggleDebugTextures(const char* const* pictures)
{
    TerrainEditor* editor = Editor();
    if (!editor) return 1;
    editor->debugTextures = !editor->debugTextures;
    if (editor->debugTextures) {
        CopyLayerNames(editor->savedLayers);
        for (int layer = 0; layer < 3; ++layer) TheTerrain.SetGroundTextures(pictures[layer], layer);
    } else {
        for (int layer = 0; layer < 3; ++layer) TheTerrain.SetGroundTextures(editor->savedLayers[layer], layer);
    }
    Blip();
    return 1;
}
}  // namespace

int TerrainEditor::OnDebugTextures(void*, Button*)
{
    static const char* const pictures[3] = {"Data/textures/blue.dds", "Data/textures/blue.dds", "Data/textures/red.dds"};
    return ToggleDebugTextures(pictures);
}

int TerrainEditor::OnWhiteTextures(void*, Button*)
{
    static const char* const pictures[3] = {"Data/textures/white.dds", "Data/textures/white.dds",
                                            "Data/textures/white.dds"};
    return ToggleDebugTextures(pictures);
}

int TerrainEditor::OnSaveHeightmap(void*, Button*)
{
    if (TerrainEditor* editor = Editor()) editor->SaveHeightmap();
    Blip();
    return 1;
}

int TerrainEditor::OnLoadHeightmap(void*, Button*)
{
    TerrainEditor* editor = Editor();
    if (!editor) return 1;
    char path[MAX_PATH_TEXT * 2];
    ScrollListEntry* selected = editor->browser && editor->browser->IsVisible() ? editor->browser->GetSelected() : nullptr;
    if (selected && selected->kind == 0)
        snprintf(path, sizeof path, "%s%s", editor->browser->GetFolder(), selected->name);
    else
        CopyText(path, sizeof path, editor->heightmapFile);
    editor->LoadHeightmap(path);
    Blip();
    return 1;
}

int TerrainEditor::OnClearHeightmap(void*, Button*)
{
    // The flat map ships in the data folder (never beside it).
    if (TerrainEditor* editor = Editor()) editor->LoadHeightmap(CLEAR_HEIGHTMAP);
    Blip();
    return 1;
}

int TerrainEditor::OnRandomHeightmap(void*, Button*)
{
    if (TerrainEditor* editor = Editor()) editor->RandomHeightmap();
    Blip();
    return 1;
}

int TerrainEditor::OnHeightmapName(void*, EditBox* box)
{
    TerrainEditor* editor = Editor();
    if (editor && box && IsPlainFileName(box->GetText()))
        snprintf(editor->heightmapFile, sizeof editor->heightmapFile, "data/heightmaps/%s", box->GetText());
    if (box) box->SetFocus(false);
    if (WindowMgr && WindowMgr->focused == box) WindowMgr->focused = nullptr;
    return 1;
}

namespace {
int SetThreshold(EditBox* box, int which)
{
    if (box) {
        AutoTextureThresholds[which] = (float)atof(box->GetText());
        box->SetFocus(false);
        if (WindowMgr && WindowMgr->focused == box) WindowMgr->focused = nullptr;
    }
    return 1;
}
}  // namespace

int TerrainEditor::OnThresholdLow(void*, EditBox* box) { return SetThreshold(box, 0); }
int TerrainEditor::OnThresholdHigh(void*, EditBox* box) { return SetThreshold(box, 1); }

int TerrainEditor::OnSetTexture(void* user, Button*)
{
    TerrainEditor* editor = Editor();
    const int value = UserValue(user);
    ScrollListEntry* selected = editor && editor->browser ? editor->browser->GetSelected() : nullptr;
    if (!selected || selected->kind != 0 || value < 1 || value > 5) return 1;
    char path[MAX_PATH_TEXT * 2];
    snprintf(path, sizeof path, "%s%s", editor->browser->GetFolder(), selected->name);
    if (value <= 4) {
        TheTerrain.SetGroundTextures(path, value - 1);
    } else {
        TheTerrain.ReloadSplatsAndMeshes(path, false);
    }
    Blip();
    return 1;
}

int TerrainEditor::OnFileBrowser(void*, Button*)
{
    TerrainEditor* editor = Editor();
    if (!editor) return 1;
    if (!editor->browser) {
        editor->browser = new FileBrowser();
        editor->browser->Create(BROWSER_FOLDER, editor->margin * 4, ScreenHeight() / 4);
        editor->browser->selectCallback = OnBrowserSelect;
        if (editor->browser->listWindow) editor->browser->listWindow->flags |= WINDOW_NOT_MANAGED_DRAW;
    }
    editor->browser->SetVisible(true);
    Blip();
    return 1;
}

int TerrainEditor::OnCloseBrowser(void*, Button*)
{
    TerrainEditor* editor = Editor();
    // "Close" closes what is open on top: the file browser when it is shown, else the editor
    // (as its show button does), so that the button never does nothing.
    if (editor && editor->browser && editor->browser->IsVisible())
        editor->browser->SetVisible(false);
    else if (editor)
        editor->SetActive(false);
    Blip();
    return 1;
}

int TerrainEditor::OnBrowserSelect(void*, ScrollList* list)
{
    TerrainEditor* editor = Editor();
    if (!editor || editor->mode != MODE_OBJECT || !editor->browser) return 1;
    ScrollListEntry* selected = list ? list->GetSelected() : nullptr;
    if (!selected || selected->kind != 0) return 1;
    char path[MAX_PATH_TEXT * 2];
    snprintf(path, sizeof path, "%s%s", editor->browser->GetFolder(), selected->name);
    editor->SetObjectTemplate(path);
    return 1;
}

int TerrainEditor::OnObjectCategory(void* user, Button* button)
{
    TerrainEditor* editor = Editor();
    if (!editor) return 1;
    editor->objectCategory = UserValue(user) == 1 ? 1 : 0;
    MarkOne(editor->categoryButtons, 2, button);
    Blip();
    return 1;
}

int TerrainEditor::OnBlockGrid(void*, Button* button)
{
    TerrainEditor* editor = Editor();
    if (!editor) return 1;
    editor->blockGrid = !editor->blockGrid;
    if (button) button->selected = editor->blockGrid;
    Blip();
    return 1;
}

int TerrainEditor::OnMeshList(void*, Button*)
{
    TerrainEditor* editor = Editor();
    if (!editor) return 1;
    if (!editor->meshList) {
        // Every mesh a growth definition lays out, once, in the order the definitions name them.
        editor->meshEntries.Init(MESH_LIST_ENTRIES);
        for (const GrowthDef* def : TheGrowthDB ? TheGrowthDB->definitions : std::vector<GrowthDef*>()) {
            for (const std::vector<IndexedMesh*>& list : def->lists)
                for (const IndexedMesh* mesh : list) {
                    if (!mesh || editor->meshEntries.IsFull()) continue;
                    bool known = false;
                    for (auto* node = editor->meshEntries.head; node && !known; node = node->next)
                        known = StrICmp(node->value->name, mesh->name) == 0;
                    if (known) continue;
                    auto* entry = new ScrollListEntry();
                    CopyText(entry->name, sizeof entry->name, mesh->name);
                    CopyText(entry->icon, sizeof entry->icon, MESH_ICON);
                    if (!editor->meshEntries.PushBack(entry)) delete entry;
                }
        }
        editor->meshList = new ScrollList();
        editor->meshList->Create(&editor->meshEntries, editor->margin * 4, ScreenHeight() / 4);
        editor->meshList->selectCallback = OnMeshSelect;
        if (editor->meshList->listWindow) editor->meshList->listWindow->flags |= WINDOW_NOT_MANAGED_DRAW;
        editor->meshList->SetVisible(false);
    }
    editor->meshList->SetVisible(!editor->meshList->IsVisible());
    Blip();
    return 1;
}

int TerrainEditor::OnMeshSelect(void*, ScrollList* list)
{
    TerrainEditor* editor = Editor();
    ScrollListEntry* selected = list ? list->GetSelected() : nullptr;
    if (editor && selected) editor->SetObjectTemplate(selected->name);
    return 1;
}

int TerrainEditor::OnSplatPicture(void* user, Button*)
{
    TerrainEditor* editor = Editor();
    if (!editor) return 1;
    int& index = editor->splatTexture[UserValue(user) == 1 ? 1 : 0];
    index = (index + 1) % EDITOR_SPLAT_TEXTURES;
    Blip();
    return 1;
}

int TerrainEditor::OnPaletteBuilding(void*, Button* button)
{
    BuildItem* item = button ? reinterpret_cast<BuildItem*>(button->userData) : nullptr;
    if (item && TheGame && TheGame->buildItems) TheGame->buildItems->SetCurrent(item->name, false);
    Blip();
    return 1;
}

int TerrainEditor::OnPaletteAgent(void*, Button* button)
{
    AgentType* type = button ? reinterpret_cast<AgentType*>(button->userData) : nullptr;
    if (!type || !TheGame) return 1;
    if (TerrainEditor* editor = Editor()) editor->PlaceAgent(type->name);
    Blip();
    return 1;
}

int TerrainEditor::OnPaletteHover(void*, Button* button)
{
    TerrainEditor* editor = Editor();
    if (!editor || !button) return 1;
    if (!editor->hint) editor->hint = new HintBox();
    editor->hoverTimer += FrameTimer.delta;
    if (editor->hoverTimer > HINT_DELAY) {
        editor->hint->SetText(button->text);
        editor->hintShown = true;
    } else {
        editor->hintShown = false;
    }
    return 1;
}

int TerrainEditor::OnPaletteLeave(void*, Button*)
{
    if (TerrainEditor* editor = Editor()) {
        editor->hintShown = false;
        editor->hoverTimer = 0.0f;
    }
    return 1;
}
