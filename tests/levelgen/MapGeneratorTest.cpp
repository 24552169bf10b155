// The kind grid and the height image: the drawing primitives keep to the map, rivers get
// their fords and roads, the image is the grid turned by half a turn with a raised rim, and
// a seed gives the same level byte for byte (pinned per seed and layout: players share
// seeds).
#include "host/Image.h"
#include "host/ImageCodec.h"
#include "mechanics/GameMechanics.h"
#include "terrain/Heightmap.h"
#include "terrain/Terrain.h"
#include "tests/levelgen/LevelGenTestSupport.h"
#include "platform/ConfigFile.h"
#include "tests/support/ReferencePicture.h"
#include "tests/support/Scoped.h"
#include "world/Grid.h"

#include <cstdio>
#include <fstream>
#include <iterator>

namespace {

using MapGeneration = LevelGenTest;

std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string UserPath(const char* relative)
{
    return std::string(UserFolder) + "/" + relative;
}

void CopyFile(const std::string& from, const std::string& to)
{
    std::vector<uint8_t> bytes = ReadBytes(from);
    std::ofstream out(to, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), (std::streamsize)bytes.size());
}

}  // namespace

TEST_F(MapGeneration, StampsKeepToTheInnerMapAndNeverOverwrite)
{
    maps.kinds.assign(128 * 128, KIND_OPEN);
    maps.SetKind(60, 60, KIND_ORE);
    maps.StampArea(12, IntPoint(-1, -1), KIND_CLEARED, true, -1, false);
    maps.StampArea(12, IntPoint(127, 130), KIND_CLEARED, false, -1, true);
    maps.StampArea(5, IntPoint(60, 60), KIND_CLEARED, false, -1, false);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            bool inner = x >= 2 && x <= 125 && y >= 2 && y <= 125;
            if (!inner) {
                EXPECT_EQ(maps.KindAt(x, y), KIND_OPEN) << x << "," << y;
            }
        }
    EXPECT_EQ(maps.KindAt(2, 2), KIND_CLEARED);
    EXPECT_EQ(maps.KindAt(11, 11), KIND_CLEARED);
    EXPECT_EQ(maps.KindAt(60, 60), KIND_ORE) << "a stamp never overwrites";
    EXPECT_EQ(maps.KindAt(65, 60), KIND_CLEARED);
    EXPECT_EQ(maps.KindAt(64, 64), KIND_OPEN) << "a disc, not a square";
}

TEST_F(MapGeneration, AnObjectiveWithoutASiteClearsNothing)
{
    // Every placement cell taken, so nothing but the stamps under test touches open ground.
    TheLevelGenerator.Clear();
    CellGrid& cells = CellGrid::Instance();
    for (int i = 0; i < 16; ++i) cells.MarkUsed(i);
    for (int& s : TheLevelGenerator.junctionSwitches) s = 0;
    TheLevelGenerator.startPoint = IntPoint(100, 110);
    Objective build;
    CopyText(build.target, sizeof build.target, "outpost");
    TheLevelGenerator.objectiveSites[0] = IntPoint(-1, -1);
    TheLevelGenerator.siteObjectives[0] = &build;
    TheLevelGenerator.objectiveSiteCount = 1;
    SRand(1);
    maps.BuildHeightmap(TheLevelGenerator);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) ASSERT_EQ(maps.KindAt(x, y), KIND_OPEN) << x << "," << y;
    EXPECT_EQ(maps.KindAt(100, 110), KIND_START);
    EXPECT_EQ(maps.KindAt(100, 104), KIND_CLEARED);
    EXPECT_EQ(maps.heightsReady, 1);
}

