// The buildings: the player's base (steel and concrete, orange trim, cyan lights), the
// scavengers' camps and dropship (rusted scrap, red lamps), the creatures' nests and lairs, and
// the parts some of them turn or raise (rotors, dishes, turret heads), the scaffold shown while
// one is built and the rubble left when one falls.
//
// A building is centred on its origin, its floor at y = 0, and stays inside its footprint.
#include "content/meshgen/ModelParts.h"

#include <cmath>

namespace {

const Paint CONCRETE = {0.52f, 0.52f, 0.5f};
const Paint STEEL = {0.42f, 0.47f, 0.55f};
const Paint PANEL = {0.56f, 0.61f, 0.67f};
const Paint DARK = {0.22f, 0.24f, 0.27f};
const Paint ORANGE = {0.88f, 0.5f, 0.12f};
const Paint CYAN = {0.35f, 0.9f, 1.0f};
const Paint GREEN = {0.3f, 0.85f, 0.35f};
const Paint OCHRE = {0.78f, 0.6f, 0.22f};
const Paint VIOLET = {0.62f, 0.4f, 0.9f};
const Paint RUST = {0.5f, 0.3f, 0.18f};
const Paint SCRAP = {0.45f, 0.42f, 0.36f};
const Paint DIRTY_YELLOW = {0.7f, 0.62f, 0.25f};
const Paint LAMP = {0.95f, 0.15f, 0.1f};
const Paint BONE = {0.85f, 0.8f, 0.68f};
const Paint FLESH = {0.62f, 0.22f, 0.25f};
const Paint ROCK = {0.45f, 0.43f, 0.4f};
const Paint BARK = {0.38f, 0.26f, 0.15f};
const Paint MOSS = {0.3f, 0.45f, 0.2f};
const Paint HOLE = {0.05f, 0.04f, 0.04f};

ModelBuilder Lit()
{
    return ModelBuilder(WHITE_TEXTURE, LIT_MESH_EFFECT, FLAT_NORMAL_MAP);
}

// The player's concrete floor with a dark rim.
void Foundation(ModelBuilder& m, float side)
{
    m.Add(Painted(Box(Vec3(side, 0.2f, side)).Move(0.0f, 0.1f, 0.0f), CONCRETE));
    m.Add(Painted(Box(Vec3(side - 0.3f, 0.04f, side - 0.3f)).Move(0.0f, 0.22f, 0.0f), DARK));
}

// A ring lying flat: segments of tube around a circle.
MeshPart Ring(float radius, float thickness, int segments)
{
    MeshPart ring;
    for (int i = 0; i < segments; ++i) {
        float a0 = 2.0f * PI * i / segments, a1 = 2.0f * PI * (i + 1) / segments;
        ring.Append(Limb(Vec3(std::sin(a0) * radius, 0.0f, std::cos(a0) * radius),
                         Vec3(std::sin(a1) * radius, 0.0f, std::cos(a1) * radius), thickness, thickness, 5));
    }
    return ring;
}

MeshPart Post(float x, float z, float height, float radius)
{
    return Cylinder(radius, height, 6).Move(x, 0.2f, z);
}

// A lumpy pile (rocks, flesh, earth) of count lumps within radius.
void Pile(ModelBuilder& m, float radius, float height, int count, const Paint& a, const Paint& b)
{
    for (int i = 0; i < count; ++i) {
        float angle = 2.4f * i, r = radius * (0.25f + 0.6f * std::fmod(0.37f * i, 1.0f));
        float size = radius * (0.35f - 0.015f * i);
        Matrix squash;
        MatrixScaling(&squash, 1.0f, height / radius, 1.0f);
        m.Add(Painted(Dome(size, 3, 7).Transform(squash).Move(std::sin(angle) * r, 0.0f, std::cos(angle) * r), i % 3 ? a : b));
    }
}

// ---- The player's base

void MakePowerGenerator(IndexedMesh* mesh)
{
    ModelBuilder m = Lit();
    Foundation(m, 6.6f);
    m.Add(Painted(Cylinder(1.5f, 2.4f, 12).Move(0.0f, 0.2f, 0.0f), STEEL));
    for (int i = 0; i < 3; ++i) m.Add(Painted(Cylinder(1.58f, 0.12f, 12).Move(0.0f, 0.6f + 0.6f * i, 0.0f), CYAN));
    for (int i = 0; i < 8; ++i) {
        float angle = PI * 0.25f * i;
        m.Add(Painted(Box(Vec3(0.12f, 1.8f, 0.9f)).Turn(0.0f, angle, 0.0f).Move(std::sin(angle) * 2.1f, 1.1f, std::cos(angle) * 2.1f), PANEL));
    }
    m.Add(Painted(Cylinder(1.1f, 0.3f, 12).Move(0.0f, 2.6f, 0.0f), DARK));
    m.Add(Painted(Box(Vec3(1.2f, 0.6f, 0.8f)).Move(2.4f, 0.5f, -2.4f), ORANGE));
    m.Build(mesh);
}

void MakePowerCore(IndexedMesh* mesh)
{
    ModelBuilder m = Lit();
    Foundation(m, 6.6f);
    for (float side : {-1.0f, 1.0f}) {
        m.Add(Painted(Tube(0.9f, 0.6f, 4.2f, 10).Move(side * 2.0f, 0.2f, 0.0f), STEEL));
        m.Add(Painted(Cylinder(0.95f, 0.15f, 10).Move(side * 2.0f, 2.0f, 0.0f), ORANGE));
        m.Add(Painted(Limb(Vec3(side * 1.6f, 3.6f, 0.0f), Vec3(side * 0.5f, 2.6f, 0.0f), 0.15f, 0.12f), DARK));
    }
    m.Add(Painted(Cylinder(1.0f, 1.2f, 12).Move(0.0f, 0.2f, 0.0f), PANEL));
    m.Add(Painted(Sphere(0.9f, 6, 12).Move(0.0f, 2.2f, 0.0f), CYAN));
    m.Build(mesh);
}

void MakeRefinery(IndexedMesh* mesh)
{
    ModelBuilder m = Lit();
    Foundation(m, 6.6f);
    // The funnel miners tip their ore into, on four legs.
    for (int i = 0; i < 4; ++i) m.Add(Painted(Post(i % 2 ? 1.3f : -1.3f, i / 2 ? 0.4f : -2.2f, 1.8f, 0.12f), DARK));
    m.Add(Painted(Tube(0.5f, 1.7f, 1.6f, 12).Move(0.0f, 1.8f, -0.9f), OCHRE));
    m.Add(Painted(Box(Vec3(2.8f, 1.4f, 2.2f)).Move(0.0f, 0.9f, 1.9f), STEEL));
    for (float side : {-1.0f, 1.0f}) m.Add(Painted(Cylinder(0.7f, 2.0f, 10).Move(side * 2.3f, 0.2f, 1.2f), PANEL));
    m.Add(Painted(Cylinder(0.3f, 3.6f, 8).Move(2.5f, 0.2f, -2.5f), DARK));
    m.Add(Painted(Cylinder(0.34f, 0.2f, 8).Move(2.5f, 3.6f, -2.5f), ORANGE));
    m.Add(Painted(Box(Vec3(2.0f, 0.15f, 0.05f)).Move(0.0f, 1.3f, 3.01f), ORANGE));
    m.Build(mesh);
}

void Hangar(ModelBuilder& m, float width, float height, float depth, float x, const Paint& stripe)
{
    std::vector<Vec2> arch;
    for (int i = 0; i <= 8; ++i) {
        float a = PI * i / 8.0f;
        arch.push_back({std::cos(a) * width * 0.5f, 0.2f + std::sin(a) * height});
    }
    m.Add(Painted(Extrusion(arch, depth).Move(x, 0.0f, 0.0f), STEEL));
    m.Add(Painted(Box(Vec3(width * 0.6f, height * 0.7f, 0.05f)).Move(x, 0.2f + height * 0.35f, depth * 0.5f + 0.02f), DARK));
    for (int i = 0; i < 3; ++i)
        m.Add(Painted(Box(Vec3(width * 0.15f, 0.12f, 0.06f)).Turn(0.0f, 0.0f, 0.6f).Move(x + width * (-0.2f + 0.2f * i), 0.5f, depth * 0.5f + 0.06f), stripe));
}

void MakeBotFactory(IndexedMesh* mesh)
{
    ModelBuilder m = Lit();
    Foundation(m, 6.6f);
    Hangar(m, 4.4f, 2.4f, 5.0f, -0.6f, ORANGE);
    m.Add(Painted(Box(Vec3(1.2f, 3.0f, 1.2f)).Move(2.5f, 1.7f, -2.2f), PANEL));
    m.Add(Painted(Limb(Vec3(2.5f, 3.2f, -2.2f), Vec3(2.5f, 3.4f, 1.8f), 0.1f, 0.1f), ORANGE));
    m.Add(Painted(Sphere(0.15f, 3, 6).Move(2.5f, 3.4f, -2.2f), CYAN));
    m.Build(mesh);
}

void MakeHeavyFactory(IndexedMesh* mesh)
{
    ModelBuilder m = Lit();
    Foundation(m, 11.4f);
    Hangar(m, 4.6f, 3.2f, 9.0f, -2.8f, ORANGE);
    Hangar(m, 4.6f, 3.2f, 9.0f, 2.8f, LAMP);
    for (float z : {-4.0f, 4.0f}) {
        for (float x : {-5.2f, 5.2f}) m.Add(Painted(Post(x, z, 4.8f, 0.18f), DARK));
        m.Add(Painted(Box(Vec3(10.6f, 0.3f, 0.3f)).Move(0.0f, 5.0f, z), ORANGE));
    }
    m.Build(mesh);
}

void MakeFuelPump(IndexedMesh* mesh)
{
    ModelBuilder m = Lit();
    Foundation(m, 6.6f);
    // The derrick over the vent, and the pump house beside it.
    for (int i = 0; i < 4; ++i) {
        float x = i % 2 ? 1.2f : -1.2f, z = i / 2 ? 1.2f : -1.2f;
        m.Add(Painted(Limb(Vec3(x, 0.2f, z), Vec3(x * 0.25f, 4.6f, z * 0.25f), 0.1f, 0.07f), DARK));
    }
    for (int level = 0; level < 3; ++level) {
        float y = 1.2f + 1.1f * level, r = 1.2f - 0.2f * (y - 0.2f);
        m.Add(Painted(Box(Vec3(2.0f * r, 0.08f, 2.0f * r)).Move(0.0f, y, 0.0f), ORANGE));
    }
    m.Add(Painted(Box(Vec3(2.0f, 1.4f, 1.6f)).Move(-2.1f, 0.9f, 2.0f), STEEL));
    for (float x : {1.8f, 2.6f}) m.Add(Painted(Cylinder(0.4f, 1.6f, 10).Move(x, 0.2f, 2.3f), PANEL));
    m.Add(Painted(Cylinder(0.25f, 0.3f, 8).Move(0.0f, 0.2f, 0.0f), DARK));
    m.Build(mesh);
}

void MakeControlTower(IndexedMesh* mesh)
{
    ModelBuilder m = Lit();
    m.Add(Painted(Box(Vec3(2.1f, 0.3f, 2.1f)).Move(0.0f, 0.15f, 0.0f), CONCRETE));
    m.Add(Painted(Tube(0.7f, 0.45f, 3.4f, 8).Move(0.0f, 0.3f, 0.0f), STEEL));
    m.Add(Painted(Box(Vec3(1.5f, 0.8f, 1.5f)).Move(0.0f, 4.0f, 0.0f), PANEL));
    for (int i = 0; i < 4; ++i)
        m.Add(Painted(Box(Vec3(1.2f, 0.3f, 0.04f)).Move(0.0f, 4.05f, 0.77f).Turn(0.0f, 0.5f * PI * i, 0.0f), CYAN));
    m.Add(Painted(Cylinder(0.04f, 1.2f, 5).Move(0.3f, 4.4f, 0.3f), DARK));
    m.Add(Painted(Sphere(0.08f, 3, 6).Move(0.3f, 5.65f, 0.3f), LAMP));
    m.Build(mesh);
}

void MakeTurretBase(IndexedMesh* mesh)
{
    ModelBuilder m = Lit();
    m.Add(Painted(Cylinder(1.1f, 0.4f, 10), CONCRETE));
    m.Add(Painted(Tube(0.9f, 0.7f, 0.8f, 10).Move(0.0f, 0.4f, 0.0f), STEEL));
    m.Add(Painted(Cylinder(0.72f, 0.08f, 10).Move(0.0f, 0.9f, 0.0f), ORANGE));
    m.Build(mesh);
}

void MakeRepairStation(IndexedMesh* mesh)
{
    ModelBuilder m = Lit();
    Foundation(m, 6.6f);
    m.Add(Painted(Box(Vec3(3.4f, 0.05f, 0.9f)).Move(0.0f, 0.26f, 0.0f), GREEN));
    m.Add(Painted(Box(Vec3(0.9f, 0.05f, 3.4f)).Move(0.0f, 0.26f, 0.0f), GREEN));
    for (int i = 0; i < 4; ++i) {
        float angle = PI * 0.25f + PI * 0.5f * i;
        m.Add(Painted(Post(std::sin(angle) * 2.6f, std::cos(angle) * 2.6f, 2.2f, 0.2f), PANEL));
        m.Add(Painted(Sphere(0.22f, 3, 6).Move(std::sin(angle) * 2.6f, 2.45f, std::cos(angle) * 2.6f), GREEN));
    }
    m.Build(mesh);
}

void MakeBotUpgrader(IndexedMesh* mesh)
{
    ModelBuilder m = Lit();
    Foundation(m, 6.6f);
    m.Add(Painted(Cylinder(1.6f, 0.3f, 12).Move(0.0f, 0.2f, 0.0f), DARK));
    m.Add(Painted(Cylinder(1.3f, 0.06f, 12).Move(0.0f, 0.5f, 0.0f), CYAN));
    for (float side : {-1.0f, 1.0f}) {
        m.Add(Painted(Box(Vec3(0.4f, 3.4f, 0.6f)).Move(side * 2.4f, 1.9f, 0.0f), STEEL));
        m.Add(Painted(Limb(Vec3(side * 2.3f, 3.0f, 0.0f), Vec3(side * 1.1f, 2.6f, 0.0f), 0.12f, 0.09f), ORANGE));
    }
    m.Add(Painted(Box(Vec3(5.2f, 0.35f, 0.7f)).Move(0.0f, 3.7f, 0.0f), STEEL));
    m.Build(mesh);
}

void MakeRecycler(IndexedMesh* mesh)
{
    ModelBuilder m = Lit();
    Foundation(m, 6.6f);
    m.Add(Painted(Box(Vec3(4.6f, 1.6f, 4.0f)).Move(0.0f, 1.0f, 0.0f), SCRAP));
    m.Add(Painted(Box(Vec3(3.4f, 0.1f, 2.8f)).Move(0.0f, 1.82f, 0.0f), HOLE));
    for (float side : {-1.0f, 1.0f}) m.Add(Painted(Box(Vec3(0.2f, 0.5f, 3.0f)).Move(side * 2.0f, 2.05f, 0.0f), ORANGE));
    m.Add(Painted(Box(Vec3(1.4f, 0.8f, 0.6f)).Move(0.0f, 0.6f, 2.6f), DARK));
    m.Build(mesh);
}

void MakeResearchLab(IndexedMesh* mesh)
{
    ModelBuilder m = Lit();
    Foundation(m, 6.6f);
    m.Add(Painted(Dome(2.2f, 5, 14).Move(-0.6f, 0.2f, -0.4f), PANEL));
    m.Add(Painted(Cylinder(2.25f, 0.15f, 14).Move(-0.6f, 0.9f, -0.4f), VIOLET));
    m.Add(Painted(Box(Vec3(1.6f, 1.5f, 2.4f)).Move(2.2f, 0.95f, 1.4f), STEEL));
    m.Add(Painted(Box(Vec3(0.04f, 0.6f, 1.6f)).Move(3.01f, 1.1f, 1.4f), CYAN));
    m.Add(Painted(Cylinder(0.05f, 2.0f, 5).Move(-0.6f, 2.3f, -0.4f), DARK));
    m.Add(Painted(Sphere(0.14f, 3, 6).Move(-0.6f, 4.4f, -0.4f), VIOLET));
    m.Build(mesh);
}

void MakeBuildNode(IndexedMesh* mesh)
{
    ModelBuilder m = Lit();
    m.Add(Painted(Cylinder(1.0f, 0.3f, 8), CONCRETE));
    m.Add(Painted(Tube(0.45f, 0.15f, 2.6f, 6).Move(0.0f, 0.3f, 0.0f), STEEL));
    for (int i = 0; i < 3; ++i) {
        float angle = 2.0f * PI * i / 3.0f;
        m.Add(Painted(Limb(Vec3(std::sin(angle) * 0.9f, 0.3f, std::cos(angle) * 0.9f), Vec3(0.0f, 2.0f, 0.0f), 0.08f, 0.05f, 5), ORANGE));
    }
    m.Build(mesh);
}

void MakeRadarStation(IndexedMesh* mesh)
{
    ModelBuilder m = Lit();
    Foundation(m, 6.6f);
    m.Add(Painted(Box(Vec3(2.2f, 1.4f, 1.8f)).Move(-1.8f, 0.9f, 1.9f), STEEL));
    // The mast in the middle carries the dish, which turns about it.
    for (int i = 0; i < 4; ++i) {
        float x = i % 2 ? 0.9f : -0.9f, z = i / 2 ? 0.9f : -0.9f;
        m.Add(Painted(Limb(Vec3(x, 0.2f, z), Vec3(x * 0.3f, 3.2f, z * 0.3f), 0.09f, 0.07f, 5), DARK));
    }
    m.Add(Painted(Cylinder(0.6f, 0.25f, 10).Move(0.0f, 3.2f, 0.0f), PANEL));
    m.Build(mesh);
}

void MakeWarpPlatform(IndexedMesh* mesh)
{
    ModelBuilder m = Lit();
    Foundation(m, 6.6f);
    m.Add(Painted(Cylinder(2.8f, 0.35f, 16).Move(0.0f, 0.2f, 0.0f), STEEL));
    m.Add(Painted(Cylinder(2.2f, 0.05f, 16).Move(0.0f, 0.55f, 0.0f), VIOLET));
    for (int i = 0; i < 3; ++i) {
        float angle = 2.0f * PI * i / 3.0f;
        m.Add(Painted(Box(Vec3(0.4f, 3.0f, 0.4f)).Move(std::sin(angle) * 2.6f, 1.7f, std::cos(angle) * 2.6f), PANEL));
        m.Add(Painted(Sphere(0.25f, 3, 6).Move(std::sin(angle) * 2.6f, 3.3f, std::cos(angle) * 2.6f), VIOLET));
    }
    m.Build(mesh);
}

void MakeOreSilo(IndexedMesh* mesh)
{
    ModelBuilder m = Lit();
    m.Add(Painted(Box(Vec3(2.1f, 0.2f, 2.1f)).Move(0.0f, 0.1f, 0.0f), CONCRETE));
    m.Add(Painted(Cylinder(0.85f, 2.6f, 10).Move(0.0f, 0.2f, 0.0f), PANEL));
    m.Add(Painted(Cylinder(0.88f, 0.3f, 10).Move(0.0f, 1.4f, 0.0f), OCHRE));
    m.Add(Painted(Cone(0.9f, 0.7f, 10).Move(0.0f, 2.8f, 0.0f), STEEL));
    m.Build(mesh);
}

void MakeTradePost(IndexedMesh* mesh)
{
    ModelBuilder m = Lit();
    Foundation(m, 6.6f);
    const Paint crates[] = {ORANGE, STEEL, CYAN, OCHRE};
    for (int i = 0; i < 5; ++i)
        m.Add(Painted(Box(Vec3(2.4f, 1.1f, 1.1f)).Move(i < 3 ? -1.4f : 1.4f, 0.75f + (i == 2 ? 1.1f : 0.0f), i < 3 ? -1.6f + 1.25f * (i % 2) : 0.8f * (i - 3.5f) * 2.0f), crates[i % 4]));
    m.Add(Painted(Cylinder(0.05f, 3.2f, 5).Move(2.6f, 0.2f, 2.6f), DARK));
    m.Add(Painted(Box(Vec3(1.0f, 0.6f, 0.05f)).Move(2.6f, 3.1f, 2.6f), GREEN));
    m.Build(mesh);
}

// ---- The scavengers'

void MakeDropship(IndexedMesh* mesh)
{
    ModelBuilder m = Lit();
    for (int i = 0; i < 4; ++i) {
        float x = i % 2 ? 3.2f : -3.2f, z = i / 2 ? 3.0f : -3.0f;
        m.Add(Painted(Limb(Vec3(x, 0.15f, z), Vec3(x * 0.7f, 1.6f, z * 0.7f), 0.15f, 0.12f, 6), DARK));
        m.Add(Painted(Cylinder(0.45f, 0.12f, 8).Move(x, 0.0f, z), DARK));
    }
    std::vector<Vec2> hull = {{-5.2f, 1.4f}, {4.2f, 1.4f}, {5.4f, 2.4f}, {4.4f, 3.6f}, {-4.6f, 3.8f}, {-5.4f, 2.6f}};
    m.Add(Painted(Extrusion(hull, 3.6f).Turn(0.0f, -0.5f * PI, 0.0f), RUST));
    for (float side : {-1.0f, 1.0f}) {
        m.Add(Painted(Box(Vec3(3.4f, 0.25f, 3.0f)).Move(side * 3.4f, 2.8f, -1.0f), SCRAP));
        m.Add(Painted(Cylinder(0.6f, 2.0f, 8).Turn(-0.5f * PI, 0.0f, 0.0f).Move(side * 1.3f, 2.6f, -3.6f), DARK));
        m.Add(Painted(Cylinder(0.45f, 0.1f, 8).Turn(-0.5f * PI, 0.0f, 0.0f).Move(side * 1.3f, 2.6f, -5.55f), LAMP));
    }
    m.Add(Painted(Box(Vec3(2.2f, 0.12f, 2.6f)).Turn(-0.45f, 0.0f, 0.0f).Move(0.0f, 0.65f, 4.4f), DIRTY_YELLOW));
    m.Add(Painted(Box(Vec3(1.6f, 0.6f, 0.05f)).Move(0.0f, 3.3f, 4.3f), LAMP));
    m.Build(mesh);
}

void MakeScavTurretBase(IndexedMesh* mesh)
{
    ModelBuilder m = Lit();
    for (int i = 0; i < 6; ++i) {
        float angle = PI / 3.0f * i;
        m.Add(Painted(Box(Vec3(0.7f, 0.35f, 0.4f)).Turn(0.0f, angle, 0.0f).Move(std::sin(angle) * 0.65f, 0.18f + 0.3f * (i % 2), std::cos(angle) * 0.65f), DIRTY_YELLOW));
    }
    m.Add(Painted(Cylinder(0.5f, 1.0f, 8), RUST));
    m.Build(mesh);
}

void MakeScavCamp(IndexedMesh* mesh)
{
    ModelBuilder m = Lit();
    for (int i = 0; i < 7; ++i) {
        float angle = 0.9f * i;
        float height = 1.1f + 0.3f * (i % 3);
        m.Add(Painted(Box(Vec3(1.8f, height, 0.2f)).Turn(0.0f, angle, 0.0f).Move(std::sin(angle) * 2.5f, 0.5f * height, std::cos(angle) * 2.5f), i % 2 ? RUST : SCRAP));
    }
    m.Add(Painted(Cone(1.6f, 2.2f, 6).Move(-0.8f, 0.0f, -0.6f), DIRTY_YELLOW));
    m.Add(Painted(Cylinder(0.35f, 0.8f, 8).Move(1.2f, 0.0f, 0.8f), RUST));
    m.Add(Painted(Sphere(0.25f, 3, 6).Move(1.2f, 0.9f, 0.8f), LAMP));
    m.Add(Painted(Cylinder(0.04f, 3.2f, 5).Move(-2.0f, 0.0f, 1.6f), DARK));
    m.Add(Painted(Box(Vec3(0.9f, 0.5f, 0.03f)).Move(-1.5f, 2.8f, 1.6f), LAMP));
    m.Build(mesh);
}

// The scavengers' fortress: a ring of scrap walls, corner towers with lamps and a keep.
void MakeStronghold(IndexedMesh* mesh)
{
    ModelBuilder m = Lit();
    const float half = 5.2f;
    for (int side = 0; side < 4; ++side)
        for (int i = 0; i < 3; ++i) {
            float along = -3.4f + 3.4f * i;
            Vec3 at = side % 2 == 0 ? Vec3(along, 0.9f, side == 0 ? -half : half) : Vec3(side == 1 ? half : -half, 0.9f, along);
            float turn = side % 2 == 0 ? 0.0f : 0.5f * PI;
            if (side == 0 && i == 1) continue;  // the gate
            m.Add(Painted(Box(Vec3(3.2f, 1.8f, 0.4f)).Turn(0.0f, turn, 0.0f).Move(at.x, at.y, at.z), i % 2 ? RUST : SCRAP));
        }
    for (int i = 0; i < 4; ++i) {
        float x = i % 2 ? half - 0.3f : -half + 0.3f, z = i / 2 ? half - 0.3f : -half + 0.3f;
        m.Add(Painted(Tube(0.7f, 0.5f, 3.2f, 8).Move(x, 0.0f, z), RUST));
        m.Add(Painted(Sphere(0.2f, 3, 6).Move(x, 3.3f, z), LAMP));
    }
    m.Add(Painted(Box(Vec3(4.0f, 2.6f, 3.6f)).Move(0.0f, 1.3f, 0.4f), DIRTY_YELLOW));
    m.Add(Painted(Box(Vec3(2.4f, 1.4f, 2.2f)).Move(0.0f, 3.3f, 0.4f), RUST));
    m.Add(Painted(Cylinder(0.05f, 2.0f, 5).Move(0.8f, 4.0f, 0.8f), DARK));
    m.Add(Painted(Box(Vec3(1.0f, 0.6f, 0.04f)).Move(1.3f, 5.6f, 0.8f), LAMP));
    m.Build(mesh);
}

void MakeWeaponsCache(IndexedMesh* mesh)
{
    ModelBuilder m = Lit();
    const Paint olive = {0.38f, 0.42f, 0.26f};
    m.Add(Painted(Box(Vec3(1.0f, 0.6f, 0.7f)).Move(-0.45f, 0.3f, -0.3f), olive));
    m.Add(Painted(Box(Vec3(1.0f, 0.6f, 0.7f)).Move(0.4f, 0.3f, 0.35f), olive));
    m.Add(Painted(Box(Vec3(0.9f, 0.5f, 0.6f)).Turn(0.0f, 0.3f, 0.0f).Move(0.0f, 0.85f, 0.0f), olive));
    for (float x : {-0.45f, 0.4f}) m.Add(Painted(Box(Vec3(0.3f, 0.05f, 0.72f)).Move(x, 0.61f, x < 0.0f ? -0.3f : 0.35f), DIRTY_YELLOW));
    m.Add(Painted(Cylinder(0.15f, 0.7f, 8).Move(0.7f, 0.0f, -0.6f), LAMP));
    m.Build(mesh);
}

void MakeBarrels(IndexedMesh* mesh, float scale)
{
    ModelBuilder m = Lit();
    const float spots[3][2] = {{-0.35f, -0.3f}, {0.4f, -0.2f}, {0.0f, 0.4f}};
    for (int i = 0; i < 3; ++i) {
        m.Add(Painted(Cylinder(0.32f * scale, 0.9f * scale, 10).Move(spots[i][0] * scale, 0.0f, spots[i][1] * scale), LAMP));
        m.Add(Painted(Cylinder(0.33f * scale, 0.08f * scale, 10).Move(spots[i][0] * scale, 0.6f * scale, spots[i][1] * scale), DIRTY_YELLOW));
    }
    m.Build(mesh);
}

void MakeExplosiveBarrels(IndexedMesh* mesh)
{
    MakeBarrels(mesh, 1.0f);
}

void MakeExplosiveBarrelsBig(IndexedMesh* mesh)
{
    MakeBarrels(mesh, 1.4f);
}

// ---- The creatures'

void MakeCreatureNest(IndexedMesh* mesh)
{
    ModelBuilder m = Lit();
    Pile(m, 3.0f, 1.6f, 9, FLESH, BONE);
    for (int i = 0; i < 5; ++i) {
        float angle = 1.3f * i;
        m.Add(Painted(Sphere(0.35f, 4, 7).Move(std::sin(angle) * 1.6f, 1.2f + 0.2f * (i % 2), std::cos(angle) * 1.6f), BONE));
        m.Add(Painted(Cone(0.18f, 1.4f, 5).Turn(0.3f * std::sin(angle), 0.0f, 0.3f * std::cos(angle)).Move(std::sin(angle + 0.6f) * 2.4f, 0.3f, std::cos(angle + 0.6f) * 2.4f), BONE));
    }
    m.Build(mesh);
}

void MakeSpawnStump(IndexedMesh* mesh)
{
    ModelBuilder m = Lit();
    m.Add(Painted(Tube(1.8f, 1.5f, 2.0f, 12), BARK));
    m.Add(Painted(Cylinder(1.3f, 0.05f, 12).Move(0.0f, 2.0f, 0.0f), HOLE));
    for (int i = 0; i < 6; ++i) {
        float angle = PI / 3.0f * i + 0.3f;
        m.Add(Painted(Limb(Vec3(std::sin(angle) * 1.4f, 0.8f, std::cos(angle) * 1.4f), Vec3(std::sin(angle) * 3.2f, 0.13f, std::cos(angle) * 3.2f), 0.35f, 0.12f, 6), BARK));
    }
    m.Add(Painted(Dome(0.8f, 3, 8).Move(1.0f, 0.0f, 1.6f), MOSS));
    m.Build(mesh);
}

void MakeCreatureCave(IndexedMesh* mesh)
{
    ModelBuilder m = Lit();
    Pile(m, 2.8f, 2.2f, 10, ROCK, ROCK);
    std::vector<Vec2> mouth = {{-1.0f, 0.0f}, {1.0f, 0.0f}, {0.8f, 1.0f}, {0.0f, 1.5f}, {-0.8f, 1.0f}};
    m.Add(Painted(Extrusion(mouth, 0.1f).Move(0.0f, 0.0f, 2.3f), HOLE));
    m.Build(mesh);
}

void MakeSpawnHoles(IndexedMesh* mesh)
{
    ModelBuilder m = Lit();
    const float spots[3][2] = {{-1.5f, -1.0f}, {1.4f, -0.6f}, {0.0f, 1.6f}};
    for (const auto& spot : spots) {
        Matrix squash;
        MatrixScaling(&squash, 1.0f, 0.4f, 1.0f);
        m.Add(Painted(Dome(1.3f, 3, 10).Transform(squash).Move(spot[0], 0.0f, spot[1]), BARK));
        m.Add(Painted(Cylinder(0.55f, 0.05f, 10).Move(spot[0], 0.5f, spot[1]), HOLE));
    }
    m.Build(mesh);
}

void MakeSpawnNest(IndexedMesh* mesh)
{
    ModelBuilder m = Lit();
    Pile(m, 2.3f, 0.5f, 6, BARK, MOSS);
    m.Add(Painted(Limb(Vec3(-2.0f, 0.25f, -1.0f), Vec3(0.0f, 4.0f, 0.0f), 0.25f, 0.12f), BARK));
    m.Add(Painted(Limb(Vec3(2.2f, 0.25f, -0.6f), Vec3(0.0f, 4.0f, 0.0f), 0.25f, 0.12f), BARK));
    for (int i = 0; i < 4; ++i)
        m.Add(Painted(Sphere(1.1f - 0.15f * i, 5, 10).Move(0.0f, 3.0f - 0.55f * i, 0.0f), i % 2 ? OCHRE : DIRTY_YELLOW));
    m.Add(Painted(Cylinder(0.3f, 0.1f, 8).Move(0.0f, 0.95f, 0.0f), HOLE));
    m.Build(mesh);
}

void MakeSpawnMantis(IndexedMesh* mesh)
{
    ModelBuilder m = Lit();
    Pile(m, 2.4f, 0.6f, 6, MOSS, BARK);
    for (int i = 0; i < 4; ++i) {
        float angle = 1.6f * i, r = 1.0f + 0.5f * (i % 2);
        Vec3 foot(std::sin(angle) * r, 0.0f, std::cos(angle) * r);
        m.Add(Painted(Limb(foot, foot + Vec3(0.0f, 1.6f, 0.0f), 0.08f, 0.06f, 5), MOSS));
        Matrix stretch;
        MatrixScaling(&stretch, 0.6f, 1.0f, 0.6f);
        m.Add(Painted(Sphere(0.6f, 4, 8).Transform(stretch).Move(foot.x, 2.2f, foot.z), GREEN));
    }
    m.Build(mesh);
}

void MakeSpawnSpider(IndexedMesh* mesh)
{
    ModelBuilder m = Lit();
    Pile(m, 2.6f, 1.4f, 7, ROCK, ROCK);
    for (int i = 0; i < 8; ++i) {
        float angle = PI * 0.25f * i;
        m.Add(Painted(Limb(Vec3(0.0f, 2.2f, 0.0f), Vec3(std::sin(angle) * 3.3f, 0.05f, std::cos(angle) * 3.3f), 0.03f, 0.02f, 4), BONE));
    }
    for (int ring = 1; ring <= 3; ++ring)
        for (int i = 0; i < 8; ++i) {
            float a0 = PI * 0.25f * i, a1 = a0 + PI * 0.25f, r = 0.9f * ring, y = 2.2f - 0.62f * ring;
            m.Add(Painted(Limb(Vec3(std::sin(a0) * r, y, std::cos(a0) * r), Vec3(std::sin(a1) * r, y, std::cos(a1) * r), 0.015f, 0.015f, 3), BONE));
        }
    m.Build(mesh);
}

void MakeSpawnBio(IndexedMesh* mesh)
{
    ModelBuilder m = Lit();
    const Paint glowGreen = {0.4f, 1.0f, 0.5f}, skin = {0.25f, 0.35f, 0.3f};
    Pile(m, 2.6f, 1.0f, 6, skin, skin);
    Matrix stretch;
    MatrixScaling(&stretch, 1.0f, 1.5f, 1.0f);
    m.Add(Painted(Sphere(1.2f, 5, 10).Transform(stretch).Move(0.0f, 1.85f, 0.0f), glowGreen));
    for (int i = 0; i < 5; ++i) {
        float angle = 1.25f * i;
        m.Add(Painted(Limb(Vec3(std::sin(angle) * 2.4f, 0.2f, std::cos(angle) * 2.4f), Vec3(std::sin(angle) * 0.9f, 2.4f, std::cos(angle) * 0.9f), 0.2f, 0.06f, 5), skin));
    }
    m.Build(mesh);
}

void MakeSpawnFlying(IndexedMesh* mesh)
{
    ModelBuilder m = Lit();
    const Paint basalt = {0.18f, 0.16f, 0.16f}, embers = {1.0f, 0.45f, 0.1f};
    Pile(m, 2.6f, 1.2f, 6, basalt, basalt);
    m.Add(Painted(Tube(1.4f, 0.3f, 5.0f, 7), basalt));
    for (int i = 0; i < 4; ++i)
        m.Add(Painted(Box(Vec3(0.12f, 1.4f, 0.05f)).Turn(0.0f, 1.57f * i, 0.2f).Move(std::sin(1.57f * i) * 1.1f, 1.4f + 0.6f * i, std::cos(1.57f * i) * 1.1f), embers));
    m.Add(Painted(Cylinder(0.35f, 0.05f, 7).Move(0.0f, 5.0f, 0.0f), embers));
    m.Build(mesh);
}

// ---- Parts: heads, rotors, dishes and the like, drawn over the building and turned by it

void TurretHead(IndexedMesh* mesh, WeaponLook look, const Paint& body, const Paint& trim)
{
    ModelBuilder m = Lit();
    m.Add(Painted(Box(Vec3(1.0f, 0.6f, 1.0f)).Move(0.0f, 0.3f, 0.0f), body));
    m.Add(Painted(Box(Vec3(0.7f, 0.06f, 0.04f)).Move(0.0f, 0.45f, 0.52f), CYAN));
    m.Add(Painted(Box(Vec3(0.3f, 0.3f, 0.3f)).Move(0.0f, 0.35f, 0.5f), trim));
    AddWeaponLook(m, -1, look, trim, DARK, CYAN, 1.8f, Vec3(0.0f, 0.35f, 0.6f));
    m.Build(mesh);
}

void MakeLaserHead(IndexedMesh* mesh) { TurretHead(mesh, LOOK_LASER, PANEL, ORANGE); }
void MakeGunHead(IndexedMesh* mesh) { TurretHead(mesh, LOOK_MACHINEGUN, PANEL, STEEL); }
void MakeMissileHead(IndexedMesh* mesh) { TurretHead(mesh, LOOK_MISSILES, STEEL, ORANGE); }
void MakeMortarHead(IndexedMesh* mesh) { TurretHead(mesh, LOOK_MORTAR, STEEL, PANEL); }
void MakePlasmaHead(IndexedMesh* mesh) { TurretHead(mesh, LOOK_PLASMA, PANEL, VIOLET); }
void MakeScavHead(IndexedMesh* mesh) { TurretHead(mesh, LOOK_MACHINEGUN, RUST, DIRTY_YELLOW); }
void MakeAntiAirHead(IndexedMesh* mesh) { TurretHead(mesh, LOOK_MISSILES, SCRAP, LAMP); }

void MakeGeneratorRotor(IndexedMesh* mesh)
{
    ModelBuilder m = Lit();
    m.Add(Painted(Cylinder(0.25f, 0.3f, 8), DARK));
    for (int i = 0; i < 4; ++i)
        m.Add(Painted(Box(Vec3(0.3f, 0.05f, 2.0f)).Move(0.0f, 0.25f, 1.0f).Turn(0.0f, 0.5f * PI * i, 0.0f), PANEL));
    m.Build(mesh);
}

void MakeCoreRing(IndexedMesh* mesh)
{
    ModelBuilder m = Lit();
    m.Add(Painted(Ring(1.25f, 0.1f, 16), ORANGE));
    m.Build(mesh);
}

void MakePumpHead(IndexedMesh* mesh)
{
    ModelBuilder m = Lit();
    m.Add(Painted(Box(Vec3(0.6f, 0.6f, 0.6f)), ORANGE));
    m.Add(Painted(Cylinder(0.12f, 1.6f, 6).Move(0.0f, -1.6f, 0.0f), DARK));
    m.Build(mesh);
}

void MakeRepairArm(IndexedMesh* mesh)
{
    ModelBuilder m = Lit();
    for (int i = 0; i < 2; ++i) {
        float angle = PI * i;
        m.Add(Painted(Limb(Vec3(), Vec3(std::sin(angle) * 1.4f, -0.4f, std::cos(angle) * 1.4f), 0.08f, 0.06f, 5), ORANGE));
        m.Add(Painted(Sphere(0.14f, 3, 6).Move(std::sin(angle) * 1.4f, -0.45f, std::cos(angle) * 1.4f), GREEN));
    }
    m.Add(Painted(Cylinder(0.2f, 0.3f, 8), DARK));
    m.Build(mesh);
}

void MakeUpgraderRing(IndexedMesh* mesh)
{
    ModelBuilder m = Lit();
    m.Add(Painted(Ring(1.4f, 0.12f, 16), CYAN));
    m.Build(mesh);
}

void MakeRecyclerDrum(IndexedMesh* mesh)
{
    ModelBuilder m = Lit();
    m.Add(Painted(Cylinder(0.6f, 3.2f, 10).Turn(0.0f, 0.0f, 0.5f * PI).Move(1.6f, 0.0f, 0.0f), DARK));
    for (int i = 0; i < 6; ++i) m.Add(Painted(Box(Vec3(3.0f, 0.12f, 0.12f)).Move(0.0f, 0.62f, 0.0f).Turn(PI / 3.0f * i, 0.0f, 0.0f), ORANGE));
    m.Build(mesh);
}

void MakeNodeCrystal(IndexedMesh* mesh)
{
    ModelBuilder m = Lit();
    m.Add(Painted(Cone(0.35f, 0.6f, 4), CYAN));
    m.Add(Painted(Cone(0.35f, 0.6f, 4).Turn(PI, 0.0f, 0.0f), CYAN));
    m.Build(mesh);
}

void MakeRadarDish(IndexedMesh* mesh)
{
    ModelBuilder m = Lit();
    m.Add(Painted(Cylinder(0.15f, 0.5f, 6), DARK));
    Matrix flat;
    MatrixScaling(&flat, 1.0f, 0.3f, 1.0f);
    m.Add(Painted(Dome(1.3f, 3, 14).Transform(flat).Turn(1.1f, 0.0f, 0.0f).Move(0.0f, 0.8f, -0.1f), PANEL));
    m.Add(Painted(Limb(Vec3(0.0f, 0.8f, 0.0f), Vec3(0.0f, 1.2f, 0.9f), 0.04f, 0.04f, 4), DARK));
    m.Add(Painted(Sphere(0.1f, 3, 6).Move(0.0f, 1.2f, 0.9f), LAMP));
    m.Build(mesh);
}

void MakeWarpRing(IndexedMesh* mesh)
{
    ModelBuilder m = Lit();
    m.Add(Painted(Ring(1.9f, 0.15f, 20), VIOLET));
    m.Build(mesh);
}

// The scaffold of a building going up, and the rubble of one that fell, by footprint. The site:
// a concrete floor, the building's dark steel frame rising in the middle, a scaffold of orange
// poles and planks round it, pallets of panels and a stack of pipes, and on the larger sites a
// crane over it all. Drawn rising with its progress, from the floor up.
void Scaffold(IndexedMesh* mesh, float side)
{
    ModelBuilder m = Lit();
    Foundation(m, side);
    const float half = side * 0.5f - 0.25f, height = std::fmin(side * 0.6f, 5.0f);
    const float rim = half * 0.62f;  // the frame inside the scaffold
    // The frame: columns at the corners and midpoints, girders round each storey.
    const int storeys = side > 3.0f ? 2 : 1;
    for (int i = 0; i < 8; ++i) {
        float x = (i % 3 - 1) * rim, z = (i / 3 - 1) * rim;
        if (i == 4) x = rim, z = rim;  // the middle gives way to the last corner
        m.Add(Painted(Box(Vec3(0.22f, height * 0.85f, 0.22f)).Move(x, 0.2f + height * 0.425f, z), DARK));
    }
    for (int storey = 1; storey <= storeys; ++storey) {
        float y = 0.2f + height * 0.85f * storey / storeys;
        for (int edge = 0; edge < 4; ++edge) {
            Vec3 size = edge < 2 ? Vec3(rim * 2.0f + 0.22f, 0.18f, 0.18f) : Vec3(0.18f, 0.18f, rim * 2.0f + 0.22f);
            float x = edge < 2 ? 0.0f : (edge == 2 ? -rim : rim), z = edge < 2 ? (edge == 0 ? -rim : rim) : 0.0f;
            m.Add(Painted(Box(size).Move(x, y, z), STEEL));
        }
    }
    // Half the ground floor already clad.
    m.Add(Painted(Box(Vec3(rim * 2.0f, height * 0.35f, 0.08f)).Move(0.0f, 0.2f + height * 0.175f, -rim), PANEL));
    m.Add(Painted(Box(Vec3(0.08f, height * 0.35f, rim * 2.0f)).Move(-rim, 0.2f + height * 0.175f, 0.0f), PANEL));
    // The scaffold: poles at the corners and along the sides, rails and planks at each level,
    // a brace across each side.
    const int poles = side > 3.0f ? 3 : 2;
    for (int i = 0; i < poles; ++i) {
        float t = poles > 1 ? -half + 2.0f * half * i / (poles - 1) : 0.0f;
        for (const Vec3& at : {Vec3(t, 0.0f, -half), Vec3(t, 0.0f, half), Vec3(-half, 0.0f, t), Vec3(half, 0.0f, t)})
            m.Add(Painted(Post(at.x, at.z, height, 0.06f), ORANGE));
    }
    const int levels = side > 3.0f ? 3 : 2;
    for (int level = 1; level <= levels; ++level) {
        float y = 0.2f + height * level / levels;
        for (int i = 0; i < 4; ++i) {
            Vec3 a(i % 2 ? half : -half, y, i < 2 ? -half : half), b = i < 2 ? Vec3(a.x, y, -a.z) : Vec3(-a.x, y, a.z);
            m.Add(Painted(Limb(a, b, 0.04f, 0.04f, 4), ORANGE));
        }
        // Planks along the front and back, a walk for the builders.
        for (float z : {-half + 0.25f, half - 0.25f})
            m.Add(Painted(Box(Vec3(half * 2.0f, 0.06f, 0.45f)).Move(0.0f, y - 0.05f, z), OCHRE));
    }
    for (int i = 0; i < 4; ++i) {
        Vec3 a(i % 2 ? half : -half, 0.2f, i < 2 ? -half : half), b = i < 2 ? Vec3(-a.x, 0.2f + height, a.z) : Vec3(a.x, 0.2f + height, -a.z);
        m.Add(Painted(Limb(a, b, 0.035f, 0.035f, 4), DIRTY_YELLOW));
    }
    // Materials waiting on the floor: a pallet of panels and a stack of pipes.
    if (side > 3.0f) {
        m.Add(Painted(Box(Vec3(1.1f, 0.12f, 0.8f)).Move(rim * 0.45f, 0.28f, rim * 0.35f), BARK));
        m.Add(Painted(Box(Vec3(1.0f, 0.35f, 0.7f)).Move(rim * 0.45f, 0.52f, rim * 0.35f), PANEL));
        for (int i = 0; i < 5; ++i) {
            float x = -rim * 0.5f + 0.2f * (i % 3) + (i >= 3 ? 0.1f : 0.0f), y = 0.32f + (i >= 3 ? 0.17f : 0.0f);
            m.Add(Painted(Cylinder(0.09f, 1.4f, 8).Turn(0.0f, 0.0f, 0.5f * PI).Move(x + 0.7f, y, -rim * 0.3f), STEEL));
        }
    }
    // The crane: a lattice mast in a corner, a jib over the site and its hook hanging down.
    if (side > 5.0f) {
        const float mast = height * 1.6f, cx = half - 0.6f, cz = half - 0.6f;
        m.Add(Painted(Box(Vec3(0.8f, 0.3f, 0.8f)).Move(cx, 0.35f, cz), DARK));
        for (int i = 0; i < 4; ++i)
            m.Add(Painted(Post(cx + (i % 2 ? 0.2f : -0.2f), cz + (i / 2 ? 0.2f : -0.2f), mast, 0.05f), DIRTY_YELLOW));
        for (int i = 1; i <= 6; ++i)
            m.Add(Painted(Box(Vec3(0.46f, 0.05f, 0.46f)).Move(cx, 0.2f + mast * i / 6.0f, cz), DIRTY_YELLOW));
        Vec3 top(cx, 0.2f + mast, cz), tip(-half * 0.6f, 0.2f + mast, -half * 0.6f);
        m.Add(Painted(Limb(top, tip, 0.12f, 0.08f, 4), DIRTY_YELLOW));
        m.Add(Painted(Limb(top, Vec3(cx + 0.6f, top.y, cz + 0.6f), 0.12f, 0.12f, 4), DIRTY_YELLOW));
        m.Add(Painted(Box(Vec3(0.5f, 0.4f, 0.5f)).Move(cx + 0.6f, top.y - 0.2f, cz + 0.6f), CONCRETE));
        Vec3 hook(tip.x * 0.7f, top.y - mast * 0.45f, tip.z * 0.7f);
        m.Add(Painted(Limb(Vec3(hook.x, top.y, hook.z), hook, 0.02f, 0.02f, 3), DARK));
        m.Add(Painted(Box(Vec3(0.9f, 0.25f, 0.25f)).Move(hook.x, hook.y - 0.15f, hook.z), STEEL));
    }
    m.Build(mesh);
}

void Rubble(IndexedMesh* mesh, float side)
{
    ModelBuilder m = Lit();
    m.Add(Painted(Box(Vec3(side, 0.15f, side)).Move(0.0f, 0.075f, 0.0f), DARK));
    Pile(m, side * 0.45f, side * 0.12f, 8, SCRAP, ROCK);
    m.Build(mesh);
}

void MakeScaffold1(IndexedMesh* mesh) { Scaffold(mesh, 2.2f); }
void MakeScaffold3(IndexedMesh* mesh) { Scaffold(mesh, 6.6f); }
void MakeScaffold5(IndexedMesh* mesh) { Scaffold(mesh, 11.4f); }
void MakeRubble1(IndexedMesh* mesh) { Rubble(mesh, 2.2f); }
void MakeRubble3(IndexedMesh* mesh) { Rubble(mesh, 6.6f); }
void MakeRubble5(IndexedMesh* mesh) { Rubble(mesh, 11.4f); }

}  // namespace

