#include "interface/ItemScrollList.h"

#include "campaign/PlayerProfile.h"
#include "gui/GuiDraw.h"
#include "gui/ModelViewer.h"
#include "gui/Window.h"
#include "host/Log.h"
#include "host/System.h"
#include "mechanics/GameMechanics.h"
#include "platform/Files.h"
#include "render/Draw2D.h"
#include "render/Font.h"
#include "render/IndexedMesh.h"
#include "render/Sprite.h"
#include "world/Agent.h"
#include "world/AgentTypeRegistry.h"
#include "world/BuildItem.h"
#include "world/Building.h"
#include "world/Item.h"
#include "world/ItemCatalog.h"
#include "world/WeaponDef.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

ModelViewer* ItemScrollList::sharedPreview = nullptr;

namespace {

struct Rgba4 {
    float r, g, b, a;
};
constexpr Rgba4 WHITE = {1.0f, 1.0f, 1.0f, 1.0f};
constexpr Rgba4 DARK_GREY = {0.3f, 0.3f, 0.3f, 1.0f};
constexpr Rgba4 LIGHT_GREY = {0.8f, 0.8f, 0.8f, 1.0f};
constexpr Rgba4 RED = {1.0f, 0.3f, 0.2f, 1.0f};
constexpr Rgba4 GREEN = {0.1f, 1.0f, 0.1f, 1.0f};
constexpr Rgba4 TAG_BLUE = {0.50588f, 0.70196f, 1.0f, 1.0f};

// The panel below the list, in reference pixels.
constexpr int PANEL_WIDTH = 312, PANEL_HEIGHT = 250;

void Write(Font* font, const Rgba4& colour, int x, int y, const char* text)
{
    if (!font || !text) return;
    font->SetColor(colour.r, colour.g, colour.b, colour.a);
    GuiDrawText(font, x, y, text);
    font->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
}

int TextWidth(Font* font, const char* text)
{
    TextSize size;
    if (!font || !text) return 0;
    font->GetTextExtent(text, &size);
    return size.cx;
}

Font* StandardFont()
{
    return GuiDefaultFont;
}

Font* SmallFont()
{
    return GuiListFont ? GuiListFont : GuiDefaultFont;
}

const PlayerProfile* Profile()
{
    return GetPlayerProfile();
}

bool LevelReached(int level)
{
    const PlayerProfile* profile = Profile();
    return profile && profile->level >= level;
}

const char* Description(const char* text)
{
    return text ? GuiDisplayText(text) : "";
}

std::string DisplayName(const char* shortDescription, const char* name)
{
    if (shortDescription && *shortDescription) return GuiDisplayText(shortDescription);
    return name ? name : "";
}

float WeaponDps(float damage, const WeaponDef* weapon)
{
    const float cycle = WeaponCycle(weapon);
    return cycle > 0.0f ? damage / cycle : damage;
}

bool IsTurretBeam(int type)
{
    return type == WEAPON_LASER || type == WEAPON_ELECTRIC || type == WEAPON_BALLISTIC || type == WEAPON_FLAME ||
           type == WEAPON_ACID;
}

// Appends a line to an attribute text: a line break and three blanks before all but the first.
void AppendAttribute(std::string* out, bool* any, const char* line)
{
    if (*any) *out += "\n   ";
    *out += line;
    *any = true;
}

}  // namespace

// ---- What an entry offers

const char* ItemTypeTag(const Item* item)
{
    switch (item ? item->kind : -1) {
    case ITEM_KIND_ACTION: return "[Usable Item]";
    case ITEM_KIND_UNIT:
    case ITEM_KIND_BUILDING: return "[Blueprint]";
    case ITEM_KIND_UPGRADE: return "[Module]";
    case ITEM_KIND_WEAPON: return "[Weapon]";
    default: return "[Unknown]";
    }
}

