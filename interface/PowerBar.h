#pragma once
// The player's power ledger and its HUD meter. The ledger is what the working buildings supply
// and what they demand; power is short while supply is below demand. The buildings write it,
// many parts of the world read it. The meter shows supply as a bar against a scale of at least
// 100 and marks demand with a chevron; the bar turns red while power is short.
#include <cstdint>

class GuiMeter;
class Sprite;

class PowerBar {
public:
    static constexpr float START_SUPPLY = 20.0f;
    static constexpr uint32_t COLOUR_ENOUGH = 0xFF7AFF95;
    static constexpr uint32_t COLOUR_SHORT = 0xFFFD5353;

    // The ledger at 20 / 0, and the meter built.
    PowerBar();
    ~PowerBar();
    PowerBar(const PowerBar&) = delete;
    PowerBar& operator=(const PowerBar&) = delete;

    // Lays the meter and the chevron out for the screen size in use and makes them.
    void Build();
    // A new level starts from the base supply and no demand.
    void Reset()
    {
        supply = START_SUPPLY;
        demand = 0.0f;
    }
    bool IsShort() const { return supply < demand; }
    // Sets the meter and the chevron for this frame's ledger and draws them.
    void Update();
    // What Update shows: the scale the bar measures against (at least 100).
    float Scale() const;

    float supply = START_SUPPLY;
    float demand = 0.0f;
    GuiMeter* meter = nullptr;
    Sprite* chevron = nullptr;
    float chevronScale = 0.7f;
    int barX = 0, barY = 0, barWidth = 0, barHeight = 0;
    int chevronWidth = 0, chevronHeight = 0;
};

// One ledger for the whole run; null until the game object builds its HUD.
extern PowerBar* ThePowerBar;
