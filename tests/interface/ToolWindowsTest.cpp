// The level generator's developer windows: the growth tool (its controls in order, the edits
// that reach the selected instance, growing, selecting and deleting) and the level generator's
// window (its controls, making levels that the level start keeps, the environment buttons).
#include "campaign/MissionScreen.h"
#include "gui/Button.h"
#include "gui/EditBox.h"
#include "gui/Label.h"
#include "interface/MissionHud.h"
#include "levelgen/Growth.h"
#include "levelgen/LevelGenerator.h"
#include "levelgen/MapGenerator.h"
#include "render/Camera.h"
#include "tests/interface/InterfaceTestSupport.h"
#include "tests/levelgen/LevelGenTestSupport.h"
#include "tools/GrowthTool.h"
#include "tools/MapGeneratorWindow.h"

#include <string>
#include <vector>

namespace {

std::vector<std::string> Captions(const Window* window)
{
    std::vector<std::string> out;
    for (const Window* child = window->firstChild; child; child = child->nextSibling) out.push_back(child->caption);
    return out;
}

Window* Child(const Window* window, const char* caption)
{
    for (Window* child = window->firstChild; child; child = child->nextSibling)
        if (std::string(child->caption) == caption) return child;
    return nullptr;
}

class GrowthToolTest : public HudTest {
protected:
    void SetUp() override
    {
        HudTest::SetUp();
        db = new GrowthDB(false);
        current = new ScopedGlobal<GrowthDB*>(TheGrowthDB, db);
        // The camera looks straight down at (10, 0, 5) of its own side of the world.
        camera = new ScopedGlobal<Camera>(GameCamera);
        GameCamera.eye = Vec3(-10.0f, 50.0f, 5.0f);
        GameCamera.direction = Vec3(0.0f, -1.0f, 0.0f);
    }
    void TearDown() override
    {
        delete camera;
        delete current;
        delete db;
        HudTest::TearDown();
    }
    void AddForest()
    {
        GrowthDef* forest = new GrowthDef();
        CopyText(forest->name, sizeof forest->name, "forest");
        db->definitions.push_back(forest);
    }
    void Press(const char* caption)
    {
        Button* button = static_cast<Button*>(Child(GrowthTool::WindowOf(*db), caption));
        ASSERT_NE(button, nullptr) << caption;
        button->pressCallback(nullptr, button);
    }
    void Enter(const char* caption, const char* text)
    {
        EditBox* box = static_cast<EditBox*>(Child(GrowthTool::WindowOf(*db), caption));
        ASSERT_NE(box, nullptr) << caption;
        box->SetText(text);
        box->enterCallback(nullptr, box);
    }

