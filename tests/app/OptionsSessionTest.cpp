// The options as a player changes them in a mission: Escape opens the in-game menu, "Options"
// opens the options window, the music volume and a graphics switch are changed with the mouse,
// settings.cfg on disk has them at once, and "Done" brings the pause menu back.
#include "tests/app/PlayerSessionSupport.h"

#include "gui/Button.h"
#include "gui/Label.h"
#include "host/InputKeys.h"
#include "interface/InGameMenu.h"
#include "interface/OptionsWindow.h"

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

    // "Done": the pause menu again; Escape resumes.
    ClickOn(FindShownButton(TheOptionsWindow->window, "Done"));
    EXPECT_FALSE(TheOptionsWindow->shown);
    EXPECT_TRUE(TheInGameMenu->menuShown);
    Press(DIK_ESCAPE);
    EXPECT_FALSE(TheInGameMenu->menuShown);
    EXPECT_FALSE(GamePaused);
}

}  // namespace
