// The main display's window: how it is built and laid out once, and what its buttons do. The
// pages drawn inside it every frame live in EntityInfoGui.cpp and BuildingInfoPage.cpp.
#include "interface/EntityInfoGui.h"

#include "campaign/PlayerProfile.h"
#include "gui/Button.h"
#include "gui/GuiDraw.h"
#include "gui/GuiMeter.h"
#include "gui/ModelViewer.h"
#include "gui/WindowManager.h"
#include "interface/HudLayout.h"
#include "interface/InfoTooltip.h"
#include "interface/MessageLists.h"
#include "interface/MissionHud.h"
#include "interface/UnitUpgrade.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/OrderQueue.h"
#include "mechanics/Selection.h"
#include "platform/Hotkeys.h"
#include "platform/InputState.h"
#include "render/Draw2D.h"
#include "render/Sprite.h"
#include "world/Agent.h"
#include "world/AgentTypeRegistry.h"
#include "world/BuildItem.h"
#include "world/Building.h"

#include <cstdio>
#include <functional>

EntityInfoGui* TheEntityInfoGui = nullptr;
Window* ProductionQueueWindow = nullptr;
Button* QueueButtons[QUEUE_BUTTONS] = {};
Window* StatusIconWindow = nullptr;
Button* StatusButtons[STATUS_BUTTONS] = {};

namespace {

constexpr uint32_t WHITE = 0xFFFFFFFF;
constexpr uint32_t DARK_GREY = 0xFF4D4D4D;  // (0.3, 0.3, 0.3, 1)
constexpr const char* BUTTON = "data/gui/button.dds";
constexpr const char* BUTTON_RED = "data/gui/button_red.dds";
constexpr const char* BUTTON_GREEN = "data/gui/button_green.dds";
constexpr int QUEUE_RADIO_GROUP = 8;  // the production queue's eight icons

// A fraction of the screen height in whole pixels.
// The small HUD font: the display's buttons are small. (The HUD is built before the front
// end names the GUI's default font.)
Font* ButtonFont()
{
    return HudFont(4) ? HudFont(4) : GuiDefaultFont;
}

// A button on a 1 x 3 strip: rows 1 and 2 its faces, row 0 the picture under the pointer.
Button* StripButton(const char* text, const char* strip, int atX, int atY, int w, int h, ButtonCallback click)
{
    Button* button = new Button(nullptr, click, atX, atY, w, h, 0, ButtonFont(), strip, strip, nullptr,
                                AtlasCell(1, 3, 0, 1), AtlasCell(1, 3, 0, 2), 0);
    button->SetImage(strip, AtlasCell(1, 3, 0, 0));
    button->SetText(text);
    return button;
}

GuiMeter* Meter(const char* text, uint32_t fill, uint32_t back, int atX, int atY, int w, int h, const char* icon)
{
    GuiMeter* meter = new GuiMeter(text, fill, back, atX, atY, w, h, false, nullptr, false);
    if (icon) meter->SetIcon(icon);
    return meter;
}

// A callback's common test: a game, and a button that is there and shown.
bool Usable(const Button* button)
{
    return TheGame && button && button->IsVisible();
}

Agent* SelectedAgent()
{
    Entity* first = SelectedEntity(0);
    return first && (first->flags & ENTITY_AGENT) ? static_cast<Agent*>(first) : nullptr;
}

Building* SelectedBuilding()
{
    Entity* first = SelectedEntity(0);
    return first && (first->flags & ENTITY_BUILDING) ? static_cast<Building*>(first) : nullptr;
}

}  // namespace

bool RightButtonActing()
{
    // A click callback runs as the button is let go, a press callback as it goes down.
    return Input.mouse && (Input.mouse->ButtonEventIs(1, 1) || Input.mouse->ButtonEventIs(1, 2));
}

int SelectedCount()
{
    return TheGame ? TheGame->hand.selected.count : 0;
}

Entity* SelectedEntity(int i)
{
    if (!TheGame) return nullptr;
    for (PooledList<Entity*>::Node* node = TheGame->hand.selected.head; node; node = node->next, --i)
        if (i == 0) return node->value;
    return nullptr;
}

EntityInfoGui::EntityInfoGui()
{
    flags |= WINDOW_TYPE_ENTITYINFOGUI;
}

