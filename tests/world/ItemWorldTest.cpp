// Items in the world and their worth: loot rolls by level with fixed seeds, grades and money
// values, what the player's touch does (ore, objectives, traps given, pickups), traps that
// spring, items used from the inventory, and the lines an item writes into a scene.
#include "platform/Timer.h"
#include "world/Item.h"

#include "campaign/PlayerProfile.h"
#include "gui/Window.h"
#include "gui/WindowManager.h"
#include "host/Random.h"
#include "host/System.h"
#include "interface/MessageLists.h"
#include "tests/support/Scoped.h"
#include "tests/world/AgentTestSupport.h"
#include "world/AgentCombat.h"
#include "world/ItemCatalog.h"
#include "world/MissionHooks.h"
#include "world/WeaponDef.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

class Listener : public CombatHooks, public MissionHooks, public ItemHooks {
public:
    int PlayerLevel() override { return level; }
    int PlayerSkill(int index) override { return index == PLAYER_SKILL_SALVAGE ? salvage : 0; }
    void CountStatistic(const char* name) override { ++statistics[name]; }
    void FloatText(const char* text, const Vec3&) override { texts.push_back(text); }
    // Lines for the player reach the message bar, as the game's answer sends them.
    void TellPlayer(const char* text, float seconds) override
    {
        if (TheGame && TheGame->messageBar) TheGame->messageBar->AddMessage(text, seconds, 0);
    }
    void OnObjectReached(Entity*) override { ++reached; }
    bool IsInventoryFull() override { return (int)inventory.size() >= room; }
    bool AddToInventory(Item* item, bool) override
    {
        if ((int)inventory.size() >= room) return false;
        inventory.emplace_back(item);
        return true;
    }

    int level = 1;
    int salvage = 0;
    int reached = 0;
    int room = 10;
    std::map<std::string, int> statistics;
    std::vector<std::string> texts;
    std::vector<std::unique_ptr<Item>> inventory;
};

class ItemWorld : public AgentWorld {
protected:
    void SetUp() override
    {
        AgentWorld::SetUp();
        ownItems = game.items;
        game.items = &catalogue;
        game.messageBar->Clear();
    }
    void TearDown() override
    {
        AgentWorld::TearDown();
        game.items = ownItems;
    }

    Item* Define(const char* name, int kind, float rarity = 1.0f, int buyLevel = 1)
    {
        Item* item = new Item();
        CopyText(item->name, sizeof item->name, name);
        item->kind = kind;
        item->rarity = rarity;
        item->buyLevel = buyLevel;
        catalogue.items.PushBack(item);
        return item;
    }
    Item* Weapon(const char* name, int type, float damage)
    {
        Item* item = Define(name, ITEM_KIND_WEAPON);
        item->weapon = new WeaponDef();
        item->weapon->owner = item;
        item->weapon->type = type;
        item->weapon->damage = damage;
        return item;
    }
    // A copy of a definition lying on the ground at cell (column, row).
    Item* Lying(Item* definition, int column, int row)
    {
        Item* item = CreateItemByName(nullptr, definition);
        item->SetPosition(Corner(column, row));
        item->flags &= ~ENTITY_PLACED;
        EXPECT_NE(TheScene.AddEntity(item), nullptr);
        return item;
    }
    // A mine lying at (40, 40) beside an enemy of 50 hull, five ticks of the world stepped.
    Item* MineSteppedBeside(Agent** victim, float mineHealth = 0.0f)
    {
        Item* definition = Define("mine", ITEM_KIND_ACTION);
        definition->action = ITEM_ACTION_MINE;
        Item* mine = Lying(definition, 40, 40);
        if (mineHealth > 0.0f) mine->health = mine->maxHealth = mineHealth;
        *victim = Unit(41, 40, ALIGN_ENEMY);
        (*victim)->health = (*victim)->maxHealth = 50.0f;
        for (int frame = 0; frame < 5; ++frame) {
            const WorldTickScope tick(0.05f);
            Frame(0.05f);
            mine->Update();
        }
        return mine;
    }
    Agent* Rig(int column, int row)
    {
        Agent* rig = Unit(column, row);
        rig->flags |= ENTITY_PLAYER;
        return rig;
    }

