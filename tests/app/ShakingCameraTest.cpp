// A blast shakes the camera while a level is played: the picture shakes, the game does not. The
// shake's lift is drawn from the cosmetic generator, whose course follows what was drawn before;
// whatever it stands at, the same frames of update see, find and pick what a still camera does.
#include "app/MainLoop.h"
#include "interface/PlayerAnswers.h"
#include "tests/world/BeatingWatch.h"
#include "platform/InputState.h"
#include "platform/MathUtil.h"
#include "platform/RandomUtil.h"
#include "platform/Timer.h"
#include "render/Camera.h"
#include "terrain/Minimap.h"
#include "tests/world/WorldTestSupport.h"
#include "world/MissionHooks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

class ShakingCamera : public WorldTest {
protected:
    // The cursor's pick is the hand's, which the player's answers run each frame.
    void SetUp() override
    {
        WorldTest::SetUp();
        InstallPlayerAnswers();
    }
    void TearDown() override
    {
        RemovePlayerAnswers();
        StopCameraShake();
        TheMinimap.fog.Free();
        WorldTest::TearDown();
    }
    Agent* At(int alignment, float x, float z)
    {
        Agent* agent = Standing(NewAgent(alignment), 0, 0);
        agent->SetPosition(Vec3(x, 0.0f, z));
        EXPECT_NE(TheScene.AddEntity(agent), nullptr);
        return agent;
    }

    MouseDevice mouse;  // resting in the middle of the screen
    ScopedGlobal<MouseDevice*> mouseSlot{Input.mouse, &mouse};
    ScopedGlobal<KeyboardDevice*> keyboardSlot{Input.keyboard, nullptr};
    ViewFrustum frustum;
    ScopedGlobal<ViewFrustum*> frustumSlot{Frustum, &frustum};
    ScopedGlobal<bool> fogOn{TheMinimap.fogEnabled, true};
    ScopedGlobal<MissionHooks*> hooks{TheMissionHooks, nullptr};
    ScopedGlobal<Camera> camera{GameCamera};
    ScopedGlobal<MwcGenerator> cosmetic{CosmeticRandom()};
    ScopedGlobal<float> delta{FrameTimer.delta, 0.05f};
};

TEST_F(ShakingCamera, WhatTheGameSeesFindsAndPicksStaysStill)
{
    game.state = GAME_STATE_PLAYING;
    mouse.cursorX = 512;
    mouse.cursorY = 384;
    // The camera looks down on the middle of the map, toward -z. Two scouts see the ground under
    // the view; a raider stands under the cursor, and a line of raiders runs past the far edge.
    GameCamera = Camera();
    GameCamera.UpdateDirection();
    GameCamera.eye = GameCamera.direction * -40.0f;
    GameCamera.target = GameCamera.eye + GameCamera.direction;
    std::vector<Agent*> all = {At(ALIGN_PLAYER, -5.0f, 0.0f), At(ALIGN_PLAYER, 4.0f, -24.0f),
                               At(ALIGN_ENEMY, 0.0f, 0.0f)};
    for (float z = -10.0f; z >= -40.0f; z -= 2.5f) all.push_back(At(ALIGN_ENEMY, 6.0f, z));

    struct Case {
        const char* name;
        bool shaking;
        int drawnBefore;  // draws of the cosmetic generator before the blast
    } cases[] = {{"a still camera", false, 0}, {"a shake", true, 0}, {"a shake after other draws", true, 777}};
    std::vector<std::string> still;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TheMinimap.AllocateFogGrids();
        for (Agent* agent : all) agent->visible = agent->discovered = 0;
        game.hoveredEntity = nullptr;
        CosmeticRandom() = MwcGenerator();
        for (int i = 0; i < c.drawnBefore; ++i) CosmeticRandom().Next();
        StopCameraShake();
        if (c.shaking) StartCameraShake(1.0f, 10.0f, 0.0f);

        // Each frame: what every entity is seen and found as, what the cursor picks, and where.
        std::vector<std::string> looks;
        for (int frame = 0; frame < 10; ++frame) {
            ++FrameTimer.frameCount;
            UpdateGameState(0.05f);
            beatingwatch::TheWatch.Step();
            std::string look;
            for (Agent* agent : all) look += std::to_string(agent->visible) + std::to_string(agent->discovered);
            look += " picks " + std::to_string(std::find(all.begin(), all.end(), game.hoveredEntity) - all.begin());
            const Vec3 at = game.pickedPoint;
            looks.push_back(look + " at " + std::to_string(at.x) + " " + std::to_string(at.z));
        }
        if (!c.shaking) {
            still = looks;
            EXPECT_NE(looks.back().find("picks 2 "), std::string::npos) << "the raider under the cursor is picked";
            continue;
        }
        EXPECT_EQ(looks, still);
        // The picture shakes: the frame is drawn from the lifted camera, and the view at rest
        // comes back for what reads it after the frame.
        const float lift = ActiveCameraShake.lift, rest = InverseViewMatrix._42;
        EXPECT_GT(lift, 1.0f);
        {
            const ShakenView shaken;
            EXPECT_NEAR(InverseViewMatrix._42, rest + lift, 1e-3f);
        }
        EXPECT_EQ(InverseViewMatrix._42, rest);
    }
}

}  // namespace
