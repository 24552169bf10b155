// The galaxy map's rules as a player meets them: which missions are open, what the markers and
// tooltips say, where the map takes the mouse (the control panels' slanted edges, the start
// button's cut corner), double clicks, the moons darkening behind their planets, the planet
// panel with its briefing, its arrows and its locked face, which no tooltip covers, and the
// backdrop, the same whatever was shown before it.
#include "campaign/Galaxy.h"
#include "campaign/MissionScreen.h"
#include "campaign/PlayerProfile.h"
#include "gui/Button.h"
#include "gui/Label.h"
#include "interface/PlayerGame.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Scene.h"
#include "platform/PackageFile.h"
#include "platform/RandomUtil.h"
#include "platform/StringTable.h"
#include "platform/Timer.h"
#include "render/Camera.h"
#include "render/Draw2D.h"
#include "render/ParticleManager.h"
#include "render/Sprite.h"
#include "tests/support/Scoped.h"
#include "tests/campaign/CampaignTestSupport.h"
#include "tests/campaign/ProfileTestSupport.h"
#include "tests/gui/GuiTestSupport.h"

#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

// A star with two planets (the first with a moon) and a gas giant, levels 0 to 2; story
// missions 0 and 1 on the first planet and its moon.
struct SmallSystem {
    explicit SmallSystem(Galaxy& g) : galaxy(g)
    {
        galaxy.count = 1;
        galaxy.seed = 5;
        CelestialBody& root = galaxy.systems[0];
        root.systemIndex = 0;
        CopyText(root.name, sizeof root.name, "Omicron");
        root.levelMin = 0;
        root.levelMax = 2;
        planet = Add(&root, "Alpha", 0, 0);
        moon = Add(planet, "Alpha-0", 0, 1);
        second = Add(&root, "Beta", 2, 2);
        giant = Add(&root, "Gamma", 1, -1);
        giant->gasGiant = 2;
        planet->storyId = 0;
        moon->storyId = 1;
        CopyText(second->mission.verb, sizeof second->mission.verb, "Eliminate");
    }
    CelestialBody* Add(CelestialBody* parent, const char* name, int level, int missionId)
    {
        CelestialBody* body = new CelestialBody();
        CopyText(body->name, sizeof body->name, name);
        body->levelMin = body->levelMax = level;
        body->missionId = missionId;
        parent->AppendChild(body);
        return body;
    }
    Galaxy& galaxy;
    CelestialBody* planet;
    CelestialBody* moon;
    CelestialBody* second;
    CelestialBody* giant;
};

class GalaxyRules : public CampaignTest {
protected:
    void SetUp() override
    {
        CampaignTest::SetUp();
        LoadText("AddMission <first> <first_desc> <first_brief> guild 100 300 0 forest\n"
                 "AddMission <second> <second_desc> <second_brief> science 200 500 0 rand\n");
        system = std::make_unique<SmallSystem>(*galaxy);
        GetPlayerProfile()->level = 0;
    }
    void TearDown() override
    {
        MissionRequirementsIgnored = false;
        CampaignTest::TearDown();
    }
    ScopedClearProfile clearProfile;
    std::unique_ptr<SmallSystem> system;
};

using GalaxyGenerationKept = CampaignTest;

}  // namespace

TEST_F(GalaxyRules, MissionsOpenByLevelStoryOrderAndCompletion)
{
    SmallSystem& s = *system;
    PlayerProfile* profile = GetPlayerProfile();
    // Story 0 is open; story 1 waits for it; the level 2 world waits for level 2.
    EXPECT_TRUE(galaxy->CanAccess(s.planet));
    EXPECT_FALSE(galaxy->CanAccess(s.moon));
    EXPECT_FALSE(galaxy->CanAccess(s.second));
    EXPECT_FALSE(galaxy->CanAccess(nullptr));
    profile->SetMissionCompleted(0, true);
    EXPECT_TRUE(galaxy->CanAccess(s.moon)) << "the story goes on once the mission before is done";
    EXPECT_FALSE(galaxy->CanAccess(s.planet)) << "a mission done is not played again";
    profile->level = 2;
    EXPECT_TRUE(galaxy->CanAccess(s.second));
    // The console's switch opens everything.
    profile->level = 0;
    profile->ClearCompletedMissions();
    MissionRequirementsIgnored = true;
    EXPECT_TRUE(galaxy->CanAccess(s.moon));
    EXPECT_TRUE(galaxy->CanAccess(s.second));
}

