#pragma once
// The ground of a level. One Terrain lives for the whole run (TheTerrain); every level fills
// it again from the level's height image (Create), and the whole game asks it for ground
// heights, normals and where a ray meets the ground.
//
// It owns the level's Heightmap (heights 0..10 height units; a unit is one cell size, 2.5 world
// units on the 128 x 128 grid of a level), a normal per grid vertex, the colour layer (a colour
// per vertex), the class map (a ground class per cell) and the chunks: square parts of the grid
// about 32 cells wide, each with a ground mesh and a mesh of decoration splats, so that drawing
// can skip the chunks out of view and an edit rebuilds only the chunks under the brush.
//
// Two coordinate rules:
// - Query space: a world point (px, pz) lies at grid coordinates ((px + 160) x width / 320,
//   (160 - pz) x width / 320), whatever the grid size (the map is always 320 x 320); a height
//   value h means the world height h x 320 / width. Every query uses this.
// - Mesh space: chunk, splat and water mesh vertices are stored with x negated, like all mesh
//   data, and the mesh mirrors x again on its way to the GPU, so on screen they stand in query
//   space under the identity world transform. Whoever reads mesh vertices back negates x.
//
// Until a level has been created every query answers its neutral value: height 0, normal
// straight up, no ray hit.
#include "host/Maths.h"
#include "platform/IntRect.h"
#include "platform/PooledList.h"

#include <memory>
#include <vector>

class Entity;
class Heightmap;
class IndexedMesh;
class Terrain;
class WaterSet;
struct Environment;
struct TextureRecord;

// Every map spans this many world units along x and z.
constexpr float MAP_WORLD_SIZE = 320.0f;
// The heights of the level's heightmap run from 0 to this many height units.
constexpr float TERRAIN_VERTICAL_SCALE = 10.0f;
// A chunk covers about this many cells a side.
constexpr int TERRAIN_CHUNK_CELLS = 32;
// The terrain holes a level may cut into its ground.
constexpr int MAX_COVER_ENTITIES = 100;
// The atlas tile values a splat cell can hold (0: no splat).
constexpr int SPLAT_TILES = 16;

struct TerrainColour {
    float r = 1.0f, g = 1.0f, b = 1.0f, a = 1.0f;
};

// One chunk: the vertex rectangle x0..x1, z0..z1 (inclusive; neighbours share their edge row
// and column), its ground mesh and its splat mesh.
// Ground the player has never seen is drawn black without shading it (the picture is the
// same); a developer's switch, to compare.
extern bool DrawUnseenGroundBlack;

class TerrainChunk {
public:
    TerrainChunk();
    ~TerrainChunk();
    TerrainChunk(const TerrainChunk&) = delete;
    TerrainChunk& operator=(const TerrainChunk&) = delete;

    void BuildGroundMesh(const Terrain& terrain, int x0, int z0, int x1, int z1);
    // Positions and normals again from the heightmap (after an edit); texture coordinates and
    // colours stay.
    void RefreshVertices(const Terrain& terrain);
    // Vertex colours again from the colour layer.
    void RefreshColours(const Terrain& terrain);
    // Scatters the decoration splats over the chunk's flat, free cells and builds their mesh.
    void BuildSplatMesh(const Terrain& terrain);
    // The ground mesh, then (with terrainDetail on) the splats over it.
    void Render(int pass);

    std::unique_ptr<IndexedMesh> groundMesh;
    int x0 = 0, z0 = 0, x1 = 0, z1 = 0;
    std::unique_ptr<IndexedMesh> splatMesh;
    // Per cell of the chunk: 0 no splat, 1..16 the atlas tile; (x1 - x0) x (z1 - z0) values.
    std::vector<int> splatCells;
};

class Terrain {
public:
    Terrain();
    ~Terrain();
    Terrain(const Terrain&) = delete;
    Terrain& operator=(const Terrain&) = delete;

    // ---- A level's ground
    // Fills the terrain for a level of width x height grid vertices from the Scene's height
    // image (a flat map when there is none) and its colour map.
    void Create(int width, int height);
    void Load(int chunksPerSide);
    // Lets go of the chunks and the heightmap; every query is neutral afterwards.
    void Free();
    void BuildMeshes(int chunksPerSide);
    // After an edit: the vertices and colours of the chunks a brush of that size at (x, z)
    // touches; size 0 refreshes every chunk.
    void RebuildMeshes(int size, int x, int z);
    void ReloadSplatsAndMeshes(const char* colourMapName, bool modulate);
    // Vertex normals of the square of side size around (x, z); size 0 means the whole grid.
    void UpdateNormals(int size, int x, int z);

    // ---- The graphics device
    // Before a device reset (and at exit): every chunk, splat and water mesh lets go of its
    // buffers. After the reset: the buffers, the heightmap texture, the alpha map and the water
    // meshes come back.
    void ReleaseMeshes();
    void OnResetDevice();

