// How an agent takes a hit, whom it credits with a kill, the bot experience and levels kills
// bring, and what an agent leaves behind when it dies.
#include "world/Agent.h"

#include "campaign/PlayerProfile.h"
#include "host/Random.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Scene.h"
#include "platform/SoundManager.h"
#include "platform/Timer.h"
#include "terrain/Minimap.h"
#include "terrain/MinimapPings.h"
#include "world/AgentCombat.h"
#include "world/Effects.h"
#include "world/Grid.h"
#include "world/Item.h"
#include "world/ItemCatalog.h"
#include "world/ProjectileSystem.h"
#include "world/WeaponDef.h"
#include "world/WorldQueries.h"

#include <cstdio>

int LastUnderAttackAlertFrame = -UNDER_ATTACK_ALERT_TICKS - 1;
int LastPullBackAlertFrame = -PULL_BACK_ALERT_TICKS - 1;

const char* const LootCrateNames[LOOT_CRATE_COUNT] = {
    "ore_crate",         "fuel_container",         "credits_crate",          "bot_experience",
    "health_cannister",  "shield_cannister",       "detector_crate",         "mine_crate",
    "freeze_crate",      "large_health_cannister", "large_shield_cannister", "cloak_cannister",
    "enrichment_cannister",
};

namespace {

constexpr int MAX_BOT_EXPERIENCE = 8200;
constexpr int MAX_BOT_LEVEL = 10;
// The research programs whose computers sharpen the player's bots.
constexpr int RESEARCH_EXPERIENCE = 3;
constexpr int RESEARCH_CRITICAL_HITS = 5;

// A hit bounced back by a reflecting item is never bounced again: two reflecting agents would
// otherwise trade the same hit back and forth without end.
bool InReflectedHit = false;

// A roll of 1..sides.
int Roll(int sides)
{
    return Rand() % sides + 1;
}

void FloatText(const char* text, const Vec3& at)
{
    if (TheCombatHooks) TheCombatHooks->FloatText(text, at);
}

void CountStatistic(const char* name)
{
    if (TheCombatHooks) TheCombatHooks->CountStatistic(name);
}

void RaiseStatistic(const char* name, int value)
{
    if (TheCombatHooks) TheCombatHooks->RaiseStatistic(name, value);
}

void PlaySound(const char* name)
{
    if (SoundMgr) SoundMgr->PlaySound(name);
}

// A system at a point, or following an entity at an offset from it; run once when timed.
ParticleSystem* SpawnParticles(const char* name, const Vec3& at, Entity* owner, bool once)
{
    return StartEffect(name, owner, at, once ? (uint32_t)EFFECT_ONCE : 0u);
}

// The kill factor: a victim that hit harder than its killer is worth more.
float KillFactor(float killerDamage, float victimDamage)
{
    float k = killerDamage, v = victimDamage;
    if (v > 1.5f * k) return 1.5f;
    if (v > k) return 1.25f;
    if (v == k) return 1.0f;
    if (k <= 1.5f * v) return 0.75f;
    return 0.5f;
}

// A boss's loot: a random item three times in four, else a crate (the better crates only for
// a player of level 4 or more). Placed over the middle of the boss's cell.
void DropLoot(Agent* boss)
{
    Item* item = nullptr;
    if (Rand() % 4 != 0) {
        item = TheCombatHooks ? TheCombatHooks->RollItemDrop() : nullptr;
        if (item) item->itemFlags |= ITEM_FLAG_ROLLED;
    } else {
        int level = TheCombatHooks ? TheCombatHooks->PlayerLevel() : 0;
        int choices = level < 4 ? LOW_LEVEL_CRATES : LOOT_CRATE_COUNT;
        item = CreateItemByName(LootCrateNames[Rand() % choices]);
    }
    if (!item) return;
    float lift = 0.1f;
    if (item->kind == ITEM_KIND_UPGRADE || item->kind == ITEM_KIND_WEAPON) {
        item->scale = 2.0f;
        lift = 1.0f;
    }
    Vec3 at = boss->GetPosition();
    const Grid* grid = CurrentGrid();
    int column = -1, row = -1;
    if (grid && grid->WorldToCell(at, &column, &row)) {
        Vec3 corner = grid->CellToWorld(column, row);
        at.x = corner.x + 0.5f * grid->cellSize;
        at.z = corner.z + 0.5f * grid->cellSize;
    }
    at.y += lift;
    item->SetPosition(at);
    item->flags &= ~ENTITY_PLACED;
    if (!TheScene.AddEntity(item)) {
        delete item;
        return;
    }
    PlaySound("itemdrop");
    SpawnParticles("loot", Vec3(0.0f, 1.0f, 0.0f), item, false);
}

}  // namespace

