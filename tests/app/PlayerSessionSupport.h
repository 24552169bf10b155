#pragma once
// The game as a player plays it, for the end-to-end runs: the real start-up, nothing staged, of
// a returning player (a profile with a galaxy of its own) who goes straight into a mission as
// the README says; the mouse moved and clicked as a hand does; missions of the galaxy's planets
// started as the galaxy starts them. Each screen of the game adds its own walk in a test of its
// own on this fixture.
#include "app/AppShell.h"

#include "app/MainLoop.h"
#include "app/WndProc.h"
#include "gui/Button.h"
#include "gui/EditBox.h"
#include "gui/ModelViewer.h"
#include "gui/WindowManager.h"
#include "campaign/Galaxy.h"
#include "campaign/LevelLoadSave.h"
#include "campaign/MissionScreen.h"
#include "campaign/PlayerProfile.h"
#include "gui/Window.h"
#include "host/InputScript.h"
#include "host/Log.h"
#include "host/Random.h"
#include "host/System.h"
#include "host/WorldGuard.h"
#include "interface/EntityInfoGui.h"
#include "interface/InGameMenu.h"
#include "interface/MissionHud.h"
#include "host/InputKeys.h"
#include "platform/ConfigFile.h"
#include "levelgen/LevelGenerator.h"
#include "levelgen/MapGenerator.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Objectives.h"
#include "mechanics/Replay.h"
#include "mechanics/Scene.h"
#include "platform/SoundManager.h"
#include "platform/Timer.h"
#include "platform/UserFolders.h"
#include "render/Camera.h"
#include "terrain/Environment.h"
#include "terrain/Minimap.h"
#include "terrain/Terrain.h"
#include "world/Agent.h"
#include "world/BuildItem.h"
#include "world/Building.h"
#include "world/Grid.h"
#include "tests/app/NewProcess.h"
#include "tests/app/PlayerHand.h"
#include "tests/app/ShellTestSupport.h"
#include "tests/support/ReferencePicture.h"
#include "tests/support/Scoped.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace playersession {

using namespace shelltest;

// The player's galaxy.
constexpr const char* GALAXY_SEED = "1003";
// Body environments of the galaxy, as its planets carry them.
constexpr int FOREST = 0, DESERT = 1, WINTER = 4;

inline Pixels ToPixels(const Image& image)
{
    Pixels pixels;
    pixels.width = (int)image.width;
    pixels.height = (int)image.height;
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x) pixels.argb.push_back(PixelAt(image, x, y) | 0xFF000000u);
    return pixels;
}

// The shots of a unit's weapons, counted frame by frame: the clock of a weapon (the unit's own,
// or one on a mount) starts again at each of its shots. Counted from where the unit stands now.
struct ShotCount {
    int shots = 0;
    std::vector<float> clocks;

    void Step(const Agent* unit)
    {
        const int mounts = unit->AttachmentCount();
        if (clocks.empty()) {
            for (int i = 0; i < mounts; ++i) clocks.push_back(unit->Attachment(i).clock);
            clocks.push_back(unit->attackTimer);
            return;
        }
        clocks.resize(mounts + 1, 0.0f);
        for (int i = 0; i <= mounts; ++i) {
            const float clock = i < mounts ? unit->Attachment(i).clock : unit->attackTimer;
            shots += clock < clocks[i];
            clocks[i] = clock;
        }
    }
};

