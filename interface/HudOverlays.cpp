// What the HUD draws about the world under and around the mouse: health and shield bars and
// item labels over entities, the cursor's picture for the command armed and what it points
// at, and the hints over the resource bar.
#include "interface/MissionHud.h"

#include "campaign/PlayerProfile.h"
#include "gui/GuiMeter.h"
#include "gui/WindowManager.h"
#include "interface/HudLayout.h"
#include "interface/InfoTooltip.h"
#include "interface/MessageLists.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Scene.h"
#include "platform/ConfigFile.h"
#include "platform/InputState.h"
#include "render/Camera.h"
#include "render/Font.h"
#include "render/HintBox.h"
#include "render/Sprite.h"
#include "terrain/Minimap.h"
#include "world/Agent.h"
#include "world/BuildItem.h"
#include "world/Building.h"
#include "world/Item.h"
#include "world/WorldQueries.h"

#include <cstdio>

namespace {

constexpr uint32_t ITEM_METER_COLOUR = 0xFF2AC7C1;
constexpr uint32_t HINT_BACKDROP = 0xFF4D4D4D;
constexpr uint32_t HINT_TEXT = 0xFFCCCCCC;

void MakeOverlayMeters(MissionHud& hud)
{
    if (hud.entityHealthMeter) return;
    int width = HudFraction(50, 768);
    hud.entityHealthMeter = new GuiMeter("", 0xFF00FF00, 0xFF000000, 0, 0, width, HudFraction(8, 768), false, nullptr, false);
    hud.entityShieldMeter = new GuiMeter("", HUD_SHIELD_COLOUR, 0xFF000000, 0, 0, width, HudFraction(6, 768), false, nullptr, false);
    hud.entityShieldMeter->SetIcon("data/gui/divbar.dds");
    hud.itemHealthMeter = new GuiMeter("", ITEM_METER_COLOUR, HINT_BACKDROP, 0, 0, width, HudFraction(8, 768), false, nullptr, false);
}

void ShowMeter(GuiMeter* meter, int x, int y, float percent, uint32_t colour)
{
    meter->x = x;
    meter->y = y;
    meter->SetValue(percent, &colour);
    meter->Draw();
}

bool AltHeld()
{
    KeyboardDevice* keyboard = Input.keyboard;
    return keyboard && (keyboard->IsKeyDown(VK_LMENU) || keyboard->IsKeyDown(VK_RMENU) || keyboard->IsKeyDown(VK_MENU));
}

// Item kinds whose label tells their grade; the others carry a health bar.
bool GradedKind(int kind)
{
    return kind == 0 || (kind >= 3 && kind <= 9) || kind == 20 || kind == 21;
}

void LabelItem(MissionHud& hud, Item* item, int px, int py)
{
    HintBox* box = hud.hintBox;
    if (!box) return;
    int y = py + ScreenHeight() / 24;
    if (!GradedKind(item->kind)) {
        box->Draw(px, y, ItemDisplayName(item));
        return;
    }
    int state = item->GetState();
    Font* font = HudFont(3);
    if (state == 0) {
        box->textColour = 0xFF999999;
        if (font) font->SetColor(0.8f, 0.8f, 0.8f, 1.0f);
    } else if (state == 2 && box->fillSprite) {
        box->fillSprite->SetColor(0xFF333380);
    }
    box->Draw(px, y, ItemDisplayName(item));
    if (box->fillSprite) box->fillSprite->SetColor(HINT_BACKDROP);
    box->textColour = HINT_TEXT;
    if (font) font->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
}

// The name a mission object shows under the cursor ("Alien tablet", "Fuel vent"): its own name
// in words. False for anything else.
bool MissionObjectName(const Entity* entity, char* out, int size)
{
    if (entity->flags & ENTITY_FUEL) {
        snprintf(out, (size_t)size, "Fuel vent");
        return true;
    }
    if (!IsMissionObject(entity)) return false;
    snprintf(out, (size_t)size, "%s", entity->name);
    for (char* c = out; *c; ++c)
        if (*c == '_') *c = ' ';
    if (out[0] >= 'a' && out[0] <= 'z') out[0] = (char)(out[0] - 'a' + 'A');
    return out[0] != '\0';
}

// What the cursor's ore deposit is, and what it wants before the rig can cut it: unscanned ore is
// a plain grey block nothing else names.
const char* OreLabel(const Entity* ore)
{
    return (ore->flags & ENTITY_RESOURCE_REVEALED) ? "Ore deposit" : "Ore deposit - Scan near it to mine it";
}

void DrawOverlaysOf(MissionHud& hud, Entity* entity, Entity* firstHovered, bool alt)
{
    if (!entity || !entity->visible || !TheMinimap.IsEntityVisible(entity)) return;
    const bool ore = (entity->flags & ENTITY_RESOURCE) != 0;
    if (ore && entity != firstHovered) return;
    const int h = ScreenHeight();
    char missionName[sizeof entity->name];
    if (entity == firstHovered && MissionObjectName(entity, missionName, sizeof missionName) && hud.hintBox) {
        // Named above its health bar: a dark slab on dark ground is otherwise found by its bar.
        const Vec3 screen = ProjectToScreen(entity->GetCenter());
        hud.hintBox->Draw((int)screen.x - HudFraction(15, 768), (int)screen.y - h / 24, missionName);
        if (entity->flags & ENTITY_FUEL) return;
    }
    Vec3 anchor = entity->GetCenter();
    anchor.y = (entity->IsAttached() ? entity->GetAttachedPosition() : entity->GetPosition()).y;
    Vec3 screen = ProjectToScreen(anchor);
    int px = (int)screen.x - HudFraction(15, 768), py = (int)screen.y;
    if (ore) {
        if (hud.hintBox) hud.hintBox->Draw(px, py + h / 24, OreLabel(entity));
        return;
    }
    float maxHealth = entity->GetMaxHealth();
    float health = maxHealth > 0.0f ? entity->GetHealth() / maxHealth * 100.0f : 0.0f;
    if (entity->flags & ENTITY_ITEM) {
        Item* item = static_cast<Item*>(entity);
        if (entity != firstHovered && !alt) return;
        LabelItem(hud, item, px, py);
        if (!GradedKind(item->kind)) ShowMeter(hud.itemHealthMeter, px, py + h / 48, health, ITEM_METER_COLOUR);
    } else if ((entity->flags & ENTITY_AGENT) ||
               ((entity->flags & ENTITY_BUILDING) && !(static_cast<Building*>(entity)->stateFlags & 0x20))) {
        GuiMeter* meter = hud.entityHealthMeter;
        meter->SetMarker(-1);
        if (entity->flags & ENTITY_AGENT) {
            Agent* agent = static_cast<Agent*>(entity);
            if (agent != GetPlayerRig() && (agent->classWord & AGENT_CLASS_LEVELLING)) {
                if (!meter->markerIcon) meter->SetAtlasIcon("data/gui/itemicons.dds", AtlasCell(4, 4, 3, 0));
                meter->SetMarker(agent->botLevel);
            }
        }
        ShowMeter(meter, px, py + h / 48, health, HealthColour(health / 100.0f));
    }
    if ((entity->flags & ENTITY_SHIELD) && entity->maxShield > 0.0f)
        ShowMeter(hud.entityShieldMeter, px, py + h / 32, entity->shield / entity->maxShield * 100.0f, HUD_SHIELD_COLOUR);
}

}  // namespace

