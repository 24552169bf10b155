// Meshes on screen: a generated mesh read from its package covers the pixels its triangles
// cover and looks as its reference picture shows, each side of a model shows where the model has it, the lit effect shades faces by the
// sun while the fixed-function path shows the bare paint, every shipped mesh finds its textures
// and effect, sub-meshes outside the view are not sent, and the glow pass leaves out only the
// black occluders that lie away from what glows.
#include "content/meshgen/Catalogue.h"
#include "content/meshgen/ModelBuilder.h"
#include "host/EffectObject.h"
#include "host/System.h"
#include "platform/Files.h"
#include "platform/Timer.h"
#include "render/Camera.h"
#include "render/EffectManager.h"
#include "render/IndexedMesh.h"
#include "render/MeshLibrary.h"
#include "render/TextureManager.h"
#include "render/ViewFrustum.h"
#include "tests/render/MeshDrawSupport.h"
#include "tests/support/ReferencePicture.h"
#include "tests/support/Scoped.h"

#include <cstring>

namespace {


// The walker's paint (content/meshgen/Walker.cpp).
const float HEAD[3] = {0.55f, 0.60f, 0.66f};

uint32_t Shade(const float paint[3], float light)
{
    auto byte = [&](float c) { return (uint32_t)std::min(255.0f, c * light * 255.0f + 0.5f); };
    return 0xFF000000u | byte(paint[0]) << 16 | byte(paint[1]) << 8 | byte(paint[2]);
}

}  // namespace

TEST_F(MeshDrawTest, AGeneratedMeshCoversWhatItsTrianglesCover)
{
    struct Case {
        const char* mesh;
        bool fixedFunction;
        Vec3 eye, target;
        const char* reference;
    } cases[] = {
        {"walker.txt", false, Vec3(2.5f, 1.8f, 3.5f), Vec3(0.0f, 1.0f, 0.0f), "mesh_walker_lit"},
        {"walker.txt", true, Vec3(-2.0f, 0.6f, -3.8f), Vec3(0.0f, 1.0f, 0.0f), "mesh_walker_fixed_function"},
        {"hopper_full.txt", false, Vec3(0.5f, 1.0f, 1.0f), Vec3(0.0f, 0.15f, 0.0f), "mesh_hopper_lit"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.mesh) + (c.fixedFunction ? " fixed function" : " effect"));
        IndexedMesh* mesh = meshes->GetMesh(c.mesh, 0, true, false);
        ASSERT_TRUE(mesh->IsAnimated());
        LookAt(c.eye, c.target, kAspect);
        MeshPicture picture = DrawOnBackBuffer([&] { mesh->Render(1, c.fixedFunction); });
        ASSERT_EQ(picture.width, kScreenWidth);
        std::vector<bool> expected = ExpectedCoverage(*mesh, kScreenWidth, kScreenHeight);

        // Pixels on an outline may go either way; everywhere else the picture is the mesh's.
        int compared = 0, wrong = 0, inside = 0;
        for (int y = 1; y + 1 < kScreenHeight; ++y)
            for (int x = 1; x + 1 < kScreenWidth; ++x) {
                bool edge = false;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                        edge |= expected[(size_t)(y + dy) * kScreenWidth + x + dx] != expected[(size_t)y * kScreenWidth + x];
                if (edge) continue;
                ++compared;
                inside += expected[(size_t)y * kScreenWidth + x];
                if (picture.Covered(x, y) != expected[(size_t)y * kScreenWidth + x]) ++wrong;
            }
        EXPECT_EQ(wrong, 0) << "of " << compared << " pixels";
        EXPECT_GT(inside, 100) << "the mesh fills a good part of the picture";
        EXPECT_GT(compared - inside, 400) << "and leaves background around it";
        // And it is painted and shaded as it should be.
        EXPECT_TRUE(MatchesReference(picture, c.reference));
    }
}

