// The entity information panel: what the main display shows every frame for the one selected
// entity. The portrait on the left, then a page by the entity's kind: a unit (health, shield,
// cargo or mines, experience, weapons, armour, speed, range and kills), an ore or fuel patch,
// or an item. Buildings have their own page (BuildingInfoPage.cpp).
#include "interface/EntityInfoGui.h"

#include "campaign/PlayerProfile.h"
#include "gui/Button.h"
#include "gui/GuiDraw.h"
#include "gui/GuiMeter.h"
#include "gui/ModelViewer.h"
#include "host/System.h"
#include "interface/HudLayout.h"
#include "interface/MessageLists.h"
#include "interface/UnitUpgrade.h"
#include "mechanics/GameMechanics.h"
#include "platform/Files.h"
#include "render/Draw2D.h"
#include "render/Font.h"
#include "render/IndexedMesh.h"
#include "render/Sprite.h"
#include "terrain/Environment.h"
#include "world/Agent.h"
#include "world/AgentTypeRegistry.h"
#include "world/BuildItem.h"
#include "world/Building.h"
#include "world/Item.h"
#include "world/WeaponDef.h"

#include <cstdio>
#include <cstring>

namespace {

struct Rgba {
    float r, g, b, a;
};
constexpr Rgba WHITE = {1.0f, 1.0f, 1.0f, 1.0f};
constexpr Rgba LIGHT_GREY = {0.8f, 0.8f, 0.8f, 1.0f};
constexpr Rgba RED = {1.0f, 0.3f, 0.2f, 1.0f};
constexpr Rgba BONUS_GREEN = {0.3f, 1.0f, 0.6f, 1.0f};
constexpr Rgba INFO_BLUE = {0.4f, 0.6f, 1.0f, 1.0f};
constexpr Rgba CHARGES_BLUE = {0.3f, 0.6f, 1.0f, 1.0f};
constexpr Rgba ACID_GREEN = {0.1f, 1.0f, 0.1f, 1.0f};

constexpr const char* BUTTON = "data/gui/button.dds";
constexpr const char* BUTTON_GREY = "data/gui/button_grey.dds";
constexpr const char* BUTTON_GREEN = "data/gui/button_green.dds";
constexpr uint32_t BU_MINING_CAPACITY = 0x400;
constexpr uint32_t BU_ARMOR_1 = 0x8000, BU_ARMOR_2 = 0x10000, BU_ARMOR_3 = 0x20000;
constexpr uint32_t WEAPON_UPGRADE_FIRE = 0x80, WEAPON_UPGRADE_ACID = 0x100;
constexpr int LEVEL_CAP = 10;

const char* const COMPOSITION_NAMES[] = {"Default", "Biological", "Mechanical", "BioMechanical",
                                         "Plant",   "Rock",       "Crystal",    "Wood"};
const char* const WEAPON_LABELS[] = {"Laser Damage:",     "Missile Damage:", "Electric Damage:",
                                     "Mortar Damage:",    "Ballistic Damage:", "Flame Damage:",
                                     "Acid Damage:",      "Plasma Damage:",  "Energy Pulse Damage:"};

// The small HUD font: a page holds many short lines.
Font* PanelFont()
{
    return HudFont(4);
}

int LineHeight()
{
    Font* font = PanelFont();
    return font ? (int)font->LineHeight() : HudLength(0.0182292);
}

int TextWidth(const char* text)
{
    TextSize size{};
    if (Font* font = PanelFont()) font->GetTextExtent(text, &size);
    return size.cx;
}

void Text(int x, int y, const char* text, const Rgba& colour)
{
    Font* font = PanelFont();
    if (!font) return;
    font->SetColor(colour.r, colour.g, colour.b, colour.a);
    GuiDrawText(font, x, y, text);
}

void TextArgb(int x, int y, const char* text, uint32_t argb)
{
    Rgba colour = {((argb >> 16) & 0xFF) / 255.0f, ((argb >> 8) & 0xFF) / 255.0f, (argb & 0xFF) / 255.0f,
                   (argb >> 24) / 255.0f};
    Text(x, y, text, colour);
}

// The meter at value percent of full with its "value/maximum" text, drawn.
void DrawMeter(GuiMeter* meter, float value, float maximum)
{
    if (!meter) return;
    // Nothing to measure against shows an empty bar, not a division by zero.
    meter->SetValue(maximum > 0.0f ? value / maximum * 100.0f : 0.0f);
    int shown = (int)value;
    meter->UpdateText(shown < 1 ? 1 : shown, (int)maximum);
    meter->Draw();
}

void ShowButton(Button* button, bool on)
{
    if (!button) return;
    button->SetVisible(on);
    button->SetEnabled(on);
}

void Retexture(Button* button, const char* strip)
{
    if (button) button->SetIcon(strip, strip, AtlasCell(1, 3, 0, 2), AtlasCell(1, 3, 0, 1));
}

bool IsRig(const Entity* entity)
{
    return (entity->flags & ENTITY_PLAYER) != 0;
}

// The fire and acid marks an agent's shots with this weapon carry: a rig's missiles and
// mortars from its equipped items, a bot's from its own upgrades.
uint32_t WeaponUpgradeBits(const Agent* agent, const WeaponDef* weapon)
{
    uint32_t bits = 0;
    if (weapon && agent->equipment && agent->equipmentCount > 0) {
        if (weapon->type != WEAPON_MISSILE && weapon->type != WEAPON_MORTAR) return 0;
        for (int i = 0; i < agent->equipmentCount; ++i) {
            const Item* item = agent->equipment[i].item;
            if (!item) continue;
            if (item->upgradeFlags & ITEM_UPGRADE_DOT_FIRE) bits |= WEAPON_UPGRADE_FIRE;
            if (item->upgradeFlags & ITEM_UPGRADE_DOT_ACID) bits |= WEAPON_UPGRADE_ACID;
        }
        return bits;
    }
    if (agent->upgradeFlags & 0x2000) bits |= WEAPON_UPGRADE_FIRE;
    if (agent->upgradeFlags & 0x4000) bits |= WEAPON_UPGRADE_ACID;
    return bits;
}

// A data text as shown: a key looked up, "_" and "^" turned into blanks and line breaks, and
// each word capitalised when asked.
void DisplayName(const char* name, char* out, size_t size, bool capitalise)
{
    CopyText(out, size, GuiDisplayText(name ? name : ""));
    if (capitalise) FormatDisplayText(out, 3);
}

void UnitTitle(Agent* agent, char* out, size_t size)
{
    char name[160];
    if (IsRig(agent)) {
        const PlayerProfile* player = GetPlayerProfile();
        snprintf(out, size, "(%d) %s", player ? player->level : 0, player ? player->name : "");
        return;
    }
    // The type's name as the player reads it (its short description), not the script's name
    // for it; a type without one shows the unit's own name.
    const char* shown = agent->agentType && agent->agentType->shortDescription ? agent->agentType->shortDescription : "";
    if (!*shown || StrICmp(shown, "none") == 0)
        CopyText(name, sizeof name, agent->name);
    else
        CopyText(name, sizeof name, GuiDisplayText(shown));
    snprintf(out, size, "(%d) %s", agent->botLevel, name);
}

}  // namespace

