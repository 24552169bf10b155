// A factory's production panel on a 1024 x 768 screen: its place and its buttons' places, one
// button for each unit the factory makes (a missing type keeps its place empty), hidden when
// the type is not the player's to make, red when it cannot be paid, and a click that queues.
#include "interface/PlayerGame.h"
#include "mechanics/OrderQueue.h"
#include "campaign/PlayerProfile.h"
#include "tests/campaign/ProfileTestSupport.h"
#include "gui/Button.h"
#include "render/Sprite.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/mechanics/SceneTestSupport.h"
#include "world/AgentTypeRegistry.h"

#include <memory>

namespace {

class BuildingPanelTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        ASSERT_TRUE(TheScene.InitLists());
        game.CreateCatalogues();
        TheScene.ReleaseEntities();
    }
    void TearDown() override
    {
        ReleaseBuildPanels();
        TheScene.ReleaseEntities();
        GuiTest::TearDown();
    }
    AgentType* Type(const char* name, int ore, int price)
    {
        Agent* prototype = game.agentTypes->TakeFreeAgent();
        CopyText(prototype->name, sizeof prototype->name, name);
        game.agentTypes->prototypes.PushBack(prototype);
        AgentType* type = game.agentTypes->DefineType(prototype, name);
        type->oreCost = ore;
        type->buyCost = price;
        type->buildTime = 3.0f;
        return type;
    }

    PlayerGame game;
    ScopedGlobal<GameMechanics*> current{TheGame, &game};
    ScopedClearProfile clearProfile;
};

}  // namespace

TEST_F(BuildingPanelTest, AFactoryShowsItsUnitsAndAClickQueuesOne)
{
    AgentType* tank = Type("tank", 100, 0);
    AgentType* scout = Type("scout", 20, 0);
    AgentType* elite = Type("elite", 20, 500);  // sold in the shop, not bought yet
    AgentType* walker = Type("walker", 20, 0);
    BuildItem* works = game.buildItems->Add(nullptr, "works");
    works->flags = BUILD_UNIT_FACTORY;
    works->units = new PooledList<BuildableUnit>();
    works->units->Init(MAX_BUILDABLE_UNITS);
    for (const char* name : {"tank", "ghost", "scout", "elite", "walker"}) {
        BuildableUnit unit{};
        CopyText(unit.name, sizeof unit.name, name);
        works->units->PushBack(unit);
    }
    Building* factory = new Building();
    factory->alignment = ALIGN_PLAYER;
    factory->definition = works;
    ASSERT_NE(TheScene.AddEntity(factory), nullptr);
    PlayerProfile* profile = GetPlayerProfile();
    profile->ore = 50.0f;
    profile->unitControl = 10;

    factory->flags |= ENTITY_SELECTION;
    factory->OnSelect();
    BuildPanel* panel = GetBuildPanel(works, false);
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->window->IsVisible());
    EXPECT_EQ(panel->window->x, 1024 - 298);
    EXPECT_EQ(panel->window->y, 768 - 146);
    EXPECT_EQ(panel->window->width, 298);
    EXPECT_EQ(panel->window->height, 146);
    ASSERT_EQ(panel->buttonCount, 4) << "the missing type takes no button";
    struct Expected {
        AgentType* type;
        int x, y;
        bool visible;
        uint32_t colour;
    } expected[] = {
        {tank, 48, 18, true, 0xFFFF1A1A},   // 100 ore: too dear
        {scout, 164, 18, true, 0xFFFFFFFF},  // after the missing type's place
        {elite, 222, 18, false, 0xFFFFFFFF},
        {walker, 48, 76, true, 0xFFFFFFFF},  // four places to a row
    };
    for (int i = 0; i < panel->buttonCount; ++i) {
        SCOPED_TRACE(i);
        Button* button = panel->buttons[i].button;
        EXPECT_EQ(panel->buttons[i].type, expected[i].type);
        EXPECT_EQ(button->x, expected[i].x);
        EXPECT_EQ(button->y, expected[i].y);
        EXPECT_EQ(button->width, 52);
        EXPECT_EQ(button->height, 52);
        EXPECT_EQ(button->IsVisible(), expected[i].visible);
        ASSERT_NE(button->unpressedSprite, nullptr);
        EXPECT_EQ(button->unpressedSprite->colour, expected[i].colour);
    }

    // A click on the scout's button orders one.
    Button* scoutButton = panel->buttons[1].button;
    int x = 0, y = 0;
    scoutButton->GetScreenPosition(&x, &y);
    Click(x + 10, y + 10);
    // The click gives the factory an order for a scout; the world carries it out at the next
    // tick (the walks of a base see the scout made).
    EXPECT_EQ(factory->buildQueue, nullptr) << "the order waits for the next tick";
    const std::vector<PlayerOrder> given = TheOrders.TakeForTick();
    ASSERT_EQ(given.size(), 1u);
    EXPECT_EQ(given[0].kind, ORDER_QUEUE_UNIT);
    EXPECT_EQ(given[0].target, LevelNumberOf(factory));
    EXPECT_STREQ(given[0].text.c_str(), scout->name);

    // Without a selected building the click orders nothing.
    factory->flags &= ~ENTITY_SELECTION;
    Click(x + 10, y + 10);
    EXPECT_EQ(TheOrders.Waiting(), 0u);

    factory->OnDeselect();
    EXPECT_FALSE(panel->window->IsVisible());
}
