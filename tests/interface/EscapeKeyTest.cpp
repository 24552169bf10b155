// Escape in a mission: it opens and closes the pause menu, and is taken without a change while
// another window holds the screen or the mission has failed; out of play it is not the
// mission's.
#include "gui/Window.h"
#include "interface/InGameMenu.h"
#include "mechanics/GameMechanics.h"
#include "tests/interface/InterfaceTestSupport.h"
#include "tests/support/Scoped.h"

#include <gtest/gtest.h>

namespace {

class EscapeKeyTest : public HudTest {
protected:
    InGameMenu menu;
    ScopedGlobal<InGameMenu*> inGame{TheInGameMenu, &menu};
    ScopedGlobal<bool> paused{GamePaused, false};
};

TEST_F(EscapeKeyTest, EscapeTogglesThePauseMenuOnlyWhenNothingElseHoldsTheScreen)
{
    game->state = GAME_STATE_FRONT_END;
    EXPECT_FALSE(game->OnEscape()) << "not in a mission";
    EXPECT_FALSE(menu.menuShown);

    game->state = GAME_STATE_PLAYING;
    EXPECT_TRUE(game->OnEscape());
    EXPECT_TRUE(menu.menuShown);
    EXPECT_TRUE(GamePaused);
    EXPECT_TRUE(game->OnEscape());
    EXPECT_FALSE(menu.menuShown);
    EXPECT_FALSE(GamePaused);

    // A dialog over the mission: Escape is taken, and the menu stays as it was.
    Window dialog;
    manager.modal = &dialog;
    EXPECT_TRUE(game->OnEscape());
    EXPECT_FALSE(menu.menuShown);
    manager.modal = nullptr;

    // The mission has failed: its window stays, the menu does not open over it.
    menu.failedShown = true;
    EXPECT_TRUE(game->OnEscape());
    EXPECT_FALSE(menu.menuShown);
    menu.failedShown = false;

    // The intro story without its slideshow: nothing to turn.
    game->state = GAME_STATE_INTRO;
    EXPECT_FALSE(game->OnEscape());
    EXPECT_FALSE(menu.menuShown);
}

}  // namespace
