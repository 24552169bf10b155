// The building page of the main display: name and health, construction progress or power
// state with the bonus of the building's upgrade level, then one section chosen by what the
// building does: an upgrader's panel, a factory's queue, a turret's weapon, a fuel well's vent,
// a generator's power, a control tower's units, a research computer's programs, or a
// recycler's controls. Also the research computer's programs panel.
#include "interface/EntityInfoGui.h"

#include "gui/Button.h"
#include "gui/GuiDraw.h"
#include "gui/GuiMeter.h"
#include "gui/WindowManager.h"
#include "interface/HudLayout.h"
#include "interface/InfoTooltip.h"
#include "interface/MessageLists.h"
#include "interface/MissionHud.h"
#include "interface/UnitUpgrade.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/OrderQueue.h"
#include "render/Draw2D.h"
#include "render/Font.h"
#include "world/AgentTypeRegistry.h"
#include "world/BuildItem.h"
#include "world/Agent.h"
#include "world/Building.h"

#include <cstdio>

namespace {

void Text(int x, int y, const char* text, float r, float g, float b)
{
    Font* font = HudFont(4);
    if (!font) return;
    font->SetColor(r, g, b, 1.0f);
    GuiDrawText(font, x, y, text);
}

constexpr const char* BUTTON_GREY = "data/gui/button_grey.dds";

// A turret's weapon by the definition's weapon type.
const char* TurretWeaponName(int type)
{
    switch (type) {
    case 0: return "Laser";
    case 1: return "Missile";
    case 2: return "Electric";
    case 3: return "Mortar";
    case 5: return "Flame";
    case 6: return "Acid";
    case 7: return "Plasma";
    case 8: return "Pulse";
    default: return "Ballistic";
    }
}

int UpgradeLevel(const Building* building)
{
    if (building->stateFlags & BUILDING_POWER_LEVEL_3) return 3;
    if (building->stateFlags & BUILDING_POWER_LEVEL_2) return 2;
    if (building->stateFlags & BUILDING_POWER_LEVEL_1) return 1;
    return 0;
}

// The line under the title of a working building.
void PowerLine(char* out, size_t size, const BuildItem* definition, int level)
{
    uint32_t flags = definition ? definition->flags : 0;
    snprintf(out, size, "Ready");
    if (level == 0) return;
    if (flags & BUILD_RESOURCE_DROP)
        snprintf(out, size, "Power bonus +%d%% mining yield", 5 * level);
    else if (flags & BUILD_DEEP_MINE)
        snprintf(out, size, "Power bonus +%d%% fuel yield", 10 * level);
    else if (flags & BUILD_UNIT_FACTORY)
        snprintf(out, size, "Power bonus +%d%% production speed", 5 * level);
    else if (flags & BUILD_HEALTH_NODE)
        snprintf(out, size, "Power bonus +%d%% healing", 5 * level);
    else if (flags & BUILD_UNIT_UPGRADER)
        snprintf(out, size, "Power bonus +%d%% upgrade speed", 5 * level);
}

}  // namespace

void EntityInfoGui::DrawProductionQueue(Building* building)
{
    if (ProductionQueueWindow) ProductionQueueWindow->SetVisible(true);
    PooledList<AgentType*>* queue = building->buildQueue;
    // A slot shows a unit only while the unit waits in the queue: the one that came out leaves
    // its slot empty (and not clickable) at once.
    PooledList<AgentType*>::Node* waiting = queue ? queue->head : nullptr;
    for (Button* button : QueueButtons) {
        if (button) button->SetVisible(waiting && waiting->value);
        if (waiting) waiting = waiting->next;
    }
    if (!queue || !queue->head) return;
    const AgentType* first = queue->head->value;
    if (productionMeter) {
        float time = first ? first->buildTime : 0.0f;
        productionMeter->SetValue(time > 0.0f ? (1.0f - building->productionTimer / time) * 100.0f : 0.0f);
        productionMeter->Draw();
    }
    int i = 0;
    for (PooledList<AgentType*>::Node* node = queue->head; node && i < QUEUE_BUTTONS; node = node->next, ++i) {
        Button* button = QueueButtons[i];
        const AgentType* type = node->value;
        if (!button || !type) continue;
        button->SetIcon(type->iconPath, type->iconPath, type->iconCell, type->iconCell);
        button->Draw();
    }
}

