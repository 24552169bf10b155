// What the mission HUD's buttons do, and the tooltip they share: the cursor rests on a button
// for half a second, then "<tooltip_n>" shows with the key bound to the button's action.
// Every callback checks what it needs and does nothing without it.
#include "interface/MissionHud.h"

#include "campaign/PlayerProfile.h"
#include "gui/Button.h"
#include "gui/WindowManager.h"
#include "interface/CharacterGui.h"
#include "interface/InfoTooltip.h"
#include "interface/InGameMenu.h"
#include "interface/Inventory.h"
#include "levelgen/Growth.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/GameRender.h"
#include "mechanics/Scene.h"
#include "mechanics/Selection.h"
#include "platform/ConfigFile.h"
#include "platform/InputState.h"
#include "platform/Timer.h"
#include "render/Camera.h"
#include "render/HintBox.h"
#include "terrain/Minimap.h"
#include "tools/GrowthTool.h"
#include "world/BuildItem.h"
#include "world/Entity.h"
#include "world/Item.h"

#include <cstdio>

int GridOverlayMode = 0;
int PathOverlayLevel = 0;
bool PathOverlayShown[3] = {};

namespace {

const char* const TOOLTIP_ACTIONS[TOOLTIP_IDS + 1] = {
    "none",          "none",   "resetcamera", "move", "attack", "stop", "repair", "none",
    "scan",          "select_player", "none", "none", "none",   "aimode_default", "aimode_holdposition",
    "aimode_stop",   "none",   "none",        "none", "none",   "none", "none",   "none", "trackplayer",
};
const char* const QUICK_SLOT_ACTIONS[QUICK_SLOTS] = {"quick_slot_1", "quick_slot_2", "quick_slot_3", "quick_slot_4"};

int Passed(void* data)
{
    return data ? (int)*static_cast<intptr_t*>(data) : 0;
}

bool Usable(const Button* button)
{
    return button && button->IsVisible() && button->IsEnabled();
}

// The first steps of every tooltip: true once the cursor has rested long enough.
bool TooltipDue(void* data, Button* button)
{
    MissionHud& hud = TheMissionHud;
    if (!data || !Usable(button)) return false;
    if (!hud.tooltip) hud.tooltip = new HintBox();
    hud.tooltipTimer += FrameTimer.delta;
    if (hud.tooltipTimer <= TOOLTIP_DELAY) {
        hud.tooltipVisible = false;
        return false;
    }
    return true;
}

void ClearHotkey(HintBox* box)
{
    box->hotkey = false;
    box->hotkeyText[0] = '\0';
}

// The item in inventory slot n (0-based), or null.
Item* SlotItem(int n)
{
    if (!PlayerInventory || n < 0 || n >= Inventory::SLOT_COUNT) return nullptr;
    const BagSlot& slot = PlayerInventory->slots[n];
    return slot.kind == 1 ? slot.item : nullptr;
}

}  // namespace

const char* TooltipAction(int id)
{
    return id >= 1 && id <= TOOLTIP_IDS ? TOOLTIP_ACTIONS[id] : "none";
}

int ShowTooltip(void* data, Button* button)
{
    if (!TooltipDue(data, button)) return 1;
    MissionHud& hud = TheMissionHud;
    int id = Passed(data);
    char key[32];
    snprintf(key, sizeof key, "<tooltip_%d>", id);
    hud.tooltip->SetText(key);
    if (id >= 1 && id <= TOOLTIP_IDS)
        hud.tooltip->SetHotkey(TooltipAction(id));
    else
        ClearHotkey(hud.tooltip);
    hud.tooltipVisible = true;
    return 1;
}

int HideTooltip(void*, Button* button)
{
    // A button hidden under the cursor leaves too: its tooltip goes with it.
    if (!button) return 1;
    TheMissionHud.tooltipVisible = false;
    TheMissionHud.tooltipTimer = 0.0f;
    return 1;
}

int ShowQuickSlotTooltip(void* data, Button* button)
{
    if (!TooltipDue(data, button)) return 1;
    MissionHud& hud = TheMissionHud;
    int slot = Passed(data);
    if (slot < 1 || slot > QUICK_SLOTS) {
        hud.tooltipVisible = false;
        return 1;
    }
    Item* item = SlotItem(slot - 1);
    hud.tooltip->SetText(item ? ItemDisplayName(item) : " ");
    hud.tooltip->SetHotkey(QUICK_SLOT_ACTIONS[slot - 1]);
    hud.tooltipVisible = true;
    return 1;
}

int ShowBuildItemTooltip(void* data, Button* button)
{
    BuildItem* item = data ? reinterpret_cast<BuildItem*>(*static_cast<intptr_t*>(data)) : nullptr;
    if (!button || !button->IsVisible() || !item || !GetPlayerProfile()) return 1;
    if (TheInfoTooltip) TheInfoTooltip->ShowBuildingTooltip(item);
    return 1;
}

int HideBuildItemTooltip(void*, Button* button)
{
    if (!TheGame || !button) return 1;
    if (TheInfoTooltip) TheInfoTooltip->Hide();
    return 1;
}

int ToggleMinimapRangesButton(void*, Button*)
{
    TheMinimap.radarRangesShown = !TheMinimap.radarRangesShown;
    PlayFeedbackSound("blip");
    return 1;
}

