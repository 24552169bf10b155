// The mission HUD: its windows laid out from the screen height, the build panel's rows, the
// command panel by mask, the resource bar's counters and rates, the group statistics, the
// tooltip's delay, the cursor's picture and the resource hints.
#include "campaign/PlayerProfile.h"
#include "gui/Button.h"
#include "gui/EditBox.h"
#include "gui/Label.h"
#include "host/Log.h"
#include "interface/EntityInfoGui.h"
#include "interface/InfoTooltip.h"
#include "interface/Inventory.h"
#include "interface/MissionHud.h"
#include "interface/ObjectivesPanel.h"
#include "interface/PlayerGame.h"
#include "mechanics/Objectives.h"
#include "platform/Timer.h"
#include "render/HintBox.h"
#include "terrain/ScanPulses.h"
#include "mechanics/Scene.h"
#include "tests/interface/InterfaceTestSupport.h"
#include "tests/support/Scoped.h"
#include "world/Agent.h"
#include "world/BuildItem.h"
#include "world/Building.h"
#include "world/Item.h"
#include "world/WeaponDef.h"

#include <cstring>
#include <memory>
#include <set>

namespace {

class MissionHudTest : public HudTest {
protected:
    void SetUp() override
    {
        HudTest::SetUp();
        game->state = GAME_STATE_PLAYING;
        game->buildItems = new BuildItemList();
    }
    void TearDown() override
    {
        game->ClearSelection();
        HudTest::TearDown();
    }

    BuildItem* AddEntry(const char* name, int category, uint32_t flags = 0)
    {
        BuildItem* item = game->buildItems->Add(nullptr, name);
        item->category = category;
        item->flags = flags;
        CopyText(item->iconName, sizeof item->iconName, "data/gui/icons/building_icons.dds");
        item->iconCell = AtlasCellOf(8, 8, 0, 0);
        return item;
    }
    static int AtlasCellOf(int columns, int rows, int column, int row) { return columns << 24 | rows << 16 | column << 8 | row; }