bool DescribeOffer(int kind, const void* definition, ShopOffer* out)
{
    *out = ShopOffer();
    if (!definition) return false;
    if (kind == ITEM_LIST_ITEMS) {
        const Item* item = static_cast<const Item*>(definition);
        out->name = item->name;
        out->displayName = DisplayName(item->shortDescription, item->name);
        out->tag = ItemTypeTag(item);
        out->icon = item->iconTexture;
        out->iconPath = item->iconPath;
        out->iconCell = item->iconCell;
        out->price = item->price;
        out->requiredLevel = item->buyLevel;
        out->achievement = item->achievement;
        out->description = item->longDescription;
        return true;
    }
    if (kind == ITEM_LIST_BUILDINGS) {
        const BuildItem* building = static_cast<const BuildItem*>(definition);
        out->name = building->name;
        out->displayName = DisplayName(building->shortDescription, building->name);
        out->tag = (building->flags & BUILD_UPGRADE_RECORD) ? "[Upgrade]" : "[Building]";
        out->icon = building->iconTexture;
        out->iconPath = building->iconName;
        out->iconCell = building->iconCell;
        out->owned = (building->flags & BUILD_MARKED) != 0;
        out->price = out->owned ? 0 : building->buyCost;
        out->requiredLevel = building->buyLevel;
        out->description = building->longDescription;
        return true;
    }
    if (kind == ITEM_LIST_UNITS) {
        const AgentType* unit = static_cast<const AgentType*>(definition);
        out->name = unit->name;
        out->displayName = DisplayName(unit->shortDescription, unit->name);
        out->tag = "[Unit]";
        out->icon = unit->iconTexture;
        out->iconPath = unit->iconPath;
        out->iconCell = unit->iconCell;
        out->owned = (unit->flags & AGENT_TYPE_OWNED) != 0;
        out->price = out->owned ? 0 : unit->buyCost;
        out->requiredLevel = unit->buyLevel;
        const BuildItem* producer = unit->producer;
        out->available = !producer || producer->buyCost == 0 || (producer->flags & BUILD_MARKED);
        out->description = unit->longDescription;
        return true;
    }
    return false;
}

bool CanBuyOffer(const ShopOffer& offer)
{
    const PlayerProfile* profile = Profile();
    if (!profile || offer.owned || !offer.available) return false;
    if (profile->credits < offer.price || profile->level < offer.requiredLevel) return false;
    return offer.achievement < 0 || profile->HasAchievement(offer.achievement);
}

std::string FormatUpgradeAttributes(const Item* item)
{
    std::string text = " ";
    if (!item) return text;
    bool any = false;
    char line[128];
    const float* bonus = item->bonus;
    if (bonus[ITEM_BONUS_DAMAGE] > 0.0f) {
        static const struct {
            uint32_t flag;
            const char* word;
        } weapons[] = {{ITEM_UPGRADE_LASER_DAMAGE, "Laser "},       {ITEM_UPGRADE_MISSILE_DAMAGE, "Missile "},
                       {ITEM_UPGRADE_ELECTRIC_DAMAGE, "Electric "}, {ITEM_UPGRADE_MORTAR_DAMAGE, "Mortar "},
                       {ITEM_UPGRADE_MACHINEGUN_DAMAGE, "Ballistic "}, {ITEM_UPGRADE_FLAME_DAMAGE, "Flame "}};
        const char* word = "";
        for (const auto& weapon : weapons)
            if (item->upgradeFlags & weapon.flag) {
                word = weapon.word;
                break;
            }
        snprintf(line, sizeof line, "%sDamage +%.1f", word, bonus[ITEM_BONUS_DAMAGE]);
        AppendAttribute(&text, &any, line);
    }
    const struct {
        int index;
        const char* format;
    } percents[] = {{ITEM_BONUS_SPEED, "Speed +%.1f%%"},
                    {ITEM_BONUS_HEALTH, "Health +%.1f%%"},
                    {ITEM_BONUS_HULL, "Hull +%.1f%%"},
                    {ITEM_BONUS_RATE_OF_FIRE, "Rate +%.1f%%"}};
    for (const auto& percent : percents)
        if (bonus[percent.index] > 0.0f) {
            snprintf(line, sizeof line, percent.format, bonus[percent.index]);
            AppendAttribute(&text, &any, line);
        }
    if (item->upgradeFlags & ITEM_UPGRADE_SHIELDS) AppendAttribute(&text, &any, "Shields +100");
    if (item->upgradeFlags & ITEM_UPGRADE_RADAR) AppendAttribute(&text, &any, "Radar");
    // Fire and acid burn alike, so both say the same.
    if (item->upgradeFlags & ITEM_UPGRADE_DOT_FIRE)
        AppendAttribute(&text, &any, "50% of weapon damage/sec over 5 seconds");
    if (item->upgradeFlags & ITEM_UPGRADE_DOT_ACID)
        AppendAttribute(&text, &any, "50% of weapon damage/sec over 5 seconds");
    return text;
}

