// What the world view shows in a real level, played with the keys and the mouse, at two screen
// sizes: wherever the player takes the camera the screen above the HUD's bottom bar shows the
// map and never the void past its edge, and each edge of the map can be brought above the bar.
#include "tests/app/PlayerSessionSupport.h"

#include "host/InputScript.h"
#include "interface/MissionHud.h"
#include "platform/GameSeam.h"
#include "terrain/Environment.h"
#include "terrain/Minimap.h"
#include "world/BuildItem.h"
#include "world/Grid.h"

#include <algorithm>

using namespace playersession;

namespace {

class PicturesSession : public PlayerSession, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override
    {
        resolution = GetParam();
        PlayerSession::SetUp();
    }
    void TearDown() override
    {
        TheMinimap.SetFogEnabled(true);
        PlayerSession::TearDown();
    }
    // Passes of the loop without their pictures: keys, mouse and camera move as in a frame.
    // For the frames on the way to where a picture is taken, which only cost time drawn.
    static void PassesWithoutPictures(int count, float seconds)
    {
        for (int i = 0; i < count; ++i) {
            ClockTicks += (uint64_t)(seconds * 1000000.0f);
            FrameTimer.Tick();
            if (Input.keyboard) Input.keyboard->Update();
            if (Input.mouse) Input.mouse->Update();
            if (WindowMgr) WindowMgr->Update(Input.mouse);
            UpdateGameState(GamePaused ? 0.0f : FrameTimer.delta);
            beatingwatch::TheWatch.Step();
        }
    }
    // Frames while the camera scrolls, until it has stood still for a few of them (up to six
    // seconds: enough to cross the map).
    static void ScrollUntilStill()
    {
        Vec3 last = GameCamera.eye;
        for (int pass = 0, still = 0; pass < 60 && still < 3; ++pass) {
            PassesWithoutPictures(1, 0.1f);
            const Vec3 now = GameCamera.eye;
            still = (now.x == last.x && now.z == last.z) ? still + 1 : 0;
            last = now;
        }
    }
    std::string Size() const { return std::to_string(Config->width) + "x" + std::to_string(Config->height); }

    // The ground under the four corners of the world's view above the HUD's bottom bar, through
    // the frame's own view: the box of where their rays meet the ground.
    static void GroundUnderTheScreen(float* minX, float* maxX, float* minZ, float* maxZ)
    {
        *minX = *minZ = 1e30f;
        *maxX = *maxZ = -1e30f;
        for (int corner = 0; corner < 4; ++corner) {
            Vec3 nearPoint, farPoint;
            BuildPickRay(corner % 2 ? Config->width - 1.0f : 0.0f, corner / 2 ? (float)HudBottomBarTop() : 0.0f, &nearPoint,
                         &farPoint);
            Vec3 ray = farPoint - nearPoint;
            ASSERT_LT(ray.y, 0.0f) << "every corner of the screen looks down at the ground";
            Vec3 ground = nearPoint + ray * (nearPoint.y / -ray.y);
            *minX = std::min(*minX, ground.x), *maxX = std::max(*maxX, ground.x);
            *minZ = std::min(*minZ, ground.z), *maxZ = std::max(*maxZ, ground.z);
        }
    }
    // The screen shows nothing but the map; returns how close its view came to each edge.
    void ExpectOverTheMap(const char* how, float* gapLeft, float* gapRight, float* gapTop, float* gapBottom)
    {
        SCOPED_TRACE(how);
        float minX, maxX, minZ, maxZ;
        GroundUnderTheScreen(&minX, &maxX, &minZ, &maxZ);
        const float half = MAP_WORLD_SIZE * 0.5f, slack = 0.5f;
        EXPECT_GE(minX, -half - slack);
        EXPECT_LE(maxX, half + slack);
        EXPECT_GE(minZ, -half - slack);
        EXPECT_LE(maxZ, half + slack);
        // Left on the screen is +x, the top -z: the camera looks toward -z.
        *gapLeft = half - maxX, *gapRight = minX + half, *gapTop = minZ + half, *gapBottom = half - maxZ;
        // Along the bottom what counts is the ground shown at the bar's top: the wall round the
        // map stands there, higher than the ground the corners' rays are followed down to.
        Vec3 nearPoint, farPoint, shown;
        BuildPickRay(Config->width * 0.5f, (float)HudBottomBarTop(), &nearPoint, &farPoint);
        if (GetGameSeam().IntersectTerrain(nearPoint, farPoint - nearPoint, &shown)) *gapBottom = half - shown.z;
    }
    Pixels Shot(const std::string& name)
    {
        Image shot;
        EXPECT_TRUE(ShotOfNextFrame(base + "/" + name + ".png", shot));
        Pixels picture = ToPixels(shot);
        EXPECT_TRUE(MatchesReference(picture, name, {12, picture.width * picture.height / 50}));
        // The shot leaves the cursor in the corner, where it would scroll the view.
        MoveMouseTo(Config->width / 2, Config->height / 3);
        return picture;
    }