void TellPlayer(const char* text, float seconds)
{
    if (TheCombatHooks) TheCombatHooks->TellPlayer(text, seconds);
}

int Agent::ExperienceForLevel(int level)
{
    if (level <= 0) return 0;
    if (level > MAX_BOT_LEVEL) level = MAX_BOT_LEVEL;
    return ((level - 2) * level + 2) * 100;
}

int Agent::LevelForExperience(int experience)
{
    int level = 0;
    while (level < MAX_BOT_LEVEL && experience >= ExperienceForLevel(level + 1)) ++level;
    return level;
}

void Agent::TakeDamage(float amount, Entity* attacker, const WeaponDef* weapon_, int damageType, bool hit)
{
    if (weapon_) damageType = weapon_->type;
    if (damageType != WEAPON_NONE) amount *= DamageTypeFactor(damageType, composition, true);
    if ((flags & ENTITY_PLAYER) && TheCombatHooks) amount *= 1.0f - 0.1f * (float)TheCombatHooks->ArmourSkill();
    if (upgradeFlags & BU_ARMOR_3)
        amount *= 0.7f;
    else if (upgradeFlags & BU_ARMOR_2)
        amount *= 0.8f;
    else if (upgradeFlags & BU_ARMOR_1)
        amount *= 0.9f;

    // Every item has its say before an evasion counts: a reflecting item bounces the hit even
    // when another lets the agent dodge it.
    bool evaded = false;
    if (attacker && equipment) {
        for (int slot = 0; slot < equipmentCount; ++slot) {
            const Item* item = equipment[slot].item;
            if (!item) continue;
            uint32_t specials = item->specialFlags;
            if (specials & ITEM_SPECIAL_CHANCE_TO_EVADE_2) {
                if (Roll(10) <= 2) evaded = true;
            } else if (specials & ITEM_SPECIAL_CHANCE_TO_EVADE_1) {
                if (Roll(10) <= 1) evaded = true;
            }
            float share = (specials & ITEM_SPECIAL_REFLECT_DAMAGE_2)   ? 0.2f
                          : (specials & ITEM_SPECIAL_REFLECT_DAMAGE_1) ? 0.1f
                                                                       : 0.0f;
            if (share <= 0.0f || InReflectedHit || !attacker->IsAlive()) continue;
            InReflectedHit = true;
            attacker->TakeDamage(amount * share, this, nullptr, WEAPON_NONE, true);
            InReflectedHit = false;
            if (attacker->health <= 0.0f) {
                attacker->Die(this);
                AddKill(attacker);
            }
        }
    }
    if (evaded) {
        FloatText("Miss", GetCenter());
        return;
    }

    const Item* mounted = attacker && weapon_ ? weapon_->owner : nullptr;
    if (mounted) {
        uint32_t specials = mounted->specialFlags;
        if (hit) {
            if ((specials & ITEM_SPECIAL_SHIELD_DRAIN_2) ? Roll(10) <= 2
                                                         : (specials & ITEM_SPECIAL_SHIELD_DRAIN_1) && Roll(10) <= 1) {
                shield -= 0.5f * maxShield;
                if (shield < 0.0f) shield = 0.0f;
            }
            if (specials & ITEM_SPECIAL_FREEZE_2) {
                if (Roll(10) <= 2) freezeTime = 10.0f;
            } else if ((specials & ITEM_SPECIAL_FREEZE_1) && Roll(10) <= 1) {
                freezeTime = 5.0f;
            }
        }
        float siphon = (specials & ITEM_SPECIAL_SIPHON_DAMAGE_2)   ? 0.3f
                       : (specials & ITEM_SPECIAL_SIPHON_DAMAGE_1) ? 0.2f
                                                                   : 0.0f;
        if (siphon > 0.0f) {
            float healed = attacker->health + siphon * amount;
            float most = attacker->GetMaxHealth();
            attacker->health = healed < most ? healed : most;
        }
    }

    if (hit && attacker && attacker->alignment == ALIGN_PLAYER && !(attacker->flags & ENTITY_PLAYER)) {
        int chance = GetBestResearchLevel(RESEARCH_CRITICAL_HITS);
        if (chance > 0 && Roll(20) <= chance) {
            float bonus = 0.5f * GetMaxHealth();
            amount += bonus;
            char text[64];
            snprintf(text, sizeof text, "Critical %.0f", bonus);
            FloatText(text, GetCenter());
        }
    }

    if ((damageType == WEAPON_FLAME && HasEquippedSpecial(ITEM_SPECIAL_RESIST_FIRE_1)) ||
        (damageType == WEAPON_ACID && HasEquippedSpecial(ITEM_SPECIAL_RESIST_ACID_1)))
        amount *= 0.5f;

    Entity::TakeDamage(amount, attacker, weapon_, damageType, hit);

    // One alert now and then, for a unit the player cannot see being hurt.
    int frame = WorldStepCount();
    if (alignment == ALIGN_PLAYER && !visible &&
        (frame - LastUnderAttackAlertFrame > UNDER_ATTACK_ALERT_TICKS || frame < LastUnderAttackAlertFrame)) {
        LastUnderAttackAlertFrame = frame;
        TellPlayer("A unit is under attack!", 4.0f);
        TheMinimap.pings.Add(GetCenter(), PING_DAMAGE, (int)id, 2.0f, FrameTimer.GetFrameCount());
        PlaySound("alert");
    }
    // A rig that stays among foes it cannot beat falls in seconds, and the hull bar is easy to
    // miss in a fight: the pilot is told to pull back while there is hull left to do it.
    if ((flags & ENTITY_PLAYER) && attacker && attacker->alignment == ALIGN_ENEMY && health > 0.0f &&
        health < PULL_BACK_HULL_SHARE * GetMaxHealth() &&
        (frame - LastPullBackAlertFrame > PULL_BACK_ALERT_TICKS || frame < LastPullBackAlertFrame)) {
        LastPullBackAlertFrame = frame;
        TellPlayer(PULL_BACK_MESSAGE, 6.0f);
        TheMinimap.pings.Add(GetCenter(), PING_DAMAGE, (int)id, 2.0f, FrameTimer.GetFrameCount());
        PlaySound("alert");
    }

    // A unit of the computer's standing idle turns on whoever shot it.
    if (attacker && alignment != ALIGN_PLAYER && IsAlive() && health > 0.0f && !target.Get() && !HasStanceBits())
        MoveTo(attacker->GetPosition(), true);

    // The enemy remembers whoever hits it; a bot that hunts the enemy (the rig among them)
    // remembers the enemies that hit it, their gun towers too, so that it answers them first.
    const bool hunter = brainKind == BRAIN_ATTACKBOT && attacker && attacker->alignment == ALIGN_ENEMY;
    const bool unit = attacker && (attacker->flags & ENTITY_AGENT) &&
                      !(static_cast<Agent*>(attacker)->classWord & AGENT_CLOAKED);
    const bool tower = hunter && (attacker->flags & ENTITY_BUILDING);
    if ((unit && (alignment == ALIGN_ENEMY || hunter)) || tower) AddThreat(attacker, amount);
}