void EntityInfoGui::DrawBuildingPage(Building* building)
{
    HideAll();
    const BuildItem* definition = building->definition;
    Text(title.x, title.y, GuiDisplayText(definition ? BuildItemDisplayName(definition) : building->name), 1.0f, 1.0f, 1.0f);

    if (healthMeter) {
        float maximum = building->GetMaxHealth();
        healthMeter->SetValue(maximum > 0.0f ? building->GetHealth() / maximum * 100.0f : 0.0f);
        // Health first, as every other meter reads.
        healthMeter->UpdateText((int)building->GetHealth(), (int)maximum);
        healthMeter->Draw();
    }

    if (building->buildState == BUILD_STATE_CONSTRUCTING) {
        if (constructionMeter) {
            float time = definition ? definition->buildTime : 0.0f;
            constructionMeter->SetValue(time > 0.0f ? building->buildProgress / time * 100.0f : 0.0f);
            constructionMeter->Draw();
        }
        if (cancelConstructionButton) {
            cancelConstructionButton->SetVisible(true);
            cancelConstructionButton->SetEnabled(true);
        }
        return;
    }

    int statusY = title.y + HudLength(0.0520833);
    char text[96];
    uint32_t flags = definition ? definition->flags : 0;
    if (building->buildState == BUILD_STATE_DISABLED) {
        Text(title.x, statusY, "Disabled", 0.8f, 0.8f, 0.8f);
    } else if (PowerIsShort()) {
        bool offline = (flags & (BUILD_WARP_PLATFORM | BUILD_HEALTH_NODE | BUILD_RESEARCH_COMPUTER)) != 0;
        Text(title.x, statusY, offline ? "Low power - Offline!" : "Low power - Reduced efficiency", 1.0f, 0.3f, 0.2f);
    } else {
        PowerLine(text, sizeof text, definition, UpgradeLevel(building));
        Text(title.x, statusY, text, 0.3f, 1.0f, 0.6f);
    }

    int lineX = x + HudLength(0.1692708), lineY = y + HudLength(0.0911458);
    if (flags & BUILD_UNIT_UPGRADER) {
        DrawUpgraderSection(building);
        return;
    }
    if (flags & BUILD_UNIT_FACTORY) {
        DrawProductionQueue(building);
        return;
    }
    if (flags & BUILD_TURRET) {
        int weaponX = x + HudLength(0.1484375), weaponY = y + HudLength(0.1041667);
        snprintf(text, sizeof text, "%s damage: %.1f (%.1f dps)   Range: %.1f", TurretWeaponName(definition->weapon),
                 building->GetDamage(nullptr), building->GetDamagePerSecond(nullptr), building->GetTypeRadius());
        Text(weaponX, weaponY, text, 1.0f, 1.0f, 1.0f);
        snprintf(text, sizeof text, "Kills: %d", building->kills);
        Text(weaponX, weaponY + HudLength(0.0234375), text, 1.0f, 1.0f, 1.0f);
        return;
    }
    if (flags & BUILD_DEEP_MINE) {
        if (Entity* vent = building->linkedEntity.Get()) {
            if (building->stateFlags & BUILDING_VENT_DEPLETED)
                snprintf(text, sizeof text, "Depleted");
            else
                snprintf(text, sizeof text, "Fuel %d", (int)vent->GetHealth());
            Text(lineX, lineY, text, 1.0f, 1.0f, 1.0f);
        }
        return;
    }
    if ((flags & BUILD_RESOURCE) && definition->resourcePower > 0) {
        snprintf(text, sizeof text, "Power: +%d", definition->resourcePower);
        Text(lineX, lineY, text, 1.0f, 1.0f, 1.0f);
        return;
    }
    if (flags & BUILD_UNIT_CONTROL) {
        snprintf(text, sizeof text, "Units: +%d", definition->level > 0 ? 10 : 5);
        Text(lineX, lineY, text, 1.0f, 1.0f, 1.0f);
        return;
    }
    if (flags & BUILD_RESEARCH_COMPUTER) {
        if (!programsPanel) {
            programsPanel = new ProgramsPanel();
            programsPanel->Build(x, y);
        }
        programsPanel->building.Set(building);
        programsPanel->SetVisible(true);
        programsPanel->Draw(building);
        return;
    }
    if (flags & BUILD_UNIT_RECYCLER) DrawRecyclerSection(building);
}

void EntityInfoGui::DrawUpgraderSection(Building* building)
{
    if (!upgradePanel) {
        upgradePanel = new UpgradePanel();
        upgradePanel->Build(x, y);
    }
    UpgradePanel* panel = upgradePanel;
    if (panel->GetBuilding() != building) UpgradePanel::ShowChoices(building);
    panel->SetBuilding(building);
    if (!building->HeldUnit()) {
        // Nothing inside: nothing to choose, start or let out.
        panel->SetVisible(false);
        return;
    }
    panel->SetVisible(true);
    panel->Draw(building);
}

void EntityInfoGui::DrawRecyclerSection(Building* building)
{
    if (!building->linkedEntity.IsSet()) return;
    bool running = building->recycleTimer > 0.0f;
    for (Button* button : {recycleStartButton, recycleCancelButton}) {
        if (!button) continue;
        button->SetVisible(true);
        button->SetEnabled(!running);
    }
    const char* start = running ? BUTTON_GREY : "data/gui/button_green.dds";
    const char* cancel = running ? BUTTON_GREY : "data/gui/button_red.dds";
    if (recycleStartButton) recycleStartButton->SetIcon(start, start, AtlasCell(1, 3, 0, 2), AtlasCell(1, 3, 0, 1));
    if (recycleCancelButton) recycleCancelButton->SetIcon(cancel, cancel, AtlasCell(1, 3, 0, 2), AtlasCell(1, 3, 0, 1));
    if (running && recyclerMeter) {
        recyclerMeter->SetValue(building->recycleTimer / 5.0f * 100.0f);
        recyclerMeter->Draw();
    }
}

