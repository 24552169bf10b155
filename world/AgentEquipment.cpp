// What an agent carries and how its numbers are made: the eight equipment slots with the side
// effects of shield and hull modules, and the stats that items, bought upgrades and levels
// raise. The attachments themselves live with the agent (Agent.cpp).
#include "world/Agent.h"

#include "campaign/PlayerProfile.h"
#include "mechanics/GameMechanics.h"
#include "platform/ConfigFile.h"
#include "render/IndexedMesh.h"
#include "world/AgentCombat.h"
#include "world/AgentTypeRegistry.h"
#include "world/Item.h"
#include "world/WeaponDef.h"

#include <new>

namespace {

constexpr float BOT_SHIELD = 100.0f;

// The fraction a tiered upgrade adds: the highest tier set counts.
float TierBonus(uint32_t flags, uint32_t tier1, uint32_t tier2, uint32_t tier3)
{
    if (flags & tier3) return 0.3f;
    if (flags & tier2) return 0.2f;
    if (flags & tier1) return 0.1f;
    return 0.0f;
}

bool InFrontEnd()
{
    return TheGame && TheGame->state == GAME_STATE_FRONT_END;
}

}  // namespace

Item* Agent::EquipItem(Item* item, int slot)
{
    // A slot outside the eight would write past the array.
    if (slot < 0 || slot >= AGENT_EQUIPMENT_SLOTS) return nullptr;
    float maximum = GetMaxHealth();
    float ratio = maximum > 0.0f ? health / maximum : 1.0f;
    if (!equipment) {
        equipment = new (std::nothrow) EquipmentSlot[AGENT_EQUIPMENT_SLOTS];
        if (!equipment) return nullptr;
        for (int i = 0; i < AGENT_EQUIPMENT_SLOTS; ++i) equipment[i] = EquipmentSlot{nullptr, i};
        equipmentCount = AGENT_EQUIPMENT_SLOTS;
    }
    Item* previous = equipment[slot].item;
    equipment[slot].item = item;
    if (item && (item->upgradeFlags & ITEM_UPGRADE_SHIELDS)) {
        flags |= ENTITY_SHIELD;
        maxShield = BOT_SHIELD;
        if (InFrontEnd()) shield = BOT_SHIELD;
    }
    if (item && (item->upgradeFlags & ITEM_UPGRADE_HULL)) health = GetMaxHealth() * ratio;
    if (previous && previous != item) {
        if ((previous->upgradeFlags & ITEM_UPGRADE_SHIELDS) && !HasEquippedFlag(ITEM_UPGRADE_SHIELDS))
            flags &= ~ENTITY_SHIELD;
        if (previous->upgradeFlags & ITEM_UPGRADE_HULL) health = GetMaxHealth() * ratio;
    }
    return previous;
}

Item* Agent::UnequipItem(int slot)
{
    if (slot < 0 || slot >= AGENT_EQUIPMENT_SLOTS || !equipment) return nullptr;
    float maximum = GetMaxHealth();
    float ratio = maximum > 0.0f ? health / maximum : 1.0f;
    Item* removed = equipment[slot].item;
    equipment[slot].item = nullptr;
    if (removed) {
        if ((removed->upgradeFlags & ITEM_UPGRADE_SHIELDS) && !HasEquippedFlag(ITEM_UPGRADE_SHIELDS))
            flags &= ~ENTITY_SHIELD;
        if (removed->upgradeFlags & ITEM_UPGRADE_HULL) health = GetMaxHealth() * ratio;
    }
    return removed;
}

Item* Agent::GetEquippedItem(int slot) const
{
    if (slot < 0 || slot >= equipmentCount || !equipment) return nullptr;
    return equipment[slot].item;
}

void Agent::MakeWhole()
{
    health = GetMaxHealth();
    shield = maxShield;
}

bool Agent::HasEquippedFlag(uint32_t mask) const
{
    for (int slot = 0; equipment && slot < equipmentCount; ++slot)
        if (equipment[slot].item && (equipment[slot].item->upgradeFlags & mask)) return true;
    return false;
}

int Agent::GetItemWeapons(const WeaponDef** weapons, int capacity) const
{
    int count = 0;
    auto take = [&](const Entity* item) {
        if (count < capacity && item && (item->flags & ENTITY_ITEM) && item->weapon) weapons[count++] = item->weapon;
    };
    for (int i = 0; attachments && i < attachmentCount; ++i) take(attachments[i].entity);
    for (int slot = 0; equipment && slot < equipmentCount; ++slot) take(equipment[slot].item);
    return count;
}

