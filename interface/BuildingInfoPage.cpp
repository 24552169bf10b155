// The building page of the main display: name and health, construction progress or power
// state with the bonus of the building's upgrade level, then what the building provides: a
// factory's queue, a fuel well's vent, a generator's power, a control tower's units. The
// upgrader's panel, the turret's weapon line, the research computer's programs and the
// recycler's controls come with those buildings' behaviours.
#include "interface/EntityInfoGui.h"

#include "gui/Button.h"
#include "gui/GuiDraw.h"
#include "gui/GuiMeter.h"
#include "interface/HudLayout.h"
#include "interface/MessageLists.h"
#include "interface/PowerBar.h"
#include "render/Draw2D.h"
#include "render/Font.h"
#include "world/AgentTypeRegistry.h"
#include "world/BuildItem.h"
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
    Text(title.x, title.y, GuiDisplayText(definition ? definition->name : building->name), 1.0f, 1.0f, 1.0f);

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
    } else if (ThePowerBar && ThePowerBar->IsShort()) {
        bool offline = (flags & (BUILD_WARP_PLATFORM | BUILD_HEALTH_NODE | BUILD_RESEARCH_COMPUTER)) != 0;
        Text(title.x, statusY, offline ? "Low power - Offline!" : "Low power - Reduced efficiency", 1.0f, 0.3f, 0.2f);
    } else {
        PowerLine(text, sizeof text, definition, UpgradeLevel(building));
        Text(title.x, statusY, text, 0.3f, 1.0f, 0.6f);
    }

    int lineX = x + HudLength(0.1692708), lineY = y + HudLength(0.0911458);
    if (flags & BUILD_UNIT_UPGRADER) return;
    if (flags & BUILD_UNIT_FACTORY) {
        DrawProductionQueue(building);
        return;
    }
    if (flags & BUILD_TURRET) return;
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
}
