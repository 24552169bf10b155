// The mesh and animation text formats: every generated file reads back the same, the keywords
// do what the files rely on, and broken files are refused without touching memory they do not
// own (the sanitizer build runs these).
#include "content/meshgen/Catalogue.h"
#include "content/pkbtool/PackageWriter.h"
#include "host/Log.h"
#include "render/AnimLibrary.h"
#include "render/Animation.h"
#include "render/IndexedMesh.h"
#include "render/GraphicsDevice.h"
#include "render/MeshFormat.h"
#include "tests/support/Scoped.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

bool Parse(IndexedMesh& mesh, std::string text)
{
    return mesh.ParseMesh(&text[0]);
}

bool ParseAnim(Animation& animation, std::string text, const IndexedMesh* mesh = nullptr)
{
    return ParseAnimation(&text[0], &animation, mesh, "test");
}

// A one-triangle material with two joints, the smallest file that uses every record.
const char* const SMALL_MESH =
    "nummeshes 1\n"
    "numjoints 2\n"
    "joint -1 root 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1\n"
    "joint 0 tip 1 0 0 0 0 1 0 0 0 0 1 0 0 1 0 1\n"
    "mesh 0\n"
    "numverts 3\n"
    "vert 0 0 0 0 0 0 0 1 1 1 1\n"
    "vert 1 0 0 1 0 0 0 1 1 1 1\n"
    "vert 0 1 0 0 1 0 0 1 1 1 1\n"
    "numtris 1\n"
    "tri 0 0 1 2\n"
    "numweights 3\n"
    "weight 1 0 1\n"
    "weight 1 1 1\n"
    "weight 2 0 0.5 1 0.5\n";

}  // namespace