bool DrawWeaponLine(int x, int y, Agent* agent, const WeaponDef* weapon)
{
    if (!agent || !weapon || weapon->type < 0 || weapon->type > 8) return false;
    Text(x, y, WEAPON_LABELS[weapon->type], LIGHT_GREY);
    float base = weapon->GetBaseDamage();
    float damage = agent->GetDamage(weapon);
    char text[64];
    snprintf(text, sizeof text, "%6.1f", base);
    int at = x + HudLength(0.1432292);
    Text(at, y, text, LIGHT_GREY);
    if (damage > base) {
        char bonus[32];
        snprintf(bonus, sizeof bonus, " + %.0f", damage - base);
        Text(at + TextWidth(text), y, bonus, BONUS_GREEN);
    }
    float cycle = weapon->windUp > 0.0f ? weapon->interval + weapon->windUp : weapon->interval;
    // A weapon that fires without pause has no rate to show.
    float perSecond = cycle > 0.0f ? damage / cycle : 0.0f;
    snprintf(text, sizeof text, "(%.1f dps)%s", perSecond, (weapon->flags & WEAPONFLAG_DUAL_CLUSTER) ? " x 2" : "");
    Text(x + HudLength(0.2265625), y, text, LIGHT_GREY);
    uint32_t bits = WeaponUpgradeBits(agent, weapon);
    at = x + HudLength(0.3046875);
    if (bits & WEAPON_UPGRADE_FIRE) {
        Text(at, y, "+Fire ", RED);
        at += TextWidth("+Fire ");
    }
    if (bits & WEAPON_UPGRADE_ACID) Text(at, y, "+Acid ", ACID_GREEN);
    return true;
}

