#pragma once
// What the information screens share (technology, achievements, briefing, mission log,
// hotkeys, results, end of game): one instance each, built once and kept for the whole run,
// the common frame (blue frame, title banner, black inner panel, red close button) and the way
// they open and close over the game.
//
// Opening a screen keeps the window manager's modal window in the screen's own field, shows
// the screen by its id and makes it modal; closing hides it and hands the kept window back.
// So a screen opened over another (hotkeys over the options, achievements over the character
// screen) returns the modal slot to the one below it, and nested screens unwind in reverse.
// Screens that pause set the GUI pause flag while open and clear it when they close.
//
// A screen's top-level window stands at the screen's origin and its pieces are placed in
// screen pixels; `left` and `top` are where its frame begins.
#include "gui/Window.h"

#include <cstddef>
#include <memory>
#include <vector>

class Button;
class Font;
class Label;
class Sprite;

class InfoScreen : public Window {
public:
    // pauses: the screen holds the GUI pause flag while open. A screen id below 0 means the
    // screen takes an id of its own when it is built.
    InfoScreen(int screenId, bool pauses);
    ~InfoScreen() override;

    // Opens or closes the screen (never built: only the open flag is cleared). Screens that
    // fill themselves while opening do it in Refresh.
    void SetVisible(bool show);
    bool IsOpen() const { return visible; }
    // Whether the screen was built.
    bool IsBuilt() const { return built; }
    // Where the frame stands on the screen.
    int FrameLeft() const { return left; }
    int FrameTop() const { return top; }
    int FrameHeight() const { return frameHeight; }

    // The close button of every screen: closes the screen held in its user value with the
    // sound "blip"; nothing without a button or without a game object.
    static int OnClose(void* user, Button* button);

    Window* savedModal = nullptr;
    bool visible = false;
    bool built = false;
    // The pause flag as it was when the screen opened; given back on closing by screens that
    // restore it (the message window), where the others clear it.
    bool savedPause = false;
    bool restoresPause = false;
    Button* banner = nullptr;
    Button* closeButton = nullptr;

protected:
    // Called while opening, before the screen becomes modal.
    virtual void Refresh() {}
    // The common frame of frameW x frameH, centred, with the title in the banner; closes
    // with OnClose unless noClose.
    void BuildFrame(const char* title, int frameW, int frameH, bool noClose = false);
    // Registers the screen with the window manager and hides it.
    void Finish();
    // A child the screen made and keeps.
    template <class W> W* Keep(W* child)
    {
        owned_.emplace_back(child);
        AddChild(child);
        return child;
    }
    // A sprite the screen made and keeps (null without a texture manager is fine).
    Sprite* KeepSprite(Sprite* sprite);
    // A plain button of the screen: the face picture (whole, or cells of a 1 x 3 sheet when
    // sheet is set) with its text.
    Button* AddButton(int x, int y, int w, int h, const char* face, const char* text, int (*click)(void*, Button*),
                      bool sheet);
    // An up or down scroll arrow of the 2 x 2 arrow sheet; user value 1 down, 0 up.
    Button* AddArrow(int x, int y, bool down, int (*click)(void*, Button*));

    int screenId;
    bool pauses;
    // Where the frame begins and its size, in screen pixels.
    int left = 0, top = 0, frameWidth = 0, frameHeight = 0;
    // The inner panel's top and the banner.
    int panelTop = 0;

private:
    std::vector<std::unique_ptr<Window>> owned_;
    std::vector<Sprite*> sprites_;
};

// Enables and shows, or disables and hides, a button.
void ShowButton(Button* button, bool on);
// The page of a scrolled text: first line first of lines lines, with shown lines at a time;
// the arrows follow: up while the first line is above 0, down while lines remain below.
void FollowArrows(Button* up, Button* down, int first, int shown, int lines);
// A HUD font of the game (0 the first), or the GUI's default font.
Font* ScreenFont(int slot);
// The width of a text in a font (0 without one).
int TextWidth(Font* font, const char* text);
// The number of lines a text wraps into (0 without a font).
int WrappedLineCount(Font* font, const char* text, int width, int mostLines);

// The picture of a mission giver: "data/gui/<giver>back.dds", or the corporation's second
// picture "data/gui/corporate2back.dds" for its random missions.
void GiverPicturePath(const char* giver, bool story, char* out, size_t size);

// Makes every information screen and the message window (once), and lets them go.
void CreateInformationScreens();
void ReleaseInformationScreens();
// The results and end-of-game screens are built with the HUD of the first level.
void BuildEndOfMissionScreens();
// Closes every open screen of the front end's ids (the message window, briefing, log, ...),
// giving back what each kept.
void CloseInformationScreens();