    ItemList catalogue;
    ItemList* ownItems = nullptr;
    MessageBar& bar = *game.messageBar;
    Listener listener;
    ScopedGlobal<CombatHooks*> combat{TheCombatHooks, &listener};
    ScopedGlobal<MissionHooks*> mission{TheMissionHooks, &listener};
    ScopedGlobal<ItemHooks*> items{TheItemHooks, &listener};
    PlayerProfile* profile = GetPlayerProfile();
    ScopedGlobal<float> ore{profile->ore, 0.0f};
    ScopedGlobal<float> oreGained{profile->oreGained, 0.0f};
    ScopedGlobal<int> credits{profile->credits, 0};
};

TEST_F(ItemWorld, LootRollsByLevelWithFixedSeeds)
{
    Weapon("laser", 0, 20.0f);
    Weapon("plasma", 7, 30.0f);
    Define("module", ITEM_KIND_UPGRADE);
    Define("rare_module", ITEM_KIND_UPGRADE, 0.0f);
    Define("late_module", ITEM_KIND_UPGRADE, 1.0f, 5);
    Define("unitpattern", ITEM_KIND_UNIT);
    Define("buildingpattern", ITEM_KIND_BUILDING);

    struct Case {
        int level;
        int salvage;  // beyond 6 it counts as 6
    };
    for (const Case& c : {Case{1, 0}, Case{3, 2}, Case{1, 9}}) {
        SCOPED_TRACE(c.level * 100 + c.salvage);
        listener.level = c.level;
        listener.salvage = c.salvage;
        SRand(1234);
        std::map<std::string, int> seen;
        for (int roll = 0; roll < 400; ++roll) {
            std::unique_ptr<Item> loot(RollItemDrop());
            if (!loot) continue;
            ++seen[loot->name];
            EXPECT_TRUE(loot->kind == ITEM_KIND_WEAPON || loot->kind == ITEM_KIND_UPGRADE) << "no blueprint types exist";
            EXPECT_TRUE(loot->itemFlags & ITEM_FLAG_RANDOM);
            if (std::string(loot->name) == "laser" && loot->upgradeFlags) {
                EXPECT_EQ(loot->upgradeFlags, ITEM_UPGRADE_LASER_DAMAGE);
                float bonus = loot->bonus[ITEM_BONUS_DAMAGE];
                EXPECT_TRUE(bonus == 4.0f || bonus == 8.0f) << bonus;
            }
            if (std::string(loot->name) == "plasma") {
                EXPECT_EQ(loot->bonus[ITEM_BONUS_DAMAGE], 0.0f) << "plasma has no damage upgrade";
            }
        }
        EXPECT_GT(seen["laser"], 0);
        EXPECT_GT(seen["module"], 0);
        EXPECT_EQ(seen["late_module"], 0) << "above the player's level";
        EXPECT_LT(seen["rare_module"], 3) << "rarity 0 takes part only when the draw is exactly 0";
    }
    // The same seed rolls the same loot.
    listener.level = 3;
    SRand(77);
    std::unique_ptr<Item> first(RollItemDrop());
    SRand(77);
    std::unique_ptr<Item> second(RollItemDrop());
    ASSERT_TRUE(first && second);
    EXPECT_STREQ(first->name, second->name);
    EXPECT_EQ(first->specialFlags, second->specialFlags);
}

TEST_F(ItemWorld, GradesAndValues)
{
    struct Case {
        const char* what;
        int kind;
        int price;
        uint32_t special;
        float bonus;
        bool stack;
        int grade;
        int value;
        int sale;
    };
    const Case table[] = {
        {"a module", ITEM_KIND_UPGRADE, 300, 0, 0.0f, false, 1, 150, 150},
        {"a module with a special", ITEM_KIND_UPGRADE, 300, ITEM_SPECIAL_RESIST_FIRE_1, 0.0f, false, 2, 225, 225},
        {"a superior weapon", ITEM_KIND_WEAPON, 400, 0, 8.0f, false, 2, 300, 300},
        {"an inferior weapon", ITEM_KIND_WEAPON, 400, 0, -4.0f, false, 0, 100, 100},
        {"a stack of five", ITEM_KIND_ACTION, 80, 0, 0.0f, true, 1, 40, 200},
    };
    for (const Case& c : table) {
        SCOPED_TRACE(c.what);
        Item item;
        item.kind = c.kind;
        item.price = c.price;
        item.specialFlags = c.special;
        if (c.bonus != 0.0f) {
            item.upgradeFlags = ITEM_UPGRADE_LASER_DAMAGE;
            item.bonus[ITEM_BONUS_DAMAGE] = c.bonus;
        }
        if (c.stack) {
            item.itemFlags |= ITEM_FLAG_STACKABLE;
            item.stackCount = 5;
        }
        EXPECT_EQ(item.GetState(), c.grade);
        EXPECT_EQ(item.GetValue(false), c.value);
        EXPECT_EQ(item.GetValue(true), c.sale);
    }
}

