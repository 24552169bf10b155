// Particle definitions read into template records, and the particle texture list.
#include "render/ParticleParser.h"

#include "render/ParticleSystem.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Parses a definition held in a string; returns what was printed on standard output.
std::string Parse(ParticleParser& parser, const std::string& definition, ParticleSystem& record,
                  char** rest = nullptr)
{
    static std::vector<char> text;
    text.assign(definition.begin(), definition.end());
    text.push_back(0);
    testing::internal::CaptureStdout();
    char* after = parser.ParseDefinition(text.data(), &record);
    if (rest) *rest = after;
    return testing::internal::GetCapturedStdout();
}

TEST(ParticleParser, ReadsEveryKindOfValue)
{
    ParticleParser parser;
    ParticleSystem record;
    std::string out = Parse(parser,
                            "PARTICLE sparks\nVERSION\nPOSITION 1 2 3\nFORCE 0 -1 0\tDIRECTION 0 0 1\r\n"
                            "AREA 4 5 6 PITCH 10 PITCH_Change 11 YAW 12 YAW_Change 13 SPEED 14 SPEED_Change 15\n"
                            "RATE 16 RATE_Change 17 LIFETIME 18 SIZE 19 SIZE_Change 20 SIZE_RATIO 2\n"
                            "COLOR 255 128 0 64 COLOR_MID 0 0 255 128 COLOR_END 51 51 51 0 MID_PERCENT 0.25\n"
                            "ROTATION 30 ROTATION_Change 31 MAX_COUNT 40 TEXTURE_ID 7 Y_FAKE_COLLISION 1.5\n"
                            "RANDOM_SCALE 0.5 EMISSION_TIME 0.75 RANDOM_ROTATION 90 EFFECT_ID 3\n"
                            "EMIT_TYPE Circle RENDER_TYPE PARTICLE_MUZZLEFLASH_RENDERER\n"
                            "PARTICLE_SYSTEM_SOURCE_BLEND ONE PARTICLE_SYSTEM_DEST_BLEND INVSRCCOLOR\n"
                            "PARTICLE_COLLISION PARTICLE_STATE BEGIN_PARTICLE\n"
                            "END_PARTICLE\nEND_OF_FILE\n",
                            record);
    EXPECT_EQ(out, "");
    EXPECT_STREQ(record.name, "sparks");
    EXPECT_EQ(record.position, Vec3(1, 2, 3));
    EXPECT_EQ(record.direction, Vec3(0, 0, 1));  // after a tab
    EXPECT_EQ(record.area, Vec3(4, 5, 6));       // after a carriage return
    EXPECT_EQ(record.yawChange, 13);             // keywords in mixed case
    EXPECT_EQ(record.sizeRatio, 2);
    EXPECT_FLOAT_EQ(record.colour[0], 1.0f);
    EXPECT_NEAR(record.colour[1], 0.502f, 0.001f);
    EXPECT_FLOAT_EQ(record.colour[2], 0.0f);
    EXPECT_FLOAT_EQ(record.colour[3], 0.5f);
    EXPECT_FLOAT_EQ(record.colourMid[3], 1.0f);
    EXPECT_FLOAT_EQ(record.colourEnd[0], 0.2f);
    EXPECT_EQ(record.maxCount, 40);
    EXPECT_EQ(record.effectId, 3);
    EXPECT_EQ(record.emitType, EMIT_CIRCLE);
    EXPECT_EQ(record.sourceBlend, 2);
    EXPECT_EQ(record.destBlend, 4);
    EXPECT_EQ(record.flags, 0u);
}

TEST(ParticleParser, FlagsAreOnlySetByTheValueOne)
{
    struct Case {
        const char* keyword;
        uint32_t flag;
    } cases[] = {
        {"HEIGHTMAP_COLLISION", PARTICLE_HEIGHTMAP_COLLISION},
        {"PARTICLE_SYSTEM_USE_DIRECTION", PARTICLE_USE_DIRECTION},
        {"PARTICLE_SYSTEM_SMOOTH_LERP", PARTICLE_SMOOTH_LERP},
        {"AUTO_Y_HEIGHT_OFF", PARTICLE_AUTO_Y_HEIGHT_OFF},
        {"PARTICLE_LOCKED", PARTICLE_LOCKED},
        {"PARTICLE_SYSTEM_RENDER_ALPHA", PARTICLE_RENDER_ALPHA},
        {"PARTICLE_SYSTEM_RADIAL_DIR", PARTICLE_RADIAL_DIR},
    };
    ParticleParser parser;
    for (const Case& c : cases) {
        for (const char* value : {"0", "2", "x", "-1"}) {
            ParticleSystem record;
            Parse(parser, std::string(c.keyword) + " " + value, record);
            EXPECT_EQ(record.flags, 0u) << c.keyword << " " << value;
        }
        ParticleSystem record;
        Parse(parser, std::string(c.keyword) + " 1", record);
        EXPECT_EQ(record.flags, c.flag) << c.keyword;
        // A definition cannot clear a flag.
        Parse(parser, std::string(c.keyword) + " 0", record);
        EXPECT_EQ(record.flags, c.flag) << c.keyword;
    }
}

