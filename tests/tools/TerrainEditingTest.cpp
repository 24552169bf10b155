// The terrain editor's work on a small height grid: the round brushes, the painted byte map,
// the undo ring of 32 whole-grid snapshots (also across a change of grid size), the random
// heightmap's draws from the game's generator, and the shipped data the editor loads by name.
#include "tools/SculptBrush.h"
#include "tools/SculptUndoRing.h"
#include "tools/TerrainEditor.h"

#include "host/Random.h"
#include "terrain/Heightmap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

// A 16 x 16 map of vertical scale 10 with every cell at 2.
struct FlatMap : Heightmap {
    FlatMap() : Heightmap(16, 16, 10.0f) { Fill(2.0f); }
};

TEST(TerrainEditing, BrushesRaiseLowerAndLevelARoundPatch)
{
    // Hard, size 4 at (8, 8): the square 6..9 x 6..9; the brush centre lies at (8, 8).
    FlatMap hard;
    BrushHeights(hard, 1.5f, 4, 8, 8, false);
    EXPECT_FLOAT_EQ(hard.GetHeightAt(8, 8), 3.5f);
    EXPECT_FLOAT_EQ(hard.GetHeightAt(6, 8), 3.5f) << "two cells out: on the rim, inside";
    EXPECT_FLOAT_EQ(hard.GetHeightAt(6, 6), 2.0f) << "the square's corner lies outside the circle";
    EXPECT_FLOAT_EQ(hard.GetHeightAt(10, 8), 2.0f) << "outside the square";

    // Soft: the full amount at the centre, falling off to nothing at the rim.
    FlatMap soft;
    BrushHeights(soft, 2.0f, 4, 8, 8, true);
    EXPECT_FLOAT_EQ(soft.GetHeightAt(8, 8), 4.0f);
    EXPECT_FLOAT_EQ(soft.GetHeightAt(7, 8), 3.0f);
    EXPECT_FLOAT_EQ(soft.GetHeightAt(6, 8), 2.0f);

    // A negative strength lowers, never below 0; heights stay under the vertical scale.
    FlatMap low;
    BrushHeights(low, -5.0f, 2, 8, 8, false);
    EXPECT_FLOAT_EQ(low.GetHeightAt(8, 8), 0.0f);
    BrushHeights(low, 50.0f, 2, 8, 8, false);
    EXPECT_FLOAT_EQ(low.GetHeightAt(8, 8), 10.0f);

    // Levelling brings the patch to the height given; a brush off the map's edge is clipped.
    FlatMap level;
    LevelHeights(level, 6.0f, 4, 8, 8, false);
    EXPECT_FLOAT_EQ(level.GetHeightAt(8, 8), 6.0f);
    EXPECT_FLOAT_EQ(level.GetHeightAt(6, 6), 2.0f);
    LevelHeights(level, 4.0f, 4, 8, 8, true);
    EXPECT_FLOAT_EQ(level.GetHeightAt(8, 8), 4.0f) << "soft levelling reaches the level at the centre";
    BrushHeights(level, 1.0f, 16, 0, 0, false);
    EXPECT_FLOAT_EQ(level.GetHeightAt(0, 0), 3.0f);
}

TEST(TerrainEditing, ByteMapPaintAddsWithFalloffAndClamps)
{
    std::vector<uint8_t> map(16 * 16, 0);
    PaintByteMap(map.data(), 16, 0.5f, 4, 8, 8);
    EXPECT_EQ(map[8 * 16 + 8], 128) << "half at the centre";
    EXPECT_EQ(map[8 * 16 + 7], 64);
    EXPECT_EQ(map[8 * 16 + 6], 0) << "nothing at the rim";
    PaintByteMap(map.data(), 16, 5.0f, 4, 8, 8);
    EXPECT_EQ(map[8 * 16 + 8], 255);
    PaintByteMap(map.data(), 16, -5.0f, 4, 8, 8);
    EXPECT_EQ(map[8 * 16 + 8], 0);
    PaintByteMap(map.data(), 16, 0.5f, 4, 15, 15);  // clipped at the corner
    EXPECT_EQ(map[15 * 16 + 15], 128);
}

TEST(TerrainEditing, UndoRingKeepsThirtyTwoSteps)
{
    SculptUndoRing ring;
    FlatMap map;
    // 33 steps, each raising one cell.
    for (int step = 0; step < 33; ++step) {
        ring.Push(map.data.data(), 16, 16);
        map.data[0] += 1.0f;
    }
    EXPECT_FLOAT_EQ(map.GetHeightAt(0, 0), 35.0f);
    int undone = 0;
    while (ring.Undo(map.data.data(), 16, 16)) ++undone;
    EXPECT_EQ(undone, 32) << "the 33rd undo does nothing";
    EXPECT_FLOAT_EQ(map.GetHeightAt(0, 0), 3.0f);

    // Undo, undo, redo, redo: back where it was; a third redo does nothing.
    SculptUndoRing second;
    FlatMap edited;
    for (int step = 0; step < 3; ++step) {
        second.Push(edited.data.data(), 16, 16);
        edited.data[5] = (float)step + 5.0f;
    }
    ASSERT_TRUE(second.Undo(edited.data.data(), 16, 16));
    ASSERT_TRUE(second.Undo(edited.data.data(), 16, 16));
    EXPECT_FLOAT_EQ(edited.data[5], 5.0f);
    ASSERT_TRUE(second.Redo(edited.data.data(), 16, 16));
    ASSERT_TRUE(second.Redo(edited.data.data(), 16, 16));
    EXPECT_FLOAT_EQ(edited.data[5], 7.0f);
    EXPECT_FALSE(second.Redo(edited.data.data(), 16, 16));

    // A push after an undo drops what could be redone.
    ASSERT_TRUE(second.Undo(edited.data.data(), 16, 16));
    second.Push(edited.data.data(), 16, 16);
    EXPECT_EQ(second.RedoCount(), 0);
    EXPECT_FALSE(second.Redo(edited.data.data(), 16, 16));
}

