#include "mechanics/GameSeamImpl.h"

#include "gui/Window.h"
#include "gui/WindowManager.h"
#include "mechanics/GameMechanics.h"

bool GameSeamImpl::IsGamePaused()
{
    return GamePaused;
}

bool GameSeamImpl::IsPlaying()
{
    return TheGame && TheGame->state == GAME_STATE_PLAYING;
}

bool GameSeamImpl::IsTextInputFocused()
{
    return WindowMgr && WindowMgr->focused && WindowMgr->focused->TakesTextInput();
}

bool GameSeamImpl::IsPointOverWindow(int x, int y)
{
    return WindowMgr && WindowMgr->IsPointOverWindow(x, y, false);
}