    // ---- Queries (query space, world units)
    // The ground height under the x and z of position: the cell split along its diagonal into
    // two planes, or the top of a collision object of the Scene standing there when that is
    // as high or higher (onObject, when given, says which). terrainOnly leaves the objects out.
    // Off the grid the height is 0, objects or not.
    float GetHeight(const Vec3& position, bool* onObject = nullptr, bool terrainOnly = false) const;
    // Marches a ray (a unit direction) from above the highest ground until it falls below the
    // ground, then halves its step refineSteps times; the hit is the last point above the
    // ground, within the final step of it. False when the ray has not fallen below the ground
    // within 500 steps (off the map the ground lies at 0), and when it starts below the ground.
    bool IntersectRay(const Vec3& origin, const Vec3& direction, Vec3* hit, int refineSteps) const;
    // The unfiltered height of the cell under a point; 0 without a heightmap.
    float GetCellHeight(const Vec3& position) const;
    IntPoint WorldToCell(const Vec3& position) const;
    bool IsCellInside(int x, int z) const;
    // The stored normal of a grid vertex; straight up outside the grid or before any.
    Vec3 GetNormal(int x, int z) const;
    // The normal under a point, interpolated over the cell's two triangles.
    Vec3 GetInterpolatedNormal(const Vec3& position) const;
    // The grid vertex (x, h, -z) in grid units; (0, 0, 0) outside the grid.
    Vec3 GetGridVertex(int x, int z) const;
    // The walls round the map: the highest ground along its edges, and how far in from the
    // edges the ground still stands at `level` or above (0 where it stays lower everywhere).
    // Only the outer rings of the grid count, so a hill in the middle of the map is no wall.
    float RimTop() const;
    float RimDepth(float level) const;
    // The ground class (0 low, 1 mid heights, 2 slope) of the cell under a point.
    int GetMapCellValue(const Vec3& position) const;
    // One cell in world units (320 / width).
    float CellSize() const { return width > 0 ? MAP_WORLD_SIZE / (float)width : 0.0f; }

    // ---- Its look (TerrainLayers.cpp, TerrainRender.cpp)
    // The colour layer from a colour map in the textures package, tinted by height for the
    // current environment; modulate multiplies it into the colours already there.
    void LoadColourMap(const char* name, bool modulate);
    // The class map and the alpha map (classes in the colour channels, baked sunlight in
    // alpha); clear zeroes the texture first.
    void RefreshAlpha(bool clear);
    // Draws the chunks for one render pass; cull skips the chunks outside the view frustum.
    void Render(int pass, bool cull);

    // ---- Environments (Environment.cpp)
    // Selects an environment by name and, on a created terrain, re-textures and re-colours it;
    // null (nothing changed) when no environment has that name.
    Environment* SetEnvironment(const char* name);
    // A random environment (Rand() modulo the count); its name, or null when there is none.
    const char* SetRandomEnvironment();
    // Puts a texture into ground slot slot + 1 (0, 1, 2; any other value the normal map slot)
    // and onto every chunk.
    void SetGroundTextures(const char* name, int slot);

    // ---- Objects on the ground (TerrainObjects.cpp)
    // The terrain holes of the Scene's terrain objects (entities with a mesh carrying both
    // ENTITY_TERRAIN_HOLE bits), gathered while the chunks are built: a ground triangle all
    // of whose corners one of them covers is left out. More than MAX_COVER_ENTITIES are
    // refused with a line in the log.
    void CollectCoverEntities();
    void ClearCoverEntities();
    // Whether a terrain hole covers a ground point (query space): a straight-down ray from the
    // point passes its box and one from 30 above the point meets its mesh.
    static bool CoversPoint(Entity* hole, const Vec3& point);

    // The mesh-space position of grid vertex (x, z) at its height.
    Vec3 MeshPosition(int x, int z) const;
    // The vertex colour of the colour layer, packed as ARGB; white without a layer.
    uint32_t PackedColour(int x, int z) const;

    std::unique_ptr<Heightmap> heightmap;
    std::vector<Vec3> normals;  // per grid vertex, row-major by z; empty until computed
    std::vector<std::unique_ptr<TerrainChunk>> chunks;  // row-major: row x chunksPerSide + column
    std::vector<TerrainColour> colours;  // per grid vertex
    std::vector<int> classMap;           // per cell, in texture row order (row height - 1 - z)
    WaterSet* waterSet = nullptr;        // the level's water, set by the level set-up
    TextureRecord* alphaTexture = nullptr;
    // The level generator's cell kinds (width x height, row-major): splats go only on cells
    // of kind 0. Null before the first generation, and then no splats are placed.
    const int* mapCells = nullptr;
    // Filled only while the chunks are built.
    PooledList<Entity*> coverEntities;
    int width = 0;
    int height = 0;
    int chunksPerSide = 4;
    // The terrain's height scale; a generated level sets it before its terrain is built.
    float heightScale = 1.0f;
    bool created = false;
    bool meshesReleased = false;

private:
    // The grid coordinates of a world point by the query-space rule.
    void ToGrid(const Vec3& position, float* cx, float* cz) const;
    // The highest ground of each ring of the grid counted in from its edges, made again after
    // the heights change (a new level, an edit).
    const std::vector<float>& RimProfile() const;
    mutable std::vector<float> rimProfile_;
    bool devicesListed_ = false;
};

extern Terrain TheTerrain;
// The heights between which ground is of the mid-height class when the alpha map is made: 1.6
// and 5.0 height units unless the terrain editor set others.
extern float AutoTextureThresholds[2];

// The highest point of a mesh that stands as the entity does (its position, yaw and scale)
// under a straight-down ray from origin: its world height in *height. False when the ray
// passes the mesh by.
bool TopOfEntityMesh(const Entity& entity, const IndexedMesh* mesh, const Vec3& origin, float* height);
// The top of the first collision object of the Scene under the point (a straight-down ray
// from 100 units up); false where none stands.
bool CollisionObjectHeight(const Vec3& position, float* height);