    GrowthDB* db = nullptr;

private:
    ScopedGlobal<GrowthDB*>* current = nullptr;
    ScopedGlobal<Camera>* camera = nullptr;
};

TEST_F(GrowthToolTest, TheWindowIsBuiltHiddenOnItsPanelAndTheToolBarButtonTogglesIt)
{
    ASSERT_NE(GrowthTool::WindowOf(*db), nullptr);
    EXPECT_FALSE(GrowthTool::IsVisible());
    EXPECT_EQ(Captions(GrowthTool::WindowOf(*db)),
              (std::vector<std::string>{"Untitled", "Grow", "Select", "pop", "width", "height", "trees", "plants",
                                        "rocks", "circle", "circle check", "Regen", "seed", "%", "Delete"}));
    const Window* panel = GrowthTool::WindowOf(*db)->firstChild;
    EXPECT_EQ(panel->x, 132);  // 0.12890625 of 1024
    EXPECT_EQ(panel->y, 320);  // 0.4166667 of 768
    for (const Window* child = panel->nextSibling; child; child = child->nextSibling) {
        EXPECT_GE(child->x, panel->x) << child->caption;
        EXPECT_LE(child->y + child->height, panel->y + panel->height) << child->caption;
    }
    EXPECT_EQ(static_cast<EditBox*>(Child(GrowthTool::WindowOf(*db), "pop"))->GetText(), std::string("0.10"));
    EXPECT_EQ(static_cast<EditBox*>(Child(GrowthTool::WindowOf(*db), "width"))->GetText(), std::string("20"));

    Button growth(nullptr, nullptr, 0, 0, 10, 10, 0, nullptr, nullptr, nullptr, nullptr, 0, 0, 0);
    ToggleGrowthToolButton(nullptr, &growth);
    EXPECT_TRUE(GrowthTool::IsVisible());
    ToggleGrowthToolButton(nullptr, &growth);
    EXPECT_FALSE(GrowthTool::IsVisible());
}

TEST_F(GrowthToolTest, EditsReachTheSelectedInstanceWhichGrowsAnewOnlyOnRegen)
{
    // Without a "forest" nothing grows.
    Press("Grow");
    EXPECT_TRUE(db->instances.empty());
    AddForest();

    Enter("width", "33");
    EXPECT_EQ(db->toolParameters.width, 33);
    Press("Grow");
    ASSERT_EQ(db->instances.size(), 1u);
    GrowthInstance* first = db->instances[0];
    EXPECT_EQ(db->selected, first);
    EXPECT_FLOAT_EQ(first->centre.x, 10.0f);
    EXPECT_FLOAT_EQ(first->centre.z, 5.0f);
    EXPECT_EQ(first->parameters.width, 33);

    struct Edit {
        const char* box;
        const char* text;
        bool (*check)(const GrowthParams&);
    } const edits[] = {
        {"pop", "0.35", [](const GrowthParams& p) { return p.density == 0.35f; }},
        {"height", "12", [](const GrowthParams& p) { return p.height == 12; }},
        {"trees", "2.5", [](const GrowthParams& p) { return p.weights[1] == 2.5f; }},
        {"plants", "0.5", [](const GrowthParams& p) { return p.weights[2] == 0.5f; }},
        {"rocks", "3", [](const GrowthParams& p) { return p.weights[3] == 3.0f; }},
    };
    for (const Edit& edit : edits) {
        Enter(edit.box, edit.text);
        EXPECT_TRUE(edit.check(db->toolParameters)) << edit.box;
        EXPECT_TRUE(edit.check(first->parameters)) << edit.box;
    }
    Press("circle check");
    EXPECT_EQ(db->toolParameters.circle, 0);
    EXPECT_EQ(first->parameters.circle, 0);

    // The seed is the instance's alone.
    Enter("seed", "77");
    EXPECT_EQ(first->parameters.seed, 77);
    EXPECT_EQ(db->toolParameters.seed, 0);
    Press("%");
    EXPECT_EQ(std::to_string(first->parameters.seed), static_cast<EditBox*>(Child(GrowthTool::WindowOf(*db), "seed"))->GetText());

    // A second forest further off; "Select" takes the one nearest the view point.
    GameCamera.eye = Vec3(-60.0f, 50.0f, 5.0f);
    Press("Grow");
    ASSERT_EQ(db->instances.size(), 2u);
    GameCamera.eye = Vec3(-12.0f, 50.0f, 5.0f);
    Press("Select");
    EXPECT_EQ(db->selected, first);

    Press("Delete");
    EXPECT_EQ(db->instances.size(), 1u);
    EXPECT_EQ(db->selected, nullptr);
    // Without a selection Regen and Delete do nothing.
    Press("Regen");
    Press("Delete");
    EXPECT_EQ(db->instances.size(), 1u);
}

TEST_F(GrowthToolTest, WithoutAGameTheControlsDoNothing)
{
    AddForest();
    ScopedGlobal<GameMechanics*> noGame(TheGame, nullptr);
    Press("Grow");
    Enter("width", "5");
    EXPECT_TRUE(db->instances.empty());
    EXPECT_EQ(db->toolParameters.width, 20);
}

TEST_F(GrowthToolTest, TheDebugCommandShowsTheToolBarOnlyInDebugMode)
{
    Window bar;
    bar.SetVisible(false);
    ScopedGlobal<Window*> toolBar(TheMissionHud.debugToolBar, &bar);
    ScopedGlobal<bool> debugText(TheMissionHud.debugText, false);
    ScopedGlobal<bool> debugMode(Config->debugMode, false);
    CmdDebugTest();
    EXPECT_FALSE(bar.IsVisible());
    Config->debugMode = true;
    CmdDebugTest();
    EXPECT_TRUE(bar.IsVisible());
    EXPECT_TRUE(TheMissionHud.debugText);
    CmdDebugTest();
    EXPECT_FALSE(bar.IsVisible());
    EXPECT_FALSE(TheMissionHud.debugText);
}

class LevelToolTest : public HudTest {
protected:
    void SetUp() override
    {
        HudTest::SetUp();
        ASSERT_TRUE(InitUserFolders());
        std::string path = MakeTempFolder("leveltool-env") + "/environments.cgs";
        ASSERT_TRUE(WriteTextFile(path, LevelEnvironments()));
        Environment::ClearAll();
        Environment::LoadScript(path.c_str());
        TheLevelGenerator.Clear();
        TheLevelGenerator.forceRivers = false;
        maps = game->CreateMapGenerator();
        bench = MapGeneratorWindow::Create(*maps);
        ASSERT_NE(bench, nullptr);
    }
    void TearDown() override
    {
        TheLevelGenerator.Clear();
        TheLevelGenerator.forceRivers = false;
        Environment::ClearAll();
        HudTest::TearDown();
    }
    Button* ButtonNamed(const char* caption) { return static_cast<Button*>(Child(bench->window, caption)); }
    void Press(const char* caption)
    {
        Button* button = ButtonNamed(caption);
        ASSERT_NE(button, nullptr) << caption;
        button->pressCallback(nullptr, button);
    }

