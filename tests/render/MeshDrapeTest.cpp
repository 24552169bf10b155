// A flat mesh draped over the ground: each vertex takes the height the game reports under it,
// the game's height option reaches the terrain unchanged, and with no ground at all (the null
// seam) the mesh keeps the heights it had.
#include "content/meshgen/Catalogue.h"
#include "render/IndexedMesh.h"
#include "tests/support/ScopedGameSeam.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Ground that rises one unit for every ten along x and remembers the option it was asked with.
class SlopedGround : public NullGameSeam {
public:
    bool GetTerrainHeight(float x, float, int option, float* height) override
    {
        options.push_back(option);
        *height = 2.0f + 0.1f * x;
        return true;
    }
    std::vector<int> options;
};

std::vector<float> Heights(const IndexedMesh& mesh)
{
    std::vector<float> heights;
    for (const MeshGpuVertex& vertex : mesh.subMeshes[0].vertices) heights.push_back(vertex.position[1]);
    return heights;
}

TEST(MeshDrape, VerticesTakeTheGroundUnderThemAndKeepTheirHeightsWithoutGround)
{
    IndexedMesh mesh;
    MakeHopperEmpty(&mesh);
    ASSERT_TRUE(mesh.BuildBuffers(nullptr, false));
    ASSERT_FALSE(mesh.subMeshes[0].vertices.empty());
    const Vec3 at(10.0f, 0.0f, 5.0f);

    {
        ScopedGameSeam noGame;
        std::vector<float> before = Heights(mesh);
        mesh.ConformToTerrain(0, at, false, 0);
        EXPECT_EQ(Heights(mesh), before) << "no ground: nothing moves";
    }

    SlopedGround ground;
    ScopedGameSeam seam(&ground);
    mesh.ConformToTerrain(0, at, false, 1);
    for (const MeshGpuVertex& vertex : mesh.subMeshes[0].vertices)
        EXPECT_FLOAT_EQ(vertex.position[1], 2.0f + 0.1f * (at.x + vertex.position[0]));
    ASSERT_FALSE(ground.options.empty());
    for (int option : ground.options) EXPECT_EQ(option, 1);
}

}  // namespace