class PlayerSession : public ::testing::Test {
protected:
    void SetUp() override
    {
        // As the README tells a player today: no menu, straight into a mission.
        StartAsPilot("session", "mainMenuEnabled false\ncurrentprofile Pilot\n");
    }
    // A returning player, "Pilot", with the profile of a new one (each text of `edits` in it
    // replaced) and a galaxy of their own, and that settings file; then the real start-up.
    void StartAsPilot(const char* folder, const std::string& settings,
                      const std::vector<std::pair<std::string, std::string>>& edits = {})
    {
        base = MakeTempFolder(folder);
        data = std::make_unique<ScopedEnv>("XDG_DATA_HOME", base.c_str());
        ASSERT_TRUE(InitUserFolders());
        std::string profile = ReadTextFile("data/scripts/default_profile.cgs");
        ASSERT_FALSE(profile.empty());
        std::vector<std::pair<std::string, std::string>> all = {
            {"name\t\tnew player", "name\t\tPilot"}, {"galaxyseed\t-1", std::string("galaxyseed\t") + GALAXY_SEED}};
        all.insert(all.end(), edits.begin(), edits.end());
        for (const auto& edit : all) {
            size_t at = profile.find(edit.first);
            ASSERT_NE(at, std::string::npos) << edit.first;
            profile.replace(at, edit.first.size(), edit.second);
        }
        WriteTextFile(std::string(UserFolder) + "/profiles/Pilot.cgs", profile);
        WriteTextFile(std::string(UserFolder) + "/settings.cfg", settings + machineSettings);
        StartGame();
        if (!started) GTEST_SKIP() << "no display for the game's window";
    }
    // The real start-up at 1024 x 768 (or the size the settings ask for, with no resolution),
    // in a window (or as the display mode says), on the scripted clock.
    void StartGame()
    {
        const char* argv[] = {"veldmark", displayMode, resolution};
        LogCaptureBegin();
        started = StartUp(resolution ? 3 : 2, const_cast<char**>(argv));
        startLog = LogCaptureEnd();
        if (!started) return;
        FrameTimer.SetClock(&ScriptedClock);
        FrameTimer.Init(true);
        FrameTimer.SetSmoothing(false);
        FramePacing.SetClock(&ScriptedClock, ScriptedSleep);
    }
    // The second half of a walk, in a process of its own: the game started on the user folder
    // the first half played in. Skipped when no first half handed one over.
    void ResumeInHandedOverFolder()
    {
        const std::string home = newprocess::HandedOver(newprocess::PHASE_DATA_HOME);
        if (home.empty()) GTEST_SKIP() << "the second half of a walk, started by its first";
        base = home;
        data = std::make_unique<ScopedEnv>("XDG_DATA_HOME", base.c_str());
        ASSERT_TRUE(InitUserFolders());
        StartGame();
        ASSERT_TRUE(started) << startLog;
    }
    void TearDown() override
    {
        if (started) Shutdown();
        FrameTimer.SetClock(nullptr);
        FrameTimer.SetSmoothing(true);
        FramePacing.Stop();
        FramePacing.SetClock(nullptr, nullptr);
        GamePaused = false;
    }

    // The frames until the requested mission has been made and played for a moment: the
    // level's first frame stands it up, then half a second of its play (when the guild's word
    // comes).
    void UntilPlaying()
    {
        for (int i = 0; i < 100 && TheGame->state != GAME_STATE_PLAYING; ++i) Passes(1, 0.05f);
        ASSERT_EQ(TheGame->state, GAME_STATE_PLAYING);
        Passes(11, 0.05f);
    }

