// The level's own answers to what it asks of the player's side: those of a game with no screens
// (a replay's verification, a test of the world). The mission is the catalogue's current one;
// there is no galaxy, no window to hold the game or show a message, and no bag.
#include "mechanics/ScreenHooks.h"

#include "campaign/MissionCatalogue.h"

namespace {
ScreenHooks LevelScreenAnswers;
}  // namespace

ScreenHooks* TheScreenHooks = &LevelScreenAnswers;

MissionRecord* ScreenHooks::CurrentMission()
{
    return MissionCatalogue::GetCurrentMission();
}

int ScreenHooks::SelectedStoryId()
{
    return -1;
}

int ScreenHooks::GalaxySeed()
{
    return -1;
}

int ScreenHooks::SelectedMissionId()
{
    return -1;
}

void ScreenHooks::StampLevel() {}

bool ScreenHooks::WindowHoldsGame()
{
    return false;
}

void ScreenHooks::ShowMissionFailed() {}

bool ScreenHooks::MissionFailedShown()
{
    return false;
}

bool ScreenHooks::ShowMissionMessage(const char*, const char*, bool)
{
    return false;
}

void ScreenHooks::ClearPopups() {}

void ScreenHooks::EndMission(bool) {}

void ScreenHooks::SceneReleased() {}

void ScreenHooks::ShowObjectives(bool) {}

void ScreenHooks::AchievementAwarded(const char*, int) {}

bool ScreenHooks::BagFull()
{
    return false;
}

void ScreenHooks::ClearBag() {}

bool ScreenHooks::StoryMissionId(int, int*)
{
    return false;
}

void ScreenHooks::AgentSelected(Agent*, bool) {}

void ScreenHooks::BuildingSelected(Building*, bool) {}

void ScreenHooks::ToggleInventory() {}

void ScreenHooks::UndoTerrainEdit(bool) {}

void ScreenHooks::ToggleDebugTools() {}

Item* ScreenHooks::BagItem(const char*)
{
    return nullptr;
}

Item* ScreenHooks::QuickSlotItem(int)
{
    return nullptr;
}

int ScreenHooks::BagSlotCount()
{
    return 0;
}

const Item* ScreenHooks::BagSlotItem(int)
{
    return nullptr;
}

void ScreenHooks::RefreshBagSlot(Item*) {}

void ScreenHooks::HandleMouseOrders(GameMechanics&, float) {}

void ScreenHooks::MoveBagItem(int, int, int, const char*) {}

void ScreenHooks::LearnPattern(int, const char*) {}

void ScreenHooks::DropBagItem(const char*, int) {}

void ScreenHooks::FitRigPart(bool, int, const char*, int) {}

void ScreenHooks::SpendSkillPoint(int) {}

const char* ScreenHooks::StepUpgradeChoice(Building*, int, bool)
{
    return "bad";
}

void ScreenHooks::StartUpgrade(Building*) {}

void ScreenHooks::RefreshUpgrade(Building*) {}

void ScreenHooks::BuildQueueChanged(Building*) {}

void ScreenHooks::NameReplayMission(ReplayHeader&) {}

void ScreenHooks::TakeReplayProfile(const std::string&) {}

void ScreenHooks::GiveBackProfile(const std::string&, bool) {}

bool ScreenHooks::RequirementsIgnored()
{
    return false;
}

void ScreenHooks::SetRequirementsIgnored(bool) {}

void ScreenHooks::StartReplayMission(const ReplayHeader&) {}

void ScreenHooks::SayAboutReplay(const std::string&) {}

void ScreenHooks::ShowReplayList() {}
