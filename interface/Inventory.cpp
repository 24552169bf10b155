#include "interface/Inventory.h"

#include "campaign/PlayerProfile.h"
#include "gui/Button.h"
#include "gui/GuiDraw.h"
#include "gui/WindowManager.h"
#include "host/InputKeys.h"
#include "host/System.h"
#include "host/WorldGuard.h"
#include "interface/ItemScrollList.h"
#include "interface/MessageLists.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/OrderQueue.h"
#include "mechanics/Selection.h"
#include "platform/GameSeam.h"
#include "platform/InputState.h"
#include "render/Font.h"
#include "render/Sprite.h"
#include "world/AgentTypeRegistry.h"
#include "world/BuildItem.h"
#include "world/Item.h"
#include "world/ItemCatalog.h"
#include "world/WeaponDef.h"

#include <climits>
#include <cstdio>
#include <cstring>

Inventory* PlayerInventory = nullptr;

namespace {

const char* const SLOT_TEXTURE = "Data/gui/Icons/inventory_slot.dds";
const char* const SLOT_RED_TEXTURE = "Data/gui/Icons/inventory_slot_red.dds";
const char* const SLOT_BLUE_TEXTURE = "Data/gui/Icons/inventory_slot_blue.dds";
const char* const MARKER_BLUE_TEXTURE = "Data/gui/Icons/inventory_attach_blue.dds";
const char* const MARKER_RED_TEXTURE = "Data/gui/Icons/inventory_attach_red.dds";
const char* const RARITY_WORDS[] = {"Poor", "Normal", "Enhanced", "Rare"};
constexpr int CARRIED_SIZE = 48;

// The marker under a carried item, shared with the character screen's attachment markers.
Sprite* DragMarker = nullptr;

int PlayerLevel()
{
    const PlayerProfile* profile = GetPlayerProfile();
    return profile ? profile->level : 0;
}

AgentType* PatternUnit(const Item* item)
{
    if (!TheGame || !TheGame->agentTypes || !item) return nullptr;
    return TheGame->agentTypes->FindType(item->patternName);
}

BuildItem* PatternBuilding(const Item* item)
{
    if (!TheGame || !TheGame->buildItems || !item) return nullptr;
    return TheGame->buildItems->FindByName(item->patternName);
}

int CountBits(uint32_t word)
{
    int n = 0;
    for (; word; word &= word - 1) ++n;
    return n;
}

void SetColour(float* out, float r, float g, float b)
{
    out[0] = r, out[1] = g, out[2] = b, out[3] = 1.0f;
}

void CountLabel(Button* widget, const Item* item)
{
    if (!widget) return;
    char count[16];
    if (IsStackable(item))
        snprintf(count, sizeof count, "%d", item->stackCount);
    else
        CopyText(count, sizeof count, " ");
    widget->SetText(count);
    widget->textOffsetX = widget->textOffsetY = 8;
}

// The damage an item's weapon deals, and its bonus for that weapon.
float WeaponDamage(Item* item, float* bonus)
{
    *bonus = item->weapon ? item->GetDamageBonus(item->weapon) : 0.0f;
    return item->GetDamage(item->weapon);
}

// Appends one line to the stats text, each line after the first on a new indented line.
void AppendLine(ItemTooltipText* out, const char* line)
{
    if (out->stats.empty())
        out->stats = "   ";
    else
        out->stats += "\n   ";
    out->stats += line;
    ++out->statLines;
}

Font* TooltipFont(int slot)
{
    if (TheGame && TheGame->fonts[slot]) return TheGame->fonts[slot];
    return GuiDefaultFont;
}

}  // namespace

// ---- Grades, worth and usability

int GetItemState(const Item* item)
{
    if (!item) return 1;
    if (item->specialFlags) return 2;
    if (item->kind == ITEM_KIND_WEAPON && item->upgradeFlags) {
        float bonus = item->bonus[ITEM_BONUS_DAMAGE];
        if (bonus > 0.0f) return 2;
        if (bonus < 0.0f) return 0;
    }
    return 1;
}

