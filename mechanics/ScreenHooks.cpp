// The level's own answers to what it asks of the player's side: those of a game with no screens
// (a replay's verification, a test of the world). The mission is the catalogue's current one;
// there is no galaxy, no window to hold the game or show a message, and no bag.
#include "mechanics/ScreenHooks.h"

#include "campaign/MissionCatalogue.h"
#include "campaign/PlayerProfile.h"
#include "mechanics/MissionStart.h"

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

void ScreenHooks::ProfileTaken(bool) {}

void ScreenHooks::AchievementAwarded(const char*, int) {}

bool ScreenHooks::StoryMissionId(int, int*)
{
    return false;
}

void ScreenHooks::AgentSelected(Agent*, bool) {}

void ScreenHooks::BuildingSelected(Building*, bool) {}

void ScreenHooks::ToggleInventory() {}

void ScreenHooks::UndoTerrainEdit(bool) {}

void ScreenHooks::ToggleDebugTools() {}

void ScreenHooks::HandleMouseOrders(GameMechanics&, float) {}

void ScreenHooks::HoldBagSlot(int) {}

void ScreenHooks::SkillsChanged() {}

void ScreenHooks::RefreshUpgrade(Building*) {}

void ScreenHooks::BuildQueueChanged(Building*) {}

void ScreenHooks::NameReplayMission(ReplayHeader&) {}

void ScreenHooks::TakeReplayProfile(const std::string& text)
{
    ProfileReading reading;
    reading.Take(text, "the replay's profile");
    GetPlayerProfile()->Load(reading, true, true);
}

void ScreenHooks::GiveBackProfile(const std::string& name, bool loaded)
{
    PlayerProfile* profile = GetPlayerProfile();
    if (!loaded || !profile->LoadByName(name.c_str())) profile->TakeNewPlayerStart();
}

bool ScreenHooks::RequirementsIgnored()
{
    return false;
}

void ScreenHooks::SetRequirementsIgnored(bool) {}

void ScreenHooks::StartReplayMission(const ReplayHeader& header)
{
    StartNamedMission(header);
}

void ScreenHooks::SayAboutReplay(const std::string&) {}

void ScreenHooks::ShowReplayList() {}
