// The floors of the game (ARCHITECTURE.md) kept as a rule over the source tree: host/ below
// platform/ below render/ below the game below app/. A file includes headers of its own floor
// and the floors below it; the game's folders include one another; nothing includes app/.
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

const std::map<std::string, int> FloorOf = {
    {"host", 0},    {"platform", 1}, {"render", 2},  {"terrain", 3},  {"world", 3},    {"mechanics", 3},
    {"levelgen", 3}, {"drawing", 3}, {"gui", 3},      {"interface", 3}, {"campaign", 3}, {"tools", 3}, {"app", 4},
};
constexpr int GAME_FLOOR = 3;

// The header an include line names ("x" or <x>); empty for any other line.
std::string IncludedHeader(const std::string& line)
{
    size_t at = line.find_first_not_of(" \t");
    if (at == std::string::npos || line[at] != '#') return "";
    at = line.find_first_not_of(" \t", at + 1);
    if (at == std::string::npos || line.compare(at, 7, "include") != 0) return "";
    at = line.find_first_of("\"<", at + 7);
    if (at == std::string::npos) return "";
    size_t end = line.find_first_of("\">", at + 1);
    return end == std::string::npos ? "" : line.substr(at + 1, end - at - 1);
}

std::string FirstFolder(const std::string& path)
{
    return path.substr(0, path.find('/'));
}

// The floor a file stands on: its folder's, the tested folder's for a test, the game's for the
// content tools and the other tests, platform's for the shared test helpers.
int FloorOfFile(const std::string& path)
{
    std::string top = FirstFolder(path);
    if (top == "tests") {
        std::string rest = path.substr(6);
        std::string sub = FirstFolder(rest);
        if (sub == "support") return 1;
        auto found = FloorOf.find(sub);
        return found != FloorOf.end() ? found->second : GAME_FLOOR;
    }
    auto found = FloorOf.find(top);
    return found != FloorOf.end() ? found->second : GAME_FLOOR;
}

// Whether a file may include a header by its project path; the reason goes to *why when not.
bool MayInclude(const std::string& file, const std::string& header, std::string* why)
{
    auto target = FloorOf.find(FirstFolder(header));
    if (target == FloorOf.end()) return true;  // system, test and tool headers
    if (target->first == "app") {
        // The shell's own tests and the benchmarks that time the whole program start it.
        bool shell = FirstFolder(file) == "app" || file.rfind("tests/app/", 0) == 0 ||
                     file.rfind("tests/bench/", 0) == 0;
        if (!shell) *why = "nothing includes the shell";
        return shell;
    }
    int floor = FloorOfFile(file);
    if (target->second > floor) {
        *why = "a floor includes only itself and the floors below it";
        return false;
    }
    return true;
}

TEST(Floors, TheRuleItself)
{
    struct Case {
        const char* file;
        const char* header;
        bool allowed;
    };
    const Case cases[] = {
        {"platform/MathUtil.cpp", "render/Camera.h", false},
        {"platform/AppShell.cpp", "campaign/MissionScreen.h", false},
        {"host/Log.cpp", "platform/Files.h", false},
        {"render/Camera.cpp", "platform/GameSeam.h", true},
        {"render/Camera.cpp", "mechanics/GameMechanics.h", false},
        {"mechanics/GameMechanics.cpp", "gui/WindowManager.h", true},
        {"campaign/MissionScreen.cpp", "mechanics/GameMechanics.h", true},
        {"gui/Window.cpp", "app/MainLoop.h", false},
        {"app/AppShell.cpp", "campaign/MissionScreen.h", true},
        {"tests/app/ShellTest.cpp", "app/AppShell.h", true},
        {"tests/bench/LaunchBench.cpp", "app/MainLoop.h", true},
        {"tests/world/PathFinderTest.cpp", "app/MainLoop.h", false},
        {"tests/platform/ConfigFileTest.cpp", "render/Camera.h", false},
        {"tests/render/CameraTest.cpp", "tests/support/Scoped.h", true},
        {"tests/support/ScopedGameSeam.h", "platform/GameSeam.h", true},
        {"tests/support/ScopedGameSeam.h", "render/Camera.h", false},
        {"content/meshgen/Walker.cpp", "render/IndexedMesh.h", true},
        {"content/meshgen/Walker.cpp", "app/AppShell.h", false},
    };
    for (const Case& c : cases) {
        std::string why;
        EXPECT_EQ(MayInclude(c.file, c.header, &why), c.allowed) << c.file << " -> " << c.header;
    }
}

