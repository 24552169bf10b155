// The main display: its layout at 1024 x 768, built once; the mine buttons' rules (build one at
// a time, right-click refunds, a full stock or too little ore refuses); the stance buttons; and
// the texts of the unit, resource, item and building pages as the player reads them.
#include "campaign/PlayerProfile.h"
#include "host/AudioDevice.h"
#include "platform/SoundManager.h"
#include "platform/Timer.h"
#include "gui/Button.h"
#include "gui/GuiMeter.h"
#include "gui/ModelViewer.h"
#include "gui/Label.h"
#include "interface/EntityInfoGui.h"
#include "interface/MissionHud.h"
#include "mechanics/OrderQueue.h"
#include "interface/InfoTooltip.h"
#include "interface/MessageLists.h"
#include "interface/PowerBar.h"
#include "mechanics/Scene.h"
#include "render/Sprite.h"
#include "tests/interface/InterfaceTestSupport.h"
#include "tests/platform/SoundTestSupport.h"
#include "tests/support/TestSupport.h"
#include "world/Agent.h"
#include "world/AgentTypeRegistry.h"
#include "world/BuildItem.h"
#include "world/Building.h"
#include "world/Item.h"
#include "world/WeaponDef.h"

#include <algorithm>
#include <map>
#include <set>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

class EntityInfoGuiTest : public MainDisplayTest {
protected:
    void TearDown() override
    {
        RestoreProfile();
        for (Entity* entity : linked) TheScene.UnlinkEntity(entity);
        for (Agent* agent : agents) game->agentTypes->ReturnAgent(agent);
        for (Entity* entity : owned) delete entity;
        MainDisplayTest::TearDown();
    }
    void RestoreProfile() { GetPlayerProfile()->Clear(); }

    Agent* NewAgent(int alignment)
    {
        Agent* agent = game->agentTypes->TakeFreeAgent();
        EXPECT_NE(agent, nullptr);
        agents.push_back(agent);
        agent->alignment = alignment;
        agent->SetMaxHealth(100.0f);
        agent->SetHealth(80.0f);
        return agent;
    }
    template <class T>
    T* Own(T* entity)
    {
        owned.push_back(entity);
        return entity;
    }
    const DrawnText* Find(const std::string& text) const
    {
        for (const DrawnText& drawn : painter.texts)
            if (drawn.text == text) return &drawn;
        return nullptr;
    }
    int Clicks(Button* button, int mouseButton = 0)
    {
        mouse.event[1] = mouseButton == 1 ? 1 : 0;
        int result = button->clickCallback(nullptr, button);
        mouse.event[1] = 0;
        return result;
    }

    // Into the level's lists, where an order finds it by its level number; out again at the end.
    template <class T>
    T* InLevel(T* entity)
    {
        TheScene.AddEntity(entity);
        linked.push_back(entity);
        return entity;
    }
    // The click, then the next tick carrying out what it ordered.
    int ClicksAndTick(Button* button, int mouseButton = 0)
    {
        ScopedGlobal<int> playing{game->state, GAME_STATE_PLAYING};
        TheOrders.Clear();
        const int result = Clicks(button, mouseButton);
        for (const PlayerOrder& order : TheOrders.TakeForTick()) ApplyPlayerOrder(order);
        return result;
    }

    std::vector<Agent*> agents;
    std::vector<Entity*> owned;
    std::vector<Entity*> linked;
};

}  // namespace

