// Saving and loading as a player does it: in a mission F1 repairs the rig with a kit from the
// hotbar, Escape opens the in-game menu, "Save Game" saves under a typed name, the window is
// closed; the game is started again on the same user folder, the main menu's "Load Game"
// loads the save, and the rig, the player's base (a factory with its orders and control group,
// an item on the ground), the profile and the visited map come back as they were, and the
// mission plays on. A second walk saves a half-built base and ends the program; the game is
// started again as a new process, the save loaded from the main menu, and the rig stands where
// it stood, answers the mouse and finishes the building.
#include "tests/app/PlayerSessionSupport.h"

#include "tests/app/NewProcess.h"

#include "campaign/LevelLoadSave.h"
#include "gui/Button.h"
#include "gui/EditBox.h"
#include "gui/MessageDialogGui.h"
#include "host/InputKeys.h"
#include "host/WorldGuard.h"
#include "interface/InGameMenu.h"
#include "interface/Inventory.h"
#include "interface/MessageWindow.h"
#include "interface/MissionHud.h"
#include "mechanics/Replay.h"
#include "mechanics/Scene.h"
#include "mechanics/Selection.h"
#include "mechanics/WorldChecksum.h"
#include "terrain/Minimap.h"
#include "render/TextureManager.h"
#include "render/IndexedMesh.h"
#include "world/AiBrain.h"
#include "world/BuildItem.h"
#include "world/Building.h"
#include "world/Grid.h"
#include "world/Item.h"
#include "world/ProjectileSystem.h"

#include <cstdio>
#include <cstring>
#include <vector>

using namespace playersession;

namespace {

class SaveLoadSession : public PlayerSession {
protected:
    // The first entity of that name among the segments.
    static Entity* Find(const char* name, uint32_t segments)
    {
        Entity* found = nullptr;
        for (Entity* e = TheScene.FirstEntity(segments); e && !found; e = TheScene.NextEntity())
            if (StrICmp(e->name, name) == 0) found = e;
        TheScene.EndIteration();
        return found;
    }
    static bool CellOf(const Entity* e, int* column, int* row)
    {
        return e && TheGame->grid->WorldToCell(e->GetPosition(), column, row);
    }
    // A fuel vent with its ground splat: the one nearest a point.
    static Entity* AVentWithItsSplat(const Vec3& near = Vec3(0.0f, 0.0f, 0.0f))
    {
        Entity* found = nullptr;
        float best = 1e30f;
        for (Entity* e = TheScene.FirstInCategory(CATEGORY_TERRAIN, 0); e; e = TheScene.NextInCategory()) {
            if (!(e->flags & ENTITY_FUEL) || !e->attachParent || !e->attachParent->mesh ||
                e->attachParent->mesh->subMeshes.empty())
                continue;
            const Vec3 at = e->GetPosition();
            const float distance = std::hypot(at.x - near.x, at.z - near.z);
            if (distance < best) best = distance, found = e;
        }
        return found;
    }

