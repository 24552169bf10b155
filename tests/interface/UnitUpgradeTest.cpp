// The upgrader's panel, the building page's other sections and the build tooltips: prices and
// times, the choices a unit is offered and how clicks step them within what it owns, paying on
// "Start" and getting it back on "Cancel"; the turret, research and recycler sections; the
// tooltips' lines and colours by what the player can pay; the main display's portrait, cancel
// and queue buttons.
#include "campaign/PlayerProfile.h"
#include "gui/Button.h"
#include "gui/GuiMeter.h"
#include "gui/Label.h"
#include "host/AudioDevice.h"
#include "interface/EntityInfoGui.h"
#include "interface/InfoTooltip.h"
#include "interface/UnitUpgrade.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/OrderQueue.h"
#include "mechanics/Scene.h"
#include "platform/SoundManager.h"
#include "platform/StringTable.h"
#include "platform/Timer.h"
#include "tests/interface/InterfaceTestSupport.h"
#include "tests/platform/SoundTestSupport.h"
#include "tests/support/TestSupport.h"
#include "world/Agent.h"
#include "world/AgentTypeRegistry.h"
#include "world/BuildItem.h"
#include "world/Building.h"
#include "world/WeaponDef.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

class UnitUpgradeTest : public MainDisplayTest {
protected:
    void SetUp() override
    {
        MainDisplayTest::SetUp();
        if (HasFatalFailure()) return;
        sounds = std::make_unique<SoundManager>();
        ASSERT_TRUE(sounds->Init(AudioDevice::OpenLoopback(22050)));
        std::vector<PackageEntry> waves;
        for (const char* name : {"bad", "blip", "countdown"})
            waves.push_back({std::string(name) + ".wav", std::string(name) + ".wav", ToneWave(2205)});
        ASSERT_NE(InstallSoundPackage(MakeTempFolder("upgrade-sounds"), waves), nullptr);
        for (const char* name : {"bad", "blip", "countdown"}) ASSERT_TRUE(sounds->LoadSound(name, (std::string(name) + ".wav").c_str(), 2));
        installedSounds = std::make_unique<ScopedGlobal<SoundManager*>>(SoundMgr, sounds.get());
        definition = game->buildItems->Add(nullptr, "bot_upgrader");
        definition->flags = BUILD_UNIT_UPGRADER;
        upgrader = NewBuilding(definition);
        laser.type = WEAPON_LASER;
        laser.damage = 10.0f;
        laser.interval = 1.0f;
        missile.type = WEAPON_MISSILE;
        missile.damage = 20.0f;
        missile.interval = 2.0f;
    }
    void TearDown() override
    {
        installedSounds.reset();
        GetPlayerProfile()->Clear();
        TheScene.ReleaseEntities();
        MainDisplayTest::TearDown();
    }

    Building* NewBuilding(BuildItem* of)
    {
        Building* building = new Building();
        building->definition = of;
        building->alignment = ALIGN_PLAYER;
        building->SetMaxHealth(500.0f);
        building->SetHealth(500.0f);
        TheScene.AddEntity(building);
        return building;
    }
    Agent* NewUnit(const WeaponDef* weapon, uint32_t classWord = 0)
    {
        Agent* agent = game->agentTypes->TakeFreeAgent();
        agent->alignment = ALIGN_PLAYER;
        agent->SetMaxHealth(100.0f);
        agent->SetHealth(100.0f);
        // The agent owns its weapon.
        if (weapon) {
            agent->weapon = new WeaponDef();
            agent->weapon->CopyFrom(*weapon);
        }
        agent->damage = weapon ? 0.0f : 5.0f;
        agent->classWord |= classWord;
        TheScene.AddEntity(agent);
        return agent;
    }
    uint32_t ColourOf(const std::string& text) const
    {
        for (const DrawnText& drawn : painter.texts)
            if (drawn.text == text) return drawn.colour;
        return 0;
    }
    // A click through the window manager on the button where it stands on the screen.
    void ClickButton(Button* button, int mouseButton = 0)
    {
        int x = 0, y = 0;
        button->GetScreenPosition(&x, &y);
        Click(x + button->width / 2, y + button->height / 2, mouseButton);
    }
    // The click, then the next tick carrying out the orders it gave; the kind of the last order.
    uint16_t ClickAndTick(Button* button, int mouseButton = 0)
    {
        ScopedGlobal<int> playing{game->state, GAME_STATE_PLAYING};
        TheOrders.Clear();
        ClickButton(button, mouseButton);
        const std::vector<PlayerOrder> given = TheOrders.TakeForTick();
        for (const PlayerOrder& order : given) ApplyPlayerOrder(order);
        return given.empty() ? (uint16_t)ORDER_NONE : given.back().kind;
    }
    // How often the sound started since the last look (a sound may start again 10 frames on).
    int Heard(const char* name)
    {
        int index = sounds->FindSound(name);
        int times = sounds->TimesStarted(index) - seen[name];
        seen[name] += times;
        FrameTimer.frameCount += 20;
        return times;
    }
    Button* Choice(int entry) const
    {
        for (Button* button : display->upgradePanel->choices)
            if (button && button->IsVisible() && button->id == entry) return button;
        return nullptr;
    }

