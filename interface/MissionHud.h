#pragma once
// The mission HUD: the windows around the world view while a mission is played. The minimap
// bar with its three camera and minimap buttons, the command panel (quick slots and the
// selected unit's commands), the build panel with its three tabs of buildings, the resource
// bar, the "Menu" and "Inventory" buttons, the developer's tool bar and the console line; the
// main display and the power bar belong to it too (EntityInfoGui.h, PowerBar.h).
//
// Everything is laid out from the screen size in code (HudLayout.h). The HUD is built once,
// at the first level start in play, and kept for the run: later levels show its windows again
// by their id, the end of a level hides them. Its windows live in one object, TheMissionHud,
// which the game object empties at shutdown.
//
// MissionHud.cpp builds the windows, HudUpdate.cpp keeps them up to date and draws the HUD's
// frame, HudButtons.cpp holds every button's callback and the tooltips, HudOverlays.cpp the
// bars over entities, the cursor's picture and the resource bar's hints.
#include "platform/PooledList.h"

#include <cstdint>

class Agent;
class BuildItem;
class Building;
class Button;
class EditBox;
class Entity;
class GuiMeter;
class HintBox;
class Label;
class Sprite;
class Window;

// Every top-level window of the mission HUD carries this id.
constexpr int HUD_WINDOW_ID = 8675309;
constexpr int DEBUG_TOOLBAR_ID = 83806;
// The build panel's buttons: at most this many buildable entries get one.
constexpr int BUILD_BUTTON_CAPACITY = 32;
constexpr int BUILD_TABS = 3;
constexpr int COMMAND_BUTTONS = 10;
constexpr int QUICK_SLOTS = 4;
constexpr int GROUP_LARGE_BUTTONS = 12;
constexpr int GROUP_SMALL_BUTTONS = 24;
// The last tooltip that names a hotkey action.
constexpr int TOOLTIP_IDS = 23;
// How long the cursor rests on a widget before its tooltip shows, in seconds.
constexpr float TOOLTIP_DELAY = 0.5f;
constexpr uint32_t HUD_SHIELD_COLOUR = 0xFF4D66FF;

// The panel of the selected unit's commands, above the main display: the four quick slots of
// the inventory, then one button per command the unit knows (bits 0x1 .. 0x200 of its mask).
class CommandPanel {
public:
    // The panel window, its background, the quick slots with their count overlays and the ten
    // command buttons (all at the cursor until laid out).
    void Build();
    // The quick slots' overlays show the first four inventory slots' items.
    void RefreshQuickSlots();
    // The quick slots refreshed; then, when the mask changed, the buttons of its bits in a row
    // (the others taken out of the drawing and disabled), and the panel shown while any is.
    void Layout(int newMask);
    void Show(bool show, int newMask);

    int mask = 0;
    int x = 0, y = 0;
    int group = 0;
    Window* panel = nullptr;
    Button* commandButtons[COMMAND_BUTTONS] = {};
    Button* background = nullptr;
    Button* quickSlots[QUICK_SLOTS] = {};
    Button* quickSlotOverlays[QUICK_SLOTS] = {};
    int buttonWidth = 0;
    int buttonHeight = 0;
    int step = 0;
};

struct BuildButton {
    Button* button;
    BuildItem* item;
};

struct MissionHud {
    MissionHud();

    bool built = false;
    Sprite* whiteSprite = nullptr;
    Button* leftSpacer = nullptr;
    Button* rightSpacer = nullptr;
    Window* minimapBar = nullptr;
    Button* followButton = nullptr;
    Window* buildPanel = nullptr;
    Button* buildTabs[BUILD_TABS] = {};
    Label* noTabItemsLabel = nullptr;
    PooledList<BuildButton> buildButtons;
    CommandPanel* commandPanel = nullptr;
    Window* resourceBar = nullptr;
    Label* oreLabel = nullptr;
    Label* fuelLabel = nullptr;
    Label* unitsLabel = nullptr;
    Window* menuBar = nullptr;
    Window* debugToolBar = nullptr;
    EditBox* consoleEditBox = nullptr;

    // The tooltip of the HUD's buttons: the cursor rests, then the text and its hotkey show.
    HintBox* tooltip = nullptr;
    float tooltipTimer = 0.0f;
    bool tooltipVisible = false;
    // The labels over items and the resource bar's hints.
    HintBox* hintBox = nullptr;

    // Ore and fuel gathered per minute, sampled every 20 and 4 seconds.
    float oreRate = 0.0f, fuelRate = 0.0f;
    float oreTimer = 0.0f, fuelTimer = 0.0f;
    float lastOreTotal = 0.0f, lastFuelTotal = 0.0f;

    // Made by the first frame drawn in play.
    Button* rigBanner = nullptr;
    GuiMeter* rigHealthMeter = nullptr;
    GuiMeter* rigShieldMeter = nullptr;
    Window* groupPanel = nullptr;
    Button* groupLarge[GROUP_LARGE_BUTTONS] = {};
    Button* groupSmall[GROUP_SMALL_BUTTONS] = {};
    int groupIds[3] = {};
    GuiMeter* entityHealthMeter = nullptr;
    GuiMeter* entityShieldMeter = nullptr;
    GuiMeter* itemHealthMeter = nullptr;
    bool blink = false;
    float blinkTimer = 0.5f;

