// Random loot and what an item is worth: a weighted pick from the item catalogue, the loot roll
// of a defeated enemy, a crate, a salvage or a pickup (weapons with damage tiers, upgrade
// modules with specials, now and then a blueprint), and an item's grade and money value.
#include "world/Item.h"

#include "host/Random.h"
#include "host/System.h"
#include "mechanics/GameMechanics.h"
#include "world/Agent.h"
#include "world/AgentCombat.h"
#include "world/AgentTypeRegistry.h"
#include "world/BuildItem.h"
#include "world/ItemCatalog.h"
#include "world/WeaponDef.h"

#include <algorithm>

namespace {

int PlayerLevel()
{
    return TheCombatHooks ? TheCombatHooks->PlayerLevel() : 0;
}

// The salvage skill, kept to 0..6: the roll divides by 7 - S and 10 - S.
int SalvageSkill()
{
    int skill = TheCombatHooks ? TheCombatHooks->PlayerSkill(PLAYER_SKILL_SALVAGE) : 0;
    return std::max(0, std::min(skill, 6));
}

// The damage upgrade that pairs with each weapon type (0..5).
const uint32_t TypeUpgrades[] = {ITEM_UPGRADE_LASER_DAMAGE,   ITEM_UPGRADE_MISSILE_DAMAGE,
                                 ITEM_UPGRADE_ELECTRIC_DAMAGE, ITEM_UPGRADE_MORTAR_DAMAGE,
                                 ITEM_UPGRADE_MACHINEGUN_DAMAGE, ITEM_UPGRADE_FLAME_DAMAGE};

Item* RollBlueprint()
{
    if (!TheGame) return nullptr;
    const char* pattern = nullptr;
    const char* definition = nullptr;
    int kind = 0, seen = 0;
    if (Rand() % 2 == 0) {
        if (!TheGame->agentTypes) return nullptr;
        for (auto* node = TheGame->agentTypes->types.head; node; node = node->next) {
            AgentType* type = node->value;
            if (!type || type->buyCost <= 0 || !type->prototype || type->prototype->alignment != ALIGN_PLAYER) continue;
            if (Rand() % ++seen == 0) pattern = type->name;
        }
        definition = "unitpattern";
        kind = ITEM_KIND_UNIT;
    } else {
        if (!TheGame->buildItems) return nullptr;
        for (auto* node = TheGame->buildItems->items.head; node; node = node->next) {
            BuildItem* item = node->value;
            if (!item || item->buyCost <= 0 || !item->prototype || item->prototype->alignment != ALIGN_PLAYER) continue;
            if (Rand() % ++seen == 0) pattern = item->name;
        }
        definition = "buildingpattern";
        kind = ITEM_KIND_BUILDING;
    }
    if (!pattern) return nullptr;
    Item* blueprint = CreateItemByName(definition);
    if (!blueprint) return nullptr;
    CopyText(blueprint->patternName, sizeof blueprint->patternName, pattern);
    blueprint->kind = kind;
    return blueprint;
}

}  // namespace

Item* PickRandomWeighted(const PooledList<Item*>& list, int kind, int maximumLevel)
{
    float t = (float)Rand() / 32768.0f;
    int count = 0;
    for (auto* node = list.head; node; node = node->next) {
        const Item* item = node->value;
        if (item && item->kind == kind && item->rarity >= t && !(item->itemFlags & ITEM_FLAG_AI_ONLY) &&
            item->buyLevel <= maximumLevel)
            ++count;
    }
    if (count == 0) return nullptr;
    int chosen = Rand() % count;
    for (auto* node = list.head; node; node = node->next) {
        Item* item = node->value;
        if (item && item->kind == kind && item->rarity >= t && !(item->itemFlags & ITEM_FLAG_AI_ONLY) &&
            item->buyLevel <= maximumLevel && chosen-- == 0)
            return item;
    }
    return nullptr;
}