TEST(MeshFormat, GeneratedMeshesReadBackWithTheirCountsAndBounds)
{
    struct Expected {
        const char* fileName;
        bool skinned;
        Vec3 min, max;  // bounds on the screen's side of the mirror, to 0.05
    };
    const Expected table[] = {
        {"walker.txt", true, Vec3(-0.65f, 0.0f, -0.45f), Vec3(0.65f, 2.07f, 0.7f)},
        {"skybox.txt", false, Vec3(-30, -30, -30), Vec3(30, 30, 30)},
        {"hopper_empty.txt", false, Vec3(-0.31f, 0.0f, -0.26f), Vec3(0.31f, 0.32f, 0.26f)},
        {"hopper_half.txt", false, Vec3(-0.31f, 0.0f, -0.26f), Vec3(0.31f, 0.32f, 0.26f)},
        {"hopper_full.txt", false, Vec3(-0.31f, 0.0f, -0.26f), Vec3(0.31f, 0.45f, 0.26f)},
        {"splat.txt", false, Vec3(-1.0f, 0.02f, -1.0f), Vec3(1.0f, 0.02f, 1.0f)},
        // The move flag stands on the ground, its cloth out to one side.
        {"flag.txt", false, Vec3(-0.86f, 0.0f, -0.35f), Vec3(0.33f, 2.56f, 0.35f)},
        // Debris: small pieces, none much wider than half a unit.
        {"debris_metal_0.txt", false, Vec3(-0.44f, -0.02f, -0.15f), Vec3(0.25f, 0.18f, 0.15f)},
        {"debris_metal_1.txt", false, Vec3(-0.17f, 0.0f, -0.18f), Vec3(0.17f, 0.38f, 0.18f)},
        {"debris_metal_2.txt", false, Vec3(-0.06f, -0.13f, -0.27f), Vec3(0.06f, 0.13f, 0.27f)},
        {"debris_bio_0.txt", false, Vec3(-0.21f, -0.14f, -0.2f), Vec3(0.21f, 0.14f, 0.2f)},
        {"debris_bio_1.txt", false, Vec3(-0.19f, -0.12f, -0.21f), Vec3(0.13f, 0.13f, 0.21f)},
        {"debris_bio_2.txt", false, Vec3(-0.08f, -0.07f, -0.03f), Vec3(0.08f, 0.12f, 0.33f)},
        {"debris_rock_0.txt", false, Vec3(-0.25f, -0.18f, -0.22f), Vec3(0.25f, 0.18f, 0.22f)},
        {"debris_rock_1.txt", false, Vec3(-0.2f, -0.15f, -0.21f), Vec3(0.2f, 0.15f, 0.21f)},
        {"debris_rock_2.txt", false, Vec3(-0.11f, -0.17f, -0.11f), Vec3(0.11f, 0.17f, 0.11f)},
        {"debris_plant_0.txt", false, Vec3(-0.12f, -0.01f, 0.0f), Vec3(0.12f, 0.09f, 0.45f)},
        {"debris_plant_1.txt", false, Vec3(-0.01f, -0.03f, -0.03f), Vec3(0.39f, 0.13f, 0.03f)},
        {"debris_wood_0.txt", false, Vec3(-0.28f, -0.03f, -0.07f), Vec3(0.28f, 0.03f, 0.07f)},
        {"debris_wood_1.txt", false, Vec3(0.0f, -0.05f, -0.04f), Vec3(0.4f, 0.05f, 0.05f)},
        // The overlays of play: tiles from their corner (a cell, or one unit), rings of radius 1
        // lying on the ground, a unit cube standing on it.
        {"overlay_red.txt", false, Vec3(0.0f, 0.0f, 0.0f), Vec3(2.5f, 0.0f, 2.5f)},
        {"overlay_green.txt", false, Vec3(0.0f, 0.0f, 0.0f), Vec3(2.5f, 0.0f, 2.5f)},
        {"overlay_blue.txt", false, Vec3(0.0f, 0.0f, 0.0f), Vec3(2.5f, 0.0f, 2.5f)},
        {"overlay_yellow.txt", false, Vec3(0.0f, 0.0f, 0.0f), Vec3(1.0f, 0.0f, 1.0f)},
        {"overlay_redtile.txt", false, Vec3(0.0f, 0.0f, 0.0f), Vec3(1.0f, 0.0f, 1.0f)},
        {"overlay_greentile.txt", false, Vec3(0.0f, 0.0f, 0.0f), Vec3(1.0f, 0.0f, 1.0f)},
        {"overlay_bluetile.txt", false, Vec3(0.0f, 0.0f, 0.0f), Vec3(1.0f, 0.0f, 1.0f)},
        {"selection.txt", false, Vec3(-1.0f, 0.02f, -1.0f), Vec3(1.0f, 0.02f, 1.0f)},
        {"selectsq.txt", false, Vec3(-1.0f, 0.01f, -1.0f), Vec3(1.0f, 0.03f, 1.0f)},
        {"attack_circle.txt", false, Vec3(-1.0f, 0.02f, -1.0f), Vec3(1.0f, 0.02f, 1.0f)},
        {"cube.txt", false, Vec3(-0.5f, 0.0f, -0.5f), Vec3(0.5f, 1.0f, 0.5f)},
        // The terrain editor's brush rings (2, 4, 8, 16 cells of 2.5 units across) and splats.
        {"sculpt_brush_0.txt", false, Vec3(-2.5f, 0.02f, -2.5f), Vec3(2.5f, 0.02f, 2.5f)},
        {"sculpt_brush_1.txt", false, Vec3(-5.0f, 0.02f, -5.0f), Vec3(5.0f, 0.02f, 5.0f)},
        {"sculpt_brush_2.txt", false, Vec3(-10.0f, 0.02f, -10.0f), Vec3(10.0f, 0.02f, 10.0f)},
        {"sculpt_brush_3.txt", false, Vec3(-20.0f, 0.02f, -20.0f), Vec3(20.0f, 0.02f, 20.0f)},
        {"splat_small.txt", false, Vec3(-0.625f, 0.02f, -0.625f), Vec3(0.625f, 0.02f, 0.625f)},
        {"splat_large.txt", false, Vec3(-2.5f, 0.02f, -2.5f), Vec3(2.5f, 0.02f, 2.5f)},
        // The galaxy of the start screen: a flat disc one unit up.
        {"galaxy.txt", false, Vec3(-4.33f, 0.88f, -4.52f), Vec3(4.4f, 1.12f, 4.52f)},
        // The galaxy map's bodies: the unit sphere, the rings tipped towards the viewer, the
        // bracket round a chosen body in the orbital plane.
        {"planet_0.txt", false, Vec3(-1.0f, -1.0f, -1.0f), Vec3(1.0f, 1.0f, 1.0f)},
        {"rings.txt", false, Vec3(-2.3f, -0.94f, -2.1f), Vec3(2.3f, 0.94f, 2.1f)},
        {"planet_selected.txt", false, Vec3(-1.12f, -1.12f, 0.0f), Vec3(1.12f, 1.12f, 0.0f)},
    };
    std::vector<GeneratedFile> files = GenerateMeshFiles();
    ASSERT_EQ(files.size(), sizeof table / sizeof table[0]);
    for (const Expected& expected : table) {
        SCOPED_TRACE(expected.fileName);
        IndexedMesh made;
        for (const MeshRecipe& recipe : MeshCatalogue())
            if (std::string(recipe.fileName) == expected.fileName) recipe.make(&made);
        IndexedMesh read;
        std::string text;
        for (const GeneratedFile& file : files)
            if (file.fileName == expected.fileName) text = file.text;
        ASSERT_TRUE(Parse(read, text));
        ASSERT_EQ(read.MaterialCount(), made.MaterialCount());
        EXPECT_EQ(read.JointCount(), made.JointCount());
        for (int m = 0; m < read.MaterialCount(); ++m) {
            EXPECT_EQ(read.materials[m].VertexCount(), made.materials[m].VertexCount());
            EXPECT_EQ(read.materials[m].TriangleCount(), made.materials[m].TriangleCount());
            EXPECT_EQ(read.materials[m].WeightCount(), made.materials[m].WeightCount());
            EXPECT_STREQ(read.materials[m].effectName, made.materials[m].effectName);
            EXPECT_STREQ(read.materials[m].normalMapName, made.materials[m].normalMapName);
        }
        ASSERT_TRUE(read.BuildBuffers(nullptr, false));
        EXPECT_EQ(read.IsSkinned(), expected.skinned);
        const float tolerance = 0.05f;
        EXPECT_NEAR(read.boundsMin.x, expected.min.x, tolerance);
        EXPECT_NEAR(read.boundsMin.y, expected.min.y, tolerance);
        EXPECT_NEAR(read.boundsMin.z, expected.min.z, tolerance);
        EXPECT_NEAR(read.boundsMax.x, expected.max.x, tolerance);
        EXPECT_NEAR(read.boundsMax.y, expected.max.y, tolerance);
        EXPECT_NEAR(read.boundsMax.z, expected.max.z, tolerance);
    }
}

