// The game object: the status texts in their exact forms, the mission clock that stops with
// the pause, the world's whole ticks at any frame rate and game speed, the one-time loads of
// the first level, the loading tips in order and then at random, and the loading bar on screen.
#include "interface/PlayerGame.h"
#include "mechanics/Game.h"
#include "mechanics/GameMechanics.h"

#include "host/GfxWindow.h"
#include "host/Log.h"
#include "mechanics/Scene.h"
#include "platform/ConfigFile.h"
#include "platform/RandomUtil.h"
#include "platform/StringTable.h"
#include "platform/Timer.h"
#include "render/GraphicsDevice.h"
#include "render/TextureManager.h"
#include "tests/support/GfxFixture.h"
#include "tests/mechanics/GameScreenSupport.h"
#include "tests/support/Scoped.h"
#include "world/Entity.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

TEST(GameTexts, ClockFpsAndMissionTimeInTheirForms)
{
    char text[256];
    const struct {
        float seconds;
        const char* shown;
    } times[] = {{0.0f, "Mission time: 00:00\n"}, {65.9f, "Mission time: 01:05\n"},
                 {3599.0f, "Mission time: 59:59\n"}, {3600.0f, "Mission time: 1:00:00\n"},
                 {7384.0f, "Mission time: 2:03:04\n"}};
    for (const auto& time : times) {
        FormatMissionTime(text, sizeof text, time.seconds);
        EXPECT_STREQ(text, time.shown);
    }
    const struct {
        float speed;
        const char* shown;
    } speeds[] = {{1.0f, "FPS: 60.0\n"},           {0.5f, "FPS: 60.0\n     1/2 X\n"},
                  {0.99f, "FPS: 60.0\n     0 X\n"}, {1.01f, "FPS: 60.0\n     1 X\n"},
                  {2.0f, "FPS: 60.0\n     2 X\n"},  {8.0f, "FPS: 60.0\n     8 X\n"}};
    for (const auto& speed : speeds) {
        FormatFpsText(text, sizeof text, 60.0f, speed.speed, nullptr);
        EXPECT_STREQ(text, speed.shown) << speed.speed;
    }
    TextureStats stats = {200, 50, 12};
    FormatFpsText(text, sizeof text, 30.0f, 1.0f, &stats);
    EXPECT_STREQ(text, "FPS: 30.0\n\nTM150/200(75%)\nAvl50\nTexMan: 12");
    const struct {
        int hour, minute;
        const char* shown;
    } clocks[] = {{0, 5, "       Clock: 12:05 AM\n"}, {9, 30, "       Clock: 9:30 AM\n"},
                  {12, 0, "       Clock: 12:00 PM\n"}, {23, 59, "       Clock: 11:59 PM\n"}};
    for (const auto& clock : clocks) {
        FormatClockText(text, sizeof text, clock.hour, clock.minute);
        EXPECT_STREQ(text, clock.shown);
    }
}

class GameStateTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(TheScene.InitLists()); }
    PlayerGame game;
    ScopedGlobal<GameMechanics*> current{TheGame, &game};
    ScopedGlobal<bool> unpaused{GamePaused, false};
    ScopedGlobal<float> clock{MissionTime, 0.0f};
    ScopedGlobal<ConfigFile*> noConfig{Config, nullptr};
};

TEST_F(GameStateTest, TheMissionClockRunsInPlayAndStopsWithThePause)
{
    EXPECT_EQ(game.state, GAME_STATE_INTRO) << "the game object starts with the intro";
    FrameTimer.delta = 0.25f;
    game.Update();
    EXPECT_FLOAT_EQ(MissionTime, 0.0f) << "the clock does not run outside a mission";

    game.state = GAME_STATE_PLAYING;
    TheScene.firstFrame = true;
    MissionTime = 99.0f;
    game.Update();
    EXPECT_FLOAT_EQ(MissionTime, 0.0f) << "a level starts its clock at 0, without its loading time";
    game.Update();
    game.Update();
    EXPECT_FLOAT_EQ(MissionTime, 0.5f);
    GamePaused = true;
    game.Update();
    EXPECT_FLOAT_EQ(MissionTime, 0.5f) << "paused, the clock stands";
    FrameTimer.delta = 0.0f;
}

