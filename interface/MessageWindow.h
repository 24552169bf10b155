#pragma once
// The dialog through which a mission speaks to the player: the mission giver's name and a
// text, shown as a plain message or as the end-of-mission dialog. The mission events set it
// and show it. Its window, picture and buttons come with the game interface's information
// screens; until then it only holds what it was told.
class MessageWindow {
public:
    void SetGiver(const char* giver);
    void SetText(const char* text);
    void Show(bool show, bool missionComplete);

    char giver[64] = "";
    char text[256] = "";
    bool shown = false;
    bool missionComplete = false;
};

// The message window, or null while the game interface has not made it.
extern MessageWindow* TheMessageWindow;
