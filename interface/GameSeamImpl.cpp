#include "interface/GameSeamImpl.h"
#include "tools/Console.h"

#include "gui/Window.h"
#include "gui/Button.h"
#include "gui/WindowManager.h"
#include "interface/MissionHud.h"
#include "render/Draw2D.h"
#include "mechanics/GameMechanics.h"

bool GameSeamImpl::IsAutoRotateOn() { return CameraAutoRotate; }
float GameSeamImpl::AutoRotateSpeed() { return CameraAutoRotateSpeed; }

bool GameSeamImpl::IsTextInputFocused()
{
    // Esc lets an edit box go without moving the focus pointer off it: the box's own focus bit
    // says whether it still has the keyboard. Closing a screen leaves the pointer on its box
    // too: a box the player cannot see takes no keys.
    Window* focused = WindowMgr ? WindowMgr->focused : nullptr;
    if (!focused || !focused->HasFocus() || !focused->TakesTextInput()) return false;
    for (const Window* window = focused; window; window = window->parent)
        if (!window->IsVisible()) return false;
    return true;
}

bool GameSeamImpl::IsPointOverWindow(int x, int y)
{
    return WindowMgr && WindowMgr->IsPointOverWindow(x, y, false);
}

float GameSeamImpl::GetCoveredBottomShare()
{
    const bool hudShown = TheMissionHud.built && TheGame && TheGame->state == GAME_STATE_PLAYING;
    const int height = ScreenHeight();
    if (!hudShown || height <= 0) return 0.0f;
    return float(height - HudBottomBarTop()) / float(height);
}

void GameSeamImpl::SetFollowButton(bool on)
{
    if (TheMissionHud.followButton) TheMissionHud.followButton->toggled = on;
}