std::string FormatWeaponDamage(Item* item)
{
    if (!item) return "";
    const WeaponDef* weapon = item->weapon;
    const float damage = item->GetDamage(item->weapon);
    const char* type = weapon ? WeaponTypeName(weapon->type) : nullptr;
    const char* dual = weapon && (weapon->flags & WEAPONFLAG_DUAL_CLUSTER) ? " x 2" : "";
    char text[160];
    snprintf(text, sizeof text, " %s damage  %.1f   (%.1f dps)%s", type ? type : "Unknown", damage, WeaponDps(damage, weapon),
             dual);
    return text;
}

float WeaponCycle(const WeaponDef* weapon)
{
    if (!weapon) return 0.0f;
    return weapon->shotTime > 0.0f ? weapon->interval + weapon->shotTime : weapon->interval;
}

float TurretDamagePerSecond(int weaponType, float damage)
{
    return damage / (IsTurretBeam(weaponType) ? 4.0f : 3.0f);
}

// ---- The list

ItemScrollList::ItemScrollList()
{
    kind = ITEM_LIST_BUILDINGS;
    showPurchased = true;
}

ItemScrollList::~ItemScrollList()
{
    ResetEntries(0);
    if (list_) {
        list_->Free();
        delete list_;
    }
}

void ItemScrollList::ReleasePreview()
{
    delete sharedPreview;
    sharedPreview = nullptr;
}

void ItemScrollList::ResetEntries(int count)
{
    if (list_)
        for (auto* node = list_->head; node; node = node->next) delete node->value;
    entries = nullptr;
    firstVisible = selected = nullptr;
    if (count <= 0) {
        if (list_) list_->Clear();
        return;
    }
    // The pool holds exactly what the catalogue offers, however many that is.
    if (!list_) list_ = new ScrollListEntries();
    if (list_->capacity != count) {
        if (!list_->Init(count)) Log("ERROR ItemScrollList: no room for %d entries\n", count);
    } else {
        list_->Clear();
    }
}

void ItemScrollList::Append(const char* name, const void* definition)
{
    if (!list_ || !definition) return;
    ItemListEntry* entry = new ItemListEntry();
    CopyText(entry->name, sizeof entry->name, name ? name : "");
    entry->definition = definition;
    entry->number = -1;
    entry->kind = 0;
    if (!list_->PushBack(entry)) delete entry;
}

void ItemScrollList::Place(int atX, int atY)
{
    Create(list_, atX, atY);
    // The list's own backing covers its rows only: the entry's panel lies below.
    if (background) {
        const int H = ScreenHeight();
        background->SetRect(x - H / 96, y - H / 96, x + rowWidth + ButtonSide() + H / 96, y + rows * rowHeight + H / 96);
    }
}

void ItemScrollList::FillItems(const ItemList* catalogue, int atX, int atY)
{
    kind = ITEM_LIST_ITEMS;
    catalogue_ = catalogue;
    auto qualifies = [](const Item* item) {
        return item && !(item->itemFlags & (ITEM_FLAG_AI_ONLY | ITEM_FLAG_NOT_FOR_SALE));
    };
    FillFrom(catalogue ? catalogue->items.head : nullptr, qualifies, atX, atY);
}

void ItemScrollList::FillBuildings(const BuildItemList* catalogue, int atX, int atY)
{
    kind = ITEM_LIST_BUILDINGS;
    catalogue_ = catalogue;
    const bool all = showPurchased;
    auto qualifies = [all](const BuildItem* item) {
        return item && !(item->flags & BUILD_AI_CAN_BUILD) && item->buyCost >= 1 && (all || !(item->flags & BUILD_MARKED));
    };
    FillFrom(catalogue ? catalogue->items.head : nullptr, qualifies, atX, atY);
}