TEST_F(MapGeneration, TwoRiversGetFourFordsWithRoadsDownToTheirBanksAndBetweenThem)
{
    MissionRecord mission = Mission("forest", LEVEL_TEMPLATE_2_RIVERS, 3);
    for (unsigned seed : {2u, 3u, 5u}) {
        SCOPED_TRACE(seed);
        Generate(mission, seed);
        const LevelGenerator& g = TheLevelGenerator;
        ASSERT_EQ(g.crossingCount, 4);
        bool row = g.riverOrientation[0] == RIVER_ALONG_ROW;
        for (int c = 0; c < 4; ++c) {
            IntPoint p = g.crossingPoints[c];
            int along = row ? p.x : p.y, across = row ? p.y : p.x;
            EXPECT_EQ(across, c < 2 ? 68 : 90);
            EXPECT_EQ(maps.KindAt(p.x, p.y), KIND_RIVER);
            EXPECT_TRUE(c % 2 == 0 ? along >= 32 && along <= 48 : along >= 80 && along <= 95) << along;
            // Both banks: road lanes from 3 to 7 across the water.
            for (int side : {-5, 5}) {
                IntPoint bank = row ? IntPoint(p.x, p.y + side) : IntPoint(p.x + side, p.y);
                EXPECT_EQ(maps.KindAt(bank.x, bank.y), KIND_ROAD) << c << " " << side;
            }
        }
        EXPECT_EQ(g.crossingPoints[0].x + g.crossingPoints[0].y - 68, g.crossingPoints[2].x + g.crossingPoints[2].y - 90)
            << "the fords of both rivers line up";
        // Roads run between the rivers from ford to ford, away from the fords' own lanes.
        int between = 0;
        for (int a = 76; a <= 82; ++a)
            for (int t = 2; t <= 125; ++t) {
                int x = row ? t : a, y = row ? a : t;
                between += maps.KindAt(x, y) == KIND_ROAD;
            }
        EXPECT_GT(between, 4);
    }
}

TEST_F(MapGeneration, AMoonLevelHasCratersWhereOthersHavePonds)
{
    // A layout of nothing but the start: fifteen free placement cells for hills, mounds and
    // (by the environment) ponds or craters.
    for (const char* environment : {"moon", "alien"}) {
        SCOPED_TRACE(environment);
        bool moon = StrICmp(environment, "moon") == 0;
        TheLevelGenerator.Clear();
        CellGrid::Instance().Reset();
        TheLevelGenerator.startPoint = IntPoint(18, 16);
        CellGrid::Instance().MarkUsedAt(TheLevelGenerator.startPoint);
        CopyText(maps.environmentName, sizeof maps.environmentName, environment);
        SRand(17);
        maps.BuildHeightmap(TheLevelGenerator);
        EXPECT_EQ(CountKind(KIND_CRATER) > 0, moon);
        EXPECT_EQ(CountKind(KIND_CRATER_RIM) > 0, moon);
        EXPECT_EQ(CountKind(KIND_POND) > 0, !moon);
        EXPECT_GT(CountKind(KIND_HILL_PEAK), 0);
        EXPECT_EQ(CountKind(KIND_JUNCTION), 9);
    }
}

TEST_F(MapGeneration, TheHeightImageIsTheKindGridTurnedWithARaisedRim)
{
    maps.kinds.assign(128 * 128, KIND_CLEARED);
    for (int y = 19; y <= 21; ++y)
        for (int x = 9; x <= 11; ++x) maps.SetKind(x, y, KIND_POND);
    maps.SetKind(64, 0, KIND_RIVER);
    maps.SetKind(64, 1, KIND_ROCK);
    Heightmap heights(128, 128, TERRAIN_VERTICAL_SCALE);
    SRand(3);
    maps.KindHeights(heights);
    auto at = [&](int x, int y) { return heights.GetHeightAt(x, y); };
    EXPECT_FLOAT_EQ(at(117, 107), 0.0f) << "the pond, half a turn round";
    EXPECT_NEAR(at(10, 20), 1.1f + 2.0f / 7.0f, 1e-5f);
    EXPECT_FLOAT_EQ(at(63, 127), 1.1f) << "a river runs out through the rim";
    for (int i = 0; i < 128; ++i)
        for (IntPoint p : {IntPoint(i, 0), IntPoint(i, 1), IntPoint(0, i), IntPoint(127, i), IntPoint(i, 126)}) {
            if (p == IntPoint(63, 127) || p == IntPoint(63, 126)) continue;
            EXPECT_GE(at(p.x, p.y), 8.0f);
            EXPECT_LT(at(p.x, p.y), 10.0f);
        }

    // The written image holds the same picture: the pond low, the cleared ground at its level.
    SRand(3);
    ScopedGlobal<float> heightScale(TheTerrain.heightScale, 1.0f);
    maps.GenerateHeightImage();
    std::string path = UserPath(GENERATED_HEIGHTMAP);
    EXPECT_STREQ(TheScene.heightmapName, path.c_str());
    EXPECT_FLOAT_EQ(TheTerrain.heightScale, 1.6f) << "a generated level's ground is set for its terrain";
    Heightmap image(128, 128, TERRAIN_VERTICAL_SCALE);
    ASSERT_TRUE(image.LoadImage(path.c_str()));
    EXPECT_LT(image.GetHeightAt(117, 107), 0.8f);
    EXPECT_NEAR(image.GetHeightAt(40, 40), 1.1f + 2.0f / 7.0f, 0.05f);
    EXPECT_GT(image.GetHeightAt(64, 0), 5.0f);
}