TEST_F(EntityInfoGuiTest, LaidOutAt1024x768AndBuiltOnce)
{
    EXPECT_EQ(display->x, 512 - 270);
    EXPECT_EQ(display->width, 450);
    EXPECT_EQ(display->height, 126);
    EXPECT_EQ(display->y, 768 - 126);
    EXPECT_EQ(display->title.x, 242 + 128);
    EXPECT_EQ(display->title.y, 642 + 12);
    EXPECT_EQ(display->second.x, 242 + 280);
    EXPECT_EQ(display->third.y, 642 + 64);
    ASSERT_NE(display->frame, nullptr);
    EXPECT_EQ(display->frame->left, 242);
    EXPECT_EQ(display->frame->bottom, 768);
    ASSERT_NE(display->healthMeter, nullptr);
    EXPECT_EQ(display->healthMeter->x, 242 + 124);
    EXPECT_EQ(display->healthMeter->barWidth, 180);
    // Button offsets from the frame's corner, each product truncated on its own.
    ASSERT_NE(display->buildMineButton, nullptr);
    EXPECT_EQ(display->buildMineButton->x, 450 - 90 - 64);
    EXPECT_EQ(display->layMineButton->x, 450 - 90);
    EXPECT_EQ(display->stanceButtons[2]->x, 450 - 76 + 2 * 24);
    EXPECT_TRUE(display->stanceButtons[0]->pressed);
    ASSERT_NE(QueueButtons[1], nullptr);
    EXPECT_EQ(QueueButtons[1]->x - QueueButtons[0]->x, 28 + 4 + 4) << "an extra gap after the unit in production";
    EXPECT_EQ(QueueButtons[2]->x - QueueButtons[1]->x, 28 + 4);

    int windows = manager.WindowCount();
    Window* firstChild = display->firstChild;
    display->CreateMainDisplay();
    EXPECT_EQ(manager.WindowCount(), windows) << "a second build does nothing";
    EXPECT_EQ(display->firstChild, firstChild);
}

TEST_F(EntityInfoGuiTest, MinesAreBuiltOneAtATimeAndPaidFor)
{
    Agent* rig = InLevel(NewAgent(ALIGN_PLAYER));
    rig->classWord |= AGENT_CLASS_MINE_LAYER;
    Select(rig);
    display->DrawUnitPage(rig);
    Button* build = display->buildMineButton;
    Button* lay = display->layMineButton;
    ASSERT_TRUE(build->IsVisible());
    PlayerProfile* player = GetPlayerProfile();
    // A refusal is heard: "bad" on a loopback device.
    auto sounds = std::make_unique<SoundManager>();
    ASSERT_TRUE(sounds->Init(AudioDevice::OpenLoopback(22050)));
    ASSERT_NE(InstallSoundPackage(MakeTempFolder("mine-sounds"), {{"bad.wav", "bad.wav", ToneWave(22050)}}), nullptr);
    ASSERT_TRUE(sounds->LoadSound("bad", "bad.wav", 2));
    ScopedGlobal<SoundManager*> soundManager(SoundMgr, sounds.get());
    ScopedGlobal<int> frames(FrameTimer.frameCount, 100);
    auto refused = [&]() { return sounds->IsPlaying(sounds->FindSound("bad"), -1); };
    auto quiet = [&]() {
        sounds->StopAll();
        FrameTimer.frameCount += 20;  // a sound may start again 10 frames on
    };

    const struct {
        const char* what;
        float ore, fuel;
        int stock;
        float timer;
        int mouseButton;
        float oreAfter, fuelAfter, timerAfter;
        bool complains, bad;
    } cases[] = {
        {"builds one", 100, 100, 0, 0, 0, 50, 50, 20, false, false},
        {"one at a time", 100, 100, 0, 5, 0, 100, 100, 5, false, true},
        {"right-click refunds the one in the making", 10, 10, 1, 12, 1, 60, 60, 0, false, false},
        {"right-click with none in the making builds", 100, 100, 1, 0, 1, 50, 50, 20, false, false},
        {"a full stock takes nothing", 100, 100, 3, 0, 0, 100, 100, 0, false, true},
        {"49 ore is not enough", 49, 100, 0, 0, 0, 49, 100, 0, true, true},
    };
    for (const auto& c : cases) {
        player->ore = c.ore;
        player->fuel = c.fuel;
        rig->mines = c.stock;
        rig->mineTimer = c.timer;
        game->messageBar->Clear();
        quiet();
        EXPECT_EQ(ClicksAndTick(build, c.mouseButton), 1) << c.what;
        EXPECT_EQ(refused(), c.bad) << c.what;
        EXPECT_FLOAT_EQ(player->ore, c.oreAfter) << c.what;
        EXPECT_FLOAT_EQ(player->fuel, c.fuelAfter) << c.what;
        EXPECT_FLOAT_EQ(rig->mineTimer, c.timerAfter) << c.what;
        EXPECT_EQ(game->messageBar->count, c.complains ? 1 : 0) << c.what;
        if (c.complains) {
            EXPECT_STREQ(game->messageBar->Newest()->text, "Not enough resources");
        }
    }

    // Laying from an empty stock changes nothing.
    rig->mines = 0;
    lay->SetText("Lay Mine\n     0/3");
    quiet();
    Clicks(lay);
    EXPECT_TRUE(refused());
    EXPECT_STREQ(lay->text, "Lay Mine\n     0/3");
    EXPECT_EQ(rig->mines, 0);

    // While one is made the build button is grey and the meter shows the progress.
    rig->mineTimer = 5.0f;
    painter.Clear();
    display->DrawUnitPage(rig);
    ASSERT_NE(display->mineMeter, nullptr);
    EXPECT_FLOAT_EQ(display->mineMeter->value, 75.0f);
    EXPECT_GE(painter.TimesDrawn(display->mineMeter->background), 1);
    EXPECT_NE(TextureFile(build->unpressedSprite->texture ? build->unpressedSprite->texture->name : ""), "button.dds");

    // A hidden button does nothing.
    build->SetVisible(false);
    player->ore = player->fuel = 100.0f;
    rig->mineTimer = 0.0f;
    Clicks(build);
    EXPECT_FLOAT_EQ(player->ore, 100.0f);
}

