#pragma once
// "Congratulations": the end of the campaign, shown by the results screen's "Continue" when the
// last story mission is done (the story ending) or every mission of the galaxy is (the
// all-missions ending): a picture with the ending's text and "Continue", which opens the shop.
// Closing the story ending leads straight into the all-missions ending when that is earned too.
#include "interface/InfoScreen.h"

class EndGameScreen : public InfoScreen {
public:
    EndGameScreen();
    void BuildOnce();
    void Show(bool show, bool storyEnding);
    void Draw() override;
    // "Continue": hides the screen, then opens the shop.
    static int OnContinue(void* user, Button* button);
    // The ending's text key.
    const char* TextKey() const { return storyEnding ? "<story_finish>" : "<missions_finish>"; }

    Sprite* picture = nullptr;
    bool storyEnding = true;
};

extern EndGameScreen* TheEndGameScreen;
