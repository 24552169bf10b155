// The mission HUD every frame: the resource bar's counters and rates, the build buttons the
// player can afford, the command panel of the selected unit, and the drawing of the HUD over
// the world (panels for the selection, the rig banner, the group panel with its statistics,
// the windows, the drag box, the cursor, the hints and the tooltip).
#include "interface/MissionHud.h"
#include "interface/ObjectivesPanel.h"
#include "tools/TerrainEditor.h"

#include "campaign/PlayerProfile.h"
#include "campaign/RigCatalog.h"
#include "gui/Button.h"
#include "gui/GuiDraw.h"
#include "gui/GuiMeter.h"
#include "gui/Label.h"
#include "gui/WindowManager.h"
#include "interface/EntityInfoGui.h"
#include "interface/HudLayout.h"
#include "interface/InfoTooltip.h"
#include "interface/Inventory.h"
#include "interface/MessageLists.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Objectives.h"
#include "platform/InputState.h"
#include "platform/Timer.h"
#include "render/Font.h"
#include "render/HintBox.h"
#include "render/RenderStateCache.h"
#include "render/Sprite.h"
#include "terrain/Minimap.h"
#include "world/Agent.h"
#include "world/AgentTypeRegistry.h"
#include "world/AiBrain.h"
#include "world/BuildItem.h"
#include "world/Building.h"
#include "world/Item.h"
#include "world/WeaponDef.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr uint32_t TINT_AFFORDABLE = 0xFFFFFFFF;
constexpr uint32_t TINT_TOO_DEAR = 0xFFFF1A1A;
constexpr uint32_t DRAG_BOX_COLOUR = 0xFF3399FF;
constexpr const char* RIG_ICONS = "data/gui/icons/rig_icons.dds";

void Tint(Button* button, uint32_t colour)
{
    if (button->pressedSprite) button->pressedSprite->SetColor(colour);
    if (button->unpressedSprite) button->unpressedSprite->SetColor(colour);
}

bool ModalOpen() { return WindowMgr && WindowMgr->modal; }

// The rig's banner above the minimap with its health and shield meters, made on first use.
void MakeRigBanner(MissionHud& hud)
{
    const int h = ScreenHeight();
    MinimapLayout layout = ComputeMinimapLayout(h);
    int m = layout.frameSize, bh = HudFraction(34, 768);
    int y0 = layout.frameY - HudFraction(20, 768) - bh;
    Button* banner = new Button(SelectRigButton, nullptr, 0, y0, m, bh, 0, HudFont(1), "data/gui/missionbanner.dds",
                                "data/gui/missionbanner.dds", nullptr, 0, 0, 1);
    banner->SetText("Select Rig");
    banner->id = HUD_WINDOW_ID;
    banner->hoverEnterCallback = ShowTooltip;
    banner->hoverLeaveCallback = HideTooltip;
    banner->hoverUserData = 9;
    banner->hasHoverUserData = true;
    if (WindowMgr) WindowMgr->AddWindow(banner);
    hud.rigBanner = banner;
    int hh = HudFraction(12, 768);
    hud.rigHealthMeter = new GuiMeter("", 0xFF00FF00, 0xFF000000, 0, y0 + bh, m, hh, false, nullptr, false);
    hud.rigHealthMeter->SetValue(100.0f);
    hud.rigShieldMeter = new GuiMeter("", HUD_SHIELD_COLOUR, 0xFF000000, 0, y0 + bh + hh / 2, m, hh / 2, false, nullptr, false);
    hud.rigShieldMeter->SetIcon("data/gui/divbar.dds");
}

