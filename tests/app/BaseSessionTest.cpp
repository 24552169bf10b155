// A base as a player builds it, all with the mouse in the real game: the rig is selected, the
// factory chosen on the HUD's build panel and put down on open ground, the rig builds it, and
// the finished factory makes a miner from its panel. The factory in hand stands on the cells its
// footprint shows and takes exactly those; finished, it looks as it does after a save and a load.
#include "tests/app/PlayerSessionSupport.h"

#include "gui/Button.h"
#include "campaign/LevelLoadSave.h"
#include "interface/InGameMenu.h"
#include "interface/MissionHud.h"
#include "mechanics/SceneOverlays.h"
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
    // The part of the screen a building's box covers, and that part of a shot of the next frame.
    static Pixels ShotOf(Building* building, const std::string& path)
    {
        Vec3 low, high;
        int x0 = 100000, y0 = 100000, x1 = -1, y1 = -1;
        if (building->GetWorldBounds(&low, &high))
            for (int corner = 0; corner < 8; ++corner) {
                Vec3 at = ProjectToScreen(Vec3(corner & 1 ? high.x : low.x, corner & 2 ? high.y : low.y, corner & 4 ? high.z : low.z));
                x0 = std::min(x0, (int)at.x), y0 = std::min(y0, (int)at.y);
                x1 = std::max(x1, (int)at.x), y1 = std::max(y1, (int)at.y);
            }
        Image shot;
        if (x1 < 0 || !ShotOfNextFrame(path, shot)) return Pixels();
        Pixels picture = ToPixels(shot);
        return CropPixels(picture, std::max(x0, 0), std::max(y0, 0), std::min(x1, picture.width), std::min(y1, picture.height));
    }
    // Pixels of the two pictures that differ by more than a shade.
    static int Differing(const Pixels& a, const Pixels& b)
    {
        int count = 0;
        for (int y = 0; y < std::min(a.height, b.height); ++y)
            for (int x = 0; x < std::min(a.width, b.width); ++x) {
                uint32_t p = a.At(x, y), q = b.At(x, y);
                count += std::abs(Red(p) - Red(q)) > 40 || std::abs(Green(p) - Green(q)) > 40 || std::abs(Blue(p) - Blue(q)) > 40;
            }
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

    // Held over open ground beside the rig, it stands in the middle of its green footprint.
    Vec3 site;
    ASSERT_TRUE(FindOpenGround(rig->GetPosition(), &site));
    int siteX = 0, siteY = 0;
    ASSERT_TRUE(OnScreen(site, &siteX, &siteY));
    MoveMouseTo(siteX, siteY);
    Passes(2, 0.05f);
    Vec3 origin;
    int columns = 0, rows = 0;
    ASSERT_TRUE(PlacementFootprint(TheGame->buildItems->current, TheGame->grid, &origin, &columns, &rows));
    int footX = 0, footY = 0;
    ASSERT_TRUE(OnScreen(TheGame->buildItems->current->prototype->GetPosition(), &footX, &footY));
    Image held;
    ASSERT_TRUE(ShotOfNextFrame(base + "/factory_in_hand.png", held));
    Pixels inHand = ToPixels(held);
    int left = inHand.width, top = inHand.height, right = 0, bottom = 0;
    for (int y = std::max(footY - 150, 0); y < std::min(footY + 150, inHand.height); ++y)
        for (int x = std::max(footX - 150, 0); x < std::min(footX + 150, inHand.width); ++x) {
            uint32_t c = inHand.At(x, y);
            if (Green(c) < 200 || Red(c) > 120 || Blue(c) > 120) continue;
            left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
        }
    ASSERT_LT(left, right) << "the footprint shows";
    EXPECT_NEAR((left + right) / 2, footX, 10) << "the model's foot in the middle of its footprint";
    EXPECT_NEAR((top + bottom) / 2, footY, 10);
    EXPECT_TRUE(MatchesReference(CropPixels(inHand, left - 20, top - 80, right + 20, bottom + 20), "factory_in_hand",
                                 {12, (right - left) * (bottom - top) / 50}));

    // Put down there; the rig walks over and builds it.
    Building* factory = PutDownAt(site, "bot_factory");
    ASSERT_NE(factory, nullptr) << "the factory was placed";
    EXPECT_FLOAT_EQ(profile->ore, 50.0f) << "it was paid for";
    EXPECT_EQ(factory->buildState, BUILD_STATE_CONSTRUCTING);
    for (int second = 0; second < 120 && factory->buildState != BUILD_STATE_READY; ++second) Passes(10, 0.1f);
    EXPECT_EQ(factory->buildState, BUILD_STATE_READY) << "the rig finished the factory within two minutes";
    // It took the cells its footprint showed, no more and no fewer.
    int column = -1, row = -1, taken = 0, outside = 0;
    ASSERT_TRUE(TheGame->grid->WorldToCell(origin + Vec3(1.25f, 0.0f, 1.25f), &column, &row));
    for (const GridCell* cell = factory->gridCell; cell && taken < 64; cell = cell->next, ++taken)
        outside += cell->column < column || cell->column >= column + columns || cell->row < row || cell->row >= row + rows;
    EXPECT_EQ(taken, columns * rows);
    EXPECT_EQ(outside, 0);

    // Finished, it looks as it does after a save and a load: nothing of its building site hangs
    // over it.
    Passes(40, 0.1f);
    const Pixels built = ShotOf(factory, base + "/factory_built.png");
    ASSERT_GT(built.width * built.height, 400);
    EXPECT_TRUE(MatchesReference(built, "factory_built", {12, built.width * built.height / 50}));
    // The load brings the camera of the save's start; the picture is taken with the view of now.
    const Camera view = GameCamera;
    Press(DIK_ESCAPE);
    ASSERT_TRUE(TheInGameMenu->menuShown);
    ClickOn(FindShownButton(TheInGameMenu->menuWindow, "Save Game"));
    ClickOn(FindShownButton(TheLevelLoadSaveGui, "Save"));
    ClickOn(FindShownButton(TheInGameMenu->menuWindow, "Load Game"));
    ASSERT_TRUE(TheLevelLoadSaveGui->shown && TheLevelLoadSaveGui->loadMode);
    ClickOn(FindShownButton(TheLevelLoadSaveGui, "Load"));
    UntilPlaying();
    factory = FindPlayerBuilding("bot_factory");
    ASSERT_NE(factory, nullptr) << "the factory was loaded";
    GameCamera = view;
    Passes(40, 0.1f);
    const Pixels loaded = ShotOf(factory, base + "/factory_loaded.png");
    ASSERT_EQ(loaded.width * loaded.height, built.width * built.height) << "the camera looks at it as before";
    EXPECT_LT(Differing(built, loaded), built.width * built.height / 20);

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
