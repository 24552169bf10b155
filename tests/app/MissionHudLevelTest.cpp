// The mission HUD in a real level, started from the front end as a player starts one: the
// game builds it at the level start, draws it every frame over the world (windows, minimap,
// command panel with the Scan button, build panel), hides it when the level ends and shows it
// again at the next one. Drawn at two screen sizes and read back.
#include "app/AppShell.h"

#include "app/MainLoop.h"
#include "tests/world/BeatingWatch.h"
#include "campaign/MissionScreen.h"
#include "campaign/PlayerProfile.h"
#include "gui/Button.h"
#include "gui/Label.h"
#include "gui/WindowManager.h"
#include "host/InputEvents.h"
#include "host/Log.h"
#include "host/Random.h"
#include "host/System.h"
#include "interface/MissionHud.h"
#include "levelgen/LevelGenerator.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Scene.h"
#include "platform/ConfigFile.h"
#include "platform/InputState.h"
#include "platform/Timer.h"
#include "platform/UserFolders.h"
#include "render/Font.h"
#include "render/GraphicsDevice.h"
#include "terrain/ScanPulses.h"
#include "tests/support/ReferencePicture.h"
#include "tests/app/GameRunSupport.h"
#include "tests/support/Scoped.h"
#include "tests/support/TestSupport.h"
#include "world/Agent.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Rect {
    int left, top, right, bottom;
    bool Overlaps(const Rect& o) const { return left < o.right && o.left < right && top < o.bottom && o.top < bottom; }
    bool Contains(const Rect& o) const { return o.left >= left && o.top >= top && o.right <= right && o.bottom <= bottom; }
};

Rect ScreenRectOf(const Window* window)
{
    int x = window->x, y = window->y;
    if (window->parent) x += window->parent->x, y += window->parent->y;
    return {x, y, x + window->width, y + window->height};
}

class MissionHudLevel : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        started = StartGameRun(GetParam());
        if (!started) GTEST_SKIP() << "no display for the game's window";
    }
    void TearDown() override
    {
        StopGameRun(started);
    }

    void StartMission()
    {
        // The same level on every run: the mission's seed is drawn from the game's generator.
        SRand(4242);
        MissionRecord* mission = MissionScreen::InitRandomMission();
        mission->flags |= MISSION_DATA_OWN_ENVIRONMENT;
        CopyText(mission->environment, sizeof mission->environment, "desert");
        mission->levelTemplate = LEVEL_TEMPLATE_NO_RIVERS;
        MissionScreen::StartMission(-1, 0);
        UpdateGameState(0.6f);
        UpdateGameState(0.6f);
        ASSERT_EQ(TheGame->state, GAME_STATE_PLAYING);
    }

    void Frames(int count)
    {
        FrameTimer.delta = 0.05f;
        for (int i = 0; i < count; ++i) {
            ++FrameTimer.frameCount;
            UpdateGameState(FrameTimer.delta);
            beatingwatch::TheWatch.Step();
            RenderFrame();
        }
    }

    bool started = false;
};

}  // namespace

