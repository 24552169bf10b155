#pragma once
// The game's side of the game seam: the answers the engine gets while the game runs, taken from
// the game object, the window manager, the terrain (ground, water, environments) and the
// entities, and the fog of war of the minimap. The shell installs one at start-up. What the game
// does not have yet still answers as the null seam does.
#include "platform/GameSeam.h"

class GameSeamImpl : public GameSeam {
public:
    bool IsGamePaused() override;
    bool IsPlaying() override;
    bool IsTextInputFocused() override;
    bool IsAutoRotateOn() override;
    float AutoRotateSpeed() override;
    bool IsPointOverWindow(int x, int y) override;

    void GetMapSize(float* width, float* height) override;
    bool GetTerrainHeight(float x, float z, int option, float* height) override;
    bool IntersectTerrain(const Vec3& origin, const Vec3& direction, Vec3* hit) override;
    float GetRimTop() override;
    float GetRimDepth(float level) override;
    float GetCoveredBottomShare() override;
    bool GetVisibleWaterBox(Vec3* min, Vec3* max) override;
    // The fog of war: what the player's units and buildings see now (everything while the
    // fog is switched off, and before a level has made its fog).
    bool IsPositionRevealed(const Vec3& position) override;
    bool IsEntityRevealed(Entity* entity) override;
    bool GetRandomWaterPoint(Vec3* out) override;

    int GetCurrentEnvironment() override;
    int FindEnvironment(const char* name) override;

    Vec3 GetEntityPosition(Entity* entity) override;
    Vec3 GetEntityCenter(Entity* entity) override;
    Vec3 GetEntityVelocity(Entity* entity) override;
    bool IsEntityDead(Entity* entity) override;
    bool IsAgent(Entity* entity) override;
    Entity* GetFirstSelected() override;
    // The HUD's follow button shows the camera's follow state.
    void SetFollowButton(bool on) override;
};