TEST_F(GalaxyRules, MarkersShowWhatIsOpenDoneOrLocked)
{
    SmallSystem& s = *system;
    const struct {
        CelestialBody* body;
        BodyMarker before;
    } table[] = {{s.planet, MARKER_AVAILABLE}, {s.moon, MARKER_LOCKED}, {s.second, MARKER_NONE}, {s.giant, MARKER_NONE}};
    for (const auto& row : table) EXPECT_EQ(galaxy->SystemMarker(row.body), row.before) << row.body->name;
    EXPECT_EQ(galaxy->GalaxyMarker(&galaxy->systems[0]), MARKER_AVAILABLE) << "the system holds an open story";

    // Story 0 done: its world shows done, the moon's story opens; a random world done shows done.
    s.planet->completed = 1;
    GetPlayerProfile()->SetMissionCompleted(0, true);
    s.second->completed = 1;
    EXPECT_EQ(galaxy->SystemMarker(s.planet), MARKER_COMPLETED);
    EXPECT_EQ(galaxy->SystemMarker(s.moon), MARKER_AVAILABLE);
    EXPECT_EQ(galaxy->SystemMarker(s.second), MARKER_COMPLETED);
    // Everything done: the system is marked done.
    s.moon->completed = 1;
    GetPlayerProfile()->SetMissionCompleted(1, true);
    EXPECT_EQ(galaxy->GalaxyMarker(&galaxy->systems[0]), MARKER_COMPLETED);
    EXPECT_EQ(galaxy->GalaxyMarker(nullptr), MARKER_NONE);
}

TEST(GalaxyMoons, AMoonDarkensAsItPassesBehindItsPlanet)
{
    const struct {
        float moon, planet;
        bool shaded;
        float alpha;
    } table[] = {
        {90.0f, 90.0f, true, 0.2f},     {105.0f, 90.0f, true, 0.6f},  {60.0f, 90.0f, true, 1.0f},
        {121.0f, 90.0f, false, 0.0f},   {-170.0f, 175.0f, true, 0.2f + 15.0f / 30.0f * 0.8f},
        {350.0f, -10.0f, true, 0.2f},   {0.0f, 180.0f, false, 0.0f},
    };
    for (const auto& row : table) {
        float alpha = -1.0f;
        EXPECT_EQ(MoonShadeAlpha(row.moon, row.planet, &alpha), row.shaded) << row.moon << " " << row.planet;
        if (row.shaded) {
            EXPECT_NEAR(alpha, row.alpha, 1e-4f) << row.moon << " " << row.planet;
        }
    }
}

TEST(GalaxyMapMouse, TheMapStopsAtTheBottomBandAndTheSlantedPanelEdges)
{
    const int w = 1024, h = 768;
    const struct {
        int x, y;
        bool taken;
    } table[] = {
        {512, 300, true},   // open space
        {512, 690, true},   // above the bottom band, between the panels
        {512, 760, false},  // the bottom band
        {20, 640, false},   // the left panel, under its top edge
        {20, 600, true},    // above it
        {140, 640, true},   // above the slant of the left panel
        {170, 690, false},  // below it
        {1004, 640, false}, // the start panel
        {880, 640, true},   // above the slant of the start panel
        {860, 690, false},  // below it
    };
    for (const auto& row : table)
        EXPECT_EQ(GalaxyMapTakesPoint(row.x, row.y, w, h), row.taken) << row.x << ", " << row.y;
}

TEST(GalaxyMapMouse, TheStartButtonTakesNoClickInItsCutCorner)
{
    const int w = 1024, h = 768;
    // The button: x 868..1003, y 640..749; its corner cut along (932, 640)-(868, 698).
    const struct {
        int x, y;
        bool taken;
    } table[] = {
        {960, 720, true}, {990, 645, true}, {875, 740, true},  {872, 645, false}, {900, 650, false},
        {870, 690, false}, {860, 700, false}, {1010, 700, false}, {960, 760, false}, {960, 630, false},
    };
    for (const auto& row : table)
        EXPECT_EQ(StartButtonTakesPoint(row.x, row.y, w, h), row.taken) << row.x << ", " << row.y;
}

TEST_F(GalaxyGenerationKept, SwitchingViewsKeepsTheGalaxyAndItsSeed)
{
    galaxy->Generate(1003);
    const int count = galaxy->count;
    CelestialBody* first = galaxy->systems[0].firstChild;
    galaxy->selectedSystem = 0;
    galaxy->SetGalaxyView(false);
    EXPECT_EQ(galaxy->galaxyView, 0);
    EXPECT_GT(galaxy->cameraDistance, 0.0f);
    galaxy->SetGalaxyView(true);
    EXPECT_EQ(galaxy->galaxyView, 1);
    // The seed still names the galaxy shown, so the profile keeps it.
    EXPECT_EQ(galaxy->seed, 1003);
    EXPECT_EQ(galaxy->count, count);
    EXPECT_EQ(galaxy->systems[0].firstChild, first);
}

