// The terrain editor's brushes, placing and drawing. Its windows are TerrainEditorWindows.cpp.
#include "tools/TerrainEditor.h"
#include "tools/SculptBrush.h"
#include "tools/SculptUndoRing.h"

#include "gui/Button.h"
#include "gui/FileBrowser.h"
#include "gui/ScrollList.h"
#include "gui/WindowManager.h"
#include "host/InputKeys.h"
#include "host/System.h"
#include "mechanics/GameMechanics.h"
#include "drawing/WorldFrame.h"
#include "mechanics/OrderQueue.h"
#include "mechanics/Scene.h"
#include "mechanics/Selection.h"
#include "gui/Window.h"
#include "platform/Files.h"
#include "platform/InputState.h"
#include "render/Camera.h"
#include "render/GraphicsDevice.h"
#include "render/HintBox.h"
#include "render/IndexedMesh.h"
#include "render/RenderStateCache.h"
#include "render/Sprite.h"
#include "render/TextureManager.h"
#include "terrain/Heightmap.h"
#include "terrain/SplatPool.h"
#include "terrain/Terrain.h"
#include "world/Agent.h"
#include "world/Entity.h"

#include <cstring>

TerrainEditor* TheTerrainEditor = nullptr;

const char* const EditorSplatTextures[EDITOR_SPLAT_TEXTURES] = {
    "data/textures/splats/crackedground.dds", "data/textures/splats/splat_building.dds",
    "data/textures/splats/splat_camp.dds"};
const char* const EditorSplatNormals[EDITOR_SPLAT_TEXTURES] = {
    "data/textures/splats/crackedground_sn.dds", "data/textures/splats/splat_building_sn.dds",
    "data/textures/splats/splat_camp_sn.dds"};

bool TerrainEditorIsActive() { return TheTerrainEditor && TheTerrainEditor->active; }

namespace {

bool KeyDown(int key) { return Input.keyboard && Input.keyboard->IsKeyDown(key); }
bool Playing() { return TheGame && TheGame->state == GAME_STATE_PLAYING; }

// What an editor placement order puts down (its args[0]).
enum EditorPlacement { EDITOR_PLACE_SCENERY = 0, EDITOR_PLACE_ORE = 1, EDITOR_PLACE_AGENT = 2, EDITOR_PLACE_SPLAT = 3 };

void GiveEditorPlacement(const char* what, const Vec3& at, int kind, int argument);

void SetWorld(const Matrix& world)
{
    WorldMatrix = world;
    MeshRenderPosition = Vec3(world._41, world._42, world._43);
    if (Graphics) Graphics->SetTransform(TS_WORLD, &world);
}

// A mesh whose first material draws with the water's reflection effect.
bool ReflectsWater(const IndexedMesh* mesh)
{
    if (!mesh || mesh->materials.empty()) return false;
    char stem[MAX_PATH_TEXT];
    GetFileName(mesh->materials[0].effectName, stem);
    if (char* dot = strrchr(stem, '.')) *dot = 0;
    return StrICmp(stem, "waterReflect") == 0;
}

Matrix Translation(const Vec3& at)
{
    Matrix m;
    MatrixTranslation(&m, at.x, at.y, at.z);
    return m;
}

}  // namespace

int TerrainEditor::BrushIndex(float size)
{
    if (size == 2.0f) return 0;
    if (size == 4.0f) return 1;
    if (size == 8.0f) return 2;
    if (size == 16.0f) return 3;
    return -1;
}

TerrainEditor::~TerrainEditor()
{
    if (browser) {
        if (WindowMgr && browser->listWindow) WindowMgr->windows.Remove(browser->listWindow);
        delete browser;
    }
    if (meshList) {
        if (WindowMgr && meshList->listWindow) WindowMgr->windows.Remove(meshList->listWindow);
        delete meshList;
    }
    for (auto* node = meshEntries.head; node; node = node->next) delete node->value;
    ReleaseTopLevelWindow(window);
    ReleaseTopLevelWindow(showButton);
    delete hint;
    for (Sprite* swatch : swatches) delete swatch;
    delete objectTemplate;
    if (TheTerrainEditor == this) {
        TheTerrainEditor = nullptr;
        TerrainEditorActive = false;
    }
}

void ReleaseTerrainEditor()
{
    delete TheTerrainEditor;
    TheTerrainEditor = nullptr;
}