int GetItemValue(const Item* item, bool forSale)
{
    if (!item) return 0;
    int base = item->price;
    if (item->kind == ITEM_KIND_UNIT) {
        if (const AgentType* type = PatternUnit(item)) base = type->buyCost;
    } else if (item->kind == ITEM_KIND_BUILDING) {
        if (const BuildItem* building = PatternBuilding(item)) base = building->buyCost;
    }
    int grade = GetItemState(item);
    long long value;
    if (item->kind == ITEM_KIND_UPGRADE)
        value = base / 2;
    else if (grade >= 1)
        value = (long long)(base / 4) * (grade - 1) + base / 2;
    else
        value = base / 4;
    if (item->specialFlags) value += value / 2;
    if (forSale && IsStackable(item) && item->stackCount >= 2) value *= item->stackCount;
    return value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : (int)value;
}

int GetItemUsability(const Item* item)
{
    if (!item) return 0;
    if (PlayerLevel() < item->buyLevel) return 2;
    return GetItemState(item) == 2 ? 1 : 0;
}

// ---- The tooltip's texts

void BuildItemTooltip(const Item* constItem, int playerLevel, ItemTooltipText* out)
{
    *out = ItemTooltipText();
    if (!constItem) return;
    Item* item = const_cast<Item*>(constItem);  // the damage queries are not const
    char line[256];
    out->title = item->shortDescription ? item->shortDescription : item->name;

    int level = item->buyLevel;
    const AgentType* unit = item->kind == ITEM_KIND_UNIT ? PatternUnit(item) : nullptr;
    const BuildItem* building = item->kind == ITEM_KIND_BUILDING ? PatternBuilding(item) : nullptr;
    if (unit) level = unit->buyLevel;
    if (building) level = building->buyLevel;
    out->level = level;
    const char* kindName = item->GetActionName()[0] ? item->GetActionName() : "Pickup";
    snprintf(line, sizeof line, "%s (level %d) - [%s]", kindName, level, RARITY_WORDS[GetItemState(item)]);
    out->kindLine = line;
    if (level > playerLevel)
        SetColour(out->kindColour, 1.0f, 0.3f, 0.2f);
    else
        SetColour(out->kindColour, 0.6f, 0.6f, 0.6f);

    float damageBonus = 0.0f;
    if (item->kind == ITEM_KIND_WEAPON) {
        float total = WeaponDamage(item, &damageBonus);
        const WeaponDef* weapon = item->weapon;
        // Rated as the shop and the character screen rate it, so one weapon shows one figure.
        float cycle = WeaponCycle(weapon);
        float dps = cycle > 0.0f ? total / cycle : total;
        const char* suffix = weapon && (weapon->flags & WEAPONFLAG_DUAL_CLUSTER) ? " x 2" : "";
        if (damageBonus > 0.0f)
            snprintf(line, sizeof line, "Damage: %.1f + %.1f (%.1f dps)%s", total - damageBonus, damageBonus, dps, suffix);
        else
            snprintf(line, sizeof line, "Damage: %.1f  (%.1f dps)%s", total, dps, suffix);
        AppendLine(out, line);
    } else if (item->kind == ITEM_KIND_UPGRADE) {
        struct Bonus {
            int index;
            const char* label;
        } bonuses[] = {{ITEM_BONUS_DAMAGE, "Damage"},
                       {ITEM_BONUS_SPEED, "Speed"},
                       {ITEM_BONUS_HEALTH, "Health"},
                       {ITEM_BONUS_HULL, "Hull"},
                       {ITEM_BONUS_RATE_OF_FIRE, "Rate of fire"}};
        for (const Bonus& bonus : bonuses) {
            if (item->bonus[bonus.index] <= 0.0f) continue;
            snprintf(line, sizeof line, "%s:  +%.1f%% ", bonus.label, item->bonus[bonus.index]);
            AppendLine(out, line);
        }
    } else if (item->kind == ITEM_KIND_ACTION) {
        line[0] = 0;
        switch (item->action) {
        case ITEM_ACTION_HEAL: snprintf(line, sizeof line, "Heals:  +%d ", item->actionValue); break;
        case ITEM_ACTION_RECHARGE: snprintf(line, sizeof line, "Recharge shields:  +%d ", item->actionValue); break;
        case ITEM_ACTION_GIVE_EXPERIENCE: CopyText(line, sizeof line, "Bot experience: [based on bot level] "); break;
        case ITEM_ACTION_CLOAK: snprintf(line, sizeof line, "Cloak unit for %d seconds", item->actionValue); break;
        case ITEM_ACTION_ENRICH_ORE: CopyText(line, sizeof line, "Enrich an ore patch to a higher yield"); break;
        case ITEM_ACTION_INSTANT_BUILD:
            CopyText(line, sizeof line, "Instantly complete construction of a building");
            break;
        default: break;
        }
        if (line[0]) AppendLine(out, line);
    }

    const uint32_t special = item->specialFlags;
    const int upgradeBits = CountBits(item->upgradeFlags), specialBits = CountBits(special);
    if (specialBits > 0) {
        // Of each pair the stronger one is named; the two resistances share one line.
        struct Pair {
            uint32_t strong;
            const char* strongText;
            uint32_t weak;
            const char* weakText;
        };
        const bool fire = special & ITEM_SPECIAL_RESIST_FIRE_1, acid = special & ITEM_SPECIAL_RESIST_ACID_1;
        const char* resistance = fire && acid ? "50% fire and acid resistance"
                                 : fire       ? "50% fire resistance"
                                 : acid       ? "50% acid resistance"
                                              : nullptr;
        const Pair pairs[] = {
            {ITEM_SPECIAL_SHIELD_DRAIN_2, "20% Chance to drain enemy shields", ITEM_SPECIAL_SHIELD_DRAIN_1,
             "10% Chance to drain enemy shields"},
            {ITEM_SPECIAL_CHANCE_TO_EVADE_2, "20% Chance to evade damage", ITEM_SPECIAL_CHANCE_TO_EVADE_1,
             "10% Chance to evade damage"},
            {ITEM_SPECIAL_SIPHON_DAMAGE_2, "Siphon 30% damage dealt to repair hull", ITEM_SPECIAL_SIPHON_DAMAGE_1,
             "Siphon 20% damage dealt to repair hull"},
            {0, resistance, 0, nullptr},
            {ITEM_SPECIAL_REFLECT_DAMAGE_2, "Reflect 20% of damage back to attacker", ITEM_SPECIAL_REFLECT_DAMAGE_1,
             "Reflect 10% of damage back to attacker"},
            {ITEM_SPECIAL_FREEZE_2, "20% chance to freeze target for 10 seconds", ITEM_SPECIAL_FREEZE_1,
             "10% chance to freeze target for 5 seconds"},
        };
        for (const Pair& pair : pairs) {
            const char* text = pair.strong == 0 ? pair.strongText
                               : (special & pair.strong) ? pair.strongText
                               : (special & pair.weak)   ? pair.weakText
                                                         : nullptr;
            if (text) AppendLine(out, text);
        }
    }
    if (out->stats.size() > 127) out->stats.resize(127);

    float* title = out->titleColour;
    if (item->kind == ITEM_KIND_WEAPON) {
        bool upgraded = upgradeBits > 1 || (upgradeBits == 1 && damageBonus > -0.01f && damageBonus < 0.01f);
        if (specialBits > 0 || upgraded) {
            if (specialBits > 0)
                SetColour(title, 0.4275f, 0.7843f, 0.8157f);
            else
                SetColour(title, 0.2863f, 0.4275f, 0.9569f);
            if (upgradeBits + specialBits > 2) SetColour(title, 1.0f, 0.7373f, 0.1098f);
        } else if (damageBonus < 0.0f) {
            SetColour(title, 0.45f, 0.45f, 0.45f);
        } else if (damageBonus > 0.0001f) {
            SetColour(title, 0.9f, 0.9f, 0.5f);
        }
    } else if (upgradeBits + specialBits > 2) {
        SetColour(title, 1.0f, 0.7373f, 0.1098f);
    } else if (upgradeBits + specialBits == 2) {
        SetColour(title, 0.2863f, 0.4275f, 0.9569f);
    }

    if (item->kind == ITEM_KIND_UNIT || item->kind == ITEM_KIND_BUILDING) {
        const char* target = unit ? unit->name : building ? building->name : item->patternName;
        snprintf(line, sizeof line, "   Pattern:  %s", target);
        out->patternLine = line;
    }
    if (IsStackable(item) && item->stackCount > 1)
        snprintf(line, sizeof line, "   Value:  %d credits (%d per unit)", GetItemValue(item, true),
                 GetItemValue(item, false));
    else
        snprintf(line, sizeof line, "   Value:  %d credits", GetItemValue(item, false));
    out->valueLine = line;
}

