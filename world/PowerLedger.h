#pragma once
// The power ledger of a level: what the working buildings supply and what they demand. Power is
// short while supply is below demand, and then the base works at half its pace. It is world
// state: the buildings write it as they are finished and destroyed, the world's rules read it,
// and the HUD's power meter only shows it. A level starts from the base supply and no demand.
struct PowerLedger {
    static constexpr float START_SUPPLY = 20.0f;

    float supply = START_SUPPLY;
    float demand = 0.0f;

    void Reset() { *this = PowerLedger(); }
    bool IsShort() const { return supply < demand; }
};
