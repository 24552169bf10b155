#pragma once
// Unit upgrades as the world keeps them: an upgrader takes one of the player's units inside and
// fits it with the upgrades the player picks (the upgrader's chosen word), paying their price in
// ore and fuel; the building counts the time down and applies them (world/Building.h). The
// upgrade panel (interface/UnitUpgrade.h) shows the choices and gives the orders these carry
// out in a tick.
//
// The upgrade bits are one 32-bit space shared by the building's chosen-upgrade word (what
// will be bought) and the unit's owned upgrade bits (what it already has).
#include <cstdint>

class Agent;
class Building;

constexpr int UNIT_UPGRADE_COUNT = 9;

// What an upgrade asks of the unit (UnitUpgrade::requirement).
enum : int {
    UPGRADE_FOR_ANY = 0,
    UPGRADE_FOR_ARMED = 1,    // it deals damage with its weapon
    UPGRADE_FOR_MINER = 4,    // a miner
    UPGRADE_FOR_SHELLS = 7,   // it fires missiles, mortar shells, plasma or pulses
};

struct UnitUpgrade {
    char name[64];
    char iconSheet[64];
    uint32_t levelBits[3];
    int levelCount;
    int requirement;
    int chosenLevel;  // 0: none; the panel's, recomputed whenever it is filled
    int iconCell;

    // Whether this upgrade can be fitted to that unit.
    bool AppliesTo(Agent* unit) const;
    // The highest level whose bit is in the word (0 when none).
    int LevelIn(uint32_t word) const;
};

// The nine upgrades in their fixed order (weapon damage, hull, shields, fire and acid over
// time, mining capacity and load, speed, armour).
extern UnitUpgrade UnitUpgrades[UNIT_UPGRADE_COUNT];
// No level chosen on the panel.
void InitUnitUpgradeTable();

// A unit inside, something chosen, and the player's ore and fuel enough for it.
bool CanAffordUpgrade(const Building* upgrader);
// When affordable: the price is paid and the countdown starts.
void StartUnitUpgrade(Building* upgrader);
// Upgrade n (1-based) of the unit inside stepped a level up, or down: never onto a level the
// unit owns, never while an upgrade runs. The sound it makes: "blip", or "bad" when refused.
const char* StepUpgradeChoice(Building* upgrader, int n, bool down);