void EntityInfoGui::HideAll()
{
    if (upgradePanel) upgradePanel->SetVisible(false);
    if (programsPanel) programsPanel->SetVisible(false);
    if (ProductionQueueWindow) ProductionQueueWindow->SetVisible(false);
    if (StatusIconWindow) StatusIconWindow->SetVisible(false);
    for (Button* button : {cancelConstructionButton, buildMineButton, layMineButton, recycleStartButton,
                           recycleCancelButton, stanceButtons[0], stanceButtons[1], stanceButtons[2]})
        if (button) button->SetVisible(false);
}

void EntityInfoGui::ShowStanceButtons()
{
    int units = 0, shared = -1;
    bool same = true;
    for (PooledList<Entity*>::Node* node = TheGame ? TheGame->hand.selected.head : nullptr; node; node = node->next) {
        Entity* entity = node->value;
        if (!entity || !(entity->flags & ENTITY_AGENT) || IsRig(entity)) continue;
        int stance = static_cast<Agent*>(entity)->stance;
        if (units++ == 0)
            shared = stance;
        else if (stance != shared)
            same = false;
    }
    if (units == 0) return;
    for (int i = 0; i < 3; ++i) {
        Button* button = stanceButtons[i];
        if (!button) continue;
        ShowButton(button, true);
        button->pressed = same && shared == i;
        button->Draw();
    }
}

void EntityInfoGui::DrawOverlay()
{
    GuiDrawSprite(frame);
}

void EntityInfoGui::Update(Entity* entity)
{
    if (!entity) return;
    // 1, 2. The frame and the window's own children (the build menu and production windows of
    // the game object come with the build orders).
    if (portraitButton) portraitButton->SetEnabled(true);
    GuiDrawSprite(frame);
    for (Window* child = firstChild; child; child = child->nextSibling)
        if (child->IsVisible() && !(child->flags & WINDOW_FRAMELESS)) child->Draw();
    DrawPortrait(entity);
    HideAll();
    if (entity->flags & ENTITY_AGENT)
        DrawUnitPage(static_cast<Agent*>(entity));
    else if (entity->flags & ENTITY_BUILDING)
        DrawBuildingPage(static_cast<Building*>(entity));
    else if (!(entity->flags & (ENTITY_RESOURCE | ENTITY_FUEL)))
        DrawItemPage(entity);
    else
        DrawResourcePage(entity);
}

void EntityInfoGui::DrawPortrait(Entity* entity)
{
    if (!portrait) return;
    int viewX = x + HudLength(0.0260417), viewY = y + HudLength(0.0234375), side = HudLength(0.125);
    bool moved = portrait->viewX != viewX || portrait->viewY != viewY || portrait->viewWidth != side;
    if (moved || portrait->entity != entity) {
        portrait->SetViewRect(viewX, viewY, side, side);
        if (portrait->background) portrait->background->SetRect(viewX, viewY, viewX + side, viewY + side);
    }
    Vec3 light(-0.8f, -0.8f, -0.4f);
    Vec3Normalize(&portrait->lightDirection, &light);
    // Behind the model: the rig stands before its planet, everyone else before their side's
    // colour.
    uint32_t tint = entity->alignment == ALIGN_PLAYER    ? 0xFF1A4D1A
                    : entity->alignment == ALIGN_ENEMY   ? 0xFF4D1A1A
                    : entity->alignment == ALIGN_NEUTRAL ? 0xFF1A1A4D
                                                         : 0xFF4D4D4D;
    if (IsRig(entity)) {
        int e = Environment::GetCurrentIndex();
        if (e < 0 || e > 7) e = 0;
        portrait->SetBackground("data/planets/planet_environments.dds");
        if (portrait->background) {
            portrait->background->SetColor(0xFFBFBFBF);
            portrait->background->SetAtlasCell(AtlasCell(2, 4, e % 2, e / 2));
        }
    } else {
        portrait->SetBackground("data/gui/grad_white.dds");
        if (portrait->background) {
            portrait->background->SetColor(tint);
            portrait->background->SetAtlasCell(0);
        }
    }
    // The portrait looks at the entity where it stands at the world's origin: the camera is
    // framed there and the model drawn there, wherever the entity is in the level.
    const Matrix standing = entity->world;
    MatrixIdentity(&entity->world);
    {
        if (portrait->entity != entity) portrait->SetEntity(entity);
        int bone = -1;
        if (entity->mesh && entity->mesh->IsSkinned()) {
            static const char* const bones[] = {"Pilot", "Neck", "Head", "Spine", "Root"};
            int tries = IsRig(entity) ? 1 : 5;
            for (int i = 0; i < tries && bone < 0; ++i) bone = entity->mesh->FindJoint(bones[i]);
        }
        float distance = 1.0f, height = 0.0f;
        if (entity->flags & ENTITY_AGENT) {
            if (const AgentType* type = static_cast<Agent*>(entity)->agentType) {
                distance = type->portraitCamera[0];
                height = type->portraitCamera[1];
            }
        }
        portrait->FitCamera(bone, distance, height);
    }
    portrait->Draw();
    entity->world = standing;
}

