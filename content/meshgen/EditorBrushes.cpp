// The terrain editor's brushes: the rings that show a sculpt brush on the ground (2, 4, 8 and 16
// cells across) and two of the flat splats it lays, draped over the ground when laid.
#include "content/meshgen/Catalogue.h"
#include "content/meshgen/ModelBuilder.h"

#include <cmath>

namespace {

constexpr const char* RING_EFFECT = "data/shaders/ring.fx";
constexpr float CELL = 2.5f;

void MakeSculptBrush(IndexedMesh* mesh, int cells)
{
    const float radius = cells * CELL * 0.5f;
    MeshPart brush = Annulus(radius - 0.25f, radius, 16 + 4 * cells).Colour(1.0f, 0.85f, 0.2f);
    // A small mark at the centre, where the brush takes its height.
    brush.Append(Annulus(0.0f, 0.3f, 12).Colour(1.0f, 0.85f, 0.2f));
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
