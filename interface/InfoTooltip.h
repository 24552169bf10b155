#pragma once
// The info tooltip: a text box at the bottom right of the screen that explains what the mouse
// is over. The main display makes it; hover callbacks fill and show it; the HUD pass draws it
// while the mouse is over a GUI window and hides it otherwise. Here is its text form (a name
// and a description from the string tables); the build catalogue's figures come with the
// build menu.
#include "gui/Window.h"

class BuildItem;
class Button;
class Label;
class Sprite;

class InfoTooltip {
public:
    static constexpr int LABELS = 7;  // title, description, ore, fuel, build line, weapon line, spare

    InfoTooltip() = default;
    ~InfoTooltip();
    InfoTooltip(const InfoTooltip&) = delete;
    InfoTooltip& operator=(const InfoTooltip&) = delete;

    // The window, its background and labels; hidden.
    void Build();
    // Title "<key>", description "<key_desc>", the other lines empty; placed at the right edge
    // and shown.
    void ShowText(const char* key);
    // A building of the build panel: its name and description, then what it costs.
    void ShowBuildingTooltip(const BuildItem* item);
    // The background, when shown; the labels are the window's children.
    void Draw();
    // Every line emptied, hidden.
    void Hide();

    Window* window = nullptr;
    Sprite* background = nullptr;
    Label* labels[LABELS] = {};
    bool shown = false;
};

// The main display's tooltip, or null until the main display is built.
extern InfoTooltip* TheInfoTooltip;

// A status icon's hover: button id 1 "Fire", 2 "Acid", 3 "Plasma".
int OnStatusIconHover(void* user, Button* button);
// The leave callback that hides the tooltip.
int ShowInfoPanelButton(void* user, Button* button);
