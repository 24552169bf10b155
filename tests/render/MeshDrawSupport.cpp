#include "tests/render/MeshDrawSupport.h"

#include "host/GfxDevice.h"
#include "platform/ConfigFile.h"
#include "render/AnimLibrary.h"
#include "render/Camera.h"
#include "render/EffectManager.h"
#include "render/GraphicsDevice.h"
#include "render/IndexedMesh.h"
#include "render/MeshFormat.h"
#include "render/MeshLibrary.h"
#include "render/RenderStateCache.h"
#include "render/TextureManager.h"

#include <algorithm>
#include <cmath>

namespace {

GfxBaseTexture* NamedTexture(const char* name)
{
    return Textures ? Textures->GetTexture(name)->texture : nullptr;
}

void ReleaseEffects(void*)
{
    if (TheEffectManager) TheEffectManager->ReleaseAll();
}

void RestoreEffects(void*)
{
    if (TheEffectManager) TheEffectManager->RestoreAll();
}

// A render target's alpha says nothing about the meshes: pictures are compared and saved opaque.
MeshPicture OpaquePicture(Pixels pixels)
{
    MeshPicture picture;
    static_cast<Pixels&>(picture) = std::move(pixels);
    for (uint32_t& c : picture.argb) c |= 0xFF000000u;
    return picture;
}

// Which side of the edge a to b the point lies on (twice the signed area).
float Edge(float ax, float ay, float bx, float by, float px, float py)
{
    return (bx - ax) * (py - ay) - (by - ay) * (px - ax);
}

}  // namespace

int MeshPicture::CoveredCount() const
{
    int count = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) count += Covered(x, y);
    return count;
}

int MeshPicture::Difference(const MeshPicture& other, int y0, int y1) const
{
    int count = 0;
    for (int y = std::max(0, y0); y <= y1 && y < height; ++y)
        for (int x = 0; x < width; ++x) count += Covered(x, y) != other.Covered(x, y);
    return count;
}

void MeshDrawTest::SetUp()
{
    RenderTest::SetUp();
    if (HasFatalFailure()) return;
    savedShadows_ = Config->shadows;
    Config->shadows = false;

    UseGeneratedMeshPackages();

    effects = std::make_unique<EffectManager>(graphics->device);
    TheEffectManager = effects.get();
    EffectValues = EffectBindingValues();
    EffectValues.getTexture = NamedTexture;
    SetDeviceReleaseStep(RELEASE_EFFECTS, ReleaseEffects);
    SetDeviceRestoreStep(RESTORE_EFFECTS, RestoreEffects);
    animations = std::make_unique<AnimLibrary>();
    TheAnimLibrary = animations.get();
    meshes = std::make_unique<MeshLibrary>();
    TheMeshLibrary = meshes.get();

    MeshRenderPosition = Vec3();
    MeshDrawCount = 0;
    ForgetMeshSceneParameters();
    // The fixed-function colours are compared as painted: no fog over them.
    RenderStates.SetRenderState(RS_FOGENABLE, 0);
}

void MeshDrawTest::TearDown()
{
    meshes.reset();
    animations.reset();
    TheEffectManager = nullptr;
    effects.reset();
    EffectValues = EffectBindingValues();
    ReleaseMeshVertexDeclaration();
    UseShippedMeshPackages();
    if (Config) Config->shadows = savedShadows_;
    RenderTest::TearDown();
}

void MeshDrawTest::LookAt(const Vec3& eye, const Vec3& target, float aspect)
{
    Vec3 up(0.0f, 1.0f, 0.0f);
    MatrixLookAtLH(&ViewMatrix, &eye, &target, &up);
    MatrixPerspectiveFovLH(&ProjectionMatrix, 0.7853982f, aspect, 0.1f, 100.0f);
    if (!MatrixInverse(&InverseViewMatrix, nullptr, &ViewMatrix)) MatrixIdentity(&InverseViewMatrix);
    Graphics->SetTransform(TS_VIEW, &ViewMatrix);
    Graphics->SetTransform(TS_PROJECTION, &ProjectionMatrix);
    Matrix identity;
    MatrixIdentity(&identity);
    SetWorld(identity);
    ForgetMeshSceneParameters();
}

