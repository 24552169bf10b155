#include "interface/UnitUpgrade.h"

#include "campaign/PlayerProfile.h"
#include "gui/Button.h"
#include "gui/GuiDraw.h"
#include "gui/GuiMeter.h"
#include "gui/WindowManager.h"
#include "interface/EntityInfoGui.h"
#include "interface/HudLayout.h"
#include "interface/InfoTooltip.h"
#include "interface/MessageLists.h"
#include "interface/MissionHud.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/OrderQueue.h"
#include "mechanics/Scene.h"
#include "host/System.h"
#include "render/Font.h"
#include "render/Sprite.h"
#include "world/Agent.h"
#include "world/Building.h"
#include "world/WeaponDef.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr const char* BUTTON_GREEN = "data/gui/button_green.dds";
constexpr const char* BUTTON_RED = "data/gui/button_red.dds";

Building* FirstSelectedBuilding()
{
    Entity* first = SelectedEntity(0);
    return first && (first->flags & ENTITY_BUILDING) ? static_cast<Building*>(first) : nullptr;
}

Button* StripButton(const char* text, const char* strip, int atX, int atY, int w, int h, ButtonCallback click)
{
    Font* font = HudFont(4) ? HudFont(4) : GuiDefaultFont;
    Button* button = new Button(nullptr, click, atX, atY, w, h, 0, font, strip, strip, nullptr, AtlasCell(1, 3, 0, 1),
                                AtlasCell(1, 3, 0, 2), 0);
    button->SetImage(strip, AtlasCell(1, 3, 0, 0));
    button->SetText(text);
    return button;
}

void Text(int atX, int atY, const char* text, float r, float g, float b)
{
    Font* font = HudFont(4);
    if (!font) return;
    font->SetColor(r, g, b, 1.0f);
    GuiDrawText(font, atX, atY, text);
}

void ShowLevel(Button* button, int level)
{
    char text[16] = "";
    if (level > 0) snprintf(text, sizeof text, "%d", level);
    button->SetText(text);
}

}  // namespace

void SetEntityIcon(Entity* entity, Sprite* sprite)
{
    if (!sprite) return;
    const char* texture = nullptr;
    int cell = -1;
    if (!GetEntityIcon(entity, &texture, &cell) || !texture) {
        sprite->texture = GuiTexture("Data/gui/black.dds");
        sprite->SetAtlasCell(0);
        return;
    }
    sprite->texture = GuiTexture(texture);
    sprite->SetAtlasCell(cell > 0 ? cell : 0);
}

// ---- The panel

UpgradePanel* GetUpgradePanel()
{
    return TheEntityInfoGui ? TheEntityInfoGui->upgradePanel : nullptr;
}

UpgradePanel::~UpgradePanel()
{
    ReleaseTopLevelWindow(window);
    delete progress;
    delete iconBack;
    delete unitIcon;
}

