// The item catalogue and its script.
//
// A block keyword (UNIT, BUILDING, UPGRADE, WEAPON, ITEM) begins a definition; every other
// keyword changes the definition begun last and is passed over before the first one. Keywords
// compare without regard to case, except WEAPON and the flag words, which must be written
// exactly as they are.
#include "world/ItemCatalog.h"

#include "host/Log.h"
#include "host/System.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Scene.h"
#include "render/IndexedMesh.h"
#include "render/TextureManager.h"
#include "world/CatalogueScript.h"
#include "world/Item.h"
#include "world/WeaponDef.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <string>

namespace {

constexpr const char* UPGRADE_MODULE_MESH = "data/mesh/weapons/upgrade_module.txt";
constexpr const char* SCAV_MODULE_MESH = "data/mesh/weapons/scav_module.txt";
constexpr const char* UNKNOWN_ICON = "data/gui/Icons/unknown.dds";

struct NamedBit {
    const char* word;
    uint32_t bit;
};

const NamedBit ITEM_FLAGS[] = {
    {"ITEM_FLAG_AI_ONLY", ITEM_FLAG_AI_ONLY},           {"ITEM_FLAG_STACKABLE", ITEM_FLAG_STACKABLE},
    {"ITEM_FLAG_USED", ITEM_FLAG_USED},                 {"ITEM_FLAG_RANDOM", ITEM_FLAG_RANDOM},
    {"ITEM_FLAG_NOT_FOR_SALE", ITEM_FLAG_NOT_FOR_SALE}, {"ITEM_FLAG_GRID_BLOCKER", ITEM_FLAG_GRID_BLOCKER},
    {"ITEM_FLAG_ROCK", ITEM_FLAG_ROCK},
};

// The upgrades and the bonus each one fills (-1: the number is read and dropped).
struct Upgrade {
    const char* word;
    uint32_t bit;
    int bonus;
};
const Upgrade UPGRADES[] = {
    {"ITEM_UPGRADE_SPEED", ITEM_UPGRADE_SPEED, ITEM_BONUS_SPEED},
    {"ITEM_UPGRADE_HULL", ITEM_UPGRADE_HULL, ITEM_BONUS_HULL},
    {"ITEM_UPGRADE_HEALTH", ITEM_UPGRADE_HEALTH, ITEM_BONUS_HEALTH},
    {"ITEM_UPGRADE_RATE_OF_FIRE", ITEM_UPGRADE_RATE_OF_FIRE, ITEM_BONUS_RATE_OF_FIRE},
    {"ITEM_UPGRADE_LASER_DAMAGE", ITEM_UPGRADE_LASER_DAMAGE, ITEM_BONUS_DAMAGE},
    {"ITEM_UPGRADE_MISSILE_DAMAGE", ITEM_UPGRADE_MISSILE_DAMAGE, ITEM_BONUS_DAMAGE},
    {"ITEM_UPGRADE_MORTAR_DAMAGE", ITEM_UPGRADE_MORTAR_DAMAGE, ITEM_BONUS_DAMAGE},
    {"ITEM_UPGRADE_ELECTRIC_DAMAGE", ITEM_UPGRADE_ELECTRIC_DAMAGE, ITEM_BONUS_DAMAGE},
    {"ITEM_UPGRADE_MACHINEGUN_DAMAGE", ITEM_UPGRADE_MACHINEGUN_DAMAGE, ITEM_BONUS_DAMAGE},
    {"ITEM_UPGRADE_FLAME_DAMAGE", ITEM_UPGRADE_FLAME_DAMAGE, ITEM_BONUS_DAMAGE},
    {"ITEM_UPGRADE_SHIELDS", ITEM_UPGRADE_SHIELDS, ITEM_BONUS_SHIELDS},
    {"ITEM_UPGRADE_DOT_FIRE", ITEM_UPGRADE_DOT_FIRE, -1},
    {"ITEM_UPGRADE_DOT_ACID", ITEM_UPGRADE_DOT_ACID, -1},
    {"ITEM_UPGRADE_RADAR", ITEM_UPGRADE_RADAR, -1},
    {"ITEM_UPGRADE_HEALING", ITEM_UPGRADE_HEALING, -1},
};

const NamedBit SPECIALS[] = {
    {"ITEM_SPECIAL_SHIELD_DRAIN_1", ITEM_SPECIAL_SHIELD_DRAIN_1},
    {"ITEM_SPECIAL_SHIELD_DRAIN_2", ITEM_SPECIAL_SHIELD_DRAIN_2},
    {"ITEM_SPECIAL_SIPHON_DAMAGE_1", ITEM_SPECIAL_SIPHON_DAMAGE_1},
    {"ITEM_SPECIAL_SIPHON_DAMAGE_2", ITEM_SPECIAL_SIPHON_DAMAGE_2},
    {"ITEM_SPECIAL_FREEZE_1", ITEM_SPECIAL_FREEZE_1},
    {"ITEM_SPECIAL_FREEZE_2", ITEM_SPECIAL_FREEZE_2},
    {"ITEM_SPECIAL_CHANCE_TO_EVADE_1", ITEM_SPECIAL_CHANCE_TO_EVADE_1},
    {"ITEM_SPECIAL_CHANCE_TO_EVADE_2", ITEM_SPECIAL_CHANCE_TO_EVADE_2},
    {"ITEM_SPECIAL_REFLECT_DAMAGE_1", ITEM_SPECIAL_REFLECT_DAMAGE_1},
    {"ITEM_SPECIAL_REFLECT_DAMAGE_2", ITEM_SPECIAL_REFLECT_DAMAGE_2},
    {"ITEM_SPECIAL_RESIST_FIRE_1", ITEM_SPECIAL_RESIST_FIRE_1},
    {"ITEM_SPECIAL_RESIST_ACID_1", ITEM_SPECIAL_RESIST_ACID_1},
};

// The words of ItemAction, by action code (index 0 is no word).
const char* const ACTIONS[] = {"",         "giveItem",     "salvage",   "heal",     "recharge",   "giveore",
                               "givefuel", "givecredits",  "giveexperience", "cloak", "givedetector",
                               "givemine", "givefreeze",   "objective", "attack",   "mine",       "freeze",
                               "explode",  "journal",      "detector",  "enrichOre", "instantBuild"};

const NamedBit WEAPON_FLAGS[] = {
    {"homing", WEAPONFLAG_HOMING},           {"targetonly", WEAPONFLAG_TARGET_ONLY},
    {"dual_mirror", WEAPONFLAG_DUAL_MIRROR}, {"dual_cluster", WEAPONFLAG_DUAL_CLUSTER},
    {"tri_cluster", WEAPONFLAG_TRI_CLUSTER},
};

struct ItemReader {
    CatalogueScript& script;
    ItemList& list;
    Item* item = nullptr;