// ---- The grid

Inventory::Inventory()
{
    cellWidth = cellHeight = UnitH(32);
    Build();
    if (panel) panel->SetVisible(false);
    // The window is the world's bag from now on, with what the world's own held.
    if (PlayerBag && PlayerBag != this) TakeOver(*PlayerBag);
    PlayerBag = this;
}

Inventory::~Inventory()
{
    delete dragWidget;
    dragWidget = nullptr;
    delete heldWidget_;
    heldWidget_ = nullptr;
    // The panel goes with its children: nothing is unlinked from it one by one.
    for (InventoryCell& cell : cells) {
        delete cell.itemWidget;
        delete cell.slotButton;
        cell = InventoryCell();
    }
    delete hotbarStrip_;
    if (WindowMgr && panel) {
        WindowMgr->windows.Remove(panel);
        if (WindowMgr->modal == panel) WindowMgr->modal = nullptr;
        if (WindowMgr->focused == panel) WindowMgr->focused = nullptr;
    }
    delete panel;
    delete tooltipFrame;
    delete tooltipFill;
    delete tooltipIcon;
    if (PlayerInventory == this) PlayerInventory = nullptr;
    // Its items go with it (the bag's own end); the world plays on with its own, empty.
    if (PlayerBag == this) PlayerBag = WorldBag();
}