void UpgradePanel::Build(int displayX, int displayY)
{
    if (window) return;
    InitUnitUpgradeTable();
    x = displayX;
    y = displayY;
    progress = new GuiMeter("  Upgrading...", PackColour(1.0f, 0.6f, 0.0f, 1.0f), PackColour(0.3f, 0.3f, 0.3f, 1.0f),
                            x + HudLength(0.1510417), y + HudLength(0.0911458), HudLength(0.15625), HudLength(0.0338542), false,
                            nullptr, false);
    int back = HudLength(0.0625);
    iconBack = CreateGuiSprite(x + HudLength(0.3125), y + HudLength(0.078125), back, back, "data/gui/solid_darkgrey.dds",
                               0xFFFFFFFF, 0.0f, 0.0f, 1.0f, 1.0f);
    int icon = HudLength(0.046875);
    unitIcon = CreateGuiSprite(x + HudLength(0.3125) + (back - icon) / 2, y + HudLength(0.0885417), icon, icon,
                               "Data/gui/black.dds", 0xFFFFFFFF, 0.0f, 0.0f, 1.0f, 1.0f);

    // The choices in two rows of four at the display's right, over "Start" and "Cancel": the
    // page's title, health and cost lines keep the left half.
    window = new Window();
    window->Move(x + HudLength(0.40625), y + HudLength(0.0104167));
    window->flags |= WINDOW_FRAMELESS | WINDOW_NOT_MANAGED_DRAW;
    int side = HudLength(0.0390625), gap = HudLength(0.0026042);
    for (int i = 0; i < UPGRADE_CHOICE_BUTTONS; ++i) {
        Button* button = new Button(nullptr, OnUpgradeChoiceClicked, (i % 4) * (side + gap), (i / 4) * (side + gap), side, side, 0,
                                    HudFont(4) ? HudFont(4) : GuiDefaultFont, "Data/gui/itemicons.dds", "Data/gui/itemicons.dds",
                                    nullptr, 0, 0, 0);
        button->SetImage("data/gui/highlight.dds", 0);
        // A right click steps the level down.
        button->rightButtonAllowed = true;
        button->hoverEnterCallback = OnUpgradeChoiceHover;
        button->hoverLeaveCallback = ShowInfoPanelButton;
        button->SetVisible(false);
        button->SetEnabled(false);
        choices[i] = button;
        window->AddChild(button);
    }
    int wide = HudLength(0.0833333), tall = HudLength(0.0416667);
    int row = 2 * (side + gap) + HudLength(0.0026042);
    startButton = StripButton("Start", BUTTON_GREEN, 0, row, wide, tall, OnStartUpgradeClicked);
    cancelButton = StripButton("Cancel", BUTTON_RED, wide + HudLength(0.0052083), row, wide, tall, OnEjectUnitClicked);
    window->AddChild(startButton);
    window->AddChild(cancelButton);
    window->FitToChildren(1, 1, 0, 0);
    if (WindowMgr) WindowMgr->AddWindow(window);
    window->SetVisible(false);
}

void UpgradePanel::SetVisible(bool on)
{
    if (!window) return;
    window->SetVisible(on);
    for (Button* button : {startButton, cancelButton}) {
        if (!button) continue;
        button->SetVisible(on);
        button->SetEnabled(on);
    }
    // The choices ShowChoices filled are the visible ones.
    for (Button* button : choices)
        if (button) button->SetEnabled(on && button->IsVisible());
}

Building* UpgradePanel::GetBuilding() const
{
    Entity* entity = building.Get();
    return entity && (entity->flags & ENTITY_BUILDING) ? static_cast<Building*>(entity) : nullptr;
}

void UpgradePanel::SetBuilding(Building* shown)
{
    building.Set(shown);
}

void UpgradePanel::Draw(Building* shown)
{
    Agent* unit = shown ? shown->HeldUnit() : nullptr;
    if (!unit || !window) return;
    if (window->IsVisible()) window->Draw();
    if (iconBack) GuiDrawSprite(iconBack);
    SetEntityIcon(unit, unitIcon);
    if (unitIcon) GuiDrawSprite(unitIcon);
    if (unit->processTimer > 0.0f) {
        if (progress) {
            float total = shown->upgradeTotalTime > 0.0f ? shown->upgradeTotalTime : GetUpgradeTime(shown);
            progress->SetValue(total > 0.0f ? (1.0f - unit->processTimer / total) * 100.0f : 0.0f);
            progress->Draw();
        }
        return;
    }
    int ore = 0, fuel = 0;
    GetUpgradeCost(shown, &ore, &fuel);
    const PlayerProfile* player = GetPlayerProfile();
    int left = x + HudLength(0.1640625), top = y + HudLength(0.0911458);
    Text(left, top, "Upgrade Cost", 1.0f, 1.0f, 1.0f);
    char text[32];
    top += HudLength(0.0208333);
    bool oreShort = player && player->ore < (float)ore, fuelShort = player && player->fuel < (float)fuel;
    snprintf(text, sizeof text, "Ore: %3d", ore);
    Text(left, top, text, oreShort ? 1.0f : 0.8f, oreShort ? 0.3f : 0.8f, oreShort ? 0.2f : 0.8f);
    snprintf(text, sizeof text, "Fuel %3d", fuel);
    Text(left + HudLength(0.078125), top, text, fuelShort ? 1.0f : 0.8f, fuelShort ? 0.3f : 0.8f, fuelShort ? 0.2f : 0.8f);
    top += HudLength(0.0182292);
    Text(left, top, "Time:", 1.0f, 1.0f, 1.0f);
    snprintf(text, sizeof text, "%d sec", (int)GetUpgradeTime(shown));
    Text(left + HudLength(0.0520833), top, text, 0.8f, 0.8f, 0.8f);
}

