// The galaxy of the start screen: a disc of stars winding out from a bright core in two arms,
// each star a small flat quad in its own colour, drawn flat over a white texture. The disc
// lies about the point the model viewer looks at, one unit above the origin.
#include "content/meshgen/Catalogue.h"
#include "content/meshgen/ModelBuilder.h"

#include <cmath>
#include <cstdint>

namespace {

// The same stars at every build.
struct StarDice {
    uint32_t state = 2463534242u;
    float Next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return (float)(state >> 8) / 16777216.0f;
    }
};

void AddStar(MeshPart& disc, float x, float y, float z, float size, float r, float g, float b)
{
    const Vec3 up(0.0f, 1.0f, 0.0f);
    const size_t first = disc.vertices.size();
    disc.AddQuad(Vec3(x - size, y, z - size), Vec3(x + size, y, z - size), Vec3(x + size, y, z + size),
                 Vec3(x - size, y, z + size), up);
    for (size_t i = first; i < disc.vertices.size(); ++i) disc.vertices[i].colour = PackColour(r, g, b);
}

}  // namespace

void MakeGalaxy(IndexedMesh* mesh)
{
    constexpr float RADIUS = 4.5f, HEIGHT = 1.0f, TWO_PI = 6.2831853f;
    StarDice dice;
    MeshPart disc;
    // The core: a dense, warm bulge, a little thicker than the disc.
    for (int i = 0; i < 420; ++i) {
        const float a = dice.Next() * TWO_PI, d = RADIUS * 0.28f * dice.Next() * dice.Next();
        const float lift = (dice.Next() - 0.5f) * 0.25f * (1.0f - d / (RADIUS * 0.28f));
        const float warm = dice.Next();
        AddStar(disc, d * std::cos(a), HEIGHT + lift, d * std::sin(a), 0.035f + 0.03f * dice.Next(), 1.0f,
                0.85f + 0.12f * warm, 0.55f + 0.3f * warm);
    }
    // Two arms winding out a turn and a quarter, stars scattered about them, bluer further out.
    for (int arm = 0; arm < 2; ++arm) {
        for (int i = 0; i < 700; ++i) {
            const float t = dice.Next();
            const float d = RADIUS * (0.12f + 0.88f * t);
            const float spread = (dice.Next() - 0.5f) * (0.25f + 0.55f * t);
            const float a = arm * 3.1415927f + t * TWO_PI * 1.25f + spread;
            const float lift = (dice.Next() - 0.5f) * 0.06f;
            const float shade = 0.55f + 0.45f * dice.Next();
            const float blue = t;
            float r = shade * (1.0f - 0.35f * blue), g = shade * (0.9f - 0.1f * blue), b = shade;
            // Here and there a pink cloud where stars are born.
            if (dice.Next() > 0.96f) {
                r = 0.95f;
                g = 0.45f;
                b = 0.75f;
            }
            AddStar(disc, d * std::cos(a), HEIGHT + lift, d * std::sin(a), 0.025f + 0.035f * dice.Next() * (1.0f - t),
                    r, g, b);
        }
    }
    // A thin haze of faint stars over the whole disc.
    for (int i = 0; i < 360; ++i) {
        const float a = dice.Next() * TWO_PI, d = RADIUS * std::sqrt(dice.Next());
        const float dim = 0.3f + 0.25f * dice.Next();
        AddStar(disc, d * std::cos(a), HEIGHT + (dice.Next() - 0.5f) * 0.08f, d * std::sin(a), 0.02f, dim * 0.8f,
                dim * 0.85f, dim);
    }
    ModelBuilder model(WHITE_TEXTURE, MESH_EFFECT);
    model.Add(disc);
    model.Build(mesh);
}
