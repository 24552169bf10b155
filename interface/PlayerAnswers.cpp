// The game's own answers to what the world asks of the player's side: the current profile's
// statistics, skills and level, the message bar, the floating texts over the level, the debris
// field, the upgrade panel and the player's bag. They are in use from the program's start;
// tests may put listeners in their place.
#include "campaign/PlayerProfile.h"
#include "interface/Inventory.h"
#include "interface/MessageLists.h"
#include "interface/UnitUpgrade.h"
#include "mechanics/GameMechanics.h"
#include "world/AgentCombat.h"
#include "world/Item.h"
#include "world/ProjectileSystem.h"

namespace {
CombatHooks GameCombatAnswers;
ItemHooks GameItemAnswers;
}  // namespace

CombatHooks* TheCombatHooks = &GameCombatAnswers;
ItemHooks* TheItemHooks = &GameItemAnswers;

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