TEST_F(MeshDrawTest, EachSideOfAModelShowsWhereTheModelHasIt)
{
    // The walker faces the camera: its gun, on its right, is on the viewer's left.
    IndexedMesh* walker = meshes->GetMesh("walker.txt", 0, true, false);
    ASSERT_TRUE(walker->IsAnimated());
    LookAt(Vec3(0.0f, 1.55f, 2.6f), Vec3(0.0f, 1.5f, 0.0f), kAspect);
    MeshPicture picture = DrawOnBackBuffer([&] { walker->Render(1, false); });
    // The front of the gun's housing in the file: x -0.35 (the right), 1.54 up, 0.25 forward.
    Vec3 gun = Project(Vec3(0.35f, 1.54f, 0.25f), kScreenWidth, kScreenHeight);
    Vec3 mirror = Project(Vec3(-0.35f, 1.54f, 0.25f), kScreenWidth, kScreenHeight);
    EXPECT_LT(gun.x, kScreenWidth / 2.0f);
    EXPECT_TRUE(picture.Covered((int)(gun.x + 0.5f), (int)(gun.y + 0.5f))) << "the gun";
    EXPECT_FALSE(picture.Covered((int)(mirror.x + 0.5f), (int)(mirror.y + 0.5f))) << "nothing on its left";

    // Triangles keep facing outwards through the mirror: the ground splat faces up, so it is
    // seen from above and culled from below.
    IndexedMesh* splat = meshes->GetMesh("splat.txt", 0, true, false);
    ASSERT_TRUE(splat->IsAnimated());
    LookAt(Vec3(0.0f, 3.0f, -0.5f), Vec3(0.0f, 0.0f, 0.0f), kAspect);
    EXPECT_GT(DrawOnBackBuffer([&] { splat->Render(1, false); }).CoveredCount(), 500);
    LookAt(Vec3(0.0f, -3.0f, -0.5f), Vec3(0.0f, 0.0f, 0.0f), kAspect);
    EXPECT_EQ(DrawOnBackBuffer([&] { splat->Render(1, false); }).CoveredCount(), 0);
}

TEST_F(MeshDrawTest, TheLitEffectShadesFacesBySunlightAndFixedFunctionShowsThePaint)
{
    IndexedMesh* walker = meshes->GetMesh("walker.txt", 0, true, false);
    ASSERT_TRUE(walker->IsAnimated());
    // Points on the head's faces as the screen has them (x already mirrored), and what reaches
    // them of the sun travelling along (0.615, -0.615, -0.492) with ambient 0.35.
    struct Case {
        const char* face;
        Vec3 point, eye;
        float light;
    } cases[] = {
        {"front", Vec3(0.0f, 1.46f, 0.275f), Vec3(0.0f, 1.46f, 3.0f), 0.35f + 0.492366f},
        {"its left, towards the sun", Vec3(-0.275f, 1.55f, -0.2f), Vec3(-3.0f, 1.55f, -0.2f), 0.35f + 0.6154575f},
        {"its right, in the shade", Vec3(0.275f, 1.55f, -0.2f), Vec3(3.0f, 1.55f, -0.2f), 0.35f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.face);
        LookAt(c.eye, c.point, kAspect);
        Vec3 at = Project(c.point, kScreenWidth, kScreenHeight);
        int x = (int)(at.x + 0.5f), y = (int)(at.y + 0.5f);
        MeshPicture lit = DrawOnBackBuffer([&] { walker->Render(0, false); });
        EXPECT_TRUE(ColorNear(lit.At(x, y), Shade(HEAD, c.light), 4));
        MeshPicture painted = DrawOnBackBuffer([&] { walker->Render(1, true); });
        EXPECT_TRUE(ColorNear(painted.At(x, y), Shade(HEAD, 1.0f), 2));
        // Untextured, the fixed-function path shows the vertex colour alone: the same paint.
        MeshPicture untextured = DrawOnBackBuffer([&] { walker->Render(0, true); });
        EXPECT_TRUE(ColorNear(untextured.At(x, y), Shade(HEAD, 1.0f), 2));
    }
}

