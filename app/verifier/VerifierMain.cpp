// The replay verifier, "veldmark-verify FILE" (or, as the game takes it, "-replay FILE
// -verify"): a kept game played again by the world alone, to its verdict, as fast as it goes.
// It is made of the simulation and the engine below it and nothing else: no window, no
// display, no device, no sound, no screens, so it runs where there is no display at all. The
// world answers its hooks and the engine's seam itself (the bag, the rig, the galaxy's bodies,
// the replay's profile and mission are the world's own). Its output is the verdict's one line; the log goes to
// verify-log.txt in the user folder.
//
// Its passes are those of the game's own verification (mechanics/ReplayVerification.h): half a
// second of play each on a clock of its own, the level made after its start's pause, the camera
// at rest before each update.
// Exit codes: 0 the same game, 1 it parts from its game, 2 it cannot be played.
#include "campaign/MissionCatalogue.h"
#include "campaign/PlayerProfile.h"
#include "host/Display.h"
#include "host/Log.h"
#include "host/System.h"
#include "host/WorldGuard.h"
#include "mechanics/Bag.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/MissionStart.h"
#include "mechanics/Replay.h"
#include "mechanics/ReplayVerification.h"
#include "mechanics/Scene.h"
#include "mechanics/WorldSeam.h"
#include "platform/CommandLine.h"
#include "platform/ConfigFile.h"
#include "platform/DataFolder.h"
#include "platform/Files.h"
#include "platform/GameSeam.h"
#include "platform/Hotkeys.h"
#include "platform/StringTable.h"
#include "platform/Timer.h"
#include "platform/UserFolders.h"
#include "render/Camera.h"
#include "render/FontCache.h"
#include "render/IndexedMesh.h"
#include "render/TextureManager.h"
#include "render/ViewFrustum.h"
#include "terrain/Environment.h"
#include "terrain/Minimap.h"
#include "terrain/ScanPulses.h"
#include "terrain/Terrain.h"

#include <cstdio>
#include <string>

namespace {

WorldGameSeam WorldSide;

// The pause between a level's start and its making, in seconds of play.
constexpr float LEVEL_START_PAUSE = 1.0f;

int Refuse(const std::string& file, const std::string& why)
{
    printf("replay %s cannot be played: %s\n", file.c_str(), why.c_str());
    fflush(stdout);
    return 2;
}

void OpenLog()
{
    const std::string path = std::string(LocalAppDataFolder) + "/Veldmark/verify-log.txt";
    if (LogOpen(path.c_str())) Log("======== Veldmark: a replay verified ========\n");
}

// What the game reads before a level: its settings, its strings, its data's missions and
// environments, the world's game object and a player (the replay brings its own profile).
void StartWorld(int argc, char** argv)
{
    SetGameSeam(&WorldSide);
    Config = new ConfigFile("data/config.cfg");
    Config->LoadFonts("data/fonts.cfg");
    ParseCommandLine(Config, argc, argv);
    Config->LoadSettings();
    ParseCommandLine(Config, argc, argv);
    Strings = new StringTable;
    Strings->Init();
    // Empty: without a device nothing is loaded into them.
    Fonts = new FontCache();
    Textures = new TextureManager();
    TheScene.Init();
    TheGame = new GameMechanics();
    TheGame->Init();
    if (Config->height > 0) GameCamera.aspect = (float)Config->width / (float)Config->height;
    Frustum = new ViewFrustum();
    Frustum->Update(ViewMatrix);
    MissionCatalogue::LoadMissions("data/scripts/missions.cgs");
    Environment::EnsureLoaded();
    // The galaxy among them, laid out from the profile's seed when a replay of one of its
    // bodies starts.
    MakeMissionWorld();
    GetPlayerProfile()->TakeNewPlayerStart();
}

void StopWorld()
{
    // The verdict is given: the level is over and nothing of it is kept.
    SealWorld(false);
    FreeMissionWorld();
    MissionCatalogue::ClearMissions();
    PlayerBag->Clear();
    delete Frustum;
    Frustum = nullptr;
    FreeGameWorld();
    if (Fonts) Fonts->Clear();
    delete Fonts;
    Fonts = nullptr;
    delete Textures;
    Textures = nullptr;
    delete Strings;
    Strings = nullptr;
    delete Config;
    Config = nullptr;
    SetGameSeam(nullptr);
}

// The level the replay started is made after the pause a player sees before it.
void StartLevel()
{
    TheGame->state = GAME_STATE_PLAYING;
    TheGame->Init();
    FrameTimer.Reset();
    GameCamera.Update(0.0f);
    GameCamera.BuildMatrices();
    Frustum->Update(ViewMatrix);
    TheScene.PoseUnits();
    CmdSelectPlayer();
}

// A pass of the verifier: the game's state updated as the game's loop updates it, with no screen.
class VerifierPasses final : public VerificationPasses {
public:
    void Update(float dt) override
    {
        if (TheGame->state == GAME_STATE_PLAYING) {
            {
                // The camera follows the rig as it is drawn, not from tick to tick.
                const CarriedPoses drawn(TheScene);
                GameCamera.Update(dt);
            }
            GameCamera.BuildMatrices();
            Frustum->Update(ViewMatrix);
            StepCameraShake();
            TheGame->Update();
        } else if (TheGame->state == GAME_STATE_LOAD_PENDING) {
            startPause_ += dt;
            if (startPause_ > LEVEL_START_PAUSE) {
                startPause_ = 0.0f;
                StartLevel();
            }
        } else {
            TheGame->Update();
        }
    }

private:
    float startPause_ = 0.0f;
};

}  // namespace

int main(int argc, char** argv)
{
    // The file as named from where the verifier was started; the data beside the program, or
    // where it was started.
    ReplayRequest asked = ReplayRequested(argc, argv);
    if (asked.file.empty() && argc == 2 && argv[1][0] != '-') asked.file = argv[1];
    if (asked.file.empty()) {
        printf("usage: %s FILE (or -replay FILE -verify)\n", argc > 0 ? argv[0] : "veldmark-verify");
        return 2;
    }
    const std::string started = GetWorkingFolder();
    EnterDataFolder(GetProgramFolder());
    std::string path = asked.file;
    if (!IsAbsolutePath(path.c_str()) && !started.empty()) path = started + "/" + path;

    // Nothing is ever shown: no box waits for a person, the log goes to its file alone, and not
    // even the desktop's size is asked.
    LogToStandardOutput = false;
    SetMessageBoxesEnabled(false);
    ForgoDisplay(true);
    if (!InitUserFolders()) return Refuse(asked.file, "there is no user folder to play in");
    OpenLog();
    FileStatus status;
    if (GetFileStatus("data", status) != 0 || !status.isDirectory) {
        LogClose();
        return Refuse(asked.file, "the game's data was not found beside the verifier nor where it was started");
    }

    StartWorld(argc, argv);
    Replay replay;
    std::string why;
    int exitCode = 2;
    VerifierPasses passes;
    if (!ReplayDirector::Open(path.c_str(), &replay, &why))
        Refuse(asked.file, why);
    else if (!TheReplay.Play(asked.file, replay, true))
        Refuse(asked.file, "the world could not start it");
    else
        exitCode = RunReplayVerification(passes);
    StopWorld();
    LogClose();
    ForgoDisplay(false);
    return exitCode;
}
