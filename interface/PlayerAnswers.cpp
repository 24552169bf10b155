// The player's answers to what the world asks of the player's side: the message bar, the
// floating texts over the level, the upgrade panel and the HUD's Scan button; and to what the
// level's machinery asks of the player's side (ScreenHooks): the windows of a mission's
// messages, its failure and its end, the hold of a modal window, the keys' commands for the bag,
// the terrain editor and the debug tools, the mouse's orders, the screens that show what the
// orders changed (the bag's hand, the rig's skills, the upgrade panel, the build buttons), the
// galaxy's screen when a profile is taken, and a replay's mission through the front end, its
// word and its list. What the world answers for itself (the profile, the bag, the galaxy's
// bodies, the debris field, the loot roll, the current mission) stays its own. The shell
// installs these at start-up; tests may put listeners in their place.
#include "interface/PlayerAnswers.h"

#include "campaign/Galaxy.h"
#include "campaign/LevelLoadSave.h"
#include "campaign/MissionScreen.h"
#include "campaign/PlayerProfile.h"
#include "gui/Button.h"
#include "gui/GuiDraw.h"
#include "gui/MessageDialogGui.h"
#include "gui/WindowManager.h"
#include "host/Log.h"
#include "host/System.h"
#include "interface/CharacterGui.h"
#include "interface/InGameMenu.h"
#include "interface/Inventory.h"
#include "interface/MessageLists.h"
#include "interface/MessageWindow.h"
#include "interface/MissionHud.h"
#include "interface/ObjectivesPanel.h"
#include "interface/ResultsScreen.h"
#include "interface/SceneOverlays.h"
#include "interface/UnitUpgrade.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/MissionStart.h"
#include "mechanics/ReplayFile.h"
#include "mechanics/ScreenHooks.h"
#include "render/Font.h"
#include "render/Sprite.h"
#include "terrain/ScanPulses.h"
#include "tools/TerrainEditor.h"
#include "world/AgentCombat.h"
#include "world/Building.h"
#include "world/Item.h"

#include <cstdio>

namespace {

class PlayerCombatAnswers final : public CombatHooks {
public:
    void FloatText(const char* text, const Vec3& at) override;
    void TellPlayer(const char* text, float seconds) override;
    void UnitTakenIn(Building* upgrader) override;
};

class PlayerScreenAnswers final : public ScreenHooks {
public:
    bool WindowHoldsGame() override;
    void ShowMissionFailed() override;
    bool MissionFailedShown() override;
    bool ShowMissionMessage(const char* giver, const char* text, bool offerEnd) override;
    void ClearPopups() override;
    void EndMission(bool giveUp) override;
    void SceneReleased() override;
    void ShowObjectives(bool show) override;
    void ProfileTaken(bool fromSave) override;
    void AchievementAwarded(const char* line, int n) override;
    void AgentSelected(Agent* agent, bool selected) override;
    void BuildingSelected(Building* building, bool selected) override;
    void ToggleInventory() override;
    void UndoTerrainEdit(bool redo) override;
    void ToggleDebugTools() override;
    void HandleMouseOrders(GameMechanics& game, float dt) override;
    void HoldBagSlot(int slot) override;
    void SkillsChanged() override;
    void RefreshUpgrade(Building* upgrader) override;
    void BuildQueueChanged(Building* factory) override;
    void NameReplayMission(ReplayHeader& header) override;
    void GiveBackProfile(const std::string& name, bool loaded) override;
    void StartReplayMission(const ReplayHeader& header) override;
    void SayAboutReplay(const std::string& text) override;
    void ShowReplayList() override;
};

class PlayerScanAnswers final : public ScanHooks {
public:
    void ScanStarted() override;
    void ShowScanWait(float wait) override;
};

PlayerCombatAnswers CombatAnswers;
PlayerScreenAnswers ScreenAnswers;
PlayerScanAnswers ScanAnswers;

// What was in use before the answers went in, put back when they go.
CombatHooks* CombatBefore = nullptr;
ScreenHooks* ScreenBefore = nullptr;
ScanHooks* ScanBefore = nullptr;
bool Installed = false;

// The Scan button's faces on the command icons' sheet, and its tint while it waits.
const char* const SCAN_ICONS = "data/gui/commandicons.dds";
constexpr int SCAN_ICON_WAITING = 0x04020201;
constexpr int SCAN_ICON_READY = 0x04020301;
constexpr uint32_t SCAN_WAITING_TINT = 0xFF585858;
}  // namespace