int ResetCameraButton(void*, Button*)
{
    GameCamera.ResetOrientation();
    PlayFeedbackSound("blip");
    return 1;
}

int ToggleFollowButton(void*, Button*)
{
    GameCamera.SetFollow(!GameCamera.follow, false);
    PlayFeedbackSound("blip");
    // The button's press flips its state afterwards: it ends showing the camera's.
    if (TheMissionHud.followButton) TheMissionHud.followButton->toggled = !GameCamera.follow;
    return 1;
}

int UseQuickSlot(void* data, Button* button)
{
    if (!data || !button || !button->IsVisible() || !TheGame) return 1;
    // The slot's button does what its key does.
    CmdQuickSlot(Passed(data));
    return 1;
}

int CommandButton(void* data, Button*)
{
    Entity* first = TheGame ? TheGame->GetFirstSelected() : nullptr;
    if (first && data) TheGame->SetCommandMode(Passed(data), first);
    PlayFeedbackSound("blip");
    return 1;
}

int BuildTabButton(void* data, Button* button)
{
    MissionHud& hud = TheMissionHud;
    int tab = Passed(data);
    if (!button || tab < 1 || tab > BUILD_TABS) return 1;
    button->SelectInGroup(1);
    if (hud.buildPanel) {
        for (int group = 0; group < BUILD_TABS; ++group)
            if (group == tab - 1)
                hud.buildPanel->ShowChildrenByGroup(group);
            else
                hud.buildPanel->HideChildrenByGroup(group);
    }
    PlayFeedbackSound("blip");
    return 1;
}

int BuildItemButton(void* data, Button*)
{
    BuildItem* pressed = data ? reinterpret_cast<BuildItem*>(*static_cast<intptr_t*>(data)) : nullptr;
    BuildItemList* catalogue = TheGame ? TheGame->buildItems : nullptr;
    if (!pressed || !catalogue) return 1;
    BuildItem* entry = catalogue->FindByName(pressed->name);
    if (!entry || (entry->flags & BUILD_UPGRADE_RECORD)) return 1;
    if (PlayerCanAfford(entry) && catalogue->SetCurrent(entry->name, false))
        PlayFeedbackSound("blip");
    else
        PlayFeedbackSound("countdown");
    return 1;
}

int ToggleInGameMenuButton(void*, Button*)
{
    if (!TheInGameMenu) return 1;
    TheInGameMenu->SetVisible(!TheInGameMenu->menuShown);
    PlayFeedbackSound("blip");
    return 1;
}

// The character screen, with the bag, opens when it is closed and closes when it is open.
int ToggleInventory(void*, Button*)
{
    CharacterGui* screen = TheCharacterGui;
    if (!screen) return 1;
    screen->Show(!(screen->shown && screen->IsVisible()));
    PlayFeedbackSound("blip");
    return 1;
}

void CmdToggleInventory()
{
    ToggleInventory(nullptr, nullptr);
}

int CycleGridOverlayButton(void*, Button*)
{
    GridOverlayMode = (GridOverlayMode + 1) % 3;
    PlayFeedbackSound("blip");
    return 1;
}

int CyclePathOverlayButton(void*, Button*)
{
    PathOverlayLevel = (PathOverlayLevel + 1) % 4;
    for (int i = 0; i < 3; ++i) PathOverlayShown[i] = i < PathOverlayLevel;
    PlayFeedbackSound("blip");
    return 1;
}

int ToggleFogOfWarButton(void*, Button*)
{
    ToggleFogOfWar();
    PlayFeedbackSound("blip");
    return 1;
}

int TogglePostProcessButton(void*, Button*)
{
    PostProcessing = !PostProcessing;
    PlayFeedbackSound("blip");
    return 1;
}

int ToggleGrowthToolButton(void*, Button* button)
{
    if (!button || !TheGrowthDB) return 1;
    GrowthTool::SetVisible(!GrowthTool::IsVisible());
    return 1;
}

void CmdDebugTest()
{
    if (!Config || !Config->debugMode) return;
    ModelViewerTest = !ModelViewerTest;
    Window* bar = TheMissionHud.debugToolBar;
    if (!bar) return;
    // The bar follows its own state, so the first use always shows it.
    bool show = (bar->flags & WINDOW_HIDDEN) != 0;
    bar->SetVisible(show);
    TheMissionHud.debugText = show;
}

// The banner does what the rig's key does: the first press selects the rig alone, the next
// one looks at it, however long the player took between them.
int SelectRigButton(void*, Button*)
{
    SelectPlayerRig();
    return 1;
}

int SelectGroupMember(void*, Button* button)
{
    if (!TheGame) return 0;
    Entity* entity = button ? reinterpret_cast<Entity*>(button->userData) : nullptr;
    if (!entity) return 1;
    TheGame->ClearSelection();
    TheGame->SelectEntity(entity);
    return 1;
}

bool IsCursorOverCommandPanel(Window*)
{
    CommandPanel* panel = TheMissionHud.commandPanel;
    if (!TheGame || !panel || !panel->background || !Input.mouse) return false;
    return panel->background->HitTest(Input.mouse->cursorX, Input.mouse->cursorY);
}