void TerrainEditor::Update(bool held)
{
    if (!active || !TheGame) return;
    hitPoint = SnapToCellCentre(TheGame->pickedPoint);
    const int mouseX = Input.mouse ? Input.mouse->cursorX : 0, mouseY = Input.mouse ? Input.mouse->cursorY : 0;
    if (held && mouseX == lastMouseX && mouseY == lastMouseY) return;
    lastMouseX = mouseX;
    lastMouseY = mouseY;
    switch (mode) {
    case MODE_PAINT: PaintByteMap(); break;
    case MODE_SPLAT:
        if (!held) PlaceSplat();
        break;
    case MODE_OBJECT:
        if (!held && objectTemplate) PlaceObject();
        break;
    case MODE_PALETTE: break;
    default: ApplySculpt(held); break;
    }
}

void TerrainEditor::ApplySculpt(bool held)
{
    Heightmap* map = TheTerrain.heightmap.get();
    if (!map || map->data.empty()) return;
    const IntPoint cell = TheTerrain.WorldToCell(hitPoint);
    const float h = map->GetHeightAt(cell.x, cell.y);
    map->RefreshTexture();
    TheSculptUndoRing.Allocate(map->width, map->height);

    const float amount = mode == MODE_LOWER ? -strength : strength;
    const bool soft = brushShape == 1 || brushShape == 2;
    const int size = (int)brushSize;
    const bool alt = KeyDown(DIK_LMENU), ctrl = KeyDown(DIK_LCONTROL), shift = KeyDown(DIK_LSHIFT);
    // One snapshot per stroke: at its press.
    if (!held) TheSculptUndoRing.Push(map->data.data(), map->width, map->height);

    if (alt && ctrl) {
        map->Smooth(1.0f);
        RefreshGround(0, 0, 0, true);
        return;
    }
    // The brushes draw on the height texture, the ground's own picture of the heights, and the
    // square is read back into the heights from there: what the stroke shows is what it leaves.
    // Without a texture they can draw on (no device, or one that will not lock) they work on
    // the heights alone.
    bool textureDrawn = false;
    if (alt) {
        if (map->IsInside(cell.x, cell.y)) {
            float& centre = map->data[(size_t)cell.y * map->width + cell.x];
            centre = std::min(std::max(h + amount, 0.0f), map->verticalScale);
            textureDrawn = map->SetTexel(cell.x, cell.y, centre);
        }
    } else if (ctrl) {
        map->SmoothRegion(size, cell.x, cell.y);
    } else if (shift) {
        if (!held) levelHeight = h;
        textureDrawn = !soft && map->BrushTexture(levelHeight, size, cell.x, cell.y, 1);
        if (!textureDrawn) LevelHeights(*map, levelHeight, size, cell.x, cell.y, soft);
    } else {
        textureDrawn = map->BrushTexture(amount, size, cell.x, cell.y, soft ? 0 : 2);
        if (!textureDrawn) BrushHeights(*map, amount, size, cell.x, cell.y, soft);
    }
    if (textureDrawn && !alt) map->ReadBackRegion(size, cell.x, cell.y);
    RefreshGround(size + 2, cell.x, cell.y, false, !textureDrawn);
}

void TerrainEditor::PaintByteMap()
{
    const IntPoint cell = TheTerrain.WorldToCell(hitPoint);
    ::PaintByteMap(paintMap, PAINT_MAP_SIDE, strength, (int)brushSize, cell.x, cell.y);
}