// The map's backdrop is spawned afresh each time the galaxy is shown: a level's effects
// spawned and freed in between, another view's backdrop, and the shared cosmetic generator's
// draws leave every particle of it where it stood the first time.
TEST_F(GalaxyGenerationKept, TheBackdropComesBackTheSameWhateverWasShownBetween)
{
    ParticleManager particles;  // the shipped definitions
    ScopedGlobal<ParticleManager*> scene(TheScene.particles, &particles);
    ScopedGlobal<MwcGenerator> cosmetic(CosmeticRandom());
    ScopedGlobal<float> frame(FrameTimer.delta, 0.05f);
    auto backdrop = [&] {
        std::vector<float> seen;
        for (auto* system = particles.active.head; system; system = system->next)
            for (auto* p = system->value->activeParticles.head; p; p = p->next)
                seen.insert(seen.end(), {p->value->position.x, p->value->position.y, p->value->position.z, p->value->size});
        return seen;
    };
    galaxy->ShowScreen(true);
    galaxy->galaxyView = 0;
    galaxy->selectedSystem = 0;
    galaxy->Generate(1003);
    galaxy->SetGalaxyView(true);
    const std::vector<float> first = backdrop();
    ASSERT_GT(first.size(), 400u);

    // A star system looked at, then a level: its effects come and go, some stopped early.
    galaxy->SetGalaxyView(false);
    particles.KillAll();
    for (const char* name : {"explo", "smoke_trail", "snow", "levelup", "explosparks", "mist"})
        ASSERT_NE(particles.SpawnSystem(name), nullptr) << name;
    for (int step = 0; step < 30; ++step) {
        particles.UpdateWith(0.05f);
        if (step == 5) particles.active.head->next->value->Stop();
        if (step == 9) particles.SpawnSystem("explo");
    }
    for (int i = 0; i < 37; ++i) CosmeticRandom().Next();
    galaxy->SetGalaxyView(true);
    EXPECT_TRUE(backdrop() == first) << "the backdrop shown again differs from the first";
}

TEST_F(GalaxyRules, ASecondPressOnTheSameBodySoonAfterIsADoubleClick)
{
    SmallSystem& s = *system;
    galaxy->clickTimer = 5.0f;
    EXPECT_FALSE(galaxy->RegisterClick(s.planet)) << "the first press";
    EXPECT_EQ(galaxy->clickedBody, s.planet);
    galaxy->clickTimer += 0.2f;
    EXPECT_TRUE(galaxy->RegisterClick(s.planet)) << "again within 0.3 seconds";
    galaxy->clickTimer += 0.2f;
    EXPECT_FALSE(galaxy->RegisterClick(s.moon)) << "another body";
    galaxy->clickTimer += 0.35f;
    EXPECT_FALSE(galaxy->RegisterClick(s.moon)) << "too late";
    EXPECT_FALSE(galaxy->RegisterClick(s.moon)) << "no time at all between them";
}