    // The rig selected with a click, and a building of its build panel taken in hand.
    bool TakeBuildingInHand(const char* name)
    {
        Agent* rig = GetPlayerRig();
        int rigX = 0, rigY = 0;
        if (!rig || !OnScreen(rig->GetPosition(), &rigX, &rigY)) return false;
        MoveMouseTo(rigX, rigY - 4);
        Click(0);
        Passes(2, 0.05f);
        return TakeFromBuildPanel(name);
    }
};

TEST_P(PicturesSession, ABuildingGoesUpFromItsFoot)
{
    ASSERT_TRUE(IntoAForestMission());
    ASSERT_TRUE(TakeBuildingInHand("bot_factory"));
    Agent* rig = GetPlayerRig();
    Vec3 site;
    ASSERT_TRUE(FindOpenGround(rig->GetPosition(), &site));
    Building* factory = PutDownAt(site, "bot_factory");
    ASSERT_NE(factory, nullptr);
    ASSERT_EQ(factory->buildState, BUILD_STATE_CONSTRUCTING);
    const float buildTime = factory->definition->buildTime;
    for (float part : {0.3f, 0.7f}) {
        PlayWithoutPictures(60.0f, 0.1f, [&] { return factory->buildProgress < part * buildTime; });
        Passes(2, 0.05f);
        ASSERT_GE(factory->buildProgress, part * buildTime);
        Pixels picture = Shot("construction_" + std::to_string(int(part * 100)) + "_" + Size());
        // The site is painted and lit: on the screen round it next to nothing is bare white.
        int x = 0, y = 0;
        ASSERT_TRUE(OnScreen(factory->GetPosition(), &x, &y));
        const int reach = Config->width / 16;
        int white = 0, all = 0;
        for (int py = y - reach; py < y + reach; ++py)
            for (int px = x - reach; px < x + reach; ++px, ++all) {
                uint32_t c = picture.At(px, py);
                white += Red(c) > 215 && Green(c) > 215 && Blue(c) > 215;
            }
        EXPECT_LT(white * 50, all) << "no white slab where the factory goes up";
    }
}