void Inventory::Build()
{
    int width = columns * cellWidth + 2 * margin;
    int height = rows * cellHeight + 2 * margin + topOffset;
    panel = new Window(0, UnitH(160), width, height, "wframe_blue.dds");
    if (WindowMgr) WindowMgr->AddWindow(panel);
    tooltipFrame = CreateGuiSprite(0, 0, cellWidth, UnitH(128), "data/textures/white.dds", 0xFF6090A0, 0, 0, 1, 1);
    tooltipFill = CreateGuiSprite(0, 0, cellWidth, UnitH(128), "data/textures/white.dds", 0xFF203040, 0, 0, 1, 1);
    tooltipIcon = CreateGuiSprite(8, 8, 120, 120, "data/textures/white.dds", 0xFFFFFFFF, 0, 0, 1, 1);
    for (int i = 0; i < SLOT_COUNT; ++i) {
        int x, y;
        SlotPosition(i, &x, &y);
        Button* button = new Button(OnInventorySlotPressed, nullptr, x, y, cellWidth, cellHeight, 0, nullptr, SLOT_TEXTURE,
                                    SLOT_TEXTURE, nullptr, 0, 0, 0);
        button->SetText(" ");
        button->textOffsetX = button->textOffsetY = 8;
        button->hasUserData = true;
        button->userData = (intptr_t)this;
        button->SetImage("data/gui/highlight.dds", 0);
        button->rightButtonAllowed = true;
        panel->AddChild(button);
        cells[i].slotButton = button;
    }
    hotbarStrip_ = new Button(nullptr, nullptr, margin, margin + topOffset, HOTBAR_SLOTS * cellWidth, cellHeight, 0,
                              nullptr, "data/gui/hotbar_indicator.dds", "data/gui/hotbar_indicator.dds", nullptr, 0, 0, 0);
    panel->AddChild(hotbarStrip_);
}

void Inventory::SlotPosition(int slot, int* x, int* y) const
{
    *x = margin + (slot % columns) * cellWidth;
    *y = margin + topOffset + (slot / columns) * cellHeight;
}

int Inventory::HitTest(int x, int y, bool panelRelative) const
{
    int dx = x - margin, dy = y - margin - topOffset;
    if (!panelRelative && panel) {
        int px, py;
        panel->GetScreenPosition(&px, &py);
        dx -= px;
        dy -= py;
    }
    if (dx < 0 || dy < 0 || cellWidth <= 0 || cellHeight <= 0) return -1;
    int column = dx / cellWidth, row = dy / cellHeight;
    if (column >= columns || row >= rows) return -1;
    return row * columns + column;
}

Button* Inventory::MakeItemWidget(Item* item, int slot)
{
    int x, y;
    SlotPosition(slot, &x, &y);
    Button* widget = new Button(nullptr, nullptr, x, y, cellWidth, cellHeight, 0, nullptr, item->iconPath, item->iconPath,
                                nullptr, item->iconCell, item->iconCell, 0);
    CountLabel(widget, item);
    widget->hasUserData = true;
    widget->userData = (intptr_t)this;
    return widget;
}