void DrawRigBanner(MissionHud& hud, float dt)
{
    if (!hud.rigBanner) MakeRigBanner(hud);
    Agent* rig = GetPlayerRig();
    if (!rig) return;
    float maxHealth = rig->GetMaxHealth();
    float healthPercent = maxHealth > 0.0f ? rig->GetHealth() / maxHealth * 100.0f : 0.0f;
    uint32_t healthColour = HealthColour(healthPercent / 100.0f);
    hud.rigHealthMeter->SetValue(healthPercent, &healthColour);
    bool shields = (rig->flags & ENTITY_SHIELD) != 0;
    if (shields && rig->maxShield > 0.0f) hud.rigShieldMeter->SetValue(rig->shield / rig->maxShield * 100.0f);
    float shieldPart = maxHealth > 0.0f ? rig->shield / maxHealth * 100.0f : 0.0f;
    if (healthPercent + 0.5f * shieldPart < 50.0f) {
        if (hud.blinkTimer <= 0.0f) {
            hud.blink = !hud.blink;
            hud.blinkTimer = 0.5f;
        }
        hud.blinkTimer -= dt;
    } else {
        hud.blink = false;
    }
    int row = hud.blink ? 1 : 0;
    hud.rigBanner->SetIcon("data/gui/planetlabels.dds", "data/gui/planetlabels.dds", AtlasCell(1, 2, 0, row),
                           AtlasCell(1, 2, 0, row));
    hud.rigBanner->flags |= WINDOW_NOT_MANAGED_DRAW;
    hud.rigBanner->Draw();
    hud.rigHealthMeter->Draw();
    if (shields) hud.rigShieldMeter->Draw();
}

void MakeGroupPanel(MissionHud& hud)
{
    for (int& id : hud.groupIds) id = WindowMgr ? WindowMgr->NewWindowId() : 0;
    Window* panel = new Window(0, 0, 1, 1, 0, nullptr, WINDOW_FRAMELESS);
    panel->id = HUD_WINDOW_ID;
    if (WindowMgr) WindowMgr->AddWindow(panel);
    int large = HudFraction(40, 768), gap = ScreenHeight() / 192, small = (int)(0.75f * (float)large);
    auto make = [&](int i, int side, int perRow, int group) {
        int x = (i % perRow) * (side + gap), y = (i / perRow) * (side + gap);
        Button* button = new Button(SelectGroupMember, nullptr, x, y, side, side, 0, nullptr, nullptr, nullptr, nullptr, 0, 0, 0);
        button->group = group;
        panel->AddChild(button);
        return button;
    };
    for (int i = 0; i < GROUP_LARGE_BUTTONS; ++i) hud.groupLarge[i] = make(i, large, 6, hud.groupIds[0]);
    for (int i = 0; i < GROUP_SMALL_BUTTONS; ++i) hud.groupSmall[i] = make(i, small, 8, hud.groupIds[1]);
    panel->FitToChildren(-1, -1, 0, 0);
    const int w = ScreenWidth(), h = ScreenHeight();
    panel->Move(w / 2 - HudFraction(270, 768) + h / 24, h - HudFraction(153, 1024));
    panel->SetVisible(false);
    panel->HideChildrenByGroup(hud.groupIds[0]);
    panel->HideChildrenByGroup(hud.groupIds[1]);
    hud.groupPanel = panel;
}