TEST_P(PicturesSession, TheFirstFrameOfALevelShowsTheWorld)
{
    ASSERT_TRUE(LeaveForTheFrontEnd());
    SRand(7);
    TheGalaxy->selectedBody = TheGalaxy->PickMissionBody(FOREST);
    ASSERT_NE(TheGalaxy->selectedBody, nullptr);
    ASSERT_TRUE(TheGalaxy->StartSelectedMission(true));
    // The main loop's passes, with the pictures taken of the frame the level starts in and of
    // one a few frames on.
    const std::string path = base + "/first_frame.png", nextPath = base + "/later_frame.png";
    auto pass = [](const std::string* shot) {
        ClockTicks += 50000;
        FrameTimer.Tick();
        if (Input.mouse) Input.mouse->Update();
        UpdateGameState(FrameTimer.delta);
        beatingwatch::TheWatch.Step();
        if (shot && TheGame->state == GAME_STATE_PLAYING)
            Graphics->SaveScreenshot(shot->c_str(), Config->width, Config->height);
        RenderFrame();
    };
    for (int i = 0; i < 100 && TheGame->state != GAME_STATE_PLAYING; ++i) pass(&path);
    ASSERT_EQ(TheGame->state, GAME_STATE_PLAYING);
    for (int i = 0; i < 4; ++i) pass(nullptr);
    pass(&nextPath);
    auto load = [](const std::string& file, Pixels* pixels) {
        Image loaded, shot;
        if (!LoadImageFile(file.c_str(), loaded) || !ConvertImage(loaded, PixelFormat::A8R8G8B8, shot)) return false;
        *pixels = ToPixels(shot);
        return true;
    };
    Pixels picture, next;
    ASSERT_TRUE(load(path, &picture) && load(nextPath, &next));
    EXPECT_TRUE(MatchesReference(picture, "first_frame_" + Size(), {12, picture.width * picture.height / 50}));
    // The rig stands on the first frame as on the later one: round it the two pictures agree.
    int rigX = 0, rigY = 0;
    ASSERT_TRUE(OnScreen(GetPlayerRig()->GetPosition(), &rigX, &rigY));
    const int reach = Config->width / 24;
    int differ = 0, all = 0;
    for (int py = rigY - 2 * reach; py < rigY + reach; ++py)
        for (int px = rigX - reach; px < rigX + reach; ++px, ++all) {
            const uint32_t a = picture.At(px, py), b = next.At(px, py);
            differ += std::abs(Red(a) - Red(b)) + std::abs(Green(a) - Green(b)) + std::abs(Blue(a) - Blue(b)) > 60;
        }
    EXPECT_LT(differ * 10, all) << "the rig is drawn on the level's first frame";
    // The ground round the rig in the middle of the screen, not black.
    const int x0 = Config->width / 4, y0 = Config->height / 4, x1 = Config->width * 3 / 4, y1 = Config->height / 2;
    EXPECT_GT(picture.CountLit(x0, y0, x1, y1, 24) * 2, (x1 - x0) * (y1 - y0)) << "the ground shows";
}

TEST_P(PicturesSession, TheBuildingInHandStandsOnItsFootprint)
{
    ASSERT_TRUE(IntoAForestMission());
    ASSERT_TRUE(TakeBuildingInHand("bot_factory"));
    Agent* rig = GetPlayerRig();
    Vec3 site;
    ASSERT_TRUE(FindOpenGround(rig->GetPosition(), &site));
    int x = 0, y = 0;
    ASSERT_TRUE(OnScreen(site, &x, &y));
    MoveMouseTo(x, y);
    Passes(2, 0.05f);
    // The green tiles cover the cells the building will take: their edges on the screen that
    // the model does not hide (left and bottom, the camera looking toward -z) are the cells'.
    Entity* ghost = TheGame->buildItems->current->prototype;
    const Grid& grid = *TheGame->grid;
    int c0, r0, c1, r1;
    ASSERT_TRUE(ghost->GetGridFootprint(&c0, &r0, &c1, &r1));
    const Vec3 low = grid.CellToWorld(c0, r0), high = grid.CellToWorld(c1 + 1, r1 + 1);
    float left = 1e9f, bottom = 0.0f, right = 0.0f, top = 1e9f;
    for (const Vec3& corner : {low, high, Vec3(low.x, 0, high.z), Vec3(high.x, 0, low.z)}) {
        Vec3 at = ProjectToScreen(Vec3(corner.x, TheTerrain.GetHeight(corner) + 0.2f, corner.z));
        left = std::min(left, at.x), bottom = std::max(bottom, at.y);
        right = std::max(right, at.x), top = std::min(top, at.y);
    }
    // Less than half a cell on the screen is a slanted edge's rounding; a tile out of place is off
    // by a whole cell.
    const Vec3 a = ProjectToScreen(low), b = ProjectToScreen(low + Vec3(grid.cellSize, 0.0f, 0.0f));
    const float slack = 0.4f * std::fabs(a.x - b.x);
    Pixels picture = Shot("preview_" + Size());
    int greenLeft = Config->width, greenBottom = 0;
    // Looked for within a little more than a cell round the footprint, so a tile a cell out of
    // place is seen but the HUD's green bars near a site low on the screen are not.
    const int margin = (int)(1.2f * std::fabs(a.x - b.x));
    for (int py = std::max(0, (int)top - margin); py < std::min(Config->height, (int)bottom + margin); ++py)
        for (int px = std::max(0, (int)left - margin); px < std::min(Config->width, (int)right + margin); ++px) {
            uint32_t c = picture.At(px, py);
            if (Green(c) > 150 && Red(c) < 120 && Blue(c) < 120) greenLeft = std::min(greenLeft, px), greenBottom = std::max(greenBottom, py);
        }
    EXPECT_NEAR(greenLeft, left, slack) << "the tiles end where the cells end";
    EXPECT_NEAR(greenBottom, bottom, slack);

    // Pushed toward the map's edge, the building stays on the map.
    TheMinimap.SetFogEnabled(false);
    InputScript::KeyDown(DIK_LEFT);
    Passes(60, 0.1f);
    InputScript::KeyUp(DIK_LEFT);
    MoveMouseTo(2, Config->height / 3);
    Passes(2, 0.05f);
    const Vec3 at = ghost->GetPosition();
    EXPECT_LE(at.x, MAP_WORLD_SIZE * 0.5f);
    EXPECT_GE(at.x, -MAP_WORLD_SIZE * 0.5f);
    Shot("preview_edge_" + Size());
}

