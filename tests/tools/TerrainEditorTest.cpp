// The terrain editor on a staged 32 x 32 ground, without a device or a window manager: a
// stroke takes one undo snapshot however long it lasts, the strength buttons go below zero to
// lower, "Load" and "Clear" take a snapshot that undo brings back, a file that cannot be read
// leaves the ground alone, and the undo key acts only in the sculpt modes.
#include "interface/PlayerGame.h"
#include "tools/SculptUndoRing.h"
#include "tools/TerrainEditor.h"

#include "gui/Button.h"
#include "gui/Label.h"
#include "gui/Window.h"
#include "host/System.h"
#include "host/Random.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/OrderQueue.h"
#include "mechanics/Scene.h"
#include "platform/ConfigFile.h"
#include "platform/Hotkeys.h"
#include "render/IndexedMesh.h"
#include "render/TextureManager.h"
#include "terrain/Environment.h"
#include "terrain/Heightmap.h"
#include "terrain/Terrain.h"
#include "world/Entity.h"

#include "tests/support/Scoped.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

class TerrainEditorTools : public ::testing::Test {
protected:
    void SetUp() override
    {
        TheTerrain.heightmap = std::make_unique<Heightmap>(32, 32, 10.0f);
        TheTerrain.heightmap->Fill(3.0f);
        TheTerrain.width = TheTerrain.height = 32;
        TheSculptUndoRing.Release();
        editor = std::make_unique<TerrainEditor>();
        editor->SetActive(true);
        // The middle of the map: grid cell (16, 16).
        editor->hitPoint = Vec3(1.0f, 0.0f, -1.0f);
    }
    void TearDown() override
    {
        editor.reset();
        TheTerrain.heightmap.reset();
        TheTerrain.width = TheTerrain.height = 0;
        TheTerrain.normals.clear();
        TheSculptUndoRing.Release();
    }
    float At(int x, int y) const { return TheTerrain.heightmap->GetHeightAt(x, y); }
    bool AllAt(float h) const
    {
        for (float value : TheTerrain.heightmap->data)
            if (value != h) return false;
        return true;
    }

    std::unique_ptr<TerrainEditor> editor;
};

TEST_F(TerrainEditorTools, AStrokeTakesOneSnapshotAndNegativeStrengthLowers)
{
    ASSERT_EQ(TheTerrainEditor, editor.get());
    EXPECT_EQ(editor->mode, TerrainEditor::MODE_SCULPT);
    EXPECT_FLOAT_EQ(editor->brushSize, 2.0f);
    TerrainEditor::OnStrengthUp(nullptr, nullptr);
    TerrainEditor::OnStrengthFineUp(nullptr, nullptr);
    EXPECT_NEAR(editor->strength, 1.1f, 1e-6f);
    EXPECT_STREQ(editor->strengthLabel->GetText(), "1.1");

    // Press, then three steps of the drag: one snapshot, four raises.
    editor->ApplySculpt(false);
    for (int step = 0; step < 3; ++step) editor->ApplySculpt(true);
    EXPECT_EQ(TheSculptUndoRing.UndoCount(), 1);
    EXPECT_NEAR(At(16, 16), 3.0f + 4 * 1.1f, 1e-4f);
    EXPECT_FLOAT_EQ(At(20, 16), 3.0f);
    editor->OnUndoKey();
    EXPECT_TRUE(AllAt(3.0f)) << "the whole stroke undone at once";
    editor->OnRedoKey();
    EXPECT_NEAR(At(16, 16), 3.0f + 4 * 1.1f, 1e-4f);

    for (int i = 0; i < 3; ++i) TerrainEditor::OnStrengthDown(nullptr, nullptr);
    EXPECT_NEAR(editor->strength, -1.9f, 1e-5f);
    editor->ApplySculpt(false);
    EXPECT_NEAR(At(16, 16), 3.0f + 4 * 1.1f - 1.9f, 1e-4f) << "a negative strength lowers";
    EXPECT_EQ(TheSculptUndoRing.UndoCount(), 2);
}

