// A base as a player builds it, all with the mouse in the real game: the rig is selected, the
// factory chosen on the HUD's build panel and put down on open ground, the rig builds it, and
// the finished factory makes a miner from its panel.
#include "tests/app/PlayerSessionSupport.h"

#include "gui/Button.h"
#include "interface/MissionHud.h"
#include "world/AgentTypeRegistry.h"
#include "world/BuildItem.h"
#include "world/Building.h"

using namespace playersession;

namespace {

class BaseSession : public PlayerSession {
protected:
    int CountPlayerAgents(const char* name)
    {
        int count = 0;
        for (Entity* entity = TheScene.FirstInCategory(CATEGORY_ALL, 0); entity; entity = TheScene.NextInCategory())
            count += (entity->flags & ENTITY_AGENT) && entity->alignment == ALIGN_PLAYER && StrICmp(entity->name, name) == 0;
        return count;
    }
};

TEST_F(BaseSession, TheRigPutsUpAFactoryThatMakesAMiner)
{
    ASSERT_TRUE(IntoAForestMission());
    PlayerProfile* profile = GetPlayerProfile();
    EXPECT_FLOAT_EQ(profile->ore, 200.0f) << "a mission starts with 200 ore";

    // The rig selected with a click shows its build panel.
    Agent* rig = GetPlayerRig();
    ASSERT_NE(rig, nullptr);
    int rigX = 0, rigY = 0;
    ASSERT_TRUE(OnScreen(rig->GetPosition(), &rigX, &rigY));
    MoveMouseTo(rigX, rigY - 4);
    Click(0);
    ASSERT_EQ(TheGame->GetFirstSelected(), rig);
    Passes(2, 0.05f);
    MissionHud& hud = TheMissionHud;
    ASSERT_TRUE(hud.buildPanel && hud.buildPanel->IsVisible()) << "the rig's build panel is open";

    // The factory's tab, then its button: the factory follows the cursor until it is placed.
    Button* factoryButton = nullptr;
    int tab = 0;
    for (auto* node = hud.buildButtons.head; node; node = node->next)
        if (node->value.item && StrICmp(node->value.item->name, "bot_factory") == 0) {
            factoryButton = node->value.button;
            tab = node->value.item->category;
        }
    ASSERT_NE(factoryButton, nullptr) << "the factory is on the build panel";
    if (tab > 0 && tab < BUILD_TABS && hud.buildTabs[tab]) ClickOn(hud.buildTabs[tab]);
    ASSERT_TRUE(factoryButton->IsVisible()) << "its tab shows it";
    ClickOn(factoryButton);
    ASSERT_NE(TheGame->buildItems->current, nullptr) << "the factory waits to be placed";

    // Put down on open ground beside the rig; the rig walks over and builds it.
    Vec3 site;
    ASSERT_TRUE(FindOpenGround(rig->GetPosition(), &site));
    Building* factory = PutDownAt(site, "bot_factory");
    ASSERT_NE(factory, nullptr) << "the factory was placed";
    EXPECT_FLOAT_EQ(profile->ore, 50.0f) << "it was paid for";
    EXPECT_EQ(factory->buildState, BUILD_STATE_CONSTRUCTING);
    for (int second = 0; second < 120 && factory->buildState != BUILD_STATE_READY; ++second) Passes(10, 0.1f);
    EXPECT_EQ(factory->buildState, BUILD_STATE_READY) << "the rig finished the factory within two minutes";

    // The finished factory, selected, makes a miner from its panel.
    int factoryX = 0, factoryY = 0;
    ASSERT_TRUE(OnScreen(factory->GetCenter(), &factoryX, &factoryY) || OnScreen(factory->GetPosition(), &factoryX, &factoryY));
    MoveMouseTo(factoryX, factoryY);
    Click(0);
    ASSERT_EQ(TheGame->GetFirstSelected(), factory) << "a click selects the factory";
    Passes(2, 0.05f);
    BuildPanel* panel = GetBuildPanel(factory->definition, false);
    ASSERT_TRUE(panel && panel->window->IsVisible()) << "the factory's panel shows";
    Button* minerButton = nullptr;
    for (int i = 0; i < panel->buttonCount; ++i)
        if (panel->buttons[i].type && StrICmp(panel->buttons[i].type->name, "miner") == 0) minerButton = panel->buttons[i].button;
    ASSERT_NE(minerButton, nullptr);
    const int miners = CountPlayerAgents("miner");
    ClickOn(minerButton);
    EXPECT_FLOAT_EQ(profile->ore, 0.0f) << "the miner was paid for";
    for (int second = 0; second < 60 && CountPlayerAgents("miner") == miners; ++second) Passes(10, 0.1f);
    EXPECT_EQ(CountPlayerAgents("miner"), miners + 1) << "the miner came out of the factory";
}

}  // namespace
