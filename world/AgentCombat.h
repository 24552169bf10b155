#pragma once
// What an agent's fights reach beyond the world: the player's record (the statistics it counts,
// the skills and the level it reads), texts floating over the world, the debris of a death and
// the random loot of a boss. Their owners (the profile, the message lists, the projectiles, the
// item rolls) listen here, so the agents fight, level and drop loot without any of them, and the
// fights are tested with a recording listener. No listener (the front end, most tests):
// nothing is counted or shown, the player has no skill points and is of level 0, and no random
// item is ever drawn.
#include "host/Maths.h"

class Building;
class Item;

// Agent::upgradeFlags: the upgrades bought for a bot. Of each tiered upgrade the highest bit
// set counts.
constexpr uint32_t BU_WEAPON_DAMAGE_1 = 0x1;  // damage +10%, +20%, +30%
constexpr uint32_t BU_WEAPON_DAMAGE_2 = 0x2;
constexpr uint32_t BU_WEAPON_DAMAGE_3 = 0x4;
constexpr uint32_t BU_HULL_1 = 0x10;  // maximum health and hull factor +10%, +20%, +30%
constexpr uint32_t BU_HULL_2 = 0x20;
constexpr uint32_t BU_HULL_3 = 0x40;
constexpr uint32_t BU_SPEED = 0x80;  // speed +20%
constexpr uint32_t BU_SHIELDS_1 = 0x100;
constexpr uint32_t BU_SHIELDS_2 = 0x200;
constexpr uint32_t BU_MINING_CAPACITY = 0x400;  // ore capacity x1.5
constexpr uint32_t BU_MINING_LOAD = 0x800;      // mining amount x2
constexpr uint32_t BU_FIRE_DOT = 0x2000;        // shots burn
constexpr uint32_t BU_ACID_DOT = 0x4000;        // shots corrode
constexpr uint32_t BU_ARMOR_1 = 0x8000;  // damage taken -10%, -20%, -30%
constexpr uint32_t BU_ARMOR_2 = 0x10000;
constexpr uint32_t BU_ARMOR_3 = 0x20000;

// The marks of damage over time on an agent's shots.
constexpr uint32_t SHOT_FIRE_DOT = 0x80;
constexpr uint32_t SHOT_ACID_DOT = 0x100;

// "A unit is under attack!" is said at most once in this many of the world's ticks, for all units
// together: ten seconds of play, so a rig hurt on its way home is told of though a fight raised
// the alert a little before.
constexpr int UNDER_ATTACK_ALERT_TICKS = 100;
// The tick of the last alert.
extern int LastUnderAttackAlertFrame;
// The pilot is told to pull the rig back when a foe's hit leaves its hull below this share of
// its most, at most once in this many ticks.
constexpr float PULL_BACK_HULL_SHARE = 0.35f;
constexpr int PULL_BACK_ALERT_TICKS = 200;
constexpr const char* PULL_BACK_MESSAGE = "Your rig's hull is failing: pull it back!";
// The tick of the last call to pull back.
extern int LastPullBackAlertFrame;

// The player's statistics an agent's fights count (the profile file's names).
constexpr const char* STAT_ENEMIES_KILLED = "enemiesKilled";
constexpr const char* STAT_CREATURES_KILLED = "creaturesKilled";
constexpr const char* STAT_UNITS_LOST = "unitsLost";
constexpr const char* STAT_AIR_KILLS = "airKills";
constexpr const char* STAT_RIG_KILLS = "rigKills";
constexpr const char* STAT_GROUND_BOT_KILLS = "groundBotKills";
constexpr const char* STAT_CLOAKED_KILLS = "cloakedKills";
constexpr const char* STAT_HIGHEST_BOT_KILLS = "highestBotKills";
constexpr const char* STAT_HIGHEST_BOT_LEVEL = "highestBotLevel";

// Debris kinds an agent's death throws.
enum DebrisKind : int {
    DEBRIS_BIOLOGICAL = 0,
    DEBRIS_MECHANICAL = 1,
    DEBRIS_BIOMECHANICAL = 2,
    DEBRIS_BOT = 7,    // a fallen bot of the player's
    DEBRIS_MINER = 9,  // a fallen miner of the player's
};

// The player's skills by their place in the profile.
enum PlayerSkillIndex : int {
    PLAYER_SKILL_SPEED = 0,
    PLAYER_SKILL_ARMOUR = 1,
    PLAYER_SKILL_REPAIR = 2,
    PLAYER_SKILL_VISION = 3,
    PLAYER_SKILL_SALVAGE = 4,
    PLAYER_SKILL_RANGE = 5,
};

// What a fight reaches beyond the world: the player's profile (statistics, skills, level), the
// floating texts over the level, the debris field and the loot roll. The world answers what is
// its own (the profile, the debris field, the loot roll: world/AgentCombat.cpp) and stays quiet
// about the rest: no text floats, no line is told, no panel opens. The interface puts the
// player's answers in their place at start-up (interface/PlayerAnswers.cpp); a test listens by
// deriving and installing its own.
class CombatHooks {
public:
    virtual ~CombatHooks() = default;
    // One more of the current profile's statistic of that key.
    virtual void CountStatistic(const char* name);
    // The profile's statistic raised to value when it is below it.
    virtual void RaiseStatistic(const char* name, int value);
    // The player's skill points (0..5).
    virtual int ArmourSkill();
    virtual int SpeedSkill();
    virtual int PlayerLevel();
    // One of the player's six skill values (PLAYER_SKILL_*), 0 for another index.
    virtual int PlayerSkill(int skill);
    // A short text floating up from a world point.
    virtual void FloatText(const char* text, const Vec3& at);
    // A line for the player on the message bar, shown for that many seconds.
    virtual void TellPlayer(const char* text, float seconds);
    // Pieces thrown from a fallen agent into the level's debris field.
    virtual void ThrowDebris(const Vec3& at, int kind, bool allPieces, float size);
    // A random loot item, not placed yet; null when the roll gives none (world/ItemLoot.cpp).
    virtual Item* RollItemDrop();
    // A unit walked into the upgrader: the upgrade panel offers what fits it.
    virtual void UnitTakenIn(Building* upgrader);
};

// The answers in use: the world's quiet ones until the interface or a test puts its own here.
extern CombatHooks* TheCombatHooks;

// What the world tells the player (alerts, refusals, what went wrong) goes out through the
// answers in use: a line on the message bar for that many seconds, where there is one.
void TellPlayer(const char* text, float seconds);

// The loot crates a boss may drop, in their order: a player below level 4 finds only the first
// LOW_LEVEL_CRATES of them.
constexpr int LOOT_CRATE_COUNT = 13;
constexpr int LOW_LEVEL_CRATES = 9;
extern const char* const LootCrateNames[LOOT_CRATE_COUNT];