TEST(ParticleParser, BadInputIsReportedOrReadAsZero)
{
    ParticleParser parser;
    ParticleSystem record;
    std::string out = Parse(parser,
                            "VERSION 2 SPEED fast SIZE 3x LIFETIME COLOR 1 2 3 4 bogus_keyword\n"
                            "EMIT_TYPE swirl PARTICLE_SYSTEM_SOURCE_BLEND srcalpha RENDER_TYPE FANCY\n",
                            record);
    EXPECT_NE(out.find("ERROR: 2 is not a valid particle attribute\n"), std::string::npos);
    EXPECT_NE(out.find("ERROR: bogus_keyword is not a valid particle attribute\n"), std::string::npos);
    EXPECT_NE(out.find("ERROR: FANCY unknown renderer type\n"), std::string::npos);
    EXPECT_EQ(record.speed, 0.0f);
    EXPECT_EQ(record.size, 3.0f);  // read as far as it is a number
    // LIFETIME took "COLOR" as its value; the colour values then stood as keywords.
    EXPECT_EQ(record.lifetime, 0.0f);
    EXPECT_NE(out.find("ERROR: 4 is not a valid particle attribute\n"), std::string::npos);
    EXPECT_EQ(record.emitType, EMIT_POINT);
    EXPECT_EQ(record.sourceBlend, 5);
    EXPECT_EQ(record.effectId, -1);  // set before the first keyword
}

TEST(ParticleParser, OneDefinitionEndsAtItsEndMarker)
{
    ParticleParser parser;
    ParticleSystem record;
    char* rest = nullptr;
    Parse(parser, "PARTICLE first SIZE 1 END_PARTICLE ignored PARTICLE second SIZE 2 END_PARTICLE", record, &rest);
    EXPECT_STREQ(record.name, "first");
    EXPECT_EQ(record.size, 1.0f);
    ASSERT_NE(rest, nullptr);
    EXPECT_EQ(std::string(rest).find("PARTICLE second"), 0u);

    ParticleSystem other;
    Parse(parser, "PARTICLE a SIZE 5 END_OF_FILE SIZE 6", other, &rest);
    EXPECT_EQ(other.size, 5.0f);
    EXPECT_EQ(rest, nullptr);
    Parse(parser, "SIZE 7", other, &rest);
    EXPECT_EQ(rest, nullptr);

    ParticleSystem named;
    Parse(parser, "PARTICLE " + std::string(300, 'n'), named);
    EXPECT_EQ(std::string(named.name), std::string(127, 'n'));
}

TEST(ParticleParser, LoadsFilesAndTheTextureList)
{
    std::string folder = MakeTempFolder("particles");
    ASSERT_TRUE(WriteTextFile(folder + "/glow.txt", "PARTICLE glow\r\nSIZE 4\r\nEND_PARTICLE\r\n"));
    ParticleParser parser;
    ParticleSystem record;
    testing::internal::CaptureStdout();
    EXPECT_TRUE(parser.LoadFile((folder + "/glow.txt").c_str(), &record));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_STREQ(record.name, "glow");
    EXPECT_EQ(record.size, 4.0f);
    ParticleSystem untouched;
    EXPECT_FALSE(parser.LoadFile((folder + "/missing.txt").c_str(), &untouched));
    EXPECT_EQ(untouched.effectId, 0);

    // The shipped list names the particle textures by file name.
    ASSERT_GT(parser.textureList.count, 0);
    EXPECT_STREQ(parser.textureList.head->value.name, "particle");
    EXPECT_EQ(parser.textureList.head->value.index, 0);
}

}  // namespace
