#include "platform/AppShell.h"

#include "campaign/MissionScreen.h"
#include "campaign/PlayerProfile.h"
#include "campaign/StorySlideshow.h"
#include "gui/Window.h"
#include "gui/WindowManager.h"
#include "host/GfxDevice.h"
#include "host/GfxWindow.h"
#include "host/InputEvents.h"
#include "host/Log.h"
#include "host/Random.h"
#include "host/System.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Scene.h"
#include "platform/CommandLine.h"
#include "platform/ConfigFile.h"
#include "platform/Files.h"
#include "platform/Hotkeys.h"
#include "platform/InputState.h"
#include "platform/MainLoop.h"
#include "platform/MusicPlayer.h"
#include "platform/MusicThread.h"
#include "platform/SoundManager.h"
#include "platform/StringTable.h"
#include "platform/Timer.h"
#include "platform/WndProc.h"
#include "render/Camera.h"
#include "render/FontCache.h"
#include "render/FrameGraph.h"
#include "render/GraphicsDevice.h"
#include "render/RenderStateCache.h"
#include "render/Sprite.h"
#include "render/TextureManager.h"
#include "render/ViewFrustum.h"

#include <cstdio>
#include <ctime>
#include <string>

char LocalAppDataFolder[256] = "<NOT-SET>";
char UserFolder[256] = "<NOT-SET>";
char ProfilesFolder[256] = "<NOT-SET>";

bool InitUserFolders()
{
    CopyText(LocalAppDataFolder, sizeof LocalAppDataFolder, "<NOT-SET>");
    CopyText(UserFolder, sizeof UserFolder, "<NOT-SET>");
    CopyText(ProfilesFolder, sizeof ProfilesFolder, "<NOT-SET>");
    if (!GetLocalAppDataFolder(LocalAppDataFolder, sizeof LocalAppDataFolder)) {
        ShowMessageBox("ERROR", "\nERROR: Failed to get LOCAL_APP_DATA directory.");
        return false;
    }
    // A folder name too long for the user paths would silently point elsewhere: refuse it.
    if (snprintf(UserFolder, sizeof UserFolder, "%s/Veldmark", LocalAppDataFolder) >= (int)sizeof UserFolder - 16) {
        ShowMessageBox("ERROR", "\nERROR: Failed to get LOCAL_APP_DATA directory.");
        return false;
    }

    struct Folder {
        const char* sub;
        const char* warning;
    };
    const Folder folders[] = {
        {nullptr, "WARNING: Failed to create user data directory %s"},
        {"profiles", "WARNING: Failed to create user profiles directory %s"},
        {"heightmaps", "WARNING: Failed to create user heightmaps directory %s"},
        {"savefiles", "WARNING: Failed to create user savefiles directory %s"},
    };
    for (const Folder& folder : folders) {
        std::string path = UserFolder;
        if (folder.sub) path = path + "/" + folder.sub;
        FileStatus status;
        if (GetFileStatus(path.c_str(), status) != 0 && !CreateFolder(path.c_str())) {
            char text[700];
            snprintf(text, sizeof text, folder.warning, path.c_str());
            ShowMessageBox("WARNING", text);
        }
    }
    if (snprintf(ProfilesFolder, sizeof ProfilesFolder, "%s/profiles", UserFolder) >= (int)sizeof ProfilesFolder) return false;
    return true;
}

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

void LoadHotkeys()
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
}

void BuildLogoSlides()
{
    if (IntroSlideshow) return;
    IntroSlideshow = new StorySlideshow();
    IntroSlideshow->Reset();
    IntroSlideshow->newGameIntro = 0;
    int h = Config->height;
    IntroSlideshow->AddSlide(PRESENTS_SLIDE, nullptr, LOGO_SLIDE_SECONDS, h / 3, h / 6);
    IntroSlideshow->AddSlide(LOGO_SLIDE, nullptr, LOGO_SLIDE_SECONDS, h * 2 / 3, h / 6);
    CopyText(IntroSlideshow->showMusic, sizeof IntroSlideshow->showMusic, "none");
    CopyText(IntroSlideshow->afterMusic, sizeof IntroSlideshow->afterMusic, "data/music/mission_screen.ogg");
}

void StartLogoMusic()
{
    if (!Config->music || !Music) return;
    CopyText(MusicTrackPath, sizeof MusicTrackPath, "data/music/logo_music.ogg");
    FixPath(MusicTrackPath);
    Music->OpenOgg(MusicTrackPath);
    Music->StartBuffer(false);
    Music->SetVolume(Config->MusicVolume / 10.0f);
}

}  // namespace

