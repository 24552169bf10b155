// What the level generator builds with besides plants: the pieces of ruins and scrap cities
// (halls, houses, buttresses, walls and their corners, rubble), the bridges over rivers in
// stone and in metal with their trims, the mission objects' own meshes (wreckage, relics,
// consoles, beacons, tanks, cannons, holes in the ground), the ore deposits in their three
// stages, and the large ground decals under spawners and vents. Growth pieces are one material
// each (they are drawn in batches); a piece stands in its cell (2.5 units) unless it is a hall.
#include "content/meshgen/Models.h"

#include "render/IndexedMesh.h"

#include <cmath>
#include <string>

namespace {

const Paint STONE = {0.58f, 0.55f, 0.5f};
const Paint DARK_STONE = {0.42f, 0.4f, 0.37f};
const Paint MOSS = {0.3f, 0.4f, 0.22f};
const Paint SCRAP = {0.48f, 0.36f, 0.24f};
const Paint SCRAP_DARK = {0.3f, 0.24f, 0.18f};
const Paint IRON = {0.4f, 0.42f, 0.45f};
const Paint PLANK = {0.52f, 0.38f, 0.22f};
const Paint GLOW = {0.35f, 0.9f, 1.0f};
const Paint GOLD = {0.85f, 0.7f, 0.25f};
const Paint HULL = {0.55f, 0.58f, 0.62f};
const Paint SOOT = {0.15f, 0.14f, 0.13f};
const Paint ICE = {0.75f, 0.88f, 0.95f};

void Build(IndexedMesh* mesh, const MeshPart& part, const char* effect = LIT_MESH_EFFECT)
{
    ModelBuilder model(WHITE_TEXTURE, effect, effect == MESH_EFFECT ? nullptr : FLAT_NORMAL_MAP);
    model.Add(part);
    model.Build(mesh);
}

MeshPart Block(float w, float h, float d, const Paint& paint, float x = 0.0f, float z = 0.0f)
{
    return Painted(Box(Vec3(w, h, d)), paint).Move(x, h / 2.0f, z);
}

// ---- Ruins (stone) and scrap cities

void MakeRuinHall(IndexedMesh* mesh)
{
    MeshPart hall = Block(6.6f, 0.3f, 6.6f, DARK_STONE);
    hall.Append(Block(6.0f, 2.6f, 0.5f, STONE, 0.0f, -2.8f));
    hall.Append(Block(0.5f, 3.4f, 6.0f, STONE, -2.8f, 0.0f));
    hall.Append(Block(0.5f, 1.6f, 3.0f, STONE, 2.8f, 1.4f));
    hall.Append(Block(2.4f, 1.2f, 0.5f, STONE, 1.6f, 2.8f));
    for (float x : {-1.5f, 1.5f}) hall.Append(Painted(Cylinder(0.35f, 3.0f, 8), DARK_STONE).Move(x, 0.3f, 0.0f));
    hall.Append(Block(3.0f, 0.2f, 2.0f, MOSS, -1.2f, -1.5f).Move(0.0f, 2.6f, 0.0f));
    Build(mesh, hall);
}

void MakeRuinHouse(IndexedMesh* mesh, int variant)
{
    MeshPart house = Block(2.2f, 1.8f + 0.5f * (float)variant, 0.35f, STONE, 0.0f, -0.9f);
    house.Append(Block(0.35f, 1.4f, 2.2f, STONE, -0.9f, 0.0f));
    if (variant) house.Append(Block(0.35f, 0.9f, 1.4f, DARK_STONE, 0.9f, 0.3f));
    house.Append(Block(1.0f, 0.3f, 0.8f, MOSS, 0.3f, 0.4f));
    Build(mesh, house);
}
void MakeRuinHouse0(IndexedMesh* mesh) { MakeRuinHouse(mesh, 0); }
void MakeRuinHouse1(IndexedMesh* mesh) { MakeRuinHouse(mesh, 1); }

void MakeRuinButtress(IndexedMesh* mesh)
{
    MeshPart b = Block(0.8f, 2.0f, 1.6f, STONE);
    b.Append(Painted(Box(Vec3(0.7f, 1.2f, 1.0f)), DARK_STONE).Turn(0.6f, 0.0f, 0.0f).Move(0.0f, 0.8f, 0.7f));
    Build(mesh, b);
}

void MakeRuinWall(IndexedMesh* mesh)
{
    MeshPart wall = Block(2.5f, 1.8f, 0.5f, STONE);
    wall.Append(Block(0.8f, 0.4f, 0.55f, DARK_STONE, -0.6f).Move(0.0f, 1.8f, 0.0f));
    Build(mesh, wall);
}

void MakeRuinWallCorner(IndexedMesh* mesh)
{
    MeshPart corner = Block(0.9f, 2.4f, 0.9f, DARK_STONE);
    corner.Append(Block(1.2f, 1.8f, 0.5f, STONE, 0.9f, 0.0f));
    corner.Append(Block(0.5f, 1.8f, 1.2f, STONE, 0.0f, 0.9f));
    Build(mesh, corner);
}

void MakeRuinRubble(IndexedMesh* mesh)
{
    MeshPart rubble = Painted(Box(Vec3(0.8f, 0.4f, 0.6f)), STONE).Turn(0.1f, 0.5f, 0.2f).Move(0.0f, 0.2f, 0.0f);
    rubble.Append(Painted(Box(Vec3(0.6f, 0.35f, 0.5f)), DARK_STONE).Turn(0.3f, 1.2f, 0.0f).Move(0.6f, 0.18f, 0.3f));
    rubble.Append(Painted(Box(Vec3(0.5f, 0.3f, 0.4f)), STONE).Turn(0.0f, 0.2f, 0.4f).Move(-0.5f, 0.15f, 0.4f));
    Build(mesh, rubble);
}

void MakeScrapHall(IndexedMesh* mesh)
{
    MeshPart hall = Block(6.0f, 2.4f, 5.0f, SCRAP);
    hall.Append(Painted(Cylinder(2.5f, 6.0f, 10), SCRAP_DARK).Turn(0.0f, 0.0f, 1.5708f).Move(3.0f, 2.0f, 0.0f));
    hall.Append(Block(1.6f, 1.6f, 0.2f, SOOT, 0.0f, 2.55f));
    hall.Append(Painted(Cylinder(0.25f, 2.0f, 6), IRON).Move(2.2f, 3.6f, -1.5f));
    Build(mesh, hall);
}

void MakeScrapShack(IndexedMesh* mesh)
{
    MeshPart shack = Block(2.2f, 1.6f, 2.0f, SCRAP);
    shack.Append(Painted(Box(Vec3(2.5f, 0.12f, 2.3f)), SCRAP_DARK).Turn(0.0f, 0.0f, 0.15f).Move(0.0f, 1.75f, 0.0f));
    shack.Append(Block(0.7f, 1.2f, 0.1f, SOOT, 0.3f, 1.0f));
    Build(mesh, shack);
}

void MakeScrapFence(IndexedMesh* mesh)
{
    MeshPart fence;
    for (float x : {-1.1f, 0.0f, 1.1f}) fence.Append(Painted(Cylinder(0.1f, 1.8f, 6), IRON).Move(x, 0.0f, 0.0f));
    fence.Append(Block(2.5f, 1.2f, 0.1f, SCRAP, 0.0f, 0.0f).Move(0.0f, 0.3f, 0.0f));
    Build(mesh, fence);
}

void MakeScrapPost(IndexedMesh* mesh)
{
    MeshPart post = Block(1.0f, 2.6f, 1.0f, SCRAP_DARK);
    post.Append(Block(1.4f, 0.3f, 1.4f, SCRAP).Move(0.0f, 2.6f, 0.0f));
    post.Append(Painted(Sphere(0.15f, 3, 6), {0.95f, 0.15f, 0.1f}).Move(0.0f, 3.1f, 0.0f));
    Build(mesh, post);
}

// ---- Bridges: a deck six units wide across a river, and the rails and posts that trim it.

void MakeBridge(IndexedMesh* mesh, bool metal)
{
    const Paint deck = metal ? IRON : PLANK, beam = metal ? SCRAP_DARK : DARK_STONE;
    MeshPart bridge = Painted(Box(Vec3(6.0f, 0.4f, 18.0f)), deck).Move(0.0f, 1.3f, 0.0f);
    for (float z : {-9.0f, 9.0f}) bridge.Append(Painted(Box(Vec3(6.0f, 0.4f, 4.0f)), deck).Turn(z < 0 ? -0.3f : 0.3f, 0.0f, 0.0f).Move(0.0f, 0.7f, z * 1.18f));
    for (float z : {-4.5f, 0.0f, 4.5f}) bridge.Append(Painted(Box(Vec3(1.0f, 1.6f, 1.0f)), beam).Move(0.0f, 0.3f, z));
    Build(mesh, bridge);
}
void MakeBridgeStone(IndexedMesh* mesh) { MakeBridge(mesh, false); }
void MakeBridgeMetal(IndexedMesh* mesh) { MakeBridge(mesh, true); }

void MakeBridgeTrim(IndexedMesh* mesh, bool metal)
{
    const Paint rail = metal ? IRON : PLANK;
    MeshPart trim;
    for (float x : {-2.9f, 2.9f}) {
        trim.Append(Painted(Box(Vec3(0.15f, 0.15f, 18.0f)), rail).Move(x, 2.4f, 0.0f));
        for (int i = 0; i <= 6; ++i) trim.Append(Painted(Box(Vec3(0.2f, 0.9f, 0.2f)), rail).Move(x, 1.95f, -9.0f + 3.0f * (float)i));
    }
    Build(mesh, trim);
}
void MakeBridgeTrimStone(IndexedMesh* mesh) { MakeBridgeTrim(mesh, false); }
void MakeBridgeTrimMetal(IndexedMesh* mesh) { MakeBridgeTrim(mesh, true); }

// ---- Mission objects

void MakeWreckHull(IndexedMesh* mesh)
{
    MeshPart hull = Painted(Box(Vec3(2.4f, 1.4f, 5.5f)), HULL).Turn(0.1f, 0.3f, 0.25f).Move(0.0f, 0.6f, 0.0f);
    hull.Append(Painted(Cone(1.0f, 2.0f, 8), HULL).Turn(1.5708f, 0.3f, 0.0f).Move(0.8f, 0.7f, 2.7f));
    hull.Append(Painted(Box(Vec3(1.6f, 0.5f, 1.8f)), SOOT).Move(-0.4f, 1.3f, -0.8f));
    Build(mesh, hull);
}

void MakeWreckWing(IndexedMesh* mesh)
{
    MeshPart wing = Painted(Box(Vec3(3.5f, 0.15f, 1.4f)), HULL).Turn(0.0f, 0.6f, 0.3f).Move(0.0f, 0.4f, 0.0f);
    wing.Append(Painted(Cylinder(0.35f, 1.0f, 8), SOOT).Turn(0.0f, 0.0f, 1.5708f).Move(1.2f, 0.5f, 0.2f));
    Build(mesh, wing);
}

void MakeRelic(IndexedMesh* mesh)
{
    MeshPart relic = Block(1.2f, 0.4f, 1.2f, DARK_STONE);
    relic.Append(Painted(Cone(0.45f, 1.6f, 4), GOLD).Move(0.0f, 0.4f, 0.0f));
    relic.Append(Painted(Sphere(0.2f, 3, 8), GLOW).Move(0.0f, 1.3f, 0.0f));
    Build(mesh, relic);
}

void MakeComputerConsole(IndexedMesh* mesh)
{
    MeshPart console = Block(1.4f, 1.0f, 0.8f, IRON);
    console.Append(Painted(Box(Vec3(1.2f, 0.8f, 0.1f)), GLOW).Turn(-0.4f, 0.0f, 0.0f).Move(0.0f, 1.3f, 0.2f));
    console.Append(Painted(Box(Vec3(1.3f, 0.9f, 0.15f)), SCRAP_DARK).Turn(-0.4f, 0.0f, 0.0f).Move(0.0f, 1.3f, 0.1f));
    Build(mesh, console);
}

void MakeAlienTablet(IndexedMesh* mesh)
{
    MeshPart tablet = Painted(Box(Vec3(1.0f, 1.8f, 0.3f)), {0.35f, 0.25f, 0.45f}).Turn(0.15f, 0.0f, 0.05f).Move(0.0f, 0.9f, 0.0f);
    tablet.Append(Painted(Box(Vec3(0.6f, 0.12f, 0.05f)), {0.6f, 1.0f, 0.4f}).Move(0.0f, 1.2f, 0.2f));
    tablet.Append(Painted(Box(Vec3(0.6f, 0.12f, 0.05f)), {0.6f, 1.0f, 0.4f}).Move(0.0f, 0.8f, 0.2f));
    Build(mesh, tablet);
}

void MakeProbeData(IndexedMesh* mesh)
{
    MeshPart probe = Painted(Sphere(0.6f, 4, 8), HULL).Move(0.0f, 0.6f, 0.0f);
    for (int i = 0; i < 3; ++i) {
        float a = 2.094f * (float)i;
        probe.Append(Painted(Cylinder(0.06f, 1.0f, 5), IRON).Turn(0.6f * std::cos(a), 0.0f, 0.6f * std::sin(a)).Move(0.0f, 0.2f, 0.0f));
    }
    probe.Append(Painted(Sphere(0.15f, 3, 6), GLOW).Move(0.0f, 1.25f, 0.0f));
    Build(mesh, probe);
}

void MakeSurveyBeacon(IndexedMesh* mesh)
{
    MeshPart beacon = Painted(Cylinder(0.5f, 0.3f, 8), IRON);
    beacon.Append(Painted(Cylinder(0.1f, 2.6f, 6), HULL).Move(0.0f, 0.3f, 0.0f));
    beacon.Append(Painted(Sphere(0.25f, 3, 8), {1.0f, 0.6f, 0.1f}).Move(0.0f, 2.9f, 0.0f));
    Build(mesh, beacon);
}

void MakeFuelTank(IndexedMesh* mesh)
{
    MeshPart tank = Painted(Cylinder(1.0f, 2.2f, 12), {0.7f, 0.6f, 0.2f});
    tank.Append(Painted(Dome(1.0f, 3, 12), {0.7f, 0.6f, 0.2f}).Move(0.0f, 2.2f, 0.0f));
    tank.Append(Painted(Cylinder(0.15f, 1.0f, 6), IRON).Turn(0.0f, 0.0f, 1.5708f).Move(1.6f, 0.6f, 0.0f));
    Build(mesh, tank);
}

void MakeGeneratorUnit(IndexedMesh* mesh)
{
    MeshPart generator = Block(1.8f, 1.2f, 1.4f, IRON);
    for (float x : {-0.5f, 0.5f}) generator.Append(Painted(Cylinder(0.3f, 0.8f, 8), SCRAP_DARK).Move(x, 1.2f, 0.0f));
    generator.Append(Painted(Box(Vec3(0.4f, 0.3f, 0.05f)), GLOW).Move(0.0f, 0.7f, 0.72f));
    Build(mesh, generator);
}

void MakeDefenseCannon(IndexedMesh* mesh)
{
    MeshPart cannon = Painted(Cylinder(1.6f, 0.8f, 12), DARK_STONE);
    cannon.Append(Painted(Dome(1.2f, 3, 12), IRON).Move(0.0f, 0.8f, 0.0f));
    cannon.Append(Painted(Cylinder(0.3f, 3.2f, 8), IRON).Turn(-0.9f, 0.0f, 0.0f).Move(0.0f, 1.6f, 0.3f));
    Build(mesh, cannon);
}

void MakeRadarTower(IndexedMesh* mesh)
{
    MeshPart tower = Painted(Tube(0.6f, 0.3f, 4.0f, 6), IRON);
    tower.Append(Painted(Dome(1.0f, 3, 10), HULL).Turn(1.2f, 0.0f, 0.0f).Move(0.0f, 4.0f, 0.2f));
    Build(mesh, tower);
}

void MakeHoleRim(IndexedMesh* mesh)
{
    MeshPart rim;
    for (int i = 0; i < 10; ++i) {
        float a = 0.6283f * (float)i;
        rim.Append(Painted(Box(Vec3(1.4f, 0.5f, 0.8f)), i % 2 ? DARK_STONE : SOOT)
                       .Turn(0.2f, -a, 0.0f)
                       .Move(3.2f * std::cos(a), 0.2f, 3.2f * std::sin(a)));
    }
    Build(mesh, rim);
}

void MakeIceBlock(IndexedMesh* mesh)
{
    MeshPart ice = Painted(Box(Vec3(1.6f, 1.2f, 1.4f)), ICE).Turn(0.0f, 0.3f, 0.05f).Move(0.0f, 0.6f, 0.0f);
    ice.Append(Painted(Box(Vec3(0.9f, 0.8f, 0.9f)), {0.85f, 0.95f, 1.0f}).Turn(0.1f, 0.9f, 0.0f).Move(0.6f, 1.3f, 0.2f));
    Build(mesh, ice);
}

// ---- Ore deposits: the rock, then two stages with the ore showing (painted by its grade)

MeshPart OreRock(int n)
{
    MeshPart rock = Painted(Box(Vec3(1.4f + 0.2f * (float)n, 0.7f, 1.2f)), DARK_STONE).Turn(0.1f, 0.4f * (float)n, 0.0f).Move(0.0f, 0.35f, 0.0f);
    rock.Append(Painted(Box(Vec3(0.8f, 0.5f, 0.9f)), STONE).Turn(0.2f, 1.0f, 0.1f).Move(0.5f, 0.3f, 0.4f));
    return rock;
}

MeshPart OreCrystals(int n, int stage)
{
    MeshPart crystals;
    const int count = 3 + n % 2 + (stage == 1 ? 2 : 0);
    for (int i = 0; i < count; ++i) {
        float a = 6.2832f * (float)i / (float)count + 0.5f * (float)n;
        crystals.Append(Painted(Cone(0.2f, 0.8f + 0.2f * (float)((i + n) % 3), 5), {1.0f, 1.0f, 1.0f})
                            .Turn(0.4f * std::cos(a), 0.0f, 0.4f * std::sin(a))
                            .Move(0.45f * std::cos(a), 0.5f, 0.45f * std::sin(a)));
    }
    return crystals;
}

template <int N>
void MakeOre(IndexedMesh* mesh)
{
    Build(mesh, OreRock(N));
}
template <int N, int STAGE>
void MakeOreStage(IndexedMesh* mesh)
{
    MeshPart part = OreRock(N);
    part.Append(OreCrystals(N, STAGE));
    Build(mesh, part);
}

void MakeFuelVentMesh(IndexedMesh* mesh)
{
    MeshPart vent = Painted(Tube(1.0f, 0.6f, 0.5f, 10), SOOT);
    vent.Append(Painted(Cylinder(0.5f, 0.05f, 10), {0.9f, 0.7f, 0.2f}).Move(0.0f, 0.5f, 0.0f));
    Build(mesh, vent);
}

// Flat decals laid on the ground, draped over it as they are placed.
void MakeSplatXLarge(IndexedMesh* mesh)
{
    Build(mesh, Grid(10.0f, 10.0f, 8).Move(0.0f, 0.02f, 0.0f), MESH_EFFECT);
}
void MakeSplat3x3(IndexedMesh* mesh)
{
    Build(mesh, Grid(7.5f, 7.5f, 6).Move(0.0f, 0.02f, 0.0f), MESH_EFFECT);
}

}  // namespace

