// The terrain editor's brushes: the rings that show a sculpt brush on the ground (2, 4, 8 and 16
// cells across) and two of the flat splats it lays, draped over the ground when laid.
#include "content/meshgen/Catalogue.h"
#include "content/meshgen/ModelBuilder.h"

#include <cmath>

namespace {

constexpr const char* RING_EFFECT = "data/shaders/ring.fx";
constexpr float CELL = 2.5f;

// A flat band between two radii just above y = 0, with enough sides to follow the ground.
MeshPart Band(float inner, float outer, int sides)
{
    MeshPart ring;
    const Vec3 up(0.0f, 1.0f, 0.0f);
    for (int i = 0; i < sides; ++i) {
        float a0 = 6.2831853f * i / sides, a1 = 6.2831853f * (i + 1) / sides;
        Vec3 i0(inner * std::sin(a0), 0.02f, inner * std::cos(a0)), i1(inner * std::sin(a1), 0.02f, inner * std::cos(a1));
        Vec3 o0(outer * std::sin(a0), 0.02f, outer * std::cos(a0)), o1(outer * std::sin(a1), 0.02f, outer * std::cos(a1));
        ring.AddQuad(i0, o0, o1, i1, up);
    }
    return ring;
}

void MakeSculptBrush(IndexedMesh* mesh, int cells)
{
    const float radius = cells * CELL * 0.5f;
    MeshPart brush = Band(radius - 0.25f, radius, 16 + 4 * cells).Colour(1.0f, 0.85f, 0.2f);
    // A small mark at the centre, where the brush takes its height.
    brush.Append(Band(0.0f, 0.3f, 12).Colour(1.0f, 0.85f, 0.2f));
    ModelBuilder model(WHITE_TEXTURE, RING_EFFECT, FLAT_NORMAL_MAP);
    model.Add(brush);
    model.Build(mesh);
}

void MakeEditorSplat(IndexedMesh* mesh, float side, int cells)
{
    ModelBuilder model(WHITE_TEXTURE, MESH_EFFECT);
    model.Add(Grid(side, side, cells).Move(0.0f, 0.02f, 0.0f));
    model.Build(mesh);
}

}  // namespace

void MakeSculptBrush0(IndexedMesh* mesh) { MakeSculptBrush(mesh, 2); }
void MakeSculptBrush1(IndexedMesh* mesh) { MakeSculptBrush(mesh, 4); }
void MakeSculptBrush2(IndexedMesh* mesh) { MakeSculptBrush(mesh, 8); }
void MakeSculptBrush3(IndexedMesh* mesh) { MakeSculptBrush(mesh, 16); }
// Between them and the level's "splat" (2 units) and "splatXLarge" (10 units) the editor has
// four growing splat brushes.
void MakeSplatSmall(IndexedMesh* mesh) { MakeEditorSplat(mesh, 1.25f, 2); }
void MakeSplatLarge(IndexedMesh* mesh) { MakeEditorSplat(mesh, 5.0f, 6); }
