// The particle textures look like what their names promise: soft shapes that fade out well
// inside their square, white (or grey) so the definitions can colour them, except the flame
// with its own warm colours.
#include "content/texgen/TextureBuild.h"
#include "content/texgen/TextureTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>

namespace {

struct Painted {
    Canvas canvas;
    // Alpha at a point given from the centre, x right and y down, -1..1 across the texture.
    float AlphaAt(float x, float y) const
    {
        uint32_t px = std::min(canvas.Width() - 1, (uint32_t)((x + 1.0f) * 0.5f * canvas.Width()));
        uint32_t py = std::min(canvas.Height() - 1, (uint32_t)((y + 1.0f) * 0.5f * canvas.Height()));
        return canvas.At(px, py).a;
    }
    // Width and height of the part at least this opaque.
    void Extent(float alpha, int* width, int* height) const
    {
        int left = (int)canvas.Width(), right = -1, top = (int)canvas.Height(), bottom = -1;
        for (uint32_t y = 0; y < canvas.Height(); ++y)
            for (uint32_t x = 0; x < canvas.Width(); ++x)
                if (canvas.At(x, y).a >= alpha) {
                    left = std::min(left, (int)x);
                    right = std::max(right, (int)x);
                    top = std::min(top, (int)y);
                    bottom = std::max(bottom, (int)y);
                }
        *width = right - left + 1;
        *height = bottom - top + 1;
    }
};

Painted Paint(const char* fileName)
{
    Painted out;
    for (const TextureRecipe& recipe : TextureRecipes()) {
        if (FileNameOf(recipe.path) == fileName) {
            EXPECT_TRUE(PaintRecipe(recipe, out.canvas)) << fileName;
        }
    }
    EXPECT_GT(out.canvas.Width(), 0u) << fileName << " is not in the texture table";
    return out;
}

TEST(ParticleTextures, EachIsTheShapeItIsNamedFor)
{
    const struct {
        const char* file;
        bool white;  // coloured by the definitions
        std::function<void(const Painted&)> shape;
    } cases[] = {
        {"smoke.dds", true,
         [](const Painted& p) {
             EXPECT_GT(p.AlphaAt(0, 0), 0.4f);  // a filled puff, not a ring
             int w, h;
             p.Extent(0.1f, &w, &h);
             EXPECT_GT(w, (int)p.canvas.Width() / 2);
             EXPECT_LT(std::abs(w - h), (int)p.canvas.Width() / 4);  // round, give or take its lumps
         }},
        {"spark.dds", true,
         [](const Painted& p) {
             int w, h;
             p.Extent(0.3f, &w, &h);
             EXPECT_LE(w * 6, h);  // a thin streak
         }},
        {"flame.dds", false,
         [](const Painted& p) {
             int w, h;
             p.Extent(0.3f, &w, &h);
             EXPECT_GT(h, w);  // a tongue, standing up
             EXPECT_GT(p.AlphaAt(0, 0.2f), p.AlphaAt(0, -0.7f));  // full at the base, thin at the tip
         }},
        {"ring.dds", true,
         [](const Painted& p) {
             EXPECT_LT(p.AlphaAt(0, 0), 0.1f);
             for (float angle = 0.0f; angle < 6.28f; angle += 0.5f)
                 EXPECT_GT(p.AlphaAt(0.68f * std::cos(angle), 0.68f * std::sin(angle)), 0.8f) << angle;
         }},
        {"snowflake.dds", true,
         [](const Painted& p) {
             // Six arms, and gaps between them.
             for (int k = 0; k < 6; ++k) {
                 float arm = 1.0471976f * k - 1.5707963f, gap = arm + 0.5235988f;
                 EXPECT_GT(p.AlphaAt(0.3f * std::cos(arm), 0.3f * std::sin(arm)), 0.8f) << k;
                 EXPECT_LT(p.AlphaAt(0.3f * std::cos(gap), 0.3f * std::sin(gap)), 0.5f) << k;
             }
         }},
        {"star.dds", true,
         [](const Painted& p) {
             EXPECT_GT(p.AlphaAt(0, 0), 0.95f);
             // Rays along the axes reach far beyond the glow along the diagonals.
             for (float d : {0.5f, -0.5f}) {
                 EXPECT_GT(p.AlphaAt(d, 0), 4.0f * p.AlphaAt(d * 0.7071f, d * 0.7071f));
                 EXPECT_GT(p.AlphaAt(0, d), 4.0f * p.AlphaAt(d * 0.7071f, d * 0.7071f));
             }
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        Painted p = Paint(c.file);
        const Canvas& canvas = p.canvas;
        if (canvas.Width() == 0) continue;
        float most = 0.0f, border = 0.0f;
        bool warm = false;
        for (uint32_t y = 0; y < canvas.Height(); ++y)
            for (uint32_t x = 0; x < canvas.Width(); ++x) {
                const Colour& k = canvas.At(x, y);
                most = std::max(most, k.a);
                if (x == 0 || y == 0 || x == canvas.Width() - 1 || y == canvas.Height() - 1) border = std::max(border, k.a);
                if (k.a < 0.5f) continue;
                if (c.white) {
                    ASSERT_GT(k.r, 0.55f) << x << "," << y;
                    ASSERT_LT(std::fabs(k.r - k.g) + std::fabs(k.g - k.b), 0.02f) << x << "," << y;
                } else {
                    ASSERT_TRUE(k.r >= k.g && k.g >= k.b) << x << "," << y;
                    warm = warm || (k.r > 0.9f && k.g < 0.7f);
                }
            }
        EXPECT_GT(most, 0.8f);
        EXPECT_LT(border, 0.02f);  // nothing reaches the quad's edge
        if (!c.white) {
            EXPECT_TRUE(warm) << "no orange";
        }
        c.shape(p);
    }
}

}  // namespace
