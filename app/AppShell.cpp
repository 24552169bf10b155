#include "app/AppShell.h"

#include "app/MainLoop.h"
#include "campaign/Galaxy.h"
#include "campaign/LevelLoadSave.h"
#include "campaign/MissionScreen.h"
#include "campaign/PlayerProfile.h"
#include "campaign/StorySlideshow.h"
#include "gui/MessageDialogGui.h"
#include "gui/Window.h"
#include "gui/WindowManager.h"
#include "host/Display.h"
#include "host/GfxDevice.h"
#include "host/GfxWindow.h"
#include "host/InputEvents.h"
#include "host/Log.h"
#include "host/Random.h"
#include "host/System.h"
#include "mechanics/GameMechanics.h"
#include "drawing/WorldFrame.h"
#include "interface/GameSeamImpl.h"
#include "interface/PlayerGame.h"
#include "interface/PlayerAnswers.h"
#include "tools/LevelToolAnswers.h"
#include "mechanics/MissionStart.h"
#include "mechanics/Replay.h"
#include "mechanics/Scene.h"
#include "platform/CommandLine.h"
#include "platform/ConfigFile.h"
#include "platform/DataFolder.h"
#include "platform/Files.h"
#include "platform/Hotkeys.h"
#include "platform/InputState.h"
#include "platform/MusicPlayer.h"
#include "platform/MusicThread.h"
#include "platform/SoundManager.h"
#include "platform/StringTable.h"
#include "platform/Timer.h"
#include "platform/UserFolders.h"
#include "render/Camera.h"
#include "render/FontCache.h"
#include "render/FrameGraph.h"
#include "render/GraphicsDevice.h"
#include "render/IndexedMesh.h"
#include "render/RenderStateCache.h"
#include "render/TextureManager.h"
#include "render/ViewFrustum.h"
#include "terrain/Environment.h"
#include "world/Building.h"
#include "terrain/Minimap.h"
#include "terrain/ScanPulses.h"
#include "terrain/Terrain.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

bool OpenLogFile()
{
    char path[512];
    snprintf(path, sizeof path, "%s/Veldmark/logfile.txt", LocalAppDataFolder);
    if (!LogOpen(path)) {
        char text[700];
        snprintf(text, sizeof text, "WARNING: Failed to open logfile %s", path);
        ShowMessageBox("WARNING", text);
        return false;
    }
    char when[128];
    FormatLocalTime(when, sizeof when, "%I:%M%p - %A, %B %d, %Y.\n", time(nullptr));
    // The header goes to the file only; the banner is the first logged line.
    fprintf(LogFile, "====================================\n");
    fprintf(LogFile, "LOG: %s", when);
    fprintf(LogFile, "====================================\n\n");
    fflush(LogFile);
    Log("======== Orlendt Games - Veldmark ========\n");
    return true;
}

namespace {
// Where EnterGameDataFolder looked: beside the program (empty when it did not look there) and
// the folder the game was started in.
std::string DataLookedBesideProgram;
std::string DataLookedWhereStarted;
}  // namespace

void EnterGameDataFolder()
{
    DataLookedBesideProgram = GetProgramFolder();
    DataLookedWhereStarted = GetWorkingFolder();
    EnterDataFolder(DataLookedBesideProgram);
}

bool FindGameData()
{
    std::string text;
    FileStatus status;
    if (GetFileStatus("data", status) != 0 || !status.isDirectory) {
        std::string started = DataLookedWhereStarted.empty() ? GetWorkingFolder() : DataLookedWhereStarted;
        std::string program = DataLookedBesideProgram;
        while (program.size() > 1 && program.back() == '/') program.pop_back();
        text = "The game's data was not found. It looked for a folder \"data\" ";
        if (!program.empty() && program != started) text += "beside the program, in " + program + ", and ";
        text += "in the folder it was started in, " + (started.empty() ? std::string("(unknown)") : started) +
                ". ./play.sh builds the game with its data.";
    } else {
        // What the first frames need: the configuration, the GUI and the textures.
        std::string missing;
        for (const char* name : {"config.cfg", "gui.pkb", "textures.pkb"}) {
            if (GetFileStatus((std::string("data/") + name).c_str(), status) == 0) continue;
            missing += missing.empty() ? "" : ", ";
            missing += name;
        }
        if (missing.empty()) return true;
        text = "The game's data in " + GetWorkingFolder() + "/data is incomplete: it lacks " + missing +
               ". ./play.sh builds the game with its data.";
    }
    ShowMessageBox("ERROR", text.c_str());
    return false;
}