EntityInfoGui::~EntityInfoGui()
{
    delete frame;
    delete armourSprite;
    for (GuiMeter* meter : {healthMeter, shieldMeter, cargoMeter, constructionMeter, productionMeter, recyclerMeter,
                            experienceMeter, mineMeter})
        delete meter;
    // The children this display made (the window base leaves its children alone).
    for (Window* child = firstChild; child;) {
        Window* following = child->nextSibling;
        delete child;
        child = following;
    }
    delete portrait;
    delete upgradePanel;
    delete programsPanel;
    for (Window*& window : {std::ref(ProductionQueueWindow), std::ref(StatusIconWindow)}) {
        for (Window* child = window ? window->firstChild : nullptr; child;) {
            Window* following = child->nextSibling;
            delete child;
            child = following;
        }
        delete window;
        window = nullptr;
    }
    delete TheInfoTooltip;
    TheInfoTooltip = nullptr;
    for (Button*& button : QueueButtons) button = nullptr;
    for (Button*& button : StatusButtons) button = nullptr;
    upgradePanel = nullptr;
    programsPanel = nullptr;
}

void EntityInfoGui::ComputeTextAnchors()
{
    title = {x + HudLength(0.1666667), y + HudLength(0.015625)};
    second = {x + HudLength(0.3645833), y + HudLength(0.015625)};
    third = {x + HudLength(0.1927083), y + HudLength(0.0833333)};
}