TEST(MeshFormat, EveryGeneratedFileWritesBackTheSame)
{
    for (const GeneratedFile& file : GenerateMeshFiles()) {
        SCOPED_TRACE(file.fileName);
        IndexedMesh mesh;
        ASSERT_TRUE(Parse(mesh, file.text));
        EXPECT_EQ(WriteMeshText(mesh), file.text);
    }
    for (const GeneratedFile& file : GenerateAnimationFiles()) {
        SCOPED_TRACE(file.fileName);
        Animation animation;
        ASSERT_TRUE(ParseAnim(animation, file.text));
        EXPECT_EQ(WriteAnimationText(animation), file.text);
    }
    // Every material keyword, quoted names with blanks, and a joint named like a keyword.
    std::string text =
        "Version 1\nnummeshes 2\nnumjoints 1\njoint -1 mesh 1 0 0 0 0 1 0 0 0 0 1 0 0.5 -2 3 1\n"
        "mesh 0\ntexture \"data/textures/my rock.dds\"\ncubemap data/textures/sky.dds\n"
        "normalmap data/textures/n.dds\nspecularmap data/textures/s.dds\nblendTexture data/textures/b.dds\n"
        "blendNormalmap data/textures/bn.dds\nalpha data/textures/a.dds\nrepeatUV 2 0.5\n"
        "effect data/shaders/terrain.fx\ntechnique main\nnumverts 1\nvert 1 2 3 0.25 0.75 0 1 0 1 0.501961 0\n"
        "numtris 0\nnumweights 1\nweight 1 0 1\nmesh 1\nnumverts 0\nnumtris 0\nEND_OF_FILE\n";
    IndexedMesh mesh;
    ASSERT_TRUE(Parse(mesh, text));
    std::string first = WriteMeshText(mesh);
    IndexedMesh again;
    ASSERT_TRUE(Parse(again, first));
    EXPECT_EQ(WriteMeshText(again), first);
    EXPECT_STREQ(again.materials[0].textureName, "data/textures/my rock.dds");
    EXPECT_STREQ(again.joints[0].name, "mesh");
}