// Walks 2 units a second along x by the world's step.
struct Walker : Entity {
    void Update() override
    {
        Entity::Update();
        SetPosition(GetPosition() + Vec3(2.0f * WorldStep(), 0.0f, 0.0f));
    }
};

// The world steps in whole ticks of 0.1 s, however the frames fall: frames of 1/60 s, of a
// quarter second or a hitch play the ticks of the time they hold (at most five ticks a frame,
// whatever the game speed), and the game speed gives more or fewer ticks of the same length.
// Between ticks a walker is drawn between its last two, and a jump is drawn where it landed.
TEST_F(GameStateTest, TheWorldStepsInWholeTicksAtAnyFrameRateAndGameSpeed)
{
    const struct {
        float frame;
        int frames;
        float speed;
        int ticks;
    } runs[] = {{0.1f, 30, 1.0f, 30}, {1.0f / 60.0f, 180, 1.0f, 30}, {1.0f / 144.0f, 432, 1.0f, 30},
                {0.25f, 12, 1.0f, 30},  {1.0f / 60.0f, 180, 2.0f, 60},  {0.1f, 30, 0.5f, 15},
                {3.0f, 2, 1.0f, 10},    {0.5f, 2, 8.0f, 10},        {0.2f, 3, 8.0f, 15}};
    ScopedGlobal<float> speed{GameSpeed, 1.0f};
    ScopedGlobal<float> delta{FrameTimer.delta, 0.0f};
    for (const auto& run : runs) {
        SCOPED_TRACE(testing::Message() << run.frames << " frames of " << run.frame << " s at speed " << run.speed);
        Walker walker;
        TheScene.AddEntity(&walker);
        game.state = GAME_STATE_PLAYING;
        TheScene.firstFrame = true;
        FrameTimer.delta = 0.0f;
        game.Update();
        GameSpeed = run.speed;
        FrameTimer.delta = run.frame;
        const int before = WorldTicks.count;
        for (int i = 0; i < run.frames; ++i) game.Update();
        EXPECT_EQ(WorldTicks.count - before, run.ticks);
        EXPECT_NEAR(MissionTime, run.ticks * WorldClock::TICK, 1e-4f);
        EXPECT_NEAR(walker.GetPosition().x, run.ticks * WorldClock::TICK * 2.0f, 1e-3f) << "the walker walked every tick";
        TheScene.UnlinkEntity(&walker);
    }

    GameSpeed = 1.0f;
    Walker walker;
    TheScene.AddEntity(&walker);
    TheScene.firstFrame = true;
    game.Update();
    FrameTimer.delta = 0.15f;  // one tick and half of the next
    game.Update();
    const Vec3 ticked = walker.GetPosition();
    EXPECT_FLOAT_EQ(ticked.x, 0.2f);
    EXPECT_FLOAT_EQ(WorldTicks.carry, 0.5f);
    {
        const CarriedPoses drawn(TheScene);
        EXPECT_FLOAT_EQ(walker.GetPosition().x, 0.1f) << "drawn half way between its last two ticks";
    }
    EXPECT_EQ(walker.GetPosition().x, ticked.x) << "the world keeps its own";
    // Carried for what follows some entities alone (the particles): only those.
    Walker other;
    struct {
        const char* what;
        std::vector<const Entity*> only;
        float drawnX;
    } some[] = {{"the walker among them", {&walker, &other}, 0.1f}, {"not the walker", {&other}, 0.2f}, {"none", {}, 0.2f}};
    for (auto& s : some) {
        SCOPED_TRACE(s.what);
        std::sort(s.only.begin(), s.only.end());
        {
            const CarriedPoses drawn(TheScene, s.only);
            EXPECT_FLOAT_EQ(walker.GetPosition().x, s.drawnX);
        }
        EXPECT_EQ(walker.GetPosition().x, ticked.x);
    }
    FrameTimer.delta = 0.1f;
    game.Update();
    walker.SetPosition(Vec3(50.0f, 0.0f, 0.0f));  // warped away in its tick
    {
        const CarriedPoses drawn(TheScene);
        EXPECT_EQ(walker.GetPosition().x, 50.0f) << "a jump is drawn where it landed";
    }
    TheScene.UnlinkEntity(&walker);
    FrameTimer.delta = 0.0f;
}

