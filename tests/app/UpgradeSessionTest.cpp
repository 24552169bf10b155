// A bot upgraded as a player does it, with the mouse in the real game: an upgrader stands
// beside the rig (put down free, as the developer's instant build does), a gunner is sent into
// it with a right click, the upgrader's page offers the gunner's upgrades and explains them on
// hover, an upgrade is started and cancelled again with the whole price paid back; then the
// rig's build panel explains a building on hover, price and all, and a click on the
// upgrader's portrait brings the camera over it.
#include "tests/app/PlayerSessionSupport.h"

#include "gui/Button.h"
#include "gui/GuiDraw.h"
#include "gui/Label.h"
#include "interface/InfoTooltip.h"
#include "interface/MissionHud.h"
#include "interface/UnitUpgrade.h"
#include "world/BuildItem.h"
#include "world/Building.h"

using namespace playersession;

namespace {

class UpgradeSession : public PlayerSession {
protected:
    void MoveOnto(const Window* window)
    {
        int x = 0, y = 0;
        window->GetScreenPosition(&x, &y);
        MoveMouseTo(x + window->width / 2, y + window->height / 2);
    }
    // The frame as drawn, the cursor where the hand left it.
    Pixels Frame()
    {
        RenderFrame();
        return ReadBackBuffer(Graphics->device);
    }
    Button* Choice(int entry)
    {
        UpgradePanel* panel = GetUpgradePanel();
        if (!panel) return nullptr;
        for (Button* button : panel->choices)
            if (button && button->IsVisible() && button->id == entry) return button;
        return nullptr;
    }
};

TEST_F(UpgradeSession, AGunnerGoesIntoTheUpgraderAndAnUpgradeIsStartedAndCancelled)
{
    ASSERT_TRUE(IntoAForestMission());
    PlayerProfile* profile = GetPlayerProfile();
    profile->ore = 500.0f;
    profile->fuel = 200.0f;
    Agent* rig = GetPlayerRig();
    ASSERT_NE(rig, nullptr);

    // A gunner of the player's on one side of the rig.
    Agent* gunner = PlaceUnit("gunner_bot", rig->GetPosition());
    ASSERT_NE(gunner, nullptr);

    // The upgrader, free and finished at once, put down with a click on the other side.
    ASSERT_TRUE(TheGame->buildItems->SetCurrent("bot_upgrader", true));
    Vec3 site, away = rig->GetPosition() * 3.0f - gunner->GetPosition() * 2.0f;
    ASSERT_TRUE(FindOpenGround(away, &site) || FindOpenGround(rig->GetPosition(), &site));
    Building* upgrader = PutDownAt(site, "bot_upgrader");
    ASSERT_NE(upgrader, nullptr) << "the upgrader was placed";
    ASSERT_EQ(upgrader->buildState, BUILD_STATE_READY);
    Passes(4, 0.05f);

    // The gunner selected with a click and sent in with a right click on the upgrader.
    int x = 0, y = 0;
    ASSERT_TRUE(ClickAt(gunner->GetCenter(), 0));
    ASSERT_EQ(TheGame->GetFirstSelected(), gunner);
    ASSERT_TRUE(ClickAt(upgrader->GetCenter(), 1));
    for (int second = 0; second < 20 && upgrader->HeldUnit() != gunner; ++second) Passes(5, 0.2f);
    ASSERT_EQ(upgrader->HeldUnit(), gunner) << "the gunner walked into the upgrader";
    EXPECT_FALSE(InLevel(gunner)) << "inside, it is out of the level";

    // The upgrader selected: its page offers what fits a gunner.
    ASSERT_TRUE(ClickAt(upgrader->GetCenter(), 0));
    ASSERT_EQ(TheGame->GetFirstSelected(), upgrader) << "a click selects the upgrader";
    Passes(2, 0.05f);
    UpgradePanel* panel = GetUpgradePanel();
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(panel->window->IsVisible()) << "the upgrade panel shows";
    Button* hull = Choice(2);
    ASSERT_NE(hull, nullptr) << "every unit may take a better hull";
    EXPECT_NE(Choice(1), nullptr) << "an armed unit a stronger weapon";
    EXPECT_EQ(Choice(6), nullptr) << "no mining upgrades for a gunner";

    // Resting on a choice explains it.
    MoveOnto(hull);
    Passes(2, 0.05f);
    ASSERT_NE(TheInfoTooltip, nullptr);
    EXPECT_TRUE(TheInfoTooltip->shown);
    EXPECT_STREQ(GuiDisplayText(TheInfoTooltip->labels[0]->GetText()), "Hull");

    // Hull 1 chosen and started: 50 ore, 25 fuel, at the next tick after each click.
    Click(0);
    UntilTick();
    EXPECT_EQ(upgrader->chosenUpgrades, 0x10u);
    EXPECT_STREQ(hull->text, "1");
    ClickOn(panel->startButton);
    UntilTick();
    EXPECT_GT(gunner->processTimer, 0.0f) << "the upgrade runs";
    EXPECT_FLOAT_EQ(profile->ore, 450.0f);
    EXPECT_FLOAT_EQ(profile->fuel, 175.0f);
    Passes(6, 0.1f);
    MoveOnto(hull);
    Passes(1, 0.05f);
    // The picture of the page (the portrait, the choices, the progress) and of the tooltip.
    Pixels frame = Frame();
    const Window* shown = TheEntityInfoGui;
    EXPECT_TRUE(MatchesReference(CropPixels(frame, shown->x, shown->y, shown->x + shown->width, shown->y + shown->height),
                                 "upgrade_session_page", {16, shown->width * shown->height / 50}));
    shown = TheInfoTooltip->window;
    EXPECT_TRUE(MatchesReference(CropPixels(frame, shown->x, shown->y, shown->x + shown->width, shown->y + shown->height),
                                 "upgrade_session_choice_tooltip", {16, shown->width * shown->height / 50}));

    // Cancelled: the gunner comes out and the whole price comes back.
    ClickOn(panel->cancelButton);
    UntilTick();
    EXPECT_EQ(upgrader->HeldUnit(), nullptr);
    EXPECT_TRUE(InLevel(gunner)) << "the gunner is back in the level";
    EXPECT_FLOAT_EQ(profile->ore, 500.0f);
    EXPECT_FLOAT_EQ(profile->fuel, 200.0f);
    EXPECT_EQ(gunner->upgradeFlags, 0u) << "nothing it did not finish";

    // The rig's build panel: resting on the factory's button shows what it costs.
    ASSERT_TRUE(OnScreen(rig->GetCenter(), &x, &y));
    MoveMouseTo(x, y - 4);
    Click(0);
    ASSERT_EQ(TheGame->GetFirstSelected(), rig);
    Passes(2, 0.05f);
    MissionHud& hud = TheMissionHud;
    Button* factoryButton = nullptr;
    const BuildItem* factory = nullptr;
    for (auto* node = hud.buildButtons.head; node; node = node->next)
        if (node->value.item && StrICmp(node->value.item->name, "bot_factory") == 0) {
            factoryButton = node->value.button;
            factory = node->value.item;
        }
    ASSERT_NE(factoryButton, nullptr);
    int tab = factory->category;
    if (tab > 0 && tab < BUILD_TABS && hud.buildTabs[tab]) ClickOn(hud.buildTabs[tab]);
    MoveOnto(factoryButton);
    Passes(2, 0.05f);
    EXPECT_TRUE(TheInfoTooltip->shown) << "the build tooltip shows on hover";
    char ore[32];
    snprintf(ore, sizeof ore, "Ore:%d", factory->costOre);
    EXPECT_STREQ(TheInfoTooltip->labels[2]->GetText(), ore);
    EXPECT_FLOAT_EQ(TheInfoTooltip->labels[2]->g, 1.0f) << "500 ore pays for it: green";
    frame = Frame();
    EXPECT_TRUE(MatchesReference(CropPixels(frame, shown->x, shown->y, shown->x + shown->width, shown->y + shown->height),
                                 "upgrade_session_build_tooltip", {16, shown->width * shown->height / 50}));

    // The upgrader selected again, a click on its portrait brings the camera over it.
    ASSERT_TRUE(ClickAt(upgrader->GetCenter(), 0));
    ASSERT_EQ(TheGame->GetFirstSelected(), upgrader);
    int before = std::abs(x - Config->width / 2) + std::abs(y - Config->height / 2);
    ClickOn(TheEntityInfoGui->portraitButton);
    Passes(1, 0.05f);
    ASSERT_TRUE(OnScreen(upgrader->GetCenter(), &x, &y));
    EXPECT_NEAR(x, Config->width / 2, Config->width / 16) << "the upgrader in the middle of the view";
    EXPECT_NEAR(y, Config->height / 2, Config->height / 8);
    EXPECT_LT(std::abs(x - Config->width / 2) + std::abs(y - Config->height / 2), before);
}

}  // namespace