bool StartUp(int argc, char** argv)
{
    // Command-line switches override settings.cfg, which overrides config.cfg.
    Config = new ConfigFile("data/config.cfg");
    Config->LoadFonts("data/fonts.cfg");
    Config->LoadSettings();
    ParseCommandLine(Config, argc, argv);

    Strings = new StringTable;
    Strings->Init();
    CountTips();

    MainWindow = new GfxWindow();
    MainWindow->Create("Veldmark", Config->width, Config->height, Config->fullscreen);
    SRand((unsigned)time(nullptr));

    Graphics = new GraphicsDevice();
    if (!Graphics->InitGraphics(MainWindow, Config->fullscreen, Config->width, Config->height)) return false;
    RenderStates.Reset();
    AvailableTextureMemory = Graphics->device->GetAvailableTextureMem();

    SoundMgr = new SoundManager();
    SoundMgr->Init();
    SoundMgr->SetVolume(Config->SoundVolume / 10.0f);

    Fonts = new FontCache();
    WindowMgr = new WindowManager();
    Textures = new TextureManager();
    RegisterDeviceSteps(true);

    if (!Music) {
        Music = new MusicPlayer();
        Music->Init(false);
        Music->SetVolume(Config->MusicVolume / 10.0f);
    }

    BuildLogoSlides();

    TheScene.Init();
    TheGame = new GameMechanics();
    TheGame->Init();
    TheGame->ShowLoadingScreen("Init", 0.1f, false);

    LoadHotkeys();

    FrameTimer.Init(Config->highResTimer);
    InitDirectInput(MainWindow->GetSDLWindow());

    Frustum = new ViewFrustum();
    Frustum->Update(ViewMatrix);

    MissionScreen::LoadMissions("data/scripts/missions.cgs");
    MissionScreen::Init();
    FrontEndScreenState = 14;

    if (strcmp(Config->currentprofile, "#") != 0) {
        char path[600];
        snprintf(path, sizeof path, "%s/%s.cgs", ProfilesFolder, Config->currentprofile);
        GetPlayerProfile()->Load(path, true, false);
    } else {
        // No profile chosen yet: nothing on the mission screen can be played.
        for (Window* window : MissionScreen::windows)
            if (window) window->SetEnabled(false);
    }

    if (!Config->mainMenuEnabled) MissionScreen::StartMission(-1, 0);

    StartLogoMusic();

    if (UseMusicThread && !StartMusicThread()) UseMusicThread = false;
    return true;
}

void ShutdownSubsystems()
{
    // Everything that holds objects of the device goes before the device.
    delete TheGame;
    TheGame = nullptr;
    delete IntroSlideshow;
    IntroSlideshow = nullptr;
    MissionScreen::Release();
    RegisterDeviceSteps(false);
    if (Fonts) {
        Fonts->Clear();
        delete Fonts;
        Fonts = nullptr;
    }
    delete WindowMgr;
    WindowMgr = nullptr;
    delete Textures;
    Textures = nullptr;
    TheScene.ReleaseEffectManager();
    TheScene.ReleaseParticleManager();
    TheScene.ReleaseLibraries();
    ReleaseFrameGraphBuffers();
    delete Graphics;
    Graphics = nullptr;
    delete Strings;
    Strings = nullptr;
    Input.Release();
    delete Frustum;
    Frustum = nullptr;
}

void Shutdown()
{
    StopMusicThread();
    if (Music) {
        Music->Shutdown();
        delete Music;
        Music = nullptr;
    }
    // The music player shared the sound manager's device: the sound manager goes after it.
    delete SoundMgr;
    SoundMgr = nullptr;
    ShutdownSubsystems();
    InputEvents.Reset();
    if (MainWindow) {
        MainWindow->Destroy();
        delete MainWindow;
        MainWindow = nullptr;
    }
    ClearCommandRegistry();
    delete Config;
    Config = nullptr;
    LogClose();
}

int WinMain(int argc, char** argv)
{
    // No application-data folder means no log, settings or saves: a failure, not a clean exit.
    if (!InitUserFolders()) return 1;
    OpenLogFile();
    int exitCode = 0;
    if (StartUp(argc, argv)) {
        exitCode = RunMainLoop();
    } else {
        // No window or no graphics device: there is nothing to play on.
        exitCode = 1;
    }
    Shutdown();
    return exitCode;
}