void ItemScrollList::FillUnits(const AgentTypeRegistry* registry, int atX, int atY)
{
    kind = ITEM_LIST_UNITS;
    catalogue_ = registry;
    const bool all = showPurchased;
    auto qualifies = [all](const AgentType* type) {
        return type && type->prototype && type->prototype->alignment == ALIGN_PLAYER && type->buyCost >= 1 &&
               (all || !(type->flags & AGENT_TYPE_OWNED));
    };
    FillFrom(registry ? registry->types.head : nullptr, qualifies, atX, atY);
}

void ItemScrollList::Refill()
{
    const int atX = x, atY = y;
    if (kind == ITEM_LIST_ITEMS)
        FillItems(static_cast<const ItemList*>(catalogue_), atX, atY);
    else if (kind == ITEM_LIST_BUILDINGS)
        FillBuildings(static_cast<const BuildItemList*>(catalogue_), atX, atY);
    else
        FillUnits(static_cast<const AgentTypeRegistry*>(catalogue_), atX, atY);
}

const void* ItemScrollList::SelectedDefinition() const
{
    const ItemListEntry* entry = dynamic_cast<const ItemListEntry*>(GetSelected());
    return entry ? entry->definition : nullptr;
}

Item* ItemScrollList::SelectedItem() const
{
    return kind == ITEM_LIST_ITEMS ? static_cast<Item*>(const_cast<void*>(SelectedDefinition())) : nullptr;
}

BuildItem* ItemScrollList::SelectedBuilding() const
{
    return kind == ITEM_LIST_BUILDINGS ? static_cast<BuildItem*>(const_cast<void*>(SelectedDefinition())) : nullptr;
}

AgentType* ItemScrollList::SelectedUnit() const
{
    return kind == ITEM_LIST_UNITS ? static_cast<AgentType*>(const_cast<void*>(SelectedDefinition())) : nullptr;
}

void ItemScrollList::DrawRows()
{
    Font* font = StandardFont();
    const PlayerProfile* profile = Profile();
    const int s = ButtonSide();
    auto* node = firstVisible;
    for (int r = 0; r < rows && node; ++r, node = node->next) {
        const ItemListEntry* entry = dynamic_cast<const ItemListEntry*>(node->value);
        ShopOffer offer;
        if (!entry || !DescribeOffer(kind, entry->definition, &offer)) continue;
        const int top = y + r * rowHeight;
        if (Sprite* icon = rowIcons[r]) {
            icon->texture = offer.icon ? offer.icon : GuiTexture(offer.iconPath.c_str());
            icon->SetAtlasCell(offer.iconCell);
            icon->SetRect(x, top, x + s, top + s);
            GuiDrawSprite(icon);
        }
        const int x0 = x + UnitH(36), y0 = top + UnitH(3);
        char shown[sizeof entry->name];
        CopyText(shown, sizeof shown, entry->name);
        FormatDisplayText(shown, 3);
        Write(font, offer.price >= 1 ? WHITE : DARK_GREY, x0, y0 + UnitH(2), shown);
        if (offer.price < 1) {
            const int purchasedX = x0 + rowWidth - TextWidth(font, "Purchased") - UnitH(36) - UnitH(4);
            Write(font, DARK_GREY, purchasedX, y0 + UnitH(16), "Purchased");
        } else {
            char price[32];
            snprintf(price, sizeof price, "$%d ", offer.price);
            const bool affordable = profile && profile->credits >= offer.price && profile->level >= offer.requiredLevel &&
                                    offer.available;
            const int priceX = x0 + rowWidth - TextWidth(font, price) - UnitH(36) - UnitH(4);
            Write(font, affordable ? LIGHT_GREY : RED, priceX, y0 + UnitH(16), price);
        }
        Write(font, TAG_BLUE, x0, y0 + UnitH(16), offer.tag);
    }
}