TEST(MeshFormat, KeywordsReadAsTheFilesExpect)
{
    IndexedMesh mesh;
    ASSERT_TRUE(Parse(mesh, SMALL_MESH + std::string("texture NO_TEXTURE\neffect data/shaders/old_specular_pixel.fx\n")));
    EXPECT_STREQ(mesh.materials[0].textureName, "data/textures/default.dds");
    EXPECT_STREQ(mesh.materials[0].effectName, "Data/shaders/flat.fx");
    ASSERT_TRUE(Parse(mesh, SMALL_MESH + std::string("texture no_texture\n")));
    EXPECT_STREQ(mesh.materials[0].textureName, "data/textures/default.dds");

    // Colours: 1.0 is 255 and 0.5 is 128 (0.5 x 255 + 0.5), alpha always 255.
    ASSERT_TRUE(Parse(mesh, "nummeshes 1 mesh 0 numverts 1 vert 0 0 0 0 0 0 1 0 1.0 0.5 -3\n"));
    EXPECT_EQ(mesh.materials[0].Vertices()[0].colour, 0xFFFF8000u);

    // Weights of 0.01 or less are dropped, the rest keep their order.
    ASSERT_TRUE(Parse(mesh, "nummeshes 1 numjoints 5 joint -1 a 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1 "
                            "joint 0 b 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1 joint 0 c 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1 "
                            "joint 0 d 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1 joint 0 e 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1 "
                            "mesh 0 numverts 1 vert 0 0 0 0 0 0 1 0 1 1 1 numweights 1 weight 2 3 0.005 4 0.995"));
    const SkinWeight& weight = mesh.materials[0].Weights()[0];
    EXPECT_EQ(weight.count, 1);
    EXPECT_EQ(weight.joint[0], 4);

    // END_OF_FILE ends the file even inside a comment; keywords in another case are words.
    ASSERT_TRUE(Parse(mesh, "nummeshes 1 mesh 0 /* END_OF_FILE */ numverts 5"));
    EXPECT_EQ(mesh.materials[0].VertexCount(), 0);
    ASSERT_TRUE(
        Parse(mesh, "nummeshes 1 mesh 0 numverts 1 vert 0 0 0 0 0 0 1 0 1 1 1 Vert 9 9 9 TEXTURE x.dds"));
    EXPECT_EQ(mesh.materials[0].Vertices()[0].position, Vec3());
    EXPECT_STREQ(mesh.materials[0].textureName, "NO_TEXTURE");

    // The joint tree comes out of the parents in file order; "wheel" alone marks a wheel.
    ASSERT_TRUE(Parse(mesh, "numjoints 4 joint -1 root 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1 "
                            "joint 3 wheel 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1 joint 0 Wheel 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1 "
                            "joint 0 axle 1 0 0 0 0 1 0 0 0 0 1 0 7 8 9 1"));
    EXPECT_EQ(mesh.joints[0].firstChild, 2);
    EXPECT_EQ(mesh.joints[2].nextSibling, 3);
    EXPECT_EQ(mesh.joints[3].firstChild, 1);
    EXPECT_EQ(mesh.joints[1].flags, JOINT_WHEEL);
    EXPECT_EQ(mesh.joints[2].flags, 0u);
    EXPECT_EQ(mesh.joints[3].bindTranslation, Vec3(7, 8, 9));

    // Channel types: the first 7 or 10 characters, any case; unknown types are kept but inert.
    Animation animation;
    ASSERT_TRUE(ParseAnim(animation, "channelCount 3 "
                                     "channel TIP rotatex a 0 b 4 c 30 d 1 0.5 "
                                     "channel tip translate a 0 b 4 c 30 d 1 0.5 "
                                     "channel nobody translateZed a 0 b 4 c 30 d 2 1 2", &mesh));
    ASSERT_EQ(animation.ChannelCount(), 3);
    EXPECT_EQ(animation.channels[0].type, CHANNEL_ROTATE_X);
    EXPECT_EQ(animation.channels[1].type, CHANNEL_UNKNOWN);
    EXPECT_EQ(animation.channels[2].type, CHANNEL_TRANSLATE_Z);
    EXPECT_EQ(animation.channels[2].jointIndex, -1);
    EXPECT_FLOAT_EQ(animation.channels[0].frameRate, 15.0f);
    EXPECT_FLOAT_EQ(animation.Duration(), 4.0f / 15.0f);
}