    Button* ButtonOf(const BuildItem* item)
    {
        for (auto* node = TheMissionHud.buildButtons.head; node; node = node->next)
            if (node->value.item == item) return node->value.button;
        return nullptr;
    }
};

struct Box {
    int x, y, width, height;
};

Box BoxOf(const Window* window)
{
    return {window->x, window->y, window->width, window->height};
}

bool Overlap(const Box& a, const Box& b)
{
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

}  // namespace

TEST_F(MissionHudTest, TheWindowsAreLaidOutFromTheScreenHeight)
{
    struct Expect {
        int width, height;
        Box minimapBar, buildPanel, commandPanel, resourceBar;
        int minimapButtonX, minimapButtonY[3], minimapButtonSide;
        int commandButtonWidth, commandButtonHeight, step;
    };
    const Expect screens[] = {
        // 166 H/768, H - 111 H/512; 29 H/512 wide strip; 199 H/512 x 195 H/1024 panel; the
        // command panel at W/2 - 270 H/768, H - 169 H/1024 - 7 H/128; the bar W - 2H/3.
        {1024, 768, {166, 602, 43, 166}, {726, 622, 298, 146}, {242, 600, 0, 0}, {512, 0, 512, 32}, 5, {3, 42, 81}, 36, 39, 34, 43},
        {1280, 1024, {221, 802, 58, 222}, {882, 829, 398, 195}, {280, 799, 0, 0}, {598, 0, 682, 42}, 6, {5, 58, 111}, 48, 53, 46, 58},
    };
    for (const Expect& e : screens) {
        SCOPED_TRACE(e.height);
        ScopedGlobal<int> width(Config->width, e.width);
        ScopedGlobal<int> height(Config->height, e.height);
        AddEntry("generator", 0);
        ASSERT_TRUE(game->CreateHud());
        MissionHud& hud = TheMissionHud;
        ASSERT_TRUE(hud.built);
        Box bar = BoxOf(hud.minimapBar);
        EXPECT_EQ(bar.x, e.minimapBar.x);
        EXPECT_EQ(bar.y, e.minimapBar.y);
        EXPECT_EQ(hud.minimapBar->firstChild->width, e.minimapBar.width);
        EXPECT_EQ(hud.minimapBar->firstChild->height, e.minimapBar.height);
        int i = 0;
        for (Window* child = hud.minimapBar->firstChild->nextSibling; child; child = child->nextSibling, ++i) {
            EXPECT_EQ(child->x, e.minimapButtonX);
            EXPECT_EQ(child->y, e.minimapButtonY[i]);
            EXPECT_EQ(child->width, e.minimapButtonSide);
        }
        EXPECT_EQ(i, 3);
        Box build = BoxOf(hud.buildPanel);
        EXPECT_EQ(build.x, e.buildPanel.x);
        EXPECT_EQ(build.y, e.buildPanel.y);
        EXPECT_EQ(build.width, e.buildPanel.width);
        EXPECT_EQ(build.height, e.buildPanel.height);
        EXPECT_FALSE(hud.buildPanel->IsVisible()) << "the build panel waits for the rig";
        CommandPanel* commands = hud.commandPanel;
        EXPECT_EQ(commands->panel->x, e.commandPanel.x);
        EXPECT_EQ(commands->panel->y, e.commandPanel.y);
        EXPECT_EQ(commands->buttonWidth, e.commandButtonWidth);
        EXPECT_EQ(commands->buttonHeight, e.commandButtonHeight);
        EXPECT_EQ(commands->step, e.step);
        EXPECT_EQ(HudScanButton, commands->commandButtons[9]);
        EXPECT_STREQ(HudScanButton->text, "Scan");
        EXPECT_EQ(hud.resourceBar->x, e.resourceBar.x);
        EXPECT_EQ(hud.resourceBar->firstChild->width, e.resourceBar.width);
        EXPECT_EQ(hud.resourceBar->firstChild->height, e.resourceBar.height);
        EXPECT_EQ(hud.resourceBar->x + hud.resourceBar->width, e.width) << "the bar ends at the right edge";
        // Every top-level window of the HUD carries its id; the tool bar and the console wait hidden.
        for (Window* window : {hud.minimapBar, hud.buildPanel, commands->panel, hud.resourceBar, hud.menuBar})
            EXPECT_EQ(window->id, HUD_WINDOW_ID);
        EXPECT_EQ(hud.debugToolBar->id, DEBUG_TOOLBAR_ID);
        EXPECT_FALSE(hud.debugToolBar->IsVisible());
        EXPECT_FALSE(hud.consoleEditBox->IsVisible());
        EXPECT_EQ(hud.consoleEditBox->x, (e.width - e.height * 5 / 12) / 2);
        // The panels at the screen's edges do not overlap one another.
        Box panels[] = {BoxOf(hud.minimapBar), build, BoxOf(hud.resourceBar), BoxOf(hud.menuBar)};
        for (size_t a = 0; a < 4; ++a)
            for (size_t b = a + 1; b < 4; ++b) EXPECT_FALSE(Overlap(panels[a], panels[b])) << a << " and " << b;
        for (Font*& slot : game->fonts) slot = nullptr;
        delete game;
        game = new PlayerGame();
        for (Font*& slot : game->fonts) slot = &font;
        TheGame = game;
        game->state = GAME_STATE_PLAYING;
        game->buildItems = new BuildItemList();
        EXPECT_FALSE(TheMissionHud.built) << "the game object takes its HUD with it";
        EXPECT_EQ(HudScanButton, nullptr);
    }
}

TEST_F(MissionHudTest, BuildButtonsWrapAtFivePerTabAndSkipTheComputersOwn)
{
    std::vector<BuildItem*> base;
    for (int i = 0; i < 7; ++i) {
        if (i == 2) AddEntry("scavenger_hut", 0, BUILD_AI_CAN_BUILD);
        base.push_back(AddEntry(("base" + std::to_string(i)).c_str(), 0));
    }
    BuildItem* turret = AddEntry("turret", 2);
    BuildItem* lab = AddEntry("lab", 3);
    ASSERT_TRUE(game->CreateHud());
    // At 768 lines: items from x 2 + 42, 46 square with a gap of 4; rows 54 apart from 14 + 4.
    const struct {
        int index, x, y;
    } places[] = {{0, 44, 18}, {4, 44 + 4 * 50, 18}, {5, 44, 72}, {6, 94, 72}};
    for (const auto& p : places) {
        Button* button = ButtonOf(base[p.index]);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->x, p.x) << p.index;
        EXPECT_EQ(button->y, p.y) << p.index;
        EXPECT_EQ(button->group, 0);
    }
    EXPECT_EQ(TheMissionHud.buildButtons.count, 9) << "the computer's hut gets no button";
    EXPECT_EQ(ButtonOf(turret)->x, 44) << "each tab starts its own rows";
    EXPECT_EQ(ButtonOf(turret)->y, 18);
    EXPECT_EQ(ButtonOf(lab)->group, 2) << "later categories share the last tab";
    EXPECT_EQ(ButtonOf(lab)->x, 94);
    // Tab 1 shows; pressing tab 3 shows its buttons only.
    EXPECT_TRUE(TheMissionHud.buildTabs[0]->selected);
    EXPECT_TRUE(ButtonOf(turret)->flags & WINDOW_HIDDEN);
    intptr_t three = 3;
    BuildTabButton(&three, TheMissionHud.buildTabs[2]);
    EXPECT_TRUE(TheMissionHud.buildTabs[2]->selected);
    EXPECT_FALSE(TheMissionHud.buildTabs[0]->selected);
    EXPECT_FALSE(ButtonOf(turret)->flags & WINDOW_HIDDEN);
    EXPECT_TRUE(ButtonOf(base[0])->flags & WINDOW_HIDDEN);
}

