// The bodies of the galaxy map: the sphere every star, planet and moon is drawn with (the
// galaxy's effects give it its look), the rings of a gas giant and the bracket round the
// chosen body. All are centred on the origin with a radius of about 1; the map scales them.
#include "content/meshgen/Catalogue.h"
#include "content/meshgen/ModelBuilder.h"

#include <cmath>
#include <cstdint>

namespace {

constexpr float TWO_PI = 6.2831853f;
constexpr const char* PLANET_EFFECT = "data/shaders/comboplanet.fx";
constexpr const char* UNLIT_EFFECT = "data/shaders/sprite.fx";

uint32_t Argb(float r, float g, float b, float a)
{
    auto byte = [](float v) { return (uint32_t)(std::fmin(std::fmax(v, 0.0f), 1.0f) * 255.0f + 0.5f); };
    return byte(a) << 24 | byte(r) << 16 | byte(g) << 8 | byte(b);
}

// A flat band between two radii in the x/y plane facing +z, its colour by how far out a ring
// lies (inner edge first).
MeshPart Band(float inner, float outer, int segments, int rings, uint32_t (*colour)(float across))
{
    MeshPart band;
    const Vec3 facing(0.0f, 0.0f, 1.0f);
    for (int r = 0; r <= rings; ++r) {
        const float t = (float)r / rings, radius = inner + (outer - inner) * t;
        for (int s = 0; s <= segments; ++s) {
            const float a = s * TWO_PI / segments;
            const int i = band.AddVertex(Vec3(std::cos(a) * radius, std::sin(a) * radius, 0.0f), facing,
                                         (float)s / segments, t);
            band.vertices[i].colour = colour(t);
        }
    }
    const int row = segments + 1;
    for (int r = 0; r < rings; ++r)
        for (int s = 0; s < segments; ++s) {
            const int a = r * row + s, b = a + 1, c = a + row, d = c + 1;
            band.AddTriangle(a, b, d, facing);
            band.AddTriangle(a, d, c, facing);
        }
    return band;
}

// Pale bands of ice and dust with dark gaps between them.
uint32_t RingColour(float across)
{
    const float bands = 0.55f + 0.45f * std::sin(across * 23.0f) * std::sin(across * 7.0f + 1.0f);
    const float gap = std::fabs(across - 0.62f) < 0.04f ? 0.15f : 1.0f;
    const float edge = std::fmin(across, 1.0f - across) * 8.0f;
    return Argb(0.85f, 0.78f, 0.62f, std::fmin(edge, 1.0f) * bands * gap * 0.8f);
}

uint32_t BracketColour(float across)
{
    return Argb(0.55f, 1.0f, 0.6f, 1.0f - 0.5f * std::fabs(across * 2.0f - 1.0f));
}

}  // namespace

void MakePlanetSphere(IndexedMesh* mesh)
{
    ModelBuilder model("data/textures/planets/p_forest_1.dds", PLANET_EFFECT);
    model.Add(Sphere(1.0f, 24, 40));
    model.Build(mesh);
}

void MakePlanetRings(IndexedMesh* mesh)
{
    // Tipped towards the viewer, so that the rings show as an ellipse about their world.
    MeshPart rings = Band(1.35f, 2.3f, 64, 12, RingColour);
    rings.Turn(1.15f, 0.0f, 0.0f);
    ModelBuilder model(WHITE_TEXTURE, UNLIT_EFFECT);
    model.Add(rings);
    model.Build(mesh);
}

void MakePlanetSelected(IndexedMesh* mesh)
{
    ModelBuilder model(WHITE_TEXTURE, UNLIT_EFFECT);
    model.Add(Band(1.0f, 1.12f, 48, 2, BracketColour));
    model.Build(mesh);
}