    std::unique_ptr<SoundManager> sounds;
    std::unique_ptr<ScopedGlobal<SoundManager*>> installedSounds;
    ScopedGlobal<int> frames{FrameTimer.frameCount, 100};
    std::map<std::string, int> seen;
    BuildItem* definition = nullptr;
    Building* upgrader = nullptr;
    WeaponDef laser, missile;
};

}  // namespace

TEST_F(UnitUpgradeTest, PricesAndTimesFollowTheHighestLevelOfEachUpgrade)
{
    const struct {
        uint32_t word;
        int ore, fuel;
        float seconds;
    } cases[] = {
        {0x40, 150, 75, 20.0f},                  // hull 3 alone
        {0x40 | 0x80, 200, 100, 30.0f},          // hull 3 and speed
        {0x1 | 0x2, 100, 50, 15.0f},             // weapon 2 counts, not 1 as well
        {0x200 | 0x400 | 0x4000, 200, 100, 35.0f},
        {0x8000, 50, 25, 10.0f},
        {0, 0, 0, 0.0f},
    };
    for (const auto& c : cases) {
        upgrader->chosenUpgrades = c.word;
        int ore = -1, fuel = -1;
        GetUpgradeCost(upgrader, &ore, &fuel);
        EXPECT_EQ(ore, c.ore) << std::hex << c.word;
        EXPECT_EQ(fuel, c.fuel) << std::hex << c.word;
        EXPECT_FLOAT_EQ(GetUpgradeTime(upgrader), c.seconds) << std::hex << c.word;
    }
}

TEST_F(UnitUpgradeTest, AUnitIsOfferedWhatFitsItAndStepsWithinWhatItOwns)
{
    // A miner with a missile launcher fits all nine; the panel has room for eight.
    Agent* miner = NewUnit(&missile, AGENT_CLASS_MINER);
    Select(miner);
    upgrader->TakeUnitIn(miner);
    EXPECT_EQ(upgrader->HeldUnit(), miner);
    EXPECT_EQ(game->hand.selected.count, 0) << "a unit inside leaves the selection";
    EXPECT_EQ(TheScene.Resolve(miner, miner->id), nullptr) << "and the level's lists";
    for (int entry = 1; entry <= 8; ++entry) EXPECT_NE(Choice(entry), nullptr) << entry;
    EXPECT_EQ(Choice(9), nullptr) << "armour, the ninth, has no button left";

    // A gunner that owns weapon damage 1: weapon, hull, shields, speed and armour.
    Agent* gunner = NewUnit(&laser);
    gunner->upgradeFlags = 0x1;
    upgrader->TakeUnitIn(gunner);
    EXPECT_EQ(TheScene.Resolve(miner, miner->id), miner) << "the miner was let out for it";
    int offered = 0;
    for (Button* button : display->upgradePanel->choices) offered += button->IsVisible();
    EXPECT_EQ(offered, 5);
    Select(upgrader);
    Page(upgrader);
    ASSERT_TRUE(display->upgradePanel->window->IsVisible());
    Button* weapon = Choice(1);
    ASSERT_NE(weapon, nullptr);
    EXPECT_TRUE(weapon->rightButtonAllowed);

    TheOrders.Clear();
    ClickButton(weapon);
    EXPECT_EQ(upgrader->chosenUpgrades, 0u) << "chosen at the next tick";
    EXPECT_EQ(ClickAndTick(weapon), ORDER_UPGRADE_CHOICE);
    EXPECT_STREQ(weapon->text, "2") << "level 1 is owned: the first click chooses 2";
    EXPECT_EQ(upgrader->chosenUpgrades, 0x2u);
    EXPECT_EQ(Heard("blip"), 1);
    ClickAndTick(weapon, 1);
    EXPECT_STREQ(weapon->text, "") << "a right click steps back past what it owns";
    EXPECT_EQ(upgrader->chosenUpgrades, 0u);
    ClickAndTick(weapon, 1);
    EXPECT_EQ(Heard("bad"), 1) << "nothing to step back";
    ClickAndTick(weapon);
    ClickAndTick(weapon);
    EXPECT_STREQ(weapon->text, "3");
    EXPECT_EQ(upgrader->chosenUpgrades, 0x4u);
    Heard("blip");
    ClickAndTick(weapon);
    EXPECT_EQ(Heard("bad"), 1) << "the top level goes no higher";
    EXPECT_EQ(upgrader->chosenUpgrades, 0x4u);

    // Choices are shown again from the building's word when it is selected again.
    UpgradePanel::ShowChoices(upgrader);
    EXPECT_STREQ(Choice(1)->text, "3");
}