TEST_F(GalaxyRules, AClickOnAMoonsDiamondOverItsPlanetPicksTheMoon)
{
    SmallSystem& s = *system;
    galaxy->galaxyView = 0;
    // The system seen from in front, as the map draws it; the moon just below its planet, so its
    // diamond floats over the planet's globe. The other worlds stand well aside.
    ScopedGlobal<Matrix> view(ViewMatrix), projection(ProjectionMatrix);
    Camera camera;
    camera.eye = Vec3(0.0f, 0.0f, 10.0f);
    camera.target = Vec3(0.0f, 0.0f, 0.0f);
    camera.up = Vec3(0.0f, 1.0f, 0.0f);
    camera.aspect = (float)ScreenWidth() / (float)ScreenHeight();
    camera.BuildMatrices();
    galaxy->viewMatrix = ViewMatrix;
    galaxy->projectionMatrix = ProjectionMatrix;
    galaxy->cameraSet = true;
    const struct {
        CelestialBody* body;
        Vec3 at;
        float scale;
    } places[] = {{&galaxy->systems[0], {6.0f, 3.0f, 0.0f}, 0.5f},
                  {s.planet, {0.0f, 0.0f, 0.0f}, 1.0f},
                  {s.moon, {0.0f, -1.2f, 0.0f}, 0.2f},
                  {s.second, {-6.0f, 3.0f, 0.0f}, 0.5f},
                  {s.giant, {6.0f, -3.0f, 0.0f}, 0.5f}};
    for (const auto& place : places) {
        MatrixIdentity(&place.body->world);
        place.body->world._41 = place.at.x;
        place.body->world._42 = place.at.y;
        place.body->world._43 = place.at.z;
        place.body->scale = place.scale;
    }
    ASSERT_NE(galaxy->SystemMarker(s.moon), MARKER_NONE);
    const struct {
        Vec3 point;
        CelestialBody* picked;
    } clicks[] = {
        {{0.0f, -1.2f + 0.2f + SYSTEM_MARKER_LIFT, 0.0f}, s.moon},  // the moon's diamond, over the planet
        {{0.0f, 0.3f, 0.0f}, s.planet},                            // the planet beside it
        {{0.0f, -1.2f, 0.0f}, s.moon},                             // the moon itself
    };
    for (const auto& click : clicks) {
        const Vec3 screen = ProjectToScreen(click.point);
        EXPECT_EQ(galaxy->systems[0].HitTest(screen.x, screen.y), click.picked) << click.point.y;
    }

    // Zoomed far out the moon is a few pixels wide: a click a few pixels beside it is still its.
    camera.eye = Vec3(0.0f, 0.0f, 80.0f);
    camera.BuildMatrices();
    galaxy->viewMatrix = ViewMatrix;
    galaxy->projectionMatrix = ProjectionMatrix;
    const Vec3 moonMiddle = ProjectToScreen(Vec3(0.0f, -1.2f, 0.0f));
    EXPECT_EQ(galaxy->systems[0].HitTest(moonMiddle.x + 5.0f, moonMiddle.y), s.moon);
    EXPECT_EQ(galaxy->systems[0].HitTest(moonMiddle.x + 30.0f, moonMiddle.y), nullptr) << "open space";
}

TEST_F(GalaxyRules, TooltipsNameTheBodyItsMissionAndWhetherItIsOpen)
{
    SmallSystem& s = *system;
    s.second->environment = BODY_DESERT;
    EXPECT_EQ(galaxy->TooltipText(&galaxy->systems[0]), "Omicron\n Level:[0-2]\n");
    EXPECT_EQ(galaxy->TooltipText(s.giant), "Omicron-Gamma\nGas giant");
    // Unknown texts show their keys: the string tables are not loaded here.
    EXPECT_EQ(galaxy->TooltipText(s.planet), "Omicron-Alpha\n<forest>\nMission [Level 0]\nError: <first>\n[Mission Available]");
    EXPECT_EQ(galaxy->TooltipText(s.moon), "Omicron-Alpha-0\n<forest>\nMission [Level 0]\n????\n[Not Available]");
    EXPECT_EQ(galaxy->TooltipText(s.second), "Omicron-Beta\n<desert>\nMission [Level 2]\n????\n[Not Available]");
    s.second->completed = 1;
    EXPECT_EQ(galaxy->TooltipText(s.second), "Omicron-Beta\n<desert>\nMission [Level 2]\nEliminate\n[Mission Completed]");
    EXPECT_EQ(galaxy->TooltipText(nullptr), "");
}

TEST_F(GalaxyRules, ATooltipLingersAMomentAfterTheMouseLeavesItsBody)
{
    SmallSystem& s = *system;
    ClearTooltipLinger();
    EXPECT_EQ(TooltipBody(nullptr, 0.1f), nullptr);
    EXPECT_EQ(TooltipBody(s.planet, 0.1f), s.planet);
    EXPECT_EQ(TooltipBody(nullptr, 0.1f), s.planet);
    EXPECT_EQ(TooltipBody(nullptr, 0.1f), s.planet);
    EXPECT_EQ(TooltipBody(nullptr, 0.15f), nullptr) << "gone after 0.3 seconds";
    EXPECT_EQ(TooltipBody(nullptr, 0.0f), nullptr) << "the timer never goes below 0";
    EXPECT_EQ(TooltipBody(s.moon, 0.0f), s.moon);
    ClearTooltipLinger();
    EXPECT_EQ(TooltipBody(nullptr, 0.0f), nullptr) << "a change of view forgets it";
}