// A height texture that will not lock (a device lost or gone) leaves the brush on the heights
// as without a device: the stroke raises the ground either way.
TEST_F(TerrainEditorTools, AStrokeRaisesWhetherOrNotTheHeightTextureLocks)
{
    TextureRecord unlockable;
    editor->strength = 2.0f;
    for (TextureRecord* texture : {static_cast<TextureRecord*>(nullptr), &unlockable}) {
        SCOPED_TRACE(texture ? "a texture that will not lock" : "no texture");
        TheTerrain.heightmap->Fill(3.0f);
        TheTerrain.heightmap->texture = texture;
        editor->ApplySculpt(false);
        EXPECT_NEAR(At(16, 16), 5.0f, 1e-4f);
    }
    TheTerrain.heightmap->texture = nullptr;
}

TEST_F(TerrainEditorTools, LoadAndClearCanBeUndoneAndAnUnreadableFileChangesNothing)
{
    CopyText(editor->heightmapFile, sizeof editor->heightmapFile, "data/heightmaps/clear.dds");
    TerrainEditor::OnLoadHeightmap(nullptr, nullptr);
    EXPECT_TRUE(AllAt(0.0f)) << "the file named in the box, with the browser hidden";
    editor->OnUndoKey();
    EXPECT_TRUE(AllAt(3.0f)) << "undo brings back the heights from before the load";

    TerrainEditor::OnClearHeightmap(nullptr, nullptr);
    EXPECT_TRUE(AllAt(0.0f)) << "Clear loads the flat map of the data folder";
    editor->OnUndoKey();
    EXPECT_TRUE(AllAt(3.0f));

    EXPECT_FALSE(editor->LoadHeightmap("data/heightmaps/no_such_map.png"));
    EXPECT_TRUE(AllAt(3.0f)) << "a file that cannot be read leaves the ground as it was";

    // The undo key does nothing in the object, splat and palette modes, nor while switched off.
    editor->SetStrength(1.0f);
    editor->ApplySculpt(false);
    for (int mode : {TerrainEditor::MODE_OBJECT, TerrainEditor::MODE_SPLAT, TerrainEditor::MODE_PALETTE}) {
        editor->mode = mode;
        editor->OnUndoKey();
        EXPECT_FALSE(AllAt(3.0f)) << mode;
    }
    editor->mode = TerrainEditor::MODE_SCULPT;
    editor->SetActive(false);
    editor->OnUndoKey();
    EXPECT_FALSE(AllAt(3.0f));
    editor->SetActive(true);
    editor->OnUndoKey();
    EXPECT_TRUE(AllAt(3.0f));
}

TEST_F(TerrainEditorTools, BrushSizesAndTabsSetTheModeAndTheBrushes)
{
    const float sizes[4] = {2.0f, 4.0f, 8.0f, 16.0f};
    for (int i = 0; i < 4; ++i) {
        intptr_t value = i;
        TerrainEditor::OnBrushSize(&value, editor->sizeButtons[i]);
        EXPECT_FLOAT_EQ(editor->brushSize, sizes[i]);
        for (int j = 0; j < 4; ++j) EXPECT_EQ(editor->sizeButtons[j]->selected, i == j);
    }
    TerrainEditor::OnTabSplat(nullptr, editor->tabs[2]);
    EXPECT_EQ(editor->mode, TerrainEditor::MODE_SPLAT);
    TerrainEditor::OnTabAI(nullptr, editor->tabs[3]);
    EXPECT_EQ(editor->mode, TerrainEditor::MODE_PALETTE);
    TerrainEditor::OnTabObject(nullptr, editor->tabs[1]);
    EXPECT_EQ(editor->mode, TerrainEditor::MODE_OBJECT);
    TerrainEditor::OnTabMap(nullptr, editor->tabs[0]);
    EXPECT_EQ(editor->mode, TerrainEditor::MODE_SCULPT);
    EXPECT_TRUE(editor->tabs[0]->selected);
    EXPECT_FALSE(editor->tabs[3]->selected);
}

TEST_F(TerrainEditorTools, TheDebugViewKeepsTheThreeGroundLayersItCovers)
{
    // The ground's layers 0 to 2; slot 3 is the normal map, which the view leaves alone.
    const char* const layers[4] = {"data/textures/terrain/a.jpg", "data/textures/terrain/b.jpg",
                                   "data/textures/terrain/c.jpg", "data/textures/terrain/n.jpg"};
    char kept[GROUND_TEXTURE_SLOTS][256];
    memcpy(kept, GroundTextureSlots, sizeof kept);
    for (int i = 0; i < 4; ++i) CopyText(GroundTextureSlots[i], sizeof GroundTextureSlots[i], layers[i]);
    for (auto toggle : {TerrainEditor::OnDebugTextures, TerrainEditor::OnWhiteTextures}) {
        toggle(nullptr, nullptr);
        ASSERT_TRUE(editor->debugTextures);
        for (int i = 0; i < 3; ++i) EXPECT_STREQ(editor->savedLayers[i], layers[i]) << i;
        toggle(nullptr, nullptr);
        EXPECT_FALSE(editor->debugTextures);
    }
    memcpy(GroundTextureSlots, kept, sizeof kept);
}