void Agent::AddKill(Entity* victim)
{
    const bool enemyAgent = victim && victim->alignment == ALIGN_ENEMY && (victim->flags & ENTITY_AGENT);
    // The rig's tally on its panel is the one the results call its kills: the enemies it brought
    // down. A tent or a barrel it razes counts there no more than it does in the results.
    if (!(flags & ENTITY_PLAYER) || enemyAgent) Entity::AddKill(victim);
    if (!victim) return;
    if (enemyAgent) {
        if (flags & ENTITY_PLAYER) {
            CountStatistic(STAT_RIG_KILLS);
        } else if (alignment == ALIGN_PLAYER) {
            RaiseStatistic(STAT_HIGHEST_BOT_KILLS, kills);
            CountStatistic(IsAirUnit() ? STAT_AIR_KILLS : STAT_GROUND_BOT_KILLS);
        }
        if (classWord & AGENT_CLOAKED) CountStatistic(STAT_CLOAKED_KILLS);
    }

    if (alignment != ALIGN_PLAYER || !(classWord & AGENT_CLASS_LEVELLING) || victim->alignment != ALIGN_ENEMY)
        return;
    const bool victimAgent = (victim->flags & ENTITY_AGENT) != 0;
    if (!victimAgent && victim->damage <= 0.0f) return;
    float base = (float)(75 + (int)(victim->GetMaxHealth() / 4.0f));
    float factor = 1.0f + 0.5f * (float)GetBestResearchLevel(RESEARCH_EXPERIENCE);
    if (victim->flags & ENTITY_SHIELD) factor *= 1.5f;
    if (victimAgent) factor *= KillFactor(GetDamage(weapon), victim->GetDamage(victim->weapon));
    AddExperience((int)(base * factor));
}