    // The key of a letter or digit on the keyboard.
    static int KeyOf(char c)
    {
        static const char* const rows[] = {"1234567890", "qwertyuiop", "asdfghjkl", "zxcvbnm"};
        static const int first[] = {DIK_1, DIK_Q, DIK_A, DIK_Z};
        for (int row = 0; row < 4; ++row)
            if (const char* at = strchr(rows[row], c)) return first[row] + (int)(at - rows[row]);
        return 0;
    }
    // Escape's in-game menu, and its button that opens the save or the load screen.
    void OpenFromTheMenu(const char* button)
    {
        Press(DIK_ESCAPE);
        ASSERT_TRUE(TheInGameMenu->menuShown);
        ClickOn(FindShownButton(TheInGameMenu->menuWindow, button));
        ASSERT_TRUE(TheLevelLoadSaveGui->shown);
    }
    // The save screen opened from the in-game menu, the name typed over the proposed one; back
    // in the level after saving.
    void SaveAs(const char* name)
    {
        ASSERT_NO_FATAL_FAILURE(OpenFromTheMenu("Save Game"));
        ClickOn(TheLevelLoadSaveGui->nameBox);
        Press(DIK_END);
        for (int i = 0; i < 30; ++i) Press(DIK_BACK);
        for (const char* c = name; *c; ++c) Press(KeyOf(*c));
        ASSERT_STREQ(TheLevelLoadSaveGui->nameBox->GetText(), name);
        ClickOn(FindShownButton(TheLevelLoadSaveGui, "Save"));
        ASSERT_FALSE(TheLevelLoadSaveGui->shown) << "the screen closes after saving";
        ClickOn(FindShownButton(TheInGameMenu->menuWindow, "Resume Game"));
    }
    // The in-game menu's "Load Game", the save of that name (the newest, chosen first) and
    // "Load": the frames until the loaded level plays.
    void LoadFromTheMenu(const char* name)
    {
        ASSERT_NO_FATAL_FAILURE(OpenFromTheMenu("Load Game"));
        ASSERT_TRUE(TheLevelLoadSaveGui->loadMode);
        ASSERT_NE(TheLevelLoadSaveGui->browser->GetSelected(), nullptr);
        ASSERT_EQ(std::string(TheLevelLoadSaveGui->browser->GetSelected()->name), std::string(name) + ".sav");
        ClickOn(FindShownButton(TheLevelLoadSaveGui, "Load"));
        UntilPlaying();
    }

    // Game time without pictures, in steps of dt: the clock and the game's advance by its state
    // (the camera's view and the game's update), as the loop runs them, and no frame drawn;
    // `each` says whether to go on. For the long waits of a walk, where drawing every step
    // would only cost time.
    template <typename Each>
    static void PlayWithoutPictures(float seconds, float dt, Each each)
    {
        for (float t = 0.0f; t < seconds; t += dt) {
            ClockTicks += (uint64_t)(dt * 1000000.0f);
            FrameTimer.Tick();
            UpdateGameState(GamePaused ? 0.0f : FrameTimer.delta);
            beatingwatch::TheWatch.Step();
            if (!each()) return;
        }
    }

