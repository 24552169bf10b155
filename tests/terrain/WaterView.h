#pragma once
// The game's camera taken over the level's first stretch of water, at the height, angle and
// distance it had, as a player scrolls there; false when the level has no water.
#include "render/Camera.h"
#include "render/IndexedMesh.h"
#include "terrain/Terrain.h"
#include "terrain/Water.h"

inline bool LookOverWater()
{
    const WaterSet* water = TheTerrain.waterSet;
    if (!water || water->count <= 0 || !water->meshes[0]) return false;
    const IndexedMesh* surface = water->meshes[0].get();
    Vec3 middle = (surface->boundsMin + surface->boundsMax) * 0.5f;
    middle.y = GameCamera.target.y;
    GameCamera.follow = false;
    GameCamera.eye = GameCamera.eye + (middle - GameCamera.target);
    GameCamera.target = middle;
    return true;
}