// Walks 2 units a second along x by the world's step, and stops at `stop`.
struct StoppingWalker : Entity {
    float stop = 1.05f;
    void Update() override
    {
        Entity::Update();
        SetPosition(Vec3(std::min(GetPosition().x + 2.0f * WorldStep(), stop), 0.0f, 0.0f));
    }
};

// Drawn at 60 frames a second, a unit that walks and stops moves on in every frame of its
// walk, never back, and is never drawn past where it stops. A frame whose time is no number
// counts as none, and the world goes on ticking after it.
TEST_F(GameStateTest, AWalkerIsDrawnBetweenItsTicksAndNeverPastItsStop)
{
    ScopedGlobal<float> speed{GameSpeed, 1.0f};
    ScopedGlobal<float> delta{FrameTimer.delta, 0.0f};
    StoppingWalker walker;
    TheScene.AddEntity(&walker);
    game.state = GAME_STATE_PLAYING;
    TheScene.firstFrame = true;
    game.Update();
    FrameTimer.delta = 1.0f / 60.0f;
    float previous = 0.0f;
    int still = 0;
    for (int frame = 0; frame < 90; ++frame) {
        game.Update();
        const CarriedPoses drawn(TheScene);
        const float x = walker.GetPosition().x;
        ASSERT_LE(x, walker.stop) << "frame " << frame;
        ASSERT_GE(x, previous) << "never drawn back, frame " << frame;
        if (x == previous) ++still;
        // From the first tick's frame on, it moves in every frame of its walk.
        if (frame > 5 && previous < walker.stop - 0.25f) {
            ASSERT_GT(x, previous) << "frame " << frame;
        }
        previous = x;
    }
    EXPECT_FLOAT_EQ(previous, walker.stop) << "drawn where it stopped";
    EXPECT_GT(still, 0);

    const struct {
        const char* what;
        float frame;
    } odd[] = {{"not a number", std::nanf("")}, {"infinite", INFINITY}, {"going back", -1.0f}};
    for (const auto& o : odd) {
        SCOPED_TRACE(o.what);
        const int before = WorldTicks.count;
        FrameTimer.delta = o.frame;
        game.Update();
        EXPECT_EQ(WorldTicks.count, before) << "counts as no time";
        EXPECT_TRUE(std::isfinite(WorldTicks.carry));
        FrameTimer.delta = 0.1f;
        for (int i = 0; i < 10; ++i) game.Update();
        EXPECT_EQ(WorldTicks.count - before, 10) << "the world ticks on after it";
    }
    TheScene.UnlinkEntity(&walker);
    FrameTimer.delta = 0.0f;
}

TEST_F(GameStateTest, PrimitivesAndSoundsAreReadOnlyAtTheFirstLevel)
{
    game.state = GAME_STATE_PLAYING;
    LogCaptureBegin();
    EXPECT_TRUE(game.InitGeometry("none"));
    std::string first = LogCaptureEnd();
    EXPECT_NE(TheScene.FindPrimitive("flag"), nullptr);
    game.started = true;
    LogCaptureBegin();
    EXPECT_TRUE(game.InitGeometry("none"));
    std::string second = LogCaptureEnd();
    EXPECT_NE(first.find("Parsing primitives"), std::string::npos) << first;
    EXPECT_EQ(second.find("Parsing"), std::string::npos) << "started: nothing is read again\n" << second;
    TheScene.ReleaseEntities();
}