namespace {

// The program's arguments while the steps run.
int Argc = 0;
char** Argv = nullptr;
// The steps the last start-up did, for shutdown to undo.
StartupSequence Started;
GameSeamImpl GameSide;

// The two logo slides of the intro, five seconds each.
constexpr const char* PRESENTS_SLIDE = "Data/gui/story/presents_text.dds";
constexpr const char* LOGO_SLIDE = "Data/gui/story/main_logo_big.dds";
constexpr float LOGO_SLIDE_SECONDS = 5.0f;

// The device's release and restore lists reach the GUI's windows through these.
void ReleaseWindows(void*)
{
    if (WindowMgr) WindowMgr->OnDeviceLost();
}
void RestoreWindows(void*)
{
    if (WindowMgr) WindowMgr->OnDeviceReset();
}
void RegisterDeviceSteps(bool on)
{
    SetDeviceReleaseStep(RELEASE_WINDOW_MANAGER, on ? ReleaseWindows : nullptr);
    SetDeviceRestoreStep(RESTORE_WINDOW_MANAGER, on ? RestoreWindows : nullptr);
}

// ---- The steps, in the order they run. Each undo frees what its step made and clears the
// pointers, skipping what is absent.

bool StartLog()
{
    OpenLogFile();  // without a log the game still runs
    return true;
}

// The game's answers to the engine (the seam) and to the simulation (the player's answers to
// its hooks, the developer tools' to the level's making) go in together, before anything of the
// game runs, and come out together.
bool InstallGameSeam()
{
    SetGameSeam(&GameSide);
    InstallPlayerAnswers();
    InstallLevelToolAnswers();
    return true;
}
void RemoveGameSeam()
{
    RemoveLevelToolAnswers();
    RemovePlayerAnswers();
    SetGameSeam(nullptr);
}

bool StartConfiguration()
{
    // Command-line switches override settings.cfg, which overrides config.cfg.
    Config = new ConfigFile("data/config.cfg");
    Config->LoadFonts("data/fonts.cfg");
    // A first start writes settings.cfg from the values it starts with: those the command
    // line asks for among them (started with -1024, the file says 1024 x 768).
    ParseCommandLine(Config, Argc, Argv);
    Config->LoadSettings();
    ParseCommandLine(Config, Argc, Argv);
    return true;
}
void FreeConfiguration()
{
    delete Config;
    Config = nullptr;
}

bool StartStringTables()
{
    Strings = new StringTable;
    Strings->Init();
    CountTips();
    return true;
}
void FreeStringTables()
{
    delete Strings;
    Strings = nullptr;
}

bool StartWindow()
{
    MainWindow = new GfxWindow();
    // Without a window (no display, no OpenGL) the game would run unseen: it says why and ends.
    if (!MainWindow->Create("Veldmark", Config->width, Config->height, Config->fullscreen)) {
        ShowMessageBox("ERROR", MainWindow->GetError().c_str());
        return false;
    }
    SRand((unsigned)time(nullptr));
    return true;
}
void FreeWindow()
{
    InputEvents.Reset();
    if (MainWindow) {
        MainWindow->Destroy();
        delete MainWindow;
        MainWindow = nullptr;
    }
}

bool StartGraphics()
{
    Graphics = new GraphicsDevice();
    // No device: there is nothing to play on, and the player learns why.
    if (!Graphics->InitGraphics(MainWindow, Config->fullscreen, Config->width, Config->height)) {
        // A device that was made but fell short of the game's needs has said so already.
        const std::string& why = GfxDevice::GetCreateError();
        if (!why.empty()) ShowMessageBox("ERROR", why.c_str());
        return false;
    }
    RenderStates.Reset();
    AvailableTextureMemory = Graphics->device->GetAvailableTextureMem();
    return true;
}
void FreeGraphics()
{
    ReleaseFrameGraphBuffers();
    delete Graphics;
    Graphics = nullptr;
}

bool StartSound()
{
    SoundMgr = new SoundManager();
    SoundMgr->Init();
    SoundMgr->SetVolume(Config->SoundVolume / 10.0f);
    return true;
}
void FreeSound()
{
    delete SoundMgr;
    SoundMgr = nullptr;
}

bool StartFontsWindowsTextures()
{
    Fonts = new FontCache();
    WindowMgr = new WindowManager();
    Textures = new TextureManager();
    RegisterDeviceSteps(true);
    return true;
}
void FreeFontsWindowsTextures()
{
    RegisterDeviceSteps(false);
    if (Fonts) {
        Fonts->Clear();
        delete Fonts;
        Fonts = nullptr;
    }
    delete WindowMgr;
    WindowMgr = nullptr;
    ForgetGameRenderTargets();
    delete Textures;
    Textures = nullptr;
}

bool StartMusicPlayer()
{
    if (!Music) {
        Music = new MusicPlayer();
        Music->Init(false);
        Music->SetVolume(Config->MusicVolume / 10.0f);
    }
    return true;
}
void FreeMusicPlayer()
{
    // The music player shares the sound manager's device: it goes first.
    if (Music) {
        Music->Shutdown();
        delete Music;
        Music = nullptr;
    }
}

bool StartLogoSlides()
{
    if (IntroSlideshow) return true;
    IntroSlideshow = new StorySlideshow();
    IntroSlideshow->Reset();
    IntroSlideshow->newGameIntro = 0;
    int h = Config->height;
    IntroSlideshow->AddSlide(PRESENTS_SLIDE, nullptr, LOGO_SLIDE_SECONDS, h / 3, h / 6);
    IntroSlideshow->AddSlide(LOGO_SLIDE, nullptr, LOGO_SLIDE_SECONDS, h * 2 / 3, h / 6);
    CopyText(IntroSlideshow->showMusic, sizeof IntroSlideshow->showMusic, "none");
    CopyText(IntroSlideshow->afterMusic, sizeof IntroSlideshow->afterMusic, "data/music/mission_screen.ogg");
    return true;
}
void FreeLogoSlides()
{
    delete IntroSlideshow;
    IntroSlideshow = nullptr;
}

bool StartGame()
{
    TheScene.Init();
    TheGame = new PlayerGame();
    TheGame->Init();
    TheGame->ShowLoadingScreen("Init", 0.1f, false);
    return true;
}
void FreeGame()
{
    // Everything that holds objects of the device goes before the device: the level's ground,
    // the minimap's targets and the scan ring among them.
    FreeGameWorld();
}

bool StartHotkeys()
{
    // The player's own bindings when there are any; otherwise the shipped defaults become
    // the player's file.
    char hotkeys[512];
    snprintf(hotkeys, sizeof hotkeys, "%s/hotkeys.cfg", UserFolder);
    FileStatus status;
    if (GetFileStatus(hotkeys, status) == 0) {
        Config->LoadHotkeys(hotkeys);
    } else {
        Config->LoadHotkeys("data/hotkeys.cfg");
        Config->SaveHotkeys(hotkeys);
    }
    return true;
}

bool StartInput()
{
    FrameTimer.Init(Config->highResTimer);
    InitDirectInput(MainWindow->GetSDLWindow());
    return true;
}
void FreeInput()
{
    Input.Release();
}

bool StartViewFrustum()
{
    // The world is seen in the screen's own shape.
    if (Config->height > 0) GameCamera.aspect = (float)Config->width / (float)Config->height;
    Frustum = new ViewFrustum();
    Frustum->Update(ViewMatrix);
    return true;
}
void FreeViewFrustum()
{
    delete Frustum;
    Frustum = nullptr;
}

bool StartMissionScreen()
{
    MissionScreen::LoadMissions("data/scripts/missions.cgs");
    // The environments first: the music script the front end reads names its tracks' places
    // by environment.
    Environment::EnsureLoaded();
    MissionScreen::Init();
    FrontEndScreenState = 14;
    return true;
}
void FreeMissionScreen()
{
    MissionScreen::Release();
    // A start in the same process reads the catalogue again: it must not find the old one.
    MissionScreen::ClearMissions();
    // The factories' panels are windows of the game's screens too.
    ReleaseBuildPanels();
}

bool StartProfile()
{
    // A profile deletion stopped by the end of the last run is finished, or undone when it
    // stopped before the profile went.
    SettleDeletedProfiles();
    // A name the settings give that could lead outside the profiles folder is refused (and
    // logged): the game starts as if no profile had been chosen.
    char path[MAX_PROFILE_PATH];
    if (strcmp(Config->currentprofile, "#") != 0 && ProfilePath(Config->currentprofile, path, sizeof path) &&
        GetPlayerProfile()->Load(path, true, false))
        return true;
    // No profile chosen yet (or its file is gone): there is nothing to continue or load, and a
    // mission started straight away is played with what a newcomer's rig would have.
    MissionScreen::SetProfileButtonsEnabled(false);
    GetPlayerProfile()->TakeNewPlayerStart();
    return true;
}

// The replay the command line asked for, played in place of the first mission, and why it
// cannot be when it cannot.
ReplayRequest Requested;
std::string Refusal;

bool StartRequestedReplay()
{
    // A file named from where the game was started, not from its data folder.
    std::string path = Requested.file;
    if (!IsAbsolutePath(path.c_str()) && !DataLookedWhereStarted.empty()) path = DataLookedWhereStarted + "/" + path;
    Replay replay;
    if (ReplayDirector::Open(path.c_str(), &replay, &Refusal)) {
        TheReplay.Play(Requested.file, replay, Requested.verify);
        return true;
    }
    // A replay that cannot be played never ends the game: the front end says why.
    if (!Requested.verify && TheMessageDialog) {
        const std::string text = "The replay " + Requested.file + " cannot be played: " + Refusal + ".";
        TheMessageDialog->SetText(text.c_str());
        TheMessageDialog->SetVisible(true);
    }
    return true;
}

bool StartFirstMission()
{
    Requested = ReplayRequested(Argc, Argv);
    Refusal.clear();
    if (!Requested.file.empty()) return StartRequestedReplay();
    if (Config->mainMenuEnabled) return true;
    // Started straight into a mission, a scene file the settings name is read over the
    // generated level.
    const bool named = StrICmp(Config->scenefile, "none") != 0 && Config->scenefile[0];
    if (named) TheGame->SetLevelName(Config->scenefile);
    // The mission of a planet drawn from the player's galaxy, as the galaxy screen would start
    // it; without one, a level of no mission.
    PlayerProfile* profile = GetPlayerProfile();
    if (TheGalaxy) {
        profile->galaxySeed = TheGalaxy->Generate(profile->galaxySeed);
        TheGalaxy->selectedBody = TheGalaxy->PickMissionBody(-1);
        // A named scene file goes on as a loaded game; otherwise the mission starts anew.
        if (TheGalaxy->StartSelectedMission(!named)) return true;
    }
    MissionScreen::StartMission(-1, 0);
    return true;
}

bool StartLogoMusic()
{
    if (!Config->music || !Music) return true;
    CopyText(MusicTrackPath, sizeof MusicTrackPath, "data/music/logo_music.ogg");
    FixPath(MusicTrackPath);
    Music->OpenOgg(MusicTrackPath);
    Music->StartBuffer(false);
    Music->SetVolume(Config->MusicVolume / 10.0f);
    return true;
}

bool StartMusicPump()
{
    // Without its own thread the music is pumped by the main loop.
    if (UseMusicThread && !StartMusicThread()) UseMusicThread = false;
    return true;
}
void StopMusicPump()
{
    StopMusicThread();
    UseMusicThread = true;
}

// Not even the desktop's size is asked: the settings take their defaults.
bool ForgoTheDisplay()
{
    ForgoDisplay(true);
    return true;
}
void TakeBackTheDisplay()
{
    ForgoDisplay(false);
}

// Every step of the program's start, and whether a verification takes it too. A verification
// plays the world alone, as fast as it goes: no window, no device, no sound, music or input, so
// it runs where there is no display at all. The texture manager and the GUI's window list are
// made, empty: without a device nothing is loaded into them.
struct AppStep {
    StartupStep step;
    bool verifies;
};
const AppStep APP_STEPS[] = {
    {{"user folders", InitUserFolders, nullptr}, true},
    {{"log file", StartLog, LogClose}, true},
    {{"data folder", FindGameData, nullptr}, true},
    {{"game seam", InstallGameSeam, RemoveGameSeam}, true},
    {{"configuration", StartConfiguration, FreeConfiguration}, true},
    {{"string tables", StartStringTables, FreeStringTables}, true},
    {{"window", StartWindow, FreeWindow}, false},
    {{"graphics device", StartGraphics, FreeGraphics}, false},
    {{"sound manager", StartSound, FreeSound}, false},
    {{"font cache, window manager and texture manager", StartFontsWindowsTextures, FreeFontsWindowsTextures}, true},
    {{"music player", StartMusicPlayer, FreeMusicPlayer}, false},
    {{"logo slides", StartLogoSlides, FreeLogoSlides}, false},
    {{"game", StartGame, FreeGame}, true},
    {{"hotkeys", StartHotkeys, nullptr}, false},
    {{"timer and input devices", StartInput, FreeInput}, false},
    {{"view frustum", StartViewFrustum, FreeViewFrustum}, true},
    {{"mission screen", StartMissionScreen, FreeMissionScreen}, true},
    {{"profile", StartProfile, nullptr}, true},
    {{"first mission", StartFirstMission, nullptr}, true},
    {{"logo music", StartLogoMusic, nullptr}, false},
    {{"music thread", StartMusicPump, StopMusicPump}, false},
};

}  // namespace