    // The item's icon picture by its path.
    void LoadIcon()
    {
        if (Textures) item->iconTexture = Textures->GetTexture(item->iconPath);
    }
    void SetMesh(const char* path)
    {
        script.CopyField("mesh", item->meshPath, sizeof item->meshPath, path);
        FixPath(item->meshPath);
        IndexedMesh* mesh = LoadLibraryMesh(item->meshPath, true);
        item->mesh = mesh;
        item->meshStates[0] = mesh;
        item->meshCount = mesh ? 1 : 0;
    }
    // The weapon of the item, made when it has none yet.
    WeaponDef* EnsureWeapon()
    {
        if (!item->weapon) {
            item->weapon = new (std::nothrow) WeaponDef();
            if (item->weapon) item->weapon->owner = item;
        }
        return item->weapon;
    }
};

// ---- Block keywords

void Begin(ItemReader& r, int kind)
{
    int line = r.script.Line();
    std::string name = r.script.Word();
    r.item = nullptr;
    if (r.list.items.count >= MAX_ITEM_DEFINITIONS) {
        r.script.Warn("more than %d items (line %d): '%s' is left out", MAX_ITEM_DEFINITIONS, line, name.c_str());
        return;
    }
    Item* item = new (std::nothrow) Item();
    if (!item) return;
    r.script.CopyField("name", item->name, sizeof item->name, name.c_str());
    item->kind = kind;
    if (Textures) item->iconTexture = Textures->GetTexture(UNKNOWN_ICON);
    r.list.items.PushBack(item);
    r.item = item;
}

void ReadUnit(ItemReader& r)
{
    Begin(r, ITEM_KIND_UNIT);
}

void ReadBuilding(ItemReader& r)
{
    Begin(r, ITEM_KIND_BUILDING);
}

void ReadUpgrade(ItemReader& r)
{
    Begin(r, ITEM_KIND_UPGRADE);
    if (r.item) r.SetMesh(strstr(r.item->name, "scav_") ? SCAV_MODULE_MESH : UPGRADE_MODULE_MESH);
}

void ReadWeapon(ItemReader& r)
{
    Begin(r, ITEM_KIND_WEAPON);
    std::string mesh = r.script.Word();
    if (!r.item) return;
    r.SetMesh(mesh.c_str());
    r.EnsureWeapon();
}

void ReadItem(ItemReader& r)
{
    Begin(r, ITEM_KIND_ACTION);
    std::string mesh = r.script.Word();
    if (r.item) r.SetMesh(mesh.c_str());
}

// ---- Attributes (the reader passes them over while there is no item)

void ReadIcon(ItemReader& r)
{
    std::string file = "data/gui/icons/" + r.script.Word();
    r.script.CopyField("ICON", r.item->iconPath, sizeof r.item->iconPath, file.c_str());
    r.LoadIcon();
}

void ReadIconSheet(ItemReader& r)
{
    std::string file = "data/gui/" + r.script.Word();
    r.item->iconCell = r.script.IconCell("ICONSHEET");
    r.script.CopyField("ICONSHEET", r.item->iconPath, sizeof r.item->iconPath, file.c_str());
    r.LoadIcon();
}

void ReadAnimation(ItemReader& r, int kind)
{
    std::string file = r.script.Word();
    AddMeshAnimation(r.item->mesh, file.c_str(), kind, 1, true);
}

void ReadAnimIdle(ItemReader& r)
{
    ReadAnimation(r, ANIM_IDLE);
}

void ReadAnimUse(ItemReader& r)
{
    ReadAnimation(r, ANIM_USE);
    r.item->kind = ITEM_KIND_ACTION;
}

void ReadLongDescription(ItemReader& r)
{
    r.item->longDescription = DescriptionText(r.script.Word().c_str());
}

void ReadShortDescription(ItemReader& r)
{
    r.item->shortDescription = DescriptionText(r.script.Word().c_str());
}

void ReadBuyCost(ItemReader& r)
{
    r.script.Int("BUYCOST", &r.item->price);
}

void ReadBuyRequires(ItemReader& r)
{
    r.script.CopyField("BUYREQUIRES", r.item->buyRequirement, sizeof r.item->buyRequirement, r.script.Word().c_str());
}

void ReadBuyLevel(ItemReader& r)
{
    r.script.Int("BUYLEVEL", &r.item->buyLevel);
}

void ReadAchievement(ItemReader& r)
{
    r.script.Int("ACHIEVEMENT", &r.item->achievement);
}

void ReadBuildEnergy(ItemReader& r)
{
    r.script.Int("BUILDENERGY", &r.item->buildEnergy);
}

void ReadBuildRequires(ItemReader& r)
{
    r.script.CopyField("BUILDREQUIRES", r.item->buildRequirement, sizeof r.item->buildRequirement,
                       r.script.Word().c_str());
}

void ReadRarity(ItemReader& r)
{
    r.script.Float("RARITY", &r.item->rarity);
}

void ReadWeaponData(ItemReader& r)
{
    std::string name = r.script.Word();
    std::string letter = r.script.Word();
    WeaponDef* weapon = r.EnsureWeapon();
    WeaponDef ignored;
    if (!weapon) weapon = &ignored;
    r.script.CopyField("WEAPONDATA", weapon->name, sizeof weapon->name, name.c_str());
    weapon->type = WeaponTypeFromLetter(letter.empty() ? 0 : letter[0]);
    float* values[] = {&weapon->damage, &weapon->range, &weapon->interval, &weapon->shotTime};
    for (float* value : values)
        if (!r.script.Float("WEAPONDATA", value)) break;
    // The rate every screen shows counts the interval and the time before the next shot can
    // start: a beam's shot time, nothing for a projectile. (Left at the record's default of
    // 4 s, it rated a laser firing ten hits a second's worth at two and a half.)
    weapon->windUp = weapon->shotTime;
}

void ReadWeaponColour(ItemReader& r)
{
    uint32_t colour = r.script.Colour("WEAPONCOLOR");
    if (r.item->weapon) r.item->weapon->colour = colour;
}

void ReadWeaponSound(ItemReader& r)
{
    std::string sound = r.script.Word();
    if (r.item->weapon) r.script.CopyField("WEAPONSOUND", r.item->weapon->soundName, sizeof r.item->weapon->soundName, sound.c_str());
}

void ReadWeaponFlag(ItemReader& r)
{
    std::string word = r.script.Word();
    if (!r.item->weapon) return;
    for (const NamedBit& flag : WEAPON_FLAGS)
        if (StrICmp(word.c_str(), flag.word) == 0) r.item->weapon->flags |= flag.bit;
}

void ReadShootOffset(ItemReader& r)
{
    float offset[3] = {0.0f, 0.0f, 0.0f};
    if (r.item->weapon) {
        offset[0] = r.item->weapon->shootOffset.x;
        offset[1] = r.item->weapon->shootOffset.y;
        offset[2] = r.item->weapon->shootOffset.z;
    }
    r.script.Floats("SHOOTOFFSET", offset, 3);
    if (r.item->weapon) r.item->weapon->shootOffset = Vec3(offset[0], offset[1], offset[2]);
}

void ReadSetHealth(ItemReader& r)
{
    int health = 100;
    r.script.Int("SetHealth", &health);
    r.item->SetHealth((float)health);
}

void ReadItemAction(ItemReader& r)
{
    std::string word = r.script.Word();
    int value = 0;
    r.script.Int("ItemAction", &value);
    r.item->kind = ITEM_KIND_ACTION;
    for (int code = 1; code < (int)(sizeof ACTIONS / sizeof ACTIONS[0]); ++code)
        if (StrICmp(word.c_str(), ACTIONS[code]) == 0) r.item->action = code;
    r.item->actionValue = value;
    if (r.item->action == ITEM_ACTION_OBJECTIVE && value == 3) r.item->flags |= ENTITY_STAYS_DEAD;
}

void ReadSetScale(ItemReader& r)
{
    float s = 1.0f;
    if (!r.script.Float("SetScale", &s)) return;
    ScaleEntity(r.item, s);
}

void ReadItemType(ItemReader& r)
{
    std::string word = r.script.Word();
    if (StrICmp(word.c_str(), "UnitPattern") == 0) r.item->kind = ITEM_KIND_UNIT;
    if (StrICmp(word.c_str(), "BuildingPattern") == 0) r.item->kind = ITEM_KIND_BUILDING;
}

void ReadCollisionMesh(ItemReader& r)
{
    std::string file = r.script.Word();
    if (IndexedMesh* mesh = LoadLibraryMesh(file.c_str(), true)) r.item->collisionMesh = mesh;
}

struct Keyword {
    const char* word;
    bool exact;
    void (*read)(ItemReader& r);
};

const Keyword BLOCKS[] = {
    {"UNIT", false, ReadUnit},       {"BUILDING", false, ReadBuilding}, {"UPGRADE", false, ReadUpgrade},
    {"WEAPON", true, ReadWeapon},    {"ITEM", false, ReadItem},
};

const Keyword ATTRIBUTES[] = {
    {"ICON", false, ReadIcon},
    {"ICONSHEET", false, ReadIconSheet},
    {"ANIM_IDLE", false, ReadAnimIdle},
    {"ANIM_USE", false, ReadAnimUse},
    {"LONGDESC", false, ReadLongDescription},
    {"SHORTDESC", false, ReadShortDescription},
    {"BUYCOST", false, ReadBuyCost},
    {"BUYREQUIRES", false, ReadBuyRequires},
    {"BUYLEVEL", false, ReadBuyLevel},
    {"ACHIEVEMENT", false, ReadAchievement},
    {"BUILDENERGY", false, ReadBuildEnergy},
    {"BUILDREQUIRES", false, ReadBuildRequires},
    {"RARITY", false, ReadRarity},
    {"WEAPONDATA", false, ReadWeaponData},
    {"WEAPONCOLOR", false, ReadWeaponColour},
    {"WEAPONSOUND", false, ReadWeaponSound},
    {"WEAPONFLAG", false, ReadWeaponFlag},
    {"SHOOTOFFSET", false, ReadShootOffset},
    {"SetHealth", false, ReadSetHealth},
    {"ItemAction", false, ReadItemAction},
    {"SetScale", false, ReadSetScale},
    {"ItemType", false, ReadItemType},
    {"CollisionMesh", false, ReadCollisionMesh},
};

bool Matches(const Keyword& keyword, const char* token)
{
    return keyword.exact ? strcmp(token, keyword.word) == 0 : StrICmp(token, keyword.word) == 0;
}

// The flag words of the current item; false when the token is none of them.
bool ReadFlagWord(ItemReader& r, const char* token)
{
    for (const NamedBit& flag : ITEM_FLAGS)
        if (strcmp(token, flag.word) == 0) {
            r.item->itemFlags |= flag.bit;
            return true;
        }
    for (const NamedBit& special : SPECIALS)
        if (strcmp(token, special.word) == 0) {
            r.item->specialFlags |= special.bit;
            return true;
        }
    for (const Upgrade& upgrade : UPGRADES)
        if (strcmp(token, upgrade.word) == 0) {
            float value = 0.0f;
            r.script.Float(upgrade.word, &value);
            r.item->upgradeFlags |= upgrade.bit;
            if (upgrade.bonus >= 0) r.item->bonus[upgrade.bonus] = value;
            return true;
        }
    return false;
}

}  // namespace