TEST_F(EntityInfoGuiTest, StanceButtonsFollowTheSelection)
{
    Agent* a = NewAgent(ALIGN_PLAYER);
    Agent* b = NewAgent(ALIGN_PLAYER);
    a->stance = 1;
    b->stance = 1;
    game->hand.selected.Clear();
    game->hand.selected.PushBack(a);
    game->hand.selected.PushBack(b);
    display->ShowStanceButtons();
    EXPECT_FALSE(display->stanceButtons[0]->pressed);
    EXPECT_TRUE(display->stanceButtons[1]->pressed);
    b->stance = 2;
    display->ShowStanceButtons();
    for (Button* button : display->stanceButtons) EXPECT_FALSE(button->pressed) << "mixed stances press none";

    // A click orders every selected unit that stance at the next tick, and presses only that
    // button.
    Button* hold = display->stanceButtons[2];
    TheOrders.Clear();
    Clicks(hold);
    const std::vector<PlayerOrder> given = TheOrders.TakeForTick();
    ASSERT_EQ(given.size(), 1u);
    EXPECT_EQ(given[0].kind, ORDER_STANCE);
    EXPECT_EQ(given[0].args[0], 2);
    EXPECT_EQ(given[0].units, (std::vector<uint32_t>{LevelNumberOf(a), LevelNumberOf(b)}));
    EXPECT_TRUE(hold->pressed);
    EXPECT_FALSE(display->stanceButtons[1]->pressed);
}