TEST_F(UnitUpgradeTest, StartPaysAndCancelGivesBackOnlyARunningUpgrade)
{
    Agent* gunner = NewUnit(&laser);
    upgrader->TakeUnitIn(gunner);
    Select(upgrader);
    Page(upgrader);
    UpgradePanel* panel = display->upgradePanel;
    ClickAndTick(Choice(2));  // hull 1: 50 ore, 25 fuel, 10 s
    PlayerProfile* player = GetPlayerProfile();
    player->ore = 49.0f;
    player->fuel = 100.0f;
    std::vector<std::string> page = Page(upgrader);
    EXPECT_TRUE(Has(page, "Upgrade Cost"));
    EXPECT_EQ(ColourOf("Ore:  50"), 0xFFFF4D33u) << "red: 49 ore is not enough";
    EXPECT_EQ(ColourOf("Fuel  25"), 0xFFCCCCCCu);
    EXPECT_TRUE(Has(page, "10 sec"));
    Heard("blip");
    ClickAndTick(panel->startButton);
    EXPECT_EQ(Heard("bad"), 1);
    EXPECT_FLOAT_EQ(gunner->processTimer, 0.0f);

    player->ore = 200.0f;
    ClickAndTick(panel->startButton);
    EXPECT_EQ(Heard("blip"), 1);
    EXPECT_FLOAT_EQ(player->ore, 150.0f);
    EXPECT_FLOAT_EQ(player->fuel, 75.0f);
    EXPECT_FLOAT_EQ(gunner->processTimer, 10.0f);
    EXPECT_FLOAT_EQ(upgrader->upgradeTotalTime, 10.0f);
    ClickAndTick(Choice(3));
    EXPECT_EQ(Heard("bad"), 1) << "no choosing while it runs";
    gunner->processTimer = 2.5f;
    page = Page(upgrader);
    EXPECT_FLOAT_EQ(panel->progress->value, 75.0f);
    EXPECT_FALSE(Has(page, "Upgrade Cost"));

    ClickAndTick(panel->cancelButton);
    EXPECT_FLOAT_EQ(player->ore, 200.0f) << "the whole price comes back";
    EXPECT_FLOAT_EQ(player->fuel, 100.0f);
    EXPECT_EQ(upgrader->HeldUnit(), nullptr);
    EXPECT_EQ(TheScene.Resolve(gunner, gunner->id), gunner) << "back in the level";
    EXPECT_EQ(gunner->upgradeFlags, 0u);

    // Let out before starting: nothing was paid, nothing comes back.
    upgrader->TakeUnitIn(gunner);
    upgrader->chosenUpgrades = 0x10;
    upgrader->LetUnitOut();
    EXPECT_FLOAT_EQ(player->ore, 200.0f);
    EXPECT_EQ(upgrader->chosenUpgrades, 0u);
    Page(upgrader);
    EXPECT_FALSE(panel->startButton->IsVisible()) << "nothing inside, nothing to start";
}