TEST_P(MissionHudLevel, TheHudStandsAroundTheLevelAndGoesWithIt)
{
    StartMission();
    MissionHud& hud = TheMissionHud;
    ASSERT_TRUE(hud.built) << "the level start builds the HUD";
    ASSERT_NE(HudScanButton, nullptr);
    const int w = Config->width, h = Config->height;

    // The rig selected: its commands and the build panel show.
    Agent* rig = GetPlayerRig();
    ASSERT_NE(rig, nullptr) << "every level brings the player's rig";
    TheGame->ClearSelection();
    TheGame->SelectEntity(rig);
    ASSERT_EQ(TheGame->GetFirstSelected(), rig);
    Input.mouse->cursorX = w / 2;
    Input.mouse->cursorY = h / 3;
    Frames(3);
    EXPECT_TRUE(hud.buildPanel->IsVisible()) << "the builder opens the build panel";
    EXPECT_TRUE(hud.commandPanel->panel->IsVisible());
    EXPECT_FALSE(HudScanButton->flags & WINDOW_FRAMELESS) << "the rig scans";
    EXPECT_TRUE(hud.minimapBar->IsVisible());
    EXPECT_GT(hud.buildButtons.count, 0) << "the shipped catalogue fills the build panel";
    ASSERT_NE(hud.rigBanner, nullptr);

    // No two panels overlap, and every label's box lies inside its bar.
    std::vector<Rect> panels = {ScreenRectOf(hud.minimapBar), ScreenRectOf(hud.buildPanel),
                                ScreenRectOf(hud.commandPanel->background), ScreenRectOf(hud.resourceBar),
                                ScreenRectOf(hud.menuBar), ScreenRectOf(hud.rigBanner)};
    for (size_t a = 0; a < panels.size(); ++a)
        for (size_t b = a + 1; b < panels.size(); ++b) EXPECT_FALSE(panels[a].Overlaps(panels[b])) << a << " and " << b;
    for (const Rect& panel : panels) EXPECT_TRUE((Rect{0, 0, w, h}).Contains(panel)) << "on the screen";
    Rect bar = ScreenRectOf(hud.resourceBar);
    for (Label* label : {hud.oreLabel, hud.fuelLabel, hud.unitsLabel}) {
        int textWidth = 0, textHeight = 0;
        label->GetTextSize(&textWidth, &textHeight);
        Rect text = {bar.left + label->x, bar.top + label->y, bar.left + label->x + textWidth, bar.top + label->y + textHeight};
        EXPECT_TRUE(bar.Contains(text)) << label->GetText();
    }
    for (Window* child = hud.menuBar->firstChild; child; child = child->nextSibling) {
        Button* button = static_cast<Button*>(child);
        TextSize size{};
        button->style->GetTextExtent(button->text, &size);
        EXPECT_LE(size.cx, button->width) << button->text;
    }

    // The picture of the HUD's own parts: the menu bar, the resource bar, the build panel and
    // the command panel (the world and the minimap between them are the level's).
    Pixels frame = ReadBackBuffer(Graphics->device);
    ASSERT_EQ(frame.width, w);
    Rect command = ScreenRectOf(hud.commandPanel->background);
    std::string size = std::to_string(w) + "x" + std::to_string(h);
    EXPECT_TRUE(MatchesReference(CropPixels(frame, bar.left, 0, w, bar.bottom), "mission_hud_resources_" + size,
                                 {8, w / 50}));
    Rect build = ScreenRectOf(hud.buildPanel);
    EXPECT_TRUE(MatchesReference(CropPixels(frame, build.left, build.top, build.right, build.bottom),
                                 "mission_hud_build_" + size, {8, w / 20}));
    EXPECT_TRUE(MatchesReference(CropPixels(frame, command.left, command.top, command.right, command.bottom),
                                 "mission_hud_commands_" + size, {8, w / 20}));

    // The level ends: the HUD hides; the next level shows the same windows again.
    int windows = WindowMgr->WindowCount();
    TheGame->EndLevel();
    ReturnToMainMenu();
    RenderFrame();
    EXPECT_TRUE(hud.resourceBar->flags & WINDOW_HIDDEN);
    EXPECT_TRUE(hud.minimapBar->flags & WINDOW_HIDDEN);
    EXPECT_FALSE(hud.buildPanel->IsVisible());
    StartMission();
    Frames(1);
    EXPECT_FALSE(hud.resourceBar->flags & WINDOW_HIDDEN);
    EXPECT_EQ(WindowMgr->WindowCount(), windows) << "nothing built twice";
}

INSTANTIATE_TEST_SUITE_P(Screens, MissionHudLevel, ::testing::Values("-1024", "-1280"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param + 1);
                         });