void EntityInfoGui::CreateMainDisplay()
{
    if (built) return;
    const int H = ScreenHeight(), W = ScreenWidth();
    // 1. The frame, centred a little left of the middle, on the bottom edge.
    int w = HudLength(0.5859375), h = HudLength(0.1650390625);
    int left = W / 2 - HudLength(0.3515625), top = H - h;
    frame = CreateGuiSprite(left, top, w, h, "data/gui/game/maindisplay.dds", WHITE, 0.0f, 0.0f, 1.0f, 1.0f);
    Move(left, top);
    Resize(w, h);
    flags |= WINDOW_FRAMELESS | WINDOW_NOT_MANAGED_DRAW;
    if (WindowMgr) WindowMgr->AddWindow(this);

    // 2. The inner border (its quads stand in screen pixels, its place is the frame's).
    int b = HudLength(0.0052083);
    innerBorder = new Window(left + b, top + b, w - 2 * b, h - 2 * b, "wframe_black.dds");
    AddChild(innerBorder);
    innerBorder->x = b;
    innerBorder->y = b;

    // 3, 4. The anchors and the armour badge.
    ComputeTextAnchors();
    int badge = HudLength(0.0364583);
    armourSprite = CreateGuiSprite(left + HudLength(0.015625), top + HudLength(0.0104167), badge, badge, "data/gui/itemicons.dds", WHITE,
                                   0.0f, 0.0f, 1.0f, 1.0f);
    if (armourSprite) armourSprite->SetAtlasCell(AtlasCell(4, 4, 2, 1));

    // 5. The portrait, with a button over it that centres the camera on the entity.
    portrait = new ModelViewer();
    portrait->SetAmbient(0.4f, 0.4f, 0.4f, 1.0f);
    int side = HudLength(0.125);
    portraitButton = new Button(nullptr, OnPortraitClicked, HudLength(0.0260417), HudLength(0.0234375), side, side, 0, ButtonFont(),
                                nullptr, nullptr, nullptr, 0, 0, 0);
    portraitButton->flags |= WINDOW_FRAMELESS | WINDOW_NOT_MANAGED_DRAW;
    AddChild(portraitButton);

    // 6. The meters, in screen pixels: the pages draw them.
    uint32_t red = PackColour(0.8f, 0.3f, 0.2f, 1.0f), purple = PackColour(0.5f, 0.0f, 0.75f, 1.0f);
    healthMeter = Meter("", PackColour(0.0f, 0.8f, 0.1f, 1.0f), DARK_GREY, left + HudLength(0.1614583), top + HudLength(0.0442708),
                        HudLength(0.234375), HudLength(0.0208333), nullptr);
    shieldMeter = Meter("", PackColour(0.3f, 0.4f, 1.0f, 1.0f), DARK_GREY, left + HudLength(0.1614583), top + HudLength(0.0677083),
                        HudLength(0.234375), HudLength(0.0130208), "data/gui/divbar.dds");
    cargoMeter = Meter("", purple, DARK_GREY, left + HudLength(0.1614583), top + HudLength(0.1067708), HudLength(0.2083333), HudLength(0.0182292),
                       "data/gui/orebar.dds");
    constructionMeter = Meter("Constructing...", red, DARK_GREY, left + HudLength(0.1927083), top + HudLength(0.0885417), HudLength(0.234375),
                              HudLength(0.0208333), nullptr);
    productionMeter = Meter("Building...", red, DARK_GREY, left + HudLength(0.2083333), top + HudLength(0.1354167), HudLength(0.234375),
                            HudLength(0.0182292), nullptr);
    recyclerMeter = Meter("", purple, DARK_GREY, left + HudLength(0.0651042), top + HudLength(0.1171875), HudLength(0.1171875), HudLength(0.0130208),
                          nullptr);
    experienceMeter = Meter("Experience", 0xFFFF801A, DARK_GREY, left + HudLength(0.4114583), top + HudLength(0.0442708), HudLength(0.1171875),
                            HudLength(0.0130208), nullptr);

    // 7. The buttons, relative to the frame's corner; each offset truncated on its own.
    int wide = HudLength(0.0833333), tall = HudLength(0.0416667), low = HudLength(0.0364583);
    int right = w - HudLength(0.1171875);
    int rightOfMine = w - HudLength(0.1171875) - HudLength(0.0833333);
    cancelConstructionButton =
        StripButton("Cancel", BUTTON_RED, right, HudLength(0.0260417), wide, tall, OnCancelConstructionClicked);
    buildMineButton = StripButton("Build Mine\n ", BUTTON, rightOfMine, HudLength(0.0755208), wide, low, OnBuildMineClicked);
    // A right click takes back the mine in the making.
    buildMineButton->rightButtonAllowed = true;
    buildMineButton->hoverEnterCallback = ShowTooltip;
    buildMineButton->hoverLeaveCallback = HideTooltip;
    buildMineButton->hoverUserData = 22;
    buildMineButton->hasHoverUserData = true;
    layMineButton = StripButton("Lay Mine", BUTTON_GREEN, right, HudLength(0.0755208), wide, low, OnLayMineClicked);
    recycleStartButton = StripButton("Start", BUTTON_GREEN, right, HudLength(0.0260417), wide, tall, OnRecycleStartClicked);
    recycleCancelButton = StripButton("Cancel", BUTTON_RED, right, HudLength(0.0755208), wide, tall, OnRecycleCancelClicked);
    for (Button* button :
         {cancelConstructionButton, buildMineButton, layMineButton, recycleStartButton, recycleCancelButton})
        AddChild(button);
    mineMeter = Meter("", red, 0xFF1A1A1A, left + rightOfMine + HudLength(0.0052083), top + HudLength(0.0755208) + HudLength(0.0182292),
                      HudLength(0.0729167), HudLength(0.0104167), nullptr);
    const int stanceCells[3][2] = {{0, 2}, {2, 2}, {0, 3}};
    int stanceSide = HudLength(0.03125);
    for (int i = 0; i < 3; ++i) {
        int column = stanceCells[i][0], row = stanceCells[i][1];
        Button* stance = new Button(nullptr, OnStanceClicked, w - HudLength(0.0989583) + i * HudLength(0.03125), HudLength(0.0052083),
                                    stanceSide, stanceSide, 0, ButtonFont(), "data/gui/itemicons_2.dds",
                                    "data/gui/itemicons_2.dds", nullptr, AtlasCell(4, 4, column, row),
                                    AtlasCell(4, 4, column + 1, row), 0);
        stance->userData = i;
        stance->hasUserData = true;
        stance->id = i;
        stance->pressed = i == 0;
        stance->hoverEnterCallback = ShowTooltip;
        stance->hoverLeaveCallback = HideTooltip;
        stance->hoverUserData = 13 + i;
        stance->hasHoverUserData = true;
        stanceButtons[i] = stance;
        AddChild(stance);
    }

    // 8. The upgrader's and the research computer's panels, hidden.
    upgradePanel = new UpgradePanel();
    upgradePanel->Build(left, top);
    programsPanel = new ProgramsPanel();
    programsPanel->Build(left, top);

    // 9. The production queue: eight icons, an extra gap after the one in production.
    ProductionQueueWindow = new Window();
    ProductionQueueWindow->Move(left + HudLength(0.1536458), top + HudLength(0.0911458));
    int icon = HudLength(0.0364583), gap = HudLength(0.0052083);
    for (int i = 0; i < QUEUE_BUTTONS; ++i) {
        int at = i * (icon + gap) + (i > 0 ? gap : 0);
        Button* button = new Button(nullptr, OnQueueButtonClicked, at, 0, icon, icon, 0, ButtonFont(), nullptr,
                                    nullptr, nullptr, 0, 0, 0);
        button->id = i + 1;
        // In a radio group: a click never shows the pressed face over the unit's icon.
        button->radioGroup = QUEUE_RADIO_GROUP;
        button->userData = i + 1;
        button->hasUserData = true;
        QueueButtons[i] = button;
        ProductionQueueWindow->AddChild(button);
    }
    ProductionQueueWindow->FitToChildren(1, 1, 0, 0);
    if (WindowMgr) WindowMgr->AddWindow(ProductionQueueWindow);
    ProductionQueueWindow->SetVisible(false);

    // 10. The tooltip that explains what the mouse is over.
    if (!TheInfoTooltip) {
        TheInfoTooltip = new InfoTooltip();
        TheInfoTooltip->Build();
    }

    // 11. The status icons: fire, acid and plasma.
    StatusIconWindow = new Window();
    StatusIconWindow->Move(left + HudLength(0.5286458), H - HudLength(0.046875));
    int statusSide = HudLength(0.03125);
    for (int i = 0; i < STATUS_BUTTONS; ++i) {
        int cell = AtlasCell(4, 4, i + 1, 1);
        Button* button = new Button(nullptr, nullptr, i * HudLength(0.0364583), 0, statusSide, statusSide, 0, ButtonFont(),
                                    "Data/gui/damagetypes.dds", "Data/gui/damagetypes.dds", nullptr, cell, cell, 0);
        button->id = i + 1;
        button->hoverEnterCallback = OnStatusIconHover;
        button->hoverLeaveCallback = ShowInfoPanelButton;
        StatusButtons[i] = button;
        StatusIconWindow->AddChild(button);
    }
    StatusIconWindow->FitToChildren(1, 1, 0, 0);
    if (WindowMgr) WindowMgr->AddWindow(StatusIconWindow);
    StatusIconWindow->SetVisible(false);

    HideAll();
    built = true;
}

