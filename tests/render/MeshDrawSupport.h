#pragma once
// Shared by the mesh drawing tests: the graphics device with the shipped textures and shaders,
// the generated meshes and animations in packages of the test's own, the mesh, animation and
// effect managers in place, a camera, and pictures read back from the back buffer or a target.
#include "host/Maths.h"
#include "render/AnimLibrary.h"
#include "render/EffectManager.h"
#include "render/MeshLibrary.h"
#include "tests/render/RenderTestSupport.h"
#include "tests/support/GfxFixture.h"

#include <functional>
#include <memory>
#include <vector>

class IndexedMesh;

// What the screen is cleared to; no mesh of the game comes out this colour.
constexpr uint32_t kBackground = 0xFFFF00FFu;

// Meshes drawn over kBackground, read back opaque.
struct MeshPicture : Pixels {
    bool Covered(int x, int y) const { return (At(x, y) & 0xFFFFFF) != (kBackground & 0xFFFFFF); }
    int CoveredCount() const;
    // Pixels covered in one picture and not the other, within rows y0..y1.
    int Difference(const MeshPicture& other, int y0, int y1) const;
};

class MeshDrawTest : public RenderTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // View from eye to target with the 45-degree projection of the picture's shape; the world
    // goes back to identity. Both the game's matrices and the device's transforms.
    void LookAt(const Vec3& eye, const Vec3& target, float aspect);
    void SetWorld(const Matrix& world);
    // Clears to kBackground, runs draw and reads the back buffer back.
    MeshPicture DrawOnBackBuffer(const std::function<void()>& draw);
    // The same on a render target of the given size (made and freed here).
    MeshPicture DrawOnTarget(int width, int height, const std::function<void()>& draw);
    // Pixel centres (the device's convention) that the mesh's file triangles cover, with the
    // mirroring the game applies on the way to the screen, seen through the current matrices.
    std::vector<bool> ExpectedCoverage(const IndexedMesh& mesh, int width, int height) const;
    // Where a mesh-space point (already mirrored) lands in pixels.
    Vec3 Project(const Vec3& point, int width, int height) const;

    std::unique_ptr<EffectManager> effects;
    std::unique_ptr<MeshLibrary> meshes;
    std::unique_ptr<AnimLibrary> animations;

private:
    bool savedShadows_ = false;
};
