#pragma once
// The HUD's power meter. It shows the level's power ledger (TheScene.power, world state the
// buildings keep) and keeps none of its own: supply as a bar against a scale of at least 100,
// demand marked with a chevron, the bar red while power is short.
#include <cstdint>

struct PowerLedger;

class GuiMeter;
class Sprite;

class PowerBar {
public:
    static constexpr uint32_t COLOUR_ENOUGH = 0xFF7AFF95;
    static constexpr uint32_t COLOUR_SHORT = 0xFFFD5353;

    // The meter built, showing a fresh level's ledger.
    PowerBar();
    ~PowerBar();
    PowerBar(const PowerBar&) = delete;
    PowerBar& operator=(const PowerBar&) = delete;

    // Lays the meter and the chevron out for the screen size in use and makes them.
    void Build();
    // Sets the meter and the chevron for the ledger as it stands this frame and draws them.
    void Update(const PowerLedger& ledger);
    // What Update shows: the scale the bar measures the ledger against (at least 100).
    static float Scale(const PowerLedger& ledger);

    GuiMeter* meter = nullptr;
    Sprite* chevron = nullptr;
    float chevronScale = 0.7f;
    int barX = 0, barY = 0, barWidth = 0, barHeight = 0;
    int chevronWidth = 0, chevronHeight = 0;
};

// The meter of the mission HUD; null until the game object builds its HUD.
extern PowerBar* ThePowerBar;