TEST_F(UnitUpgradeTest, TurretResearchAndRecyclerSections)
{
    BuildItem* turretKind = game->buildItems->Add(nullptr, "acid_turret");
    turretKind->flags = BUILD_TURRET;
    turretKind->weapon = 6;
    Building* turret = NewBuilding(turretKind);
    turret->kills = 3;
    std::vector<std::string> page = Page(turret);
    bool acid = false;
    for (const std::string& text : page) acid = acid || text.rfind("Acid damage: ", 0) == 0;
    EXPECT_TRUE(acid) << ::testing::PrintToString(page);
    EXPECT_TRUE(Has(page, "Kills: 3"));
    // One section only, the first in the fixed order: a factory's queue before a turret's weapon.
    turretKind->flags = BUILD_TURRET | BUILD_UNIT_FACTORY;
    page = Page(turret);
    EXPECT_TRUE(ProductionQueueWindow->IsVisible());
    EXPECT_FALSE(Has(page, "Kills: 3"));
    turretKind->flags = BUILD_TURRET;

    BuildItem* labKind = game->buildItems->Add(nullptr, "research");
    labKind->flags = BUILD_RESEARCH_COMPUTER;
    labKind->costPower = -20;
    Building* lab = NewBuilding(labKind);
    page = Page(lab);
    EXPECT_TRUE(Has(page, "Programs"));
    EXPECT_TRUE(Has(page, " [None]"));
    EXPECT_TRUE(Has(page, " Power: -20"));
    ProgramsPanel* programs = display->programsPanel;
    ASSERT_TRUE(programs->buttons[2]->IsVisible());
    // A click orders the program; the computer takes it at the next tick.
    const int wasState = game->state;
    game->state = GAME_STATE_PLAYING;
    auto clickAndTick = [&](Button* button, Building* target, uint16_t kind, int arg) {
        TheOrders.Clear();
        ClickButton(button);
        const std::vector<PlayerOrder> given = TheOrders.TakeForTick();
        ASSERT_EQ(given.size(), 1u);
        EXPECT_EQ(given[0].kind, kind);
        EXPECT_EQ(given[0].target, LevelNumberOf(target));
        EXPECT_EQ(given[0].args[0], arg);
        for (const PlayerOrder& order : given) ApplyPlayerOrder(order);
    };
    TheOrders.Clear();
    ClickButton(programs->buttons[2]);
    EXPECT_EQ(lab->researchKind, 0) << "nothing changes before the tick";
    clickAndTick(programs->buttons[2], lab, ORDER_RESEARCH_PROGRAM, 3);
    EXPECT_EQ(lab->researchKind, 3);
    EXPECT_FLOAT_EQ(lab->researchTimer, 10.0f);
    EXPECT_EQ(Heard("countdown"), 1);
    lab->researchTimer = 4.0f;
    clickAndTick(programs->buttons[2], lab, ORDER_RESEARCH_PROGRAM, 3);
    EXPECT_FLOAT_EQ(lab->researchTimer, 4.0f) << "the program running is not restarted";
    EXPECT_EQ(Heard("countdown"), 1) << "but the click is heard";
    page = Page(lab);
    EXPECT_TRUE(Has(page, " [Bot Learning]"));
    EXPECT_FLOAT_EQ(programs->loading->value, 60.0f);
    Page(turret);
    EXPECT_FALSE(programs->buttons[0]->IsEnabled()) << "hidden and disabled on any other page";

    BuildItem* recyclerKind = game->buildItems->Add(nullptr, "recycler");
    recyclerKind->flags = BUILD_UNIT_RECYCLER;
    Building* recycler = NewBuilding(recyclerKind);
    Page(recycler);
    EXPECT_FALSE(display->recycleStartButton->IsVisible()) << "empty: no controls";
    Agent* bot = NewUnit(&laser);
    TheScene.UnlinkEntity(bot);
    recycler->linkedEntity = bot;
    recycler->recycleTimer = 2.0f;
    Page(recycler);
    EXPECT_TRUE(display->recycleCancelButton->IsVisible());
    EXPECT_FALSE(display->recycleCancelButton->IsEnabled()) << "no way back while it runs";
    EXPECT_FLOAT_EQ(display->recyclerMeter->value, 40.0f);
    recycler->recycleTimer = 0.0f;
    Page(recycler);
    clickAndTick(display->recycleStartButton, recycler, ORDER_RECYCLE, 1);
    EXPECT_FLOAT_EQ(recycler->recycleTimer, 5.0f);
    recycler->recycleTimer = 0.0f;
    Page(recycler);
    TheOrders.Clear();
    ClickButton(display->recycleCancelButton);
    EXPECT_TRUE(recycler->linkedEntity.IsSet()) << "held until the tick";
    clickAndTick(display->recycleCancelButton, recycler, ORDER_RECYCLE, 0);
    EXPECT_FALSE(recycler->linkedEntity.IsSet());
    EXPECT_EQ(TheScene.Resolve(bot, bot->id), bot) << "the unit walks out again";
    game->state = wasState;
}

