// The item catalogue as its users meet it: every keyword of items.cgs lands where it should,
// flag words keep their case while keywords do not, broken and cut-off scripts load what they
// can without touching the wrong item, a full catalogue refuses more with a warning, and a
// copy carries everything of its definition with a weapon of its own.
#include "world/ItemCatalog.h"

#include "host/Log.h"
#include "platform/StringTable.h"
#include "tests/mechanics/SceneTestSupport.h"
#include "tests/support/TestSupport.h"
#include "world/Item.h"
#include "world/WeaponDef.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

// A catalogue read from the given script text; the log of the reading goes to log.
std::unique_ptr<ItemList> ReadItems(const std::string& text, std::string* log = nullptr)
{
    std::string path = MakeTempFolder("items") + "/items.cgs";
    EXPECT_TRUE(WriteTextFile(path, text));
    auto list = std::make_unique<ItemList>();
    LogCaptureBegin();
    EXPECT_TRUE(list->ReadItemsScript(path.c_str()));
    std::string captured = LogCaptureEnd();
    if (log) *log = captured;
    return list;
}

}  // namespace

TEST(WeaponDef, DefaultsTypesAndDamage)
{
    WeaponDef weapon;
    EXPECT_FALSE(weapon.IsReady(3.99f));
    EXPECT_TRUE(weapon.IsReady(4.0f)) << "reaching the interval exactly counts";
    EXPECT_FLOAT_EQ(weapon.GetDamage(), 10.0f);
    EXPECT_STREQ(weapon.GetTypeName(), "Missile");
    EXPECT_EQ(weapon.colour, 0xFF1AFF1Au);
    EXPECT_STREQ(WeaponTypeName(9), "None");
    EXPECT_STREQ(WeaponTypeName(4), "Ballistic");
    EXPECT_EQ(WeaponTypeName(10), nullptr);

    // The item carrying the weapon adds its bonus only for the weapon type it upgrades.
    Item carrier;
    carrier.upgradeFlags = ITEM_UPGRADE_LASER_DAMAGE;
    carrier.bonus[ITEM_BONUS_DAMAGE] = 4.0f;
    weapon.owner = &carrier;
    weapon.type = WEAPON_MISSILE;
    EXPECT_FLOAT_EQ(weapon.GetDamage(), 10.0f);
    weapon.type = WEAPON_LASER;
    EXPECT_FLOAT_EQ(weapon.GetDamage(), 14.0f);
    EXPECT_FLOAT_EQ(weapon.GetBaseDamage(), 10.0f);
    carrier.upgradeFlags = ITEM_UPGRADE_MORTAR_DAMAGE;
    weapon.type = WEAPON_MORTAR;
    EXPECT_FLOAT_EQ(weapon.GetDamage(), 14.0f);
    weapon.type = WEAPON_PLASMA;
    EXPECT_FLOAT_EQ(weapon.GetDamage(), 10.0f) << "plasma has no upgrade";

    WeaponDef copy;
    copy.CopyFrom(weapon);
    EXPECT_EQ(copy.owner, &carrier);
    EXPECT_EQ(copy.type, WEAPON_PLASMA);

    struct Word {
        const char* word;
        int type;
    };
    for (const Word& w : {Word{"laser", 0}, Word{"MachineGun", 4}, Word{"pulse", 8}, Word{"ballistic", -1}, Word{"", -1}})
        EXPECT_EQ(WeaponTypeFromWord(w.word), w.type) << w.word;
    EXPECT_EQ(PackScriptColour(2.0f, 0.5f, 0.0f, 1.0f), 0xFFFF8000u);
}