TEST_F(EntityInfoGuiTest, TheUnitPageReadsAsTheUnitStands)
{
    Agent* bot = NewAgent(ALIGN_PLAYER);
    strcpy(bot->name, "Scout");
    bot->classWord |= AGENT_CLASS_LEVELLING;
    bot->botLevel = 10;
    bot->botExperience = 8200;  // the level-10 threshold
    bot->kills = 4;
    bot->attackRange = 12.5f;
    std::vector<std::string> page = Page(bot);
    EXPECT_TRUE(Has(page, "(10) Scout")) << "a unit of no type is titled with its own name";
    // A unit of a type is titled with the type's name as the player reads it, never with the
    // script's name for it; a type without one leaves the unit's own name.
    AgentType type;
    strcpy(type.name, "scout_bot");
    strcpy(bot->name, "scout_bot");
    bot->agentType = &type;
    const struct {
        const char* shortDescription;
        const char* title;
    } titles[] = {{"Scout", "(10) Scout"}, {"None", "(10) scout_bot"}, {"", "(10) scout_bot"}};
    for (const auto& t : titles) {
        type.shortDescription = t.shortDescription;
        EXPECT_TRUE(Has(Page(bot), t.title)) << t.shortDescription << ": " << ::testing::PrintToString(Page(bot));
    }
    bot->agentType = nullptr;
    EXPECT_STREQ(display->healthMeter->text, "    80/100");
    EXPECT_STREQ(display->experienceMeter->text, "XP: 8200/8200");
    EXPECT_FLOAT_EQ(display->experienceMeter->value, 100.0f);
    bot->damage = 6.0f;
    page = Page(bot);
    char melee[96];
    snprintf(melee, sizeof melee, "Melee Damage:    %.1f    (%.1f dps)", bot->GetDamage(nullptr),
             bot->GetDamagePerSecond(nullptr));
    EXPECT_TRUE(Has(page, melee)) << ::testing::PrintToString(page);
    EXPECT_EQ(std::string(melee).rfind("Melee Damage:    6.0    (", 0), 0u);
    EXPECT_TRUE(Has(page, "12.5"));
    ASSERT_NE(Find("Kills:"), nullptr);
    int killsAt = Find("Kills:")->x;
    EXPECT_TRUE(display->stanceButtons[0]->IsVisible());

    // Without a range the kills stay where they were.
    bot->classWord |= AGENT_CLASS_MELEE;
    page = Page(bot);
    EXPECT_FALSE(Has(page, "Range:"));
    ASSERT_NE(Find("Kills:"), nullptr);
    EXPECT_EQ(Find("Kills:")->x, killsAt);

    // Half-way through level 2: (experience - 200) of the 300 to level 3.
    bot->botLevel = 2;
    bot->botExperience = 350;
    Page(bot);
    EXPECT_STREQ(display->experienceMeter->text, "XP:  350/500");
    EXPECT_FLOAT_EQ(display->experienceMeter->value, 50.0f);

    // Too many units: the bot works at half strength.
    PlayerProfile* player = GetPlayerProfile();
    player->unitControl = 2;
    player->unitsInUse = 3;
    EXPECT_TRUE(Has(Page(bot), "Operating at 50%"));

    // An enemy says so, with what it is made of; no stance buttons for it.
    Agent* enemy = NewAgent(ALIGN_ENEMY);
    enemy->composition = COMPOSITION_BIOMECHANICAL;
    page = Page(enemy);
    EXPECT_TRUE(Has(page, "Enemy\nBioMechanical"));
    EXPECT_FALSE(display->stanceButtons[0]->IsVisible());
    EXPECT_EQ(Find("Enemy\nBioMechanical")->colour, 0xFFFF4D33u);

    // The rig without weapons.
    Agent* rig = NewAgent(ALIGN_PLAYER);
    rig->flags |= ENTITY_PLAYER;
    strcpy(player->name, "Ada");
    player->level = 7;
    page = Page(rig);
    EXPECT_TRUE(Has(page, "(7) Ada"));
    EXPECT_TRUE(Has(page, "No weapons attached"));
    // With a laser on its arm, the laser's line.
    Item* arm = Own(new Item());
    arm->weapon = new WeaponDef();  // the item's own
    arm->weapon->type = WEAPON_LASER;
    arm->weapon->damage = 12.0f;
    arm->weapon->interval = 0.8f;
    rig->AddAttachment(arm, "rightweapon", "RightWeapon");
    page = Page(rig);
    EXPECT_TRUE(Has(page, "Laser Damage:"));
    EXPECT_FALSE(Has(page, "No weapons attached"));
    rig->RemoveAttachment("rightweapon");
}

TEST_F(EntityInfoGuiTest, AWeaponWithoutPauseAndAnEmptyHoldShowNothingRatherThanDividingByZero)
{
    Agent* bot = NewAgent(ALIGN_PLAYER);
    WeaponDef weapon;
    weapon.type = WEAPON_ACID;
    weapon.damage = 12.0f;
    weapon.interval = 0.0f;
    weapon.windUp = 0.0f;
    weapon.flags |= WEAPONFLAG_DUAL_CLUSTER;
    painter.Clear();
    EXPECT_TRUE(DrawWeaponLine(10, 20, bot, &weapon));
    std::vector<std::string> line = painter.Texts();
    EXPECT_TRUE(Has(line, "Acid Damage:"));
    EXPECT_TRUE(Has(line, "  12.0"));
    EXPECT_TRUE(Has(line, "(0.0 dps) x 2"));
    weapon.interval = 1.5f;
    weapon.windUp = 0.5f;
    painter.Clear();
    DrawWeaponLine(10, 20, bot, &weapon);
    EXPECT_TRUE(Has(painter.Texts(), "(6.0 dps) x 2"));
    weapon.type = 9;
    painter.Clear();
    EXPECT_FALSE(DrawWeaponLine(10, 20, bot, &weapon));
    EXPECT_TRUE(painter.texts.empty());

    Agent* miner = NewAgent(ALIGN_PLAYER);
    miner->classWord |= AGENT_CLASS_MINER;
    miner->oreCapacity = 0.0f;
    miner->oreLoad = 0.0f;
    miner->miningAmount = 3.7f;
    std::vector<std::string> page = Page(miner);
    EXPECT_FLOAT_EQ(display->cargoMeter->value, 0.0f);
    EXPECT_TRUE(Has(page, "Yield: 3"));
    miner->oreCapacity = 20.0f;
    miner->upgradeFlags |= 0x400;  // the mining-capacity upgrade
    miner->oreLoad = 15.0f;
    Page(miner);
    EXPECT_FLOAT_EQ(display->cargoMeter->value, 50.0f);
    EXPECT_STREQ(display->cargoMeter->text, "    15/30");
}