void DrawGroupPanel(MissionHud& hud, GameMechanics* game)
{
    if (TheEntityInfoGui) TheEntityInfoGui->HideAll();
    if (!hud.groupPanel) MakeGroupPanel(hud);
    int selected = game->hand.selected.count;
    bool useLarge = selected <= GROUP_LARGE_BUTTONS;
    hud.groupPanel->SetVisible(true);
    if (useLarge) {
        hud.groupPanel->ShowChildrenByGroup(hud.groupIds[0]);
        hud.groupPanel->HideChildrenByGroup(hud.groupIds[1]);
    } else {
        hud.groupPanel->HideChildrenByGroup(hud.groupIds[0]);
        hud.groupPanel->ShowChildrenByGroup(hud.groupIds[1]);
    }
    for (Button* button : hud.groupLarge) button->SetVisible(false);
    for (Button* button : hud.groupSmall) button->SetVisible(false);

    Entity* processed[GROUP_SMALL_BUTTONS];
    int n = 0;
    for (auto* node = game->hand.selected.head; node && n < GROUP_SMALL_BUTTONS; node = node->next) {
        Entity* entity = node->value;
        Button* button = useLarge ? (n < GROUP_LARGE_BUTTONS ? hud.groupLarge[n] : nullptr) : hud.groupSmall[n];
        processed[n++] = entity;
        const char* texture = nullptr;
        int cell = -1;
        if (!button || !GetEntityIcon(entity, &texture, &cell)) continue;
        int face = cell > 0 ? cell : 0;
        button->SetIcon(texture, texture, face, face);
        float maxHealth = entity->GetMaxHealth();
        Tint(button, HealthColour(maxHealth > 0.0f ? entity->GetHealth() / maxHealth : 0.0f));
        button->userData = (intptr_t)entity;
        button->SetVisible(true);
    }
    GroupStats stats = ComputeGroupStats(processed, n);
    if (stats.anyUnitNotRig && TheEntityInfoGui) TheEntityInfoGui->ShowStanceButtons();
    char text[160];
    Font* font = HudFont(4);
    if (FormatGroupStats(stats, text, sizeof text) && font) {
        const int w = ScreenWidth(), h = ScreenHeight();
        font->SetColor(0.8f, 0.8f, 0.8f, 1.0f);
        GuiDrawText(font, w / 2 - HudFraction(270, 768) + HudFraction(34, 768), h - HudFraction(25, 768), text);
        font->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
    }
}

// Four two-pixel lines from the drag's origin to the cursor.
void DrawDragBox(MissionHud& hud, int sx, int sy, int x, int y)
{
    Sprite* line = hud.whiteSprite;
    if (!line) return;
    line->SetColor(DRAG_BOX_COLOUR);
    const ScreenRect sides[] = {{sx, sy, sx + 2, y}, {x - 2, sy, x, y}, {sx, sy, x, sy + 2}, {sx, y - 2, x, y}};
    for (const ScreenRect& side : sides) {
        ScreenRect r = side;
        if (r.left > r.right) std::swap(r.left, r.right);
        if (r.top > r.bottom) std::swap(r.top, r.bottom);
        line->SetRect(r);
        GuiDrawSprite(line);
    }
}

void DrawDebugText(Entity* first)
{
    if (!first || !(first->flags & ENTITY_AGENT)) return;
    Agent* agent = static_cast<Agent*>(first);
    char text[256];
    int length = snprintf(text, sizeof text, "Brain: %s\n", AIBrain::GetModeName(agent->CurrentAiMode()));
    auto append = [&](const char* line) {
        if (length >= 0 && length < (int)sizeof text) length += snprintf(text + length, sizeof text - length, "%s", line);
    };
    if (agent->classWord & AGENT_MOVING)
        append("AGENT_MOVE\n");
    else if (agent->classWord & AGENT_WAITING)
        append("AGENT_MOVE_WAIT_ON_BLOCK\n");
    else if (agent->classWord & AGENT_STEPPING)
        append("AGENT_MOVE_REQUEST\n");
    if (agent->classWord & AGENT_ORDERED_MOVE) append("AGENT_ATTACK_MOVE\n");
    Vec3 p = agent->IsAttached() ? agent->GetAttachedPosition() : agent->GetPosition();
    char position[64];
    snprintf(position, sizeof position, "%.1f, %.1f, %.1f\n", p.x, p.y, p.z);
    append(position);
    if (Font* font = HudFont(4)) GuiDrawText(font, HudFraction(10, 768), HudFraction(200, 768), text);
}

}  // namespace

uint32_t HealthColour(float fraction)
{
    auto byte = [](float v) -> uint32_t { return v >= 1.0f ? 0xFF : v <= 0.0f ? 0 : (uint32_t)(v * 255.0f + 0.5f); };
    return 0xFF000000 | byte(1.0f - fraction) << 16 | byte(fraction) << 8;
}