TEST_F(UnitUpgradeTest, TooltipsColourThePriceByWhatThePlayerHas)
{
    PlayerProfile* player = GetPlayerProfile();
    player->ore = 49.0f;
    player->fuel = 500.0f;
    Building* prototype = NewBuilding(nullptr);
    prototype->SetMaxHealth(750.0f);
    BuildItem* generator = game->buildItems->Add(nullptr, "generator");
    generator->prototype = prototype;
    generator->costOre = 50;
    generator->costFuel = 20;
    generator->costPower = -10;
    generator->buildTime = 30.0f;
    InfoTooltip& tip = *TheInfoTooltip;
    tip.ShowBuildingTooltip(generator);
    EXPECT_TRUE(tip.shown);
    EXPECT_STREQ(tip.labels[0]->GetText(), "<generator>");
    EXPECT_STREQ(tip.labels[1]->GetText(), "<generator_desc>");
    EXPECT_STREQ(tip.labels[2]->GetText(), "Ore:50");
    EXPECT_FLOAT_EQ(tip.labels[2]->g, 0.4f) << "49 ore: unaffordable";
    EXPECT_FLOAT_EQ(tip.labels[3]->g, 1.0f) << "the fuel is there";
    EXPECT_STREQ(tip.labels[4]->GetText(), "Build time: 30 seconds    Health: 750    Power: -10");
    EXPECT_STREQ(tip.labels[5]->GetText(), "") << "no weapon line but a turret's";
    EXPECT_GT(tip.labels[4]->y, tip.labels[2]->y);
    EXPECT_EQ(tip.window->x + tip.window->width, 1024) << "at the right edge";
    generator->resourcePower = 25;
    tip.ShowBuildingTooltip(generator);
    EXPECT_STREQ(tip.labels[4]->GetText(), "Build time: 30 seconds    Health: 750    Power: 25");

    AgentType* type = game->agentTypes->DefineType(NewUnit(nullptr), "scout");
    ASSERT_NE(type, nullptr);
    type->oreCost = 40;
    type->buildTime = 12.0f;
    tip.ShowUnitTooltip(type);
    EXPECT_STREQ(tip.labels[4]->GetText(), "Build time: 12 seconds        Health: 100");
    EXPECT_STREQ(tip.labels[5]->GetText(), "") << "no weapon and no melee";
    EXPECT_FLOAT_EQ(tip.labels[2]->g, 1.0f) << "40 ore is within reach";
    type->prototype->classWord |= AGENT_CLASS_MELEE;
    tip.ShowUnitTooltip(type);
    EXPECT_EQ(std::string(tip.labels[5]->GetText()).rfind("Melee damage  5.0   (", 0), 0u) << tip.labels[5]->GetText();
    type->prototype->weapon = new WeaponDef();
    type->prototype->weapon->CopyFrom(laser);
    tip.ShowUnitTooltip(type);
    EXPECT_EQ(std::string(tip.labels[5]->GetText()).rfind("Laser damage  10.0   (", 0), 0u) << tip.labels[5]->GetText();
    int withWeapon = tip.window->height;
    tip.ShowBuildingTooltip(generator);
    EXPECT_LT(tip.window->height, withWeapon) << "a line fewer without a weapon";

    // The upgrade choices explain themselves by their keys.
    Agent* gunner = NewUnit(&laser);
    upgrader->TakeUnitIn(gunner);
    Choice(9)->hoverEnterCallback(nullptr, Choice(9));
    EXPECT_STREQ(tip.labels[0]->GetText(), "<BU_ARMOR>");
    EXPECT_STREQ(tip.labels[1]->GetText(), "<BU_ARMOR_desc>");
    tip.Hide();
    EXPECT_FALSE(tip.shown);
}

