// The terrain editor on a staged 32 x 32 ground, without a device or a window manager: a
// stroke takes one undo snapshot however long it lasts, the strength buttons go below zero to
// lower, "Load" and "Clear" take a snapshot that undo brings back, a file that cannot be read
// leaves the ground alone, and the undo key acts only in the sculpt modes.
#include "tools/SculptUndoRing.h"
#include "tools/TerrainEditor.h"

#include "gui/Button.h"
#include "gui/Label.h"
#include "host/System.h"
#include "terrain/Heightmap.h"
#include "terrain/Terrain.h"

#include <gtest/gtest.h>

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

}  // namespace
