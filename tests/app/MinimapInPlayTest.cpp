// The minimap in a real level, started as a player starts one: it shows the map the way the
// world view shows it from the camera's starting heading. A unit placed left of the rig on the
// screen is left of the rig's marker on the minimap, the ground the rig sees is lit on the
// picture and the rest is dark, the view outline surrounds the rig, and a click on the minimap
// centres the camera on the clicked place.
#include "tests/app/PlayerSessionSupport.h"

#include "campaign/MissionScreen.h"
#include "campaign/PlayerProfile.h"
#include "host/InputScript.h"
#include "host/Random.h"
#include "host/System.h"
#include "host/WorldGuard.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Scene.h"
#include "render/Camera.h"
#include "render/TextureManager.h"
#include "terrain/Minimap.h"
#include "gui/Window.h"
#include "gui/WindowManager.h"
#include "tests/app/ShellTestSupport.h"
#include "tests/support/ReferencePicture.h"
#include "tests/support/Scoped.h"
#include "tests/support/TestSupport.h"
#include "world/Agent.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <string>

using namespace shelltest;

namespace {

Pixels Target(TextureRecord* record)
{
    GfxSurface* surface = nullptr;
    if (!record || !record->texture ||
        GfxFailed(static_cast<GfxTexture*>(record->texture)->GetSurfaceLevel(0, &surface)))
        return Pixels();
    Pixels pixels = ReadSurfacePixels(Graphics->device, surface);
    surface->Release();
    return pixels;
}

// The middle of the pixels of the area that pass the test; false when none does.
bool Middle(const Pixels& p, int x0, int y0, int x1, int y1, const std::function<bool(uint32_t)>& test, float* x,
            float* y)
{
    float sx = 0.0f, sy = 0.0f;
    int n = 0;
    for (int py = y0; py < y1; ++py)
        for (int px = x0; px < x1; ++px)
            if (test(p.At(px, py))) sx += px, sy += py, ++n;
    if (n == 0) return false;
    *x = sx / n;
    *y = sy / n;
    return true;
}

int Light(uint32_t c)
{
    return Red(c) + Green(c) + Blue(c);
}

// The rig's marker: gold.
bool IsMarkerGold(uint32_t c)
{
    return Red(c) > 200 && Green(c) > 140 && Blue(c) < 130;
}

class MinimapInPlay : public playersession::PlayerSession {
protected:
    // The same forest level on every run, started from the galaxy as a player starts one.
    void StartForestMission()
    {
        ASSERT_TRUE(LeaveForTheFrontEnd());
        ASSERT_TRUE(StartMissionOn(playersession::FOREST));
    }
};

TEST_F(MinimapInPlay, TheMinimapShowsTheLevelAsTheWorldViewDoes)
{
    StartForestMission();
    if (HasFatalFailure()) return;
    // The objectives' icons are gold too: off, the only gold on the picture is the rig's marker.
    ScopedGlobal<bool> icons{Config->showObjectiveIcons, false};
    Agent* rig = GetPlayerRig();
    ASSERT_NE(rig, nullptr);
    const Vec3 at = rig->GetPosition();
    const Vec3 rigOnScreen = ProjectToScreen(at);

    // A place on the screen well left of the rig, far enough from it that the rig's marker on
    // the minimap (40 x 27 units of the map) does not cover the unit's dot there.
    Vec3 beside = at;
    float leftmost = rigOnScreen.x - 150.0f;
    for (float distance : {24.0f, 28.0f, 32.0f})
        for (int step = 0; step < 32; ++step) {
            const float angle = step * 0.19634954f;
            const Vec3 offset(distance * std::cos(angle), 0.0f, distance * std::sin(angle));
            if (std::fabs(offset.x) < 23.0f && std::fabs(offset.z) < 16.0f) continue;
            const Vec3 screen = ProjectToScreen(at + offset);
            if (screen.x > 60.0f && screen.x < leftmost && screen.y > 60.0f && screen.y < 540.0f)
                leftmost = screen.x, beside = at + offset;
        }
    ASSERT_LT(leftmost, rigOnScreen.x - 150.0f) << "some place on the screen is well left of the rig";
    // Any bot of the player's whose mesh the level has loaded.
    Agent* unit = nullptr;
    const WorldChangeScope staged;
    for (const char* type : {"miner", "Builder"})
        if (!unit) unit = TheScene.CreateAgent(type, true);
    ASSERT_NE(unit, nullptr);
    unit->alignment = ALIGN_PLAYER;
    unit->flags &= ~ENTITY_PLAYER;
    unit->SetPosition(beside);
    Passes(4, 0.05f);
    const Vec3 unitOnScreen = ProjectToScreen(unit->GetPosition());
    ASSERT_LT(unitOnScreen.x, rigOnScreen.x - 150.0f) << "the unit stands left of the rig in the world view";
    Image shot;
    ASSERT_TRUE(ShotOfNextFrame(base + "/frame.png", shot));

    // The picture: the unit's green dot left of the rig's marker.
    Pixels picture = Target(TheMinimap.pictureTarget);
    ASSERT_EQ(picture.width, MINIMAP_TARGET_SIZE);
    float markerX = 0, markerY = 0, dotX = 0, dotY = 0;
    ASSERT_TRUE(Middle(picture, 0, 0, picture.width, picture.height, IsMarkerGold, &markerX, &markerY));
    ASSERT_TRUE(Middle(
        picture, 0, 0, picture.width, picture.height, [](uint32_t c) { return c == 0xFF00FF00u; }, &dotX, &dotY));
    EXPECT_LT(dotX, markerX - 5.0f) << "the unit's dot is left of the rig's marker";

    // The ground the rig sees shows in the middle of its marker, in the colours of the mini
    // terrain (kept as the world lies, x to the right) darkened by the fog; the ground nobody
    // has seen is black.
    Pixels ground = Target(TheMinimap.miniTerrainTarget), fog = Target(TheMinimap.fogTarget);
    const int cx = (int)lroundf(markerX), cy = (int)lroundf(markerY);
    const uint32_t middle = picture.At(cx, cy);
    EXPECT_GT(Light(middle), 60) << std::hex << middle;
    const uint32_t terrain = ground.At(255 - cx, cy), seen = fog.At(255 - cx, cy);
    EXPECT_NEAR(Red(middle), Red(terrain) * Red(seen) / 255, 4) << std::hex << middle << " " << terrain;
    EXPECT_NEAR(Green(middle), Green(terrain) * Green(seen) / 255, 4) << std::hex << middle << " " << terrain;
    int lit = 0;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) lit += Light(picture.At(x, y)) > 24;
    EXPECT_LT(lit * 10, picture.width * picture.height) << "most of the map is unseen and dark";