void ItemScrollList::DrawSelected()
{
    const ItemListEntry* entry = dynamic_cast<const ItemListEntry*>(GetSelected());
    if (!entry || !entry->definition) return;
    const int panelX = x, panelY = y + rows * rowHeight + UnitH(8);
    const int textX = panelX + UnitH(12) + UnitH(64) + UnitH(24), textY = panelY + UnitH(12);
    if (kind == ITEM_LIST_ITEMS)
        DrawItemPanel(static_cast<const Item*>(entry->definition), textX, textY, panelX, panelY);
    else if (kind == ITEM_LIST_BUILDINGS)
        DrawBuildingPanel(static_cast<const BuildItem*>(entry->definition), textX, textY, panelX, panelY);
    else
        DrawUnitPanel(static_cast<const AgentType*>(entry->definition), textX, textY, panelX, panelY);
}

int ItemScrollList::DrawHeading(const std::string& name, int buyLevel, int textX, int textY)
{
    Font* font = StandardFont();
    Write(font, WHITE, textX, textY, name.c_str());
    const int lineY = textY + UnitH(18);
    // The level is the pilot's own; an offer open from the start asks for none.
    if (buyLevel <= 0) return lineY;
    char line[64];
    snprintf(line, sizeof line, "Requires pilot level %d", buyLevel);
    Write(font, LevelReached(buyLevel) ? GREEN : RED, textX, lineY, line);
    return lineY;
}

void ItemScrollList::DrawDescription(const char* description, int price, int lastLineY, int panelX, int panelY)
{
    Font* font = StandardFont();
    Font* small = SmallFont();
    const int lineStep = UnitH(16);
    const int wrapWidth = UnitH(PANEL_WIDTH) - UnitH(24);
    const char* text = Description(description);
    const int costY = panelY + UnitH(PANEL_HEIGHT) - UnitH(28);
    // The heading's own line is as tall as its font, and the wrapped text ends above the price:
    // a long description closes up the gap over its heading rather than run into "Cost".
    const int headingHeight = std::max(lineStep, font ? (int)font->LineHeight() : 0);
    int lines = 0;
    const int textHeight = small ? small->DrawWrappedText(text, wrapWidth, 0, 0, 0, 0, &lines) : 0;
    const int y0 = std::max(lastLineY + lineStep,
                            std::min(lastLineY + 2 * lineStep, costY - UnitH(2) - textHeight - headingHeight));
    Write(font, WHITE, panelX + UnitH(20), y0, "Description:");
    if (small) {
        small->SetColor(LIGHT_GREY.r, LIGHT_GREY.g, LIGHT_GREY.b, 1.0f);
        GuiDrawWrappedText(small, text, wrapWidth, panelX + UnitH(20), y0 + headingHeight, 0, 0);
        small->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
    }
    char cost[32];
    snprintf(cost, sizeof cost, "Cost $ %d", price);
    Write(font, WHITE, panelX + UnitH(36), costY, cost);
}