TEST(ItemCatalog, EveryKeywordLandsOnTheItemItNames)
{
    std::string log;
    auto list = ReadItems(R"(
// A comment; /* and a block comment */ with words in it
/* ITEM hidden none.txt */
WEAPON laser_gun data/mesh/weapons/laser.txt
    WEAPONDATA beam G 20 25 1.5 0.5
    WEAPONCOLOR 2 0.5 0 1
    WEAPONSOUND zap
    WEAPONFLAG Homing
    WEAPONFLAG dual_cluster
    WEAPONFLAG sideways
    SHOOTOFFSET 0.1 0.2 0.3
    ICONSHEET icons/items.dds 8 4 3 2
    BUYCOST 300
    BUYLEVEL 3
    BUYREQUIRES research
    ACHIEVEMENT 7
    BUILDENERGY 50
    BUILDREQUIRES lab
    RARITY 0.25
    LONGDESC <none>
    SHORTDESC <no_such_tag>
    ITEM_UPGRADE_MACHINEGUN_DAMAGE 4.5
    ITEM_UPGRADE_RADAR 5
    ITEM_SPECIAL_FREEZE_2
    ITEM_FLAG_STACKABLE
    item_flag_rock
ITEM repair_kit data/mesh/items/cannister.txt
    icon kit.dds
    ItemAction heal 50
    SetHealth 30
    SetScale 2
UPGRADE scav_plating
UPGRADE hull_plating
    ITEM_UPGRADE_HULL 20
    ITEM_UPGRADE_SPEED 10
    ITEM_UPGRADE_SHIELDS 15
UNIT unitpattern
BUILDING buildingpattern
ITEM blueprint data/mesh/items/datapad.txt
    ItemType BuildingPattern
    ItemAction objective 3
ITEM crate data/mesh/items/crate.txt
    ItemAction nosuchaction 4
END_OF_FILE
ITEM after_the_end none.txt
)",
                          &log);
    ASSERT_EQ(list->items.count, 8);
    EXPECT_EQ(list->FindByName("hidden"), nullptr);
    EXPECT_EQ(list->FindByName("after_the_end"), nullptr);

    Item* gun = list->FindByName("LASER_GUN");
    ASSERT_NE(gun, nullptr) << "names are found without regard to case";
    EXPECT_EQ(gun->kind, ITEM_KIND_WEAPON);
    EXPECT_STREQ(gun->GetActionName(), "Weapon");
    EXPECT_STREQ(gun->meshPath, "data/mesh/weapons/laser.txt");
    ASSERT_NE(gun->weapon, nullptr);
    EXPECT_EQ(gun->weapon->owner, gun);
    EXPECT_STREQ(gun->weapon->name, "beam");
    EXPECT_EQ(gun->weapon->type, WEAPON_BALLISTIC);
    EXPECT_FLOAT_EQ(gun->weapon->damage, 20.0f);
    EXPECT_FLOAT_EQ(gun->weapon->range, 25.0f);
    EXPECT_FLOAT_EQ(gun->weapon->interval, 1.5f);
    EXPECT_FLOAT_EQ(gun->weapon->shotTime, 0.5f);
    // Rated by its cycle of interval and shot time: a hit every 2 s.
    EXPECT_FLOAT_EQ(gun->GetDamagePerSecond(gun->weapon), gun->GetDamage(gun->weapon) / 2.0f);
    EXPECT_EQ(gun->weapon->colour, 0xFFFF8000u);
    EXPECT_STREQ(gun->weapon->soundName, "zap");
    EXPECT_EQ(gun->weapon->flags, WEAPONFLAG_HOMING | WEAPONFLAG_DUAL_CLUSTER);
    EXPECT_EQ(gun->weapon->shootOffset, Vec3(0.1f, 0.2f, 0.3f));
    EXPECT_STREQ(gun->iconPath, "data/gui/icons/items.dds");
    EXPECT_EQ(gun->iconCell, 0x08040302);
    EXPECT_EQ(gun->price, 300);
    EXPECT_EQ(gun->buyLevel, 3);
    EXPECT_STREQ(gun->buyRequirement, "research");
    EXPECT_EQ(gun->achievement, 7);
    EXPECT_EQ(gun->buildEnergy, 50);
    EXPECT_STREQ(gun->buildRequirement, "lab");
    EXPECT_FLOAT_EQ(gun->rarity, 0.25f);
    EXPECT_STREQ(gun->shortDescription, GameText("<unknown>"));
    EXPECT_EQ(gun->upgradeFlags, ITEM_UPGRADE_MACHINEGUN_DAMAGE | ITEM_UPGRADE_RADAR);
    EXPECT_FLOAT_EQ(gun->bonus[ITEM_BONUS_DAMAGE], 4.5f) << "the radar's number changes no bonus";
    EXPECT_EQ(gun->specialFlags, ITEM_SPECIAL_FREEZE_2);
    EXPECT_EQ(gun->itemFlags, ITEM_FLAG_STACKABLE) << "flag words keep their case";
    EXPECT_FLOAT_EQ(gun->weapon->GetDamage(), 24.5f);

    Item* kit = list->FindByName("repair_kit");
    ASSERT_NE(kit, nullptr);
    EXPECT_EQ(kit->kind, ITEM_KIND_ACTION);
    EXPECT_STREQ(kit->iconPath, "data/gui/icons/kit.dds") << "keywords in any case";
    EXPECT_EQ(kit->action, ITEM_ACTION_HEAL);
    EXPECT_EQ(kit->actionValue, 50);
    EXPECT_FLOAT_EQ(kit->health, 30.0f);
    EXPECT_FLOAT_EQ(kit->scale, 2.0f);
    EXPECT_FLOAT_EQ(kit->world._11, 2.0f);
    EXPECT_EQ(kit->weapon, nullptr);

    Item* scav = list->FindByName("scav_plating");
    ASSERT_NE(scav, nullptr);
    EXPECT_EQ(scav->kind, ITEM_KIND_UPGRADE);
    EXPECT_STREQ(scav->meshPath, "data/mesh/weapons/scav_module.txt");
    Item* plating = list->FindByName("hull_plating");
    EXPECT_STREQ(plating->meshPath, "data/mesh/weapons/upgrade_module.txt");
    EXPECT_EQ(plating->upgradeFlags, ITEM_UPGRADE_HULL | ITEM_UPGRADE_SPEED | ITEM_UPGRADE_SHIELDS);
    EXPECT_FLOAT_EQ(plating->bonus[ITEM_BONUS_HULL], 20.0f);
    EXPECT_FLOAT_EQ(plating->bonus[ITEM_BONUS_SPEED], 10.0f);
    EXPECT_FLOAT_EQ(plating->bonus[ITEM_BONUS_SHIELDS], 15.0f);

    EXPECT_EQ(list->FindByName("unitpattern")->kind, ITEM_KIND_UNIT);
    EXPECT_EQ(list->FindByName("buildingpattern")->kind, ITEM_KIND_BUILDING);
    Item* blueprint = list->FindByName("blueprint");
    EXPECT_EQ(blueprint->kind, ITEM_KIND_ACTION) << "ItemAction comes after ItemType and makes it usable";
    EXPECT_NE(blueprint->flags & ENTITY_STAYS_DEAD, 0u) << "an objective that stays after it is reached";
    Item* crate = list->FindByName("crate");
    EXPECT_EQ(crate->action, ITEM_ACTION_NONE);
    EXPECT_EQ(crate->actionValue, 4);
    EXPECT_EQ(log.find("WARNING"), std::string::npos) << log;
}

