#pragma once
// The main display: the framed window at the bottom of the screen that shows the one selected
// entity while a mission is played. On its left a 3D portrait, beside it a page of text lines,
// meters and buttons chosen by the entity's kind (a unit, a building, an ore or fuel patch, an
// item). The game object owns one and builds it once with its HUD; the HUD pass fills it every
// frame (Update) and hides it when nothing is selected.
//
// The meters are not children of the window: the pages draw the ones they need, every frame.
// Every child pointer may be null (a child that could not be made); each is tested before use.
#include "gui/Window.h"
#include "world/Agent.h"
#include "world/Building.h"
#include "world/Entity.h"

class Agent;
class Building;
class Button;
class Entity;
class GuiMeter;
class ModelViewer;
class ProgramsPanel;
class Sprite;
class UpgradePanel;
class WeaponDef;

struct TextAnchor {
    int x = 0, y = 0;
};

class EntityInfoGui : public Window {
public:
    EntityInfoGui();
    ~EntityInfoGui() override;

    // Builds the frame, the inner border, the portrait, the meters, the buttons and the
    // production-queue and status-icon windows; a second call does nothing.
    void CreateMainDisplay();
    // The text anchors follow the window.
    void ComputeTextAnchors();
    void UpdateLayout() { ComputeTextAnchors(); }

    // Draws the panel for one entity (nothing for null): the frame and children, the portrait,
    // then the entity's page.
    void Update(Entity* entity);
    // Hides every optional widget (panels, queue, status icons, mine, recycler and stance
    // buttons).
    void HideAll();
    // For a group selection: the stance buttons, pressed when every selected unit shares one.
    void ShowStanceButtons();
    // The frame alone, blended (under a group selection).
    void DrawOverlay();

    void DrawPortrait(Entity* entity);
    void DrawUnitPage(Agent* agent);
    void DrawStatusIcons(Agent* agent);
    void DrawResourcePage(Entity* entity);
    void DrawItemPage(Entity* entity);
    void DrawBuildingPage(Building* building);
    void DrawProductionQueue(Building* building);
    void DrawUpgraderSection(Building* building);
    void DrawRecyclerSection(Building* building);

    TextAnchor title, second, third;
    Sprite* frame = nullptr;
    Sprite* armourSprite = nullptr;
    Button* portraitButton = nullptr;
    ModelViewer* portrait = nullptr;
    Window* innerBorder = nullptr;
    GuiMeter* healthMeter = nullptr;
    GuiMeter* shieldMeter = nullptr;
    GuiMeter* cargoMeter = nullptr;
    GuiMeter* constructionMeter = nullptr;
    GuiMeter* productionMeter = nullptr;
    GuiMeter* recyclerMeter = nullptr;
    GuiMeter* experienceMeter = nullptr;
    GuiMeter* mineMeter = nullptr;
    Button* cancelConstructionButton = nullptr;
    Button* buildMineButton = nullptr;
    Button* layMineButton = nullptr;
    Button* recycleStartButton = nullptr;
    Button* recycleCancelButton = nullptr;
    Button* stanceButtons[3] = {};
    UpgradePanel* upgradePanel = nullptr;
    ProgramsPanel* programsPanel = nullptr;
    bool built = false;
};

// The main display's companions, made by its build and shared with the building page.
constexpr int QUEUE_BUTTONS = 8;
constexpr int STATUS_BUTTONS = 3;
extern Window* ProductionQueueWindow;
extern Button* QueueButtons[QUEUE_BUTTONS];
extern Window* StatusIconWindow;
extern Button* StatusButtons[STATUS_BUTTONS];

// The HUD's main display, or null until the game object builds its HUD.
extern EntityInfoGui* TheEntityInfoGui;

// One weapon's line of a unit page at (x, y); false (nothing drawn) for a weapon type without
// a name.
bool DrawWeaponLine(int x, int y, Agent* agent, const WeaponDef* weapon);

// The button callbacks of the main display.
int OnPortraitClicked(void* user, Button* button);
int OnCancelConstructionClicked(void* user, Button* button);
int OnBuildMineClicked(void* user, Button* button);
int OnLayMineClicked(void* user, Button* button);
int OnRecycleStartClicked(void* user, Button* button);
int OnRecycleCancelClicked(void* user, Button* button);
int OnStanceClicked(void* user, Button* button);
int OnQueueButtonClicked(void* user, Button* button);

// Whether the right mouse button is the one acting this frame (pressed or let go): a button
// that allows it reads a right click as a step back.
bool RightButtonActing();

// A research computer's panel on the building page: six program buttons, the program running
// and the "Loading..." meter while the computer switches to another.
class ProgramsPanel {
public:
    static constexpr int PROGRAMS = 6;
    static constexpr float SWITCH_SECONDS = RESEARCH_SWITCH_SECONDS;

    ProgramsPanel() = default;
    ~ProgramsPanel();
    ProgramsPanel(const ProgramsPanel&) = delete;
    ProgramsPanel& operator=(const ProgramsPanel&) = delete;

    // The meter and the window with its six buttons, hidden; laid out at the main display's
    // corner (x, y).
    void Build(int displayX, int displayY);
    // The window and its six buttons shown and enabled, or hidden and disabled, together.
    void SetVisible(bool on);
    // The buttons, the switch's progress, "Programs", the program running and its power.
    void Draw(Building* building);
    Building* GetBuilding() const;

    int x = 0, y = 0;
    Window* window = nullptr;
    Button* buttons[PROGRAMS] = {};
    GuiMeter* loading = nullptr;
    EntityRef building;
};

// A program's name by its number: "[Ore Enrichment]" ... "[Fuel Refinement]", else "[None]".
const char* ProgramName(int program);
int OnProgramClicked(void* user, Button* button);

// The game's selection, as the main display reads it: how many are selected and the i-th.
int SelectedCount();
Entity* SelectedEntity(int i);
