#pragma once
// A whole run of the game in a test: started as the player starts it, in a windowed screen of
// the resolution switch given, and left on the front end; stopped with the clock and the pause
// as a fresh run finds them.
#include "app/AppShell.h"
#include "host/InputEvents.h"
#include "host/Log.h"
#include "mechanics/GameMechanics.h"
#include "platform/Timer.h"
#include "platform/UserFolders.h"

// False when there is no display for the game's window.
inline bool StartGameRun(const char* resolution)
{
    if (!InitUserFolders()) return false;
    LogCaptureBegin();
    const char* argv[] = {"veldmark", "-windowed", resolution};
    bool started = StartUp(3, const_cast<char**>(argv));
    LogCaptureEnd();
    if (!started) return false;
    HostMessage drained;
    while (InputEvents.PeekMessage(&drained)) {}
    TheGame->state = GAME_STATE_FRONT_END;
    return true;
}

inline void StopGameRun(bool started)
{
    FrameTimer.delta = 0.0f;
    GamePaused = false;
    if (started) Shutdown();
}