// A tooltip leaves with its button: the building's tooltip when its tab is changed under the
// pointer, the tab's own when a dialog comes over it.
TEST_F(MissionHudTest, TooltipsGoWhenTheirButtonIsGoneOrCovered)
{
    BuildItem* miner = AddEntry("miner", 0);
    AddEntry("turret", 2);
    ASSERT_TRUE(game->CreateHud());
    ASSERT_NE(TheInfoTooltip, nullptr);
    MissionHud& hud = TheMissionHud;
    hud.buildPanel->SetVisible(true);
    ScopedGlobal<float> delta(FrameTimer.delta, 0.25f);
    auto centre = [](Button* button, int* x, int* y) {
        button->GetScreenPosition(x, y);
        *x += button->width / 2;
        *y += button->height / 2;
    };
    int x = 0, y = 0;
    centre(ButtonOf(miner), &x, &y);
    Pass(x, y);
    ASSERT_TRUE(TheInfoTooltip->shown) << "the miner's tooltip";
    intptr_t two = 2;  // a tab with nothing where the miner stood
    BuildTabButton(&two, hud.buildTabs[1]);
    Pass(x, y);
    EXPECT_FALSE(TheInfoTooltip->shown) << "the miner's button is gone from under the pointer";

    centre(hud.buildTabs[1], &x, &y);
    for (int i = 0; i < 4; ++i) Pass(x, y);
    ASSERT_TRUE(hud.tooltipVisible) << "the tab's tooltip";
    Window dialog(0, 0, 100, 100, 0, nullptr, 0);
    manager.AddWindow(&dialog);
    manager.modal = &dialog;
    Pass(x, y);
    EXPECT_FALSE(hud.tooltipVisible) << "the dialog covers the tab";
    manager.modal = nullptr;
    manager.windows.Remove(&dialog);
}