bool UpgradePanel::CanAfford(const Building* shown)
{
    return CanAffordUpgrade(shown);
}

void UpgradePanel::StartUpgrade(Building* shown)
{
    StartUnitUpgrade(shown);
}

void UpgradePanel::ShowChoices(Building* shown)
{
    UpgradePanel* panel = GetUpgradePanel();
    if (!panel || !shown) return;
    panel->SetBuilding(shown);
    Agent* unit = shown->HeldUnit();
    int used = 0;
    if (unit) {
        for (int n = 0; n < UNIT_UPGRADE_COUNT; ++n) {
            UnitUpgrade& entry = UnitUpgrades[n];
            entry.chosenLevel = 0;
            if (!entry.AppliesTo(unit) || used >= UPGRADE_CHOICE_BUTTONS) continue;
            Button* button = panel->choices[used++];
            if (!button) continue;
            button->SetVisible(true);
            button->SetEnabled(true);
            entry.chosenLevel = entry.LevelIn(shown->chosenUpgrades);
            ShowLevel(button, entry.chosenLevel);
            button->id = n + 1;
            button->hoverEnterCallback = OnUpgradeChoiceHover;
            button->hoverLeaveCallback = ShowInfoPanelButton;
            button->SetIcon(entry.iconSheet, entry.iconSheet, entry.iconCell, entry.iconCell);
        }
    }
    for (int i = used; i < UPGRADE_CHOICE_BUTTONS; ++i)
        if (Button* button = panel->choices[i]) {
            button->SetVisible(false);
            button->SetEnabled(false);
        }
}

// ---- The buttons

const char* UpgradePanel::StepChoice(Building* shown, int n, bool down)
{
    return StepUpgradeChoice(shown, n, down);
}

void UpgradePanel::Refresh(Building* shown)
{
    UpgradePanel* panel = GetUpgradePanel();
    if (panel && shown && panel->GetBuilding() == shown) ShowChoices(shown);
}

// The panel's clicks are orders on the upgrader: the world takes them at the next tick, and the
// panel shows them then.
namespace {

void GiveUpgraderOrder(uint16_t kind, const Building* upgrader, int entry = 0, int step = 0)
{
    PlayerOrder order;
    order.kind = kind;
    order.target = LevelNumberOf(upgrader);
    order.args[0] = entry;
    order.args[1] = step;
    TheOrders.Give(order);
}

}  // namespace

int OnUpgradeChoiceClicked(void*, Button* button)
{
    UpgradePanel* panel = GetUpgradePanel();
    if (!TheGame || !button || !button->IsVisible() || !panel) return 1;
    int n = button->id;
    if (n < 1 || n > UNIT_UPGRADE_COUNT) return 1;
    Building* selected = FirstSelectedBuilding();
    if (!selected || !selected->HeldUnit()) {
        GuiPlaySound("blip");
        return 1;
    }
    GiveUpgraderOrder(ORDER_UPGRADE_CHOICE, selected, n, RightButtonActing() ? -1 : 1);
    return 1;
}

int OnUpgradeChoiceHover(void*, Button* button)
{
    if (!button || !TheInfoTooltip || button->id < 1 || button->id > UNIT_UPGRADE_COUNT) return 1;
    TheInfoTooltip->ShowText(UnitUpgrades[button->id - 1].name);
    return 1;
}

int OnStartUpgradeClicked(void*, Button* button)
{
    Building* selected = FirstSelectedBuilding();
    if (!TheGame || !button || !button->IsVisible() || !GetUpgradePanel() || !selected) return 1;
    GiveUpgraderOrder(ORDER_UPGRADE_START, selected);
    return 1;
}

int OnEjectUnitClicked(void*, Button* button)
{
    Building* selected = FirstSelectedBuilding();
    if (!TheGame || !button || !button->IsVisible() || !selected) return 1;
    GiveUpgraderOrder(ORDER_UPGRADE_EJECT, selected);
    GuiPlaySound("blip");
    return 1;
}