TEST_F(UnitUpgradeTest, TheDisplaysButtonsCancelConstructionAndTheUnitInProduction)
{
    BuildItem* depot = game->buildItems->Add(nullptr, "depot");
    depot->costOre = 120;
    depot->costFuel = 30;
    depot->buildTime = 20.0f;
    Building* site = NewBuilding(depot);
    site->buildState = BUILD_STATE_CONSTRUCTING;
    Page(site);
    ASSERT_TRUE(display->cancelConstructionButton->IsVisible());
    TheOrders.Clear();
    ClickButton(display->cancelConstructionButton);
    EXPECT_TRUE(site->IsAlive()) << "taken down at the next tick";
    EXPECT_EQ(ClickAndTick(display->cancelConstructionButton), ORDER_CANCEL_CONSTRUCTION);
    EXPECT_FLOAT_EQ(GetPlayerProfile()->ore, 120.0f) << "the building's cost comes back";
    EXPECT_FLOAT_EQ(GetPlayerProfile()->fuel, 30.0f);
    EXPECT_FALSE(site->IsAlive());

    BuildItem* factoryKind = game->buildItems->Add(nullptr, "factory");
    factoryKind->flags = BUILD_UNIT_FACTORY;
    Building* factory = NewBuilding(factoryKind);
    AgentType scout, tank;
    scout.oreCost = 40;
    scout.buildTime = 10.0f;
    tank.oreCost = 200;
    tank.buildTime = 30.0f;
    for (AgentType* type : {&scout, &tank}) factory->EnsureBuildQueue()->PushBack(type);
    factory->productionTimer = 4.0f;
    GetPlayerProfile()->ore = 0.0f;
    GetPlayerProfile()->unitsInUse = 2;
    Page(factory);
    TheOrders.Clear();
    ClickButton(QueueButtons[0]);
    EXPECT_EQ(factory->buildQueue->count, 2) << "taken back at the next tick";
    EXPECT_EQ(ClickAndTick(QueueButtons[0]), ORDER_UNQUEUE_UNIT);
    ASSERT_EQ(factory->buildQueue->count, 1);
    EXPECT_EQ(factory->buildQueue->head->value, &tank) << "the unit in production is the one taken back";
    EXPECT_FLOAT_EQ(GetPlayerProfile()->ore, 40.0f);
    EXPECT_FLOAT_EQ(factory->productionTimer, 30.0f) << "the next one starts from its beginning";
    EXPECT_EQ(GetPlayerProfile()->unitsInUse, 1);
    factory->buildQueue->Clear();

    EXPECT_TRUE(display->buildMineButton->rightButtonAllowed) << "a right click takes back the mine in the making";

    // A mine layer's mine: paid and begun at the next tick, given up and paid back by the right
    // button.
    Agent* layer = NewUnit(nullptr, AGENT_CLASS_MINE_LAYER);
    GetPlayerProfile()->ore = 120.0f;
    GetPlayerProfile()->fuel = 60.0f;
    Select(layer);
    Page(layer);
    TheOrders.Clear();
    ClickButton(display->buildMineButton);
    EXPECT_FLOAT_EQ(layer->mineTimer, 0.0f) << "begun at the next tick";
    EXPECT_EQ(ClickAndTick(display->buildMineButton), ORDER_BUILD_MINE);
    EXPECT_FLOAT_EQ(layer->mineTimer, MINE_BUILD_SECONDS);
    EXPECT_FLOAT_EQ(GetPlayerProfile()->ore, 120.0f - MINE_ORE_COST);
    EXPECT_EQ(ClickAndTick(display->buildMineButton, 1), ORDER_BUILD_MINE);
    EXPECT_FLOAT_EQ(layer->mineTimer, 0.0f);
    EXPECT_FLOAT_EQ(GetPlayerProfile()->ore, 120.0f) << "paid back";
    EXPECT_FLOAT_EQ(GetPlayerProfile()->fuel, 60.0f);
}

TEST_F(UnitUpgradeTest, EveryTextTheTooltipsAskForIsShipped)
{
    StringTable strings;
    ASSERT_TRUE(strings.Init());
    std::vector<std::string> keys = {"Fire", "Acid", "Plasma"};
    for (const UnitUpgrade& entry : UnitUpgrades) keys.push_back(entry.name);
    for (const std::string& key : keys) {
        EXPECT_NE(strings.Lookup(("<" + key + ">").c_str()), nullptr) << key;
        EXPECT_NE(strings.Lookup(("<" + key + "_desc>").c_str()), nullptr) << key;
    }
    // The stances, the research programs and the mine builder explain themselves on hover.
    for (int id = 13; id <= 22; ++id) EXPECT_NE(strings.Lookup(("<tooltip_" + std::to_string(id) + ">").c_str()), nullptr) << id;
}