TEST_F(MeshDrawTest, EveryGeneratedMeshFindsItsTexturesAndItsOwnEffect)
{
    for (const MeshRecipe& recipe : MeshCatalogue()) {
        SCOPED_TRACE(recipe.fileName);
        IndexedMesh* mesh = meshes->GetMesh(recipe.fileName, 0, true, false);
        ASSERT_TRUE(mesh->IsAnimated());
        for (int i = 0; i < mesh->SubMeshCount(); ++i) {
            const SubMesh& sub = mesh->subMeshes[i];
            const MeshMaterial& material = mesh->materials[i];
            ASSERT_NE(sub.diffuseTexture, nullptr);
            EXPECT_TRUE(sub.diffuseTexture->IsLoaded()) << material.textureName;
            ASSERT_NE(sub.normalMap, nullptr);
            EXPECT_TRUE(sub.normalMap->IsLoaded()) << material.normalMapName;
            EXPECT_STREQ(material.techniqueName, "textured");
            ASSERT_NE(sub.effect, nullptr);
            char fileName[MAX_PATH_TEXT];
            GetFileName(material.effectName, fileName);
            EXPECT_EQ(StrICmp(sub.effect->name, fileName), 0);
            EXPECT_NE(sub.effect->effect, nullptr);
            EXPECT_FALSE(sub.effect->flags & EFFECT_COMPILE_FAILED) << EffectManager::GetLastError();
            EXPECT_NE(sub.effect->mainTechnique, nullptr);
            EXPECT_NE(sub.effect->zpassTechnique, nullptr);
            EXPECT_NE(sub.effect->glowTechnique, nullptr);
        }
    }
}

TEST_F(MeshDrawTest, SubMeshesOutsideTheViewAreNotSent)
{
    // Two materials: a box at the origin and one 50 units to the model's left.
    ModelBuilder model(WHITE_TEXTURE, MESH_EFFECT);
    model.Add(Box(Vec3(1.0f, 1.0f, 1.0f)));
    model.AddMaterial(WHITE_TEXTURE, MESH_EFFECT);
    model.Add(Box(Vec3(1.0f, 1.0f, 1.0f)).Move(50.0f, 0.0f, 0.0f));
    IndexedMesh mesh;
    model.Build(&mesh);
    ASSERT_TRUE(mesh.BuildBuffers(nullptr, false));
    ViewFrustum frustum;
    ScopedGlobal<ViewFrustum*> culling(Frustum, &frustum);
    LookAt(Vec3(0.0f, 2.0f, -6.0f), Vec3(0.0f, 0.0f, 0.0f), kAspect);
    frustum.Update(ViewMatrix);

    struct Case {
        Vec3 position;  // where the drawing code says the mesh stands
        float scale;
        int sent;
    } cases[] = {
        {Vec3(0.0f, 0.0f, 0.0f), 1.0f, 1},
        {Vec3(50.0f, 0.0f, 0.0f), 1.0f, 1},      // the far box (at x -50 on screen) moved into view
        {Vec3(0.0f, 0.0f, 0.0f), 0.01f, 2},      // shrunk, both boxes lie by the origin
        {Vec3(0.0f, 0.0f, -500.0f), 1.0f, 0},
    };
    for (const Case& c : cases) {
        MeshRenderPosition = c.position;
        mesh.scale = c.scale;
        MeshDrawCount = 0;
        DrawOnBackBuffer([&] { mesh.Render(0, false); });
        EXPECT_EQ(MeshDrawCount, c.sent) << c.position.x << " " << c.position.z << " scale " << c.scale;
    }
}

