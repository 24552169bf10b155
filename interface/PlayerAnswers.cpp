// The game's own answers to what the world asks of the player's side: the current profile's
// statistics, skills and level, the message bar, the floating texts over the level, the debris
// field, the upgrade panel, the player's bag and the HUD's Scan button; and to what the level's
// machinery asks of the player's side (ScreenHooks): the mission the front end chose, the windows
// of a mission's messages, its failure and its end, the hold of a modal window, the keys'
// commands for the bag, the terrain editor and the debug tools, and the bag's items. They are in
// use from the program's start; tests may put listeners in their place.
#include "campaign/MissionScreen.h"
#include "campaign/PlayerProfile.h"
#include "gui/Button.h"
#include "gui/GuiDraw.h"
#include "gui/WindowManager.h"
#include "interface/InGameMenu.h"
#include "interface/Inventory.h"
#include "interface/MessageLists.h"
#include "interface/MessageWindow.h"
#include "interface/MissionHud.h"
#include "interface/ResultsScreen.h"
#include "interface/SceneOverlays.h"
#include "interface/UnitUpgrade.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/ScreenHooks.h"
#include "render/Font.h"
#include "render/Sprite.h"
#include "terrain/ScanPulses.h"
#include "tools/TerrainEditor.h"
#include "world/AgentCombat.h"
#include "world/Item.h"
#include "world/ProjectileSystem.h"

#include <cstdio>
#include <iterator>

namespace {
CombatHooks GameCombatAnswers;
ItemHooks GameItemAnswers;
ScreenHooks GameScreenAnswers;
ScanHooks GameScanAnswers;

// The Scan button's faces on the command icons' sheet, and its tint while it waits.
const char* const SCAN_ICONS = "data/gui/commandicons.dds";
constexpr int SCAN_ICON_WAITING = 0x04020201;
constexpr int SCAN_ICON_READY = 0x04020301;
constexpr uint32_t SCAN_WAITING_TINT = 0xFF585858;
}  // namespace

CombatHooks* TheCombatHooks = &GameCombatAnswers;
ItemHooks* TheItemHooks = &GameItemAnswers;
ScreenHooks* TheScreenHooks = &GameScreenAnswers;
ScanHooks* TheScanHooks = &GameScanAnswers;

void CombatHooks::TellPlayer(const char* text, float seconds)
{
    if (TheGame && TheGame->messageBar) TheGame->messageBar->AddMessage(text, seconds, 0);
}

void CombatHooks::CountStatistic(const char* name)
{
    if (int* statistic = GetPlayerProfile()->FindStatistic(name)) ++*statistic;
}

void CombatHooks::RaiseStatistic(const char* name, int value)
{
    int* statistic = GetPlayerProfile()->FindStatistic(name);
    if (statistic && *statistic < value) *statistic = value;
}

int CombatHooks::ArmourSkill()
{
    return PlayerSkill(PLAYER_SKILL_ARMOUR);
}

int CombatHooks::SpeedSkill()
{
    return PlayerSkill(PLAYER_SKILL_SPEED);
}

int CombatHooks::PlayerLevel()
{
    return GetPlayerProfile()->level;
}

int CombatHooks::PlayerSkill(int skill)
{
    if (skill < 0 || skill >= PROFILE_SKILLS) return 0;
    return GetPlayerProfile()->skills[skill];
}

void CombatHooks::FloatText(const char* text, const Vec3& at)
{
    if (TheGame && TheGame->floatingTexts) TheGame->floatingTexts->Add(text, at.x, at.y, at.z);
}

void CombatHooks::UnitTakenIn(Building* upgrader)
{
    UpgradePanel::ShowChoices(upgrader);
}

void CombatHooks::ThrowDebris(const Vec3& at, int kind, bool allPieces, float size)
{
    if (TheProjectiles && TheProjectiles->debris) TheProjectiles->debris->Spawn(kind, at, size, allPieces);
}

bool ItemHooks::IsInventoryFull()
{
    return !PlayerInventory || PlayerInventory->FindFreeSlot(false) < 0;
}

bool ItemHooks::AddToInventory(Item* item, bool merge)
{
    if (!PlayerInventory) return false;
    if (!PlayerInventory->AddItem(item, merge, false, -1)) return false;
    // Not in a slot of its own: its count went into a stack of its kind.
    bool held = false;
    for (const InventorySlot& slot : PlayerInventory->slots) held |= slot.item == item;
    if (!held) item->stackCount = 0;
    return true;
}

MissionRecord* ScreenHooks::CurrentMission()
{
    return MissionScreen::GetCurrentMission();
}

bool ScreenHooks::WindowHoldsGame()
{
    return WindowMgr && WindowMgr->modal;
}

void ScreenHooks::ShowMissionFailed()
{
    if (TheInGameMenu && !TheInGameMenu->failedShown) TheInGameMenu->SetFailedVisible(true);
}

bool ScreenHooks::MissionFailedShown()
{
    return TheInGameMenu && TheInGameMenu->failedShown;
}

bool ScreenHooks::ShowMissionMessage(const char* giver, const char* text, bool offerEnd)
{
    if (!TheMessageWindow) return false;
    TheMessageWindow->SetGiver(giver);
    TheMessageWindow->SetText(text);
    TheMessageWindow->Show(true, offerEnd);
    return true;
}

void ScreenHooks::ClearPopups()
{
    if (TheGame && TheGame->popups) TheGame->popups->Clear();
}

void ScreenHooks::EndMission(bool giveUp)
{
    ::EndMission(giveUp);
}

void ScreenHooks::SceneReleased()
{
    Overlays.Forget();
}

void ScreenHooks::ToggleInventory()
{
    CmdToggleInventory();
}

// Without an editor there is nothing to undo.
void ScreenHooks::UndoTerrainEdit(bool redo)
{
    if (!TheTerrainEditor) return;
    if (redo)
        TheTerrainEditor->OnRedoKey();
    else
        TheTerrainEditor->OnUndoKey();
}

void ScreenHooks::ToggleDebugTools()
{
    CmdDebugTest();
}

Item* ScreenHooks::BagItem(const char* name)
{
    return PlayerInventory ? PlayerInventory->FindItemByName(name) : nullptr;
}

Item* ScreenHooks::QuickSlotItem(int slot)
{
    if (!PlayerInventory || slot < 1 || slot > Inventory::HOTBAR_SLOTS) return nullptr;
    const InventorySlot& held = PlayerInventory->slots[slot - 1];
    return held.kind == 1 ? held.item : nullptr;
}

int ScreenHooks::BagSlotCount()
{
    return PlayerInventory ? (int)std::size(PlayerInventory->slots) : 0;
}

const Item* ScreenHooks::BagSlotItem(int slot)
{
    if (!PlayerInventory || slot < 0 || slot >= (int)std::size(PlayerInventory->slots)) return nullptr;
    return PlayerInventory->slots[slot].item;
}

void ScreenHooks::RefreshBagSlot(Item* item)
{
    if (PlayerInventory) PlayerInventory->RefreshSlot(item);
}

void ScanHooks::ScanStarted()
{
    if (HudScanButton) HudScanButton->SetIcon(SCAN_ICONS, SCAN_ICONS, SCAN_ICON_WAITING, SCAN_ICON_WAITING);
}

void ScanHooks::ShowScanWait(float wait)
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
