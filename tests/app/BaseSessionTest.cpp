// A base as a player builds it, all with the mouse in the real game: the rig is selected, the
// factory chosen on the HUD's build panel and put down on open ground, the rig builds it, and
// the finished factory makes a miner from its panel. The factory in hand stands on the cells its
// footprint shows and takes exactly those; finished, it looks as it does after a save and a load.
#include "tests/app/PlayerSessionSupport.h"

#include "gui/Button.h"
#include "campaign/LevelLoadSave.h"
#include "interface/InGameMenu.h"
#include "interface/MissionHud.h"
#include "interface/SceneOverlays.h"
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
    // A shot of the next frame, the part of it around a point of the world.
    Pixels ShotAround(const Vec3& point, const char* name)
    {
        Image shot;
        const Vec3 at = ProjectToScreen(point);
        if (!ShotOfNextFrame(base + "/" + name + ".png", shot)) return Pixels();
        return CropPixels(ToPixels(shot), (int)at.x - 110, (int)at.y - 110, (int)at.x + 110, (int)at.y + 110);
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

    // Held over open ground beside the rig, it stands in the middle of its green footprint.
    Vec3 site, origin;
    ASSERT_TRUE(FindOpenGround(rig->GetPosition(), &site));
    int siteX = 0, siteY = 0, columns = 0, rows = 0;
    ASSERT_TRUE(OnScreen(site, &siteX, &siteY));
    MoveMouseTo(siteX, siteY);
    Passes(2, 0.05f);
    ASSERT_TRUE(PlacementFootprint(TheGame->buildItems->current, TheGame->grid, &origin, &columns, &rows));
    const Pixels held = ShotAround(TheGame->buildItems->current->prototype->GetPosition(), "factory_in_hand");
    int left = held.width, top = held.height, right = 0, bottom = 0;
    for (int y = 0; y < held.height; ++y)
        for (int x = 0; x < held.width; ++x)
            if (Green(held.At(x, y)) > 200 && Red(held.At(x, y)) < 120 && Blue(held.At(x, y)) < 120) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
    EXPECT_NEAR((left + right) / 2, held.width / 2, 10) << "the model's foot in the middle of its footprint";
    EXPECT_NEAR((top + bottom) / 2, held.height / 2, 10);
    EXPECT_TRUE(MatchesReference(held, "factory_in_hand", {12, held.width * held.height / 50}));

    // Put down there; the rig walks over and builds it.
    Building* factory = PutDownAt(site, "bot_factory");
    ASSERT_NE(factory, nullptr) << "the factory was placed";
    EXPECT_FLOAT_EQ(profile->ore, 50.0f) << "it was paid for";
    EXPECT_EQ(factory->buildState, BUILD_STATE_CONSTRUCTING);
    PlayWithoutPictures(120.0f, 0.1f, [&] { return factory->buildState != BUILD_STATE_READY; });
    EXPECT_EQ(factory->buildState, BUILD_STATE_READY) << "the rig finished the factory within two minutes";
    // It took the cells its footprint showed, no more and no fewer.
    int column = -1, row = -1, taken = 0, outside = 0;
    ASSERT_TRUE(TheGame->grid->WorldToCell(origin + Vec3(1.25f, 0.0f, 1.25f), &column, &row));
    for (const GridCell* cell = factory->gridCell; cell && taken < 64; cell = cell->next, ++taken)
        outside += cell->column < column || cell->column >= column + columns || cell->row < row ||
                   cell->row >= row + rows;
    EXPECT_EQ(taken, columns * rows);
    EXPECT_EQ(outside, 0);

    // Finished, it looks as it does after a save and a load: nothing of its building site hangs
    // over it. (The load brings the camera of the mission's start: the picture keeps the view.)
    Passes(40, 0.1f);
    const PictureTolerance same{16, 220 * 220 / 25};
    EXPECT_TRUE(MatchesReference(ShotAround(factory->GetPosition(), "factory_built"), "factory_built", same));
    const Camera view = GameCamera;
    Press(DIK_ESCAPE);
    ClickOn(FindShownButton(TheInGameMenu->menuWindow, "Save Game"));
    ClickOn(FindShownButton(TheLevelLoadSaveGui, "Save"));
    ClickOn(FindShownButton(TheInGameMenu->menuWindow, "Load Game"));
    ClickOn(FindShownButton(TheLevelLoadSaveGui, "Load"));
    UntilPlaying();
    factory = FindPlayerBuilding("bot_factory");
    ASSERT_NE(factory, nullptr) << "the factory was loaded";
    GameCamera = view;
    Passes(40, 0.1f);
    EXPECT_TRUE(MatchesReference(ShotAround(factory->GetPosition(), "factory_loaded"), "factory_built", same));

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
    Passes(5, 0.02f);  // the panel's order is carried out at the next tick
    EXPECT_FLOAT_EQ(profile->ore, 0.0f) << "the miner was paid for";
    PlayWithoutPictures(60.0f, 0.1f, [&] { return CountPlayerAgents("miner") == miners; });
    EXPECT_EQ(CountPlayerAgents("miner"), miners + 1) << "the miner came out of the factory";
}

}  // namespace