// ---- The research computer's programs

const char* ProgramName(int program)
{
    static const char* const names[] = {"[Ore Enrichment]", "[Turret Targeting]", "[Bot Learning]",
                                        "[Build Speed]",    "[Bot Targeting]",    "[Fuel Refinement]"};
    return program >= 1 && program <= ProgramsPanel::PROGRAMS ? names[program - 1] : "[None]";
}

ProgramsPanel::~ProgramsPanel()
{
    ReleaseTopLevelWindow(window);
    delete loading;
}

void ProgramsPanel::Build(int displayX, int displayY)
{
    if (window) return;
    x = displayX;
    y = displayY;
    loading = new GuiMeter("  Loading...", PackColour(1.0f, 0.6f, 0.0f, 1.0f), PackColour(0.3f, 0.3f, 0.3f, 1.0f),
                           x + HudLength(0.1510417), y + HudLength(0.1328125), HudLength(0.15625), HudLength(0.0182292), false,
                           nullptr, false);
    // Two rows of three under the "Programs" heading at the display's right.
    window = new Window();
    window->Move(x + HudLength(0.453125), y + HudLength(0.0520833));
    window->flags |= WINDOW_FRAMELESS | WINDOW_NOT_MANAGED_DRAW;
    const int cells[PROGRAMS][2] = {{2, 2}, {3, 2}, {0, 3}, {1, 3}, {2, 3}, {3, 3}};
    int side = HudLength(0.0390625), gap = HudLength(0.0026042);
    for (int i = 0; i < PROGRAMS; ++i) {
        int cell = AtlasCell(4, 4, cells[i][0], cells[i][1]);
        Button* button = new Button(nullptr, OnProgramClicked, (i % 3) * (side + gap), (i / 3) * (side + gap), side, side, 0,
                                    HudFont(4), "Data/gui/damagetypes.dds", "Data/gui/damagetypes.dds", nullptr, cell, cell, 0);
        button->SetImage("data/gui/highlight.dds", 0);
        button->id = i + 1;
        button->hoverEnterCallback = ShowTooltip;
        button->hoverLeaveCallback = HideTooltip;
        button->hoverUserData = 16 + i;
        button->hasHoverUserData = true;
        buttons[i] = button;
        window->AddChild(button);
    }
    window->FitToChildren(1, 1, 0, 0);
    if (WindowMgr) WindowMgr->AddWindow(window);
    SetVisible(false);
}

void ProgramsPanel::SetVisible(bool on)
{
    if (!window) return;
    window->SetVisible(on);
    for (Button* button : buttons) {
        if (!button) continue;
        button->SetVisible(on);
        button->SetEnabled(on);
    }
}

Building* ProgramsPanel::GetBuilding() const
{
    Entity* entity = building.Get();
    return entity && (entity->flags & ENTITY_BUILDING) ? static_cast<Building*>(entity) : nullptr;
}

void ProgramsPanel::Draw(Building* shown)
{
    if (!window || !shown) return;
    if (window->IsVisible()) window->Draw();
    if (shown->researchTimer > 0.0f && loading) {
        snprintf(loading->text, sizeof loading->text, "  Loading...");
        loading->SetValue((1.0f - shown->researchTimer / SWITCH_SECONDS) * 100.0f);
        loading->Draw();
    }
    Text(x + HudLength(0.453125), y + HudLength(0.0260417), "Programs", 1.0f, 1.0f, 1.0f);
    char text[64];
    snprintf(text, sizeof text, " %s", ProgramName(shown->researchKind));
    int nameY = y + HudLength(0.0859375);
    Text(x + HudLength(0.1510417), nameY, text, 0.741f, 0.776f, 0.569f);
    snprintf(text, sizeof text, " Power: %d", shown->definition ? shown->definition->costPower : 0);
    Text(x + HudLength(0.1510417), nameY + HudLength(0.0286458), text, 0.8f, 0.8f, 0.8f);
}

int OnProgramClicked(void*, Button* button)
{
    ProgramsPanel* panel = TheEntityInfoGui ? TheEntityInfoGui->programsPanel : nullptr;
    Building* shown = panel ? panel->GetBuilding() : nullptr;
    if (!shown || !button || !button->IsVisible()) return 1;
    // The computer takes the program at the next tick.
    PlayerOrder order;
    order.kind = ORDER_RESEARCH_PROGRAM;
    order.target = LevelNumberOf(shown);
    order.args[0] = button->id;
    TheOrders.Give(order);
    GuiPlaySound("countdown");
    return 1;
}
