// The level's own answers to what it asks of the player's side: those of a game with no screens
// (a replay's verifier, a test of the world). The mission is the catalogue's current one, the
// galaxy's bodies are the galaxy's (when there is one), a lost rig holds the level as the window
// that says so would, and a replay's profile and mission are taken from its header; no window
// shows a message, nothing is shown or drawn.
#include "mechanics/ScreenHooks.h"

#include "campaign/Galaxy.h"
#include "campaign/MissionCatalogue.h"
#include "campaign/PlayerProfile.h"
#include "mechanics/Game.h"
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
    return GetSelectedStoryId();
}

int ScreenHooks::GalaxySeed()
{
    return TheGalaxy ? TheGalaxy->seed : -1;
}

int ScreenHooks::SelectedMissionId()
{
    return TheGalaxy && TheGalaxy->selectedBody ? TheGalaxy->selectedBody->missionId : -1;
}

void ScreenHooks::StampLevel()
{
    if (TheGalaxy) TheGalaxy->CheckLevelStamp();
}

bool ScreenHooks::WindowHoldsGame()
{
    return missionFailed_;
}

void ScreenHooks::ShowMissionFailed()
{
    missionFailed_ = true;
    GamePaused = true;
}

bool ScreenHooks::MissionFailedShown()
{
    return missionFailed_;
}

bool ScreenHooks::ShowMissionMessage(const char*, const char*, bool)
{
    return false;
}

void ScreenHooks::ClearPopups() {}

void ScreenHooks::EndMission(bool) {}

void ScreenHooks::SceneReleased()
{
    missionFailed_ = false;
}

void ScreenHooks::ShowObjectives(bool) {}

void ScreenHooks::ProfileTaken(bool fromSave)
{
    // A galaxy laid out for another profile's seed is not this player's.
    if (TheGalaxy && (fromSave || (TheGalaxy->count > 0 && TheGalaxy->seed != GetPlayerProfile()->galaxySeed)))
        TheGalaxy->ForgetSystems();
}

void ScreenHooks::AchievementAwarded(const char*, int) {}

bool ScreenHooks::StoryMissionId(int storyId, int* missionId)
{
    const CelestialBody* body = TheGalaxy ? TheGalaxy->FindBodyByStoryId(storyId) : nullptr;
    if (!body) return false;
    if (missionId) *missionId = body->missionId;
    return true;
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
    return MissionRequirementsIgnored;
}

void ScreenHooks::SetRequirementsIgnored(bool ignored)
{
    MissionRequirementsIgnored = ignored;
}

void ScreenHooks::StartReplayMission(const ReplayHeader& header)
{
    StartNamedMission(header);
}

void ScreenHooks::SayAboutReplay(const std::string&) {}

void ScreenHooks::ShowReplayList() {}
