// The developer's growth tool in a real mission: with debugMode set, the "debug_test" command
// shows the HUD's debug tool bar, its "Growth" button opens the growth tool, a number typed into
// the tool's "width" box becomes the width of the next growth, and the button closes it again.
#include "tests/app/PlayerSessionSupport.h"

#include "gui/Button.h"
#include "gui/EditBox.h"
#include "host/InputKeys.h"
#include "interface/MissionHud.h"
#include "levelgen/Growth.h"
#include "platform/ConfigFile.h"
#include "platform/Hotkeys.h"
#include "tools/GrowthTool.h"

#include <cstring>

namespace {

using namespace playersession;

Button* ButtonWithText(const Window* window, const char* text)
{
    for (Window* child = window ? window->firstChild : nullptr; child; child = child->nextSibling)
        if ((child->flags & WINDOW_TYPE_BUTTON) && strcmp(static_cast<Button*>(child)->text, text) == 0)
            return static_cast<Button*>(child);
    return nullptr;
}

Window* ChildNamed(const Window* window, const char* caption)
{
    for (Window* child = window ? window->firstChild : nullptr; child; child = child->nextSibling)
        if (strcmp(child->caption, caption) == 0) return child;
    return nullptr;
}

class ToolWindowsSession : public PlayerSession {
protected:
    void ClickOn(const Window* window)
    {
        int x = 0, y = 0;
        window->GetScreenPosition(&x, &y);
        MoveMouseTo(x + window->width / 2, y + window->height / 2);
        Click(0);
    }
    void Key(int dik)
    {
        InputScript::Tap(dik);
        int exitCode = 0;
        DrainMessages(&exitCode);
        Passes(1, 0.02f);
    }
};

TEST_F(ToolWindowsSession, TheGrowthToolOpensFromTheDebugToolBarTakesAWidthAndCloses)
{
    ASSERT_TRUE(StartMissionOn(FOREST));
    ASSERT_NE(TheGrowthDB, nullptr);
    ASSERT_NE(GrowthTool::WindowOf(*TheGrowthDB), nullptr);
    Window* bar = TheMissionHud.debugToolBar;
    ASSERT_NE(bar, nullptr);

    // Without debug mode the command leaves the bar hidden.
    CommandFunction debugTest = FindCommand("debug_test");
    ASSERT_NE(debugTest, nullptr);
    debugTest();
    Passes(1, 0.02f);
    EXPECT_FALSE(bar->IsVisible());
    Config->debugMode = true;
    debugTest();
    Passes(1, 0.02f);
    ASSERT_TRUE(bar->IsVisible());

    Button* growth = ButtonWithText(bar, "Growth");
    ASSERT_NE(growth, nullptr);
    ClickOn(growth);
    ASSERT_TRUE(GrowthTool::IsVisible()) << "the Growth button opened the tool";

    EditBox* width = static_cast<EditBox*>(ChildNamed(GrowthTool::WindowOf(*TheGrowthDB), "width"));
    ASSERT_NE(width, nullptr);
    EXPECT_STREQ(width->GetText(), "20");
    ClickOn(width);
    ASSERT_TRUE(width->HasFocus());
    Key(DIK_END);
    Key(DIK_BACK);
    Key(DIK_BACK);
    Key(DIK_3);
    Key(DIK_5);
    Key(DIK_RETURN);
    EXPECT_STREQ(width->GetText(), "35");
    EXPECT_EQ(TheGrowthDB->toolParameters.width, 35) << "the typed width is the tool's";

    ClickOn(growth);
    EXPECT_FALSE(GrowthTool::IsVisible()) << "the Growth button closed the tool";
    EXPECT_EQ(TheGame->state, GAME_STATE_PLAYING);
}

}  // namespace
