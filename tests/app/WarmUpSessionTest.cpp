// The driver's warm-up list against what a first level really draws: every set of draw states
// of a level's first frames, its first scan, the first building placed, the first shot and the
// first mission object's foundation seen must
// be on the list the waiting frames warm the driver up with, or that moment stalls while the
// driver makes its code. With VELDMARK_UPDATE_REFERENCES=1 the list is written afresh from the walk
// (content/shaders/warmup.txt).
#include "tests/app/PlayerSessionSupport.h"

#include "host/GfxDevice.h"
#include "mechanics/Selection.h"
#include "platform/PackageFile.h"
#include "render/EffectManager.h"

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

TEST_F(WarmUpSession, TheListCoversAFirstLevelsScanPlacementAndShot)
{
    UntilPlaying();
    // The first scan, played out.
    CmdScan();
    Passes(40, 0.05f);
    // The first building placed.
    Agent* rig = GetPlayerRig();
    ASSERT_NE(rig, nullptr);
    EXPECT_NE(PlaceFromBuildPanel("bot_factory", rig->GetPosition()), nullptr);
    Passes(10, 0.05f);
    // The first shot: the rig sent at a scavenger beside it.
    Agent* enemy = PlaceUnit("scav_small", rig->GetPosition(), ALIGN_ENEMY);
    ASSERT_NE(enemy, nullptr);
    Passes(4, 0.05f);
    int x = 0, y = 0;
    ASSERT_TRUE(OnScreen(rig->GetCenter(), &x, &y));
    MoveMouseTo(x, y);
    Click(0);
    ASSERT_TRUE(OnScreen(enemy->GetCenter(), &x, &y));
    MoveMouseTo(x, y);
    Click(1);
    Passes(60, 0.05f);
    // A mission object's foundation first seen, as when a building's sight clears the fog off
    // one: this level has none near the rig, so one is laid beside it.
    Entity* splat = TheScene.AddSplat("splat3x3", "data/textures/splats/splat_building.dds",
                                      "data/textures/splats/splat_building_sn.dds",
                                      rig->GetPosition() + Vec3(4.0f, 0.0f, 4.0f), 0);
    ASSERT_NE(splat, nullptr);
    TheScene.ConformEntitiesToTerrain();
    Passes(5, 0.05f);
    Graphics->device->RecordDrawStates(nullptr);
    ASSERT_FALSE(drawn.empty());

    std::vector<std::string> list;
    unsigned size = 0;
    if (const unsigned char* data = ShaderPackage ? ShaderPackage->GetData("warmup.txt", &size) : nullptr) {
        list = Lines(std::string((const char*)data, size));
        ShaderPackage->ReleaseData("warmup.txt");
    }
    const std::set<std::string> listed(list.begin(), list.end());
    std::vector<std::string> missing;
    int unnamed = 0;
    for (const std::string& line : drawn) {
        // A program with no name cannot be found again; such draws are counted, not listed.
        if (line.compare(0, 4, "p=? ") == 0) {
            ++unnamed;
            continue;
        }
        if (!listed.count(line)) missing.push_back(line);
    }
    // Lines nothing drew any more are warmed for nothing, each costing the player the driver's
    // code for a draw that never comes: an update writes the list afresh from this walk.
    const std::set<std::string> seen(drawn.begin(), drawn.end());
    size_t stale = 0;
    for (const std::string& line : list) stale += seen.count(line) ? 0 : 1;
    const char* update = getenv("VELDMARK_UPDATE_REFERENCES");
    if ((!missing.empty() || stale) && update && update[0] && strcmp(update, "0") != 0) {
        std::ofstream out(SourcePath("content/shaders/warmup.txt"), std::ios::binary);
        out << "# The draw states a first level uses (host/GfxWarmUp.cpp), warmed up while the player waits.\n"
            << "# Kept by tests/app/WarmUpSessionTest.cpp: VELDMARK_UPDATE_REFERENCES=1 writes it afresh.\n";
        for (const std::string& line : drawn)
            if (line.compare(0, 4, "p=? ") != 0) out << line << "\n";
        missing.clear();
        stale = 0;
    }
    if (stale) printf("%zu lines of the warm-up list were not drawn in this walk\n", stale);
    std::string shown;
    for (size_t i = 0; i < missing.size() && i < 5; ++i) shown += missing[i] + "\n";
    EXPECT_TRUE(missing.empty()) << missing.size() << " of " << drawn.size()
                                 << " sets of draw states are not on the warm-up list, among them:\n"
                                 << shown;
    EXPECT_EQ(unnamed, 0) << "draws with programs that have no name";
}

}  // namespace