TEST_F(ItemWorld, TouchingGivesOreOnceAndOnlyToThePlayer)
{
    Item* crate = Define("ore_crate", ITEM_KIND_ACTION);
    crate->action = ITEM_ACTION_GIVE_ORE;
    crate->actionValue = 40;
    listener.level = 2;
    Agent* rig = Rig(20, 20);
    Agent* bot = Unit(22, 20);
    Item* lying = Lying(crate, 21, 20);
    EXPECT_TRUE(lying->OnTouch(bot, 0.1f));
    EXPECT_EQ(bar.Newest() ? std::string(bar.Newest()->text) : "", "Only the player can perform this action!");
    EXPECT_FLOAT_EQ(profile->ore, 0.0f);
    EXPECT_TRUE(lying->OnTouch(rig, 0.1f));
    EXPECT_FLOAT_EQ(profile->ore, 60.0f) << "40 x (1 + 0.25 x level 2)";
    ASSERT_FALSE(listener.texts.empty());
    EXPECT_EQ(listener.texts.back(), "Ore +60");
    EXPECT_TRUE(lying->OnTouch(rig, 0.1f));
    EXPECT_FLOAT_EQ(profile->ore, 60.0f) << "spent";
    EXPECT_FALSE(lying->IsAlive());
}

TEST_F(ItemWorld, AnObjectiveIsReportedOnce)
{
    struct Case {
        int value;
        int framesToReach;  // touches of 0.1 s until it is reached
        bool stays;
    };
    for (const Case& c : {Case{1, 1, false}, Case{2, 10, false}, Case{3, 10, true}, Case{7, 1, true}}) {
        SCOPED_TRACE(c.value);
        listener.reached = 0;
        Item* definition = Define("beacon", ITEM_KIND_ACTION);
        definition->action = ITEM_ACTION_OBJECTIVE;
        definition->actionValue = c.value;
        Agent* rig = Rig(20, 20);
        Item* beacon = Lying(definition, 21, 20);
        beacon->health = beacon->maxHealth = 9.5f;
        int touches = 1;
        while (!beacon->OnTouch(rig, 0.1f) && touches < 100) ++touches;
        EXPECT_EQ(touches, c.framesToReach);
        EXPECT_EQ(listener.reached, 1);
        for (int again = 0; again < 5; ++again) EXPECT_TRUE(beacon->OnTouch(rig, 0.1f));
        EXPECT_EQ(listener.reached, 1) << "touched again, it counts no more";
        EXPECT_EQ(beacon->IsAlive(), c.stays);
        TheScene.ReleaseEntities();
    }
}

TEST_F(ItemWorld, TrapsAreGivenOnlyWhenTheInventoryTakesThem)
{
    Define("mine", ITEM_KIND_ACTION)->action = ITEM_ACTION_MINE;
    Item* box = Define("mine_box", ITEM_KIND_ACTION);
    box->action = ITEM_ACTION_GIVE_MINE;
    box->actionValue = 3;
    Agent* rig = Rig(20, 20);
    Item* lying = Lying(box, 21, 20);
    listener.room = 0;
    EXPECT_TRUE(lying->OnTouch(rig, 0.1f));
    EXPECT_TRUE(lying->IsAlive()) << "nothing given: the box stays";
    EXPECT_EQ(lying->action, ITEM_ACTION_GIVE_MINE);
    listener.room = 10;
    EXPECT_TRUE(lying->OnTouch(rig, 0.1f));
    EXPECT_EQ(listener.inventory.size(), 3u);
    EXPECT_FALSE(lying->IsAlive());
}

TEST_F(ItemWorld, APickupPutsTheRolledItemItselfIntoTheInventory)
{
    Weapon("laser", 0, 20.0f);
    Item* pod = Define("loot_pod", ITEM_KIND_PICKUP);
    Agent* rig = Rig(20, 20);
    Item* lying = Lying(pod, 21, 20);
    SRand(5);
    EXPECT_TRUE(lying->OnTouch(rig, 0.1f));
    EXPECT_FALSE(lying->IsAlive());
    // Whatever was rolled went in once, and nothing else is left over (the leak checker sees).
    EXPECT_LE(listener.inventory.size(), 1u);
}