TEST(ItemCatalog, KeywordCaseRulesAndOrphanKeywords)
{
    auto list = ReadItems(R"(
BUYCOST 5 ITEM_FLAG_STACKABLE
weapon not_a_block none.txt
ITEM first a.txt
    WEAPONCOLOR 1 0 0 1
    WEAPONSOUND ignored
    WEAPONDATA zap g 7 8 9 1
    WEAPONDATA zap P 7
Weapon second b.txt
)");
    // Before the first block nothing is changed, and "weapon" in the wrong case is no block.
    ASSERT_EQ(list->items.count, 1);
    Item* first = list->items.head->value;
    EXPECT_STREQ(first->name, "first");
    EXPECT_EQ(first->price, 100);
    ASSERT_NE(first->weapon, nullptr) << "WEAPONDATA gives an item a weapon";
    EXPECT_EQ(first->weapon->colour, DEFAULT_WEAPON_COLOUR) << "colour and sound wait for a weapon";
    EXPECT_STREQ(first->weapon->soundName, "attack");
    EXPECT_EQ(first->weapon->type, WEAPON_MISSILE) << "the second line's type letter";
    EXPECT_FLOAT_EQ(first->weapon->damage, 7.0f);
    EXPECT_FLOAT_EQ(first->weapon->range, 8.0f) << "a line cut short keeps what it did not reach";
    EXPECT_EQ(list->FindByName(""), nullptr);

    auto lower = ReadItems("ITEM a none.txt WEAPONDATA zap g 1 2 3 4");
    EXPECT_EQ(lower->items.head->value->weapon->type, WEAPON_LASER) << "type letters are upper case";
}

TEST(ItemCatalog, BrokenAndCutOffScriptsLoadWhatTheyCan)
{
    struct Case {
        const char* what;
        const char* text;
        int items;
    };
    const Case table[] = {
        {"empty", "", 0},
        {"a block keyword at the very end", "ITEM", 1},
        {"a weapon without its mesh", "WEAPON gun", 1},
        {"numbers cut off", "ITEM kit none.txt ICONSHEET sheet.dds 8 4", 1},
        {"a comment never closed", "ITEM a none.txt /* ITEM b none.txt", 1},
        {"a stray comment end", "*/ ITEM a none.txt */ BUYCOST 9", 1},
        {"binary noise", "ITEM a none.txt \x01\xff\x7f BUYCOST \x80 7", 1},
    };
    for (const Case& c : table) {
        SCOPED_TRACE(c.what);
        auto list = ReadItems(c.text);
        EXPECT_EQ(list->items.count, c.items);
    }
    auto missing = std::make_unique<ItemList>();
    EXPECT_FALSE(missing->ReadItemsScript("data/scripts/no_such_items.cgs"));
    EXPECT_EQ(missing->items.count, 0);

    // A value that is no number is logged and read as the next keyword.
    std::string log;
    auto bad = ReadItems("ITEM a none.txt BUYCOST lots BUYLEVEL 4", &log);
    EXPECT_EQ(bad->items.head->value->price, 100);
    EXPECT_EQ(bad->items.head->value->buyLevel, 4);
    EXPECT_NE(log.find("WARNING: items.cgs line 1: BUYCOST"), std::string::npos) << log;
}

