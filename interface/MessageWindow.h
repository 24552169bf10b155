#pragma once
// The dialog through which a mission speaks to the player: the mission giver's picture, name
// and title beside a text of up to 8 lines at a time (arrows scroll a longer one), shown as a
// plain message with "Close" or, when the mission is done, as "Mission Complete!" with
// "Continue Playing" and "Exit Mission". The mission events set it and show it.
//
// It pauses the game while open and, when it closes, gives back both the modal window and the
// pause it found, so a message over the in-game menu or another screen leaves that screen as
// it was. Unbuilt (in tests of the events) it only holds what it was told.
#include "interface/InfoScreen.h"

class MessageWindow : public InfoScreen {
public:
    static constexpr int LINES_SHOWN = 8;
    static constexpr int TEXT_SIZE = 2048;

    MessageWindow();
    static MessageWindow* Create();
    void Build();

    // The picture and name of the giver (a faction key: "guild", "military", ...).
    void SetGiver(const char* giver);
    // The text from its first line, 8 lines shown.
    void SetText(const char* text);
    void Show(bool show, bool missionComplete);
    // Moves the text by one line (down or up), never above its first line or past its end.
    void Scroll(bool down);
    // The text's line count as the label wraps it.
    int LineCount() const { return lineCount_; }

    char giver[64] = "";
    char text[TEXT_SIZE] = "";
    bool shown = false;
    bool missionComplete = false;
    int firstLine = 0;

    Button* picture = nullptr;
    Label* textLabel = nullptr;
    Label* giverLabel = nullptr;
    Button* upArrow = nullptr;
    Button* downArrow = nullptr;
    Button* closeTextButton = nullptr;
    Button* continueButton = nullptr;
    Button* exitButton = nullptr;

private:
    void UpdateText();
    int lineCount_ = 0;
};

// The message window, or null while the front end has not made it.
extern MessageWindow* TheMessageWindow;