    // The rig selected with a click on it; false when it is not on the screen.
    bool ClickRig(Agent* rig)
    {
        int x = 0, y = 0;
        if (!OnScreen(rig->GetPosition(), &x, &y)) return false;
        MoveMouseTo(x, y - 4);
        Click(0);
        return TheGame->GetFirstSelected() == rig;
    }
    // Units and buildings put into the level as the test's own staging (scene lines).
    void Stage(const char* lines)
    {
        const WorldChangeScope staged;
        const std::string placed = std::string(UserFolder) + "/units.txt";
        ASSERT_TRUE(WriteTextFile(placed, lines));
        ASSERT_TRUE(TheScene.ReadSceneFile(placed.c_str()));
        TheScene.ResolveLinks();
    }
    // The selection sent by a right click on open ground near a point.
    void RightClickNear(const Vec3& near)
    {
        Vec3 goal;
        ASSERT_TRUE(FindOpenGround(near, &goal));
        int x = 0, y = 0;
        ASSERT_TRUE(OnScreen(goal, &x, &y));
        MoveMouseTo(x, y);
        Click(1);
    }
    // A save read again: the level made anew and standing (its first frame, which steps
    // nothing, run), before any tick of it.
    void LoadUntilItStands(const char* name)
    {
        ASSERT_TRUE(ReadSaveGame(name));
        for (int i = 0; i < 100 && (TheGame->state != GAME_STATE_PLAYING || TheScene.firstFrame); ++i) Passes(1, 0.0f);
        ASSERT_EQ(TheGame->state, GAME_STATE_PLAYING);
    }
    // The loop's frames, nothing drawn, until the world has run one more tick.
    static void NextTick()
    {
        const int before = WorldTicks.count;
        PlayWithoutPictures(1.0f, 0.025f, [before] { return WorldTicks.count == before; });
        ASSERT_EQ(WorldTicks.count, before + 1);
    }
    // The window closed as a player closes it: the game ends.
    void EndTheGame()
    {
        InputScript::CloseWindow();
        EXPECT_EQ(RunMainLoop(), 0);
        Shutdown();
        started = false;
    }
    // From the main menu of a game just started: past the logo, "Load Game", the newest save,
    // "Load", and the frames until the mission plays.
    void LoadNewestFromTheMainMenu(const char* expected)
    {
        for (int i = 0; i < 100 && TheGame->state != GAME_STATE_FRONT_END; ++i) Press(DIK_ESCAPE);
        ASSERT_EQ(TheGame->state, GAME_STATE_FRONT_END);
        ClickOn(FindShownButton(MissionScreen::windows[0], "Load Game"));
        ASSERT_TRUE(TheLevelLoadSaveGui->shown);
        ASSERT_NE(TheLevelLoadSaveGui->browser->GetSelected(), nullptr);
        EXPECT_STREQ(TheLevelLoadSaveGui->browser->GetSelected()->name, expected);
        ClickOn(FindShownButton(TheLevelLoadSaveGui, "Load"));
        UntilPlaying();
    }
};

// The second half of a walk, in a process of its own: the game started on the user folder the
// first half played in.
class AfterARestart : public SaveLoadSession {
protected:
    void SetUp() override { ResumeInHandedOverFolder(); }
    // What the first half noted: numbers in a file of the user folder.
    std::vector<float> Noted()
    {
        std::vector<float> values;
        const std::string text = ReadTextFile(base + "/noted.txt");
        const char* at = text.c_str();
        char* end = nullptr;
        for (float value = strtof(at, &end); end != at; value = strtof(at, &end)) {
            values.push_back(value);
            at = end;
        }
        return values;
    }
};

// The guild says its welcome in the first second of the first mission. A save made after it,
// loaded after the game is started again, goes on from the save's mission time without the
// welcome; the mission restarted afresh says it once more.
TEST_F(SaveLoadSession, TheWelcomeIsSaidOncePerMissionNotOncePerLoad)
{
    // The first story mission, on the body of the galaxy that carries it.
    ASSERT_TRUE(LeaveForTheFrontEnd());
    CelestialBody* body = TheGalaxy ? TheGalaxy->FindBodyByStoryId(0) : nullptr;
    ASSERT_NE(body, nullptr);
    TheGalaxy->selectedBody = body;
    ASSERT_TRUE(TheGalaxy->StartSelectedMission(true));
    UntilPlaying();
    auto welcomed = [] { return TheMessageWindow && TheMessageWindow->shown && strcmp(TheMessageWindow->text, "<m1_dlg0>") == 0; };
    Passes(10, 0.05f);
    ASSERT_TRUE(welcomed()) << "the first mission opens with the guild's welcome";
    ClickOn(TheMessageWindow->closeTextButton);
    EXPECT_FALSE(TheMessageWindow->shown);
    Passes(60, 0.05f);
    const float savedAt = MissionTime;
    SaveAs("welcomed");
    EndTheGame();

    WriteTextFile(std::string(UserFolder) + "/settings.cfg", "mainMenuEnabled true\ncurrentprofile Pilot\n");
    StartGame();
    ASSERT_TRUE(started);
    LoadNewestFromTheMainMenu("welcomed.sav");
    Passes(60, 0.05f);
    EXPECT_FALSE(TheMessageWindow->shown) << "the welcome is not said again after the load";
    EXPECT_GE(MissionTime, savedAt) << "the mission's clock goes on from the save";

    // "Restart Mission" plays the mission from its start: the welcome once more.
    Press(DIK_ESCAPE);
    ASSERT_TRUE(TheInGameMenu->menuShown);
    ClickOn(FindShownButton(TheInGameMenu->menuWindow, "Restart Mission"));
    ClickOn(FindShownButton(TheConfirmationDialog->window, "YES"));
    UntilPlaying();
    Passes(10, 0.05f);
    EXPECT_TRUE(welcomed()) << "a fresh start of the mission says its welcome";
    EXPECT_LT(MissionTime, 5.0f) << "a restarted mission's clock starts at 0";
}

// Half of a base is up when the player saves and quits; the next day the game is started
// afresh, the save loaded from the main menu, and the rig stands where it stood, answers the
// mouse and finishes what it was building.
TEST_F(SaveLoadSession, AHalfBuiltBaseIsFinishedAfterTheGameIsStartedAgain)
{
    ASSERT_TRUE(IntoAForestMission());
    Agent* rig = GetPlayerRig();
    ASSERT_NE(rig, nullptr);
    ASSERT_TRUE(ClickRig(rig));
    Passes(2, 0.05f);
    Building* factory = PlaceFromBuildPanel("bot_factory", rig->GetPosition());
    ASSERT_NE(factory, nullptr) << "the factory was put down";
    ASSERT_NE(factory->definition, nullptr);
    const float buildTime = factory->definition->buildTime;
    PlayWithoutPictures(200.0f, 0.1f, [&] { return factory->buildProgress < buildTime * 0.25f; });
    Passes(2, 0.05f);
    ASSERT_EQ(factory->buildState, BUILD_STATE_CONSTRUCTING);
    ASSERT_GE(factory->buildProgress, buildTime * 0.25f) << "the rig is at work on it";
    ASSERT_TRUE(rig->brain && rig->brain->mode == AI_MODE_BUILD);

    // A fuel vent of the level drawn dry, with no well on it.
    Entity* vent = AVentWithItsSplat();
    ASSERT_NE(vent, nullptr) << "the level has a fuel vent";
    {
        const WorldChangeScope staged;
        vent->SetHealth(0.05f);
    }
    const Vec3 ventAt = vent->GetPosition();

    SaveAs("halfbase");
    const Vec3 savedAt = rig->GetPosition();
    int column = -1, row = -1;
    ASSERT_TRUE(CellOf(factory, &column, &row));
    char noted[200];
    snprintf(noted, sizeof noted, "%.3f %.3f %d %d %.4f %.3f %.3f\n", savedAt.x, savedAt.z, column, row,
             factory->buildProgress, ventAt.x, ventAt.z);
    ASSERT_TRUE(WriteTextFile(base + "/noted.txt", noted));
    EndTheGame();

    WriteTextFile(std::string(UserFolder) + "/settings.cfg", "mainMenuEnabled true\ncurrentprofile Pilot\n");
    const newprocess::Outcome outcome = newprocess::RunPhase(
        "AfterARestart.DISABLED_TheRigOfTheHalfBuiltBaseFinishesIt", {{newprocess::PHASE_DATA_HOME, base}});
    EXPECT_TRUE(outcome.Passed()) << "status " << outcome.status << "\n" << outcome.output;
}

TEST_F(AfterARestart, DISABLED_TheRigOfTheHalfBuiltBaseFinishesIt)
{
    const std::vector<float> noted = Noted();
    ASSERT_EQ(noted.size(), 7u);
    LoadNewestFromTheMainMenu("halfbase.sav");

    // The vent drawn dry shows the spent ground, though no well stands on it.
    Entity* vent = AVentWithItsSplat(Vec3(noted[5], 0.0f, noted[6]));
    ASSERT_NE(vent, nullptr) << "the vent came back";
    EXPECT_LT(vent->health, 0.11f);
    EXPECT_EQ(vent->attachParent->mesh->subMeshes[0].diffuseTexture,
              Textures->GetTexture("data/textures/splats/splat_vent_depleted.dds"));

    // The rig is in the level, where it was saved.
    Agent* rig = GetPlayerRig();
    ASSERT_NE(rig, nullptr);
    ASSERT_TRUE(InLevel(rig)) << "the rig is in the level";
    const Vec3 at = rig->GetPosition();
    EXPECT_LT(std::hypot(at.x - noted[0], at.z - noted[1]), 1.5f) << "the rig stands where it was saved";

    // The factory stands half built, and the rig takes up its work again and finishes it.
    auto* factory = static_cast<Building*>(Find("bot_factory", SEGMENTS_BUILDINGS));
    ASSERT_NE(factory, nullptr) << "the factory came back";
    int column = -1, row = -1;
    EXPECT_TRUE(CellOf(factory, &column, &row));
    EXPECT_EQ(column, (int)noted[2]);
    EXPECT_EQ(row, (int)noted[3]);
    ASSERT_EQ(factory->buildState, BUILD_STATE_CONSTRUCTING);
    // (The frames that ran since the load may have built on a little.)
    EXPECT_GE(factory->buildProgress, noted[4] - 0.01f) << "its progress came back";
    EXPECT_LT(factory->buildProgress, noted[4] + 1.0f);
    ASSERT_TRUE(ClickRig(rig)) << "a click selects the rig";
    PlayWithoutPictures(120.0f, 0.1f, [&] { return factory->buildState != BUILD_STATE_READY; });
    Passes(2, 0.05f);
    EXPECT_EQ(factory->buildState, BUILD_STATE_READY) << "the rig finished the factory";

    // And it answers a move: a right click on open ground sends it there.
    ASSERT_TRUE(ClickRig(rig));
    const Vec3 from = rig->GetPosition();
    Vec3 goal;
    ASSERT_TRUE(FindOpenGround(from, &goal));
    int goalX = 0, goalY = 0;
    OnScreen(goal, &goalX, &goalY);
    MoveMouseTo(goalX, goalY);
    Click(1);
    Passes(60, 0.05f);
    const Vec3 now = rig->GetPosition();
    EXPECT_LT(std::hypot(now.x - goal.x, now.z - goal.z), std::hypot(from.x - goal.x, from.z - goal.z) - 3.0f)
        << "the rig walked toward the clicked ground";
    EXPECT_EQ(TheGame->state, GAME_STATE_PLAYING);
}

// A save and its load are the same world. Saved in the middle of a level, the rig walking and
// turning where the player sent it, two gunners standing off the middle of their cells and an
// enemy bot turned its own way, the save loaded again gives the level the save was made of:
// the world's checksum is the same, and saved again it writes the same bytes.
TEST_F(SaveLoadSession, ASaveAndItsLoadAreTheSameWorld)
{
    UntilPlaying();
    if (TheMessageWindow && TheMessageWindow->shown) ClickOn(TheMessageWindow->closeTextButton);
    Agent* rig = GetPlayerRig();
    ASSERT_NE(rig, nullptr);
    Vec3 site;
    ASSERT_TRUE(FindOpenGround(rig->GetPosition(), &site));
    int column = 0, row = 0;
    ASSERT_TRUE(TheGame->grid->WorldToCell(site, &column, &row));
    char lines[768];
    snprintf(lines, sizeof lines,
             "AddAgent gunner_bot SetAlignment PLAYER SetPosition %.3f 0 %.3f\n"
             "AddAgent gunner_bot SetAlignment PLAYER SetPosition %.3f 0 %.3f\n"
             "AddAgent gunner_bot SetAlignment ENEMY SetPosition %.3f 0 %.3f SetRotate 123.456\n"
             "AddBuilding power_generator SetAlignment PLAYER SetMapCoord %d %d\n"
             "AddBuilding gun_turret SetAlignment PLAYER SetMapCoord %d %d\nEND_OF_FILE\n",
             site.x + 6.7f, site.z + 8.1f, site.x + 10.3f, site.z + 5.1f, site.x - 20.2f, site.z - 20.3f, column - 6,
             row, column - 6, row + 5);
    ASSERT_NO_FATAL_FAILURE(Stage(lines));
    {
        // Standing finished, as a level's own buildings stand when it starts.
        const WorldChangeScope finished;
        Building::RestoreAtLevelStart();
    }
    // The level's power ledger is no part of the checksum: it is looked at on its own.
    const PowerLedger power = TheScene.power;
    EXPECT_FLOAT_EQ(power.supply, PowerLedger::START_SUPPLY + 25.0f);
    EXPECT_FLOAT_EQ(power.demand, 5.0f);

    // The rig sent across the ground by a right click, and caught on its way.
    TheGame->ClearSelection();
    TheGame->SelectEntity(rig);
    ASSERT_NO_FATAL_FAILURE(RightClickNear(rig->GetPosition() + Vec3(-20.0f, 0.0f, 15.0f)));
    Passes(7, 0.05f);

    ASSERT_TRUE(WriteSaveGame("same"));
    const WorldDigest saved = DigestWorld();
    const std::string folder = std::string(UserFolder) + "/savefiles/" + GetPlayerProfile()->name + "/";
    const std::string level = ReadTextFile(folder + "same.sav");
    ASSERT_FALSE(level.empty());

    ASSERT_NO_FATAL_FAILURE(LoadUntilItStands("same"));
    const WorldDigest loaded = DigestWorld();
    EXPECT_EQ(loaded.sum, saved.sum) << "the loaded world differs: " << FirstDifference(saved, loaded);
    EXPECT_FLOAT_EQ(TheScene.power.supply, power.supply) << "the loaded level's power ledger";
    EXPECT_FLOAT_EQ(TheScene.power.demand, power.demand);

    ASSERT_TRUE(WriteSaveGame("again"));
    const std::string again = ReadTextFile(folder + "again.sav");
    EXPECT_EQ(again, level) << "the loaded level saved again writes what its save held";
}

// A save made while everything is on its way (the rig walking a long way where the player sent
// it, two gunners and a rocket bot at a fight with an enemy pack, a factory making a miner, and
// a missile and a beam between them in the air), loaded, plays on tick for tick as the game it
// was saved from played on.
TEST_F(SaveLoadSession, ALoadedLevelPlaysOnAsTheGameItWasSavedFrom)
{
    UntilPlaying();
    if (TheMessageWindow && TheMessageWindow->shown) ClickOn(TheMessageWindow->closeTextButton);
    Agent* rig = GetPlayerRig();
    ASSERT_NE(rig, nullptr);
    Vec3 site;
    ASSERT_TRUE(FindOpenGround(rig->GetPosition() + Vec3(8.0f, 0.0f, 8.0f), &site));
    int column = 0, row = 0;
    ASSERT_TRUE(TheGame->grid->WorldToCell(site, &column, &row));
    char lines[768];
    snprintf(lines, sizeof lines,
             "AddAgent gunner_bot SetAlignment PLAYER SetPosition %.3f 0 %.3f\n"
             "AddAgent gunner_bot SetAlignment PLAYER SetPosition %.3f 0 %.3f\n"
             "AddAgent rocket_bot SetAlignment PLAYER SetPosition %.3f 0 %.3f\n"
             "AddAgent gunner_bot SetAlignment ENEMY SetPosition %.3f 0 %.3f\n"
             "AddAgent scav_small SetAlignment ENEMY SetPosition %.3f 0 %.3f\n"
             "AddBuilding bot_factory SetAlignment PLAYER SetMapCoord %d %d BuildQueue 2 0.5 miner miner\n"
             "END_OF_FILE\n",
             site.x + 6.7f, site.z + 8.1f, site.x + 9.3f, site.z + 6.1f, site.x + 5.2f, site.z + 4.4f, site.x + 19.2f,
             site.z + 17.3f, site.x + 21.7f, site.z + 14.9f, column - 6, row);
    ASSERT_NO_FATAL_FAILURE(Stage(lines));
    // The rig sent a long way off by a right click.
    TheGame->ClearSelection();
    ASSERT_TRUE(ClickRig(rig));
    ASSERT_NO_FATAL_FAILURE(RightClickNear(rig->GetPosition() + Vec3(-30.0f, 0.0f, -25.0f)));
    TheGame->ClearSelection();
    // On their way, at their fight and at work for a few seconds.
    PlayWithoutPictures(3.0f, 0.05f, [] { return true; });
    // Then on to a tick that leaves a missile and a beam (or a blow about to land) in the air.
    const auto inTheAir = [] {
        return TheProjectiles->ActiveProjectiles() > 0 &&
               (TheProjectiles->ActiveBeams() > 0 || TheProjectiles->PendingMeleeHits() > 0);
    };
    ASSERT_NE(TheProjectiles, nullptr);
    PlayWithoutPictures(10.0f, 0.05f, [&] { return !inTheAir(); });
    ASSERT_TRUE(inTheAir()) << TheProjectiles->ActiveProjectiles() << " projectiles, " << TheProjectiles->ActiveBeams()
                            << " beams and " << TheProjectiles->PendingMeleeHits() << " blows in the air at the save";

    ASSERT_TRUE(WriteSaveGame("onitsway"));
    // The game as it went on from the save, a digest at every tick.
    constexpr int TICKS = 150;
    std::vector<WorldDigest> went;
    for (int i = 0; i < TICKS; ++i) {
        NextTick();
        went.push_back(DigestWorld());
    }
    const SaveDigest wentTo = DigestSave();

    ASSERT_NO_FATAL_FAILURE(LoadUntilItStands("onitsway"));
    for (int i = 0; i < TICKS; ++i) {
        NextTick();
        const WorldDigest now = DigestWorld();
        if (now.sum == went[i].sum) continue;
        ADD_FAILURE() << "the loaded level parts from its game " << i + 1 << " ticks after the save: "
                      << FirstDifference(went[i], now);
        return;
    }
    EXPECT_EQ(SaveDifference(wentTo, DigestSave()), "") << "what a save holds of the level, at the end";
}

TEST_F(SaveLoadSession, SavedFromThePauseMenuAndLoadedAfterARestart)
{
    UntilPlaying();
    ASSERT_NE(TheInGameMenu, nullptr);
    Agent* rig = GetPlayerRig();
    ASSERT_NE(rig, nullptr);

    // F1 uses what lies in the hotbar's first slot (the new profile's repair cannisters) on the
    // selected rig.
    ASSERT_NE(PlayerInventory, nullptr);
    const BagSlot& hotbar = PlayerInventory->slots[0];
    ASSERT_NE(hotbar.item, nullptr);
    ASSERT_STREQ(hotbar.item->name, "health_cannister");
    const int kits = hotbar.item->stackCount;
    ASSERT_GE(kits, 2);
    const float damaged = rig->GetMaxHealth() * 0.25f;
    rig->health = damaged;
    TheGame->ClearSelection();
    TheGame->SelectEntity(rig);
    Press(DIK_F1);
    Passes(5, 0.02f);  // the key's order is carried out at the next tick
    EXPECT_GT(rig->health, damaged) << "the kit repaired the rig";
    ASSERT_NE(hotbar.item, nullptr);
    EXPECT_EQ(hotbar.item->stackCount, kits - 1) << "one kit used";
    TheGame->ClearSelection();

    // The rig walks off its start; the player's stock and purse are their own.
    Vec3 goal;
    ASSERT_TRUE(FindOpenGround(rig->GetPosition(), &goal));
    int goalX = 0, goalY = 0;
    OnScreen(goal, &goalX, &goalY);
    MoveMouseTo(goalX, goalY);
    Click(1);
    Passes(60, 0.05f);
    PlayerProfile* profile = GetPlayerProfile();
    profile->ore = 321.0f;
    profile->credits = 777;
    const Vec3 savedAt = rig->GetPosition();
    const std::vector<uint8_t> visited = TheMinimap.fog.markers;
    ASSERT_NE(TheGalaxy->selectedBody, nullptr);
    const int missionId = TheGalaxy->selectedBody->missionId;
    bool anyVisited = false;
    for (uint8_t marker : visited) anyVisited |= marker != 0;
    EXPECT_TRUE(anyVisited) << "the walk visited some of the map";

    // Escape opens the in-game menu: the game stands still under it.
    Press(DIK_ESCAPE);
    EXPECT_TRUE(TheInGameMenu->menuShown) << "Escape opens the in-game menu";
    EXPECT_TRUE(GamePaused);
    EXPECT_EQ(WindowMgr->modal, TheInGameMenu->menuWindow);
    Image shot;
    ASSERT_TRUE(ShotOfNextFrame(base + "/ingame_menu.png", shot));
    EXPECT_TRUE(MatchesReference(ToPixels(shot), "ingame_menu", {12, (int)(shot.width * shot.height / 50)}));

    // The rig frozen by a trap and cloaked by a cannister, and the view where the player left
    // it: the save keeps them.
    rig->freezeTime = 30.0f;
    rig->cloakTime = 40.0f;
    rig->classWord |= AGENT_CLOAKED;
    const Vec3 savedEye = GameCamera.eye;

    // A base beside the rig, while the game stands still: a factory of the player's with two
    // miners ordered, kept in control group 2, and a cannister on the ground beside it.
    Vec3 site;
    ASSERT_TRUE(FindOpenGround(savedAt, &site));
    int siteColumn = 0, siteRow = 0;
    ASSERT_TRUE(TheGame->grid->WorldToCell(site, &siteColumn, &siteRow));
    char lines[256];
    snprintf(lines, sizeof lines,
             "AddBuilding bot_factory SetAlignment PLAYER SetMapCoord %d %d BuildQueue 2 0.5 miner miner\n"
             "AddItem health_cannister SetMapCoord %d %d\nEND_OF_FILE\n",
             siteColumn, siteRow, siteColumn + 3, siteRow);
    // The test's own staging.
    const WorldChangeScope staged;
    const std::string placed = std::string(UserFolder) + "/base.txt";
    ASSERT_TRUE(WriteTextFile(placed, lines));
    ASSERT_TRUE(TheScene.ReadSceneFile(placed.c_str()));
    TheScene.ResolveLinks();
    auto* factory = static_cast<Building*>(Find("bot_factory", SEGMENTS_BUILDINGS));
    ASSERT_NE(factory, nullptr);
    ASSERT_NE(factory->buildQueue, nullptr);
    ASSERT_EQ(factory->buildQueue->count, 2);
    TheGame->ClearSelection();
    TheGame->SelectEntity(factory);
    TheGame->AssignControlGroup(2);
    TheGame->ClearSelection();
    int itemColumn = 0, itemRow = 0;
    ASSERT_TRUE(CellOf(Find("health_cannister", SEGMENTS_ITEMS), &itemColumn, &itemRow));

    // "Save Game" proposes a name; the player types another and saves.
    ClickOn(FindShownButton(TheInGameMenu->menuWindow, "Save Game"));
    ASSERT_TRUE(TheLevelLoadSaveGui->shown);
    EXPECT_FALSE(TheLevelLoadSaveGui->loadMode);
    EXPECT_EQ(std::string(TheLevelLoadSaveGui->nameBox->GetText()).rfind("savfile_", 0), 0u);
    ClickOn(TheLevelLoadSaveGui->nameBox);
    Press(DIK_END);
    for (int i = 0; i < 30; ++i) Press(DIK_BACK);
    for (int key : {DIK_S, DIK_L, DIK_O, DIK_T, DIK_1}) Press(key);
    EXPECT_STREQ(TheLevelLoadSaveGui->nameBox->GetText(), "slot1");
    ClickOn(FindShownButton(TheLevelLoadSaveGui, "Save"));
    EXPECT_FALSE(TheLevelLoadSaveGui->shown) << "the screen closes after saving";
    const std::string folder = std::string(UserFolder) + "/savefiles/" + profile->name + "/";
    for (const char* extension : {".cgs", ".sav", ".vis"})
        EXPECT_TRUE(FileExists((folder + "slot1" + extension).c_str(), false)) << extension;
    EXPECT_TRUE(TheInGameMenu->menuShown) << "back at the menu";

    // Resume, then close the window: the game ends.
    ClickOn(FindShownButton(TheInGameMenu->menuWindow, "Resume Game"));
    EXPECT_FALSE(GamePaused);
    InputScript::CloseWindow();
    EXPECT_EQ(RunMainLoop(), 0);
    Shutdown();
    started = false;

    // The game again, on the same user folder, into the main menu this time.
    WriteTextFile(std::string(UserFolder) + "/settings.cfg", "mainMenuEnabled true\ncurrentprofile Pilot\n");
    StartGame();
    ASSERT_TRUE(started);
    // The logo and its story are skipped as a player skips them.
    for (int i = 0; i < 100 && TheGame->state != GAME_STATE_FRONT_END; ++i) Press(DIK_ESCAPE);
    ASSERT_EQ(TheGame->state, GAME_STATE_FRONT_END);
    ClickOn(FindShownButton(MissionScreen::windows[0], "Load Game"));
    ASSERT_TRUE(TheLevelLoadSaveGui->shown);
    EXPECT_TRUE(TheLevelLoadSaveGui->loadMode);
    ASSERT_NE(TheLevelLoadSaveGui->browser->GetSelected(), nullptr);
    EXPECT_STREQ(TheLevelLoadSaveGui->browser->GetSelected()->name, "slot1.sav") << "the newest save first";
    EXPECT_STREQ(TheLevelLoadSaveGui->browser->profileName, GetPlayerProfile()->name);
    ClickOn(FindShownButton(TheLevelLoadSaveGui, "Load"));
    UntilPlaying();

    profile = GetPlayerProfile();
    EXPECT_EQ(profile->currentMissionId, missionId);
    ASSERT_NE(TheGalaxy->selectedBody, nullptr);
    EXPECT_EQ(TheGalaxy->selectedBody->missionId, missionId) << "the save's mission is played";
    EXPECT_FLOAT_EQ(profile->ore, 321.0f);
    EXPECT_EQ(profile->credits, 777);
    rig = GetPlayerRig();
    ASSERT_NE(rig, nullptr);
    Vec3 at = rig->GetPosition();
    EXPECT_LT(std::hypot(at.x - savedAt.x, at.z - savedAt.z), 1.0f) << "the rig stands where it was saved";
    // As long as it was saved, less the frames played since the load.
    EXPECT_NEAR(rig->freezeTime, 29.5f, 0.5f) << "frozen as long as it was saved";
    EXPECT_NEAR(rig->cloakTime, 40.0f, 0.5f) << "cloaked as long as it was saved: a frozen cloak waits";
    EXPECT_TRUE(rig->classWord & AGENT_CLOAKED);
    EXPECT_NEAR(GameCamera.eye.x, savedEye.x, 0.06f) << "the view as it was saved";
    EXPECT_NEAR(GameCamera.eye.y, savedEye.y, 0.06f);
    EXPECT_NEAR(GameCamera.eye.z, savedEye.z, 0.06f);
    // Every mark of the visited map came back (the factory, placed while the game stood still,
    // marks its own cells once the mission runs again).
    ASSERT_EQ(TheMinimap.fog.markers.size(), visited.size());
    int lost = 0;
    for (size_t i = 0; i < visited.size(); ++i) lost += visited[i] != 0 && TheMinimap.fog.markers[i] != visited[i];
    EXPECT_EQ(lost, 0) << "the visited map came back";

    // The base came back where it stood, with its orders, its group and the cannister.
    factory = static_cast<Building*>(Find("bot_factory", SEGMENTS_BUILDINGS));
    ASSERT_NE(factory, nullptr) << "the factory came back";
    int column = -1, row = -1;
    EXPECT_TRUE(CellOf(factory, &column, &row));
    EXPECT_EQ(column, siteColumn);
    EXPECT_EQ(row, siteRow);
    EXPECT_EQ(factory->alignment, ALIGN_PLAYER);
    ASSERT_NE(factory->buildQueue, nullptr);
    EXPECT_EQ(factory->buildQueue->count, 2) << "its two orders";
    EXPECT_TRUE(PlayerSelection::Lists(TheGame->hand.groups[2], factory)) << "in its control group";
    EXPECT_TRUE(CellOf(Find("health_cannister", SEGMENTS_ITEMS), &column, &row)) << "the cannister came back";
    EXPECT_EQ(column, itemColumn);
    EXPECT_EQ(row, itemRow);

    // And the mission plays on.
    Passes(40, 0.05f);
    EXPECT_EQ(TheGame->state, GAME_STATE_PLAYING);
    EXPECT_FALSE(GamePaused);

    // "Restart Mission" asks first; YES starts the mission again from its level seed.
    Press(DIK_ESCAPE);
    ASSERT_TRUE(TheInGameMenu->menuShown);
    ClickOn(FindShownButton(TheInGameMenu->menuWindow, "Restart Mission"));
    ASSERT_TRUE(TheConfirmationDialog->IsVisible());
    EXPECT_EQ(TheGame->state, GAME_STATE_PLAYING) << "nothing happens before the answer";
    ClickOn(FindShownButton(TheConfirmationDialog->window, "YES"));
    EXPECT_EQ(TheGame->state, GAME_STATE_LOAD_PENDING);
    EXPECT_FALSE(TheInGameMenu->menuShown);
    EXPECT_FALSE(GamePaused);
    UntilPlaying();
    EXPECT_EQ(TheGalaxy->selectedBody->missionId, missionId) << "the same mission again";
    EXPECT_EQ(GetPlayerRig()->freezeTime, 0.0f) << "a mission started anew: the rig neither frozen";
    EXPECT_FALSE(GetPlayerRig()->classWord & AGENT_CLOAKED) << "nor cloaked";

    // "Abort Mission" asks too; YES leaves the mission for the front end.
    Press(DIK_ESCAPE);
    ASSERT_TRUE(TheInGameMenu->menuShown);
    ASSERT_NE(TheInGameMenu->abortButton, nullptr);
    EXPECT_STREQ(TheInGameMenu->abortButton->text, "Abort Mission");
    ClickOn(TheInGameMenu->abortButton);
    ASSERT_TRUE(TheConfirmationDialog->IsVisible());
    ClickOn(FindShownButton(TheConfirmationDialog->window, "YES"));
    EXPECT_EQ(TheGame->state, GAME_STATE_FRONT_END);
    EXPECT_FALSE(TheInGameMenu->menuShown);
    EXPECT_FALSE(GamePaused);
    EXPECT_EQ(WindowMgr->modal, nullptr);

    // The level loaded from the save plays again from its replay, in a program of its own.
    std::string loadedLevel;
    for (const ReplayListing& game : ReplayDirector::ListOf("Pilot"))
        if (game.playable && game.header.restore == 1) loadedLevel = game.path;
    ASSERT_FALSE(loadedLevel.empty()) << "the loaded level was recorded";
    Shutdown();
    started = false;
    const newprocess::Outcome verified = newprocess::RunPhase(
        "ReplayProgram.DISABLED_VerifiesInANewProcess",
        {{newprocess::PHASE_DATA_HOME, base}, {"VELDMARK_REPLAY_FILE", loadedLevel}});
    EXPECT_TRUE(verified.Passed()) << verified.output;
    EXPECT_NE(verified.output.find("replay " + loadedLevel + ": the same game, "), std::string::npos) << verified.output;
}

}  // namespace
