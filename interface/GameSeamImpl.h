#pragma once
// The game's side of the game seam: the world's answers (mechanics/WorldSeam.h) and those of
// the screens: the window manager's focus and windows, the camera's turning, the HUD's bar over
// the picture and its follow button. The shell installs one at start-up. What the game does not
// have yet still answers as the null seam does.
#include "mechanics/WorldSeam.h"

class GameSeamImpl : public WorldGameSeam {
public:
    bool IsTextInputFocused() override;
    bool IsAutoRotateOn() override;
    float AutoRotateSpeed() override;
    bool IsPointOverWindow(int x, int y) override;

    float GetCoveredBottomShare() override;
    // The HUD's follow button shows the camera's follow state.
    void SetFollowButton(bool on) override;
};