void Inventory::Tint(int slot)
{
    const BagSlot& s = slots[slot];
    Button* button = cells[slot].slotButton;
    if (!button) return;
    int usability = s.kind == 1 ? GetItemUsability(s.item) : 0;
    const char* texture = usability == 2 ? SLOT_RED_TEXTURE : usability == 1 ? SLOT_BLUE_TEXTURE : SLOT_TEXTURE;
    button->SetIcon(texture, texture, 0, 0);
}

void Inventory::SlotChanged(int slot)
{
    if (slot < 0 || slot >= SLOT_COUNT) return;
    const BagSlot& s = slots[slot];
    InventoryCell& cell = cells[slot];
    Item* item = s.kind == 1 ? s.item : nullptr;
    if (cell.itemWidget && cell.shown != item) {
        if (panel) panel->RemoveChild(cell.itemWidget);
        delete cell.itemWidget;
        cell.itemWidget = nullptr;
        cell.shown = nullptr;
    }
    if (item && !cell.itemWidget) {
        cell.itemWidget = MakeItemWidget(item, slot);
        cell.shown = item;
        if (panel) panel->AddChild(cell.itemWidget);
    } else if (item) {
        CountLabel(cell.itemWidget, item);
    }
    Tint(slot);
    ShowSlots();
}

void Inventory::HandChanged()
{
    delete dragWidget;
    dragWidget = nullptr;
    if (!dragItem) return;
    // The carried widget is no child of the panel: it stands in screen coordinates.
    dragWidget = MakeItemWidget(dragItem, 0);
    dragWidget->SetSize(UnitH(CARRIED_SIZE), UnitH(CARRIED_SIZE));
}

void Inventory::UpdateSlotHighlights()
{
    for (int i = 0; i < SLOT_COUNT; ++i)
        if (slots[i].kind == 1) Tint(i);
}

void Inventory::Clear()
{
    Release();
    Bag::Clear();
}

Item* Inventory::DropDraggedItem()
{
    if (!dragWidget || !dragItem || dragItem->stackCount != 1) {
        GuiPlaySound("bad");
        return nullptr;
    }
    Item* item = TakeCarried();
    GuiPlaySound("dropitem");
    return item;
}

Item* Inventory::TakeNamed(const char* name)
{
    if (!name) return nullptr;
    if (dragItem && StrICmp(dragItem->name, name) == 0) return TakeCarried();
    return TakeOne(-1, name);
}

Item* Inventory::TakeToDrop(const char* name)
{
    if (!name) return nullptr;
    if (dragItem && StrICmp(dragItem->name, name) == 0) return DropDraggedItem();
    Item* item = TakeNamed(name);
    if (item) GuiPlaySound("dropitem");
    return item;
}

void Inventory::PressSlot(int slot, bool rightButton, bool ctrl, bool shift)
{
    if (slot < 0 || slot >= SLOT_COUNT) return;
    if (rightButton && !ctrl) {
        UseSlot(slot);
        return;
    }
    if (TheGame && TheGame->state == GAME_STATE_PLAYING) {
        // What the hand brought into the level leaves it by an order: put down when the screen
        // closes, or fitted to the rig.
        if (dragItem)
            GuiPlaySound("bad");
        else
            PressSlotInLevel(slot, shift);
        return;
    }
    BagSlot& s = slots[slot];
    if (!dragItem) {
        if (s.kind != 1) return;
        WORLD_CHANGE("an item moved between the bag and the hand");
        Item* taken = s.item;
        if (shift && IsStackable(s.item) && s.item->stackCount >= 2) {
            taken = TakeOne(slot, s.item->name);
            if (!taken) return;
        } else {
            EmptySlot(slot, false);
        }
        Carry(taken);
        GuiPlaySound("blip");
        return;
    }
    WORLD_CHANGE("an item moved between the hand and the bag");
    if (s.kind != 1) {
        Place(slot, TakeCarried());
    } else if (IsStackable(dragItem) && IsStackable(s.item) && strcmp(dragItem->name, s.item->name) == 0) {
        s.item->stackCount = AddStackCounts(s.item->stackCount, dragItem->stackCount);
        delete TakeCarried();
        SlotChanged(slot);
    } else {
        Item* former = s.item;
        EmptySlot(slot, false);
        Place(slot, TakeCarried());
        Carry(former);
    }
    GuiPlaySound(s.item ? (s.item->soundName[0] ? s.item->soundName : "blip") : "item_gem");
}