TEST_F(MeshDrawTest, TheGlowPassLeavesOutOnlyOccludersAwayFromWhatGlows)
{
    ModelBuilder glowing(WHITE_TEXTURE, "data/shaders/scanglow.fx");
    glowing.Add(Box(Vec3(1.0f, 1.0f, 1.0f)));
    IndexedMesh light, blocker;
    glowing.Build(&light);
    ModelBuilder plain(WHITE_TEXTURE, MESH_EFFECT);
    plain.Add(Box(Vec3(1.0f, 1.0f, 1.0f)));
    plain.Build(&blocker);
    ASSERT_TRUE(light.BuildBuffers(nullptr, false) && blocker.BuildBuffers(nullptr, false));
    ASSERT_TRUE(light.subMeshes[0].effect && light.subMeshes[0].effect->glows);
    LookAt(Vec3(0.0f, 2.0f, -6.0f), Vec3(0.0f, 0.0f, 0.0f), 1.0f);
    Matrix identity, moved;
    MatrixIdentity(&identity);

    struct Case {
        Vec3 blockerAt;
        int sent;  // of the two meshes in the glow pass
    } cases[] = {
        {Vec3(0.4f, 0.3f, -2.0f), 2},  // between the eye and the glowing box, over a part of it
        {Vec3(2.0f, 0.0f, 0.0f), 1},   // beside it, in view
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.blockerAt.x);
        MatrixTranslation(&moved, c.blockerAt.x, c.blockerAt.y, c.blockerAt.z);
        auto glowPass = [&](bool cull) {
            ForgetGlowingArea();
            SetWorld(identity);
            DrawOnBackBuffer([&] { light.Render(0, false); });  // the scene marks what glows
            return DrawOnTarget(128, 128, [&] {
                SetGlowOccluderCulling(cull);
                MeshDrawCount = 0;
                SetWorld(moved);
                blocker.Render(MESH_PASS_GLOW, false);
                SetWorld(identity);
                light.Render(MESH_PASS_GLOW, false);
                SetGlowOccluderCulling(false);
            });
        };
        const MeshPicture whole = glowPass(false);
        const MeshPicture culled = glowPass(true);
        EXPECT_EQ(MeshDrawCount, c.sent);
        // Every pixel that glows in either picture glows alike in the other: the target is
        // cleared to kBackground here, so only there may the left-out occluder's black be missing.
        auto lit = [](uint32_t c) { return c != (kBackground & 0xFFFFFF) && c != 0; };
        int glows = 0;
        for (int y = 0; y < whole.height; ++y)
            for (int x = 0; x < whole.width; ++x) {
                const uint32_t was = whole.At(x, y) & 0xFFFFFF, now = culled.At(x, y) & 0xFFFFFF;
                if (!lit(was) && !lit(now)) continue;
                ++glows;
                ASSERT_EQ(now, was) << x << "," << y;
            }
        EXPECT_GT(glows, 100);
    }
}

TEST_F(MeshDrawTest, EffectsSeeTheEyeOfEveryFrame)
{
    IndexedMesh* walker = meshes->GetMesh("walker.txt", 0, true, false);
    ASSERT_TRUE(walker->IsAnimated());
    Effect* effect = walker->subMeshes[0].effect;
    ASSERT_TRUE(effect && effect->effect && effect->params.viewPos);
    auto eye = [&] {
        float value[4] = {};
        effect->effect->GetValue(effect->params.viewPos, value, sizeof value);
        return Vec3(value[0], value[1], value[2]);
    };
    // The camera moves between frames while every mesh keeps drawing the same technique.
    LookAt(Vec3(0.0f, 1.5f, 4.0f), Vec3(0.0f, 1.0f, 0.0f), kAspect);
    DrawOnBackBuffer([&] { walker->Render(0, false); });
    EXPECT_EQ(eye(), Vec3(0.0f, 1.5f, 4.0f));
    Vec3 moved(3.0f, 2.0f, 1.0f), target(0.0f, 1.0f, 0.0f), up(0.0f, 1.0f, 0.0f);
    MatrixLookAtLH(&ViewMatrix, &moved, &target, &up);
    MatrixInverse(&InverseViewMatrix, nullptr, &ViewMatrix);
    ++FrameTimer.frameCount;
    DrawOnBackBuffer([&] { walker->Render(0, false); });
    Vec3 seen = eye();
    EXPECT_NEAR(seen.x, moved.x, 1e-4f);
    EXPECT_NEAR(seen.y, moved.y, 1e-4f);
    EXPECT_NEAR(seen.z, moved.z, 1e-4f);
}