TEST_F(MapGeneration, FindCrossingTakesTheFordWithTheShorterDetour)
{
    GameMechanics game;
    ScopedGlobal<GameMechanics*> current(TheGame, &game);
    TheLevelGenerator.Clear();
    maps.kinds.assign(128 * 128, KIND_OPEN);
    auto world = [&](int x, int y) {
        Vec3 p = game.grid->CellToWorld(x, y);
        return Vec3(-p.x - 1.25f, 0.0f, p.z + 1.25f);  // the middle of the cell, the map's x turned
    };
    Vec3 out;
    EXPECT_FALSE(TheLevelGenerator.FindCrossing(world(64, 60), world(64, 76), &out)) << "no river";
    TheLevelGenerator.AddRiver(RIVER_ALONG_ROW, 68, 2, 0.0f);
    TheLevelGenerator.crossingPoints[0] = IntPoint(40, 68);
    TheLevelGenerator.crossingPoints[1] = IntPoint(88, 68);
    for (int x = 0; x < 128; ++x) maps.SetKind(x, 68, KIND_RIVER);

    struct Case {
        IntPoint a, b;
        bool found;
        IntPoint crossing;
    };
    const Case cases[] = {
        {{64, 60}, {64, 76}, true, {88, 68}},  // a tie: the second ford
        {{50, 60}, {45, 80}, true, {40, 68}},
        {{90, 80}, {70, 60}, true, {88, 68}},
        {{30, 60}, {90, 66}, false, {}},  // both on one bank
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.a.x << "," << c.a.y);
        ASSERT_EQ(TheLevelGenerator.FindCrossing(world(c.a.x, c.a.y), world(c.b.x, c.b.y), &out), c.found);
        if (!c.found) continue;
        Vec3 expected = game.grid->CellToWorld(c.crossing.x, c.crossing.y);
        EXPECT_FLOAT_EQ(out.x, -expected.x);
        EXPECT_FLOAT_EQ(out.z, expected.z);
    }
}

TEST_F(MapGeneration, ASeedGivesTheSameLevelByteForByte)
{
    struct Case {
        int layout;
        const char* environment;
        unsigned seed;
        uint64_t kinds;
        uint64_t image;
    };
    const Case cases[] = {
        {LEVEL_TEMPLATE_NONE, "forest", 1, 0xe5898ade68656f97ull, 0xf95af5a1f7bead1cull},
        {LEVEL_TEMPLATE_NONE, "moon", 42, 0x91796c14e794351bull, 0x15f2dcb0c92cd01dull},
        {LEVEL_TEMPLATE_OPPOSITE_ENEMY, "desert", 7, 0x8646fe22eb02a946ull, 0x97beeb467aba75deull},
        {LEVEL_TEMPLATE_RIVER_DIVIDES, "marsh", 1234, 0x57877637f624a6e8ull, 0x142264e44469d1acull},
        {LEVEL_TEMPLATE_2_RIVERS, "winter", 99999, 0x855f4d6ea2f79a1bull, 0x470963f45a49bab7ull},
        {LEVEL_TEMPLATE_NO_RIVERS, "lava", 31337, 0x201f3acc9e8defa3ull, 0xe5f3aa8d1ba9fce3ull},
        {LEVEL_TEMPLATE_2_RIVERS, "fall", 5, 0x87a83e0ad5935cf1ull, 0x87b2f87d99250c33ull},
    };
    for (const Case& c : cases) {
        MissionRecord mission = Mission(c.environment, c.layout, 0);
        AddObjective(mission, OBJECTIVE_RECOVER_OBJECT, "relic", 2, OBJECTIVE_GUARDED_OBJECT);
        AddObjective(mission, OBJECTIVE_DESTROY_BUILDING, "outpost", 1, OBJECTIVE_OPPOSITE_TO_PLAYER | OBJECTIVE_IN_CITY);
        AddObjective(mission, OBJECTIVE_HACK_COMPUTER, "computer", 1, OBJECTIVE_MAP_CENTER);
        AddObjective(mission, OBJECTIVE_MINING, "ore", 500);
        mission.enemyCount = 1;
        mission.creatureCount = 2;
        uint64_t kinds[2], images[2];
        for (int run = 0; run < 2; ++run) {
            Generate(mission, c.seed);
            maps.GenerateHeightImage();
            kinds[run] = Fnv1a(maps.kinds.data(), maps.kinds.size() * sizeof(int));
            std::vector<uint8_t> image = ReadBytes(UserPath(GENERATED_HEIGHTMAP));
            ASSERT_FALSE(image.empty());
            images[run] = Fnv1a(image.data(), image.size());
        }
        EXPECT_EQ(kinds[0], kinds[1]);
        EXPECT_EQ(images[0], images[1]);
        EXPECT_EQ(kinds[0], c.kinds) << std::hex << c.environment << " " << c.seed << ": 0x" << kinds[0];
        EXPECT_EQ(images[0], c.image) << std::hex << c.environment << " " << c.seed << ": 0x" << images[0];
    }
}

