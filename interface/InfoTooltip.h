#pragma once
// The info tooltip: a text box at the bottom right of the screen that explains what the mouse
// is over. The main display makes it; hover callbacks fill and show it; the HUD pass draws it
// while the mouse is over a GUI window and hides it otherwise. It shows a text by its key (a
// name and a description from the string tables: an upgrade, a status effect), or what a
// building or unit of the build menus costs and can do, the price coloured by whether the
// player can pay it.
#include "gui/Window.h"

class AgentType;
class BuildItem;
class Button;
class Item;
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
    // A building of the build panel: its name and description, its ore and fuel price, build
    // time, health and power, and a turret's weapon.
    void ShowBuildingTooltip(const BuildItem* item);
    // A unit of a factory's panel: name, description, price, build time and health, and its
    // weapon (or its melee damage).
    void ShowUnitTooltip(const AgentType* type);
    // The background, when shown; the labels are the window's children.
    void Draw();
    // Every line emptied, hidden.
    void Hide();

    Window* window = nullptr;
    Sprite* background = nullptr;
    Label* labels[LABELS] = {};
    bool shown = false;

private:
    // Title and description set, the price lines coloured; the lines placed under the
    // description and the box sized and placed at the right edge.
    void ShowCatalogueEntry(const char* title, const char* description, int ore, int fuel);
    void PlaceCatalogueBox();
    int descriptionLines_ = 1;
};

// What the player reads as a catalogue building's name: its display text, else its own name.
const char* BuildItemDisplayName(const BuildItem* item);
// What the player reads as an item's name (a health cannister, not its "health_cannister"): its
// short description, else its own name.
const char* ItemDisplayName(const Item* item);

// The main display's tooltip, or null until the main display is built.
extern InfoTooltip* TheInfoTooltip;

// A status icon's hover: button id 1 "Fire", 2 "Acid", 3 "Plasma".
int OnStatusIconHover(void* user, Button* button);
// The leave callback that hides the tooltip.
int ShowInfoPanelButton(void* user, Button* button);