TEST_F(MissionHudTest, TheBuildPanelTakesNoMoreButtonsThanItHolds)
{
    for (int i = 0; i < 40; ++i) AddEntry(("b" + std::to_string(i)).c_str(), i % 3);
    LogCaptureBegin();
    ASSERT_TRUE(game->CreateHud());
    std::string log = LogCaptureEnd();
    EXPECT_EQ(TheMissionHud.buildButtons.count, BUILD_BUTTON_CAPACITY);
    EXPECT_NE(log.find("WARNING: the build panel holds 32 buttons; 'b32'"), std::string::npos) << log;
}

TEST_F(MissionHudTest, ASecondLevelStartBuildsNothingAndShowsTheHudAgain)
{
    AddEntry("generator", 0);
    ASSERT_TRUE(game->CreateHud());
    int windows = manager.WindowCount();
    Window* bar = TheMissionHud.resourceBar;
    game->EndLevel();
    EXPECT_TRUE(bar->flags & WINDOW_HIDDEN) << "a level's end hides the HUD";
    ASSERT_TRUE(game->CreateHud());
    EXPECT_EQ(manager.WindowCount(), windows);
    EXPECT_EQ(TheMissionHud.resourceBar, bar);
    EXPECT_FALSE(bar->flags & WINDOW_HIDDEN);
    EXPECT_TRUE(TheMissionHud.buildPanel->flags & WINDOW_HIDDEN);
}

TEST_F(MissionHudTest, TheCommandPanelLaysOutTheUnitsCommands)
{
    ASSERT_TRUE(game->CreateHud());
    CommandPanel* panel = TheMissionHud.commandPanel;
    // After the four quick slots: 2 x 4 + 4 x 36 = 152, buttons 39 wide, 43 apart.
    const struct {
        int mask;
        std::vector<int> shown;  // button indices in order
        int backgroundWidth;
    } cases[] = {
        {0x1 | 0x2 | 0x4, {0, 1, 2}, 152 + 3 * 43},
        {0x1 | 0x200, {0, 9}, 152 + 2 * 43 + 39},
        {0x8, {3}, 152 + 43},
    };
    for (const auto& c : cases) {
        panel->Show(true, c.mask);
        EXPECT_TRUE(panel->panel->IsVisible());
        int x = 152;
        std::set<int> shown(c.shown.begin(), c.shown.end());
        for (int k = 0; k < COMMAND_BUTTONS; ++k) {
            Button* button = panel->commandButtons[k];
            if (!shown.count(k)) {
                EXPECT_TRUE(button->flags & WINDOW_FRAMELESS) << c.mask << " " << k;
                EXPECT_FALSE(button->IsEnabled());
                continue;
            }
            EXPECT_FALSE(button->flags & WINDOW_FRAMELESS) << c.mask << " " << k;
            EXPECT_EQ(button->x, x) << c.mask << " " << k;
            EXPECT_EQ(button->y, 4);
            x += 43 + (k == 9 ? 39 : 0);
        }
        EXPECT_EQ(panel->background->width, c.backgroundWidth) << c.mask;
    }
    panel->Show(false, 0);
    EXPECT_FALSE(panel->panel->IsVisible());
}