const std::vector<MeshRecipe>& LevelPieceCatalogue()
{
    static const std::vector<MeshRecipe> recipes = {
        {"ruin_hall.txt", MakeRuinHall},
        {"ruin_house_0.txt", MakeRuinHouse0},
        {"ruin_house_1.txt", MakeRuinHouse1},
        {"ruin_buttress.txt", MakeRuinButtress},
        {"ruin_wall.txt", MakeRuinWall},
        {"ruin_wall_corner.txt", MakeRuinWallCorner},
        {"ruin_rubble.txt", MakeRuinRubble},
        {"scrap_hall.txt", MakeScrapHall},
        {"scrap_shack.txt", MakeScrapShack},
        {"scrap_fence.txt", MakeScrapFence},
        {"scrap_post.txt", MakeScrapPost},
        {"bridge_6w.txt", MakeBridgeStone},
        {"bridge_6w_metal.txt", MakeBridgeMetal},
        {"bridge_6w_trim.txt", MakeBridgeTrimStone},
        {"bridge_6w_trim_metal.txt", MakeBridgeTrimMetal},
        {"wreck_hull.txt", MakeWreckHull},
        {"wreck_wing.txt", MakeWreckWing},
        {"relic.txt", MakeRelic},
        {"computer_console.txt", MakeComputerConsole},
        {"alien_tablet.txt", MakeAlienTablet},
        {"probe_data.txt", MakeProbeData},
        {"survey_beacon.txt", MakeSurveyBeacon},
        {"fuel_tank.txt", MakeFuelTank},
        {"generator_unit.txt", MakeGeneratorUnit},
        {"defense_cannon.txt", MakeDefenseCannon},
        {"radar_tower.txt", MakeRadarTower},
        {"hole_rim.txt", MakeHoleRim},
        {"ice_block.txt", MakeIceBlock},
        {"ore_deposit_1.txt", MakeOre<1>},
        {"ore_deposit_1_a.txt", MakeOreStage<1, 1>},
        {"ore_deposit_1_b.txt", MakeOreStage<1, 2>},
        {"ore_deposit_2.txt", MakeOre<2>},
        {"ore_deposit_2_a.txt", MakeOreStage<2, 1>},
        {"ore_deposit_2_b.txt", MakeOreStage<2, 2>},
        {"ore_deposit_3.txt", MakeOre<3>},
        {"ore_deposit_3_a.txt", MakeOreStage<3, 1>},
        {"ore_deposit_3_b.txt", MakeOreStage<3, 2>},
        {"ore_deposit_4.txt", MakeOre<4>},
        {"ore_deposit_4_a.txt", MakeOreStage<4, 1>},
        {"ore_deposit_4_b.txt", MakeOreStage<4, 2>},
        {"fuel_vent.txt", MakeFuelVentMesh},
        {"splat_xlarge.txt", MakeSplatXLarge},
        {"splat_3x3.txt", MakeSplat3x3},
    };
    return recipes;
}
