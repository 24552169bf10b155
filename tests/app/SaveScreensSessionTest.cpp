// The save and the load screen as a player sees and drives them: opened from the pause menu
// and from the main menu, with their buttons, name box and label on screen over the list,
// left by Close, by the back button, by Escape, and used with Enter.
#include "tests/app/PlayerSessionSupport.h"

#include "campaign/LevelLoadSave.h"
#include "gui/Button.h"
#include "gui/EditBox.h"
#include "gui/Label.h"
#include "host/InputKeys.h"
#include "interface/InGameMenu.h"

#include <algorithm>
#include <string>
#include <vector>

using namespace playersession;

namespace {

class SaveScreensSession : public PlayerSession {
protected:
    // The screen's picture; and each control is seen: the screen under it changes when it is
    // taken away (a control that something covers changes nothing).
    void CheckScreen(const std::string& name, const std::vector<Window*>& controls)
    {
        Image shot;
        ASSERT_TRUE(ShotOfNextFrame(base + "/" + name + ".png", shot));
        Pixels picture = ToPixels(shot);
        EXPECT_TRUE(MatchesReference(picture, name, {12, picture.width * picture.height / 50}));
        for (Window* control : controls) {
            ASSERT_NE(control, nullptr);
            int x = 0, y = 0;
            control->GetScreenPosition(&x, &y);
            control->SetVisible(false);
            Image without;
            ASSERT_TRUE(ShotOfNextFrame(base + "/" + name + "_without.png", without));
            control->SetVisible(true);
            const Pixels a = CropPixels(picture, x, y, x + control->width, y + control->height);
            const Pixels b = CropPixels(ToPixels(without), x, y, x + control->width, y + control->height);
            int changed = 0;
            for (size_t i = 0; i < a.argb.size(); ++i) changed += a.argb[i] != b.argb[i];
            EXPECT_GT(changed * 20, (int)a.argb.size()) << control->caption << " is drawn, not covered";
        }
    }
    // The proposed name replaced by "slot1", typed.
    void TypeSlotName()
    {
        ClickOn(TheLevelLoadSaveGui->nameBox);
        Press(DIK_END);
        for (int i = 0; i < 30; ++i) Press(DIK_BACK);
        for (int key : {DIK_S, DIK_L, DIK_O, DIK_T, DIK_1}) Press(key);
    }
    Button* Shown(const char* text) { return FindShownButton(TheLevelLoadSaveGui, text); }
};

TEST_F(SaveScreensSession, SaveAndLoadScreensShowTheirControlsAndAnswerKeys)
{
    UntilPlaying();
    LevelLoadSaveGui* screen = TheLevelLoadSaveGui;
    ASSERT_NE(screen, nullptr);
    ASSERT_NE(TheInGameMenu, nullptr);

    // The save screen from the pause menu: Close, Save, the name box and its label are seen.
    Press(DIK_ESCAPE);
    ASSERT_TRUE(TheInGameMenu->menuShown);
    ClickOn(FindShownButton(TheInGameMenu->menuWindow, "Save Game"));
    ASSERT_TRUE(screen->shown);
    TypeSlotName();
    EXPECT_STREQ(screen->nameBox->GetText(), "slot1");
    CheckScreen("save_screen", {Shown("Close"), Shown("Save"), screen->nameBox, screen->nameLabel});

    // Escape lets go of the name box, and then closes the screen; the pause menu stays.
    Press(DIK_ESCAPE);
    EXPECT_TRUE(screen->shown) << "the first Escape is the name box's";
    EXPECT_FALSE(screen->nameBox->HasFocus());
    Press(DIK_ESCAPE);
    EXPECT_FALSE(screen->shown) << "Escape closes the save screen";
    EXPECT_TRUE(TheInGameMenu->menuShown) << "the pause menu stays";
    EXPECT_EQ(WindowMgr->modal, TheInGameMenu->menuWindow);

    // Enter saves under the typed name.
    ClickOn(FindShownButton(TheInGameMenu->menuWindow, "Save Game"));
    ASSERT_TRUE(screen->shown);
    TypeSlotName();
    Press(DIK_RETURN);  // the name box lets go of the keys
    Press(DIK_RETURN);  // the screen's Save
    EXPECT_FALSE(screen->shown) << "Enter saved and closed the screen";
    const std::string saved = std::string(UserFolder) + "/savefiles/" + GetPlayerProfile()->name + "/slot1.sav";
    EXPECT_TRUE(FileExists(saved.c_str(), false));
    EXPECT_TRUE(TheInGameMenu->menuShown);

    // To the main menu.
    TheInGameMenu->HideAll();
    TheGame->EndLevel();
    ReturnToMainMenu();
    Passes(2, 0.05f);
    Window* menu = MissionScreen::windows[0];
    Window* back = MissionScreen::windows[1];
    ASSERT_TRUE(menu && back);
    ASSERT_TRUE(menu->IsVisible());

    // "Load Game" turns the page: the main menu gives way to the load screen and its back button.
    struct Leave {
        const char* how;
    } const leaves[] = {{"back"}, {"escape"}, {"close"}};
    for (const Leave& leave : leaves) {
        SCOPED_TRACE(leave.how);
        ClickOn(FindShownButton(menu, "Load Game"));
        EXPECT_EQ(FrontEndScreenState, 4);
        EXPECT_FALSE(menu->IsVisible()) << "the main menu is gone";
        EXPECT_TRUE(back->IsVisible()) << "the back button shows";
        ASSERT_TRUE(screen->shown);
        EXPECT_TRUE(screen->loadMode);
        if (std::string(leave.how) == "back")
            CheckScreen("load_screen", {Shown("Close"), Shown("Load"), back});
        if (std::string(leave.how) == "back")
            ClickOn(back);
        else if (std::string(leave.how) == "escape")
            Press(DIK_ESCAPE);
        else
            ClickOn(Shown("Close"));
        EXPECT_FALSE(screen->shown);
        EXPECT_EQ(FrontEndScreenState, 0);
        EXPECT_TRUE(menu->IsVisible()) << "back at the main menu";
        EXPECT_FALSE(back->IsVisible());
        EXPECT_EQ(WindowMgr->modal, nullptr);
    }

    // Enter on the load page loads the newest save.
    ClickOn(FindShownButton(menu, "Load Game"));
    ASSERT_TRUE(screen->shown);
    ASSERT_NE(screen->browser->GetSelected(), nullptr);
    EXPECT_STREQ(screen->browser->GetSelected()->name, "slot1.sav");
    Press(DIK_RETURN);
    EXPECT_EQ(TheGame->state, GAME_STATE_LOAD_PENDING) << "Enter loaded the save";
    UntilPlaying();
}

}  // namespace
