// How long the terrain of a level takes to build: the whole creation of a 128 x 128 level
// from its height image (heights, normals, colour layer, chunk and splat meshes, alpha map),
// and the alpha map's bake alone (classes, the shadow march, erosion and blur).
#include "host/System.h"
#include "mechanics/Scene.h"
#include "terrain/HeightFieldGenerator.h"
#include "terrain/Heightmap.h"
#include "terrain/Terrain.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// A hilly 128 x 128 level written as its height image; the path.
std::string HillyHeightImage()
{
    HeightFieldParams params;
    params.size = 128;
    params.minRadius = 6.0f;
    params.maxRadius = 22.0f;
    params.hillCount = 90;
    params.flattening = 1;
    params.seed = 4711;
    HeightFieldGenerator hills(params);
    hills.Generate();
    Heightmap image(128, 128, TERRAIN_VERTICAL_SCALE);
    for (size_t i = 0; i < image.data.size(); ++i) image.data[i] = 0.15f + 8.0f * hills.field[i];
    std::string path = "/tmp/veldmark-bench-heights-" + std::to_string(getpid()) + ".bmp";
    image.SaveTexture(path.c_str());
    return path;
}

void CreateALevelsTerrain(benchmark::State& state)
{
    std::string path = HillyHeightImage();
    CopyText(TheScene.heightmapName, sizeof TheScene.heightmapName, path.c_str());
    std::vector<int> kinds(128 * 128, 0);
    Terrain terrain;
    terrain.mapCells = kinds.data();
    for (auto _ : state) terrain.Create(128, 128);
    terrain.Free();
    remove(path.c_str());
}
BENCHMARK(CreateALevelsTerrain)->Unit(benchmark::kMillisecond);

void BakeTheAlphaMap(benchmark::State& state)
{
    std::string path = HillyHeightImage();
    CopyText(TheScene.heightmapName, sizeof TheScene.heightmapName, path.c_str());
    Terrain terrain;
    terrain.Create(128, 128);
    for (auto _ : state) terrain.RefreshAlpha(true);
    terrain.Free();
    remove(path.c_str());
}
BENCHMARK(BakeTheAlphaMap)->Unit(benchmark::kMillisecond);

}  // namespace