TEST_F(TerrainEditorTools, TheUndoAndRedoKeysAreTheDevelopersOnly)
{
    ConfigFile config(nullptr);
    ScopedGlobal<ConfigFile*> configured(Config, &config);
    RegisterGameCommands();
    CommandFunction undo = FindCommand("editor_undo"), redo = FindCommand("editor_redo");
    ASSERT_NE(undo, nullptr);
    ASSERT_NE(redo, nullptr);
    editor->SetStrength(1.0f);
    editor->ApplySculpt(false);
    const float raised = At(16, 16);
    ASSERT_GT(raised, 3.0f);
    struct Step {
        bool debug;
        CommandFunction command;
        float expected;
    } steps[] = {
        {false, undo, raised}, {true, undo, 3.0f}, {false, redo, 3.0f}, {true, redo, raised},
    };
    for (const Step& step : steps) {
        config.debugMode = step.debug;
        step.command();
        EXPECT_FLOAT_EQ(At(16, 16), step.expected) << step.debug;
    }
    ClearCommandRegistry();
}

TEST_F(TerrainEditorTools, PlacedObjectsGoWhereTheirKindBelongs)
{
    ASSERT_TRUE(TheScene.InitLists());
    IndexedMesh plain, mirror;
    plain.materials.emplace_back();
    mirror.materials.emplace_back();
    CopyText(mirror.materials[0].effectName, sizeof mirror.materials[0].effectName, "Data/shaders/waterReflect.fx");
    struct Case {
        IndexedMesh* mesh;
        int category;
        bool block;
        const char* list;  // "static", "reflecting" or "level"
        uint32_t has, hasNot;
    } cases[] = {
        {&plain, 0, false, "static", ENTITY_STATIC | ENTITY_PLACED, ENTITY_GRID_BLOCKER | ENTITY_RESOURCE},
        {&plain, 0, true, "static", ENTITY_STATIC | ENTITY_GRID_BLOCKER, ENTITY_RESOURCE},
        {&mirror, 0, true, "reflecting", ENTITY_STATIC, ENTITY_GRID_BLOCKER},
        {&plain, 1, true, "level", ENTITY_RESOURCE | ENTITY_GRID_BLOCKER | ENTITY_PLACED, ENTITY_STATIC},
        {&mirror, 1, false, "level", ENTITY_RESOURCE, ENTITY_STATIC | ENTITY_GRID_BLOCKER},
    };
    auto holds = [](const Scene::EntityList& list, const char* name) {
        for (auto* node = list.head; node; node = node->next)
            if (node->value && strcmp(node->value->name, name) == 0) return node->value;
        return static_cast<Entity*>(nullptr);
    };
    int index = 0;
    for (const Case& c : cases) {
        char name[32];
        snprintf(name, sizeof name, "object%d", index++);
        Entity* shape = new Entity();
        CopyText(shape->name, sizeof shape->name, name);
        shape->mesh = c.mesh;
        delete editor->objectTemplate;
        editor->objectTemplate = shape;
        editor->objectCategory = c.category;
        editor->blockGrid = c.block;
        editor->PlaceObject();
        Entity* statics = holds(TheScene.terrainObjects, name);
        Entity* mirrors = holds(TheScene.translucent, name);
        Entity* level = holds(TheScene.master, name);
        Entity* placed = statics ? statics : mirrors ? mirrors : level;
        ASSERT_NE(placed, nullptr) << name;
        EXPECT_EQ(statics != nullptr, strcmp(c.list, "static") == 0) << name;
        EXPECT_EQ(mirrors != nullptr, strcmp(c.list, "reflecting") == 0) << name;
        EXPECT_EQ(level != nullptr, strcmp(c.list, "level") == 0) << name;
        EXPECT_EQ(placed->flags & c.has, c.has) << name;
        EXPECT_EQ(placed->flags & c.hasNot, 0u) << name;
    }
    delete editor->objectTemplate;
    editor->objectTemplate = nullptr;
    TheScene.ReleaseEntities();
}