void MeshDrawTest::SetWorld(const Matrix& world)
{
    WorldMatrix = world;
    Graphics->SetTransform(TS_WORLD, &WorldMatrix);
}

MeshPicture MeshDrawTest::DrawOnBackBuffer(const std::function<void()>& draw)
{
    GfxDevice* device = Graphics->device;
    device->Clear(0, nullptr, CLEAR_TARGET | CLEAR_ZBUFFER, kBackground, 1.0f, 0);
    device->BeginScene();
    draw();
    device->EndScene();
    return OpaquePicture(ReadBackBuffer(device));
}

MeshPicture MeshDrawTest::DrawOnTarget(int width, int height, const std::function<void()>& draw)
{
    GfxDevice* device = Graphics->device;
    ScopedTarget target(device, (uint32_t)width, (uint32_t)height, FMT_A8R8G8B8, true);
    if (!target.IsBound()) return MeshPicture();
    device->Clear(0, nullptr, CLEAR_TARGET | CLEAR_ZBUFFER, kBackground, 1.0f, 0);
    device->BeginScene();
    draw();
    device->EndScene();
    return OpaquePicture(target.Read());
}

Vec3 MeshDrawTest::Project(const Vec3& point, int width, int height) const
{
    Matrix worldView, all;
    MatrixMultiply(&worldView, &WorldMatrix, &ViewMatrix);
    MatrixMultiply(&all, &worldView, &ProjectionMatrix);
    Vec4 clip;
    Vec3Transform(&clip, &point, &all);
    if (clip.w <= 0.0f) return Vec3(-1e6f, -1e6f, -1.0f);
    // Pixel centres sit on whole pixel coordinates.
    return Vec3((clip.x / clip.w + 1.0f) * 0.5f * width, (1.0f - clip.y / clip.w) * 0.5f * height, clip.z / clip.w);
}

std::vector<bool> MeshDrawTest::ExpectedCoverage(const IndexedMesh& mesh, int width, int height) const
{
    std::vector<bool> covered((size_t)width * height, false);
    for (const MeshMaterial& material : mesh.materials) {
        std::vector<Vec3> screen;
        for (const MeshVertex& vertex : material.Vertices())
            screen.push_back(Project(Vec3(-vertex.position.x, vertex.position.y, vertex.position.z), width, height));
        for (const MeshTriangle& triangle : material.Triangles()) {
            const Vec3& a = screen[triangle.index[0]];
            const Vec3& b = screen[triangle.index[1]];
            const Vec3& c = screen[triangle.index[2]];
            if (a.z < 0.0f || b.z < 0.0f || c.z < 0.0f) continue;
            int x0 = std::max(0, (int)std::floor(std::min({a.x, b.x, c.x})));
            int x1 = std::min(width - 1, (int)std::ceil(std::max({a.x, b.x, c.x})));
            int y0 = std::max(0, (int)std::floor(std::min({a.y, b.y, c.y})));
            int y1 = std::min(height - 1, (int)std::ceil(std::max({a.y, b.y, c.y})));
            for (int y = y0; y <= y1; ++y)
                for (int x = x0; x <= x1; ++x) {
                    float e0 = Edge(a.x, a.y, b.x, b.y, (float)x, (float)y);
                    float e1 = Edge(b.x, b.y, c.x, c.y, (float)x, (float)y);
                    float e2 = Edge(c.x, c.y, a.x, a.y, (float)x, (float)y);
                    // Either facing: the meshes are closed, so their outline is the outline of
                    // all their triangles.
                    if ((e0 >= 0 && e1 >= 0 && e2 >= 0) || (e0 <= 0 && e1 <= 0 && e2 <= 0))
                        covered[(size_t)y * width + x] = true;
                }
        }
    }
    return covered;
}