TEST_P(PicturesSession, TheCameraStaysOverTheMap)
{
    ASSERT_TRUE(IntoAForestMission());
    // The developers' view without the fog of war: the pictures show the ground to the edge.
    TheMinimap.SetFogEnabled(false);
    float left, right, top, bottom;
    // A scroll stops a frame's step short of the edge at most: 30 units a second plus the
    // eye's height, for a tenth of a second.
    const float STEP = (Config->scrollSpeed + GameCamera.eye.y) * 0.1f + 0.5f;

    // Held arrows scroll until the view meets the edge, and no further: the edge behind the
    // camera comes to the top of the HUD's bottom bar.
    struct Way {
        int key;
        float* gap;
        const char* what;
    };
    const Way keys[] = {{DIK_LEFT, &left, "left arrow"},
                        {DIK_UP, &top, "up arrow"},
                        {DIK_RIGHT, &right, "right arrow"},
                        {DIK_DOWN, &bottom, "down arrow"}};
    MoveMouseTo(Config->width / 2, Config->height / 3);
    for (const Way& way : keys) {
        InputScript::KeyDown(way.key);
        ScrollUntilStill();
        InputScript::KeyUp(way.key);
        Passes(1, 0.05f);
        ExpectOverTheMap(way.what, &left, &right, &top, &bottom);
        EXPECT_LT(*way.gap, STEP) << way.what << " scrolled to the edge";
        if (way.key == DIK_LEFT) Shot("camera_left_edge_" + Size());
    }

    // The cursor at the screen's edges scrolls the same way.
    struct Edge {
        int x, y;
        float* gap;
        const char* what;
    };
    const int w = Config->width, h = Config->height;
    const Edge edges[] = {{0, h / 3, &left, "cursor at the left edge"},
                          {w / 2, 0, &top, "cursor at the top edge"},
                          {w - 1, h / 3, &right, "cursor at the right edge"},
                          {w / 2, h - 1, &bottom, "cursor at the bottom edge"}};
    for (const Edge& edge : edges) {
        MoveMouseTo(edge.x, edge.y);
        ASSERT_TRUE(edge.x == Input.mouse->cursorX || edge.y == Input.mouse->cursorY) << "the cursor is at the edge";
        ScrollUntilStill();
        MoveMouseTo(w / 2, h / 3);
        ExpectOverTheMap(edge.what, &left, &right, &top, &bottom);
        EXPECT_LT(*edge.gap, STEP) << edge.what << " scrolled to the edge";
    }

    // A click on the corner pixel of the minimap looks at that corner of the map, as close as
    // the view can go.
    const MinimapLayout& box = TheMinimap.layout;
    struct Corner {
        int x, y;
        float *gapA, *gapB;
        const char* what;
    };
    const int lastX = box.x + box.width - 1, lastY = box.y + box.height - 1;
    const Corner corners[] = {{box.x, box.y, &left, &top, "minimap's top left"},
                              {lastX, lastY, &right, &bottom, "minimap's bottom right"},
                              {lastX, box.y, &right, &top, "minimap's top right"},
                              {box.x, lastY, &left, &bottom, "minimap's bottom left"}};
    for (const Corner& corner : corners) {
        // The hand's steps are coarser than a pixel at the larger sizes: the last one is placed.
        MoveMouseTo(corner.x, corner.y);
        Input.mouse->cursorX = corner.x;
        Input.mouse->cursorY = corner.y;
        Click(0);
        MoveMouseTo(w / 2, h / 3);
        ExpectOverTheMap(corner.what, &left, &right, &top, &bottom);
        EXPECT_LT(*corner.gapA, 4.0f) << corner.what;
        EXPECT_LT(*corner.gapB, 4.0f) << corner.what;
        if (corner.x == box.x && corner.y == box.y) Shot("camera_minimap_corner_" + Size());
    }
}

