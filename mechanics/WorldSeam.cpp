#include "mechanics/WorldSeam.h"

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

bool WorldGameSeam::IsGamePaused()
{
    return GamePaused;
}

bool WorldGameSeam::IsPlaying()
{
    return TheGame && TheGame->state == GAME_STATE_PLAYING;
}

void WorldGameSeam::GetMapSize(float* width, float* height)
{
    *width = *height = MAP_WORLD_SIZE;
}

bool WorldGameSeam::GetTerrainHeight(float x, float z, int option, float* height)
{
    if (!TheTerrain.created) return false;
    *height = TheTerrain.GetHeight(Vec3(x, 0.0f, z), nullptr, option != 0);
    return true;
}

bool WorldGameSeam::IntersectTerrain(const Vec3& origin, const Vec3& direction, Vec3* hit)
{
    return TheTerrain.IntersectRay(origin, direction, hit, RAY_REFINE_STEPS);
}

float WorldGameSeam::GetRimTop()
{
    return TheTerrain.created ? TheTerrain.RimTop() : 0.0f;
}

float WorldGameSeam::GetRimDepth(float level)
{
    return TheTerrain.created ? TheTerrain.RimDepth(level) : 0.0f;
}

bool WorldGameSeam::GetVisibleWaterBox(Vec3* min, Vec3* max)
{
    return TheTerrain.created && TheTerrain.waterSet && TheTerrain.waterSet->GetVisibleBox(min, max);
}

bool WorldGameSeam::GetRandomWaterPoint(Vec3* out)
{
    Vec3 point;
    if (!TheTerrain.created || !TheTerrain.waterSet || !TheTerrain.waterSet->RandomPointInVisibleZone(&point))
        return false;
    if (!IsPositionRevealed(point)) return false;
    *out = point;
    return true;
}

// Before the first level has its fog there is nothing to hide.
bool WorldGameSeam::IsPositionRevealed(const Vec3& position)
{
    return !TheMinimap.fog.HasGrids() || TheMinimap.IsPositionVisible(position);
}

bool WorldGameSeam::IsEntityRevealed(Entity* entity)
{
    return !TheMinimap.fog.HasGrids() || TheMinimap.IsEntityVisible(entity);
}

int WorldGameSeam::GetCurrentEnvironment()
{
    return Environment::GetCurrentIndex();
}

int WorldGameSeam::FindEnvironment(const char* name)
{
    return Environment::FindByName(name);
}

Vec3 WorldGameSeam::GetEntityPosition(Entity* entity)
{
    return entity ? entity->GetPosition() : Vec3();
}

Vec3 WorldGameSeam::GetEntityCenter(Entity* entity)
{
    return entity ? entity->GetCenter() : Vec3();
}

Vec3 WorldGameSeam::GetEntityVelocity(Entity* entity)
{
    return entity ? entity->velocity : Vec3();
}

bool WorldGameSeam::IsEntityDead(Entity* entity)
{
    return entity && (entity->flags & ENTITY_DEAD);
}

bool WorldGameSeam::IsAgent(Entity* entity)
{
    return entity && (entity->flags & ENTITY_AGENT);
}

Entity* WorldGameSeam::GetFirstSelected() { return TheGame ? TheGame->GetFirstSelected() : nullptr; }