TEST_F(GalaxyRules, SystemCameraFitsTheOutermostOrbitAndZoomStaysInItsRange)
{
    SmallSystem& s = *system;
    galaxy->galaxyView = 0;
    galaxy->selectedSystem = 0;
    galaxy->systems[0].scale = 0.5f;
    s.planet->orbitRadius = 1.0f;
    s.planet->scale = 0.1f;
    s.second->orbitRadius = 2.0f;
    s.second->scale = 0.2f;
    s.giant->orbitRadius = 3.0f;
    s.giant->scale = 0.3f;
    galaxy->panX = 3.0f;
    galaxy->FitSystemCamera();
    EXPECT_FLOAT_EQ(galaxy->cameraDistance, 3.3f * 3.1415f);
    EXPECT_FLOAT_EQ(galaxy->cameraTargetDistance, galaxy->cameraDistance);
    EXPECT_EQ(galaxy->panX, 0.0f);
    for (int i = 0; i < 60; ++i) OnZoomOut(nullptr, nullptr);
    EXPECT_FLOAT_EQ(galaxy->cameraTargetDistance, 100.0f);
    for (int i = 0; i < 60; ++i) OnZoomIn(nullptr, nullptr);
    EXPECT_FLOAT_EQ(galaxy->cameraTargetDistance, 5.0f);
    OnToggleOrbits(nullptr, nullptr);
    EXPECT_EQ(galaxy->showOrbits, 0);
}

namespace {

// The map screen and planet panel built in the GUI tests' world, over the small system.
class PlanetPanelTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        MissionScreen::ClearMissions();
        std::string path = MakeTempFolder("missions") + "/missions.cgs";
        ASSERT_TRUE(WriteTextFile(path, "AddMission First Stake_the_claim <galaxy_test_brief> guild 100 300 0 forest\n"
                                            "AddMission <second> <second_desc> <second_brief> corporate 200 500 0 rand\n"));
        ASSERT_TRUE(MissionScreen::LoadMissions(path.c_str()));
        galaxy = std::make_unique<Galaxy>();
        TheGalaxy = galaxy.get();
        savedGame = TheGame;
        TheGame = &game;
        game.state = GAME_STATE_FRONT_END;
        system = std::make_unique<SmallSystem>(*galaxy);
        galaxy->CreateGui();
        galaxy->CreatePlanetPanel();
    }
    void TearDown() override
    {
        galaxy->ReleaseGui();
        galaxy->ReleasePlanetAssets();
        galaxy.reset();
        TheGalaxy = nullptr;
        TheGame = savedGame;
        MissionScreen::ClearMissions();
        GuiTest::TearDown();
    }
    // A briefing long enough for many lines of the panel, in the string tables.
    void LoadLongBriefing(StringTable& table)
    {
        std::string text = "<galaxy_test_brief>\t";
        for (int i = 0; i < 300; ++i) text += "word ";
        const std::string path = MakeTempFolder("strings") + "/strings.txt";
        ASSERT_TRUE(WriteTextFile(path, text + "end\n"));
        ASSERT_TRUE(table.LoadFile(path.c_str()));
    }
    void Open(CelestialBody* body)
    {
        galaxy->clickedBody = body;
        intptr_t open = 1;
        OnMissionBriefing(&open, nullptr);
    }

    ScopedClearProfile clearProfile;
    std::unique_ptr<Galaxy> galaxy;
    std::unique_ptr<SmallSystem> system;
    PlayerGame game;
    GameMechanics* savedGame = nullptr;
};

}  // namespace

TEST_F(PlanetPanelTest, ALongBriefingScrollsWithItsArrowsAndNeverPastItsEnds)
{
    PlanetPanel& panel = galaxy->panel;
    StringTable table;
    ASSERT_TRUE(table.Init());
    LoadLongBriefing(table);
    ScopedGlobal<StringTable*> strings(Strings, &table);
    Open(system->planet);
    ASSERT_TRUE(galaxy->PlanetPanelShown());
    EXPECT_TRUE(panel.accessible);
    // The box shows as many lines as its height holds: about fifteen.
    EXPECT_GE(panel.linesShown, 12);
    ASSERT_GT(panel.lineCount, panel.linesShown) << "the briefing is longer than the panel";
    EXPECT_FALSE(panel.upArrow->IsVisible()) << "at the top only the down arrow";
    EXPECT_TRUE(panel.downArrow->IsVisible());
    intptr_t up = 0, down = 1;
    OnScrollBriefing(&up, nullptr);
    EXPECT_EQ(panel.firstLine, 0) << "never above the first line";
    OnScrollBriefing(&down, nullptr);
    EXPECT_EQ(panel.firstLine, 1);
    EXPECT_TRUE(panel.upArrow->IsVisible());
    EXPECT_TRUE(panel.downArrow->IsVisible());
    for (int i = 0; i < 50; ++i) OnScrollBriefing(&down, nullptr);
    EXPECT_EQ(panel.firstLine, panel.lineCount - panel.linesShown) << "the last page ends on the last line";
    EXPECT_TRUE(panel.upArrow->IsVisible());
    EXPECT_FALSE(panel.downArrow->IsVisible()) << "at the end only the up arrow";

    // The wheel over the briefing scrolls it too.
    mouse.wheel = 120;
    Pass(panel.briefingBacking->x + 5, panel.briefingBacking->y + 5);
    EXPECT_EQ(panel.firstLine, panel.lineCount - panel.linesShown - 1);
    EXPECT_EQ(mouse.wheel, 0) << "the wheel is taken";
}

