#pragma once
// The game's side of the game seam: the answers the engine gets while the game runs, taken from
// the game object, the window manager and (as they come) the terrain and the world. The shell
// installs one at start-up. What the game does not have yet (terrain, entities, fog of war,
// water, environments) still answers as the null seam does.
#include "platform/GameSeam.h"

class GameSeamImpl : public GameSeam {
public:
    bool IsGamePaused() override;
    bool IsPlaying() override;
    bool IsTextInputFocused() override;
    bool IsPointOverWindow(int x, int y) override;
};