TEST_F(EntityInfoGuiTest, ResourceAndItemPages)
{
    Entity* ore = Own(new Entity());
    ore->flags |= ENTITY_RESOURCE;
    ore->SetMaxHealth(500.0f);
    ore->SetHealth(320.0f);
    std::vector<std::string> page = Page(ore);
    EXPECT_TRUE(Has(page, "<Unknown_Ore>"));
    EXPECT_TRUE(Has(page, "Use your rig to [Scan] the ore to reveal the yield"));
    for (const std::string& text : page) EXPECT_EQ(text.find("Remaining"), std::string::npos);

    ore->flags |= ENTITY_RESOURCE_REVEALED;
    ore->kills = 1;
    page = Page(ore);
    EXPECT_TRUE(Has(page, "<Resource_Ore>"));
    EXPECT_TRUE(Has(page, "Medium Yield - 75% Refinable"));
    EXPECT_TRUE(Has(page, "Remaining: 320"));

    Entity* fuel = Own(new Entity());
    fuel->flags |= ENTITY_FUEL;
    strcpy(fuel->name, "res_fuel");
    fuel->SetMaxHealth(200.0f);
    fuel->SetHealth(200.0f);
    page = Page(fuel);
    EXPECT_TRUE(Has(page, "<Resource_Fuel>"));
    EXPECT_TRUE(Has(page, "Remaining: 200"));
    EXPECT_TRUE(Has(page, "<Resource_Fuel_desc>"));
    fuel->SetHealth(150.0f);
    EXPECT_FALSE(Has(Page(fuel), "<Resource_Fuel_desc>"));

    const struct {
        int action, kind;
        const char* line;
    } items[] = {
        {ITEM_ACTION_OBJECTIVE, ITEM_KIND_PICKUP, "- Objective Item - "},
        {ITEM_ACTION_ATTACK, ITEM_KIND_ACTION, "Remaining: 30 / 40"},
        {ITEM_ACTION_MINE, ITEM_KIND_ACTION, "Explodes when enemies nearby."},
        {ITEM_ACTION_FREEZE, ITEM_KIND_ACTION, "Freezes nearby enemies."},
        {ITEM_ACTION_NONE, ITEM_KIND_UNIT, "Pattern: Heavy Bot"},
    };
    for (const auto& c : items) {
        Item* item = Own(new Item());
        strcpy(item->name, "crate");
        strcpy(item->patternName, "heavy_bot");
        item->action = c.action;
        item->kind = c.kind;
        item->SetMaxHealth(40.0f);
        item->SetHealth(30.0f);
        page = Page(item);
        EXPECT_TRUE(Has(page, "crate")) << c.line;
        EXPECT_TRUE(Has(page, c.line)) << c.line;
    }
    Item* kit = Own(new Item());
    strcpy(kit->name, "repair_kit");
    kit->shortDescription = "Repair kit";
    EXPECT_TRUE(Has(Page(kit), "Repair kit")) << "titled by its short description";
    Entity* rock = Own(new Entity());
    strcpy(rock->name, "big_old_rock");
    EXPECT_TRUE(Has(Page(rock), "Big Old Rock"));
}