// A name too long for one line wraps, and all under it moves down: no line of the heading covers
// another, and the briefing box below them keeps the rest of the panel. The rewards list each
// objective's count once.
TEST_F(PlanetPanelTest, ALongNameMovesTheHeadingDownAndCountsShowOnce)
{
    PlanetPanel& panel = galaxy->panel;
    Open(system->planet);
    const int shortTop = panel.briefingBacking->y, shortLines = panel.linesShown;
    StringTable table;
    ASSERT_TRUE(table.Init());
    const std::string path = MakeTempFolder("strings") + "/strings.txt";
    ASSERT_TRUE(WriteTextFile(path, "<long_name>\tTablets of the Old Ones, far beyond the last of the stars\n"));
    ASSERT_TRUE(table.LoadFile(path.c_str()));
    ScopedGlobal<StringTable*> strings(Strings, &table);
    MissionRecord& record = MissionScreen::missions[0];
    CopyText(record.name, sizeof record.name, "<long_name>");
    Objective* nests = new Objective();
    CopyText(nests->text, sizeof nests->text, "nests_[3]");
    CopyText(nests->id, sizeof nests->id, "kill_nests");
    nests->targetCount = 3;
    record.AddObjective(nests);
    Open(system->planet);
    ASSERT_TRUE(panel.accessible);
    int lines = 0;
    const Label* name = panel.nameLabel;
    const int nameHeight = name->font->DrawWrappedText(name->GetText(), name->wrapWidth, 0, 0, 0, 0, &lines);
    ASSERT_GE(lines, 2) << "the name wraps";
    EXPECT_GE(panel.factionLabel->y, name->y + nameHeight);
    EXPECT_GT(panel.levelLabel->y, panel.factionLabel->y);
    EXPECT_GT(panel.objectivesLabel->y, panel.levelLabel->y) << "\"Objectives\" under the level line";
    EXPECT_GT(panel.descLabel->y, panel.objectivesLabel->y);
    EXPECT_GE(panel.briefingBacking->y, shortTop);
    EXPECT_GT(panel.briefingBacking->y, panel.descLabel->y);
    EXPECT_EQ(panel.briefingBacking->y + panel.briefingBacking->height, panel.briefingBottom) << "the box ends where it did";
    EXPECT_LE(panel.linesShown, shortLines);
    EXPECT_GE(panel.linesShown, 1);

    painter.Clear();
    galaxy->DrawInfoPanel();
    int listed = 0;
    for (const DrawnText& t : painter.texts) {
        EXPECT_EQ(t.text.find("] ["), std::string::npos) << t.text;
        listed += t.text.find("[3]") != std::string::npos;
    }
    EXPECT_EQ(listed, 1) << "the objective, with its count once";
}

TEST_F(PlanetPanelTest, AShortBriefingHasNoArrowsAndMissingTextsSayWhichKey)
{
    PlanetPanel& panel = galaxy->panel;
    GetPlayerProfile()->SetMissionCompleted(0, true);
    Open(system->moon);
    EXPECT_TRUE(panel.accessible);
    EXPECT_STREQ(panel.briefingLabel->GetText(), "Error: <second_brief>");
    EXPECT_STREQ(panel.nameLabel->GetText(), "Error: <second>");
    EXPECT_FALSE(panel.upArrow->IsVisible());
    EXPECT_FALSE(panel.downArrow->IsVisible());
    EXPECT_STREQ(panel.environmentLabel->GetText(), "Environment: Unknown") << "the story's world is chosen at random";
    EXPECT_STREQ(panel.factionLabel->GetText(), GetFactionName(2));
    EXPECT_STREQ(panel.giverLabel->GetText(), GetMissionGiver("corporate", true)) << "the corporation's chief";
}