TEST_F(ItemWorld, ACrateOpensOnceAndPlacesOnlyWhatItHolds)
{
    Item* crateDefinition = Define("crate", ITEM_KIND_ACTION);
    crateDefinition->action = ITEM_ACTION_GIVE_ITEM;
    crateDefinition->actionValue = 1;
    Agent* rig = Rig(20, 20);
    for (unsigned seed : {1u, 2u, 3u, 4u}) {
        SCOPED_TRACE(seed);
        Item* crate = Lying(crateDefinition, 21, 21);
        crate->AdoptMesh(BlockMesh(-1.0f, 1.0f, -1.0f, 1.0f, 0.0f, 1.0f));
        int before = 0;
        for (Scene::Node* node = TheScene.FirstInList(SEGMENT_ITEM); node; node = TheScene.NextInList(node)) ++before;
        SRand(seed);
        // Nothing the crate could hold is in this catalogue: it opens and drops nothing.
        EXPECT_TRUE(crate->OnTouch(rig, 0.1f));
        int after = 0;
        for (Scene::Node* node = TheScene.FirstInList(SEGMENT_ITEM); node; node = TheScene.NextInList(node)) ++after;
        EXPECT_EQ(after, before) << "no empty content placed";
        EXPECT_TRUE(crate->itemFlags & ITEM_FLAG_USED);
        EXPECT_EQ(crate->action, ITEM_ACTION_NONE);
        TheScene.RemoveEntity(crate, REMOVE_EVERYWHERE);
        delete crate;
    }
    // With something to hold it drops it beside itself.
    Define("ore_crate", ITEM_KIND_ACTION)->action = ITEM_ACTION_GIVE_ORE;
    Weapon("laser", 0, 20.0f);
    Item* crate = Lying(crateDefinition, 21, 21);
    crate->AdoptMesh(BlockMesh(-1.0f, 1.0f, -1.0f, 1.0f, 0.0f, 1.0f));
    int dropped = 0;
    for (unsigned seed = 1; seed < 20 && dropped == 0; ++seed) {
        SRand(seed);
        crate->action = ITEM_ACTION_GIVE_ITEM;
        crate->OnTouch(rig, 0.1f);
        for (Scene::Node* node = TheScene.FirstInList(SEGMENT_ITEM); node; node = TheScene.NextInList(node))
            if (node->value != crate) ++dropped;
    }
    EXPECT_GT(dropped, 0);
}

TEST_F(ItemWorld, ASalvageYieldsOneItemOrTwoWithTheSkill)
{
    Define("module", ITEM_KIND_UPGRADE);
    Weapon("laser", 0, 20.0f);  // every roll finds something
    Item* wreckDefinition = Define("wreck", ITEM_KIND_ACTION);
    wreckDefinition->action = ITEM_ACTION_SALVAGE;
    Agent* rig = Rig(20, 20);
    for (int skill : {0, 3}) {
        SCOPED_TRACE(skill);
        listener.salvage = skill;
        Item* wreck = Lying(wreckDefinition, 30, 30);
        wreck->health = wreck->maxHealth = 20.0f;
        int touches = 1;
        while (!wreck->OnTouch(rig, 0.1f) && touches < 1000) ++touches;
        EXPECT_GT(touches, 5) << "it takes a while";
        EXPECT_LE(wreck->health, 1.0f);
        int loot = 0;
        for (Scene::Node* node = TheScene.FirstInList(SEGMENT_ITEM); node; node = TheScene.NextInList(node))
            if (node->value != wreck) ++loot;
        EXPECT_EQ(loot, skill > 0 ? 2 : 1);
        EXPECT_EQ(wreck->action, ITEM_ACTION_NONE);
        TheScene.ReleaseEntities();
        rig = Rig(20, 20);
    }
}