TEST_F(EntityInfoGuiTest, TheBuildingPageShowsHealthProgressAndPower)
{
    BuildItem* definition = game->buildItems->Add(nullptr, "Refinery");
    definition->flags = BUILD_RESOURCE_DROP;
    definition->buildTime = 40.0f;
    Building* building = Own(new Building());
    building->flags |= ENTITY_BUILDING;
    building->definition = definition;
    building->SetMaxHealth(500.0f);
    building->SetHealth(250.0f);
    building->buildState = BUILD_STATE_CONSTRUCTING;
    building->buildProgress = 10.0f;
    std::vector<std::string> page = Page(building);
    EXPECT_TRUE(Has(page, "Refinery"));
    EXPECT_STREQ(display->healthMeter->text, "   250/500");
    EXPECT_FLOAT_EQ(display->constructionMeter->value, 25.0f);
    EXPECT_TRUE(display->cancelConstructionButton->IsVisible());

    ScopedGlobal<PowerLedger> power(TheScene.power, PowerLedger());
    building->buildState = BUILD_STATE_READY;
    building->stateFlags |= BUILDING_POWER_LEVEL_2;
    page = Page(building);
    EXPECT_TRUE(Has(page, "Power bonus +10% mining yield"));
    EXPECT_FALSE(display->cancelConstructionButton->IsVisible());
    TheScene.power.demand = 30.0f;
    EXPECT_TRUE(Has(Page(building), "Low power - Reduced efficiency"));
    building->buildState = BUILD_STATE_DISABLED;
    page = Page(building);
    EXPECT_TRUE(Has(page, "Disabled"));
    EXPECT_FALSE(Has(page, "Low power - Reduced efficiency"));

    definition->flags = BUILD_UNIT_CONTROL;
    building->buildState = BUILD_STATE_READY;
    TheScene.power.demand = 0.0f;
    EXPECT_TRUE(Has(Page(building), "Units: +5"));
    definition->level = 1;
    EXPECT_TRUE(Has(Page(building), "Units: +10"));
}

TEST_F(EntityInfoGuiTest, EveryPictureTheHudAsksForIsShipped)
{
    std::set<std::string> asked;
    auto add = [&](const Sprite* sprite) {
        if (sprite && sprite->texture) asked.insert(sprite->texture->name);
    };
    auto addWindow = [&](const Window* window) {
        for (const Window* child = window ? window->firstChild : nullptr; child; child = child->nextSibling) {
            for (int i = 0; i < child->pieceCount; ++i) add(child->pieces[i]);
            if (child->flags & WINDOW_TYPE_BUTTON) {
                const Button* button = static_cast<const Button*>(child);
                add(button->pressedSprite);
                add(button->unpressedSprite);
                add(button->hoverImage);
            }
        }
    };
    // The grey strips come with a unit that lays mines, the portrait's backdrop with any page.
    Agent* layer = NewAgent(ALIGN_PLAYER);
    layer->classWord |= AGENT_CLASS_MINE_LAYER;
    layer->mineTimer = 3.0f;
    Page(layer);
    add(display->buildMineButton->unpressedSprite);
    add(display->frame);
    add(display->armourSprite);
    add(display->portrait->background);
    addWindow(display);
    addWindow(ProductionQueueWindow);
    addWindow(StatusIconWindow);
    for (GuiMeter* meter : {display->healthMeter, display->shieldMeter, display->cargoMeter, display->experienceMeter,
                            display->mineMeter}) {
        add(meter->background);
        add(meter->fill);
        add(meter->overlay);
    }
    add(TheInfoTooltip->background);
    PowerBar power;
    add(power.meter->fill);
    add(power.chevron);
    add(game->popups->backdrop);
    add(game->popups->badge);
    add(game->popups->icon);
    add(game->messageBar->icon);

    const std::map<std::string, std::string> shipped = ShippedTextureFiles();
    for (const std::string& path : asked)
        EXPECT_NE(shipped.find(TextureFile(path)), shipped.end()) << path << " is asked for but not made";
    for (const char* name : {"maindisplay.dds", "itemicons.dds", "itemicons_2.dds", "damagetypes.dds", "divbar.dds",
                             "orebar.dds", "button_green.dds", "button_grey.dds", "button_red.dds", "grad_white.dds",
                             "messagebar.dds", "achievement_back.dds", "achievements.dds", "power_bar.dds",
                             "chevron.dds", "info_back.dds"}) {
        bool seen = false;
        for (const std::string& path : asked) seen = seen || TextureFile(path) == name;
        EXPECT_TRUE(seen) << name << " was never asked for";
    }
}