TEST(MeshFormat, BrokenMeshFilesAreRefusedWhole)
{
    const std::string joints2 = "numjoints 2 joint -1 a 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1 ";
    const std::string material = "nummeshes 1 mesh 0 numverts 3 vert 0 0 0 0 0 0 1 0 1 1 1 ";
    // The material with all three of its vertices.
    const std::string whole = material + "vert 1 1 1 0 0 0 1 0 1 1 1 vert 2 2 2 0 0 0 1 0 1 1 1 ";
    struct Case {
        const char* what;
        std::string text;
    };
    const Case refused[] = {
        {"triangle past the vertices", material + "numtris 1 tri 0 0 1 3"},
        {"negative triangle index", material + "numtris 1 tri 0 0 -1 2"},
        {"weight on an undeclared joint", material + "numweights 1 weight 1 2 1.0"},
        {"weight on a negative joint", joints2 + material + "numweights 1 weight 1 -1 1.0"},
        {"five weight pairs", material + "numweights 1 weight 5 0 1 0 1 0 1 0 1 0 1"},
        {"negative weight pairs", material + "numweights 1 weight -1"},
        {"parent outside the joints", joints2 + "joint 2 b 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1"},
        {"parent below -1", joints2 + "joint -2 b 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1"},
        {"joint its own parent", joints2 + "joint 1 b 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1"},
        {"first joint has a parent",
         "numjoints 2 joint 1 a 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1 joint -1 b 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1"},
        {"more joints than declared", joints2 + "joint 0 b 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1 "
                                                "joint 0 c 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1"},
        {"joint before numjoints", "joint -1 a 1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1"},
        {"huge vertex count", "nummeshes 1 mesh 0 numverts 2000000000"},
        {"vertex count past 16-bit indices", "nummeshes 1 mesh 0 numverts 70000" + std::string(200000, ' ')},
        {"huge material count", "nummeshes 99999999"},
        {"count overflowing int", "nummeshes 1 mesh 0 numtris 99999999999999999999"},
        {"negative count", "nummeshes 1 mesh 0 numverts -5"},
        {"count the text cannot hold", "nummeshes 1 mesh 0 numtris 1000 tri 0 0 0 0"},
        {"huge joint count", "numjoints 100000000"},
        {"vert before any mesh", "nummeshes 1 vert 0 0 0 0 0 0 1 0 1 1 1"},
        {"texture before any mesh", "nummeshes 1 texture a.dds"},
        {"negative mesh id", "nummeshes 1 mesh -1"},
        {"cut inside a vert", whole.substr(0, whole.size() - 6)},
        {"cut inside a joint", joints2.substr(0, 30)},
        // A file keeps what it promises: no record more, none less.
        {"more verts than declared", whole + "vert 3 3 3 0 0 0 1 0 1 1 1"},
        {"mesh id past the count", whole + "mesh 1"},
        {"fewer verts than declared", whole.substr(0, whole.size() - 28) + std::string(40, ' ')},
        {"fewer triangles than declared", "nummeshes 1 mesh 0 numverts 1 vert 0 0 0 0 0 0 1 0 1 1 1 numtris 2 "
                                          "tri 0 0 0 0" + std::string(40, ' ')},
        {"fewer weights than declared", "nummeshes 1 mesh 0 numweights 2 weight 0" + std::string(40, ' ')},
        // Counts are summed over the materials: each fits the text, all of them do not.
        {"counts that only fit one by one", "nummeshes 2 mesh 0 numtris 3 mesh 1 numtris 3 " + std::string(40, ' ')},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(c.what);
        IndexedMesh mesh;
        LogCaptureBegin();
        EXPECT_FALSE(Parse(mesh, c.text));
        std::string log = LogCaptureEnd();
        EXPECT_NE(log.find("ERROR"), std::string::npos) << log;
        EXPECT_EQ(mesh.MaterialCount(), 0);
        EXPECT_EQ(mesh.JointCount(), 0);
        EXPECT_FALSE(mesh.BuildBuffers(nullptr, false));
    }

    // A file may end without its end marker, even inside a comment.
    const Case kept[] = {
        {"no END_OF_FILE", whole},
        {"comment left open", whole + "/* numverts 9"},
    };
    for (const Case& c : kept) {
        SCOPED_TRACE(c.what);
        IndexedMesh mesh;
        LogCaptureBegin();
        EXPECT_TRUE(Parse(mesh, c.text));
        LogCaptureEnd();
        ASSERT_EQ(mesh.MaterialCount(), 1);
        EXPECT_EQ(mesh.materials[0].VertexCount(), 3);
    }
}