TEST_F(MissionHudTest, ResourceRatesStartOverAtEveryLevel)
{
    PlayerProfile* profile = GetPlayerProfile();
    ASSERT_NE(profile, nullptr);
    ScopedGlobal<float> ore(profile->oreGained, 5000.0f);
    ScopedGlobal<float> fuel(profile->fuelGained, 800.0f);
    ResetResourceRates();
    MissionHud& hud = TheMissionHud;
    // A scripted clock of 0.1 s frames: nothing is known before the first windows close.
    float oreTotal = 5000.0f, fuelTotal = 800.0f;
    for (int frame = 1; frame <= 200; ++frame) {
        oreTotal += 1.0f;   // 10 a second
        fuelTotal += 0.2f;  // 2 a second
        UpdateResourceRates(0.1f, oreTotal, fuelTotal);
        if (frame == 39) {
            EXPECT_FLOAT_EQ(hud.fuelRate, 0.0f) << "the fuel window is still open";
        }
        if (frame == 199) {
            // A window closes on the frame after its time is up: one frame more of income.
            EXPECT_NEAR(hud.fuelRate, 120.0f, 4.0f);
            EXPECT_FLOAT_EQ(hud.oreRate, 0.0f);
        }
    }
    EXPECT_NEAR(hud.oreRate, 600.0f, 4.0f) << "what was gathered before this level is no income of it";
    // A modal window stops the clocks.
    float before = hud.oreTimer;
    UpdateResourceRates(0.0f, oreTotal, fuelTotal);
    EXPECT_FLOAT_EQ(hud.oreTimer, before);
}

TEST_F(MissionHudTest, TheUnitsCounterTurnsRedOnlyOverTheLimit)
{
    ASSERT_TRUE(game->CreateHud());
    PlayerProfile* profile = GetPlayerProfile();
    ScopedGlobal<int> control(profile->unitControl, 6);
    ScopedGlobal<int> cap(profile->maxUnitControl, 50);
    ScopedGlobal<int> used(profile->unitsInUse, 0);
    ScopedGlobal<float> ore(profile->ore, 312.7f);
    const struct {
        int inUse;
        bool red;
    } cases[] = {{5, false}, {6, false}, {7, true}};
    for (const auto& c : cases) {
        profile->unitsInUse = c.inUse;
        UpdateHud();
        Label* units = TheMissionHud.unitsLabel;
        EXPECT_EQ(std::string(units->GetText()), std::to_string(c.inUse) + "/6");
        EXPECT_FLOAT_EQ(units->g, c.red ? 0.3f : 1.0f) << c.inUse;
        EXPECT_FLOAT_EQ(units->b, c.red ? 0.2f : 1.0f) << c.inUse;
    }
    EXPECT_STREQ(TheMissionHud.oreLabel->GetText(), " 312");
    profile->maxUnitControl = 4;
    profile->unitsInUse = 5;
    UpdateHud();
    EXPECT_STREQ(TheMissionHud.unitsLabel->GetText(), "5/4") << "the cap bounds the control";
}

TEST_F(MissionHudTest, GroupStatsAverageOverUnitsAndBuildingsOnly)
{
    Agent first, second;
    first.kills = 3;
    second.kills = 2;
    Building tower;
    tower.kills = 4;
    Item crate;
    Entity* group[] = {&first, &second, &tower};
    GroupStats stats = ComputeGroupStats(group, 3);
    EXPECT_EQ(stats.count, 3);
    EXPECT_EQ(stats.kills, 9);
    EXPECT_TRUE(stats.anyUnitNotRig);
    char text[160];
    ASSERT_TRUE(FormatGroupStats(stats, text, sizeof text));
    EXPECT_EQ(std::string(text).rfind("Group Stats: Kills 9 (Avg: 3.0)   Average Damage: ", 0), 0u) << text;
    Entity* mixed[] = {&first, &crate};
    EXPECT_FALSE(FormatGroupStats(ComputeGroupStats(mixed, 2), text, sizeof text)) << "an item in the group: no stats";
    EXPECT_STREQ(text, "");
    EXPECT_FALSE(FormatGroupStats(ComputeGroupStats(mixed, 0), text, sizeof text));
    // The rig is counted by the weapon on its arm.
    ASSERT_NE(GetPlayerProfile(), nullptr);
    Agent rigAgent;
    ScopedGlobal<Agent*> playersRig(GetPlayerProfile()->rig, &rigAgent);
    Agent* rig = GetPlayerRig();
    Item arm;
    arm.flags |= ENTITY_ITEM;
    arm.weapon = new WeaponDef();  // the item's own
    arm.weapon->damage = 12.0f;
    arm.weapon->interval = 0.8f;
    arm.weapon->windUp = 0.4f;
    rig->AddAttachment(&arm, "rightweapon", "RightWeapon");
    Entity* withRig[] = {rig};
    GroupStats armed = ComputeGroupStats(withRig, 1);
    rig->RemoveAttachment("rightweapon");
    EXPECT_FLOAT_EQ(armed.damage, rig->GetDamage(arm.weapon));
    EXPECT_FLOAT_EQ(armed.dps, rig->GetDamagePerSecond(arm.weapon));
    EXPECT_GT(armed.dps, 0.0f);
    EXPECT_EQ(HealthColour(1.0f), 0xFF00FF00u);
    EXPECT_EQ(HealthColour(0.0f), 0xFFFF0000u);
    EXPECT_EQ(HealthColour(0.5f), 0xFF808000u);
}

