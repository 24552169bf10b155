#include "world/Item.h"

#include "host/System.h"
#include "platform/StringTable.h"
#include "world/WeaponDef.h"

#include <cstdlib>

Item::Item()
{
    flags |= ENTITY_ITEM;
    CopyText(iconPath, sizeof iconPath, "data/gui/black.dds");
    CopyText(meshPath, sizeof meshPath, "none");
    CopyText(soundName, sizeof soundName, "blip");
    longDescription = GameText("<none>");
    shortDescription = GameText("<none>");
    itemFlags = 0;
    upgradeFlags = 0;
    specialFlags = 0;
    reserved = 0;
    kind = ITEM_KIND_PICKUP;
    action = 0;
    actionValue = 0;
    salvageIdleTime = 0.0f;
    // The icon picture is looked up when the catalogue names one.
    iconTexture = nullptr;
    iconCell = -1;
    stackCount = 1;
    for (float& value : bonus) value = 0.0f;
    price = 100;
    buyLevel = 1;
    CopyText(buyRequirement, sizeof buyRequirement, "none");
    achievement = -1;
    rarity = 1.0f;
    CopyText(buildRequirement, sizeof buildRequirement, "none");
    buildEnergy = 100;
    CopyText(patternName, sizeof patternName, "none");
    for (uint32_t& word : reservedWords) word = 0;
}

Item::~Item()
{
    free(ownedBlock_);
}

void Item::AdoptBlock(void* block)
{
    if (block == ownedBlock_) return;
    free(ownedBlock_);
    ownedBlock_ = block;
}

const char* Item::GetActionName() const
{
    static const char* const names[] = {"Pickup", "Action",  "Trigger", "Breakable", "Unit",
                                        "Building", "Upgrade", "Weapon", "Engine",    "Storage"};
    return kind >= 0 && kind < (int)(sizeof names / sizeof names[0]) ? names[kind] : "";
}

float Item::GetDamageBonus(const WeaponDef* weapon) const
{
    if (!weapon) return 0.0f;
    // The damage upgrade that pairs with each weapon type; acid, plasma and pulse have none.
    static const uint32_t upgrades[] = {ITEM_UPGRADE_LASER_DAMAGE,  ITEM_UPGRADE_MISSILE_DAMAGE,
                                        ITEM_UPGRADE_ELECTRIC_DAMAGE, ITEM_UPGRADE_MORTAR_DAMAGE,
                                        ITEM_UPGRADE_MACHINEGUN_DAMAGE, ITEM_UPGRADE_FLAME_DAMAGE};
    if (weapon->type < 0 || weapon->type >= (int)(sizeof upgrades / sizeof upgrades[0])) return 0.0f;
    return (upgradeFlags & upgrades[weapon->type]) ? bonus[ITEM_BONUS_DAMAGE] : 0.0f;
}
