// The developer's tools in a real mission, with debugMode set: Enter opens the console line,
// typed commands run (credits, the instant-build switch, a line recalled from the history with
// Up), "edit" makes the terrain editor; its show button switches it on (the clock makes way for
// it), the mouse raises a hill (drawn on the height texture and read back from it) and lays a
// splat on it, the undo key takes the hill back, "Save" writes the heightmap into the player's folder, "Dbg" gives the ground
// its own layers back, a growth mesh picked on the "Object" page is put down as a blocking
// object, and a palette button's hint shows on the "AI" page. The lines that change the world
// are orders of the next tick (recorded, and played again by the level's replay); the others act
// at once.
#include "tests/app/PlayerSessionSupport.h"

#include "gui/Button.h"
#include "gui/EditBox.h"
#include "gui/FileBrowser.h"
#include "gui/Label.h"
#include "gui/MessageDialogGui.h"
#include "host/InputKeys.h"
#include "interface/InGameMenu.h"
#include "interface/MissionHud.h"
#include "mechanics/OrderQueue.h"
#include "mechanics/Replay.h"
#include "terrain/Minimap.h"
#include "platform/ConfigFile.h"
#include "platform/Hotkeys.h"
#include "render/Effect.h"
#include "gui/ScrollList.h"
#include "terrain/Environment.h"
#include "terrain/Heightmap.h"
#include "terrain/SplatPool.h"
#include "terrain/TextureLock.h"
#include "tools/Console.h"
#include "tools/SculptUndoRing.h"
#include "tools/TerrainEditor.h"
#include "world/Building.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

using namespace playersession;

Button* ChildWithCallback(const Window* window, ButtonCallback callback)
{
    for (Window* child = window ? window->firstChild : nullptr; child; child = child->nextSibling)
        if ((child->flags & WINDOW_TYPE_BUTTON) && static_cast<Button*>(child)->pressCallback == callback)
            return static_cast<Button*>(child);
    return nullptr;
}

class DeveloperToolsSession : public PlayerSession {
protected:
    // The editor goes with the game's HUD at shutdown; the ring lives for the run.
    void TearDown() override
    {
        PlayerSession::TearDown();
        EXPECT_EQ(TheTerrainEditor, nullptr);
        TheSculptUndoRing.Release();
    }
    // Frames until the world's next tick has run.
    static void UntilNextTick()
    {
        const int tick = TheReplay.Tick();
        for (int i = 0; i < 20 && TheReplay.Tick() == tick; ++i) Passes(1, 0.02f);
        EXPECT_EQ(TheReplay.Tick(), tick + 1);
    }
    // A point of open ground in the middle of the screen, clear of the windows.
    bool GroundPoint(int* x, int* y)
    {
        Agent* rig = GetPlayerRig();
        Vec3 ground;
        if (!rig || !FindOpenGround(rig->GetPosition(), &ground)) return false;
        return OnScreen(ground, x, y) && !WindowMgr->IsPointOverWindow(*x, *y, false);
    }
};

