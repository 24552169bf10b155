// The driver's warm-up lists against what a first level really draws: every set of draw states
// of a level's first frames, its first scan, the first building placed, the first shot and the
// first mission object's foundation seen must be on the list the waiting frames warm the driver
// up with, and those the first sight of water adds on the list a level with water warms at its
// start, or that moment stalls while the driver makes its code. With
// VELDMARK_UPDATE_REFERENCES=1 the lists are written afresh from the walks
// (content/shaders/warmup.txt and warmup_water.txt).
#include "tests/app/PlayerSessionSupport.h"

#include "host/GfxDevice.h"
#include "host/WorldGuard.h"
#include "mechanics/Selection.h"
#include "platform/PackageFile.h"
#include "render/EffectManager.h"
#include "tests/terrain/WaterView.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <set>

using namespace playersession;

namespace {

// Starts recording at once: the level is still to be made.
class WarmUpSession : public PlayerSession {
protected:
    void SetUp() override
    {
        PlayerSession::SetUp();
        if (!started) return;
        ASSERT_NE(Graphics, nullptr);
        Graphics->device->RecordDrawStates(&drawn);
    }
    void TearDown() override
    {
        if (started && Graphics && Graphics->device) Graphics->device->RecordDrawStates(nullptr);
        PlayerSession::TearDown();
    }
    std::vector<std::string> drawn;
};

// The same from the start of a first level that has water: another galaxy's.
class WaterWarmUpSession : public WarmUpSession {
protected:
    void SetUp() override
    {
        StartAsPilot("session", "mainMenuEnabled false\ncurrentprofile Pilot\n",
                     {{std::string("galaxyseed\t") + GALAXY_SEED, "galaxyseed\t1"}});
        if (!started) return;
        ASSERT_NE(Graphics, nullptr);
        Graphics->device->RecordDrawStates(&drawn);
    }
};

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t b = 0;
    while (b < text.size()) {
        size_t e = text.find('\n', b);
        if (e == std::string::npos) e = text.size();
        std::string line = text.substr(b, e - b);
        if (!line.empty() && line[0] != '#') lines.push_back(line);
        b = e + 1;
    }
    return lines;
}

// The lines of a warm-up list of the shader package.
std::vector<std::string> PackagedLines(const char* name)
{
    std::vector<std::string> list;
    unsigned size = 0;
    if (const unsigned char* data = ShaderPackage ? ShaderPackage->GetData(name, &size) : nullptr) {
        list = Lines(std::string((const char*)data, size));
        ShaderPackage->ReleaseData(name);
    }
    return list;
}

// Every set of draw states the walk drew must be on the list or among `earlier` (the lines a
// list warmed before this one holds). Lines nothing drew any more are warmed for nothing, each
// costing the player the driver's code for a draw that never comes: an update writes the list
// afresh from the walk, in the order first drawn.
void CheckList(const std::vector<std::string>& drawn, const char* name, const std::set<std::string>& earlier,
               const char* heading)
{
    ASSERT_FALSE(drawn.empty());
    const std::vector<std::string> list = PackagedLines(name);
    const std::set<std::string> listed(list.begin(), list.end());
    std::vector<std::string> missing, wanted;
    std::set<std::string> seen;
    int unnamed = 0;
    for (const std::string& line : drawn) {
        // A program with no name cannot be found again; such draws are counted, not listed.
        if (line.compare(0, 4, "p=? ") == 0) {
            ++unnamed;
            continue;
        }
        if (earlier.count(line) || !seen.insert(line).second) continue;
        wanted.push_back(line);
        if (!listed.count(line)) missing.push_back(line);
    }
    size_t stale = 0;
    for (const std::string& line : list) stale += seen.count(line) ? 0 : 1;
    const char* update = getenv("VELDMARK_UPDATE_REFERENCES");
    if ((!missing.empty() || stale) && update && update[0] && strcmp(update, "0") != 0) {
        std::ofstream out(SourcePath(std::string("content/shaders/") + name), std::ios::binary);
        out << heading << "# Kept by tests/app/WarmUpSessionTest.cpp: VELDMARK_UPDATE_REFERENCES=1 writes it afresh.\n";
        for (const std::string& line : wanted) out << line << "\n";
        missing.clear();
        stale = 0;
    }
    if (stale) printf("%zu lines of %s were not drawn in this walk\n", stale, name);
    std::string shown;
    for (size_t i = 0; i < missing.size() && i < 5; ++i) shown += missing[i] + "\n";
    EXPECT_TRUE(missing.empty()) << missing.size() << " of " << wanted.size() << " sets of draw states are not on "
                                 << name << ", among them:\n"
                                 << shown;
    EXPECT_EQ(unnamed, 0) << "draws with programs that have no name";
}