TEST(LoadingTips, ShownInOrderEveryTenSecondsThenAtRandom)
{
    StringTable strings;
    ASSERT_TRUE(strings.Init());
    ScopedGlobal<StringTable*> table{Strings, &strings};
    ScopedGlobal<int> count{TipCount, 0};
    CountTips();
    ASSERT_GE(TipCount, 12) << "the game ships at least a dozen tips";
    ResetTips();
    ResetRandomMWC();
    uint32_t now = 5000;
    for (int i = 0; i < TipCount; ++i) {
        char key[16];
        snprintf(key, sizeof key, "<tip%d>", i);
        EXPECT_STREQ(NextTip(now), strings.Lookup(key)) << "tip " << i << " comes in order";
        EXPECT_STREQ(NextTip(now + 9000), strings.Lookup(key)) << "a tip stays ten seconds";
        now += 10001;
    }
    NextTip(now);  // the first random draw may pick any tip
    now += 10001;
    std::set<std::string> drawn;
    for (int i = 0; i < 200; ++i, now += 10001) drawn.insert(NextTip(now));
    EXPECT_GT(drawn.size(), 6u) << "after the sequence, tips come at random";
    EXPECT_EQ(drawn.count(strings.Lookup("<tip0>")), 0u) << "the random draws after the first leave out the first two";
    EXPECT_EQ(drawn.count(strings.Lookup("<tip1>")), 0u);

    // With no tips, or too few for the random range, there is still a sane answer.
    for (int tips : {0, 1, 2}) {
        TipCount = tips;
        ResetTips();
        for (int i = 0; i < 5; ++i, now += 10001) {
            std::string tip = NextTip(now);
            if (tips == 0)
                EXPECT_EQ(tip, "TIP STRING ERROR");
            else
                EXPECT_TRUE(tip == strings.Lookup("<tip0>") || (tips == 2 && tip == strings.Lookup("<tip1>"))) << tip;
        }
    }
    ResetTips();
}

TEST(LoadingScreen, TheBarFillsWithTheFraction)
{
    const int width = 320, height = 240;
    GameScreen screen(width, height);
    if (!screen.HasDisplay()) GTEST_SKIP() << "no display";
    ASSERT_TRUE(screen.Initialised());
    GraphicsDevice* graphics = screen.graphics();
    {
        PlayerGame game;
        LogCaptureBegin();
        game.ShowLoadingScreen("Generating terrain", 0.0f, false);
        game.ShowLoadingScreen("Generating terrain", 0.5f, false);
        std::string log = LogCaptureEnd();
        EXPECT_NE(log.find("Generating terrain : "), std::string::npos) << log;
        EXPECT_EQ(log.find("TOTAL TIME"), std::string::npos) << "only the last report sums up";
        Pixels shot = ReadBackBuffer(graphics->device);
        // The bar's left half is filled green.
        const int barWidth = (int)(height * 0.5208333f), y = height / 2 + (int)(height * 0.1822917f);
        const int x0 = (width - barWidth) / 2, radius = (int)(height * 0.0234375f);
        EXPECT_EQ(shot.At(x0, y) & 0xFFFFFF, 0xAAAAAAu) << "the light rim";
        EXPECT_EQ(shot.At(x0 + 1, y - radius + 1) & 0xFFFFFF, 0x222222u) << "the dark well";
        EXPECT_EQ(shot.At(x0 + 10, y + 1) & 0xFFFFFF, 0x2BA039u) << "the filled part";
        EXPECT_EQ(shot.At(x0 + barWidth * 3 / 4, y + 1) & 0xFFFFFF, 0x222222u) << "the part still to come";
        EXPECT_EQ(shot.At(5, 5) & 0xFFFFFF, 0u) << "the rest of the screen is black";
    }
}

}  // namespace
