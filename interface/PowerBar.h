#pragma once
// The player's power ledger: what the working buildings supply and what they demand. Power is
// short while supply is below demand. The buildings are its only writers; the HUD draws it as
// the power meter (meter and chevron come with the HUD's power bar).
class PowerBar {
public:
    static constexpr float START_SUPPLY = 20.0f;

    // A new level starts from the base supply and no demand.
    void Reset()
    {
        supply = START_SUPPLY;
        demand = 0.0f;
    }
    bool IsShort() const { return supply < demand; }

    float supply = START_SUPPLY;
    float demand = 0.0f;
};

// One ledger for the whole run; null until the game object builds its HUD.
extern PowerBar* ThePowerBar;
