#pragma once
// The character screen: the rig on its paper doll, its attributes and skills, and the player's
// bag. For now it holds what the rest of the game needs of it: the inventory, made and built
// with the screen at start-up and kept hidden (PlayerInventory points at it), so that the rig's
// pickups, the profile's items and the hotbar have somewhere to go. The paper doll, the pages
// and the shop come with the screen itself.
#include "gui/Window.h"

class Button;
class Inventory;

constexpr int CHARACTER_SCREEN_ID = 1005;

class CharacterGui : public Window {
public:
    CharacterGui();
    ~CharacterGui() override;

    // Makes the inventory (PlayerInventory) with its panel, then hides the screen's windows.
    void Build();

    Inventory* inventory = nullptr;
    bool shown = true;
};

// The screen's "Show Tech", "Achievements" and "Log" buttons (the galaxy's page has the last
// two as well): each opens its information screen over whatever holds the input.
int OnShowTechClicked(void* user, Button* button);
int OnAchievementsClicked(void* user, Button* button);
int OnMissionLogClicked(void* user, Button* button);

// The one character screen, built by the front end; null before that.
extern CharacterGui* TheCharacterGui;