TEST(ItemCatalog, AFullCatalogueRefusesMoreAndLongTextsAreCut)
{
    std::string text;
    for (int i = 0; i < MAX_ITEM_DEFINITIONS + 2; ++i) text += "ITEM item" + std::to_string(i) + " none.txt BUYCOST " + std::to_string(i) + "\n";
    text += "BUYREQUIRES " + std::string(300, 'x') + "\n";
    std::string log;
    auto list = ReadItems(text, &log);
    EXPECT_EQ(list->items.count, MAX_ITEM_DEFINITIONS);
    EXPECT_EQ(list->items.tail->value->price, MAX_ITEM_DEFINITIONS - 1) << "the last one taken keeps its own values";
    EXPECT_STREQ(list->items.tail->value->buyRequirement, "none");
    EXPECT_NE(log.find("more than 128 items"), std::string::npos) << log;

    auto cut = ReadItems("ITEM " + std::string(200, 'n') + " none.txt ICON " + std::string(200, 'i'), &log);
    Item* item = cut->items.head->value;
    EXPECT_EQ(std::string(item->name), std::string(127, 'n'));
    EXPECT_EQ(strlen(item->iconPath), 127u);
    EXPECT_NE(log.find("is cut"), std::string::npos) << log;
}

TEST_F(SceneTest, ACopyCarriesItsDefinitionAndAWeaponOfItsOwn)
{
    std::string path = MakeTempFolder("copies") + "/items.cgs";
    ASSERT_TRUE(WriteTextFile(path, R"(
WEAPON rifle none.txt
    WEAPONDATA rifle G 6 16 0.25 0.2
    ITEM_UPGRADE_MACHINEGUN_DAMAGE 2
    ITEM_SPECIAL_SIPHON_DAMAGE_1
    ICONSHEET icons/items.dds 8 8 1 0
    BUYCOST 120
    SetScale 1.5
ITEM medkit none.txt
    ItemAction heal 40
    ITEM_FLAG_STACKABLE
    SetHealth 60
)"));
    game.items->ReadItemsScript(path.c_str());

    Item* rifle = CreateItemByName("RIFLE");
    ASSERT_NE(rifle, nullptr);
    const Item* definition = game.items->FindByName("rifle");
    EXPECT_STREQ(rifle->name, "rifle");
    EXPECT_EQ(rifle->kind, ITEM_KIND_WEAPON);
    EXPECT_EQ(rifle->upgradeFlags, definition->upgradeFlags);
    EXPECT_EQ(rifle->specialFlags, ITEM_SPECIAL_SIPHON_DAMAGE_1);
    EXPECT_EQ(rifle->iconCell, definition->iconCell);
    EXPECT_EQ(rifle->price, 120);
    EXPECT_FLOAT_EQ(rifle->scale, 1.5f);
    EXPECT_NE(rifle->flags & ENTITY_PLACED, 0u) << "a copy is placed by its first update";
    ASSERT_NE(rifle->weapon, nullptr);
    EXPECT_NE(rifle->weapon, definition->weapon);
    EXPECT_EQ(rifle->weapon->owner, rifle);
    EXPECT_FLOAT_EQ(rifle->weapon->GetDamage(), 8.0f);
    delete rifle;
    EXPECT_EQ(definition->weapon->owner, definition) << "the definition keeps its own";

    Item* kit = SpawnItemAt("medkit", Vec3(5.0f, 0.0f, 7.5f));
    ASSERT_NE(kit, nullptr);
    EXPECT_EQ(TheScene.GetListIndex(kit), SEGMENT_ITEM);
    EXPECT_EQ(TheScene.FirstEntity(SEGMENTS_ITEMS), kit);
    TheScene.EndIteration();
    EXPECT_EQ(kit->GetPosition(), Vec3(5.0f, 0.0f, 7.5f));
    EXPECT_FLOAT_EQ(kit->health, 60.0f);
    EXPECT_EQ(kit->itemFlags, ITEM_FLAG_STACKABLE);
    EXPECT_EQ(kit->action, ITEM_ACTION_HEAL);

    EXPECT_EQ(CreateItemByName("nothing"), nullptr);
    EXPECT_EQ(SpawnItemAt("nothing", Vec3()), nullptr);
}