TEST_F(PlanetPanelTest, ALockedBodyShowsNoBriefingAndAcceptIsRefused)
{
    PlanetPanel& panel = galaxy->panel;
    Open(system->moon);
    ASSERT_TRUE(galaxy->PlanetPanelShown());
    EXPECT_FALSE(panel.accessible);
    EXPECT_STREQ(panel.nameLabel->GetText(), "You can't do this mission yet!");
    EXPECT_STREQ(panel.briefingLabel->GetText(), "");
    EXPECT_STREQ(panel.factionLabel->GetText(), "");
    EXPECT_STREQ(panel.planetLabel->GetText(), "Planet: Alpha-0");
    EXPECT_FALSE(panel.upArrow->IsVisible());
    EXPECT_FALSE(panel.downArrow->IsVisible());

    // "Accept" on it changes nothing; on the open planet it selects the mission.
    galaxy->selectedBody = nullptr;
    intptr_t close = 0;
    OnAcceptMission(&close, nullptr);
    EXPECT_EQ(galaxy->selectedBody, nullptr);
    EXPECT_FALSE(galaxy->currentBriefingButton->IsEnabled());
    Open(system->planet);
    OnAcceptMission(&close, nullptr);
    EXPECT_EQ(galaxy->selectedBody, system->planet);
    EXPECT_FALSE(galaxy->PlanetPanelShown()) << "Accept closes the panel";
    EXPECT_TRUE(galaxy->currentBriefingButton->IsEnabled());
    EXPECT_EQ(MissionScreen::selectedIndex, 0);
    EXPECT_FALSE(MissionScreen::scratchActive);
    // A clear selection greys the briefing button again.
    galaxy->ClearSelection();
    EXPECT_EQ(galaxy->selectedBody, nullptr);
    EXPECT_FALSE(galaxy->currentBriefingButton->IsEnabled());
}

TEST_F(PlanetPanelTest, NoTooltipCoversTheOpenBriefing)
{
    PlanetPanel& panel = galaxy->panel;
    Open(system->moon);
    ASSERT_TRUE(galaxy->PlanetPanelShown());
    // The tooltip of a world just outside the open briefing goes beside the mouse where it
    // leaves the briefing clear; with the briefing closed, below and to the right.
    int px = 0, py = 0;
    const Window* box = panel.frame->firstChild;
    box->GetScreenPosition(&px, &py);
    const int boxW = 150, boxH = 90, offset = (int)(0.0208333f * ScreenHeight());
    const struct {
        int x, y;
    } mice[] = {{px - 5, py - 5}, {px - 5, py + box->height / 2}, {px + box->width / 2, py - 5},
                {px + box->width + 5, py + box->height / 2}, {px + box->width / 2, py + box->height + 5}};
    for (const auto& m : mice) {
        SCOPED_TRACE(std::to_string(m.x) + "," + std::to_string(m.y));
        int x = 0, y = 0;
        ASSERT_TRUE(galaxy->PlaceTooltip(m.x, m.y, boxW, boxH, &x, &y));
        EXPECT_TRUE(x >= px + box->width || x + boxW <= px || y >= py + box->height || y + boxH <= py);
    }
    panel.frame->SetVisible(false);
    int x = 0, y = 0;
    ASSERT_TRUE(galaxy->PlaceTooltip(px - 5, py - 5, boxW, boxH, &x, &y));
    EXPECT_EQ(x, px - 5 + offset);
    EXPECT_EQ(y, py - 5 + offset);
}

TEST_F(PlanetPanelTest, AnAcceptedMissionWaitsAgainAfterARestart)
{
    PlayerProfile* profile = GetPlayerProfile();
    const std::string path = MakeTempFolder("accepted") + "/Pilot.cgs";
    intptr_t close = 0;
    Open(system->planet);
    OnAcceptMission(&close, nullptr);
    ASSERT_EQ(galaxy->selectedBody, system->planet);
    ASSERT_TRUE(profile->Save(path.c_str(), false));

    // The next run: the profile read again, the map opened on a galaxy with nothing selected.
    struct Case {
        const char* what;
        int completed;
        bool waits;
    };
    for (const Case& c : {Case{"open", 0, true}, Case{"done meanwhile", 1, false}}) {
        SCOPED_TRACE(c.what);
        profile->Clear();
        galaxy->selectedBody = nullptr;
        galaxy->currentBriefingButton->SetEnabled(false);
        MissionScreen::selectedIndex = -1;
        system->planet->completed = c.completed;
        ASSERT_TRUE(profile->Load(path.c_str(), false, false));
        galaxy->RestoreAcceptedMission();
        EXPECT_EQ(galaxy->selectedBody, c.waits ? system->planet : nullptr);
        EXPECT_EQ(galaxy->currentBriefingButton->IsEnabled(), c.waits);
        EXPECT_EQ(MissionScreen::selectedIndex, c.waits ? 0 : -1);
    }

    // A mission ended (the selection cleared) is not waiting any more.
    system->planet->completed = 0;
    galaxy->RestoreAcceptedMission();
    galaxy->ClearSelection();
    ASSERT_TRUE(profile->Save(path.c_str(), false));
    profile->Clear();
    ASSERT_TRUE(profile->Load(path.c_str(), false, false));
    galaxy->RestoreAcceptedMission();
    EXPECT_EQ(galaxy->selectedBody, nullptr);
}

