// A unit factory's production panel, the orders it takes and gives back, and what a building
// does when the player selects it.
#include "campaign/PlayerProfile.h"
#include "gui/Button.h"
#include "gui/Window.h"
#include "gui/WindowManager.h"
#include "interface/InfoTooltip.h"
#include "interface/MessageLists.h"
#include "interface/MissionHud.h"
#include "interface/UnitUpgrade.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/OrderQueue.h"
#include "mechanics/Scene.h"
#include "platform/SoundManager.h"
#include "platform/StringTable.h"
#include "render/Draw2D.h"
#include "render/Sprite.h"
#include "world/AgentTypeRegistry.h"
#include "world/BuildItem.h"
#include "world/Building.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

constexpr uint32_t BUTTON_AFFORDABLE = 0xFFFFFFFF;
constexpr uint32_t BUTTON_REFUSED = 0xFFFF1A1A;

BuildPanel Panels[MAX_BUILD_ITEMS];
int PanelCount = 0;

void PlaySoundNamed(const char* name)
{
    if (SoundMgr) SoundMgr->PlaySound(name);
}

// The entity the player selected first: the selection tint marks it.
Entity* FirstSelected()
{
    for (Scene::Node* node = TheScene.master.head; node; node = node->next)
        if (node->value && (node->value->flags & ENTITY_SELECTION) && !(node->value->flags & ENTITY_LIST_MARKER))
            return node->value;
    return nullptr;
}

int OnUnitButtonEnter(void* hoverValue, Button* button)
{
    AgentType* type = hoverValue ? reinterpret_cast<AgentType*>(*static_cast<intptr_t*>(hoverValue)) : nullptr;
    if (!button || !button->IsVisible() || !type || !GetPlayerProfile()) return 1;
    if (TheInfoTooltip) TheInfoTooltip->ShowUnitTooltip(type);
    return 1;
}

int OnUnitButtonLeave(void*, Button* button)
{
    if (!button) return 1;
    if (TheInfoTooltip) TheInfoTooltip->Hide();
    return 1;
}

}  // namespace

BuildPanel* GetBuildPanel(const BuildItem* definition, bool make)
{
    if (!definition) return nullptr;
    for (int i = 0; i < PanelCount; ++i)
        if (Panels[i].definition == definition) return &Panels[i];
    if (!make || PanelCount >= MAX_BUILD_ITEMS || !WindowMgr) return nullptr;

    int W = ScreenWidth(), H = ScreenHeight();
    int side = (int)(0.0677083358168602 * H);
    int gap = (int)(H / 128.0);
    int width = (int)(0.388671875 * H), height = (int)(0.1904296875 * H);
    BuildPanel& panel = Panels[PanelCount];
    panel = BuildPanel();
    panel.definition = definition;
    panel.window = new Window(W - width, H - height, width, height, 0, nullptr, 0);
    panel.window->SetTexture("data/gui/game/buildback.dds", 0);
    if (!WindowMgr->AddWindow(panel.window)) {
        delete panel.window;
        return nullptr;
    }
    ++PanelCount;

    int x0 = (int)(0.0625 * H), y0 = (int)(0.0234375 * H);
    int x = x0, y = y0, inRow = 0;
    AgentTypeRegistry* registry = TheGame ? TheGame->agentTypes : nullptr;
    if (definition->units)
        for (PooledList<BuildableUnit>::Node* node = definition->units->head; node; node = node->next) {
            AgentType* type = registry ? registry->FindType(node->value.name) : nullptr;
            // A type that is missing takes no button, but keeps its place in the row.
            if (type && panel.buttonCount < (int)(sizeof panel.buttons / sizeof panel.buttons[0])) {
                Button* button = new Button(nullptr, Building::OnBuildUnitButton, x, y, side, side, 0, nullptr,
                                            type->iconPath, type->iconPath, nullptr, type->iconCell, type->iconCell, 0);
                button->userData = (intptr_t)type;
                button->hasUserData = true;
                button->hoverUserData = (intptr_t)type;
                button->hasHoverUserData = true;
                button->hoverEnterCallback = OnUnitButtonEnter;
                button->hoverLeaveCallback = OnUnitButtonLeave;
                button->SetImage("data/gui/highlight.dds", 0);
                panel.window->AddChild(button);
                panel.buttons[panel.buttonCount++] = {button, type};
            }
            x += side + gap;
            if (++inRow == 4) {
                inRow = 0;
                x = x0;
                y += side + gap;
            }
        }
    panel.window->SetVisible(false);
    return &panel;
}

void ReleaseBuildPanels()
{
    for (int i = 0; i < PanelCount; ++i) {
        BuildPanel& panel = Panels[i];
        for (int b = 0; b < panel.buttonCount; ++b) {
            panel.window->RemoveChild(panel.buttons[b].button);
            delete panel.buttons[b].button;
        }
        delete panel.window;
        panel = BuildPanel();
    }
    PanelCount = 0;
}

void ShowBuildingSelected(Building* building, bool selected)
{
    const BuildItem* definition = building ? building->definition : nullptr;
    if (!definition) return;
    if (!selected) {
        if (!(definition->flags & BUILD_UNIT_FACTORY)) return;
        if (BuildPanel* panel = GetBuildPanel(definition, false)) panel->window->SetVisible(false);
        return;
    }
    if (definition->selectedSound[0] && strcmp(definition->selectedSound, "none") != 0)
        PlaySoundNamed(definition->selectedSound);
    if (definition->flags & BUILD_UNIT_FACTORY) {
        if (BuildPanel* panel = GetBuildPanel(definition, true)) panel->window->SetVisible(true);
        building->UpdateBuildButtons();
    }
    if (definition->flags & BUILD_UNIT_UPGRADER) UpgradePanel::ShowChoices(building);
}

int Building::OnBuildUnitButton(void* userValue, Button*)
{
    AgentType* type = userValue ? reinterpret_cast<AgentType*>(*static_cast<intptr_t*>(userValue)) : nullptr;
    if (!type) return 0;
    Entity* selected = FirstSelected();
    if (!selected || !(selected->flags & ENTITY_BUILDING)) {
        PlaySoundNamed("blip");
        return 1;
    }
    // The unit joins the queue at the next tick.
    PlayerOrder order;
    order.kind = ORDER_QUEUE_UNIT;
    order.target = LevelNumberOf(selected);
    order.text = type->name;
    TheOrders.Give(order);
    return 1;
}

void Building::UpdateBuildButtons()
{
    if (!definition || !(definition->flags & BUILD_UNIT_FACTORY) || buildState == BUILD_STATE_CONSTRUCTING) return;
    BuildPanel* panel = GetBuildPanel(definition, false);
    const PlayerProfile* profile = GetPlayerProfile();
    if (!panel || !profile) return;
    for (int i = 0; i < panel->buttonCount; ++i) {
        Button* button = panel->buttons[i].button;
        const AgentType* type = panel->buttons[i].type;
        button->SetVisible(type->buyCost == 0 || (type->flags & AGENT_TYPE_OWNED));
        bool affordable = profile->unitsInUse <= UsableUnitControl(profile) && (float)type->oreCost <= profile->ore &&
                          (float)type->fuelCost <= profile->fuel;
        uint32_t colour = affordable ? BUTTON_AFFORDABLE : BUTTON_REFUSED;
        for (Sprite* face : {button->pressedSprite, button->unpressedSprite})
            if (face) face->SetColor(colour);
    }
}