// The debug picture of the kinds costs more than the whole build, so a player's level start
// does without it: it is written only while the generator's window is shown or debugMode is
// on, and the level is the same either way.
TEST_F(MapGeneration, TheMapImageIsWrittenOnlyForDebugging)
{
    ConfigFile config(nullptr);
    ScopedGlobal<ConfigFile*> useConfig(Config, &config);
    std::vector<uint8_t> levels[2];
    for (bool debug : {false, true}) {
        SCOPED_TRACE(debug ? "debugMode on" : "debugMode off");
        config.debugMode = debug;
        std::remove(UserPath(MAP_IMAGE).c_str());
        MissionRecord mission = Mission("forest", LEVEL_TEMPLATE_NONE, 0);
        Generate(mission, 77);
        maps.GenerateHeightImage();
        EXPECT_EQ(!ReadBytes(UserPath(MAP_IMAGE)).empty(), debug);
        levels[debug] = ReadBytes(UserPath(GENERATED_HEIGHTMAP));
        ASSERT_FALSE(levels[debug].empty());
    }
    EXPECT_EQ(levels[0], levels[1]) << "the debug picture changed the level";
}

// Pictures a person can look at: the kinds and the heights of a level of each environment,
// written into the test pictures folder ("levelgen").
TEST_F(MapGeneration, EachEnvironmentsLevelIsWrittenAsPictures)
{
    std::string folder = TestPictureFolder();
    CreateFolder(folder.c_str());
    folder += "/levelgen";
    CreateFolder(folder.c_str());
    // The map image is a debug picture: written only with debugMode on.
    ConfigFile config(nullptr);
    config.debugMode = true;
    ScopedGlobal<ConfigFile*> useConfig(Config, &config);
    for (int i = 0; i < Environment::GetCount(); ++i) {
        const char* name = Environment::Get(i)->name;
        SCOPED_TRACE(name);
        MissionRecord mission = Mission(name, LEVEL_TEMPLATE_NONE, 0);
        AddObjective(mission, OBJECTIVE_DESTROY_BUILDING, "outpost", 1, OBJECTIVE_FAR_FROM_PLAYER);
        mission.enemyCount = 2;
        mission.creatureCount = 1;
        Generate(mission, 100 + (unsigned)i);
        maps.GenerateHeightImage();
        Pixels kinds = ReadPicture(UserPath(MAP_IMAGE));
        ASSERT_EQ(kinds.width, maps.previewSize);
        Pixels heights = ReadPicture(UserPath(GENERATED_HEIGHTMAP));
        ASSERT_EQ(heights.width, 128);
        CopyFile(UserPath(MAP_IMAGE), folder + "/" + name + "_kinds.bmp");
        CopyFile(UserPath(GENERATED_HEIGHTMAP), folder + "/" + name + "_heights.bmp");
        // The start clearing shows in its colour in the map image, where the layout put it.
        int scale = maps.previewSize / 128;
        IntPoint start = TheLevelGenerator.startPoint;
        EXPECT_EQ(kinds.At(start.x * scale + scale / 2, start.y * scale + scale / 2) & 0xFFFFFFu, 0x00cc00u);
    }
}
