#pragma once
// The world's side of the game seam: what the engine asks that the world answers itself (the
// pause, the level in play, the ground, the water, the rim, the fog of war, the environments,
// the entities and the first selected one). A program with no screens (the replay verifier)
// installs it as it is; the game's seam adds what the screens answer (interface/GameSeamImpl.h).
#include "platform/GameSeam.h"

class WorldGameSeam : public GameSeam {
public:
    bool IsGamePaused() override;
    bool IsPlaying() override;

    void GetMapSize(float* width, float* height) override;
    bool GetTerrainHeight(float x, float z, int option, float* height) override;
    bool IntersectTerrain(const Vec3& origin, const Vec3& direction, Vec3* hit) override;
    float GetRimTop() override;
    float GetRimDepth(float level) override;
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
};