// At three screen sizes, zoomed all the way in and all the way out, at each edge of the map: the
// lower half of the screen above the HUD's bottom bar, nearest the eye, shows ground and never
// the flat colour of the void beside and under the map (the wall round the map rises higher than
// a zoomed-in eye).
class CameraAtTheEdges : public PicturesSession {};

TEST_P(CameraAtTheEdges, NoVoidShowsAtAnyEdgeOrZoom)
{
    ASSERT_TRUE(IntoAForestMission());
    TheMinimap.SetFogEnabled(false);
    const Vec4 fog = Environment::GetFogColour();
    auto isVoid = [&fog](uint32_t c) {
        return std::fabs(Red(c) - fog.x * 255.0f) < 3.0f && std::fabs(Green(c) - fog.y * 255.0f) < 3.0f &&
               std::fabs(Blue(c) - fog.z * 255.0f) < 3.0f;
    };
    const std::pair<int, const char*> edges[] = {{DIK_DOWN, "south"}, {DIK_LEFT, "west"}, {DIK_UP, "north"}, {DIK_RIGHT, "east"}};
    MoveMouseTo(Config->width / 2, Config->height / 3);
    for (int notches : {30, -30}) {
        InputScript::Wheel(notches);
        PassesWithoutPictures(80, 0.05f);
        for (const auto& [key, edge] : edges) {
            InputScript::KeyDown(key);
            ScrollUntilStill();
            InputScript::KeyUp(key);
            Passes(1, 0.05f);
            const std::string name = std::string("camera_") + edge + (notches > 0 ? "_in_" : "_out_") + Size();
            Image shot;
            ASSERT_TRUE(ShotOfNextFrame(base + "/" + name + ".png", shot));
            const Pixels picture = key == DIK_DOWN ? Shot(name) : ToPixels(shot);
            MoveMouseTo(Config->width / 2, Config->height / 3);
            int voidPixels = 0;
            for (int y = picture.height / 2; y < HudBottomBarTop(); ++y)
                for (int x = 0; x < picture.width; ++x) voidPixels += isVoid(picture.At(x, y));
            EXPECT_LT(voidPixels, picture.width) << name;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Screens, CameraAtTheEdges, ::testing::Values("-800", "-1024", "-1280"),
                         [](const ::testing::TestParamInfo<const char*>& info) { return std::string(info.param + 1); });

INSTANTIATE_TEST_SUITE_P(Screens, PicturesSession, ::testing::Values("-1024", "-1280"),
                         [](const ::testing::TestParamInfo<const char*>& info) { return std::string(info.param + 1); });

}  // namespace