TEST_F(WarmUpSession, TheListCoversAFirstLevelsScanPlacementAndShot)
{
    UntilPlaying();
    // The first scan, played out.
    CmdScan();
    Passes(40, 0.05f);
    // The first building placed as a player places it, and its site's first moments: the rig
    // walks over and the building starts to rise.
    Agent* rig = GetPlayerRig();
    ASSERT_NE(rig, nullptr);
    Building* site = PlaceFromBuildPanel("bot_factory", rig->GetPosition());
    ASSERT_NE(site, nullptr);
    for (int i = 0; i < 100 && site->buildProgress <= 0.0f; ++i) Passes(1, 0.05f);
    EXPECT_GT(site->buildProgress, 0.0f) << "the rig never began to build";
    Passes(10, 0.05f);
    // The first shot: the rig sent at a scavenger beside it.
    Agent* enemy = PlaceUnit("scav_small", rig->GetPosition(), ALIGN_ENEMY);
    ASSERT_NE(enemy, nullptr);
    Passes(4, 0.05f);
    ASSERT_TRUE(ClickAt(rig->GetCenter(), 0));
    ASSERT_TRUE(ClickAt(enemy->GetCenter(), 1));
    Passes(60, 0.05f);
    // A mission object's foundation first seen, as when a building's sight clears the fog off
    // one: this level has none near the rig, so one is laid beside it.
    // The test's own staging.
    const WorldChangeScope staged;
    Entity* splat = TheScene.AddSplat("splat3x3", "data/textures/splats/splat_building.dds",
                                      "data/textures/splats/splat_building_sn.dds",
                                      rig->GetPosition() + Vec3(4.0f, 0.0f, 4.0f), 0);
    ASSERT_NE(splat, nullptr);
    TheScene.ConformEntitiesToTerrain();
    Passes(5, 0.05f);
    Graphics->device->RecordDrawStates(nullptr);
    CheckList(drawn, "warmup.txt", {},
              "# The draw states a first level uses (host/GfxWarmUp.cpp), warmed up while the player waits.\n");
    // A level without water did not warm the water's list.
    ASSERT_FALSE(TheTerrain.waterSet && TheTerrain.waterSet->count > 0);
    const int left = TheEffectManager->WarmUpLeft();
    TheEffectManager->QueueWarmUp(WATER_WARM_UP_LIST);
    EXPECT_GT(TheEffectManager->WarmUpLeft(), left);
}

TEST_F(WaterWarmUpSession, TheWaterListCoversTheFirstSightOfWater)
{
    UntilPlaying();
    const WaterSet* water = TheTerrain.waterSet;
    ASSERT_TRUE(water && water->count > 0 && water->meshes[0]) << "this galaxy's first level has water";
    ASSERT_FALSE(water->lava);
    // Its start warmed the water's list: queued again, it adds nothing.
    const int left = TheEffectManager->WarmUpLeft();
    TheEffectManager->QueueWarmUp(WATER_WARM_UP_LIST);
    EXPECT_EQ(TheEffectManager->WarmUpLeft(), left);
    ASSERT_TRUE(LookOverWater());
    Passes(5, 0.05f);
    EXPECT_TRUE(water->AnyVisible());
    Graphics->device->RecordDrawStates(nullptr);
    const std::vector<std::string> first = PackagedLines("warmup.txt");
    CheckList(drawn, WATER_WARM_UP_LIST, std::set<std::string>(first.begin(), first.end()),
              "# The draw states a level with water adds to the first level's (host/GfxWarmUp.cpp), warmed at its start.\n");
}

}  // namespace
