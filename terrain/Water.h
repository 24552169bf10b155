#pragma once
// Water and lava: every connected stretch of ground lower than one height unit is flooded by
// one flat surface at that height, water (reflect_refract.fx) or, in the "lava" environment,
// lava (lava.fx). The level set-up builds the surfaces after the terrain, then their zones:
// up to sixteen boxes with sample points on the surface, from which the ambient particle
// effects (mist over rivers, sparks over lava) pick random spots near the camera.
#include "host/Maths.h"

#include <memory>
#include <vector>

class IndexedMesh;
class Terrain;

// The warm-up list (in the shader package) of the draw states water adds to a level's frames,
// its reflection's included: warmed at the start of a level with water.
constexpr const char* WATER_WARM_UP_LIST = "warmup_water.txt";

struct WaterZone {
    Vec3 boxMin;  // query space; flat (both at the lowest y of its surface)
    Vec3 boxMax;
    std::vector<Vec3> points;  // query space, on the surface where it lies above the ground
    int pointCount = 0;
};

class WaterSet {
public:
    static constexpr int MAX_SURFACES = 16;
    static constexpr int MAX_ZONES = 16;
    // A surface of fewer vertices than this is one zone; a larger one is cut into eight.
    static constexpr int ZONE_SPLIT_VERTICES = 200;

    WaterSet();
    ~WaterSet();
    WaterSet(const WaterSet&) = delete;
    WaterSet& operator=(const WaterSet&) = delete;

    // Floods the terrain's low ground: clears the set, labels each connected low region (at
    // most sixteen) and makes one surface mesh per region.
    void Build(const Terrain& terrain);
    // The zones again from the surfaces.
    void BuildZones();
    // Deletes every surface.
    void Clear();
    // Around a device reset: the surfaces let go of their buffers, then make them again.
    void ReleaseAll();
    void RestoreAll();
    // Draws the surfaces (colour pass 0 only) blended over the ground; cull skips those
    // outside the view frustum.
    void DrawVisible(int pass, bool cull);
    bool AnyVisible() const;
    // A point of a zone the camera sees, each such zone equally likely; false when none.
    bool RandomPointInVisibleZone(Vec3* out) const;
    // The box around the surfaces the camera sees (query space); false when none is seen.
    bool GetVisibleBox(Vec3* min, Vec3* max) const;
    // The surface's height in world units.
    float GetWorldScale() const;

    std::unique_ptr<IndexedMesh> meshes[MAX_SURFACES];
    int count = 0;
    // The surfaces are lava (the "lava" environment's) rather than water.
    bool lava = false;
    float scale = 1.0f;
    WaterZone zones[MAX_ZONES];
    int zoneCount = 0;

private:
    const Terrain* terrain_ = nullptr;  // the terrain last built on
};

// Gives the first cell holding 1 (rows scanned from the top, within the map's inner ring) and
// every cell connected to it that holds 1 the region number *counter, and counts the region.
// cells is the terrain's width x height grid, row-major. Returns false (nothing labelled)
// when no cell holds 1. The flood's queue grows as it needs: a region is always labelled whole.
bool LabelRegion(const Terrain& terrain, std::vector<int>& cells, int* counter);