namespace {

// Scenery or ore of the template's mesh at that place; blocking marks its cells for the walkers.
void PutObject(const Entity& shape, const Vec3& at, bool resource, bool blocking)
{
    if (!shape.mesh) return;
    const bool reflects = ReflectsWater(shape.mesh);
    Scene::EntityList* list = resource ? nullptr : reflects ? &TheScene.translucent : &TheScene.terrainObjects;
    if (list && list->IsFull()) return;
    Entity* object = new Entity();
    CopyText(object->name, sizeof object->name, shape.name);
    object->mesh = shape.mesh;
    object->meshStates[0] = shape.mesh;
    object->meshCount = 1;
    object->scale = shape.scale;
    object->world = shape.world;
    object->SetPosition(at);
    object->flags |= ENTITY_PLACED | (resource ? ENTITY_RESOURCE : ENTITY_STATIC);
    // A mirror at the water's edge must never close the shore to the walkers.
    if (blocking && !reflects) object->flags |= ENTITY_GRID_BLOCKER;
    // Resources live in the level's own list, where the ore patches are.
    if (list ? !list->PushBack(object) : !TheScene.LinkEntity(object)) {
        delete object;
        return;
    }
    if ((object->flags & ENTITY_GRID_BLOCKER) && TheGame && TheGame->grid) TheGame->BuildTileMap();
}

void PutSplat(const char* brush, int picture, int normals, const Vec3& at)
{
    const int a = picture % EDITOR_SPLAT_TEXTURES, b = normals % EDITOR_SPLAT_TEXTURES;
    Entity* splat = TheScene.AddSplat(brush, EditorSplatTextures[a], EditorSplatNormals[b], Vec3(at.x, 0.04f, at.z), 0);
    if (!splat || !splat->mesh) return;
    for (int i = 0; i < splat->mesh->SubMeshCount(); ++i) splat->mesh->ConformToTerrain(i, at, false, 0);
}

void PutAgent(const char* type, const Vec3& at)
{
    Agent* agent = TheScene.CreateAgent(type, true);
    if (!agent) return;
    agent->SetPosition(at);
    agent->flags |= ENTITY_PLACED;
    if (agent->alignment == ALIGN_PLAYER && (agent->flags & ENTITY_AGENT)) agent->classWord |= AGENT_CLASS_LEVELLING;
}

void GiveEditorPlacement(const char* what, const Vec3& at, int kind, int argument)
{
    PlayerOrder order;
    order.kind = ORDER_EDITOR_PLACE;
    order.text = what;
    order.point = at;
    order.args[0] = kind;
    order.args[1] = argument;
    TheOrders.Give(order);
}

}  // namespace

void ApplyEditorPlacement(const PlayerOrder& order)
{
    const char* what = order.text.c_str();
    switch (order.args[0]) {
    case EDITOR_PLACE_SCENERY:
    case EDITOR_PLACE_ORE: {
        Entity* shape = TheScene.CreateMeshEntity(what, nullptr, 0);
        if (shape && shape->mesh) {
            char name[MAX_PATH_TEXT];
            GetFileName(what, name);
            CopyText(shape->name, sizeof shape->name, name);
            shape->scale = 1.0f;
            PutObject(*shape, order.point, order.args[0] == EDITOR_PLACE_ORE, order.args[1] == 1);
        }
        delete shape;
        break;
    }
    case EDITOR_PLACE_AGENT: PutAgent(what, order.point); break;
    case EDITOR_PLACE_SPLAT: PutSplat(what, order.args[1] & 0xff, order.args[1] >> 8 & 0xff, order.point); break;
    default: break;
    }
}

// The editor's placements change the level: in play they are orders, made at the next tick.
void TerrainEditor::PlaceObject()
{
    if (!objectTemplate || !objectTemplate->mesh) return;
    Vec3 at = hitPoint;
    if (!KeyDown(DIK_LSHIFT)) at.y = TheTerrain.GetCellHeight(at);
    const bool resource = objectCategory == 1;
    if (Playing() && !objectMesh.empty()) {
        GiveEditorPlacement(objectMesh.c_str(), at, resource ? EDITOR_PLACE_ORE : EDITOR_PLACE_SCENERY, blockGrid ? 1 : 0);
        return;
    }
    PutObject(*objectTemplate, at, resource, blockGrid);
}

void TerrainEditor::PlaceSplat()
{
    if (!splatBrush) return;
    if (Playing()) {
        GiveEditorPlacement(splatBrush->name, hitPoint, EDITOR_PLACE_SPLAT, (splatTexture[0] & 0xff) | (splatTexture[1] & 0xff) << 8);
        return;
    }
    PutSplat(splatBrush->name, splatTexture[0], splatTexture[1], hitPoint);
}

void TerrainEditor::PlaceAgent(const char* type)
{
    if (!type || !TheGame) return;
    const Vec3 at = SnapToCellCentre(TheGame->pickedPoint);
    if (Playing())
        GiveEditorPlacement(type, at, EDITOR_PLACE_AGENT, 0);
    else
        PutAgent(type, at);
}

void TerrainEditor::OnUndoKey()
{
    Heightmap* map = TheTerrain.heightmap.get();
    if (!active || !map || !TheSculptUndoRing.IsAllocated() || !IsSculptMode(mode)) return;
    if (TheSculptUndoRing.Undo(map->data.data(), map->width, map->height)) RefreshGround(0, 0, 0, false);
}