float Agent::GetDamage(const WeaponDef* weapon_)
{
    float base = weapon_ ? weapon_->GetDamage() : damage;
    float total = base + base * TierBonus(upgradeFlags, BU_WEAPON_DAMAGE_1, BU_WEAPON_DAMAGE_2, BU_WEAPON_DAMAGE_3);
    if (weapon_)
        for (int slot = 0; equipment && slot < equipmentCount; ++slot)
            if (equipment[slot].item) total += equipment[slot].item->GetDamageBonus(weapon_);
    if (TheGame && TheGame->state == GAME_STATE_PLAYING && (classWord & AGENT_CLASS_LEVELLING) && botLevel > 0)
        total += (float)botLevel * 0.1f * base;
    // Bots beyond the player's unit control fight at half strength; the enemy is not the
    // player's to command and never weakened by it, only by the difficulty.
    const PlayerProfile* profile = GetPlayerProfile();
    if (alignment == ALIGN_PLAYER && !(flags & ENTITY_PLAYER) && profile && profile->unitsInUse > profile->unitControl)
        total *= 0.5f;
    if (alignment == ALIGN_ENEMY) total *= EnemyDifficultyScale();
    return total;
}

float Agent::GetDamagePerSecond(const WeaponDef* weapon_)
{
    if (weapon_) return Entity::GetDamagePerSecond(weapon_);
    float hit = GetDamage(nullptr);
    return meleeAttackTime > 0.0f ? hit / meleeAttackTime : hit;
}

float Agent::GetMaxHealth()
{
    float base = maxHealth, total = maxHealth;
    for (int slot = 0; equipment && slot < equipmentCount; ++slot) {
        const Item* item = equipment[slot].item;
        if (item && (item->upgradeFlags & ITEM_UPGRADE_HULL)) total += item->bonus[ITEM_BONUS_HULL] / 100.0f * base;
    }
    return total + base * TierBonus(upgradeFlags, BU_HULL_1, BU_HULL_2, BU_HULL_3);
}

float Agent::GetHullFactor()
{
    float factor = 0.0f;
    for (int slot = 0; equipment && slot < equipmentCount; ++slot) {
        const Item* item = equipment[slot].item;
        if (item && (item->upgradeFlags & ITEM_UPGRADE_HULL)) factor += item->bonus[ITEM_BONUS_HULL];
    }
    return factor + factor * TierBonus(upgradeFlags, BU_HULL_1, BU_HULL_2, BU_HULL_3);
}

float Agent::GetSpeed()
{
    float factor = Config ? Config->unitSpeed : 1.0f;
    float total = factor * speed;
    for (int slot = 0; equipment && slot < equipmentCount; ++slot) {
        const Item* item = equipment[slot].item;
        if (item && (item->upgradeFlags & ITEM_UPGRADE_SPEED)) total += item->bonus[ITEM_BONUS_SPEED] / 100.0f * speed;
    }
    if ((flags & ENTITY_PLAYER) && TheCombatHooks) total += 0.2f * (float)TheCombatHooks->SpeedSkill();
    if (upgradeFlags & BU_SPEED) total *= 1.2f;
    return total;
}

float Agent::GetShieldBonus()
{
    if (!equipment) return 5.0f;
    float recharge = 0.0f;
    for (int slot = 0; slot < equipmentCount; ++slot) {
        const Item* item = equipment[slot].item;
        if (item && (item->upgradeFlags & ITEM_UPGRADE_SHIELDS)) recharge += item->bonus[ITEM_BONUS_SHIELDS];
    }
    return recharge;
}

uint32_t Agent::GetWeaponUpgradeBits(const WeaponDef* weapon_) const
{
    if (weapon_ && equipment) {
        if (equipmentCount < 1) return 0;
        if (weapon_->type != WEAPON_MISSILE && weapon_->type != WEAPON_MORTAR) return 0;
        uint32_t bits = 0;
        if (HasEquippedFlag(ITEM_UPGRADE_DOT_FIRE)) bits |= SHOT_FIRE_DOT;
        if (HasEquippedFlag(ITEM_UPGRADE_DOT_ACID)) bits |= SHOT_ACID_DOT;
        return bits;
    }
    uint32_t bits = 0;
    if (upgradeFlags & BU_FIRE_DOT) bits |= SHOT_FIRE_DOT;
    if (upgradeFlags & BU_ACID_DOT) bits |= SHOT_ACID_DOT;
    return bits;
}

Vec3 Agent::GetFirePoint(int second)
{
    Vec3 position = GetPosition();
    if (!mesh) return position;
    int joint = mesh->FindJoint(second ? "Gun2" : "Gun");
    if (joint >= 0 && joint < (int)mesh->joints.size()) {
        // Joints are in the mesh's mirrored space: x flips on the way into the world.
        const Matrix bone = mesh->JointPoseMatrix(joint);
        Vec3 local(-bone._41, bone._42, bone._43), turned;
        Vec3TransformNormal(&turned, &local, &rotation);
        return position + turned * scale;
    }
    const AgentType* type = agentType;
    Vec3 offset = type ? Vec3(type->shootOffset[0], type->shootOffset[1], type->shootOffset[2]) : Vec3();
    offset.z += 1.2f;
    Matrix turn;
    MatrixRotationY(&turn, DegreesToRadians(yaw));
    Vec3 turned;
    Vec3TransformNormal(&turned, &offset, &turn);
    return GetCenter() + turned;
}