void EntityInfoGui::DrawStatusIcons(Agent* agent)
{
    if (!StatusIconWindow) return;
    bool running = false;
    for (const StatusEffect& effect : agent->statusEffects) running = running || effect.timeLeft > 0.0f;
    if (!running) return;
    int at = 0;
    for (int i = 0; i < STATUS_BUTTONS; ++i) {
        Button* button = StatusButtons[i];
        if (!button) continue;
        float timeLeft = 0.0f;
        for (const StatusEffect& effect : agent->statusEffects)
            if (effect.kind == i && effect.timeLeft > timeLeft) timeLeft = effect.timeLeft;
        bool on = timeLeft > 0.0f;
        ShowButton(button, on);
        if (!on) continue;
        button->Move(at, 0);
        at -= HudLength(0.0364583);
    }
    StatusIconWindow->SetVisible(true);
    for (Window* child = StatusIconWindow->firstChild; child; child = child->nextSibling)
        if (child->IsVisible()) child->Draw();
}

void EntityInfoGui::DrawUnitPage(Agent* agent)
{
    bool own = agent->alignment == ALIGN_PLAYER && !IsRig(agent);
    if (own) {
        for (int i = 0; i < 3; ++i) {
            if (!stanceButtons[i]) continue;
            ShowButton(stanceButtons[i], true);
            stanceButtons[i]->pressed = agent->stance == i;
        }
    }
    DrawStatusIcons(agent);

    char text[192];
    UnitTitle(agent, text, sizeof text);
    Text(title.x, title.y, text, WHITE);

    DrawMeter(healthMeter, agent->GetHealth(), agent->GetMaxHealth());
    if (agent->flags & ENTITY_SHIELD) DrawMeter(shieldMeter, agent->GetShield(), agent->maxShield);

    if (agent->alignment == ALIGN_ENEMY) {
        int composition = agent->composition >= 0 && agent->composition < 8 ? agent->composition : 0;
        snprintf(text, sizeof text, "%s\n%s", "Enemy", COMPOSITION_NAMES[composition]);
        TextArgb(x + HudLength(0.4557292), y + HudLength(0.0260417), text, 0xFFFF4D33);
    }

    if (agent->classWord & AGENT_CLASS_MINER) {
        float capacity = agent->oreCapacity;
        if (agent->upgradeFlags & BU_MINING_CAPACITY) capacity *= 1.5f;
        if (agent->classWord & AGENT_CLASS_HEAVY) capacity *= 2.0f;
        const int labelX = x + HudLength(0.1666667), yieldX = x + HudLength(0.390625), rowY = y + HudLength(0.1067708);
        if (cargoMeter) {
            // The hold's meter fills the row between its "Capacity:" label and the yield.
            const int gap = HudLength(0.0078125);
            const int barLeft = labelX + TextWidth("Capacity:") + gap, barRight = yieldX - gap;
            if (barRight - barLeft > 2 * gap && (cargoMeter->x != barLeft || cargoMeter->barWidth != barRight - barLeft)) {
                cargoMeter->x = barLeft;
                cargoMeter->width = cargoMeter->barWidth = barRight - barLeft;
            }
            // A miner that holds nothing shows an empty hold.
            cargoMeter->SetValue(capacity > 0.0f ? agent->oreLoad / capacity * 100.0f : 0.0f);
            cargoMeter->UpdateText((int)agent->oreLoad, (int)capacity);
            cargoMeter->Draw();
        }
        Text(labelX, rowY, "Capacity:", LIGHT_GREY);
        snprintf(text, sizeof text, "Yield: %d", (int)agent->miningAmount);
        Text(yieldX, rowY, text, LIGHT_GREY);
    } else if (agent->classWord & AGENT_CLASS_MINE_LAYER) {
        if (layMineButton) {
            snprintf(text, sizeof text, "Lay Mine\n     %d/3", agent->mines);
            layMineButton->SetText(text);
            Retexture(layMineButton, agent->mines >= 1 ? BUTTON_GREEN : BUTTON_GREY);
        }
        if (buildMineButton) {
            buildMineButton->SetText("Build Mine\n ");
            Retexture(buildMineButton, agent->mineTimer > 0.0f || agent->mines >= MINE_STOCK ? BUTTON_GREY : BUTTON);
        }
        ShowButton(layMineButton, true);
        ShowButton(buildMineButton, true);
        if (layMineButton) layMineButton->Draw();
        if (buildMineButton) buildMineButton->Draw();
        if (agent->mineTimer > 0.0f && mineMeter) {
            mineMeter->SetValue((1.0f - agent->mineTimer / MINE_BUILD_SECONDS) * 100.0f);
            mineMeter->Draw();
        }
    }

    if (own && (agent->classWord & AGENT_CLASS_LEVELLING) && experienceMeter) {
        int cap = Agent::ExperienceForLevel(LEVEL_CAP);
        int experience = agent->botExperience, next = cap, value = 100;
        if (experience < cap) {
            int base = Agent::ExperienceForLevel(agent->botLevel);
            next = Agent::ExperienceForLevel(agent->botLevel + 1);
            int span = next - base;
            value = span > 0 ? (experience - base) * 100 / span : 0;
        }
        experienceMeter->SetValue((float)value);
        snprintf(experienceMeter->text, sizeof experienceMeter->text, "XP: %4d/%d", experience, next);
        experienceMeter->Draw();
    }

    const PlayerProfile* player = GetPlayerProfile();
    if (own && player) {
        int limit = player->unitControl < player->maxUnitControl ? player->unitControl : player->maxUnitControl;
        if (player->unitsInUse > limit) Text(x + HudLength(0.3697917), y + HudLength(0.0625), "Operating at 50%", RED);
    }

    int lineX = x + HudLength(0.1666667), lineY = y + HudLength(0.0885417);
    if (IsRig(agent)) {
        // The rig's weapons hang on its arms; an equipped item may carry one too.
        const WeaponDef* weapons[Agent::MAX_ITEM_WEAPONS];
        const int count = agent->GetItemWeapons(weapons, Agent::MAX_ITEM_WEAPONS);
        int drawn = 0;
        for (int i = 0; i < count; ++i)
            if (DrawWeaponLine(lineX, lineY + drawn * HudLength(0.0182292), agent, weapons[i])) ++drawn;
        if (drawn == 0) Text(lineX, lineY, "No weapons attached", LIGHT_GREY);
    } else if (!agent->weapon) {
        snprintf(text, sizeof text, "Melee Damage:    %.1f    (%.1f dps)", agent->GetDamage(nullptr),
                 agent->GetDamagePerSecond(nullptr));
        Text(lineX, lineY, text, LIGHT_GREY);
    } else {
        DrawWeaponLine(lineX, lineY, agent, agent->weapon);
    }

    // The armour badge: the rig's armour comes with the rig catalogue.
    int armour = (agent->upgradeFlags & BU_ARMOR_3) ? 3 : (agent->upgradeFlags & BU_ARMOR_2) ? 2
                 : (agent->upgradeFlags & BU_ARMOR_1)                                        ? 1
                                                                                              : 0;
    if (armour > 0) {
        if (armourSprite) {
            int side = HudLength(0.0364583), left = x + HudLength(0.015625), top = y + HudLength(0.0104167);
            armourSprite->SetRect(left, top, left + side, top + side);
        }
        GuiDrawSprite(armourSprite);
        snprintf(text, sizeof text, "%d", armour);
        Text(x + HudLength(0.0299479), y + HudLength(0.0195313), text, WHITE);
    }

    int rowX = x + HudLength(0.1666667), rowY = y + HudLength(0.1263021);
    Text(rowX, rowY, "Speed:", LIGHT_GREY);
    float speed = agent->GetSpeed();
    snprintf(text, sizeof text, "%.1f", speed);
    Text(rowX + HudLength(0.0625), rowY, text, speed > agent->speed ? BONUS_GREEN : LIGHT_GREY);
    int step = HudLength(0.0494792);
    int at = rowX + HudLength(0.0625) + step;
    if (!(agent->classWord & AGENT_CLASS_MELEE)) {
        Text(at, rowY, "Range:", LIGHT_GREY);
        snprintf(text, sizeof text, "%.1f", agent->GetAttackRange());
        Text(at + HudLength(0.0598958), rowY, text, LIGHT_GREY);
    }
    at += HudLength(0.0598958) + step;
    Text(at, rowY, "Kills:", LIGHT_GREY);
    snprintf(text, sizeof text, "%d", agent->kills);
    Text(at + step, rowY, text, LIGHT_GREY);
}