// ---- The hand in a level

Item* Inventory::HeldItem() const
{
    if (heldSlot_ < 0 || heldSlot_ >= SLOT_COUNT) return nullptr;
    const BagSlot& s = slots[heldSlot_];
    return s.kind == 1 && s.item && StrICmp(s.item->name, heldName_.c_str()) == 0 ? s.item : nullptr;
}

void Inventory::ShowSlots()
{
    for (int i = 0; i < SLOT_COUNT; ++i) {
        const BagSlot& s = slots[i];
        Button* widget = cells[i].itemWidget;
        if (!widget || !s.item) continue;
        const bool held = i == heldSlot_ && s.item == HeldItem();
        widget->SetVisible(!(held && heldCount_ == 0));
        if (held && heldCount_ > 0) {
            char count[16];
            snprintf(count, sizeof count, "%d", s.item->stackCount - heldCount_);
            widget->SetText(count);
        } else {
            CountLabel(widget, s.item);
        }
    }
}

void Inventory::HoldShowing(int slot, int count, const Item* picture)
{
    Release();
    if (slot < 0 || slot >= SLOT_COUNT || !picture) return;
    heldSlot_ = slot;
    heldCount_ = count > 0 ? count : 0;
    heldName_ = picture->name;
    heldWidget_ = MakeItemWidget(const_cast<Item*>(picture), slot);
    heldWidget_->SetSize(UnitH(CARRIED_SIZE), UnitH(CARRIED_SIZE));
    if (heldCount_ > 0) {
        char shown[16];
        snprintf(shown, sizeof shown, "%d", heldCount_);
        heldWidget_->SetText(shown);
    }
    ShowSlots();
}

void Inventory::Hold(int slot, int count)
{
    if (slot >= 0 && slot < SLOT_COUNT && slots[slot].kind == 1 && slots[slot].item)
        HoldShowing(slot, count, slots[slot].item);
    else
        Release();
}

void Inventory::Release()
{
    delete heldWidget_;
    heldWidget_ = nullptr;
    heldSlot_ = -1;
    heldCount_ = 0;
    heldName_.clear();
    ShowSlots();
}

void Inventory::CheckHeld()
{
    if (heldSlot_ < 0) return;
    // An order of the hand not carried out yet: the slot still shows the world before it.
    for (const PlayerOrder& waiting : TheOrders.WaitingOrders())
        if (waiting.kind == ORDER_MOVE_ITEM || waiting.kind == ORDER_FIT_PART) return;
    Item* item = HeldItem();
    if (!item) {
        Release();
        return;
    }
    if (heldCount_ > 0 && heldCount_ >= item->stackCount) HoldShowing(heldSlot_, 0, item);
    ShowSlots();
}

void Inventory::PressSlotInLevel(int slot, bool shift)
{
    CheckHeld();
    const BagSlot& s = slots[slot];
    Item* held = HeldItem();
    if (!held) {
        if (s.kind != 1 || !s.item) return;
        Hold(slot, shift && IsStackable(s.item) && s.item->stackCount >= 2 ? 1 : 0);
        GuiPlaySound("blip");
        return;
    }
    const int from = heldSlot_, count = heldCount_;
    if (slot == from) {
        Release();
        GuiPlaySound("blip");
        return;
    }
    const bool merges = s.kind == 1 && s.item && IsStackable(held) && IsStackable(s.item) && StrICmp(held->name, s.item->name) == 0;
    Item* former = s.kind == 1 && !merges ? s.item : nullptr;
    // One off a stack has no slot to take the other item back into.
    if (former && count > 0) {
        GuiPlaySound("bad");
        return;
    }
    PlayerOrder order;
    order.kind = ORDER_MOVE_ITEM;
    order.text = held->name;
    order.args[0] = from | slot << 8;
    order.args[1] = count;
    TheOrders.Give(order);
    GuiPlaySound(held->soundName[0] ? held->soundName : "blip");
    // After a swap the hand holds what lay there, in the slot the held item leaves.
    if (former)
        HoldShowing(from, 0, former);
    else
        Release();
}