TEST_F(MissionHudTest, TooltipsShowAfterHalfASecondOfRest)
{
    ASSERT_TRUE(game->CreateHud());
    Button* reset = nullptr;
    for (Window* child = TheMissionHud.minimapBar->firstChild; child; child = child->nextSibling)
        if (static_cast<Button*>(child)->pressCallback == ResetCameraButton) reset = static_cast<Button*>(child);
    ASSERT_NE(reset, nullptr);
    ScopedGlobal<float> delta(FrameTimer.delta, 0.25f);
    MissionHud& hud = TheMissionHud;
    ShowTooltip(&reset->hoverUserData, reset);
    ShowTooltip(&reset->hoverUserData, reset);
    EXPECT_FALSE(hud.tooltipVisible) << "exactly half a second is not enough";
    ShowTooltip(&reset->hoverUserData, reset);
    EXPECT_TRUE(hud.tooltipVisible);
    EXPECT_STREQ(hud.tooltip->text, "<tooltip_2>");
    // On to another widget without leaving: the time rested carries over.
    intptr_t unknown = 40;
    ShowTooltip(&unknown, reset);
    EXPECT_STREQ(hud.tooltip->text, "<tooltip_40>");
    EXPECT_FALSE(hud.tooltip->hotkey) << "ids past 23 name no hotkey";
    HideTooltip(nullptr, reset);
    EXPECT_FALSE(hud.tooltipVisible);
    EXPECT_FLOAT_EQ(hud.tooltipTimer, 0.0f);
    // An empty quick slot shows a blank.
    intptr_t slot = 2;
    Button* quick = TheMissionHud.commandPanel->quickSlots[1];
    for (int i = 0; i < 3; ++i) ShowQuickSlotTooltip(&slot, quick);
    EXPECT_TRUE(hud.tooltipVisible);
    EXPECT_STREQ(hud.tooltip->text, " ");
    // A filled quick slot names its item as the bag and the shop name it, not by its data name.
    auto bag = std::make_unique<Inventory>();
    ScopedGlobal<Inventory*> current(PlayerInventory, bag.get());
    Item* kit = new Item();
    strcpy(kit->name, "health_cannister");
    kit->shortDescription = "Health cannister";
    bag->slots[1].kind = 1;
    bag->slots[1].item = kit;
    ShowQuickSlotTooltip(&slot, quick);
    EXPECT_STREQ(hud.tooltip->text, "Health cannister");
    EXPECT_STREQ(TooltipAction(23), "trackplayer");
    EXPECT_STREQ(TooltipAction(9), "select_player");
}