void TerrainEditor::OnRedoKey()
{
    Heightmap* map = TheTerrain.heightmap.get();
    if (!active || !map || !TheSculptUndoRing.IsAllocated() || !IsSculptMode(mode)) return;
    if (TheSculptUndoRing.Redo(map->data.data(), map->width, map->height)) RefreshGround(0, 0, 0, false);
}

void TerrainEditor::RefreshGround(int size, int x, int z, bool whole, bool upload)
{
    Heightmap* map = TheTerrain.heightmap.get();
    if (!map) return;
    map->RefreshTexture();
    if (upload) map->UploadToTexture();
    TheTerrain.UpdateNormals(size, x, z);
    TheTerrain.RebuildMeshes(size, x, z);
    if (whole) {
        TheTerrain.RefreshAlpha(false);
        if (TheGame && TheGame->grid) TheGame->BuildTileMap();
    }
}

void TerrainEditor::Render()
{
    if (!TheGame) return;
    // The object about to be placed, where it would stand.
    if (active && mode == MODE_OBJECT && objectTemplate && objectTemplate->mesh) {
        Vec3 at = SnapToCellCentre(TheGame->pickedPoint);
        if (!KeyDown(DIK_LSHIFT)) at.y = TheTerrain.GetCellHeight(at);
        objectTemplate->SetPosition(at);
        SetWorld(Translation(at));
        DrawEntityMesh(objectTemplate, PASS_COLOUR);
    }
    for (auto* node = drawn.head; node; node = node->next) {
        Entity* entity = node->value;
        if (!entity) continue;
        SetWorld(Translation(entity->GetPosition()));
        DrawEntityMesh(entity, PASS_COLOUR);
    }
    if (!active || mode > MODE_SCULPT_ALT) return;
    const int index = BrushIndex(brushSize);
    Entity* brush = index >= 0 ? sculptBrushes[index] : nullptr;
    if (!brush || !brush->mesh) return;
    const Vec3 at = SnapToCellCentre(TheGame->pickedPoint);
    if (at.x != brushX || at.z != brushZ) {
        for (int i = 0; i < brush->mesh->SubMeshCount(); ++i) brush->mesh->ConformToTerrain(i, at, false, 0);
        brushX = at.x;
        brushZ = at.z;
    }
    RenderStates.SetRenderState(RS_ALPHABLENDENABLE, 1);
    RenderStates.SetRenderState(RS_SRCBLEND, BLEND_SRCALPHA);
    RenderStates.SetRenderState(RS_DESTBLEND, BLEND_INVSRCALPHA);
    RenderStates.SetRenderState(RS_ZWRITEENABLE, 0);
    SetWorld(Translation(Vec3(at.x, 0.2f, at.z)));
    brush->mesh->Render(PASS_COLOUR, false);
    RenderStates.SetRenderState(RS_ALPHABLENDENABLE, 0);
    RenderStates.SetRenderState(RS_SRCBLEND, BLEND_ONE);
    RenderStates.SetRenderState(RS_DESTBLEND, BLEND_ZERO);
    RenderStates.SetRenderState(RS_ZWRITEENABLE, 1);
    Matrix identity;
    MatrixIdentity(&identity);
    SetWorld(identity);
}

void TerrainEditor::DrawGui()
{
    if (!active) return;
    if (mode == MODE_SPLAT) {
        for (int i = 0; i < 2; ++i) {
            if (!swatches[i] || !Textures) continue;
            const char* name = i == 0 ? EditorSplatTextures[splatTexture[0] % EDITOR_SPLAT_TEXTURES]
                                      : EditorSplatNormals[splatTexture[1] % EDITOR_SPLAT_TEXTURES];
            swatches[i]->texture = Textures->GetTexture(name);
            swatches[i]->Draw();
        }
    }
    if (browser && browser->IsVisible()) browser->Draw();
    if (mode == MODE_OBJECT && meshList && meshList->IsVisible()) meshList->Draw();
    // The palette's hint stands over the palette's buttons, which show in the palette mode.
    if (mode == MODE_PALETTE && hintShown && hint && Input.mouse)
        hint->Draw(Input.mouse->cursorX, Input.mouse->cursorY - 16, nullptr);
}