    MapGenerator* maps = nullptr;
    MapGeneratorWindow* bench = nullptr;
};

TEST_F(LevelToolTest, ControlsInOrderWithOneButtonPerEnvironment)
{
    ASSERT_NE(bench->window, nullptr);
    EXPECT_FALSE(bench->IsVisible());
    EXPECT_EQ(Captions(bench->window),
              (std::vector<std::string>{"preview", "Clear", "Grow Trees", "Grow Factor", "Max Depth", "Decay On",
                                        "Make Level", "Toggle Maps", "Rand Rivers", "environment", "envset", "forest",
                                        "winter", "desert", "fall", "marsh", "moon", "alien", "lava",
                                        "Start Game!!"}));
    // The picture takes 768/1024 of the width and the whole height.
    EXPECT_EQ(ButtonNamed("preview")->width, 768);
    EXPECT_EQ(ButtonNamed("preview")->height, 768);
    int mx = 0, my = 0;
    bench->MapPointFromScreen(384, 767, &mx, &my);
    EXPECT_EQ(mx, 64);
    EXPECT_EQ(my, 127);

    // The switches name the state they are in.
    Button* grow = ButtonNamed("Grow Trees");
    for (const char* text : {"Grow Path", "All", "Grow Trees"}) {
        Press("Grow Trees");
        EXPECT_STREQ(grow->text, text);
    }
    Press("Rand Rivers");
    EXPECT_TRUE(TheLevelGenerator.forceRivers);
    EXPECT_STREQ(ButtonNamed("Rand Rivers")->text, "Force Rivers");

    EditBox* jitter = static_cast<EditBox*>(Child(bench->window, "Grow Factor"));
    EXPECT_STREQ(jitter->GetText(), "0.25");
    jitter->SetText("0.6");
    jitter->enterCallback(nullptr, jitter);
    EXPECT_FLOAT_EQ(maps->pathJitter, 0.6f);
    EditBox* depth = static_cast<EditBox*>(Child(bench->window, "Max Depth"));
    depth->SetText("4");
    depth->enterCallback(nullptr, depth);
    EXPECT_EQ(maps->maximumDepth, 4);
}

TEST_F(LevelToolTest, MadeLevelsDifferAndAreKeptForTheLevelStart)
{
    SRand(5);
    Press("Make Level");
    EXPECT_EQ(maps->heightsReady, 1);  // the level start will not make another
    EXPECT_TRUE(MissionScreen::scratchActive);
    std::vector<int> first = maps->kinds;
    ASSERT_FALSE(first.empty());
    Press("Make Level");
    EXPECT_NE(maps->kinds, first);

    // An environment's button applies it, names it and makes the level in it.
    Press("winter");
    EXPECT_STREQ(maps->environmentName, "winter");
    EXPECT_STREQ(bench->environmentBox->GetText(), "winter");
    EXPECT_STREQ(bench->environmentLabel->GetText(), "winter");
    EXPECT_EQ(maps->heightsReady, 1);

    // Sketching marks open cells of the placement cell under the point.
    maps->kinds.assign(maps->kinds.size(), KIND_OPEN);
    maps->Sketch(40, 40, false);
    int sketched = 0;
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x)
            if (maps->KindAt(x, y) == KIND_SKETCH) {
                ++sketched;
                EXPECT_TRUE(x >= 32 && x < 64 && y >= 32 && y < 64) << x << "," << y;
            }
    EXPECT_GT(sketched, 32);
    EXPECT_LE(sketched, 64);
}

}  // namespace