ItemList::ItemList()
{
    items.Init(MAX_ITEM_DEFINITIONS);
}

ItemList::~ItemList()
{
    for (PooledList<Item*>::Node* node = items.head; node; node = node->next) delete node->value;
}

bool ItemList::ReadItemsScript(const char* path)
{
    CatalogueScript script;
    if (!script.Open(path ? path : ITEMS_SCRIPT)) return false;
    ItemReader reader{script, *this};
    while (const char* token = script.Next()) {
        bool known = false;
        for (const Keyword& block : BLOCKS)
            if (Matches(block, token)) {
                block.read(reader);
                known = true;
                break;
            }
        if (known || !reader.item) continue;
        for (const Keyword& attribute : ATTRIBUTES)
            if (Matches(attribute, token)) {
                attribute.read(reader);
                known = true;
                break;
            }
        if (!known) ReadFlagWord(reader, token);
    }
    return true;
}

Item* ItemList::FindByName(const char* name) const
{
    if (!name || !name[0]) return nullptr;
    for (PooledList<Item*>::Node* node = items.head; node; node = node->next)
        if (StrICmp(node->value->name, name) == 0) return node->value;
    return nullptr;
}

Item* CreateItemByName(const char* name, const Item* definition)
{
    if (!definition) {
        const ItemList* catalogue = TheGame ? TheGame->items : nullptr;
        definition = catalogue ? catalogue->FindByName(name) : nullptr;
    }
    if (!definition) return nullptr;
    Item* item = new (std::nothrow) Item();
    if (!item) return nullptr;
    CopyText(item->name, sizeof item->name, definition->name);
    CopyText(item->typeName, sizeof item->typeName, definition->name);
    item->longDescription = definition->longDescription;
    item->shortDescription = definition->shortDescription;
    item->itemFlags = definition->itemFlags;
    item->upgradeFlags = definition->upgradeFlags;
    item->specialFlags = definition->specialFlags;
    item->kind = definition->kind;
    item->action = definition->action;
    item->actionValue = definition->actionValue;
    CopyText(item->patternName, sizeof item->patternName, definition->patternName);
    CopyText(item->iconPath, sizeof item->iconPath, definition->iconPath);
    item->iconTexture = definition->iconTexture;
    item->iconCell = definition->iconCell;
    item->price = definition->price;
    item->buyLevel = definition->buyLevel;
    item->achievement = definition->achievement;
    item->stackCount = definition->stackCount;
    for (int i = 0; i < ITEM_BONUS_COUNT; ++i) item->bonus[i] = definition->bonus[i];
    CopyText(item->meshPath, sizeof item->meshPath, definition->meshPath);
    item->collisionMesh = definition->collisionMesh;
    item->scale = definition->scale;
    item->world = definition->world;
    item->flags = definition->flags | ENTITY_ITEM | ENTITY_PLACED;
    if (definition->weapon) {
        item->weapon = new (std::nothrow) WeaponDef();
        if (item->weapon) {
            item->weapon->CopyFrom(*definition->weapon);
            item->weapon->owner = item;
        }
    }
    if (definition->mesh && definition->mesh->IsSkinned()) {
        // A skinned item (a crate that opens) poses its mesh itself.
        IndexedMesh* own = new (std::nothrow) IndexedMesh();
        if (own) own->Clone(*definition->mesh);
        item->AdoptMesh(own);
        item->meshStates[0] = own;
    } else {
        item->mesh = definition->mesh;
        item->meshStates[0] = definition->mesh;
    }
    item->meshCount = item->mesh ? 1 : 0;
    item->SetHealth(definition->health);
    item->SetMaxHealth(definition->maxHealth);
    return item;
}

Item* SpawnItemAt(const char* name, const Vec3& position)
{
    Item* item = CreateItemByName(name);
    if (!item) return nullptr;
    item->SetPosition(position);
    if (!TheScene.AddEntity(item)) {
        delete item;
        return nullptr;
    }
    return item;
}