    // On the screen: the picture in the corner, the view outline round the rig and the unit.
    const MinimapLayout& box = TheMinimap.layout;
    Pixels screen;
    screen.width = (int)shot.width;
    screen.height = (int)shot.height;
    for (int y = 0; y < screen.height; ++y)
        for (int x = 0; x < screen.width; ++x) screen.argb.push_back(PixelAt(shot, x, y));
    auto outlineGrey = [](uint32_t c) {
        return Red(c) > 80 && std::abs(Red(c) - Green(c)) < 16 && std::abs(Green(c) - Blue(c)) < 16;
    };
    int left = box.x + box.width, top = box.y + box.height, right = box.x, bottom = box.y;
    for (int y = box.y; y < box.y + box.height; ++y)
        for (int x = box.x; x < box.x + box.width; ++x)
            if (outlineGrey(screen.At(x, y))) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
    ASSERT_LT(left, right) << "the view outline is drawn";
    const float scale = (float)box.width / (float)MINIMAP_TARGET_SIZE;
    const float rigX = box.x + markerX * scale, rigY = box.y + markerY * scale;
    const float unitX = box.x + dotX * scale, unitY = box.y + dotY * scale;
    EXPECT_LT(left, unitX);
    EXPECT_LT(unitX, rigX);
    EXPECT_LT(rigX, right);
    EXPECT_LT(top, rigY);
    EXPECT_LT(rigY, bottom);
    EXPECT_GT(Light(screen.At((int)rigX, (int)rigY)), 40) << "the rig's ground on the screen's minimap";

    // A click on the unit's dot centres the camera on the unit.
    InputScript::Focus(true);
    Input.mouse->cursorX = (int)lroundf(unitX);
    Input.mouse->cursorY = (int)lroundf(unitY);
    InputScript::ButtonDown(0);
    Passes(1, 0.02f);
    InputScript::ButtonUp(0);
    Passes(1, 0.02f);
    const Vec3 unitAt = unit->GetPosition();
    // Where the view's middle meets the ground the unit stands on.
    const Vec3 eye = GameCamera.eye, view = GameCamera.direction;
    ASSERT_LT(view.y, 0.0f);
    const Vec3 looked = eye + view * ((unitAt.y - eye.y) / view.y);
    EXPECT_NEAR(looked.x, unitAt.x, 4.0f);
    EXPECT_NEAR(looked.z, unitAt.z, 4.0f);
    const Vec3 centred = ProjectToScreen(unitAt);
    EXPECT_NEAR(centred.x, Config->width / 2, Config->width / 8) << "the unit is in the middle of the screen";
    EXPECT_NEAR(centred.y, Config->height / 2, Config->height / 6);
}

}  // namespace