TEST(Floors, NoFileIncludesAFloorAboveItOrTheShell)
{
    const std::vector<std::string> files =
        SourceFiles({"host", "platform", "render", "terrain", "world", "mechanics", "levelgen", "gui", "interface",
                     "campaign", "tools", "app", "content", "tests"});
    for (const std::string& file : files) {
        std::ifstream in(SourcePath(file));
        std::string line;
        for (int number = 1; std::getline(in, line); ++number) {
            std::string header = IncludedHeader(line);
            std::string why;
            if (!header.empty() && !MayInclude(file, header, &why))
                ADD_FAILURE() << file << ":" << number << " includes " << header << ": " << why;
        }
    }
    EXPECT_GT(files.size(), 100u) << "no sources below " << SourcePath("");
}

// The simulation (the terrain, the world, the level's making, and in mechanics/ the Scene and
// its files, the orders, the replays, the checksum, the objectives and the events) is what a
// replay's verification plays with no interface at all. It tells the player's side what happens
// through its hooks (world/AgentCombat.h, world/Item.h, terrain/ScanPulses.h,
// mechanics/ScreenHooks.h, levelgen/LevelTools.h), whose quiet answers it keeps and which the
// interface and the tools answer once installed, and keeps its own state (the power ledger, the
// unit inside an upgrader, a factory's queue); it never reaches into the interface, the GUI, the
// tools or the campaign's screens. Of the campaign it reads plain data alone, headers that themselves
// include no further than the simulation.
const std::vector<std::string> SimulationFolders = {"terrain", "levelgen", "world", "mechanics"};
const std::set<std::string> CampaignDataHeaders = {
    "campaign/Galaxy.h",
    "campaign/MissionCatalogue.h",
    "campaign/MissionRecord.h",
    "campaign/PlayerProfile.h",
    "campaign/RandomMission.h",
    "campaign/RigCatalog.h",
};
// The files that still reach up. None does now: the orders, the mouse's hand and the replays
// reach the player's side through the hooks. The list is kept so that it can only stay empty.
const std::set<std::string> StillReachingUp = {};

bool ReachesAboveTheSimulation(const std::string& header)
{
    const std::string top = FirstFolder(header);
    if (top == "interface" || top == "gui" || top == "tools" || top == "drawing") return true;
    return top == "campaign" && !CampaignDataHeaders.count(header);
}

TEST(Floors, TheWorldNeverReachesIntoTheInterface)
{
    struct Case {
        const char* header;
        bool above;
    };
    const Case cases[] = {
        {"world/Entity.h", false},          {"render/IndexedMesh.h", false},    {"campaign/MissionRecord.h", false},
        {"campaign/PlayerProfile.h", false}, {"mechanics/ScreenHooks.h", false}, {"campaign/MissionScreen.h", true},
        {"campaign/ProfileScreen.h", true},        {"gui/Button.h", true},             {"interface/MissionHud.h", true},
        {"tools/GrowthTool.h", true},       {"drawing/WorldFrame.h", true},
    };
    for (const Case& c : cases) EXPECT_EQ(ReachesAboveTheSimulation(c.header), c.above) << c.header;

    std::vector<std::string> files(CampaignDataHeaders.begin(), CampaignDataHeaders.end());
    for (const std::string& folder : SimulationFolders) {
        const std::vector<std::string> found = SourceFiles({folder});
        EXPECT_GT(found.size(), 10u) << "no sources below " << SourcePath(folder);
        files.insert(files.end(), found.begin(), found.end());
    }
    // The replay verifier is the simulation alone, and is held to it too (its link as well).
    const std::vector<std::string> verifier = SourceFiles({"app/verifier"});
    EXPECT_FALSE(verifier.empty()) << "no sources below " << SourcePath("app/verifier");
    files.insert(files.end(), verifier.begin(), verifier.end());
    for (const std::string& file : files) {
        std::ifstream in(SourcePath(file));
        EXPECT_TRUE(in.is_open()) << file;
        std::string line;
        bool reaches = false;
        for (int number = 1; std::getline(in, line); ++number) {
            const std::string header = IncludedHeader(line);
            if (header.empty() || !ReachesAboveTheSimulation(header)) continue;
            reaches = true;
            if (!StillReachingUp.count(file))
                ADD_FAILURE() << file << ":" << number << " includes " << header
                              << ": the simulation tells the interface through its hooks, it does not call it";
        }
        if (StillReachingUp.count(file) && !reaches) ADD_FAILURE() << file << " reaches up no more: take it off the list";
    }
    for (const std::string& listed : StillReachingUp)
        EXPECT_NE(std::find(files.begin(), files.end(), listed), files.end()) << listed << " is gone: take it off the list";
}