bool GetEntityIcon(Entity* entity, const char** texture, int* cell)
{
    *texture = nullptr;
    *cell = -1;
    if (!entity) return false;
    int found = -1;
    if (entity->flags & ENTITY_BUILDING) {
        BuildItem* item = static_cast<Building*>(entity)->definition;
        if (!item || !item->iconName[0]) return false;
        *texture = item->iconName;
        found = item->iconCell;
    } else if (entity->flags & ENTITY_AGENT) {
        Agent* agent = static_cast<Agent*>(entity);
        AgentType* type = agent->agentType;
        if (!type && TheGame && TheGame->agentTypes) type = TheGame->agentTypes->FindTypeFor(agent);
        PlayerProfile* profile = GetPlayerProfile();
        if ((entity->flags & ENTITY_PLAYER) && profile && profile->chassis) {
            // The rig wears its chassis's picture.
            *texture = RIG_ICONS;
            found = (int)profile->chassis->iconWord;
        } else {
            if (!type || !type->iconPath[0]) return false;
            *texture = type->iconPath;
            found = type->iconCell;
        }
    } else if (entity->flags & ENTITY_ITEM) {
        Item* item = static_cast<Item*>(entity);
        if (!item->iconPath[0]) return false;
        *texture = item->iconPath;
        found = item->iconCell;
    } else {
        return false;
    }
    *cell = found > 0 ? found : -1;
    return true;
}

GroupStats ComputeGroupStats(Entity* const* entities, int count)
{
    GroupStats stats;
    Agent* rig = GetPlayerRig();
    for (int i = 0; i < count; ++i) {
        Entity* entity = entities[i];
        if (!entity) continue;
        ++stats.count;
        stats.kills += entity->kills;
        if (entity == rig) {
            // Counted by the weapons it carries: those on its arms and those of its items.
            const WeaponDef* weapons[Agent::MAX_ITEM_WEAPONS];
            const int count = rig->GetItemWeapons(weapons, Agent::MAX_ITEM_WEAPONS);
            for (int i = 0; i < count; ++i) {
                stats.damage += rig->GetDamage(weapons[i]);
                stats.dps += rig->GetDamagePerSecond(weapons[i]);
            }
        } else {
            stats.damage += entity->GetDamage(entity->weapon);
            stats.dps += entity->GetDamagePerSecond(entity->weapon);
        }
        if (!(entity->flags & (ENTITY_AGENT | ENTITY_BUILDING))) stats.allUnitsOrBuildings = false;
        if ((entity->flags & ENTITY_AGENT) && entity != rig) stats.anyUnitNotRig = true;
    }
    return stats;
}

bool FormatGroupStats(const GroupStats& stats, char* out, int size)
{
    if (size > 0) out[0] = '\0';
    if (stats.count < 1 || !stats.allUnitsOrBuildings) return false;
    float n = (float)stats.count;
    snprintf(out, (size_t)size, "Group Stats: Kills %d (Avg: %.1f)   Average Damage: %.1f (dps: %.1f)", stats.kills,
             stats.kills / n, stats.damage / n, stats.dps / n);
    return true;
}

void UpdateResourceRates(float dt, float oreTotal, float fuelTotal)
{
    MissionHud& hud = TheMissionHud;
    if (hud.oreTimer > 0.0f) hud.oreTimer -= dt;
    if (hud.oreTimer <= 0.0f) {
        hud.oreTimer = 20.0f;
        hud.oreRate = (oreTotal - hud.lastOreTotal) / 20.0f * 60.0f;
        hud.lastOreTotal = oreTotal;
    }
    if (hud.fuelTimer > 0.0f) hud.fuelTimer -= dt;
    if (hud.fuelTimer <= 0.0f) {
        hud.fuelTimer = 4.0f;
        hud.fuelRate = (fuelTotal - hud.lastFuelTotal) * 0.25f * 60.0f;
        hud.lastFuelTotal = fuelTotal;
    }
}