TEST(MeshFormat, JointsOutsideTheFirstJointsTreeAreKeptAndNeverMove)
{
    const std::string moved = " 1 0 0 0 0 1 0 0 0 0 1 0 0 2 0 1 ";
    struct Case {
        const char* what;
        std::string text;
        int joints;
    };
    const Case kept[] = {
        {"joints in a loop",
         "numjoints 3 joint -1 a" + moved + "joint 2 b" + moved + "joint 1 c" + moved, 3},
        {"fewer joints than declared", "numjoints 4 joint -1 a" + moved + "joint 0 b" + moved, 4},
        {"a second root", "numjoints 2 joint -1 a" + moved + "joint -1 b" + moved, 2},
    };
    for (const Case& c : kept) {
        SCOPED_TRACE(c.what);
        IndexedMesh mesh;
        LogCaptureBegin();
        EXPECT_TRUE(Parse(mesh, c.text + "nummeshes 1 mesh 0 numverts 1 vert 0 0 0 0 0 0 1 0 1 1 1 "
                                         "numweights 1 weight 1 1 1.0"));
        std::string log = LogCaptureEnd();
        EXPECT_NE(log.find("WARNING"), std::string::npos) << log;
        EXPECT_EQ(log.find("ERROR"), std::string::npos) << log;
        ASSERT_EQ(mesh.JointCount(), c.joints);
        // Posing from the root reaches the joints below it only; the others keep their place.
        mesh.UpdateJointMatrices(0, -1, true);
        EXPECT_FLOAT_EQ(mesh.joints[0].worldMatrix._42, 2.0f);
        for (int j = 1; j < mesh.JointCount(); ++j) {
            if (mesh.joints[j].parent == 0) continue;
            EXPECT_FLOAT_EQ(mesh.joints[j].worldMatrix._42, 0.0f) << j;
        }
    }
}