void Agent::AddExperience(int amount)
{
    if (botExperience >= MAX_BOT_EXPERIENCE) {
        botExperience = MAX_BOT_EXPERIENCE;
        return;
    }
    botExperience += amount;
    char text[32];
    snprintf(text, sizeof text, "+%d exp", amount);
    FloatText(text, GetCenter());
    if (botExperience > MAX_BOT_EXPERIENCE) botExperience = MAX_BOT_EXPERIENCE;

    int level = LevelForExperience(botExperience);
    int gained = level - botLevel;
    botLevel = level;
    if (gained <= 0) return;
    // The base maximum grows; the bonuses of items and upgrades are reckoned on top of it, so
    // they are never compounded into the base.
    SetMaxHealth(maxHealth * (1.0f + 0.1f * (float)gained));
    SetHealth(GetMaxHealth());
    SpawnParticles("levelup", GetCenter(), nullptr, true);
    PlaySound("levelup");
    RaiseStatistic(STAT_HIGHEST_BOT_LEVEL, level);
}

void Agent::Die(Entity* killer)
{
    // Shots, status effects and reflections may all finish the same agent in one frame.
    if (HasDied()) return;
    flags |= ENTITY_DEAD;
    Entity::Die(killer);
    // A unit killed at its work leaves no beam behind, nor its hum.
    EndOwnedEffects();

    if (alignment == ALIGN_ENEMY) CountStatistic(STAT_ENEMIES_KILLED);
    if (alignment == ALIGN_PLAYER) CountStatistic(STAT_UNITS_LOST);
    if (brainKind == BRAIN_CREATURE) CountStatistic(STAT_CREATURES_KILLED);

    // Without a listener the pieces go straight to the level's debris field.
    static CombatHooks plainHooks;
    CombatHooks& hooks = TheCombatHooks ? *TheCombatHooks : plainHooks;
    int kind = composition == COMPOSITION_BIOLOGICAL      ? DEBRIS_BIOLOGICAL
               : composition == COMPOSITION_BIOMECHANICAL ? DEBRIS_BIOMECHANICAL
                                                          : DEBRIS_MECHANICAL;
    Vec3 centre = GetCenter();
    // The pieces are made to the measure of a building's (thrown at size 4): a unit's are sized
    // by a quarter of its footprint, so what it leaves is smaller than what fell, never a heap
    // of chunks each as big as the unit.
    const float pieceSize = size * 0.25f;
    if (alignment == ALIGN_PLAYER && !IsAirUnit() && !(classWord & AGENT_CLASS_HEAVY)) {
        if (classWord & AGENT_CLASS_MINER) {
            hooks.ThrowDebris(centre, DEBRIS_MINER, true, pieceSize);
        } else {
            hooks.ThrowDebris(centre, DEBRIS_BOT, true, pieceSize);
            hooks.ThrowDebris(centre, kind, false, pieceSize);
        }
    } else {
        hooks.ThrowDebris(centre, kind, false, pieceSize);
    }

    if (alignment == ALIGN_ENEMY && (classWord & AGENT_CLASS_BOSS_DROPS_ITEM)) DropLoot(this);
}

// The world's own answers: the profile is the campaign's plain data and the debris field is the
// level's, so both are answered here whatever shows them; what only a screen shows (floating
// texts, the message bar, the upgrade panel) is left to the interface's answers.
namespace {
CombatHooks WorldCombatAnswers;
}  // namespace

CombatHooks* TheCombatHooks = &WorldCombatAnswers;

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

void CombatHooks::FloatText(const char*, const Vec3&) {}

void CombatHooks::TellPlayer(const char*, float) {}

void CombatHooks::ThrowDebris(const Vec3& at, int kind, bool allPieces, float size)
{
    if (TheProjectiles && TheProjectiles->debris) TheProjectiles->debris->Spawn(kind, at, size, allPieces);
}

void CombatHooks::UnitTakenIn(Building*) {}