void EntityInfoGui::DrawResourcePage(Entity* entity)
{
    bool fuel = (entity->flags & ENTITY_FUEL) != 0;
    bool scanned = (entity->flags & ENTITY_RESOURCE_REVEALED) != 0;
    const char* key = StrICmp(entity->name, "res_fuel") == 0 ? "<Resource_Fuel>"
                      : scanned                               ? "<Resource_Ore>"
                                                              : "<Unknown_Ore>";
    Text(title.x, title.y, GuiDisplayText(key), WHITE);
    int line = LineHeight();
    int lineY = title.y + line;
    char text[64];
    if (fuel) {
        int remaining = (int)entity->GetHealth();
        snprintf(text, sizeof text, "Remaining: %d", remaining);
        Text(title.x, lineY, text, WHITE);
        if (remaining >= 1 && remaining == (int)entity->GetMaxHealth())
            Text(title.x, lineY + line, GuiDisplayText("<Resource_Fuel_desc>"), INFO_BLUE);
    } else if (!scanned) {
        Text(title.x, lineY, "Use your rig to [Scan] the ore to reveal the yield", INFO_BLUE);
    } else {
        int yieldClass = entity->kills;
        if (yieldClass == 0)
            Text(title.x, lineY, "Low Yield - 50% Refinable", {1.0f, 0.6f, 0.502f, 1.0f});
        else if (yieldClass == 1)
            Text(title.x, lineY, "Medium Yield - 75% Refinable", {0.4f, 1.0f, 0.502f, 1.0f});
        else
            Text(title.x, lineY, "High Yield - 100% Refinable", INFO_BLUE);
        snprintf(text, sizeof text, "Remaining: %d", (int)entity->GetHealth());
        Text(title.x, lineY + line, text, WHITE);
    }
}