void DrawEntityOverlays()
{
    MissionHud& hud = TheMissionHud;
    GameMechanics* game = TheGame;
    if (!game) return;
    MakeOverlayMeters(hud);
    bool alt = AltHeld();
    Entity* firstHovered = game->hand.hovered.head ? game->hand.hovered.head->value : nullptr;
    if (alt || (Config && Config->showHealthBars)) {
        for (Entity* entity = TheScene.FirstInCategory(CATEGORY_ALL, 0); entity; entity = TheScene.NextInCategory())
            DrawOverlaysOf(hud, entity, firstHovered, alt);
    } else {
        for (auto* node = game->hand.hovered.head; node; node = node->next)
            DrawOverlaysOf(hud, node->value, firstHovered, alt);
    }
}

void DrawPlacementRefusal()
{
    GameMechanics* game = TheGame;
    MissionHud& hud = TheMissionHud;
    BuildItemList* list = game ? game->buildItems : nullptr;
    if (!list || !list->current || !list->current->prototype || !hud.hintBox) return;
    const PlacementRefusal refusal = list->CurrentRefusal();
    if (refusal == PLACEMENT_ALLOWED || refusal == PLACEMENT_NO_PREVIEW) return;
    // Under the red building, where the player looks while moving it.
    const Vec3 screen = ProjectToScreen(list->current->prototype->GetPosition());
    hud.hintBox->Draw((int)screen.x - HudFraction(60, 768), (int)screen.y + ScreenHeight() / 24,
                      PlacementRefusalText(refusal));
}

