// The overlay meshes of play: rings under selected units and on an order's target, the tiles
// of the placement footprint, the path and the map grid, the move-queue flag and a plain cube.
// They draw with the unlit ring effect: their colour is their vertex colour.
#include "content/meshgen/Catalogue.h"
#include "content/meshgen/ModelBuilder.h"

#include <cmath>

namespace {

constexpr const char* RING_EFFECT = "data/shaders/ring.fx";
// Map grid cells are this wide: the placement tiles cover one cell each.
constexpr float CELL = 2.5f;

// A square frame of the given half side and bar width.
MeshPart SquareFrame(float half, float bar)
{
    MeshPart frame;
    for (float side : {-1.0f, 1.0f}) {
        frame.Append(Box(Vec3(half * 2.0f, 0.02f, bar)).Move(0.0f, 0.02f, side * (half - bar * 0.5f)));
        frame.Append(Box(Vec3(bar, 0.02f, half * 2.0f - 2.0f * bar)).Move(side * (half - bar * 0.5f), 0.02f, 0.0f));
    }
    return frame;
}

// A tile from the corner it is placed at to (size, size) on the ground, fine enough to be laid
// over it. Mesh files are mirrored in x on their way into the world, so the file runs to -size.
MeshPart Tile(float size, int cells)
{
    return Grid(size, size, cells).Move(-size * 0.5f, 0.0f, size * 0.5f);
}

void Build(IndexedMesh* mesh, MeshPart part)
{
    ModelBuilder model(WHITE_TEXTURE, RING_EFFECT, FLAT_NORMAL_MAP);
    model.Add(part);
    model.Build(mesh);
}

}  // namespace

void MakeOverlayRed(IndexedMesh* mesh)
{
    Build(mesh, Tile(CELL, 4).Colour(0.9f, 0.15f, 0.1f));
}
void MakeOverlayGreen(IndexedMesh* mesh)
{
    Build(mesh, Tile(CELL, 4).Colour(0.15f, 0.9f, 0.2f));
}
void MakeOverlayBlue(IndexedMesh* mesh)
{
    Build(mesh, Tile(CELL, 4).Colour(0.15f, 0.35f, 0.95f));
}
void MakeOverlayYellow(IndexedMesh* mesh)
{
    Build(mesh, Tile(1.0f, 1).Colour(0.95f, 0.9f, 0.15f));
}
void MakeOverlayRedTile(IndexedMesh* mesh)
{
    Build(mesh, Tile(1.0f, 2).Colour(0.9f, 0.15f, 0.1f));
}
void MakeOverlayGreenTile(IndexedMesh* mesh)
{
    Build(mesh, Tile(1.0f, 2).Colour(0.15f, 0.9f, 0.2f));
}
void MakeOverlayBlueTile(IndexedMesh* mesh)
{
    Build(mesh, Tile(1.0f, 2).Colour(0.15f, 0.35f, 0.95f));
}
void MakeSelectionRing(IndexedMesh* mesh)
{
    // Radius 1: the drawing scales it to the unit's size.
    Build(mesh, Annulus(0.85f, 1.0f, 32).Colour(1.0f, 1.0f, 1.0f));
}
void MakeSelectionSquare(IndexedMesh* mesh)
{
    Build(mesh, SquareFrame(1.0f, 0.12f).Colour(1.0f, 1.0f, 1.0f));
}
void MakeAttackCircle(IndexedMesh* mesh)
{
    Build(mesh, Annulus(0.7f, 1.0f, 32).Colour(1.0f, 1.0f, 1.0f));
}
void MakeOverlayCube(IndexedMesh* mesh)
{
    Build(mesh, Box(Vec3(1.0f, 1.0f, 1.0f)).Move(0.0f, 0.5f, 0.0f).Colour(0.8f, 0.8f, 0.8f));
}