void EntityInfoGui::DrawItemPage(Entity* entity)
{
    char name[160];
    if (!(entity->flags & ENTITY_ITEM)) {
        DisplayName(entity->name, name, sizeof name, true);
        Text(title.x, title.y, name, WHITE);
        return;
    }
    Item* item = static_cast<Item*>(entity);
    // Titled as the shop and the bag title it: by its short description, else its name.
    DisplayName(item->shortDescription && *item->shortDescription ? item->shortDescription : item->name, name,
                sizeof name, false);
    Text(title.x, title.y, name, WHITE);
    int lineY = title.y + LineHeight();
    char text[192];
    switch (item->action) {
    case ITEM_ACTION_OBJECTIVE:
        Text(title.x, lineY, "- Objective Item - ", WHITE);
        break;
    case ITEM_ACTION_ATTACK:
        DrawMeter(healthMeter, item->GetHealth(), item->GetMaxHealth());
        snprintf(text, sizeof text, "Remaining: %d / %d", (int)item->GetHealth(), (int)item->GetMaxHealth());
        Text(title.x, lineY + LineHeight(), text, CHARGES_BLUE);
        break;
    case ITEM_ACTION_MINE:
        Text(title.x, lineY, "Explodes when enemies nearby.", WHITE);
        break;
    case ITEM_ACTION_FREEZE:
        Text(title.x, lineY, "Freezes nearby enemies.", WHITE);
        break;
    default:
        if (item->kind == ITEM_KIND_UNIT || item->kind == ITEM_KIND_BUILDING) {
            char pattern[64];
            CopyText(pattern, sizeof pattern, item->patternName);
            FormatDisplayText(pattern, 3);
            snprintf(text, sizeof text, "Pattern: %s", pattern);
            Text(title.x, lineY, text, WHITE);
        } else if (item->action == ITEM_ACTION_SALVAGE) {
            if (item->shortDescription) Text(title.x, lineY, GuiDisplayText(item->shortDescription), CHARGES_BLUE);
        } else if (item->action == ITEM_ACTION_DETECTOR) {
            DrawMeter(healthMeter, item->GetHealth(), item->GetMaxHealth());
        }
        break;
    }
}