    // One pass of the loop as the hand's steps take it.
    static void Pass() { Passes(1, 0.02f); }
    // The cursor taken to a screen point by the mouse's own movement, as a hand moves it.
    void MoveMouseTo(int x, int y) { playerhand::MoveMouseTo(x, y, Pass); }
    // A key pressed and let go; the window's messages reach the game as the loop drains them.
    static void Press(int dik)
    {
        InputScript::Tap(dik);
        int exitCode = 0;
        DrainMessages(&exitCode);
        Passes(1, 0.02f);
    }
    // The key that types a character of a console line (a letter, a digit; a blank otherwise).
    static int KeyFor(char c)
    {
        static const char* const rows[] = {"qwertyuiop", "asdfghjkl", "zxcvbnm"};
        static const int firsts[] = {DIK_Q, DIK_A, DIK_Z};
        for (int r = 0; r < 3; ++r)
            if (const char* at = strchr(rows[r], c)) return firsts[r] + (int)(at - rows[r]);
        if (c == '0') return DIK_0;
        if (c >= '1' && c <= '9') return DIK_1 + (c - '1');
        return DIK_SPACE;
    }
    // The developer's console (debugMode on) opened with Enter, the line typed and run with Enter.
    static void Console(const char* line)
    {
        ScopedGlobal<bool> debugging{Config->debugMode, true};
        Press(DIK_RETURN);
        EditBox* box = TheMissionHud.consoleEditBox;
        ASSERT_TRUE(box && box->IsVisible() && box->HasFocus()) << "Enter opened the console";
        // Typed at speed: the keys of the whole line reach the box in one pass.
        for (const char* c = line; *c; ++c) {
            if (*c == '_') {
                InputScript::KeyDown(DIK_LSHIFT);
                InputScript::Tap(DIK_MINUS);
                InputScript::KeyUp(DIK_LSHIFT);
            } else {
                InputScript::Tap(KeyFor(*c));
            }
        }
        int exitCode = 0;
        DrainMessages(&exitCode);
        Passes(1, 0.02f);
        EXPECT_STREQ(box->GetText(), line);
        Press(DIK_RETURN);
        EXPECT_FALSE(box->IsVisible()) << line;
        EXPECT_EQ(WindowMgr->modal, nullptr);
    }
    // Frames of the loop until the world has run its next tick: what the hand ordered is done.
    static void UntilTick()
    {
        const int before = WorldTicks.count;
        for (int i = 0; i < 20 && WorldTicks.count == before; ++i) Passes(1, 0.02f);
    }
    // The inventory key typed, as the keyboard gives it: a character.
    static void TypeInventoryKey()
    {
        InputScript::Type("i");
        int exitCode = 0;
        DrainMessages(&exitCode);
        Passes(1, 0.02f);
    }
    // A click (left, or the given button) in the middle of a window, the cursor moved there by hand.
    void ClickOn(const Window* window, int button = 0)
    {
        ASSERT_NE(window, nullptr);
        playerhand::ClickOn(window, button, Pass);
    }
    // Whether an entity is among the level's.
    static bool InLevel(const Entity* wanted)
    {
        bool found = false;
        for (Entity* entity = TheScene.FirstInCategory(CATEGORY_ALL, 0); entity; entity = TheScene.NextInCategory())
            found |= entity == wanted;
        return found;
    }
    static Building* FindPlayerBuilding(const char* name) { return playerhand::FindPlayerBuilding(name); }
    Building* PutDownAt(const Vec3& site, const char* name) { return playerhand::PutDownAt(site, name, Pass); }
    bool TakeFromBuildPanel(const char* name) { return playerhand::TakeFromBuildPanel(name, Pass); }
    Building* PlaceFromBuildPanel(const char* name, const Vec3& near)
    {
        return playerhand::PlaceFromBuildPanel(name, near, Pass);
    }
    void Click(int button) { playerhand::Click(button, Pass); }

    // A button of a window by its text: one of its children, or one anywhere within it, or a
    // shown one of its children.
    static Button* FindButton(Window* window, const char* text, bool within = false, bool shownOnly = false)
    {
        for (Window* child = window ? window->firstChild : nullptr; child; child = child->nextSibling) {
            Button* button = dynamic_cast<Button*>(child);
            if (button && button->hasText && strcmp(button->text, text) == 0 && (!shownOnly || button->IsVisible()))
                return button;
            if (Button* inner = within ? FindButton(child, text, within, shownOnly) : nullptr) return inner;
        }
        return nullptr;
    }
    static Button* FindButtonWithin(Window* window, const char* text) { return FindButton(window, text, true); }
    static Button* FindShownButton(Window* window, const char* text) { return FindButton(window, text, false, true); }

    static bool OnScreen(const Vec3& point, int* x, int* y) { return playerhand::OnScreen(point, x, y); }
    // The pointer moved onto a point of the world and a button clicked there; false (nothing
    // done) when the point is off the screen.
    bool ClickAt(const Vec3& point, int button)
    {
        int x = 0, y = 0;
        if (!OnScreen(point, &x, &y)) return false;
        MoveMouseTo(x, y);
        Click(button);
        return true;
    }

    // A unit of that type on free ground near the point, standing where it is put.
    Agent* PlaceUnit(const char* type, const Vec3& near, int alignment = ALIGN_PLAYER)
    {
        Vec3 at;
        if (!FindOpenGround(near, &at)) return nullptr;
        // The walk's own staging, as a level's making puts units down: no hand of the player's.
        const WorldChangeScope staged;
        Agent* unit = TheScene.CreateAgent(type, true);
        if (!unit) return nullptr;
        TheScene.UnlinkEntity(unit);
        TheScene.AddEntity(unit);
        unit->alignment = alignment;
        unit->SetPosition(at);
        unit->ResetMovement();
        unit->ClaimGridCell(at);
        return unit;
    }

