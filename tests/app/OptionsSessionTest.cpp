// The options as a player changes them in a mission: Escape opens the in-game menu, "Options"
// opens the options window, the music volume and a graphics switch are changed with the mouse,
// settings.cfg on disk has them at once, the resolution list answers Escape and Enter, and
// "Done" brings the pause menu back.
#include "tests/app/PlayerSessionSupport.h"

#include "gui/Button.h"
#include "gui/Label.h"
#include "host/InputKeys.h"
#include "interface/InGameMenu.h"
#include "interface/OptionsWindow.h"
#include "mechanics/Game.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

using namespace playersession;

namespace {

class OptionsSession : public PlayerSession {
protected:
    // The n-th shown button after a row's label (0: the first).
    static Button* RowControl(const char* label, int n)
    {
        bool seen = false;
        for (Window* child = TheOptionsWindow->window->firstChild; child; child = child->nextSibling) {
            if (auto* l = dynamic_cast<Label*>(child)) seen = seen || strcmp(l->GetText(), label) == 0;
            auto* button = dynamic_cast<Button*>(child);
            if (seen && button && button->IsVisible() && n-- == 0) return button;
        }
        return nullptr;
    }
    std::string Settings() const { return ReadTextFile(std::string(UserFolder) + "/settings.cfg"); }
};

// The same walk, on a user folder of its own.
class OptionsSessionStatus : public OptionsSession {};

TEST_F(OptionsSession, MusicVolumeAndAGraphicsSwitchChangedFromThePauseMenu)
{
    UntilPlaying();
    ASSERT_NE(TheInGameMenu, nullptr);
    ASSERT_NE(TheOptionsWindow, nullptr);
    const int volume = Config->MusicVolume;
    ASSERT_GT(volume, 0);
    const bool detail = Config->terrainDetail;

    Press(DIK_ESCAPE);
    ASSERT_TRUE(TheInGameMenu->menuShown);
    ClickOn(FindShownButton(TheInGameMenu->menuWindow, "Options"));
    EXPECT_TRUE(TheOptionsWindow->shown);
    EXPECT_FALSE(TheInGameMenu->menuShown);
    EXPECT_TRUE(GamePaused) << "the game stays paused under the options";
    EXPECT_EQ(WindowMgr->modal, TheOptionsWindow->window);

    // Sound page: the music volume one step down with the left arrow.
    ClickOn(FindShownButton(TheOptionsWindow->window, "Sound"));
    ClickOn(RowControl("Music Volume", 1));  // the box, then the left arrow
    EXPECT_EQ(Config->MusicVolume, volume - 1);
    char line[64];
    snprintf(line, sizeof line, "MusicVolume\t\t\t\t\t%d\n", volume - 1);
    EXPECT_NE(Settings().find(line), std::string::npos) << Settings();

    // Graphics page: terrain detail switched over.
    ClickOn(FindShownButton(TheOptionsWindow->window, "Graphics"));
    ClickOn(RowControl("Terrain Detail", 0));
    EXPECT_EQ(Config->terrainDetail, !detail);
    EXPECT_NE(Settings().find(std::string("terrainDetail\t\t\t\t\t") + (detail ? "false" : "true")), std::string::npos);

    // The resolution list: Escape leaves it as it was, Enter takes the entry chosen in it.
    Button* resolution = RowControl("Resolution", 0);
    ASSERT_NE(resolution, nullptr);
    const std::string before = resolution->text;
    Window* list = TheOptionsWindow->resolutionList;
    ClickOn(resolution);
    ASSERT_TRUE(list->IsVisible());
    Press(DIK_ESCAPE);
    EXPECT_FALSE(list->IsVisible()) << "Escape closed the list";
    EXPECT_EQ(std::string(resolution->text), before);
    EXPECT_EQ(WindowMgr->modal, TheOptionsWindow->window) << "the options stay open";
    ClickOn(resolution);
    ASSERT_FALSE(TheOptionsWindow->resolutionEntries.empty());
    Button* entry = TheOptionsWindow->resolutionEntries.back();
    ClickOn(entry);
    Press(DIK_RETURN);
    EXPECT_FALSE(list->IsVisible()) << "Enter took the entry";
    // The button names the mode taken (its size and depth, without the list's aspect ratio).
    auto mode = [](const char* text) {
        int width = 0, height = 0, bits = 0;
        sscanf(text, "%d x %d [%d", &width, &height, &bits);
        return std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(bits);
    };
    EXPECT_EQ(mode(resolution->text), mode(entry->text)) << resolution->text << " for " << entry->text;
    EXPECT_EQ(WindowMgr->modal, TheOptionsWindow->window);

    // "Done": the pause menu again; Escape resumes.
    ClickOn(FindShownButton(TheOptionsWindow->window, "Done"));
    EXPECT_FALSE(TheOptionsWindow->shown);
    EXPECT_TRUE(TheInGameMenu->menuShown);
    Press(DIK_ESCAPE);
    EXPECT_FALSE(TheInGameMenu->menuShown);
    EXPECT_FALSE(GamePaused);
}

TEST_F(OptionsSessionStatus, FpsClockAndMissionTimeSwitchedOnShowOverTheMission)
{
    UntilPlaying();
    ASSERT_NE(TheOptionsWindow, nullptr);
    ASSERT_FALSE(Config->showFPS || Config->showClock || Config->showGameTime);
    ASSERT_TRUE(TheGame->fpsLabel && TheGame->timeLabel);
    int fpsX = 0, fpsY = 0, timeX = 0, timeY = 0;
    TheGame->fpsLabel->GetScreenPosition(&fpsX, &fpsY);
    TheGame->timeLabel->GetScreenPosition(&timeX, &timeY);
    // The corner where the labels stand, as the world shows it with the game standing still.
    const int left = std::min(fpsX, timeX) - 4, top = std::min(fpsY, timeY) - 4;
    const int right = Config->width, bottom = std::max(fpsY, timeY) + 48;
    auto corner = [&](const char* name) {
        Image shot;
        EXPECT_TRUE(ShotOfNextFrame(base + "/" + name + ".png", shot));
        return CropPixels(ToPixels(shot), left, top, right, bottom);
    };
    Press(DIK_PAUSE);
    const Pixels before = corner("status_off");
    Press(DIK_PAUSE);

    // Game page: the three switches clicked on.
    Press(DIK_ESCAPE);
    ClickOn(FindShownButton(TheInGameMenu->menuWindow, "Options"));
    ASSERT_TRUE(TheOptionsWindow->shown);
    for (const char* row : {"Show FPS", "Show Clock", "Show Game Time"}) {
        SCOPED_TRACE(row);
        ClickOn(RowControl(row, 0));
    }
    EXPECT_TRUE(Config->showFPS && Config->showClock && Config->showGameTime);
    ClickOn(FindShownButton(TheOptionsWindow->window, "Done"));
    Press(DIK_ESCAPE);
    ASSERT_FALSE(GamePaused);
    Passes(20, 0.05f);

    // The mission goes on with the frame rate, the clock and the mission time in its corner.
    EXPECT_TRUE(TheGame->fpsLabel->IsVisible());
    EXPECT_TRUE(TheGame->timeLabel->IsVisible());
    EXPECT_NE(std::string(TheGame->timeLabel->GetText()).find("Mission time:"), std::string::npos);
    Press(DIK_PAUSE);
    const Pixels after = corner("status_on");
    int changed = 0;
    for (size_t i = 0; i < after.argb.size() && i < before.argb.size(); ++i) changed += after.argb[i] != before.argb[i];
    EXPECT_GT(changed, 200) << "the labels' words are drawn in the corner";
    Image shot;
    ASSERT_TRUE(ShotOfNextFrame(base + "/options_session_status_labels.png", shot));
    Pixels picture = ToPixels(shot);
    EXPECT_TRUE(MatchesReference(picture, "options_session_status_labels", {12, picture.width * picture.height / 50}));
    Press(DIK_PAUSE);
}

}  // namespace
