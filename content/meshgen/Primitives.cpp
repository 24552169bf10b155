// Meshes the game's scene primitives and its sky are made of: the sky dome, the ore hopper a
// miner carries in its three fill states, and the ground splat.
#include "content/meshgen/Catalogue.h"
#include "content/meshgen/ModelBuilder.h"

#include <algorithm>
#include <cmath>

namespace {

const float ORE[3] = {0.78f, 0.55f, 0.18f};
const float ORE_DARK[3] = {0.55f, 0.36f, 0.1f};

// Sky colours by height on the dome: ground haze below the horizon, pale at the horizon, deep
// blue overhead.
void SkyColour(float height, float out[3])
{
    const float below[3] = {0.52f, 0.56f, 0.6f};
    const float horizon[3] = {0.78f, 0.86f, 0.94f};
    const float zenith[3] = {0.22f, 0.42f, 0.78f};
    if (height <= 0.0f) {
        float t = std::min(1.0f, -height * 4.0f);
        for (int i = 0; i < 3; ++i) out[i] = horizon[i] + (below[i] - horizon[i]) * t;
    } else {
        float t = std::pow(height, 0.6f);
        for (int i = 0; i < 3; ++i) out[i] = horizon[i] + (zenith[i] - horizon[i]) * t;
    }
}

// The open bin of the hopper, its floor at y = 0, centred on the attachment point.
MeshPart HopperBin()
{
    const float width = 0.6f, depth = 0.5f, height = 0.3f, wall = 0.04f;
    MeshPart bin = Box(Vec3(width, wall, depth)).Move(0.0f, wall * 0.5f, 0.0f);
    for (float side : {-1.0f, 1.0f}) {
        bin.Append(Box(Vec3(width, height, wall)).Move(0.0f, height * 0.5f, side * (depth - wall) * 0.5f));
        bin.Append(Box(Vec3(wall, height, depth - 2.0f * wall)).Move(side * (width - wall) * 0.5f, height * 0.5f, 0.0f));
    }
    bin.Colour(0.48f, 0.5f, 0.5f);
    MeshPart rim = Box(Vec3(width + 0.02f, 0.04f, 0.05f)).Move(0.0f, height, (depth - wall) * 0.5f);
    rim.Append(Box(Vec3(width + 0.02f, 0.04f, 0.05f)).Move(0.0f, height, -(depth - wall) * 0.5f));
    rim.Colour(0.85f, 0.7f, 0.15f);
    return bin.Append(rim);
}

// A few lumps of ore on a surface at height top.
MeshPart Nuggets(float top)
{
    MeshPart lumps;
    const float spots[4][3] = {{-0.15f, 0.0f, 0.08f}, {0.12f, 0.0f, -0.1f}, {0.05f, 0.0f, 0.12f}, {-0.08f, 0.0f, -0.12f}};
    for (int i = 0; i < 4; ++i) {
        MeshPart lump = Sphere(0.05f + 0.01f * i, 4, 6).Move(spots[i][0], top + 0.01f, spots[i][2]);
        const float* colour = (i % 2) ? ORE_DARK : ORE;
        lumps.Append(lump.Colour(colour[0], colour[1], colour[2]));
    }
    return lumps;
}

void MakeHopper(IndexedMesh* mesh, int fill)
{
    ModelBuilder model(WHITE_TEXTURE, LIT_MESH_EFFECT, FLAT_NORMAL_MAP);
    model.Add(HopperBin());
    if (fill == 1) {
        model.Add(Box(Vec3(0.52f, 0.12f, 0.42f)).Move(0.0f, 0.1f, 0.0f).Colour(ORE_DARK[0], ORE_DARK[1], ORE_DARK[2]));
        model.Add(Nuggets(0.16f));
    } else if (fill == 2) {
        model.Add(Box(Vec3(0.52f, 0.26f, 0.42f)).Move(0.0f, 0.17f, 0.0f).Colour(ORE_DARK[0], ORE_DARK[1], ORE_DARK[2]));
        Matrix heap;
        MatrixScaling(&heap, 1.0f, 0.55f, 0.8f);
        model.Add(Dome(0.27f, 4, 12).Transform(heap).Move(0.0f, 0.3f, 0.0f).Colour(ORE[0], ORE[1], ORE[2]));
        model.Add(Nuggets(0.36f));
    }
    model.Build(mesh);
}

}  // namespace

void MakeSkybox(IndexedMesh* mesh)
{
    // Drawn scaled by 10 around the eye: a radius of 30 stays inside the far plane.
    const float radius = 30.0f;
    MeshPart sky = Sphere(radius, 12, 24);
    for (MeshVertex& vertex : sky.vertices) {
        float colour[3];
        SkyColour(vertex.position.y / radius, colour);
        vertex.colour = PackColour(colour[0], colour[1], colour[2]);
        vertex.u *= 4.0f;
    }
    sky.Invert();
    ModelBuilder model(WHITE_TEXTURE, MESH_EFFECT);
    model.Add(sky);
    model.Build(mesh);
}

void MakeHopperEmpty(IndexedMesh* mesh)
{
    MakeHopper(mesh, 0);
}

void MakeHopperHalf(IndexedMesh* mesh)
{
    MakeHopper(mesh, 1);
}

void MakeHopperFull(IndexedMesh* mesh)
{
    MakeHopper(mesh, 2);
}

void MakeSplat(IndexedMesh* mesh)
{
    // A flat decal laid on the ground; fine enough to follow the ground when draped over it.
    ModelBuilder model(WHITE_TEXTURE, MESH_EFFECT);
    model.Add(Grid(2.0f, 2.0f, 4).Move(0.0f, 0.02f, 0.0f));
    model.Build(mesh);
}
