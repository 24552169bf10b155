#pragma once
// The shop's lists: items for sale, buildings (and building upgrades) whose blueprints can be
// bought, and units whose blueprints can be bought. Each list fills itself from a definition
// catalogue and draws its rows with an icon, the name, a type tag and a price (or
// "Purchased"), and below itself a panel for the selected entry: its picture or a turning 3D
// preview, what it requires, its statistics, its description and its cost. Prices and
// requirements are coloured by what the current profile can afford.
//
// The list owns its entry records (made by every fill, freed by the next); the definitions
// stay the catalogues'.
#include "gui/ScrollList.h"

#include <string>

class AgentType;
class AgentTypeRegistry;
class BuildItem;
class BuildItemList;
class Item;
class ItemList;
class ModelViewer;
class WeaponDef;
struct TextureRecord;

// The three kinds of list.
enum ItemListKind : int { ITEM_LIST_ITEMS = 0, ITEM_LIST_BUILDINGS = 1, ITEM_LIST_UNITS = 2 };

// One row: the definition's name (what the row shows) and the definition itself.
struct ItemListEntry : ScrollListEntry {
    int number = -1;
    const void* definition = nullptr;
};

// What a row of a definition shows and what buying it asks.
struct ShopOffer {
    std::string name;         // the definition's name
    std::string displayName;  // as the player reads it
    const char* tag = "";     // "[Weapon]", "[Building]", ...
    TextureRecord* icon = nullptr;
    std::string iconPath;
    int iconCell = -1;
    int price = 0;            // 0 once owned
    int requiredLevel = 0;
    int achievement = -1;     // the achievement an item needs, -1 none
    bool owned = false;
    bool available = true;    // a unit whose producing building the player lacks is not
    const char* description = nullptr;
};

// What a definition of that kind offers; false for a missing definition.
bool DescribeOffer(int kind, const void* definition, ShopOffer* out);
// Whether the current profile meets every condition to buy the offer: credits, level, not
// owned, the item's achievement, the unit's producing building.
bool CanBuyOffer(const ShopOffer& offer);

// "[Usable Item]", "[Blueprint]", "[Module]", "[Weapon]", else "[Unknown]".
const char* ItemTypeTag(const Item* item);
// A module's bonuses, one per line, each after the first on a new line indented by three blanks.
std::string FormatUpgradeAttributes(const Item* item);
// " <type> damage  <damage>   (<dps> dps)" of a weapon item, " x 2" for a dual weapon.
std::string FormatWeaponDamage(Item* item);
// The seconds between two shots of a weapon: its interval, and the time a shot lasts when it
// lasts at all (a beam's).
float WeaponCycle(const WeaponDef* weapon);
// A turret's damage per second: beams (laser, electric, machine gun, flame, acid) fire every
// 4 seconds in the shop's figures, everything else every 3.
float TurretDamagePerSecond(int weaponType, float damage);

class ItemScrollList : public ScrollList {
public:
    ItemScrollList();
    ~ItemScrollList() override;

    // Each fill drops the rows it had and lists every qualifying definition in catalogue order
    // at (x, y): items neither for the computer alone nor not for sale; buildings the player
    // may buy (a price, not the computer's); the player's units with a price. Unless owned
    // entries are shown, buildings and units already owned are left out.
    void FillItems(const ItemList* list, int atX, int atY);
    void FillBuildings(const BuildItemList* list, int atX, int atY);
    void FillUnits(const AgentTypeRegistry* registry, int atX, int atY);
    // Fills again with the same catalogue and place.
    void Refill();

    // The selected row's definition, by kind; null when the list is of another kind or has no
    // selection.
    const void* SelectedDefinition() const;
    Item* SelectedItem() const;
    BuildItem* SelectedBuilding() const;
    AgentType* SelectedUnit() const;

    int kind = ITEM_LIST_BUILDINGS;
    bool showPurchased = true;

    // The 3D preview of the building and unit panels, shared by every list; made on first use.
    static ModelViewer* sharedPreview;
    // Frees the shared preview (shutdown).
    static void ReleasePreview();

protected:
    void DrawRows() override;
    void DrawSelected() override;

private:
    // Drops the rows and makes room for count entries.
    void ResetEntries(int count);
    void Append(const char* name, const void* definition);
    void Place(int atX, int atY);
    // One row for each definition of a catalogue's list that qualifies, sized to fit them all.
    template <class Node, class Qualifies> void FillFrom(Node* head, Qualifies qualifies, int atX, int atY)
    {
        int count = 0;
        for (Node* node = head; node; node = node->next) count += qualifies(node->value) ? 1 : 0;
        ResetEntries(count);
        for (Node* node = head; node; node = node->next)
            if (qualifies(node->value)) Append(node->value->name, node->value);
        Place(atX, atY);
    }
    void DrawItemPanel(const Item* item, int textX, int textY, int panelX, int panelY);
    void DrawBuildingPanel(const BuildItem* building, int textX, int textY, int panelX, int panelY);
    void DrawUnitPanel(const AgentType* unit, int textX, int textY, int panelX, int panelY);
    // The entry's name in white and the level it asks for below it, green when the player has
    // it; answers the y of that second line.
    int DrawHeading(const std::string& name, int buyLevel, int textX, int textY);
    // "Description:" and the wrapped description from two lines below y, and the cost line.
    void DrawDescription(const char* description, int price, int y, int panelX, int panelY);
    void ShowPreview(void* entity, bool unit, int textX, int textY);

    ScrollListEntries* list_ = nullptr;
    const void* catalogue_ = nullptr;
};
