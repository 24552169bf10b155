#include "platform/GameSeam.h"

// ---- The answers of no game: a flat, empty, fully revealed 320 x 320 map with nothing on it.

bool GameSeam::IsGamePaused() { return false; }
bool GameSeam::IsPlaying() { return false; }

void GameSeam::GetMapSize(float* width, float* height) { *width = *height = 320.0f; }
bool GameSeam::GetTerrainHeight(float, float, int, float*) { return false; }
bool GameSeam::IntersectTerrain(const Vec3&, const Vec3&, Vec3*) { return false; }
float GameSeam::GetRimTop() { return 0.0f; }
float GameSeam::GetRimDepth(float) { return 0.0f; }
float GameSeam::GetCoveredBottomShare() { return 0.0f; }

Vec3 GameSeam::GetEntityPosition(Entity*) { return Vec3(); }
Vec3 GameSeam::GetEntityCenter(Entity*) { return Vec3(); }
Vec3 GameSeam::GetEntityVelocity(Entity*) { return Vec3(); }
bool GameSeam::IsEntityDead(Entity*) { return false; }
bool GameSeam::IsEntityVisible(Entity*) { return true; }
bool GameSeam::IsAgent(Entity*) { return false; }
Vec3 GameSeam::GetFollowPoint(Entity* entity) { return GetEntityCenter(entity); }
Entity* GameSeam::GetFirstSelected() { return nullptr; }

bool GameSeam::IsPositionRevealed(const Vec3&) { return true; }
bool GameSeam::IsEntityRevealed(Entity*) { return true; }
bool GameSeam::GetVisibleWaterBox(Vec3*, Vec3*) { return false; }
bool GameSeam::GetRandomWaterPoint(Vec3*) { return false; }

void GameSeam::SetFollowButton(bool) {}
bool GameSeam::IsTextInputFocused() { return false; }
bool GameSeam::IsTextEntryActive() { return false; }
bool GameSeam::IsPointOverWindow(int, int) { return false; }
bool GameSeam::IsAutoRotateOn() { return false; }
float GameSeam::AutoRotateSpeed() { return 0.5f; }

int GameSeam::GetCurrentEnvironment() { return -1; }
int GameSeam::FindEnvironment(const char*) { return 0; }

namespace {

NullGameSeam NoGame;
GameSeam* Installed = &NoGame;

}  // namespace

void SetGameSeam(GameSeam* seam)
{
    Installed = seam ? seam : &NoGame;
}

GameSeam& GetGameSeam()
{
    return *Installed;
}
