#include "interface/GameSeamImpl.h"
#include "tools/Console.h"

#include "gui/Window.h"
#include "gui/Button.h"
#include "gui/WindowManager.h"
#include "interface/MissionHud.h"
#include "render/Draw2D.h"
#include "mechanics/GameMechanics.h"
#include "terrain/Environment.h"
#include "terrain/Minimap.h"
#include "terrain/Terrain.h"
#include "terrain/Water.h"
#include "world/Entity.h"

namespace {

// The pick rays and the camera refine their ground hit twice: within half a unit.
constexpr int RAY_REFINE_STEPS = 2;

}  // namespace

bool GameSeamImpl::IsGamePaused()
{
    return GamePaused;
}

bool GameSeamImpl::IsPlaying()
{
    return TheGame && TheGame->state == GAME_STATE_PLAYING;
}

bool GameSeamImpl::IsAutoRotateOn() { return CameraAutoRotate; }
float GameSeamImpl::AutoRotateSpeed() { return CameraAutoRotateSpeed; }

bool GameSeamImpl::IsTextInputFocused()
{
    // Esc lets an edit box go without moving the focus pointer off it: the box's own focus bit
    // says whether it still has the keyboard. Closing a screen leaves the pointer on its box
    // too: a box the player cannot see takes no keys.
    Window* focused = WindowMgr ? WindowMgr->focused : nullptr;
    if (!focused || !focused->HasFocus() || !focused->TakesTextInput()) return false;
    for (const Window* window = focused; window; window = window->parent)
        if (!window->IsVisible()) return false;
    return true;
}

bool GameSeamImpl::IsPointOverWindow(int x, int y)
{
    return WindowMgr && WindowMgr->IsPointOverWindow(x, y, false);
}

void GameSeamImpl::GetMapSize(float* width, float* height)
{
    *width = *height = MAP_WORLD_SIZE;
}

bool GameSeamImpl::GetTerrainHeight(float x, float z, int option, float* height)
{
    if (!TheTerrain.created) return false;
    *height = TheTerrain.GetHeight(Vec3(x, 0.0f, z), nullptr, option != 0);
    return true;
}

bool GameSeamImpl::IntersectTerrain(const Vec3& origin, const Vec3& direction, Vec3* hit)
{
    return TheTerrain.IntersectRay(origin, direction, hit, RAY_REFINE_STEPS);
}

float GameSeamImpl::GetRimTop()
{
    return TheTerrain.created ? TheTerrain.RimTop() : 0.0f;
}

float GameSeamImpl::GetRimDepth(float level)
{
    return TheTerrain.created ? TheTerrain.RimDepth(level) : 0.0f;
}

float GameSeamImpl::GetCoveredBottomShare()
{
    const bool hudShown = TheMissionHud.built && TheGame && TheGame->state == GAME_STATE_PLAYING;
    const int height = ScreenHeight();
    if (!hudShown || height <= 0) return 0.0f;
    return float(height - HudBottomBarTop()) / float(height);
}

bool GameSeamImpl::GetVisibleWaterBox(Vec3* min, Vec3* max)
{
    return TheTerrain.created && TheTerrain.waterSet && TheTerrain.waterSet->GetVisibleBox(min, max);
}

bool GameSeamImpl::GetRandomWaterPoint(Vec3* out)
{
    Vec3 point;
    if (!TheTerrain.created || !TheTerrain.waterSet || !TheTerrain.waterSet->RandomPointInVisibleZone(&point))
        return false;
    if (!IsPositionRevealed(point)) return false;
    *out = point;
    return true;
}

// Before the first level has its fog there is nothing to hide.
bool GameSeamImpl::IsPositionRevealed(const Vec3& position)
{
    return !TheMinimap.fog.HasGrids() || TheMinimap.IsPositionVisible(position);
}

bool GameSeamImpl::IsEntityRevealed(Entity* entity)
{
    return !TheMinimap.fog.HasGrids() || TheMinimap.IsEntityVisible(entity);
}

int GameSeamImpl::GetCurrentEnvironment()
{
    return Environment::GetCurrentIndex();
}

int GameSeamImpl::FindEnvironment(const char* name)
{
    return Environment::FindByName(name);
}

Vec3 GameSeamImpl::GetEntityPosition(Entity* entity)
{
    return entity ? entity->GetPosition() : Vec3();
}

Vec3 GameSeamImpl::GetEntityCenter(Entity* entity)
{
    return entity ? entity->GetCenter() : Vec3();
}

Vec3 GameSeamImpl::GetEntityVelocity(Entity* entity)
{
    return entity ? entity->velocity : Vec3();
}

bool GameSeamImpl::IsEntityDead(Entity* entity)
{
    return entity && (entity->flags & ENTITY_DEAD);
}

bool GameSeamImpl::IsAgent(Entity* entity)
{
    return entity && (entity->flags & ENTITY_AGENT);
}

Entity* GameSeamImpl::GetFirstSelected() { return TheGame ? TheGame->GetFirstSelected() : nullptr; }

void GameSeamImpl::SetFollowButton(bool on)
{
    if (TheMissionHud.followButton) TheMissionHud.followButton->toggled = on;
}