void ItemScrollList::DrawItemPanel(const Item* item, int textX, int textY, int panelX, int panelY)
{
    Font* font = StandardFont();
    const PlayerProfile* profile = Profile();
    // The item's picture in the panel's corner, through the list's own picture sprite.
    if (Sprite* picture = preview) {
        picture->texture = item->iconTexture ? item->iconTexture : GuiTexture(item->iconPath);
        picture->SetAtlasCell(item->iconCell);
        picture->SetRect(panelX + UnitH(12), panelY + UnitH(12), panelX + UnitH(12) + UnitH(64), panelY + UnitH(12) + UnitH(64));
        GuiDrawSprite(picture);
    }
    char line[192];
    int lineY = DrawHeading(DisplayName(item->shortDescription, item->name), item->buyLevel, textX, textY);
    if (item->achievement >= 0 && !(profile && profile->HasAchievement(item->achievement))) {
        char key[32];
        snprintf(key, sizeof key, "<achieve_%d>", item->achievement + 1);
        const char* name = GuiDisplayText(key);
        // A key the tables lack comes back as itself.
        if (!name || strcmp(name, key) == 0) name = "invalid";
        snprintf(line, sizeof line, "Unlock: %s achievement", name);
        lineY += UnitH(16);
        Write(font, RED, textX, lineY, line);
    }
    lineY += UnitH(4);
    if (item->kind == ITEM_KIND_ACTION) {
        line[0] = 0;
        switch (item->action) {
        case ITEM_ACTION_HEAL: snprintf(line, sizeof line, "Heals: +%d", item->actionValue); break;
        case ITEM_ACTION_RECHARGE: snprintf(line, sizeof line, "Recharge Shields: +%d", item->actionValue); break;
        case ITEM_ACTION_CLOAK: snprintf(line, sizeof line, "Cloak unit for %d seconds", item->actionValue); break;
        case ITEM_ACTION_ENRICH_ORE: CopyText(line, sizeof line, "Enrich an ore patch to a higher yield"); break;
        case ITEM_ACTION_INSTANT_BUILD: CopyText(line, sizeof line, "Instantly complete construction of a building"); break;
        default: break;
        }
        if (line[0]) {
            lineY += UnitH(16);
            Write(SmallFont(), LIGHT_GREY, textX, lineY, line);
        }
    } else if (item->kind == ITEM_KIND_UPGRADE) {
        lineY += UnitH(16);
        Write(font, WHITE, textX, lineY, "Attributes:");
        std::string attributes = FormatUpgradeAttributes(item);
        const bool fire = item->specialFlags & ITEM_SPECIAL_RESIST_FIRE_1, acid = item->specialFlags & ITEM_SPECIAL_RESIST_ACID_1;
        if (fire || acid)
            attributes += fire && acid ? "\n 50% fire and acid resistance"
                          : fire       ? "\n 50% fire resistance"
                                       : "\n 50% acid resistance";
        size_t start = 0;
        while (start <= attributes.size()) {
            size_t end = attributes.find('\n', start);
            std::string one = attributes.substr(start, end == std::string::npos ? std::string::npos : end - start);
            lineY += UnitH(16);
            Write(SmallFont(), LIGHT_GREY, textX, lineY, one.c_str());
            if (end == std::string::npos) break;
            start = end + 1;
        }
    } else if (item->kind == ITEM_KIND_WEAPON) {
        lineY += UnitH(16);
        Write(font, WHITE, textX, lineY, "Damage:");
        lineY += UnitH(16);
        Write(SmallFont(), LIGHT_GREY, textX, lineY, FormatWeaponDamage(const_cast<Item*>(item)).c_str());
    }
    DrawDescription(item->longDescription, item->price, lineY, panelX, panelY);
}

void ItemScrollList::ShowPreview(void* shown, bool unit, int textX, int textY)
{
    Entity* entity = static_cast<Entity*>(shown);
    if (!entity || !entity->mesh) return;
    const int panelX = textX - UnitH(12) - UnitH(64) - UnitH(24), panelY = textY - UnitH(12);
    ModelViewer*& viewer = sharedPreview;
    if (!viewer) {
        viewer = new ModelViewer();
        viewer->SetModelByName(nullptr);
        viewer->SetViewRect(panelX + UnitH(8), panelY + UnitH(8), UnitH(80), UnitH(80));
        viewer->autoTurn = true;
    }
    if (viewer->entity != entity) {
        viewer->SetEntity(entity);
        viewer->FitCamera(-1, 1.0f, 0.0f);
        viewer->SetDistance(unit ? 0.85f * viewer->distance : viewer->distance, 0.75f);
    }
    viewer->Draw();
}