void Inventory::UseSlot(int slot)
{
    const BagSlot& s = slots[slot];
    if (s.kind != 1 || !s.item) return;
    Item* item = s.item;
    switch (item->kind) {
    case ITEM_KIND_ACTION: {
        // Used at the next tick on the first selected entity; the slot then shows the new count
        // or empties. Enrichment and instant building fail quietly: they have orders of their own.
        Entity* target = TheGame ? TheGame->GetFirstSelected() : nullptr;
        if (!target) {
            if (item->action != ITEM_ACTION_ENRICH_ORE && item->action != ITEM_ACTION_INSTANT_BUILD) GuiPlaySound("bad");
            return;
        }
        const bool quiet = item->action == ITEM_ACTION_ENRICH_ORE || item->action == ITEM_ACTION_INSTANT_BUILD;
        GiveItemUse(item->name, target, quiet ? ORDER_USE_QUIET : 0);
        return;
    }
    case ITEM_KIND_UNIT:
    case ITEM_KIND_BUILDING: {
        // Learnt at the next tick, from the slot it lies in then.
        PlayerOrder order;
        order.kind = ORDER_LEARN_PATTERN;
        order.text = item->name;
        order.args[0] = slot;
        TheOrders.Give(order);
        return;
    }
    default: return;
    }
}

int OnInventorySlotPressed(void* user, Button* button)
{
    if (!user || !button) return 1;
    Inventory* inventory = reinterpret_cast<Inventory*>(*static_cast<intptr_t*>(user));
    if (!inventory) return 1;
    int x, y;
    button->GetScreenPosition(&x, &y);
    int slot = inventory->HitTest(x, y, false);
    if (slot < 0) return 1;
    const KeyboardDevice* keys = Input.keyboard;
    bool ctrl = keys && (keys->IsKeyDown(DIK_LCONTROL) || keys->IsKeyDown(DIK_RCONTROL));
    bool shift = keys && (keys->IsKeyDown(DIK_LSHIFT) || keys->IsKeyDown(DIK_RSHIFT));
    bool right = Input.mouse && Input.mouse->ButtonEventIs(1, 1);
    inventory->PressSlot(slot, right, ctrl, shift);
    return 1;
}

// ---- Per frame

void Inventory::UpdateHover(int x, int y)
{
    if (!panel || !panel->IsVisible()) return;
    CheckHeld();
    if (heldWidget_) {
        heldWidget_->Move(x - cellWidth / 2, y - cellHeight / 2);
        return;
    }
    if (dragWidget) {
        // The carried widget is no child of the panel: it stands in screen coordinates.
        dragWidget->Move(x - cellWidth / 2, y - cellHeight / 2);
        return;
    }
    if (!panel->HitTest(x, y) || (WindowMgr && WindowMgr->modal)) return;
    int slot = HitTest(x, y, false);
    if (slot < 0 || slots[slot].kind != 1) return;
    int sx, sy;
    cells[slot].slotButton->GetScreenPosition(&sx, &sy);
    int anchorY = sy;
    DrawItemTooltip(slots[slot].item, sx + cellWidth, &anchorY);
}

void Inventory::DrawDraggedItem()
{
    Button* shown = heldWidget_ ? heldWidget_ : dragWidget;
    if (!panel || !panel->IsVisible() || !shown) return;
    int usability = GetItemUsability(InHand());
    if (usability != 0) {
        if (!DragMarker)
            DragMarker = CreateGuiSprite(0, 0, UnitH(CARRIED_SIZE), UnitH(CARRIED_SIZE), MARKER_BLUE_TEXTURE, 0xFFFFFFFF, 0,
                                         0, 1, 1);
        if (DragMarker) {
            DragMarker->texture = GuiTexture(usability == 2 ? MARKER_RED_TEXTURE : MARKER_BLUE_TEXTURE);
            int x, y;
            shown->GetScreenPosition(&x, &y);
            DragMarker->SetPosition(x, y);
            GuiDrawSprite(DragMarker);
        }
    }
    shown->Draw();
}

