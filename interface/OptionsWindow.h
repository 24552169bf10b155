#pragma once
// The options window: three tabs ("Game", "Graphics", "Sound"), each a page of rows with a label
// and a spinner, a check box or a button. Every control acts at once: the configuration
// changes, the change is applied where the game can (volumes, music, shadow map, glows,
// textures, effects, weather), "blip" plays and settings.cfg is written again, so leaving the
// window by any road loses nothing. The resolution and the windowed mode are stored for the next
// start. The Graphics page's first row opens the list of the display's modes.
#include "host/Display.h"

#include <memory>
#include <vector>

class Button;
class Window;

class OptionsWindow {
public:
    // Window ids: the panel (with its tabs and "Done"), the three pages, the resolution list.
    static constexpr int PANEL_ID = 1770;
    static constexpr int GAME_PAGE_ID = 1771;
    static constexpr int GRAPHICS_PAGE_ID = 1772;
    static constexpr int SOUND_PAGE_ID = 1773;
    static constexpr int RESOLUTION_LIST_ID = 1774;

    OptionsWindow() = default;
    OptionsWindow(const OptionsWindow&) = delete;
    OptionsWindow& operator=(const OptionsWindow&) = delete;

    // Builds the window once, with the display's modes as the display gives them now; then the
    // Game page shows and the window is hidden.
    void Build();
    // The same with a given current mode and list of modes (tests).
    void Build(const DisplayModeInfo& current, const std::vector<DisplayModeInfo>& modes);
    // Showing keeps the modal window, shows the panel, makes it modal and gives it the focus;
    // hiding hides the panel and the resolution list and gives the modal window back. Before
    // the window is built it only forgets being shown.
    void SetVisible(bool show);

    // ---- The controls' callbacks (1: handled). Arrows carry their value box and a direction
    // (1 right, 0 left); check boxes and tabs carry the window.
    static int OnOptionsTabClicked(void* user, Button* button);
    static int OnOptionsDone(void* user, Button* button);
    static int OnDifficultyArrow(void* user, Button* button);
    static int OnScrollSpeedArrow(void* user, Button* button);
    static int OnMouseSpeedArrow(void* user, Button* button);
    static int OnZoomSpeedArrow(void* user, Button* button);
    static int OnSmoothZoomToggled(void* user, Button* button);
    static int OnMiddleMousePansToggled(void* user, Button* button);
    static int OnShowClockToggled(void* user, Button* button);
    static int OnShowGameTimeToggled(void* user, Button* button);
    static int OnShowFpsToggled(void* user, Button* button);
    static int OnObjectiveIconsToggled(void* user, Button* button);
    static int OnHotkeysClicked(void* user, Button* button);
    static int OnWindowedToggled(void* user, Button* button);
    static int OnShadowsToggled(void* user, Button* button);
    static int OnShadowSizeArrow(void* user, Button* button);
    static int OnGlowQualityToggled(void* user, Button* button);
    static int OnGlowsToggled(void* user, Button* button);
    static int OnTextureQualityToggled(void* user, Button* button);
    static int OnBuildingSplatsToggled(void* user, Button* button);
    static int OnTerrainDetailToggled(void* user, Button* button);
    static int OnReflectionsToggled(void* user, Button* button);
    static int OnWeatherToggled(void* user, Button* button);
    static int OnMusicToggled(void* user, Button* button);
    static int OnSoundVolumeArrow(void* user, Button* button);
    static int OnMusicVolumeArrow(void* user, Button* button);
    // The resolution list: open it, choose an entry, take it ("Ok") or leave it ("Cancel").
    static int OnResolutionClicked(void* user, Button* button);
    static int OnResolutionEntryClicked(void* user, Button* button);
    static int OnResolutionOk(void* user, Button* button);
    static int OnResolutionCancel(void* user, Button* button);

    Window* window = nullptr;
    Button* tabs[3] = {};
    Window* resolutionList = nullptr;
    Button* resolutionButton = nullptr;
    // The Difficulty row's value box.
    Button* difficultyBox = nullptr;
    // The list's entries, in order, and the one chosen last (null until one is).
    std::vector<Button*> resolutionEntries;
    Button* selectedEntry = nullptr;
    Window* previousModal = nullptr;
    Window* listPreviousModal = nullptr;
    bool built = false;
    bool shown = false;

private:
    std::vector<std::unique_ptr<Window>> owned_;
    friend struct OptionsBuilder;
};

// The modes the resolution list offers: at least 640 x 480, at the current mode's colour depth
// and refresh rate, a size only once where the display repeats it in a row.
std::vector<DisplayModeInfo> ListedDisplayModes(const DisplayModeInfo& current, const std::vector<DisplayModeInfo>& modes);
// The aspect ratio of width ÷ height as the smallest whole numbers that come within a hundredth
// (1366 x 768 gives 16:9); 998 as the denominator when none does.
void GetAspectRatio(float ratio, int* numerator, int* denominator);

// Builds the options window once (the front end's start-up), and frees it (shutdown).
void BuildOptionsWindow();
void ReleaseOptionsWindow();

extern OptionsWindow* TheOptionsWindow;
