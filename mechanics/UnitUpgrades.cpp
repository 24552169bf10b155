#include "mechanics/UnitUpgrades.h"

#include "campaign/PlayerProfile.h"
#include "world/Agent.h"
#include "world/Building.h"
#include "world/WeaponDef.h"

namespace {

// A cell of the 4 x 4 icon sheets.
constexpr int IconCell(int column, int row)
{
    return 4 << 24 | 4 << 16 | column << 8 | row;
}

}  // namespace

UnitUpgrade UnitUpgrades[UNIT_UPGRADE_COUNT] = {
    {"BU_WEAPON_DAMAGE", "data/gui/itemicons.dds", {0x1, 0x2, 0x4}, 3, UPGRADE_FOR_ARMED, 0, IconCell(1, 0)},
    {"BU_HULL", "data/gui/itemicons.dds", {0x10, 0x20, 0x40}, 3, UPGRADE_FOR_ANY, 0, IconCell(1, 1)},
    {"BU_SHIELDS", "data/gui/itemicons.dds", {0x100, 0x200}, 2, UPGRADE_FOR_ANY, 0, IconCell(1, 2)},
    {"BU_FIRE_DOT", "data/gui/itemicons.dds", {0x2000}, 1, UPGRADE_FOR_SHELLS, 0, IconCell(0, 3)},
    {"BU_ACID_DOT", "data/gui/itemicons.dds", {0x4000}, 1, UPGRADE_FOR_SHELLS, 0, IconCell(1, 3)},
    {"BU_MINING_CAPACITY", "data/gui/itemicons_2.dds", {0x400}, 1, UPGRADE_FOR_MINER, 0, IconCell(3, 0)},
    {"BU_MINING_LOAD", "data/gui/itemicons_2.dds", {0x800}, 1, UPGRADE_FOR_MINER, 0, IconCell(2, 0)},
    {"BU_SPEED", "data/gui/itemicons.dds", {0x80}, 1, UPGRADE_FOR_ANY, 0, IconCell(0, 2)},
    {"BU_ARMOR", "data/gui/itemicons.dds", {0x8000, 0x10000, 0x20000}, 3, UPGRADE_FOR_ANY, 0, IconCell(2, 1)},
};

void InitUnitUpgradeTable()
{
    for (UnitUpgrade& entry : UnitUpgrades) entry.chosenLevel = 0;
}

bool UnitUpgrade::AppliesTo(Agent* unit) const
{
    if (!unit) return false;
    const WeaponDef* weapon = unit->weapon;
    switch (requirement) {
    case UPGRADE_FOR_ANY:
        return true;
    case UPGRADE_FOR_ARMED:
        return unit->GetDamage(weapon) > 0.0f;
    case UPGRADE_FOR_MINER:
        return (unit->classWord & AGENT_CLASS_MINER) != 0;
    case UPGRADE_FOR_SHELLS:
        return weapon && (weapon->type == WEAPON_MISSILE || weapon->type == WEAPON_MORTAR || weapon->type == WEAPON_PLASMA ||
                          weapon->type == WEAPON_PULSE);
    default:
        return false;
    }
}

int UnitUpgrade::LevelIn(uint32_t word) const
{
    for (int level = levelCount; level >= 1; --level)
        if (word & levelBits[level - 1]) return level;
    return 0;
}

bool CanAffordUpgrade(const Building* upgrader)
{
    const PlayerProfile* player = GetPlayerProfile();
    if (!upgrader || !upgrader->HeldUnit() || upgrader->chosenUpgrades == 0 || !player) return false;
    int ore = 0, fuel = 0;
    GetUpgradeCost(upgrader, &ore, &fuel);
    return player->ore >= (float)ore && player->fuel >= (float)fuel;
}

void StartUnitUpgrade(Building* upgrader)
{
    if (!CanAffordUpgrade(upgrader)) return;
    Agent* unit = upgrader->HeldUnit();
    float time = GetUpgradeTime(upgrader);
    unit->processTimer = time;
    upgrader->upgradeTotalTime = time;
    int ore = 0, fuel = 0;
    GetUpgradeCost(upgrader, &ore, &fuel);
    PlayerProfile* player = GetPlayerProfile();
    player->AddOre(-(float)ore);
    player->AddFuel(-(float)fuel);
}

const char* StepUpgradeChoice(Building* upgrader, int n, bool down)
{
    if (n < 1 || n > UNIT_UPGRADE_COUNT || !upgrader) return "blip";
    Agent* unit = upgrader->HeldUnit();
    if (!unit) return "blip";
    if (unit->processTimer > 0.0f) return "bad";
    UnitUpgrade& entry = UnitUpgrades[n - 1];
    if (!entry.AppliesTo(unit)) return "bad";
    // The highest level the unit already owns: a choice never goes to or below it.
    const int ownedTop = entry.LevelIn(unit->upgradeFlags);
    uint32_t& word = upgrader->chosenUpgrades;
    int c = entry.LevelIn(word);
    if (!down) {
        int level = c + 1 > ownedTop ? c + 1 : ownedTop + 1;
        if (level > entry.levelCount) return "bad";
        if (c > 0) word &= ~entry.levelBits[c - 1];
        if (level > 1) word &= ~entry.levelBits[level - 2];
        word |= entry.levelBits[level - 1];
    } else {
        if (c == 0) return "bad";
        word &= ~entry.levelBits[c - 1];
        --c;
        while (c > 0 && ownedTop >= c) {
            word &= ~entry.levelBits[c - 1];
            --c;
        }
        if (c > 0) word |= entry.levelBits[c - 1];
    }
    return "blip";
}
