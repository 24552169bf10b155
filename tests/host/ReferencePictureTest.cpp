// The reference-picture check bites: a real reference altered in a small region fails and is
// written out with a picture of its differences, while changes within the tolerance pass.
#include "tests/support/ReferencePicture.h"
#include "tests/support/Scoped.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

uint32_t Brighter(uint32_t c, int by)
{
    uint32_t out = c & 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) out |= (uint32_t)std::min(255, (int)((c >> shift) & 0xFF) + by) << shift;
    return out;
}

}  // namespace

TEST(ReferencePicture, AChangedRegionFailsAndIsWrittenWithItsDifferences)
{
    ScopedEnv noUpdates("VELDMARK_UPDATE_REFERENCES", nullptr);  // never make an altered picture the reference
    const std::string name = "demo_frame";
    const Pixels reference = LoadReference(name);
    ASSERT_FALSE(reference.argb.empty()) << ReferencePath(name);
    EXPECT_TRUE(MatchesReference(reference, name));

    // A 6 x 4 block of the picture, repainted.
    const int x0 = 40, y0 = 40, x1 = 46, y1 = 44, block = (x1 - x0) * (y1 - y0);
    struct Case {
        const char* change;
        int brighten;   // added to every channel inside the block (or everywhere when whole)
        bool whole;
        PictureTolerance tolerance;
        bool matches;
    } cases[] = {
        {"every pixel 2 brighter", 2, true, {}, true},
        {"every pixel 3 brighter", 3, true, {3, 0}, true},
        {"the block 3 brighter", 3, false, {}, false},
        {"the block repainted", 128, false, {}, false},
        {"the block repainted, as many pixels allowed", 128, false, {2, block}, true},
        {"the block repainted, one pixel fewer allowed", 128, false, {2, block - 1}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.change);
        Pixels altered = reference;
        for (int y = 0; y < altered.height; ++y)
            for (int x = 0; x < altered.width; ++x)
                if (c.whole || (x >= x0 && x < x1 && y >= y0 && y < y1))
                    altered.argb[(size_t)y * altered.width + x] = Brighter(altered.At(x, y), c.brighten);
        ::testing::AssertionResult result = MatchesReference(altered, name, c.tolerance);
        EXPECT_EQ(bool(result), c.matches) << result.message();
        if (result) continue;

        // The picture as it was drawn, and its differences: red where it differs, only there.
        std::string picturePath = TestPictureFolder() + "/" + name + ".png";
        std::string diffPath = TestPictureFolder() + "/" + name + "-diff.png";
        EXPECT_NE(std::string(result.message()).find(diffPath), std::string::npos) << result.message();
        EXPECT_EQ(ReadPicture(picturePath).argb, altered.argb);
        Pixels diff = ReadPicture(diffPath);
        ASSERT_EQ(diff.width, reference.width);
        int red = 0, redInside = 0;
        for (int y = 0; y < diff.height; ++y)
            for (int x = 0; x < diff.width; ++x) {
                if (diff.At(x, y) != 0xFFFF0000u) continue;
                ++red;
                redInside += x >= x0 && x < x1 && y >= y0 && y < y1;
            }
        EXPECT_EQ(red, block);
        EXPECT_EQ(redInside, block);
        remove(picturePath.c_str());
        remove(diffPath.c_str());
    }
}