// The simulation never needs a device: a tick of the world reads only what its rules read. Of
// render/ it may read the models (a mesh's skeleton, its joints and animations, which place a
// weapon's muzzle and a unit's pose); the device, its states, effects, shaders, textures,
// sprites, fonts, the camera, the frustum and the particles are the drawing's, above it.
const std::set<std::string> ModelHeaders = {
    "render/Animation.h", "render/AnimLibrary.h", "render/IndexedMesh.h", "render/MeshFormat.h", "render/MeshLibrary.h",
};

bool IsDrawing(const std::string& header)
{
    const std::string top = FirstFolder(header);
    if (top == "render") return !ModelHeaders.count(header);
    if (top != "host") return false;
    const std::string name = header.substr(5);
    return name.rfind("Gfx", 0) == 0 || name == "EffectObject.h";
}

// The files of the simulation that still draw or hold the device. A file that stops leaves the
// list, and no file joins it: the world's drawing moves up to the drawing side (drawing/), which
// reads the world and is told what starts in it.
const std::set<std::string> StillDrawing = {
    "terrain/Environment.cpp",
    "terrain/FogOfWar.cpp",
    "terrain/Heightmap.cpp",
    "terrain/Minimap.cpp",
    "terrain/Minimap.h",
    "terrain/MinimapPings.cpp",
    "terrain/ScanPulses.cpp",
    "terrain/ScanPulses.h",
    "terrain/Skybox.cpp",
    "terrain/SplatPool.cpp",
    "terrain/Terrain.cpp",
    "terrain/TerrainLayers.cpp",
    "terrain/TerrainRender.cpp",
    "terrain/TextureLock.h",
    "terrain/Water.cpp",
    "world/BuildItemScript.cpp",
    "world/BuildingBehaviours.cpp",
    "world/Effects.cpp",
    "world/ItemCatalog.cpp",
    "world/ProjectileSystem.cpp",
    "world/UnitTypes.cpp",
    "mechanics/CommandHandlers.cpp",
    "mechanics/Commands.cpp",
    "mechanics/EventManager.cpp",
    "mechanics/Game.cpp",
    "mechanics/GameMechanics.cpp",
    "mechanics/GameMechanicsInit.cpp",
    "mechanics/Scene.cpp",
    "mechanics/SceneFactory.cpp",
    "mechanics/SceneFile.cpp",
    "mechanics/SceneScripts.cpp",
    "mechanics/Selection.cpp",
    "levelgen/Growth.cpp",
    "levelgen/Population.cpp",
};

TEST(Floors, TheWorldNeedsNoDevice)
{
    struct Case {
        const char* header;
        bool drawing;
    };
    const Case cases[] = {
        {"render/IndexedMesh.h", false},   {"render/Animation.h", false}, {"render/MeshLibrary.h", false},
        {"render/GraphicsDevice.h", true}, {"render/Camera.h", true},     {"render/ParticleManager.h", true},
        {"render/ViewFrustum.h", true},    {"host/GfxDevice.h", true},    {"host/EffectObject.h", true},
        {"host/Maths.h", false},           {"world/Entity.h", false},     {"platform/Timer.h", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsDrawing(c.header), c.drawing) << c.header;

    std::vector<std::string> files;
    for (const std::string& folder : SimulationFolders) {
        const std::vector<std::string> found = SourceFiles({folder});
        files.insert(files.end(), found.begin(), found.end());
    }
    for (const std::string& file : files) {
        std::ifstream in(SourcePath(file));
        std::string line;
        bool draws = false;
        for (int number = 1; std::getline(in, line); ++number) {
            const std::string header = IncludedHeader(line);
            if (header.empty() || !IsDrawing(header)) continue;
            draws = true;
            if (!StillDrawing.count(file))
                ADD_FAILURE() << file << ":" << number << " includes " << header
                              << ": the world is drawn from above it, by the drawing side";
        }
        if (StillDrawing.count(file) && !draws) ADD_FAILURE() << file << " draws no more: take it off the list";
    }
    for (const std::string& listed : StillDrawing)
        EXPECT_NE(std::find(files.begin(), files.end(), listed), files.end()) << listed << " is gone: take it off the list";
}

}  // namespace