void InstallPlayerAnswers()
{
    if (Installed) return;
    CombatBefore = TheCombatHooks;
    ScreenBefore = TheScreenHooks;
    ScanBefore = TheScanHooks;
    TheCombatHooks = &CombatAnswers;
    TheScreenHooks = &ScreenAnswers;
    TheScanHooks = &ScanAnswers;
    Installed = true;
}

void RemovePlayerAnswers()
{
    if (!Installed) return;
    TheCombatHooks = CombatBefore;
    TheScreenHooks = ScreenBefore;
    TheScanHooks = ScanBefore;
    Installed = false;
}

void PlayerCombatAnswers::TellPlayer(const char* text, float seconds)
{
    if (TheGame && TheGame->messageBar) TheGame->messageBar->AddMessage(text, seconds, 0);
}

void PlayerCombatAnswers::FloatText(const char* text, const Vec3& at)
{
    if (TheGame && TheGame->floatingTexts) TheGame->floatingTexts->Add(text, at.x, at.y, at.z);
}

void PlayerCombatAnswers::UnitTakenIn(Building* upgrader)
{
    UpgradePanel::ShowChoices(upgrader);
}

bool PlayerScreenAnswers::WindowHoldsGame()
{
    return WindowMgr && WindowMgr->modal;
}

void PlayerScreenAnswers::ShowMissionFailed()
{
    if (TheInGameMenu && !TheInGameMenu->failedShown) TheInGameMenu->SetFailedVisible(true);
}

bool PlayerScreenAnswers::MissionFailedShown()
{
    return TheInGameMenu && TheInGameMenu->failedShown;
}

bool PlayerScreenAnswers::ShowMissionMessage(const char* giver, const char* text, bool offerEnd)
{
    if (!TheMessageWindow) return false;
    TheMessageWindow->SetGiver(giver);
    TheMessageWindow->SetText(text);
    TheMessageWindow->Show(true, offerEnd);
    return true;
}

void PlayerScreenAnswers::ClearPopups()
{
    if (TheGame && TheGame->popups) TheGame->popups->Clear();
}

void PlayerScreenAnswers::EndMission(bool giveUp)
{
    ::EndMission(giveUp);
}

void PlayerScreenAnswers::SceneReleased()
{
    Overlays.Forget();
}

void PlayerScreenAnswers::ShowObjectives(bool show)
{
    ShowObjectivesPanel(show);
}

void PlayerScreenAnswers::ProfileTaken(bool fromSave)
{
    if (PlayerInventory) PlayerInventory->UpdateSlotHighlights();
    // A galaxy laid out for another profile's seed is not this player's.
    if (TheGalaxy && (fromSave || (TheGalaxy->count > 0 && TheGalaxy->seed != GetPlayerProfile()->galaxySeed)))
        TheGalaxy->Reset();
}

void PlayerScreenAnswers::AchievementAwarded(const char* line, int n)
{
    if (TheGame && TheGame->popups) TheGame->popups->Add(line, 4.0f, 0, n);
    GuiPlaySound("message");
}

void PlayerScreenAnswers::AgentSelected(Agent* agent, bool selected)
{
    ShowAgentSelected(agent, selected);
}

void PlayerScreenAnswers::BuildingSelected(Building* building, bool selected)
{
    ShowBuildingSelected(building, selected);
}

void PlayerScreenAnswers::ToggleInventory()
{
    CmdToggleInventory();
}

// Without an editor there is nothing to undo.
void PlayerScreenAnswers::UndoTerrainEdit(bool redo)
{
    if (!TheTerrainEditor) return;
    if (redo)
        TheTerrainEditor->OnRedoKey();
    else
        TheTerrainEditor->OnUndoKey();
}

void PlayerScreenAnswers::ToggleDebugTools()
{
    CmdDebugTest();
}

void PlayerScanAnswers::ScanStarted()
{
    if (HudScanButton) HudScanButton->SetIcon(SCAN_ICONS, SCAN_ICONS, SCAN_ICON_WAITING, SCAN_ICON_WAITING);
}

