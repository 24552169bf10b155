#pragma once
// Unit upgrades: what an upgrader's chosen upgrades cost, and letting its unit out (refunding
// an upgrade still running). The upgrade panel's table, choices and drawing come with the game
// interface's unit page.
class Building;

// The price of the building's chosen-upgrade word in ore and fuel.
void GetUpgradeCost(const Building* building, int* ore, int* fuel);

class Agent;

class UpgradePanel {
public:
    // The unit walks into the upgrader: a unit already inside is let out first, the choices are
    // cleared, and the unit leaves the level's lists, its grid cell and the selection.
    static void AcceptUnit(Building* building, Agent* unit);
    // The unit inside goes back into the level beside the building; an upgrade still running
    // is paid back whole. The chosen upgrades are cleared either way.
    static void ReleaseUnit(Building* building);
};
