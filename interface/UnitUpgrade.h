#pragma once
// The upgrade panel of the main display: an upgrader's unit inside and the upgrades the player
// picks for it (mechanics/UnitUpgrades.h). Each choice button steps one upgrade's level (left
// click up, right click down, never onto a level the unit already owns); "Start" pays the price
// in ore and fuel and starts the countdown; "Cancel" lets the unit out, paying back an upgrade
// still running. In a level each is an order the world carries out at the next tick.
#include "mechanics/UnitUpgrades.h"
#include "world/Entity.h"

#include <cstdint>

class Agent;
class Building;
class Button;
class GuiMeter;
class Sprite;
class Window;

constexpr int UPGRADE_CHOICE_BUTTONS = 8;

// The sprite shows the entity's icon (a building's, its unit type's, an item's); anything else
// a black square.
void SetEntityIcon(Entity* entity, Sprite* sprite);

class UpgradePanel {
public:
    UpgradePanel() = default;
    ~UpgradePanel();
    UpgradePanel(const UpgradePanel&) = delete;
    UpgradePanel& operator=(const UpgradePanel&) = delete;

    // The table, the progress meter, the icon backdrop, the window with its 8 choice buttons
    // (hidden) and "Start" and "Cancel"; laid out at the main display's corner (x, y).
    void Build(int displayX, int displayY);
    // The window and its buttons shown and enabled, or hidden and disabled; the choice buttons
    // that ShowChoices did not fill stay hidden.
    void SetVisible(bool on);
    // The building's unit, its choices and their price, or the progress of its upgrade.
    void Draw(Building* building);
    // The building the panel shows (null when it is gone).
    Building* GetBuilding() const;
    void SetBuilding(Building* building);

    // A unit inside, something chosen, and the player's ore and fuel enough for it.
    static bool CanAfford(const Building* building);
    // When affordable: the price is paid and the countdown starts.
    static void StartUpgrade(Building* building);
    // One choice button per upgrade that fits the unit inside (at most 8), each showing the
    // level the building's chosen word holds (also as a unit walks in: Building::TakeUnitIn).
    static void ShowChoices(Building* building);
    // Upgrade n (1-based) of the unit inside stepped a level up, or down: never onto a level the
    // unit owns, never while an upgrade runs. The sound it makes: "blip", or "bad" when refused.
    static const char* StepChoice(Building* building, int n, bool down);
    // The choices shown again when the panel shows that building.
    static void Refresh(Building* building);

    int x = 0, y = 0;  // the main display's corner
    Window* window = nullptr;
    Button* choices[UPGRADE_CHOICE_BUTTONS] = {};
    Button* startButton = nullptr;
    Button* cancelButton = nullptr;
    GuiMeter* progress = nullptr;
    Sprite* iconBack = nullptr;
    Sprite* unitIcon = nullptr;
    EntityRef building;
};

// The main display's upgrade panel, or null until it is made.
UpgradePanel* GetUpgradePanel();

// The panel's buttons.
int OnUpgradeChoiceClicked(void* user, Button* button);
int OnUpgradeChoiceHover(void* user, Button* button);
int OnStartUpgradeClicked(void* user, Button* button);
int OnEjectUnitClicked(void* user, Button* button);