TEST_F(PlanetPanelTest, TheStartButtonBlinksWhileAMissionWaits)
{
    galaxy->UpdateStartButton(0.1f);
    EXPECT_STREQ(galaxy->startButton->text, "    No\nMission");
    galaxy->selectedBody = system->planet;
    galaxy->blinkTimer = 1.0f;
    const uint32_t grey = 0xFFBFBFBF;
    const struct {
        float dt;
        uint32_t colour;
    } steps[] = {{0.3f, 0xFFFFFFFF}, {0.3f, 0xFFFFFFFF}, {0.3f, grey}, {0.3f, grey}, {0.3f, 0xFFFFFFFF}};
    for (const auto& step : steps) {
        galaxy->UpdateStartButton(step.dt);
        EXPECT_STREQ(galaxy->startButton->text, "  Start\nMission");
        EXPECT_EQ(galaxy->startButton->unpressedSprite->colour, step.colour) << galaxy->blinkTimer;
    }
}

namespace {

// Whether a package holds the file of a data path (packages are looked up by file name).
bool Ships(PackageFile& package, const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return package.FindEntry(path.substr(slash == std::string::npos ? 0 : slash + 1).c_str()) >= 0;
}

}  // namespace

TEST_F(PlanetPanelTest, EverythingTheMapDrawsIsShipped)
{
    PackageFile textures, gui, meshes, shaders, particles;
    ASSERT_TRUE(textures.Open("data/textures.pkb", false));
    ASSERT_TRUE(gui.Open("data/gui.pkb", false));
    ASSERT_TRUE(meshes.Open("data/mesh.pkb", false));
    ASSERT_TRUE(shaders.Open("data/shaders.pkb", false));
    ASSERT_TRUE(particles.Open("data/effects.pkb", false));
    for (const char* mesh : {"planet_0.txt", "rings.txt", "planet_selected.txt", "galaxy.txt"})
        EXPECT_TRUE(Ships(meshes, mesh)) << mesh;
    for (const char* effect : {"star.fx", "comboplanet.fx", "gasgiant.fx", "line.fx", "sprite.fx"})
        EXPECT_TRUE(Ships(shaders, effect)) << effect;
    for (const char* system : {"galaxy", "galaxy2", "galstars", "nebula", "galcenter", "bgstars", "corona"})
        EXPECT_TRUE(Ships(particles, std::string(system) + ".txt")) << system;
    std::vector<std::string> worlds = {"sun.dds", "planets.dds", "planet_environments.dds", "green_alpha.dds"};
    for (const char* environment : {"forest", "desert", "fall", "marsh", "winter", "moon", "alien", "lava"})
        worlds.push_back(std::string("p_") + environment + "_1.dds");
    for (int i = 0; i < 7; ++i) worlds.push_back("ocean_" + std::to_string(i) + ".dds");
    for (int i = 0; i < 4; ++i) worlds.push_back("clouds_" + std::to_string(i) + ".dds");
    for (const std::string& texture : worlds) EXPECT_TRUE(Ships(textures, texture)) << texture;
    for (const char* picture : {"env_frame.dds", "planet_controls.dds", "planetlabels.dds"})
        EXPECT_TRUE(Ships(gui, picture)) << picture;

    // Every quad of the map screen and of the planet panel, in both views.
    galaxy->ShowScreen(true);
    Open(system->planet);
    std::set<std::string> drawn;
    galaxy->selectedSystem = 0;
    for (int view = 0; view < 2; ++view) {
        galaxy->galaxyView = view;
        galaxy->ApplyViewLayout();
        painter.Clear();
        manager.Draw();
        for (const DrawnQuad& quad : painter.quads)
            if (!quad.texture.empty()) drawn.insert(quad.texture);
    }
    EXPECT_GT(drawn.size(), 15u);
    for (const std::string& path : drawn)
        EXPECT_TRUE(Ships(gui, path) || Ships(textures, path)) << path << " is drawn but not shipped";
}