void ItemScrollList::DrawBuildingPanel(const BuildItem* building, int textX, int textY, int panelX, int panelY)
{
    Font* font = StandardFont();
    Entity* prototype = building->prototype;
    ShowPreview(prototype, false, textX, textY);
    ShopOffer offer;
    DescribeOffer(ITEM_LIST_BUILDINGS, building, &offer);
    char line[192];
    int lineY = DrawHeading(offer.displayName, building->buyLevel, textX, textY);
    lineY += UnitH(16) + UnitH(4);
    Write(font, WHITE, textX, lineY, "Stats:");
    const bool turret = (building->flags & BUILD_TURRET) != 0;
    const float damage = prototype ? prototype->damage : 0.0f;
    if (turret) {
        const char* type = WeaponTypeName(building->weapon);
        snprintf(line, sizeof line, "  %s damage  %.1f   (%.1f dps)", type ? type : "Unknown", damage,
                 TurretDamagePerSecond(building->weapon, damage));
        lineY += UnitH(16);
        Write(SmallFont(), LIGHT_GREY, textX, lineY, line);
    }
    char range[48] = " ";
    if (turret) {
        const Building* body = dynamic_cast<const Building*>(prototype);
        snprintf(range, sizeof range, "Range: %.1f", body ? body->GetTypeRadius() : 0.0f);
    }
    const float health = prototype ? prototype->maxHealth : 0.0f;
    if (building->resourcePower > 0)
        snprintf(line, sizeof line, "  Health: %.0f    Power: +%d    %s", health, building->resourcePower, range);
    else
        snprintf(line, sizeof line, "  Health: %.0f    Power: %d    %s", health, building->costPower, range);
    lineY += UnitH(16);
    Write(SmallFont(), LIGHT_GREY, textX, lineY, line);
    lineY += UnitH(16);
    Write(font, WHITE, textX, lineY, (building->flags & BUILD_UPGRADE_RECORD) ? "Upgrade Cost:" : "Build Cost:");
    snprintf(line, sizeof line, "  %d ore    %d fuel", building->costOre, building->costFuel);
    lineY += UnitH(16);
    Write(SmallFont(), LIGHT_GREY, textX, lineY, line);
    DrawDescription(building->longDescription, building->buyCost, lineY, panelX, panelY);
}

void ItemScrollList::DrawUnitPanel(const AgentType* unit, int textX, int textY, int panelX, int panelY)
{
    Font* font = StandardFont();
    Agent* prototype = unit->prototype;
    ShowPreview(prototype, true, textX, textY);
    ShopOffer offer;
    DescribeOffer(ITEM_LIST_UNITS, unit, &offer);
    char line[192];
    int lineY = DrawHeading(offer.displayName, unit->buyLevel, textX, textY);
    if (const BuildItem* producer = unit->producer) {
        snprintf(line, sizeof line, "Requires %s", DisplayName(producer->shortDescription, producer->name).c_str());
        lineY += UnitH(16);
        Write(font, offer.available ? GREEN : RED, textX, lineY, line);
    }
    lineY += UnitH(16) + UnitH(4);
    Write(font, WHITE, textX, lineY, "Stats:");
    if (prototype) {
        const bool melee = (prototype->classWord & AGENT_CLASS_MELEE) != 0;
        const WeaponDef* weapon = melee ? nullptr : prototype->weapon;
        const float damage = prototype->GetDamage(weapon);
        const float dps = melee ? prototype->GetDamagePerSecond(nullptr) : WeaponDps(damage, weapon);
        if (melee) {
            snprintf(line, sizeof line, "  Melee damage  %.1f   (%.1f dps)", damage, dps);
        } else {
            const char* type = weapon ? WeaponTypeName(weapon->type) : nullptr;
            snprintf(line, sizeof line, "  %s damage  %.1f   (%.1f dps)", type ? type : "Unknown", damage, dps);
        }
        lineY += UnitH(16);
        Write(SmallFont(), LIGHT_GREY, textX, lineY, line);
        if (melee) {
            snprintf(line, sizeof line, "  Speed: %.1f    Health: %.0f", prototype->speed, prototype->maxHealth);
        } else {
            // Speed, range and health together run past the panel's edge: the health has a line
            // of its own.
            snprintf(line, sizeof line, "  Speed: %.1f    Range:  %.1f", prototype->speed, prototype->GetAttackRange());
            lineY += UnitH(16);
            Write(SmallFont(), LIGHT_GREY, textX, lineY, line);
            snprintf(line, sizeof line, "  Health: %.0f", prototype->maxHealth);
        }
        lineY += UnitH(16);
        Write(SmallFont(), LIGHT_GREY, textX, lineY, line);
    }
    lineY += UnitH(16);
    Write(font, WHITE, textX, lineY, "Build Cost:");
    snprintf(line, sizeof line, "  %d ore    %d fuel", unit->oreCost, unit->fuelCost);
    lineY += UnitH(16);
    Write(SmallFont(), LIGHT_GREY, textX, lineY, line);
    DrawDescription(unit->longDescription, unit->buyCost, lineY, panelX, panelY);
}
