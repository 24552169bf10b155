// Damaged mesh and particle files kept from past crashes (tests/data/bad-files/<loader>): each
// is refused, or its bad value named, in the log with its line, and nothing is half read.
#include "host/Log.h"
#include "host/System.h"
#include "render/IndexedMesh.h"
#include "render/ParticleParser.h"
#include "render/ParticleSystem.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

TEST(BadTextFiles, MeshAndParticleFilesAreRefusedByLine)
{
    struct Case {
        const char* loader;
        const char* file;
        const char* logged;
    };
    const Case cases[] = {
        {"mesh", "amplify_64_materials.txt",
         "ERROR: mesh amplify_64_materials.txt refused at line 2: \"numverts 65536\" asks for more records than "
         "the rest of the file holds\n"},
        {"mesh", "mesh_bad_id.txt", "ERROR: mesh mesh_bad_id.txt refused at line 2: invalid mesh id 5: the file "
                                    "declares 1 materials\n"},
        {"mesh", "mesh_extra_vert.txt", "ERROR: mesh mesh_extra_vert.txt refused at line 5: more \"vert\" records "
                                        "than the 1 declared for material 0\n"},
        {"mesh", "mesh_missing_vert.txt", "ERROR: mesh mesh_missing_vert.txt refused at line 3: \"numverts 2\" asks "
                                          "for more records than the rest of the file holds\n"},
        // The keyword named in the message was a token the long count after it had replaced.
        {"mesh", "count_in_long_token.txt",
         "ERROR: mesh count_in_long_token.txt refused at line 3: \"numjoints 2147483647\" is not a count this file "
         "can hold\n"},
        {"particle", "rate_3e9.txt", "WARNING: rate_3e9.txt line 2: RATE value 3e9 is out of range, 100000 is used\n"},
        {"particle", "rate_nan.txt", "WARNING: rate_nan.txt line 2: RATE value 'nan' is not a number, 0 is used\n"},
    };
    ParticleParser particles;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        std::string path = std::string("tests/data/bad-files/") + c.loader + "/" + c.file;
        LogCaptureBegin();
        if (std::string(c.loader) == "mesh") {
            std::string text = ReadTextFile(path);
            ASSERT_FALSE(text.empty());
            IndexedMesh mesh;
            CopyText(mesh.name, sizeof mesh.name, c.file);
            EXPECT_FALSE(mesh.ParseMesh(&text[0]));
            EXPECT_EQ(mesh.MaterialCount(), 0);
            EXPECT_EQ(mesh.JointCount(), 0);
        } else {
            ParticleSystem record;
            EXPECT_TRUE(particles.LoadFile(path.c_str(), &record));
            EXPECT_TRUE(record.rate >= 0.0f && record.rate <= 100000.0f) << record.rate;
            EXPECT_STREQ(record.name, "a");
        }
        std::string log = LogCaptureEnd();
        EXPECT_NE(log.find(c.logged), std::string::npos) << log;
    }
}