void ChooseCursorCell(int mouseX, int mouseY, bool overWindow, int* column, int* row, bool* enlarged)
{
    GameMechanics* game = TheGame;
    *column = 0, *row = 0;
    *enlarged = false;
    if (!game) return;
    (void)mouseX, (void)mouseY;
    struct ModeCell {
        int mode, column, row;
    };
    static const ModeCell MODE_CELLS[] = {{0x1, 3, 1}, {0x2, 2, 0}, {0x8, 3, 0},  {0x10, 2, 1},
                                          {0x20, 3, 0}, {0x40, 0, 2}, {0x80, 0, 2}, {0x100, 1, 2}};
    if (game->commandMode) {
        for (const ModeCell& cell : MODE_CELLS)
            if (cell.mode == game->commandMode) {
                *column = cell.column, *row = cell.row;
                return;
            }
        // Any other mode shows the top-left quarter of the atlas: a cell of twice the size.
        *column = -1;
        return;
    }
    Entity* hovered = game->hoveredEntity;
    if (hovered && !overWindow) {
        *column = hovered->alignment == ALIGN_ENEMY ? 1 : 0;
        Entity* first = game->GetFirstSelected();
        if (!first) return;
        bool revealedOre = (hovered->flags & ENTITY_RESOURCE) && (hovered->flags & ENTITY_RESOURCE_REVEALED);
        if (first->flags & ENTITY_PLAYER) {
            if ((hovered->flags & ENTITY_ITEM) && static_cast<Item*>(hovered)->kind != 0) {
                *column = 0, *row = 1;
            } else if (hovered->flags & ENTITY_BUILDING) {
                Building* building = static_cast<Building*>(hovered);
                bool repairable = (hovered->flags & ENTITY_OBJECT_OF_INTEREST) != 0;
                if (repairable && hovered->alignment != ALIGN_ENEMY && hovered->GetMaxHealth() > hovered->GetHealth())
                    *column = 3, *row = 0;
                else if (!repairable && building->buildState == 1)
                    *column = 3, *row = 0;
            } else if (revealedOre) {
                *column = 2, *row = 1;
            }
        } else if ((first->flags & ENTITY_AGENT) && first->alignment == ALIGN_PLAYER &&
                   (static_cast<Agent*>(first)->classWord & AGENT_CLASS_MINER) && revealedOre) {
            *column = 2, *row = 1;
        }
        return;
    }
    if (Input.mouse && Input.mouse->IsButtonDown(2)) {
        bool pans = Config && Config->middleMousePans;
        *column = pans ? 2 : 1, *row = 3;
        *enlarged = true;
    }
}

bool ResourceHint(int x, int y, char* out, int size)
{
    const int h = ScreenHeight();
    if (size > 0) out[0] = '\0';
    if (!(h / 256 < y && y < h / 32)) return false;
    int r = ScreenWidth() - HudFraction(2, 3);
    auto within = [&](int from, int to) { return x > r + HudFraction(from, 768) && x < r + HudFraction(to, 768); };
    MissionHud& hud = TheMissionHud;
    if (within(8, 145)) {
        snprintf(out, (size_t)size, "Power: %.0f/%0.f", TheScene.power.demand, TheScene.power.supply);
    } else if (within(168, 273)) {
        snprintf(out, (size_t)size, "Ore (%.0f per minute)", hud.oreRate);
    } else if (within(296, 406)) {
        snprintf(out, (size_t)size, "Fuel (%.0f per minute)", hud.fuelRate);
    } else if (within(426, 500)) {
        // Where the unit limit shows, the way under it: a unit recycled frees its place.
        snprintf(out, (size_t)size, "Units (a Recycler frees a place)");
    } else {
        return false;
    }
    return true;
}