void UpdateHud()
{
    MissionHud& hud = TheMissionHud;
    PlayerProfile* profile = GetPlayerProfile();
    if (!hud.built || !profile) return;
    char text[32];
    if (hud.unitsLabel) {
        int limit = std::min(profile->unitControl, profile->maxUnitControl);
        snprintf(text, sizeof text, "%d/%d", profile->unitsInUse, limit);
        hud.unitsLabel->SetText(text);
        bool over = profile->unitsInUse > limit;
        hud.unitsLabel->r = 1.0f;
        hud.unitsLabel->g = over ? 0.3f : 1.0f;
        hud.unitsLabel->b = over ? 0.2f : 1.0f;
        hud.unitsLabel->a = 1.0f;
    }
    if (hud.oreLabel) {
        snprintf(text, sizeof text, "%4d", (int)profile->ore);
        hud.oreLabel->SetText(text);
    }
    if (hud.fuelLabel) {
        snprintf(text, sizeof text, "%4d", (int)profile->fuel);
        hud.fuelLabel->SetText(text);
    }
    UpdateResourceRates(ModalOpen() ? 0.0f : FrameTimer.delta, profile->oreGained, profile->fuelGained);

    int selectedTab = BUILD_TABS;
    for (int k = 0; k < BUILD_TABS; ++k)
        if (hud.buildTabs[k] && hud.buildTabs[k]->selected) {
            selectedTab = k;
            break;
        }
    int shown = 0;
    for (auto* node = hud.buildButtons.head; node; node = node->next) {
        Button* button = node->value.button;
        BuildItem* item = node->value.item;
        if (item->buyCost != 0 && !(item->flags & BUILD_MARKED)) {
            button->SetVisible(false);
        } else if (button->group == selectedTab) {
            button->SetVisible(true);
            ++shown;
        }
        Tint(button, PlayerCanAfford(item) ? TINT_AFFORDABLE : TINT_TOO_DEAR);
    }
    if (hud.noTabItemsLabel) hud.noTabItemsLabel->SetVisible(shown == 0);
    if (TheGame && TheGame->hand.selected.count == 1) {
        Entity* first = TheGame->GetFirstSelected();
        if (first && (first->flags & ENTITY_BUILDING)) static_cast<Building*>(first)->UpdateBuildButtons();
    }
}

void CommandPanel::RefreshQuickSlots()
{
    for (int i = 0; i < QUICK_SLOTS; ++i) {
        Button* overlay = quickSlotOverlays[i];
        if (!overlay) continue;
        const BagSlot* slot = PlayerInventory ? &PlayerInventory->slots[i] : nullptr;
        Item* item = slot && slot->kind == 1 ? slot->item : nullptr;
        if (!item) {
            overlay->SetVisible(false);
            overlay->SetText(nullptr);
            continue;
        }
        int cell = item->iconCell > 0 ? item->iconCell : 0;
        overlay->SetIcon(item->iconPath, item->iconPath, cell, cell);
        char count[16];
        snprintf(count, sizeof count, "%d", item->stackCount);
        overlay->SetText((item->itemFlags & ITEM_FLAG_STACKABLE) ? count : nullptr);
        overlay->SetVisible(true);
    }
}

void CommandPanel::Layout(int newMask)
{
    RefreshQuickSlots();
    if (newMask == mask) return;
    const int h = ScreenHeight();
    int cx = 2 * (h / 192) + 4 * HudFraction(3, 64), cy = h / 192;
    int visible = 0;
    for (int k = 0; k < COMMAND_BUTTONS; ++k) {
        Button* button = commandButtons[k];
        if (!button) continue;
        if (newMask & (1 << k)) {
            button->flags &= ~WINDOW_FRAMELESS;
            button->Move(cx, cy);
            button->SetEnabled(true);
            cx += step;
            if (k == COMMAND_BUTTONS - 1) cx += buttonWidth;
            ++visible;
        } else {
            button->flags |= WINDOW_FRAMELESS;
            button->SetEnabled(false);
        }
    }
    if (panel) {
        panel->FitToChildren(-1, -1, 0, 0);
        if (background) background->SetSize(cx, background->height);
        panel->SetVisible(visible > 0);
    }
    mask = newMask;
}