// ---- Callbacks

int OnPortraitClicked(void*, Button* button)
{
    if (!Usable(button) || SelectedCount() != 1) return 1;
    TheGame->CenterCameraOnEntity(SelectedEntity(0));
    return 1;
}

// The building comes down, and the mine is made or given up, at the next tick.
int OnCancelConstructionClicked(void*, Button* button)
{
    Building* building = SelectedBuilding();
    if (!Usable(button) || !building) return 1;
    PlayerOrder order;
    order.kind = ORDER_CANCEL_CONSTRUCTION;
    order.target = LevelNumberOf(building);
    TheOrders.Give(order);
    return 1;
}

int OnBuildMineClicked(void*, Button* button)
{
    Agent* agent = SelectedAgent();
    if (!Usable(button) || !agent) return 1;
    GiveUnitOrder(ORDER_BUILD_MINE, agent, RightButtonActing() ? 0 : 1);
    return 1;
}

int OnLayMineClicked(void*, Button* button)
{
    Agent* agent = SelectedAgent();
    if (!Usable(button) || !agent) return 1;
    if (agent->mines < 1) {
        GuiPlaySound("bad");
        return 1;
    }
    if (CommandFunction layMine = FindCommand("laymine")) layMine();
    char text[64];
    snprintf(text, sizeof text, "Lay Mine\n     %d/3", agent->mines);
    button->SetText(text);
    return 1;
}

// The recycler takes the start or the cancel at the next tick.
static void GiveRecycleOrder(const Building* recycler, bool start)
{
    PlayerOrder order;
    order.kind = ORDER_RECYCLE;
    order.target = LevelNumberOf(recycler);
    order.args[0] = start ? 1 : 0;
    TheOrders.Give(order);
}

int OnRecycleStartClicked(void*, Button* button)
{
    Building* building = SelectedBuilding();
    if (!Usable(button) || !building || !building->linkedEntity.IsSet()) return 1;
    GiveRecycleOrder(building, true);
    GuiPlaySound("recycle");
    return 1;
}

int OnRecycleCancelClicked(void*, Button* button)
{
    Building* building = SelectedBuilding();
    if (!Usable(button) || !building || !building->linkedEntity.IsSet()) return 1;
    GiveRecycleOrder(building, false);
    return 1;
}

int OnStanceClicked(void*, Button* button)
{
    if (!Usable(button)) return 1;
    int stance = button->id;
    if (TheEntityInfoGui)
        for (int i = 0; i < 3; ++i)
            if (Button* other = TheEntityInfoGui->stanceButtons[i]) other->pressed = other == button;
    SetSelectionStance(stance);
    return 1;
}

// The unit of that place in the queue is taken back at the next tick.
int OnQueueButtonClicked(void*, Button* button)
{
    Building* building = SelectedBuilding();
    if (!Usable(button) || !building || !building->buildQueue) return 1;
    int n = button->id;
    if (n < 1) return 1;
    PooledList<AgentType*>::Node* node = building->buildQueue->head;
    for (int i = 1; node && i < n; ++i) node = node->next;
    if (!node || !node->value) return 1;
    PlayerOrder order;
    order.kind = ORDER_UNQUEUE_UNIT;
    order.target = LevelNumberOf(building);
    order.args[0] = n;
    order.text = node->value->name;
    TheOrders.Give(order);
    return 1;
}