std::vector<StartupStep> AppStartupSteps()
{
    std::vector<StartupStep> steps;
    for (const AppStep& app : APP_STEPS) steps.push_back(app.step);
    return steps;
}

std::vector<StartupStep> VerifyStartupSteps()
{
    std::vector<StartupStep> steps = {{"no display", ForgoTheDisplay, TakeBackTheDisplay}};
    for (const AppStep& app : APP_STEPS)
        if (app.verifies) steps.push_back(app.step);
    return steps;
}

bool StartUp(int argc, char** argv)
{
    const ReplayRequest asked = ReplayRequested(argc, argv);
    return StartUp(argc, argv, asked.verify && !asked.file.empty() ? VerifyStartupSteps() : AppStartupSteps());
}

bool StartUp(int argc, char** argv, const std::vector<StartupStep>& steps)
{
    Argc = argc;
    Argv = argv;
    bool started = Started.Run(steps);
    Argc = 0;
    Argv = nullptr;
    return started;
}

void Shutdown()
{
    Started.Unwind();
}

int WinMain(int argc, char** argv)
{
    // No user folder, no window or no graphics device: there is nothing to play on, which is a
    // failure, not a clean exit.
    // A verification's output is its one line: the log goes to its file alone.
    const ReplayRequest asked = ReplayRequested(argc, argv);
    const bool logShown = LogToStandardOutput;
    if (asked.verify && !asked.file.empty()) {
        LogToStandardOutput = false;
        // A verification runs with no one to answer: a missing texture or sound is logged,
        // never asked about in a box that would hold it for good.
        SetMessageBoxesEnabled(false);
    }
    if (!StartUp(argc, argv)) {
        LogToStandardOutput = logShown;
        return 1;
    }
    int exitCode = 0;
    if (Requested.file.empty() || !Requested.verify) {
        exitCode = RunMainLoop();
    } else if (!Refusal.empty()) {
        // A broken, cut or changed file, or one of another version or build: refused, never played.
        printf("replay %s cannot be played: %s\n", Requested.file.c_str(), Refusal.c_str());
        fflush(stdout);
        exitCode = 2;
    } else {
        exitCode = RunReplayVerification();
    }
    LogToStandardOutput = logShown;
    Shutdown();
    return exitCode;
}