TEST_F(DeveloperToolsSession, TheConsoleRunsCommandsAndTheEditorRaisesPaintsUndoesAndSaves)
{
    ASSERT_TRUE(StartMissionOn(FOREST));
    ScopedGlobal<bool> instant(InstantBuild, false);
    Config->debugMode = true;
    PlayerProfile* profile = GetPlayerProfile();
    const int credits = profile->credits;

    Console("credits 250");
    UntilNextTick();
    EXPECT_EQ(profile->credits, credits + 250);
    Console("instabuild");
    UntilNextTick();
    EXPECT_TRUE(InstantBuild);
    // Up recalls the last line; Enter runs it again.
    Press(DIK_RETURN);
    Press(DIK_UP);
    EXPECT_STREQ(TheMissionHud.consoleEditBox->GetText(), "instabuild");
    Press(DIK_RETURN);
    UntilNextTick();
    EXPECT_FALSE(InstantBuild);

    Console("edit");
    ASSERT_NE(TheTerrainEditor, nullptr);
    TerrainEditor& editor = *TheTerrainEditor;
    EXPECT_FALSE(editor.active) << "made switched off";
    for (int i = 0; i < 4; ++i) {
        EXPECT_NE(editor.sculptBrushes[i], nullptr) << "sculpt brush " << i;
        EXPECT_NE(editor.splatBrushes[i], nullptr) << "splat brush " << i;
    }
    ClickOn(editor.showButton);
    ASSERT_TRUE(editor.active);
    ASSERT_TRUE(editor.window->IsVisible());
    {
        // The clock stands clear of the editor's panel at the right edge.
        ScopedGlobal<bool> clockShown(Config->showClock, true);
        Passes(1, 0.05f);
        Label* clock = TheGame->timeLabel;
        ASSERT_TRUE(clock && clock->IsVisible());
        int clockX = 0, clockY = 0, clockW = 0, clockH = 0;
        clock->GetScreenPosition(&clockX, &clockY);
        clock->GetTextSize(&clockW, &clockH);
        const Window& panel = *editor.window;
        EXPECT_TRUE(clockX + clockW <= panel.x || clockY >= panel.y + panel.height || clockY + clockH <= panel.y)
            << "clock " << clockX << "," << clockY << " " << clockW << "x" << clockH << " over the panel at " << panel.x
            << "," << panel.y;
    }

    // Strength 1 (it starts at 0); the brush is 2 cells across.
    Button* up = ChildWithCallback(editor.window, TerrainEditor::OnStrengthUp);
    ASSERT_NE(up, nullptr);
    ClickOn(up);
    EXPECT_FLOAT_EQ(editor.strength, 1.0f);

    int x = 0, y = 0;
    ASSERT_TRUE(GroundPoint(&x, &y));
    MoveMouseTo(x, y);
    Heightmap& map = *TheTerrain.heightmap;
    const std::vector<float> before = map.data;
    Click(0);
    const IntPoint cell = TheTerrain.WorldToCell(editor.hitPoint);
    const float step = map.verticalScale / 255.0f;
    EXPECT_NEAR(map.GetHeightAt(cell.x, cell.y),
                std::min(before[(size_t)cell.y * map.width + cell.x] + 1.0f, map.verticalScale), 3.0f * step)
        << "the click raised the ground under the cursor";
    {
        // The brush drew on the height texture and the ground took its heights from there.
        TextureLock lock(map.texture, LOCK_READONLY);
        ASSERT_TRUE(lock.IsLocked());
        // The brush two cells across covers the cell and the three before it.
        for (int dy = -1; dy <= 0; ++dy)
            for (int dx = -1; dx <= 0; ++dx) {
                const int cx = cell.x + dx, cy = cell.y + dy;
                EXPECT_FLOAT_EQ(map.GetHeightAt(cx, cy), lock.Row(cy)[cx] / 255.0f * map.verticalScale) << dx << " " << dy;
            }
    }
    EXPECT_EQ(TheSculptUndoRing.UndoCount(), 1) << "one snapshot for the stroke";

    // A splat on the hill.
    ClickOn(editor.tabs[2]);
    EXPECT_EQ(editor.mode, TerrainEditor::MODE_SPLAT);
    const int splats = TheScene.splats.count;
    MoveMouseTo(x, y);
    Click(0);
    UntilNextTick();
    EXPECT_EQ(TheScene.splats.count, splats + 1) << "the click laid a splat";

    // Back on the "Map" page the undo key takes the hill back.
    ClickOn(editor.tabs[0]);
    CommandFunction undo = FindCommand("editor_undo");
    ASSERT_NE(undo, nullptr);
    undo();
    EXPECT_TRUE(map.data == before) << "the heights from before the stroke";

    // "Save" writes the heightmap where the level's scene finds it, in the player's folder.
    Button* save = nullptr;
    for (Window* child = editor.window->firstChild; child; child = child->nextSibling)
        if ((child->flags & WINDOW_TYPE_BUTTON) && strcmp(static_cast<Button*>(child)->text, "Save") == 0)
            save = static_cast<Button*>(child);
    ASSERT_NE(save, nullptr);
    const std::string file = editor.heightmapFile;
    EXPECT_EQ(file.rfind(UserFolder, 0), 0u) << file;
    std::remove(file.c_str());
    ClickOn(save);
    EXPECT_STREQ(TheScene.heightmapName, file.c_str());
    Heightmap saved(map.width, map.height, map.verticalScale);
    ASSERT_TRUE(saved.LoadImage(file.c_str())) << file;
    const IntPoint centre(map.width / 2, map.height / 2);
    EXPECT_NEAR(saved.GetHeightAt(centre.x, centre.y), map.GetHeightAt(centre.x, centre.y), map.verticalScale / 255.0f + 1e-4f);

    // "Dbg" paints the ground's three layers plain and gives them back, the normal map untouched.
    char layers[4][256];
    memcpy(layers, GroundTextureSlots, sizeof layers);
    Button* debugView = nullptr;
    for (Window* child = editor.window->firstChild; child; child = child->nextSibling)
        if ((child->flags & WINDOW_TYPE_BUTTON) && strcmp(static_cast<Button*>(child)->text, "Dbg") == 0)
            debugView = static_cast<Button*>(child);
    ASSERT_NE(debugView, nullptr);
    ClickOn(debugView);
    EXPECT_TRUE(editor.debugTextures);
    ClickOn(debugView);
    EXPECT_FALSE(editor.debugTextures);
    for (int i = 0; i < 4; ++i) EXPECT_STREQ(GroundTextureSlots[i], layers[i]) << "layer " << i;

    // "Close" closes the file browser "File" opened, and then the editor; the show button
    // brings the editor back.
    auto mapButton = [&](const char* text) {
        for (Window* child = editor.window->firstChild; child; child = child->nextSibling)
            if ((child->flags & WINDOW_TYPE_BUTTON) && strcmp(static_cast<Button*>(child)->text, text) == 0)
                return static_cast<Button*>(child);
        return static_cast<Button*>(nullptr);
    };
    const struct {
        const char* press;
        bool browser, active;
    } closing[] = {{"File", true, true}, {"Close", false, true}, {"Close", false, false}, {"show", false, true}};
    for (const auto& step : closing) {
        SCOPED_TRACE(step.press);
        Button* button = std::string(step.press) == "show" ? editor.showButton : mapButton(step.press);
        ASSERT_NE(button, nullptr);
        ClickOn(button);
        EXPECT_EQ(editor.browser && editor.browser->IsVisible(), step.browser);
        EXPECT_EQ(editor.active, step.active);
        EXPECT_EQ(editor.window->IsVisible(), step.active);
    }

    // The "Object" page: a growth mesh picked from its list is put down where the mouse clicks,
    // a static object of the level that blocks the walkers once "Block" is on.
    ClickOn(editor.tabs[1]);
    EXPECT_EQ(editor.mode, TerrainEditor::MODE_OBJECT);
    Button* meshes = nullptr;
    Button* block = editor.blockButton;
    for (Window* child = editor.window->firstChild; child; child = child->nextSibling)
        if ((child->flags & WINDOW_TYPE_BUTTON) && strcmp(static_cast<Button*>(child)->text, "Meshes") == 0)
            meshes = static_cast<Button*>(child);
    ASSERT_NE(meshes, nullptr);
    ASSERT_TRUE(meshes->IsVisible() && block && block->IsVisible()) << "the page shows its controls";
    ClickOn(block);
    EXPECT_TRUE(editor.blockGrid);
    ClickOn(meshes);
    ASSERT_NE(editor.meshList, nullptr);
    ASSERT_TRUE(editor.meshList->IsVisible());
    ASSERT_GT(editor.meshList->EntryCount(), 0) << "the growth meshes are listed";
    Passes(2, 0.05f);
    {
        // The page's controls on the editor, and the list of meshes with its rows.
        Image shot;
        ASSERT_TRUE(ShotOfNextFrame(base + "/editor_object_page.png", shot));
        Pixels picture = ToPixels(shot);
        for (const Window* part : {editor.window, editor.meshList->listWindow}) {
            int left = 0, top = 0;
            part->GetScreenPosition(&left, &top);
            Pixels crop = CropPixels(picture, left, top, left + part->width, top + part->height);
            const char* name = part == editor.window ? "editor_object_page" : "editor_mesh_list";
            EXPECT_TRUE(MatchesReference(crop, name, {12, crop.width * crop.height / 50})) << name;
        }
    }
    ClickOn(editor.meshList->rowButtons[0]);
    ASSERT_NE(editor.objectTemplate, nullptr) << "the row's mesh is the object to place";
    ClickOn(meshes);
    EXPECT_FALSE(editor.meshList->IsVisible());
    const int objects = TheScene.terrainObjects.count;
    MoveMouseTo(x, y);
    Click(0);
    UntilNextTick();
    ASSERT_EQ(TheScene.terrainObjects.count, objects + 1) << "the click put the object down at the next tick";
    Entity* placed = nullptr;
    for (auto* node = TheScene.terrainObjects.head; node; node = node->next) placed = node->value;
    ASSERT_NE(placed, nullptr);
    EXPECT_STREQ(placed->name, editor.objectTemplate->name);
    EXPECT_TRUE(placed->flags & ENTITY_STATIC);
    EXPECT_TRUE(placed->flags & ENTITY_GRID_BLOCKER) << "it blocks the walkers";

    // The palette's hint shows over the palette after the cursor rests on an agent button.
    ClickOn(editor.tabs[3]);
    Button* agent = nullptr;
    for (Window* child = editor.window->firstChild; child; child = child->nextSibling)
        if ((child->flags & WINDOW_TYPE_BUTTON) && static_cast<Button*>(child)->hoverEnterCallback)
            agent = static_cast<Button*>(child);
    ASSERT_NE(agent, nullptr);
    int ax = 0, ay = 0;
    agent->GetScreenPosition(&ax, &ay);
    MoveMouseTo(ax + agent->width / 2, ay + agent->height / 2);
    Passes(6, 0.1f);
    EXPECT_TRUE(editor.hintShown);
    EXPECT_EQ(editor.mode, TerrainEditor::MODE_PALETTE);
    EXPECT_EQ(TheGame->state, GAME_STATE_PLAYING);
}

