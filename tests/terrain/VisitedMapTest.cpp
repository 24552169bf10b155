// The visited-map file: the markers written beside a save come back the same, a short file
// fills only the front of the grid, a long one no more than the grid, and a file that cannot
// be written says so instead of passing for saved.
#include "host/Log.h"
#include "terrain/Minimap.h"
#include "terrain/VisitedMap.h"
#include "tests/support/TestSupport.h"
#include "tests/world/WorldTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

class VisitedMap : public WorldTest {
protected:
    void SetUp() override
    {
        WorldTest::SetUp();
        minimap.AllocateFogGrids();
        folder = MakeTempFolder("visited-map");
    }
    void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
    {
        std::ofstream out(path, std::ios::binary);
        out.write((const char*)bytes.data(), (std::streamsize)bytes.size());
    }
    std::vector<uint8_t> ReadBytes(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    Minimap minimap;
    std::string folder;
};

TEST(VisitedMapPath, TheSaveNameGetsTheVisitedMapsExtension)
{
    const struct {
        const char* name;
        const char* path;
    } cases[] = {
        {"data/levels/crater.sav", "data/levels/crater.vis"},
        {"Data\\Levels\\Crater.SAV", "data/levels/crater.vis"},
        {"data/levels.v2/crater", "data/levels.v2/crater.vis"},
        {"data/levels/crater.vis", "data/levels/crater.vis"},
    };
    for (const auto& c : cases) EXPECT_EQ(VisitedMapPath(c.name), c.path) << c.name;
}

TEST_F(VisitedMap, WhatIsSavedLoadsBackTheSame)
{
    for (int i = 0; i < 128 * 128; ++i) minimap.fog.markers[(size_t)i] = (uint8_t)((i * 7 + i / 128) % 4);
    std::vector<uint8_t> before = minimap.fog.markers;
    // A long save path: nothing cuts it short.
    std::string name = folder + "/" + std::string(150, 's') + "/mission.sav";
    ASSERT_TRUE(std::filesystem::create_directories(folder + "/" + std::string(150, 's')));
    ASSERT_TRUE(minimap.SaveVisited(name.c_str()));
    std::string path = VisitedMapPath(name.c_str());
    std::vector<uint8_t> file = ReadBytes(path);
    EXPECT_EQ(file, before) << "exactly the markers, no header";

    minimap.AllocateFogGrids();
    ASSERT_TRUE(minimap.LoadVisited(name.c_str()));
    EXPECT_EQ(minimap.fog.markers, before);
    ASSERT_TRUE(minimap.SaveVisited(name.c_str()));
    EXPECT_EQ(ReadBytes(path), file) << "written again byte for byte";
}

TEST_F(VisitedMap, AFileOfAnyLengthFillsAtMostTheGrid)
{
    const struct {
        const char* what;
        size_t length;
    } cases[] = {
        {"empty", 0}, {"100 bytes", 100}, {"one row and a half", 192}, {"exact", 128 * 128}, {"longer", 128 * 128 + 5000},
    };
    for (const auto& c : cases) {
        minimap.AllocateFogGrids();
        std::string path = folder + "/short.vis";
        WriteBytes(path, std::vector<uint8_t>(c.length, 2));
        ASSERT_TRUE(minimap.LoadVisited(path.c_str())) << c.what;
        size_t marked = 0;
        for (size_t i = 0; i < minimap.fog.markers.size(); ++i) {
            bool inFile = i < c.length;
            EXPECT_EQ(minimap.fog.markers[i], inFile ? 2 : 0) << c.what << ", byte " << i;
            if (minimap.fog.markers[i] != (inFile ? 2 : 0)) break;
            marked += minimap.fog.markers[i] != 0;
        }
        EXPECT_EQ(marked, std::min(c.length, (size_t)128 * 128)) << c.what;
    }
}

TEST_F(VisitedMap, AMissingFileChangesNothingAndAFailedSaveIsReported)
{
    minimap.fog.Mark(5, 5, FOG_MARK_RIG);
    EXPECT_FALSE(minimap.LoadVisited((folder + "/absent.sav").c_str()));
    EXPECT_EQ(minimap.fog.GetMarker(5, 5), FOG_MARK_RIG);

    LogCaptureBegin();
    std::string nowhere = folder + "/no/such/folder/game.sav";
    EXPECT_FALSE(minimap.SaveVisited(nowhere.c_str()));
    std::string log = LogCaptureEnd();
    EXPECT_NE(log.find("for WRITING"), std::string::npos) << log;
}

TEST_F(VisitedMap, AWriteThatFailsPartWayKeepsTheOldMap)
{
    std::string name = folder + "/full.sav";
    std::fill(minimap.fog.markers.begin(), minimap.fog.markers.end(), (uint8_t)FOG_MARK_RIG);
    ASSERT_TRUE(minimap.SaveVisited(name.c_str()));
    const std::vector<uint8_t> before = ReadBytes(VisitedMapPath(name.c_str()));
    ASSERT_EQ(before.size(), (size_t)128 * 128);

    // A disk that fills after 4096 bytes: the file size limit stands in for it.
    minimap.fog.markers.assign(minimap.fog.markers.size(), 0);
    rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 4096;
    auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    LogCaptureBegin();
    bool written = minimap.SaveVisited(name.c_str());
    std::string log = LogCaptureEnd();
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(written);
    EXPECT_NE(log.find("ERROR writing the visited map"), std::string::npos) << log;
    EXPECT_EQ(ReadBytes(VisitedMapPath(name.c_str())), before) << "the previous map is whole";
    EXPECT_FALSE(std::filesystem::exists(VisitedMapPath(name.c_str()) + ".tmp"));
}

}  // namespace