TEST(MeshFormat, BrokenAnimationFilesAreRefusedWhole)
{
    struct Case {
        const char* what;
        const char* text;
    };
    const Case refused[] = {
        {"no keys", "channelCount 1 channel a rotateX f 0 l 1 r 30 k 0"},
        {"4096 keys", "channelCount 1 channel a rotateX f 0 l 1 r 30 k 4096"},
        {"negative keys", "channelCount 1 channel a rotateX f 0 l 1 r 30 k -3"},
        {"more keys than the text holds", "channelCount 1 channel a rotateX f 0 l 1 r 30 k 4000 1 2 3"},
        {"channel before channelCount", "channel a rotateX f 0 l 1 r 30 k 1 0"},
        {"more channels than declared",
         "channelCount 1 channel a rotateX f 0 l 1 r 30 k 1 0 channel a rotateY f 0 l 1 r 30 k 1 0"},
        {"huge channel count", "channelCount 2000000000"},
        {"cut inside the keys", "channelCount 1 channel a rotateX f 0 l 1 r 30 k 3 0 1"},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(c.what);
        Animation animation;
        LogCaptureBegin();
        EXPECT_FALSE(ParseAnim(animation, c.text));
        EXPECT_NE(LogCaptureEnd().find("ERROR"), std::string::npos);
        EXPECT_EQ(animation.ChannelCount(), 0);
    }
    // Declared channels that never come are not kept.
    Animation animation;
    ASSERT_TRUE(ParseAnim(animation, "channelCount 5 channel a rotateX f 0 l 1 r 30 k 2 0 1"));
    EXPECT_EQ(animation.ChannelCount(), 1);
}

TEST(MeshFormat, MeshesAndAnimationsComeFromTheirPackages)
{
    std::string folder = MakeTempFolder("meshpackages");
    auto bytes = [](const std::string& text) { return std::vector<unsigned char>(text.begin(), text.end()); };
    std::string patched = "nummeshes 2\n";
    std::string animationText = "channelCount 1 channel tip rotateZ f 0 l 2 r 2 k 1 1.5";
    ASSERT_TRUE(WritePackage(folder + "/mesh.pkb", {{"small.txt", "a", bytes(SMALL_MESH)},
                                                    {"both.txt", "b", bytes(SMALL_MESH)},
                                                    {"hollow.txt", "c", {}}}));
    ASSERT_TRUE(WritePackage(folder + "/patch.pkb", {{"both.txt", "d", bytes(patched)}}));
    ASSERT_TRUE(WritePackage(folder + "/anims.pkb", {{"bend.txt", "e", bytes(animationText)}}));
    SetMeshPackagePaths((folder + "/mesh.pkb").c_str(), (folder + "/patch.pkb").c_str());
    SetAnimPackagePath((folder + "/anims.pkb").c_str());

    IndexedMesh mesh;
    EXPECT_TRUE(mesh.LoadMeshFile("data/mesh/units/small.txt"));
    EXPECT_EQ(mesh.JointCount(), 2);
    EXPECT_TRUE(mesh.LoadMeshFile("data\\mesh\\both.txt"));
    EXPECT_EQ(mesh.MaterialCount(), 2) << "the patch package comes first";
    for (const char* missing : {"data/mesh/hollow.txt", "data/mesh/nothing.txt"}) {
        LogCaptureBegin();
        EXPECT_FALSE(mesh.LoadMeshFile(missing));
        EXPECT_EQ(LogCaptureEnd(), std::string("ERROR: trying to load mesh ") + missing + "\n");
        EXPECT_EQ(mesh.MaterialCount(), 0);
    }

    ASSERT_TRUE(mesh.LoadMeshFile("small.txt"));
    Animation animation;
    EXPECT_TRUE(AnimLibrary::LoadAnimation("data/anims/bend.txt", &animation, &mesh));
    ASSERT_EQ(animation.ChannelCount(), 1);
    EXPECT_EQ(animation.channels[0].jointIndex, 1);
    EXPECT_FALSE(AnimLibrary::LoadAnimation("data/anims/none.txt", &animation, &mesh));
    EXPECT_EQ(animation.ChannelCount(), 0);

    // The graphics device closes the mesh packages with the texture packages at its end; the
    // next read opens them again.
    EXPECT_TRUE(MeshPackagesOpen());
    {
        // Another device's texture packages (the drawing tests') stay out of it.
        ScopedGlobal<PackageFile*> textures(TexturePackage, nullptr), low(LowTexturePackage, nullptr),
            gui(GuiPackage, nullptr), patch(TexturePatchPackage, nullptr);
        delete new GraphicsDevice();
    }
    EXPECT_FALSE(MeshPackagesOpen());
    EXPECT_TRUE(mesh.LoadMeshFile("small.txt"));

    SetMeshPackagePaths("data/mesh.pkb", "data/mesh_patch.pkb");
    SetAnimPackagePath("data/anims.pkb");
}