    static bool FindOpenGround(const Vec3& from, Vec3* out) { return playerhand::FindOpenGround(from, out); }

    // The mission of a planet of that environment, started as the galaxy starts it.
    bool StartMissionOn(int environment)
    {
        SRand(7);  // the same planet of that kind every run
        TheGalaxy->selectedBody = TheGalaxy->PickMissionBody(environment);
        if (!TheGalaxy->selectedBody) {
            ADD_FAILURE() << "the galaxy offers no mission on a planet of kind " << environment;
            return false;
        }
        if (!TheGalaxy->StartSelectedMission(true)) return false;
        UntilPlaying();
        return !HasFatalFailure();
    }

    // The level in play played a moment more and left for the front end. A mission the
    // program is about to make (started straight into one) is not made at all: the walk's own
    // takes its place, as if it had been the one picked.
    bool LeaveForTheFrontEnd()
    {
        if (TheGame->state != GAME_STATE_PLAYING) return true;
        UntilPlaying();
        if (HasFatalFailure()) return false;
        TheGame->EndLevel();
        ReturnToMainMenu();
        Passes(2, 0.05f);
        return true;
    }

    // A mission on a forest planet started from the galaxy: the walks that need a known ground
    // begin so.
    bool IntoAForestMission() { return LeaveForTheFrontEnd() && StartMissionOn(FOREST); }

    // What every mission shows and answers to.
    void PlayTheMission(const std::string& pictureName)
    {
        const char* environment = Environment::GetCurrent() ? Environment::GetCurrent()->name : "?";
        SCOPED_TRACE(environment);

        // The player's rig stands at the start, and the camera looks at it.
        Agent* rig = GetPlayerRig();
        ASSERT_NE(rig, nullptr);
        EXPECT_TRUE(InLevel(rig)) << "the rig is in the level";
        EXPECT_TRUE(rig->flags & ENTITY_PLAYER);
        Vec3 start = MapPointToWorld(TheLevelGenerator.startPoint.x, TheLevelGenerator.startPoint.y);
        Vec3 at = rig->GetPosition();
        EXPECT_LT(std::hypot(at.x - start.x, at.z - start.z), 4.0f) << "the rig stands at the start";
        int rigX = 0, rigY = 0;
        ASSERT_TRUE(OnScreen(at, &rigX, &rigY));
        EXPECT_NEAR(rigX, Config->width / 2, Config->width / 8) << "the camera is on the rig";
        EXPECT_NEAR(rigY, Config->height / 2, Config->height / 6);

        // The mission's objectives are listed and their objects placed.
        ASSERT_NE(TheObjectives, nullptr);
        EXPECT_GT(TheObjectives->Count(), 0) << "a generated mission has objectives";
        int interesting = 0;
        for (Entity* entity = TheScene.FirstInCategory(CATEGORY_ALL, 0); entity; entity = TheScene.NextInCategory())
            interesting += (entity->flags & ENTITY_OBJECT_OF_INTEREST) != 0;
        EXPECT_GT(interesting, 0) << "the objectives' objects stand in the level";

        // The first frames show the world: ground around the rig, not a black screen.
        Image shot;
        ASSERT_TRUE(ShotOfNextFrame(base + "/" + pictureName + ".png", shot));
        Pixels picture = ToPixels(shot);
        int lit = picture.CountLit(0, 0, picture.width, picture.height, 24);
        EXPECT_GT(lit * 5, picture.width * picture.height) << "at least a fifth of the screen is lit";
        EXPECT_TRUE(MatchesReference(picture, pictureName, {12, picture.width * picture.height / 50}));
        // The level starts with the rig selected: the main display's portrait shows its pilot
        // in the seat before the planet.
        ASSERT_NE(TheEntityInfoGui, nullptr);
        const ModelViewer* portrait = TheEntityInfoGui->portrait;
        ASSERT_NE(portrait, nullptr);
        Pixels face = CropPixels(picture, portrait->viewX, portrait->viewY, portrait->viewX + portrait->viewWidth,
                                 portrait->viewY + portrait->viewHeight);
        EXPECT_TRUE(MatchesReference(face, pictureName + "_portrait", {12, face.width * face.height / 50}));

        // A left click on the rig selects it, with the click's sound; the panel shows it.
        const int blip = SoundMgr->FindSound("blip");
        MoveMouseTo(rigX, rigY - 4);
        const int blipsBefore = SoundMgr->TimesStarted(blip);
        Click(0);
        EXPECT_EQ(TheGame->GetFirstSelected(), rig) << "the click selected the rig";
        EXPECT_GE(blip, 0) << "the click's sound is shipped";
        EXPECT_EQ(SoundMgr->TimesStarted(blip), blipsBefore + 1) << "the click was heard";
        Passes(1, 0.05f);
        ASSERT_NE(TheEntityInfoGui, nullptr);
        EXPECT_TRUE(TheEntityInfoGui->IsVisible()) << "the information panel shows the selection";

        // A right click on open ground sends it there.
        Vec3 goal;
        ASSERT_TRUE(FindOpenGround(at, &goal));
        int goalX = 0, goalY = 0;
        OnScreen(goal, &goalX, &goalY);
        MoveMouseTo(goalX, goalY);
        Click(1);
        float before = std::hypot(at.x - goal.x, at.z - goal.z);
        Passes(60, 0.05f);
        Vec3 now = rig->GetPosition();
        float after = std::hypot(now.x - goal.x, now.z - goal.z);
        EXPECT_LT(after, before - 3.0f) << "the rig walked toward the clicked ground";
    }