TEST_F(MissionHudTest, TheObjectiveLinesStandOnADarkBacking)
{
    Objectives objectives;
    ScopedGlobal<Objectives*> current(TheObjectives, &objectives);
    BuildObjectivesPanel();
    struct PanelGoes {
        ~PanelGoes() { ReleaseObjectivesPanel(); }
    } panelGoes;
    objectives.AddObjective("Build a refinery", OBJECTIVE_BUILD, "refinery");
    objectives.AddObjective("Mine", OBJECTIVE_MINING, "ore")->targetCount = 500;
    painter.Clear();
    DrawObjectiveLines(objectives, nullptr);
    ASSERT_EQ(painter.texts.size(), 2u);
    const DrawnQuad* backing = nullptr;
    for (const DrawnQuad& quad : painter.quads)
        if (quad.sprite == ObjectiveBacking) backing = &quad;
    ASSERT_NE(backing, nullptr) << "the lines have a backing";
    EXPECT_GE((backing->colour >> 24) & 0xFF, 0x80u) << "dark enough to read the words on";
    for (const DrawnText& text : painter.texts) {
        TextSize size{};
        font.GetTextExtent(text.text.c_str(), &size);
        EXPECT_LE(backing->left, text.x) << text.text;
        EXPECT_LE(backing->top, text.y) << text.text;
        EXPECT_GE(backing->right, text.x + size.cx) << text.text;
        EXPECT_GE(backing->bottom, text.y + size.cy) << text.text;
    }
}

TEST_F(MissionHudTest, TheCursorShowsTheCommandAndWhatItPointsAt)
{
    const struct {
        int mode, column, row;
    } modes[] = {{0x1, 3, 1}, {0x2, 2, 0}, {0x8, 3, 0}, {0x10, 2, 1}, {0x20, 3, 0},
                 {0x40, 0, 2}, {0x80, 0, 2}, {0x100, 1, 2}, {0x4, -1, 0}};
    int column, row;
    bool enlarged;
    for (const auto& m : modes) {
        game->commandMode = m.mode;
        ChooseCursorCell(0, 0, false, &column, &row, &enlarged);
        EXPECT_EQ(column, m.column) << m.mode;
        if (m.column >= 0) {
            EXPECT_EQ(row, m.row) << m.mode;
        }
    }
    game->commandMode = 0;
    Agent enemy;
    enemy.alignment = ALIGN_ENEMY;
    game->hoveredEntity = &enemy;
    ChooseCursorCell(0, 0, false, &column, &row, &enlarged);
    EXPECT_EQ(column, 1);
    EXPECT_EQ(row, 0);
    ChooseCursorCell(0, 0, true, &column, &row, &enlarged);
    EXPECT_EQ(column, 0) << "over a window the arrow";
    game->hoveredEntity = nullptr;
    mouse.down[2] = 0x80;
    ScopedGlobal<bool> pans(Config->middleMousePans, true);
    ChooseCursorCell(0, 0, false, &column, &row, &enlarged);
    EXPECT_EQ(column, 2);
    EXPECT_EQ(row, 3);
    EXPECT_TRUE(enlarged);
    mouse.down[2] = 0;
}

TEST_F(MissionHudTest, TheResourceBarHintsByRange)
{
    // The bar starts at 1024 - 512; the hint row lies between 3 and 24 exclusive.
    const struct {
        int x, y;
        const char* hint;
    } cases[] = {
        {512 + 8, 10, nullptr},  {512 + 9, 10, "Power: 0/20"}, {512 + 144, 10, "Power: 0/20"},
        {512 + 145, 10, nullptr}, {512 + 200, 10, "Ore (0 per minute)"}, {512 + 300, 10, "Fuel (0 per minute)"},
        {512 + 450, 10, "Units (a Recycler frees a place)"}, {512 + 500, 10, nullptr},  {512 + 200, 3, nullptr}, {512 + 200, 24, nullptr},
        {512 + 200, 23, "Ore (0 per minute)"},
    };
    ScopedGlobal<PowerLedger> ledger(TheScene.power, PowerLedger());
    ResetResourceRates();
    char text[96];
    for (const auto& c : cases) {
        bool shown = ResourceHint(c.x, c.y, text, sizeof text);
        EXPECT_EQ(shown, c.hint != nullptr) << c.x << "," << c.y;
        if (c.hint) {
            EXPECT_STREQ(text, c.hint) << c.x << "," << c.y;
        }
    }
}