TEST(TerrainEditing, UndoRingStartsOverWhenTheMapChangesSize)
{
    SculptUndoRing ring;
    FlatMap small;
    ring.Push(small.data.data(), 16, 16);
    ring.Push(small.data.data(), 16, 16);
    ASSERT_EQ(ring.UndoCount(), 2);

    // A larger map: its snapshot fits the ring's buffers (the sanitizers watch the copies) and
    // the small map's snapshots are gone.
    Heightmap large(64, 64, 10.0f);
    large.Fill(1.0f);
    EXPECT_FALSE(ring.Undo(large.data.data(), 64, 64)) << "a small snapshot never goes into a large map";
    ring.Push(large.data.data(), 64, 64);
    EXPECT_EQ(ring.UndoCount(), 1);
    large.Fill(9.0f);
    ASSERT_TRUE(ring.Undo(large.data.data(), 64, 64));
    EXPECT_FLOAT_EQ(large.GetHeightAt(63, 63), 1.0f);
    EXPECT_FALSE(ring.Undo(large.data.data(), 64, 64));
    EXPECT_FALSE(ring.Undo(small.data.data(), 16, 16)) << "nor a large one into a small map";
}

TEST(TerrainEditing, RandomHeightmapDrawsInItsOrder)
{
    // The draws by hand: five for the hills, the field reseeds with its seed, four for the
    // noise.
    SRand(1234);
    float a = (float)Rand() / 32768.0f * 0.9f + 0.1f;
    float b = a + (float)Rand() / 32768.0f * (10.0f - a);
    int count = Rand() % 901 + 100;
    int passes = Rand() % 4 + 1;
    int seed = Rand() % 2000;
    SRand((unsigned)seed);
    // The field's own draws: per hill a radius and a centre (two more).
    for (int i = 0; i < count * 3; ++i) Rand();
    int octaves = Rand() % 3 + 4;
    float p = (float)Rand() / 32768.0f * 0.9f + 0.1f;
    float q = (float)Rand() / 32768.0f * 5.9f + 0.1f;
    int noiseSeed = Rand() % 2000;

    SRand(1234);
    Heightmap map(32, 32, 10.0f);
    RandomHeightDraws drawn;
    GenerateRandomHeights(map, "data/heightmaps/four_players.jpg", &drawn);
    EXPECT_FLOAT_EQ(drawn.field.minRadius, a);
    EXPECT_FLOAT_EQ(drawn.field.maxRadius, b);
    EXPECT_EQ(drawn.field.hillCount, count);
    EXPECT_EQ(drawn.field.flattening, passes);
    EXPECT_EQ((int)drawn.field.seed, seed);
    EXPECT_EQ(drawn.field.size, 32);
    EXPECT_EQ(drawn.octaves, octaves);
    EXPECT_FLOAT_EQ(drawn.persistence, p);
    EXPECT_FLOAT_EQ(drawn.zoom, q);
    EXPECT_EQ(drawn.noiseSeed, noiseSeed);

    float highest = 0.0f;
    for (float h : map.data) {
        EXPECT_GE(h, 0.0f);
        EXPECT_LE(h, 10.0f);
        highest = std::max(highest, h);
    }
    EXPECT_GT(highest, 0.5f) << "hills stand on the map";
}

TEST(TerrainEditing, ShippedHeightmapsAndBrushesExist)
{
    // "Clear" loads the flat map from the data folder.
    FlatMap map;
    ASSERT_TRUE(map.LoadImage("data/heightmaps/clear.dds"));
    for (float h : map.data) ASSERT_EQ(h, 0.0f);
    // The layout a random map is shaped by: bases higher than the open ground, a low rim.
    Heightmap layout(64, 64, 1.0f);
    ASSERT_TRUE(layout.LoadImage("data/heightmaps/four_players.jpg"));
    EXPECT_GT(layout.GetHeightAt(14, 14), layout.GetHeightAt(32, 32));
    EXPECT_LT(layout.GetHeightAt(0, 32), layout.GetHeightAt(32, 32));

    EXPECT_EQ(TerrainEditor::BrushIndex(2.0f), 0);
    EXPECT_EQ(TerrainEditor::BrushIndex(16.0f), 3);
    EXPECT_EQ(TerrainEditor::BrushIndex(6.0f), -1) << "no brush drawn for another size";
    for (int mode = 0; mode <= 8; ++mode)
        EXPECT_EQ(TerrainEditor::IsSculptMode(mode), mode < 3 || mode > 6) << mode;
}

}  // namespace
