#pragma once
// The value bar of the interface (experience, resources, progress): a background, a fill whose
// length follows value / maximum, an optional overlay picture, an optional marker icon with a
// number, and a value text in the game's list font. The bar lies at the meter's position in
// screen pixels; its owner sets the value whenever the shown data changes (the main display's
// meters every frame). A cropped fill shows the left part of its picture instead of
// squeezing it, and an animated one lets the picture drift (standing still while the GUI is
// paused).
#include "gui/Window.h"

#include <cstdint>

class GuiMeter : public Window {
public:
    // The game's own meters: a green bar at the top right of the screen, half full.
    GuiMeter();
    // A bar of the given size in the given colours (ARGB). The fill covers the whole bar with
    // white when noInset is set, else the whole bar with fillTexture when one is given, else
    // the standard progress picture inset by a pixel.
    GuiMeter(const char* text, uint32_t fillColour, uint32_t backColour, int x, int y, int width, int height,
             bool noInset, const char* fillTexture, bool croppedFill);
    ~GuiMeter() override;

    void Draw() override;
    // An animated fill drifts.
    bool Animates() const override { return animated && croppedFill; }

    // Keeps the value within 0..maximum, lays the bar out again and, when given, recolours the
    // fill.
    void SetValue(float newValue, const uint32_t* fillColour = nullptr);
    // The text becomes "value/maximum" (value right-aligned in six places).
    void UpdateText(int shownValue, int shownMaximum);
    // A picture over the whole bar; null removes it.
    void SetIcon(const char* texture);
    // A square icon left of and above the bar (an atlas cell when cell is above 0); null removes
    // it.
    void SetAtlasIcon(const char* texture, int cell);
    // The number beside the marker icon; below 0 hides it.
    void SetMarker(int number);

    char text[128] = {};
    Sprite* background = nullptr;
    Sprite* fill = nullptr;
    Sprite* overlay = nullptr;
    Sprite* markerIcon = nullptr;
    float value = 100.0f;
    float maximum = 100.0f;
    int barWidth = 0, barHeight = 0;
    int textOffsetX = 0, textOffsetY = 0;
    int markerNumber = 0;
    float shimmerPhase = 0.0f;
    bool noInset = false;
    bool markerShown = false;
    bool croppedFill = false;
    bool animated = false;

private:
    // The marker icon's side and where it sits beside the bar.
    void PlaceMarkerIcon();
};