// Lines typed while the game is held: those that change the world change nothing until the
// next tick, which carries them out as orders on the units selected and at the place the mouse
// was over when they were entered; the one that only changes the light acts at once. The level's
// replay plays them again to the same game.
TEST_F(DeveloperToolsSession, LinesThatChangeTheWorldAreOrdersOfTheNextTick)
{
    ASSERT_TRUE(StartMissionOn(FOREST));
    ScopedGlobal<bool> instant(InstantBuild, false);
    ScopedGlobal<Vec4> light(EffectValues.lightDirection, Vec4(0.0f, -1.0f, 0.0f, 0.0f));
    Config->debugMode = true;
    PlayerProfile* profile = GetPlayerProfile();
    Agent* rig = GetPlayerRig();
    ASSERT_NE(rig, nullptr);
    int x = 0, y = 0;
    ASSERT_TRUE(OnScreen(rig->GetCenter(), &x, &y));
    MoveMouseTo(x, y);
    Click(0);
    ASSERT_EQ(TheGame->GetFirstSelected(), rig) << "the rig clicked";
    ASSERT_TRUE(GroundPoint(&x, &y));
    MoveMouseTo(x, y);
    const Vec3 mousePoint = SnapToCellCentre(TheGame->pickedPoint);
    auto scavengers = [] {
        int count = 0;
        for (Entity* e = TheScene.FirstEntity(SEGMENTS_ALL); e; e = TheScene.NextEntity())
            count += e->IsAlive() && StrICmp(e->name, "scav_small") == 0;
        TheScene.EndIteration();
        return count;
    };
    const int credits = profile->credits, scavs = scavengers(), splats = TheScene.splats.count;
    const float maxHealth = rig->GetMaxHealth();

    Press(DIK_PAUSE);
    ASSERT_TRUE(GamePaused);
    const char* const lines[] = {"credits 250", "sethealth 40", "ai scav_small", "instabuild", "splattest"};
    for (const char* line : lines) Console(line);
    Console("setsun 1");
    EXPECT_LT(EffectValues.lightDirection.z, -0.5f) << "the light turned at once";
    EXPECT_EQ(profile->credits, credits);
    EXPECT_EQ(rig->GetHealth(), maxHealth);
    EXPECT_EQ(scavengers(), scavs);
    EXPECT_FALSE(InstantBuild);
    EXPECT_EQ(TheScene.splats.count, splats);
    // The developer's fog switch is an order as well: the level's discoveries read the fog.
    ScopedGlobal<bool> debugging{Config->debugMode, true};
    ASSERT_TRUE(Config->BindHotkey("n", "debug_togglefogofwar"));
    InputScript::Type("n");
    int exitCode = 0;
    DrainMessages(&exitCode);
    EXPECT_TRUE(TheMinimap.IsFogEnabled()) << "the fog stays until the next tick";

    // The next tick takes them, the game's hold and its letting go with them.
    MoveMouseTo(x - 200, y);
    TheGame->ClearSelection();
    Press(DIK_PAUSE);
    ASSERT_FALSE(GamePaused);
    UntilNextTick();
    std::vector<PlayerOrder> given;
    for (const PlayerOrder& order : TheOrders.LastTaken())
        if (order.kind == ORDER_CONSOLE) given.push_back(order);
    ASSERT_EQ(given.size(), 5u);
    for (size_t i = 0; i < given.size(); ++i) {
        EXPECT_EQ(given[i].text, lines[i]);
        EXPECT_EQ(given[i].units, std::vector<uint32_t>{LevelNumberOf(rig)}) << lines[i];
    }
    EXPECT_EQ(given[2].point, mousePoint) << "the ground under the mouse when the line was entered";
    EXPECT_EQ(profile->credits, credits + 250);
    EXPECT_EQ(rig->GetHealth(), 40.0f) << "the rig selected then, whatever is selected now";
    EXPECT_EQ(scavengers(), scavs + 1);
    EXPECT_TRUE(InstantBuild);
    EXPECT_EQ(TheScene.splats.count, splats + 1) << "the test splat made at the tick";
    EXPECT_FALSE(TheMinimap.IsFogEnabled());
    EXPECT_EQ(std::count_if(TheOrders.LastTaken().begin(), TheOrders.LastTaken().end(),
                            [](const PlayerOrder& order) { return order.kind == ORDER_FOG_OF_WAR; }),
              1);
    Console("instabuild");
    Passes(10, 0.1f);

    // The level left, its replay plays the same game.
    Press(DIK_ESCAPE);
    ClickOn(TheInGameMenu->abortButton);
    ClickOn(FindShownButton(TheConfirmationDialog->window, "YES"));
    ASSERT_NE(TheGame->state, GAME_STATE_PLAYING);
    const std::vector<ReplayListing> replays = ReplayDirector::ListOf("Pilot");
    ASSERT_FALSE(replays.empty());
    const std::string path = replays.front().path;
    Replay replay;
    std::string why;
    ASSERT_TRUE(ReplayDirector::Open(path.c_str(), &replay, &why)) << why;
    int consoleOrders = 0, fogOrders = 0;
    for (const ReplayTick& tick : replay.ticks)
        for (const PlayerOrder& order : tick.orders) {
            consoleOrders += order.kind == ORDER_CONSOLE;
            fogOrders += order.kind == ORDER_FOG_OF_WAR;
        }
    EXPECT_EQ(consoleOrders, 6);
    EXPECT_EQ(fogOrders, 1);
    ExpectTheSameGame(path);
}

}  // namespace