TEST_F(TerrainEditorTools, TheObjectAndSplatPagesShowTheirOwnControls)
{
    auto find = [&](const char* text) {
        for (Window* child = editor->window->firstChild; child; child = child->nextSibling)
            if ((child->flags & WINDOW_TYPE_BUTTON) && strcmp(static_cast<Button*>(child)->text, text) == 0)
                return static_cast<Button*>(child);
        return static_cast<Button*>(nullptr);
    };
    Button* picture = find("Picture");
    Button* normals = find("Normals");
    Button* resource = find("Resource");
    Button* meshes = find("Meshes");
    ASSERT_TRUE(picture && normals && resource && meshes && editor->blockButton);
    TerrainEditor::OnTabSplat(nullptr, editor->tabs[2]);
    EXPECT_TRUE(picture->IsVisible() && normals->IsVisible());
    EXPECT_FALSE(resource->IsVisible() || meshes->IsVisible());
    // Each steps through the splat pictures and comes round again.
    for (int press = 1; press <= EDITOR_SPLAT_TEXTURES; ++press) {
        picture->OnMouseDown(nullptr);
        EXPECT_EQ(editor->splatTexture[0], press % EDITOR_SPLAT_TEXTURES);
    }
    normals->OnMouseDown(nullptr);
    EXPECT_EQ(editor->splatTexture[1], 1);
    EXPECT_EQ(editor->splatTexture[0], 0);

    TerrainEditor::OnTabObject(nullptr, editor->tabs[1]);
    EXPECT_TRUE(resource->IsVisible() && meshes->IsVisible() && editor->blockButton->IsVisible());
    EXPECT_FALSE(picture->IsVisible());
    resource->OnMouseDown(nullptr);
    EXPECT_EQ(editor->objectCategory, 1);
    EXPECT_TRUE(resource->selected);
    editor->blockButton->OnMouseDown(nullptr);
    EXPECT_TRUE(editor->blockGrid);
    editor->blockButton->OnMouseDown(nullptr);
    EXPECT_FALSE(editor->blockGrid);
}

}  // namespace

// In play the editor's placements change the level at the next tick, as orders naming what they
// put down and where; its random heights draw from a sequence of its own and leave the level's
// where it stood.
TEST_F(TerrainEditorTools, InPlayPlacementsAreOrdersAndRandomHeightsLeaveTheLevelsSequence)
{
    ASSERT_TRUE(TheScene.InitLists());
    PlayerGame game;
    ScopedGlobal<GameMechanics*> current{TheGame, &game};
    game.state = GAME_STATE_PLAYING;
    TheOrders.Clear();
    IndexedMesh plain;
    plain.materials.emplace_back();
    Entity* shape = new Entity();
    CopyText(shape->name, sizeof shape->name, "rock");
    shape->mesh = &plain;
    editor->objectTemplate = shape;
    editor->objectMesh = "data/meshes/rock.x";
    editor->objectCategory = 1;
    editor->blockGrid = true;
    const int before = TheScene.master.count + TheScene.terrainObjects.count;
    editor->PlaceObject();
    EXPECT_EQ(TheScene.master.count + TheScene.terrainObjects.count, before) << "nothing before the tick";
    const std::vector<PlayerOrder> given = TheOrders.TakeForTick();
    ASSERT_EQ(given.size(), 1u);
    EXPECT_EQ(given[0].kind, ORDER_EDITOR_PLACE);
    EXPECT_EQ(given[0].text, "data/meshes/rock.x");
    EXPECT_EQ(given[0].args[0], 1) << "ore";
    EXPECT_EQ(given[0].args[1], 1) << "blocking";
    EXPECT_FLOAT_EQ(given[0].point.x, editor->hitPoint.x);
    EXPECT_FLOAT_EQ(given[0].point.z, editor->hitPoint.z);
    editor->objectTemplate = nullptr;
    delete shape;

    SRand(77);
    const int next = Rand();
    SRand(77);
    editor->RandomHeightmap();
    EXPECT_EQ(Rand(), next) << "the level's sequence goes on where it stood";
    TheScene.ReleaseEntities();
}
