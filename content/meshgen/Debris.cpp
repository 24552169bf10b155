// The pieces things break into when they are destroyed (a few of each material, thrown and
// tumbling for two seconds), and the flag that marks a move order's target.
#include "content/meshgen/Catalogue.h"
#include "content/meshgen/ModelBuilder.h"

namespace {

void Build(IndexedMesh* mesh, MeshPart part)
{
    ModelBuilder model(WHITE_TEXTURE, LIT_MESH_EFFECT, FLAT_NORMAL_MAP);
    model.Add(part);
    model.Build(mesh);
}

// A lump: a coarse sphere pressed out of round.
MeshPart Lump(float radius, float sx, float sy, float sz)
{
    Matrix squash;
    MatrixScaling(&squash, sx, sy, sz);
    return Sphere(radius, 4, 6).Transform(squash);
}

}  // namespace

void MakeFlag(IndexedMesh* mesh)
{
    ModelBuilder model(WHITE_TEXTURE, LIT_MESH_EFFECT, FLAT_NORMAL_MAP);
    model.Add(Cylinder(0.35f, 0.08f, 10).Colour(0.3f, 0.32f, 0.34f));
    model.Add(Cylinder(0.04f, 2.4f, 8).Move(0.0f, 0.08f, 0.0f).Colour(0.75f, 0.76f, 0.78f));
    // The cloth, a little wavy: two panels at a slight angle to each other.
    model.Add(Box(Vec3(0.45f, 0.5f, 0.02f)).Turn(0.0f, 0.15f, 0.0f).Move(0.24f, 2.18f, 0.02f).Colour(1.0f, 0.45f, 0.08f));
    model.Add(Box(Vec3(0.4f, 0.5f, 0.02f)).Turn(0.0f, -0.2f, 0.0f).Move(0.66f, 2.18f, 0.03f).Colour(0.95f, 0.38f, 0.06f));
    model.Add(Sphere(0.06f, 4, 8).Move(0.0f, 2.5f, 0.0f).Colour(0.9f, 0.8f, 0.2f));
    model.Build(mesh);
}

void MakeDebrisMetal0(IndexedMesh* mesh)
{
    // A bent plate.
    MeshPart plate = Box(Vec3(0.5f, 0.04f, 0.3f)).Colour(0.45f, 0.47f, 0.5f);
    plate.Append(Box(Vec3(0.25f, 0.04f, 0.3f)).Turn(0.0f, 0.0f, 0.7f).Move(0.33f, 0.08f, 0.0f).Colour(0.4f, 0.42f, 0.45f));
    Build(mesh, plate);
}

void MakeDebrisMetal1(IndexedMesh* mesh)
{
    // A wheel hub with its stub of axle.
    MeshPart hub = Cylinder(0.18f, 0.08f, 10).Colour(0.3f, 0.31f, 0.33f);
    hub.Append(Cylinder(0.04f, 0.3f, 6).Move(0.0f, 0.08f, 0.0f).Colour(0.6f, 0.6f, 0.62f));
    Build(mesh, hub);
}

void MakeDebrisMetal2(IndexedMesh* mesh)
{
    // A snapped strut.
    Build(mesh, Box(Vec3(0.08f, 0.08f, 0.55f)).Turn(0.3f, 0.0f, 0.2f).Colour(0.55f, 0.5f, 0.3f));
}

void MakeDebrisBio0(IndexedMesh* mesh)
{
    Build(mesh, Lump(0.2f, 1.2f, 0.7f, 1.0f).Colour(0.5f, 0.08f, 0.06f));
}

void MakeDebrisBio1(IndexedMesh* mesh)
{
    MeshPart chunk = Lump(0.15f, 1.0f, 0.8f, 1.4f).Colour(0.42f, 0.1f, 0.12f);
    chunk.Append(Lump(0.08f, 1.0f, 1.0f, 1.0f).Move(0.12f, 0.05f, 0.1f).Colour(0.62f, 0.52f, 0.4f));
    Build(mesh, chunk);
}

void MakeDebrisBio2(IndexedMesh* mesh)
{
    // A claw or a shard of carapace.
    Build(mesh, Cone(0.08f, 0.35f, 6).Turn(1.2f, 0.0f, 0.3f).Colour(0.3f, 0.33f, 0.15f));
}

void MakeDebrisRock0(IndexedMesh* mesh)
{
    Build(mesh, Lump(0.22f, 1.3f, 0.8f, 1.0f).Colour(0.5f, 0.46f, 0.4f));
}

void MakeDebrisRock1(IndexedMesh* mesh)
{
    Build(mesh, Box(Vec3(0.3f, 0.2f, 0.25f)).Turn(0.4f, 0.6f, 0.2f).Colour(0.42f, 0.4f, 0.38f));
}

void MakeDebrisRock2(IndexedMesh* mesh)
{
    Build(mesh, Lump(0.14f, 0.9f, 1.2f, 0.8f).Colour(0.58f, 0.52f, 0.44f));
}

void MakeDebrisPlant0(IndexedMesh* mesh)
{
    // A leaf.
    std::vector<Vec2> outline = {Vec2(0.0f, 0.0f), Vec2(0.12f, 0.15f), Vec2(0.0f, 0.45f), Vec2(-0.12f, 0.15f)};
    Build(mesh, Extrusion(outline, 0.02f).Turn(1.4f, 0.0f, 0.0f).Colour(0.25f, 0.55f, 0.18f));
}

void MakeDebrisPlant1(IndexedMesh* mesh)
{
    // A broken stalk.
    Build(mesh, Cylinder(0.03f, 0.4f, 6).Turn(0.0f, 0.0f, 1.3f).Colour(0.35f, 0.45f, 0.15f));
}

void MakeDebrisWood0(IndexedMesh* mesh)
{
    // A plank.
    Build(mesh, Box(Vec3(0.55f, 0.05f, 0.14f)).Colour(0.55f, 0.38f, 0.2f));
}

void MakeDebrisWood1(IndexedMesh* mesh)
{
    // A splinter.
    Build(mesh, Cone(0.05f, 0.4f, 5).Turn(0.0f, 0.0f, 1.5f).Colour(0.62f, 0.45f, 0.25f));
}