TEST_F(EntityInfoGuiTest, AFactoryShowsItsQueueAndGivesBackWhatIsTakenOutOfIt)
{
    BuildItem* definition = game->buildItems->Add(nullptr, "Bot Factory");
    definition->flags = BUILD_UNIT_FACTORY;
    Building* factory = Own(new Building());
    factory->flags |= ENTITY_BUILDING;
    factory->definition = definition;
    factory->alignment = ALIGN_PLAYER;
    InLevel(factory);
    factory->SetMaxHealth(300.0f);
    factory->SetHealth(300.0f);
    AgentType scout, miner;
    for (AgentType* type : {&scout, &miner}) {
        strcpy(type->iconPath, "data/gui/icons/unit_icons.dds");
        type->buildTime = 20.0f;
    }
    scout.iconCell = 8 << 24 | 8 << 16 | 1 << 8 | 0;
    miner.iconCell = 8 << 24 | 8 << 16 | 2 << 8 | 0;
    scout.oreCost = 40;
    scout.fuelCost = 10;
    miner.oreCost = 60;
    miner.fuelCost = 0;
    PooledList<AgentType*>* queue = factory->EnsureBuildQueue();
    ASSERT_NE(queue, nullptr);
    for (AgentType* type : {&scout, &miner, &scout}) queue->PushBack(type);
    factory->productionTimer = 5.0f;

    Page(factory);
    EXPECT_TRUE(ProductionQueueWindow->IsVisible());
    EXPECT_FLOAT_EQ(display->productionMeter->value, 75.0f);
    for (int i = 0; i < 3; ++i) {
        ASSERT_NE(QueueButtons[i]->unpressedSprite, nullptr);
        EXPECT_GE(painter.TimesDrawn(QueueButtons[i]->unpressedSprite), 1) << i;
    }
    EXPECT_FLOAT_EQ(QueueButtons[1]->unpressedSprite->ua, 2.0f / 8.0f) << "the miner's icon cell";
    // Held down, an icon stays the unit's icon.
    QueueButtons[1]->pressed = true;
    Page(factory);
    EXPECT_GE(painter.TimesDrawn(QueueButtons[1]->unpressedSprite), 1);
    EXPECT_EQ(painter.TimesDrawn(QueueButtons[1]->pressedSprite), 0);
    QueueButtons[1]->pressed = false;

    // The third entry (a scout again) goes, not the scout in production; it is paid back.
    PlayerProfile* player = GetPlayerProfile();
    player->ore = player->fuel = 0.0f;
    player->unitsInUse = 3;
    EXPECT_EQ(Clicks(QueueButtons[2]), 1);
    EXPECT_EQ(queue->count, 3) << "taken out at the next tick";
    EXPECT_EQ(ClicksAndTick(QueueButtons[2]), 1);
    ASSERT_EQ(queue->count, 2);
    EXPECT_EQ(queue->head->value, &scout);
    EXPECT_EQ(queue->head->next->value, &miner);
    EXPECT_FLOAT_EQ(player->ore, 40.0f);
    EXPECT_FLOAT_EQ(player->fuel, 10.0f);
    EXPECT_EQ(player->unitsInUse, 2);
    // With two queued, the fifth button has nothing to take.
    ProductionQueueWindow->SetVisible(true);
    ClicksAndTick(QueueButtons[4]);
    EXPECT_EQ(queue->count, 2);
    EXPECT_FLOAT_EQ(player->ore, 40.0f);
    // A unit out of the queue leaves its slot at once, and the last one leaves the queue empty:
    // no icon stays behind for the windows to draw.
    for (int left : {2, 0}) {
        SCOPED_TRACE(left);
        if (left == 0) queue->Clear();
        Page(factory);
        manager.Draw();
        for (int i = 0; i < QUEUE_BUTTONS; ++i) {
            EXPECT_EQ(QueueButtons[i]->IsVisible(), i < left) << i;
            if (i >= left) {
                EXPECT_EQ(painter.TimesDrawn(QueueButtons[i]->unpressedSprite), 0) << i;
            }
        }
    }
}