const std::vector<BuildingRecipe>& BuildingCatalogue()
{
    static const std::vector<BuildingRecipe> recipes = {
        {"power_generator.txt", 3, MakePowerGenerator},
        {"power_core.txt", 3, MakePowerCore},
        {"refinery.txt", 3, MakeRefinery},
        {"bot_factory.txt", 3, MakeBotFactory},
        {"heavy_factory.txt", 5, MakeHeavyFactory},
        {"fuel_pump.txt", 3, MakeFuelPump},
        {"control_tower.txt", 1, MakeControlTower},
        {"turret_base.txt", 1, MakeTurretBase},
        {"repair_station.txt", 3, MakeRepairStation},
        {"bot_upgrader.txt", 3, MakeBotUpgrader},
        {"recycler.txt", 3, MakeRecycler},
        {"research_lab.txt", 3, MakeResearchLab},
        {"build_node.txt", 1, MakeBuildNode},
        {"radar_station.txt", 3, MakeRadarStation},
        {"warp_platform.txt", 3, MakeWarpPlatform},
        {"ore_silo.txt", 1, MakeOreSilo},
        {"trade_post.txt", 3, MakeTradePost},
        {"dropship.txt", 5, MakeDropship},
        {"scav_turret_base.txt", 1, MakeScavTurretBase},
        {"scav_camp.txt", 3, MakeScavCamp},
        {"stronghold.txt", 5, MakeStronghold},
        {"weapons_cache.txt", 1, MakeWeaponsCache},
        {"explosive_barrels.txt", 1, MakeExplosiveBarrels},
        {"explosive_barrels_big.txt", 1, MakeExplosiveBarrelsBig},
        {"creature_nest.txt", 3, MakeCreatureNest},
        {"spawn_stump.txt", 3, MakeSpawnStump},
        {"creature_cave.txt", 3, MakeCreatureCave},
        {"spawn_holes.txt", 3, MakeSpawnHoles},
        {"spawn_nest.txt", 3, MakeSpawnNest},
        {"spawn_mantis.txt", 3, MakeSpawnMantis},
        {"spawn_spider.txt", 3, MakeSpawnSpider},
        {"spawn_bio.txt", 3, MakeSpawnBio},
        {"spawn_flying.txt", 3, MakeSpawnFlying},
        {"scaffold_1.txt", 1, MakeScaffold1},
        {"scaffold_3.txt", 3, MakeScaffold3},
        {"scaffold_5.txt", 5, MakeScaffold5},
        {"rubble_1.txt", 1, MakeRubble1},
        {"rubble_3.txt", 3, MakeRubble3},
        {"rubble_5.txt", 5, MakeRubble5},
    };
    return recipes;
}

const std::vector<MeshRecipe>& BuildingPartCatalogue()
{
    static const std::vector<MeshRecipe> recipes = {
        {"turret_laser_head.txt", MakeLaserHead},
        {"turret_gun_head.txt", MakeGunHead},
        {"turret_missile_head.txt", MakeMissileHead},
        {"turret_mortar_head.txt", MakeMortarHead},
        {"turret_plasma_head.txt", MakePlasmaHead},
        {"scav_turret_head.txt", MakeScavHead},
        {"aa_gun_head.txt", MakeAntiAirHead},
        {"generator_rotor.txt", MakeGeneratorRotor},
        {"core_ring.txt", MakeCoreRing},
        {"pump_head.txt", MakePumpHead},
        {"repair_arm.txt", MakeRepairArm},
        {"upgrader_ring.txt", MakeUpgraderRing},
        {"recycler_drum.txt", MakeRecyclerDrum},
        {"node_crystal.txt", MakeNodeCrystal},
        {"radar_dish.txt", MakeRadarDish},
        {"warp_ring.txt", MakeWarpRing},
    };
    return recipes;
}