void Inventory::DrawItemTooltip(Item* item, int x, int* y)
{
    if (!item || !y) return;
    ItemTooltipText text;
    BuildItemTooltip(item, PlayerLevel(), &text);
    Font* heading = TooltipFont(1);
    Font* body = TooltipFont(0);
    auto extent = [](Font* font, const std::string& s) {
        TextSize size;
        if (font) font->GetTextExtent(s.c_str(), &size);
        return size;
    };
    const int inner = 10, icon = 80, spacing = 4;
    TextSize titleSize = extent(heading, text.title), kindSize = extent(body, text.kindLine);
    int width = titleSize.cx;
    width = width > kindSize.cx ? width : kindSize.cx;
    width = width > 240 ? width : 240;
    int height = titleSize.cy + 2 * kindSize.cy;
    if (text.statLines > 0) {
        TextSize statsSize = extent(heading, text.stats);
        width = width > statsSize.cx ? width : statsSize.cx;
        height += 16 * text.statLines;
    }
    height += extent(heading, "Value").cy;
    int descriptionLines = 0;
    const char* description = item->longDescription ? item->longDescription : "";
    if (body) body->DrawWrappedText(description, width, 0, 0, 0, 0, &descriptionLines);
    int top = *y;
    int right = x + width + 2 * inner, bottom = top + height + icon + (inner + spacing) * (descriptionLines + 5);
    tooltipFrame->SetRect(x - 2, top - 2, right + 2, bottom + 2);
    tooltipFill->SetRect(x, top, right, bottom);
    GuiDrawSprite(tooltipFrame);
    GuiDrawSprite(tooltipFill);

    const float* t = text.titleColour;
    if (heading) heading->SetColor(t[0], t[1], t[2], t[3]);
    GuiDrawText(heading, x + width / 2 - titleSize.cx / 2, top + 5, text.title.c_str());
    int cursor = top + titleSize.cy + 4;
    const float* k = text.kindColour;
    if (body) body->SetColor(k[0], k[1], k[2], k[3]);
    GuiDrawText(body, x + width / 2 - kindSize.cx / 2, cursor + 2, text.kindLine.c_str());
    cursor += kindSize.cy + 8;
    if (body) body->SetColor(0.8f, 0.8f, 0.8f, 1.0f);
    if (body) cursor += body->DrawWrappedText(description, width, x + inner, cursor, 0, 0, nullptr);

    int centre = x + (width + 2 * inner) / 2;
    float ua = 0, va = 0, ub = 1, vb = 1;
    auto drawIcon = [&](TextureRecord* texture, int cell, int left, int iconTop, int iconRight, int iconBottom) {
        tooltipIcon->texture = texture;
        ua = va = 0, ub = vb = 1;
        if (cell > 0) GetAtlasCellUV(cell, &ua, &va, &ub, &vb);
        tooltipIcon->SetTexCoords(ua, va, ub, vb);
        tooltipIcon->SetRect(left, iconTop, iconRight, iconBottom);
        GuiDrawSprite(tooltipIcon);
    };
    const AgentType* unit = item->kind == ITEM_KIND_UNIT ? PatternUnit(item) : nullptr;
    const BuildItem* building = item->kind == ITEM_KIND_BUILDING ? PatternBuilding(item) : nullptr;
    TextureRecord* itemIcon = item->iconTexture ? item->iconTexture : GuiTexture(item->iconPath);
    if (unit || building) {
        drawIcon(itemIcon, item->iconCell, centre - 80, cursor, centre, cursor + 80);
        if (unit) drawIcon(unit->iconTexture, unit->iconCell, centre + 4, cursor + 4, centre + 72, cursor + 72);
        if (building) drawIcon(building->iconTexture, building->iconCell, centre + 4, cursor + 4, centre + 72, cursor + 72);
    } else {
        drawIcon(itemIcon, item->iconCell, centre - 40, cursor, centre + 40, cursor + 80);
    }
    cursor += 80;
    if (text.statLines > 0) {
        if (heading) heading->SetColor(0.8f, 0.8f, 0.8f, 1.0f);
        GuiDrawWrappedText(heading, text.stats.c_str(), 1 << 20, x + inner, cursor, 0, 0);
        cursor += 16 * text.statLines;
    }
    if (!text.patternLine.empty()) {
        if (heading) heading->SetColor(0.3f, 0.6f, 1.0f, 1.0f);
        GuiDrawText(heading, x + inner, cursor, text.patternLine.c_str());
        cursor += 16;
    }
    if (heading) heading->SetColor(0.7412f, 0.7765f, 0.5686f, 1.0f);
    GuiDrawText(heading, x + inner, cursor, text.valueLine.c_str());
    cursor += 16;
    if (heading) heading->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
    if (body) body->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
    *y = cursor;
}