    // The command line's screen size: 1024 x 768, at which the reference pictures and the kept
    // games were made.
    const char* resolution = "-1024";
    static constexpr const char* SMALLEST_SCREEN = "-800";
    // Settings the session's settings file gets besides its own.
    const char* machineSettings = "";
    // A session that compares neither pictures nor a kept game plays on the smallest machine a
    // player has: the smallest screen, and the least detail the options offer. What the level
    // does owes nothing to what is drawn of it, and a frame costs the software renderer half the
    // time. The full detail is drawn by the sessions that compare pictures.
    void OnTheSmallestMachine()
    {
        resolution = SMALLEST_SCREEN;
        machineSettings =
            "shadows false\nreflections false\nglows false\nweatherFX false\nterrainDetail false\nuseLowResTextures true\n";
    }
    const char* displayMode = "-windowed";
    std::string base;
    std::unique_ptr<ScopedEnv> data;
    std::string startLog;
    bool started = false;
    // A replay played again here, nothing drawn, as "-verify" plays it: its verdict line (why,
    // when it cannot be opened), and in *exitCode what the program exits with.
    static std::string VerifyReplayHere(const std::string& path, int* exitCode = nullptr)
    {
        Replay replay;
        std::string why;
        if (!ReplayDirector::Open(path.c_str(), &replay, &why)) {
            if (exitCode) *exitCode = 2;
            return why;
        }
        EXPECT_TRUE(TheReplay.Play(path, replay, true));
        ScopedGlobal<bool> quiet{LogToStandardOutput, false};
        testing::internal::CaptureStdout();
        const int code = RunReplayVerification();
        if (exitCode) *exitCode = code;
        const std::string line = testing::internal::GetCapturedStdout();
        FrameTimer.SetClock(&ScriptedClock);
        FrameTimer.SetSmoothing(false);
        return line;
    }
    // The replay verified here plays the same game (ending with `ending`, when one is given):
    // "-verify"'s line, which it returns.
    static std::string ExpectTheSameGame(const std::string& path, const char* ending = nullptr)
    {
        int exitCode = -1;
        const std::string line = VerifyReplayHere(path, &exitCode);
        EXPECT_EQ(exitCode, 0) << line;
        EXPECT_EQ(line.rfind("replay " + path + ": the same game, ", 0), 0u) << line;
        if (ending) {
            EXPECT_NE(line.find(ending), std::string::npos) << line;
        }
        return line;
    }
};

}  // namespace playersession