    // The cursor's side in pixels this frame.
    int cursorSize = 0;
    // The developer's agent text, shown with the tool bar.
    bool debugText = false;
};

extern MissionHud TheMissionHud;

// The HUD's Scan command button; null when the HUD has none. It shows the scan pulses' wait
// (the scan answers, PlayerAnswers.cpp).
extern Button* HudScanButton;

// The screen row where the HUD's bottom bar begins: the top of the command bar, standing on
// the main display. The world shows above it.
int HudBottomBarTop();

// ---- Building and letting go (MissionHud.cpp)
// The whole HUD once; afterwards its windows are shown again.
void BuildMissionHud();
// The developer console's line, once.
void CreateConsoleEditBox();
// Every window of the HUD out of the window manager and freed; the HUD can be built again.
void ReleaseMissionHud();
// A level is over: the HUD's windows hidden, the tooltip gone, the command panel emptied.
void HideMissionHud();
// Ore and fuel rates start over from the stocks gathered so far.
void ResetResourceRates();

// ---- Every frame (HudUpdate.cpp)
void UpdateHud();
// dt: the frame time (0 while a modal window is open).
void UpdateResourceRates(float dt, float oreTotal, float fuelTotal);
// The HUD of the frame in play: panels for the selection, the rig banner, the group panel, the
// windows, the selection box, the cursor, the hints and the tooltip.
void DrawMissionHud(float dt, int mouseX, int mouseY);
// What stands over the cursor: the resource hints, the floating texts, pop-ups and message
// bar, the tooltip and the developer's agent text.
void DrawMissionHudOverCursor(int mouseX, int mouseY);
// What the HUD shows for a unit or a building the hand takes (selected) or lets go: the build
// panel with the builder rig; a factory's production panel and its selection sound; an
// upgrader's choices (interface/BuildingPanel.cpp).
void ShowAgentSelected(Agent* agent, bool selected);
void ShowBuildingSelected(Building* building, bool selected);
// ARGB for a health fraction: red to green.
uint32_t HealthColour(float fraction);
// The icon of an entity: its texture name and atlas cell (-1 for the whole picture); false
// when it has none.
bool GetEntityIcon(Entity* entity, const char** texture, int* cell);
// The group panel's statistics line for the selection; false (empty) when the selection is
// not all units and buildings.
struct GroupStats {
    int count = 0;
    int kills = 0;
    float damage = 0.0f;
    float dps = 0.0f;
    bool allUnitsOrBuildings = true;
    bool anyUnitNotRig = false;
};
GroupStats ComputeGroupStats(Entity* const* entities, int count);
bool FormatGroupStats(const GroupStats& stats, char* out, int size);

// ---- Overlays, cursor and hints (HudOverlays.cpp)
void DrawEntityOverlays();
// Why the building in the hand may not stand where it is, written under its red preview.
void DrawPlacementRefusal();
// The cursor atlas cell (column, row) for the frame; *enlarged when the cursor grows.
void ChooseCursorCell(int mouseX, int mouseY, bool overWindow, int* column, int* row, bool* enlarged);
// The resource bar's hint for the cursor; false (nothing) outside every range.
bool ResourceHint(int mouseX, int mouseY, char* out, int size);

// ---- Button callbacks and tooltips (HudButtons.cpp)
int ShowTooltip(void* data, Button* button);
int HideTooltip(void* data, Button* button);
int ShowQuickSlotTooltip(void* data, Button* button);
int ShowBuildItemTooltip(void* data, Button* button);
int HideBuildItemTooltip(void* data, Button* button);
int ToggleMinimapRangesButton(void* data, Button* button);
int ResetCameraButton(void* data, Button* button);
int ToggleFollowButton(void* data, Button* button);
int UseQuickSlot(void* data, Button* button);
int CommandButton(void* data, Button* button);
int BuildTabButton(void* data, Button* button);
int BuildItemButton(void* data, Button* button);
int ToggleInGameMenuButton(void* data, Button* button);
int ToggleInventory(void* data, Button* button);
int CycleGridOverlayButton(void* data, Button* button);
int CyclePathOverlayButton(void* data, Button* button);
int ToggleFogOfWarButton(void* data, Button* button);
int TogglePostProcessButton(void* data, Button* button);
int ToggleGrowthToolButton(void* data, Button* button);
int SelectRigButton(void* data, Button* button);
int SelectGroupMember(void* data, Button* button);
bool IsCursorOverCommandPanel(Window* window);
// The hotkey action a tooltip names ("none" for most).
const char* TooltipAction(int id);
// The "toggle_inventory" command.
void CmdToggleInventory();
// The "debug_test" command (debug mode): shows the debug tool bar when hidden and hides it
// when shown, with the debug text.
void CmdDebugTest();

// The developer's overlays the tool bar cycles: the grid (0 none, 1, 2) and the path search
// (level 0..3 lighting up to three overlays).
extern int GridOverlayMode;
extern int PathOverlayLevel;
extern bool PathOverlayShown[3];