TEST_F(EntityInfoGuiTest, StatusIconsStackAndExplainThemselves)
{
    Agent* bot = NewAgent(ALIGN_PLAYER);
    Page(bot);
    EXPECT_FALSE(StatusIconWindow->IsVisible()) << "nothing running, no icons";
    bot->statusEffects[0].kind = 0;  // fire
    bot->statusEffects[0].timeLeft = 3.0f;
    bot->statusEffects[1].kind = 2;  // plasma
    bot->statusEffects[1].timeLeft = 1.0f;
    Page(bot);
    EXPECT_TRUE(StatusIconWindow->IsVisible());
    EXPECT_TRUE(StatusButtons[0]->IsVisible());
    EXPECT_FALSE(StatusButtons[1]->IsVisible());
    EXPECT_TRUE(StatusButtons[2]->IsVisible());
    EXPECT_EQ(StatusButtons[0]->x, 0);
    EXPECT_EQ(StatusButtons[2]->x, -28) << "the next icon one step to the left";
    EXPECT_GE(painter.TimesDrawn(StatusButtons[2]->unpressedSprite), 1);

    ASSERT_NE(TheInfoTooltip, nullptr);
    StatusButtons[2]->hoverEnterCallback(nullptr, StatusButtons[2]);
    EXPECT_TRUE(TheInfoTooltip->shown);
    EXPECT_STREQ(TheInfoTooltip->labels[0]->GetText(), "<Plasma>");
    EXPECT_STREQ(TheInfoTooltip->labels[1]->GetText(), "<Plasma_desc>");
    EXPECT_EQ(TheInfoTooltip->window->x + TheInfoTooltip->window->width, 1024) << "at the right edge";
    painter.Clear();
    TheInfoTooltip->Draw();
    EXPECT_TRUE(Has(painter.Texts(), "<Plasma>"));
    StatusButtons[2]->hoverLeaveCallback(nullptr, StatusButtons[2]);
    EXPECT_FALSE(TheInfoTooltip->shown);
    painter.Clear();
    TheInfoTooltip->Draw();
    EXPECT_TRUE(painter.quads.empty());
    EXPECT_TRUE(painter.texts.empty());
}

TEST_F(EntityInfoGuiTest, TheHudPassShowsTheSelectionAndTheFrontEndItsMessages)
{
    Agent* a = NewAgent(ALIGN_PLAYER);
    Agent* b = NewAgent(ALIGN_PLAYER);
    strcpy(a->name, "Alpha");
    // The mission HUD around the display, as a level start builds it.
    BuildMissionHud();
    game->hand.selected.Clear();
    painter.Clear();
    game->DrawHud();
    EXPECT_FALSE(display->IsVisible()) << "nothing selected, no display";
    EXPECT_EQ(painter.TimesDrawn(display->frame), 0);

    game->hand.selected.PushBack(a);
    game->hand.selected.PushBack(b);
    painter.Clear();
    game->DrawHud();
    EXPECT_TRUE(display->IsVisible());
    EXPECT_EQ(painter.TimesDrawn(display->frame), 1) << "a group: the frame alone";
    EXPECT_TRUE(display->stanceButtons[0]->IsVisible());
    EXPECT_FALSE(Has(painter.Texts(), "(0) Alpha")) << "and no page";
    EXPECT_TRUE(TheMissionHud.groupPanel->IsVisible()) << "but the group's buttons";

    game->hand.selected.Clear();
    game->hand.selected.PushBack(a);
    painter.Clear();
    game->DrawHud();
    EXPECT_TRUE(Has(painter.Texts(), "(0) Alpha"));

    game->hand.selected.Clear();
    game->messageBar->AddMessage("New item unlocked in shop!", 5.0f, 0);
    game->state = GAME_STATE_FRONT_END;
    painter.Clear();
    game->DrawGui();
    EXPECT_TRUE(Has(painter.Texts(), "New item unlocked in shop!"));
    ReleaseMissionHud();
    delete ThePowerBar;
    ThePowerBar = nullptr;
}