Item* RollItemDrop()
{
    const ItemList* catalogue = TheGame ? TheGame->items : nullptr;
    if (!catalogue) return nullptr;
    int level = PlayerLevel();
    int skill = SalvageSkill();
    int kind = (Rand() & 1) ? ITEM_KIND_WEAPON : ITEM_KIND_UPGRADE;
    if (level > 1 && Rand() % 12 == 0) return RollBlueprint();
    if (kind == ITEM_KIND_UPGRADE) {
        Item* definition = PickRandomWeighted(catalogue->items, ITEM_KIND_UPGRADE, level + 1);
        Item* module = definition ? CreateItemByName(nullptr, definition) : nullptr;
        if (!module) return nullptr;
        module->itemFlags |= ITEM_FLAG_RANDOM;
        if (Rand() % (10 - skill) + 1 <= 3) {
            if (Rand() % 2 == 0) {
                module->specialFlags |= (Rand() & 1) ? ITEM_SPECIAL_RESIST_ACID_1 : ITEM_SPECIAL_RESIST_FIRE_1;
            } else {
                int s = Rand() & 1;
                if (Rand() % 10 + 1 <= level) s += 2;
                const uint32_t specials[] = {ITEM_SPECIAL_CHANCE_TO_EVADE_1, ITEM_SPECIAL_REFLECT_DAMAGE_1,
                                             ITEM_SPECIAL_CHANCE_TO_EVADE_2, ITEM_SPECIAL_REFLECT_DAMAGE_2};
                module->specialFlags |= specials[s];
            }
        }
        return module;
    }
    Rand();  // one draw made and dropped before the pick
    Item* definition = PickRandomWeighted(catalogue->items, ITEM_KIND_WEAPON, level + 1);
    Item* weapon = definition ? CreateItemByName(nullptr, definition) : nullptr;
    if (!weapon) return nullptr;
    weapon->itemFlags |= ITEM_FLAG_RANDOM;
    int tier = Rand() % 4 - 1;
    if (skill > 0 && Rand() % (7 - skill) + skill != 0) tier = std::min(tier + 1, 2);
    int type = weapon->weapon ? weapon->weapon->type : -1;
    if ((tier == 1 || tier == 2) && type >= 0 && type <= 5) {
        weapon->upgradeFlags |= TypeUpgrades[type];
        weapon->bonus[ITEM_BONUS_DAMAGE] = weapon->weapon->damage * 0.2f * (float)tier;
    }
    if (tier == 2 && Rand() % (10 - skill) + 1 <= 3) {
        int s = Rand() % 3;
        if (Rand() % 10 + 1 <= level) s += 3;
        const uint32_t specials[] = {ITEM_SPECIAL_SHIELD_DRAIN_1, ITEM_SPECIAL_SIPHON_DAMAGE_1, ITEM_SPECIAL_FREEZE_1,
                                     ITEM_SPECIAL_SHIELD_DRAIN_2, ITEM_SPECIAL_SIPHON_DAMAGE_2, ITEM_SPECIAL_FREEZE_2};
        weapon->specialFlags |= specials[s];
    }
    return weapon;
}

int Item::GetState() const
{
    if (specialFlags) return 2;
    if (kind == ITEM_KIND_WEAPON && upgradeFlags && bonus[ITEM_BONUS_DAMAGE] != 0.0f)
        return bonus[ITEM_BONUS_DAMAGE] > 0.0f ? 2 : 0;
    return 1;
}

int Item::GetValue(bool forSale) const
{
    int base = price;
    if (kind == ITEM_KIND_UNIT && TheGame && TheGame->agentTypes) {
        if (const AgentType* type = TheGame->agentTypes->FindType(patternName)) base = type->buyCost;
    } else if (kind == ITEM_KIND_BUILDING && TheGame && TheGame->buildItems) {
        if (const BuildItem* item = TheGame->buildItems->FindByName(patternName)) base = item->buyCost;
    }
    int grade = GetState();
    int value;
    if (kind == ITEM_KIND_UPGRADE)
        value = base / 2;
    else if (grade >= 1)
        value = (base / 4) * (grade - 1) + base / 2;
    else
        value = base / 4;
    if (specialFlags) value += value / 2;
    if (forSale && (itemFlags & ITEM_FLAG_STACKABLE) && stackCount >= 2) value *= stackCount;
    return value;
}

Item* CombatHooks::RollItemDrop()
{
    return ::RollItemDrop();
}