TEST_F(ItemWorld, AMineBlastKillsOnceAndAFreezeTrapIgnoresTheDead)
{
    Agent* victim = nullptr;
    Item* mine = MineSteppedBeside(&victim, 500.0f);
    EXPECT_FALSE(mine->IsAlive()) << "sprung";
    EXPECT_TRUE(victim->HasDied());
    EXPECT_EQ(listener.statistics["mineKills"], 1);

    Item* freezeDefinition = Define("freeze_trap", ITEM_KIND_ACTION);
    freezeDefinition->action = ITEM_ACTION_FREEZE;
    freezeDefinition->actionValue = 6;
    Item* trap = Lying(freezeDefinition, 60, 60);
    Agent* corpse = Unit(61, 60, ALIGN_ENEMY);
    corpse->flags |= ENTITY_DEAD;
    for (int frame = 0; frame < 5; ++frame) {
        const WorldTickScope tick(FrameTimer.delta);
        trap->Update();
    }
    EXPECT_TRUE(trap->IsAlive()) << "the dead spring nothing";
    corpse->flags &= ~ENTITY_DEAD;
    for (int frame = 0; frame < 5; ++frame) {
        const WorldTickScope tick(FrameTimer.delta);
        trap->Update();
    }
    EXPECT_FALSE(trap->IsAlive());
    EXPECT_FLOAT_EQ(corpse->freezeTime, 6.0f);
}

// A window the player holds open (the developer's console) does not hold the world: a mine
// lying among the ticks springs as it would with nothing open.
TEST_F(ItemWorld, AMineSpringsWhileAWindowIsHeldOpen)
{
    WindowManager windows;
    Window console;
    windows.modal = &console;
    ScopedGlobal<WindowManager*> manager{WindowMgr, &windows};
    Agent* victim = nullptr;
    Item* mine = MineSteppedBeside(&victim);
    EXPECT_FALSE(mine->IsAlive()) << "sprung";
    EXPECT_TRUE(victim->HasDied());
}

TEST_F(ItemWorld, UsingKitsFromTheInventory)
{
    ScopedGlobal<int> state{game.state, GAME_STATE_PLAYING};
    Item kit;
    kit.action = ITEM_ACTION_HEAL;
    kit.actionValue = 30;
    kit.itemFlags |= ITEM_FLAG_STACKABLE;
    kit.stackCount = 3;
    Agent* bot = Unit(20, 20);
    bot->maxHealth = 100.0f;
    bot->health = 100.0f;
    EXPECT_FALSE(kit.ApplyUseEffect(bot)) << "at full health";
    Building* depot = NewBuilding(ALIGN_PLAYER);
    depot->health = 10.0f;
    depot->maxHealth = 100.0f;
    EXPECT_FALSE(kit.ApplyUseEffect(depot)) << "never on a building";
    delete depot;
    bot->health = 90.0f;
    EXPECT_TRUE(kit.ApplyUseEffect(bot));
    EXPECT_FLOAT_EQ(bot->health, 100.0f);
    EXPECT_EQ(kit.stackCount, 2);
}

TEST_F(ItemWorld, AnItemWritesItsSceneLines)
{
    Item* definition = Define("crate", ITEM_KIND_ACTION);
    definition->action = ITEM_ACTION_GIVE_ITEM;
    definition->actionValue = 1;
    Item* crate = Lying(definition, 12, 34);
    crate->health = crate->maxHealth = 40.0f;
    crate->itemFlags |= ITEM_FLAG_USED;
    crate->upgradeFlags = ITEM_UPGRADE_SPEED;
    crate->bonus[ITEM_BONUS_SPEED] = 1.5f;
    crate->flags |= ENTITY_OBJECT_OF_INTEREST;
    std::string written;
    {
        char* buffer = nullptr;
        size_t size = 0;
        FILE* file = open_memstream(&buffer, &size);
        ASSERT_NE(file, nullptr);
        crate->WriteToScene(file, false);
        fclose(file);
        written.assign(buffer, size);
        free(buffer);
    }
    EXPECT_EQ(SceneLinesOnly(written),
              "AddItem\t\t\t\tcrate\n"
              "SetBothHealth\t\t\t40 40\n"
              "SetMapCoord\t\t\t12 34\n"
              "SetPosition\t\t\t-130 0 -75\n"
              "SetFlag\t\t\t\tENTITY_OBJECT_OF_INTEREST\n"
              "SetItemAction\t\t\t1 1\n"
              "SetItemFlag\t\t\tITEM_FLAG_USED\n"
              "item_upgradeFlags\t\t1\n"
              "item_upgradeSpeed\t\t\t1.5\n");
}

}  // namespace