void PlayerScanAnswers::ShowScanWait(float wait)
{
    if (!HudScanButton) return;
    if (wait > 0.0f) {
        char text[32];
        snprintf(text, sizeof text, "Scan(%d)", (int)wait);
        HudScanButton->SetIcon(SCAN_ICONS, SCAN_ICONS, SCAN_ICON_WAITING, SCAN_ICON_WAITING);
        HudScanButton->SetText(text);
    } else {
        HudScanButton->SetIcon(SCAN_ICONS, SCAN_ICONS, SCAN_ICON_READY, SCAN_ICON_READY);
        HudScanButton->SetText("Scan");
    }
    // While the scanner recharges its ring is dimmed and the countdown written over it is set
    // off by a shadow, so that it reads; the button also looks as idle as it is.
    // (Only the button's own font: the shared default font is not the button's to change.)
    if (HudScanButton->style && HudScanButton->style != GuiDefaultFont) HudScanButton->style->SetShadow(wait > 0.0f);
    const uint32_t tint = wait > 0.0f ? SCAN_WAITING_TINT : 0xFFFFFFFF;
    for (Sprite* face : {HudScanButton->pressedSprite, HudScanButton->unpressedSprite})
        if (face) face->SetColor(tint);
}

void PlayerScreenAnswers::HandleMouseOrders(GameMechanics& game, float dt)
{
    game.HandleMouseOrders(dt);
}

void PlayerScreenAnswers::HoldBagSlot(int slot)
{
    if (PlayerInventory) PlayerInventory->Hold(slot, 0);
}

void PlayerScreenAnswers::SkillsChanged()
{
    if (TheCharacterGui) TheCharacterGui->UpdateSkillBars();
}

void PlayerScreenAnswers::RefreshUpgrade(Building* upgrader)
{
    UpgradePanel::Refresh(upgrader);
}

void PlayerScreenAnswers::BuildQueueChanged(Building* factory)
{
    factory->UpdateBuildButtons();
}

void PlayerScreenAnswers::NameReplayMission(ReplayHeader& h)
{
    const MissionRecord* mission = MissionScreen::GetCurrentMission();
    const CelestialBody* body = TheGalaxy ? TheGalaxy->selectedBody : nullptr;
    if (mission && body) {
        h.missionKind = REPLAY_GALAXY_BODY;
        h.missionId = body->missionId;
        // The mission, and the world it is played on.
        h.missionName = MissionTitle(body);
        if (h.missionName.empty()) h.missionName = body->name;
        else if (body->name[0]) h.missionName += std::string(", ") + body->name;
    } else if (mission && !MissionScreen::scratchActive) {
        h.missionKind = REPLAY_STORY;
        h.missionId = MissionScreen::selectedIndex;
        h.missionName = mission->name;
    }
}

void PlayerScreenAnswers::GiveBackProfile(const std::string& name, bool loaded)
{
    ScreenHooks::GiveBackProfile(name, loaded);
    PlayerProfile* profile = GetPlayerProfile();
    if (TheGalaxy) {
        TheGalaxy->Reset();
        profile->galaxySeed = TheGalaxy->Generate(profile->galaxySeed);
    }
}

void PlayerScreenAnswers::StartReplayMission(const ReplayHeader& h)
{
    if (h.missionKind == REPLAY_GALAXY_BODY && TheGalaxy) {
        CelestialBody* body = SelectReplayBody(h);
        if (body && TheGalaxy->StartSelectedMission(h.restore == 0)) return;
        Log("WARNING: the replay's mission %d is not in its galaxy\n", (int)h.missionId);
    }
    if (TheGalaxy) TheGalaxy->selectedBody = nullptr;
    MissionScreen::scratchActive = false;
    MissionScreen::selectedIndex = h.missionKind == REPLAY_STORY ? h.missionId : -1;
    MissionScreen::StartMission(h.seed, h.restore);
}

void PlayerScreenAnswers::SayAboutReplay(const std::string& text)
{
    if (!TheMessageDialog) return;
    TheMessageDialog->SetText(text.c_str());
    TheMessageDialog->SetVisible(true);
}

void PlayerScreenAnswers::ShowReplayList()
{
    CloseAllGameWindows();
    ShowReplays(nullptr, nullptr);
}
