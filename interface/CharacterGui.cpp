#include "interface/CharacterGui.h"

#include "interface/AchievementsGui.h"
#include "interface/Inventory.h"
#include "interface/MissionLogGui.h"
#include "interface/PlayerTechGui.h"

CharacterGui* TheCharacterGui = nullptr;

CharacterGui::CharacterGui()
{
    id = CHARACTER_SCREEN_ID;
}

CharacterGui::~CharacterGui()
{
    if (PlayerInventory == inventory) PlayerInventory = nullptr;
    delete inventory;
    if (TheCharacterGui == this) TheCharacterGui = nullptr;
}

void CharacterGui::Build()
{
    if (!inventory) {
        inventory = new Inventory();  // built, hidden
        PlayerInventory = inventory;
    }
    // The bag opens with the screen, never on its own.
    if (inventory->panel) inventory->panel->SetVisible(false);
    SetVisible(false);
}

int OnShowTechClicked(void*, Button*)
{
    if (ThePlayerTechGui) ThePlayerTechGui->SetVisible(true);
    return 1;
}

int OnAchievementsClicked(void*, Button*)
{
    if (TheAchievementsGui) TheAchievementsGui->SetVisible(true);
    return 1;
}

int OnMissionLogClicked(void*, Button*)
{
    if (TheMissionLogGui) TheMissionLogGui->SetVisible(true);
    return 1;
}
