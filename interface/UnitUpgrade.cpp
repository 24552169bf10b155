#include "interface/UnitUpgrade.h"

#include "campaign/PlayerProfile.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Scene.h"
#include "world/Agent.h"
#include "world/Building.h"

#include <cstdint>
#include <initializer_list>

namespace {

// The price of the highest level chosen of an upgrade of up to three levels.
int Tiered(uint32_t word, uint32_t first, uint32_t second, uint32_t third)
{
    if (third && (word & third)) return 300;
    if (word & second) return 200;
    if (word & first) return 100;
    return 0;
}

}  // namespace

void GetUpgradeCost(const Building* building, int* ore, int* fuel)
{
    uint32_t word = building ? building->chosenUpgrades : 0;
    int sum = Tiered(word, 0x1, 0x2, 0x4) + Tiered(word, 0x10, 0x20, 0x40) + Tiered(word, 0x8000, 0x10000, 0x20000);
    if (word & 0x80) sum += 100;
    sum += (word & 0x200) ? 200 : (word & 0x100) ? 100 : 0;
    for (uint32_t bit : {0x400u, 0x800u, 0x2000u, 0x4000u})
        if (word & bit) sum += 100;
    if (ore) *ore = (int)((float)sum * 0.5f);
    if (fuel) *fuel = (int)((float)sum * 0.25f);
}

void UpgradePanel::ReleaseUnit(Building* building)
{
    if (!building) return;
    Agent* unit = building->HeldUnit();
    if (unit && unit->processTimer > 0.0f) {
        int ore = 0, fuel = 0;
        GetUpgradeCost(building, &ore, &fuel);
        if (PlayerProfile* profile = GetPlayerProfile()) {
            profile->AddOre((float)ore);
            profile->AddFuel((float)fuel);
        }
    }
    building->chosenUpgrades = 0;
    building->ReleaseHeldUnit();
}

void UpgradePanel::AcceptUnit(Building* building, Agent* unit)
{
    if (!building || !unit) return;
    if (building->HeldUnit()) ReleaseUnit(building);
    building->chosenUpgrades = 0;
    building->linkedEntity = unit;
    // Inside, the unit is the building's to draw: it leaves the level's lists and its cell.
    TheScene.UnlinkEntity(unit);
    unit->LeaveGridCell();
    if (unit->flags & ENTITY_SELECTION) {
        unit->flags &= ~ENTITY_SELECTION;
        unit->OnDeselect();
    }
    if (TheGame) TheGame->ForgetEntity(unit);
}