void CommandPanel::Show(bool show, int newMask)
{
    if (!panel) return;
    if (show) {
        panel->ShowChildrenByGroup(group);
        Layout(newMask);
        panel->SetVisible(true);
    } else {
        panel->HideChildrenByGroup(group);
        panel->SetVisible(false);
    }
}

void DrawMissionHud(float dt, int x, int y)
{
    MissionHud& hud = TheMissionHud;
    GameMechanics* game = TheGame;
    if (!game || !hud.built) return;
    TheMinimap.CreateTextures();
    DrawEntityOverlays();
    DrawPlacementRefusal();
    DrawRigBanner(hud, dt);
    if (TheObjectives) DrawObjectiveLines(*TheObjectives, nullptr);
    EntityInfoGui* display = TheEntityInfoGui;

    Entity* first = game->GetFirstSelected();
    int selected = game->hand.selected.count;
    CommandPanel* commands = hud.commandPanel;
    if (!first) {
        if (commands) commands->Show(false, 0);
        // The display's own top-level windows (status icons, production queue) go with it: they
        // spoke of a selection that is gone.
        if (display) {
            display->SetVisible(false);
            display->HideAll();
        }
    } else if (first->flags & ENTITY_AGENT) {
        bool players = first->alignment == ALIGN_PLAYER;
        if (commands) {
            if (selected == 1 && !players)
                commands->Show(false, 0);
            else
                commands->Show(true, players ? (int)static_cast<Agent*>(first)->commandWord : 0);
        }
        if (display) display->SetVisible(true);
    } else {
        // A building's page (the upgrader's among them) is the main display's own.
        if (commands) commands->Show(false, 0);
        if (display) display->SetVisible(true);
    }
    if (TheInfoTooltip) {
        if (WindowMgr && WindowMgr->IsPointOverWindow(x, y, false))
            TheInfoTooltip->Draw();
        else
            TheInfoTooltip->Hide();
    }
    if (hud.minimapBar) hud.minimapBar->SetVisible(MinimapShown);
    if (MinimapShown) TheMinimap.Draw();

    RenderStates.SetRenderState(RS_ZENABLE, 0);
    RenderStates.SetRenderState(RS_ZWRITEENABLE, 1);

    if (selected > 1) {
        // The spacer fills the gap the command panel leaves beside the group panel.
        if (hud.leftSpacer) hud.leftSpacer->Draw();
        if (display) display->DrawOverlay();
    } else if (hud.groupPanel) {
        hud.groupPanel->SetVisible(false);
    }
    if (selected == 1 && display)
        display->Update(first);
    else if (selected > 1)
        DrawGroupPanel(hud, game);

    // The power bar is drawn with the resource bar, among the windows.
    if (WindowMgr) WindowMgr->Draw();
    if (TerrainEditorIsActive()) TheTerrainEditor->DrawGui();

    if (game->boxDragging && !TerrainEditorActive) DrawDragBox(hud, game->pressX, game->pressY, x, y);
}

void DrawMissionHudOverCursor(int x, int y)
{
    MissionHud& hud = TheMissionHud;
    GameMechanics* game = TheGame;
    if (!game || !hud.built) return;
    char hint[96];
    if (hud.hintBox && ResourceHint(x, y, hint, sizeof hint))
        hud.hintBox->Draw(x + ScreenHeight() / 48, HudFraction(50, 768), hint);
    if (!(WindowMgr && (WindowMgr->focused || WindowMgr->modal))) game->floatingTexts->Draw();
    game->popups->Draw();
    game->messageBar->Draw();
    if (hud.tooltipVisible && hud.tooltip) hud.tooltip->Draw(x, y + HudFraction(40, 768), nullptr);
    if (hud.debugText) DrawDebugText(game->GetFirstSelected());
}
