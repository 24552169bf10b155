// The information screens' pictures, in the GUI's one look (dark steel, deep blue, lit from the
// upper left): the charcoal backing of texts, the four factions' crests in a row, and the
// mission givers' pictures, each a bust against its faction's colour.
#include "content/texgen/Noise.h"
#include "content/texgen/Paintings.h"
#include "content/texgen/Shapes.h"

namespace {

// The factions in crest order: guild, military, corporate, science.
const uint32_t FactionColours[4] = {0xC8962E, 0x6E7F3A, 0x3C78B4, 0x3FA39A};

void PaintCrest(Canvas& c, float x0, float size, Colour colour, int emblem)
{
    const float m = size * 0.1f;
    Shape shield = Polygon({{x0 + m, m},
                            {x0 + size - m, m},
                            {x0 + size - m, size * 0.55f},
                            {x0 + size * 0.5f, size - m},
                            {x0 + m, size * 0.55f}});
    Plane field = ShapeField(c.Width(), c.Height(), shield);
    FillLayer(c, field, colour);
    BevelLayer(c, field, size * 0.08f, 0.5f);
    OutlineLayer(c, field, 2.0f, Hex(0x0B0F14));
    const Vec2 centre{x0 + size * 0.5f, size * 0.42f};
    Shape mark = emblem == 0   ? Circle(centre, size * 0.14f)
                 : emblem == 1 ? Polygon({{centre.x, centre.y - size * 0.18f},
                                          {centre.x + size * 0.16f, centre.y + size * 0.12f},
                                          {centre.x - size * 0.16f, centre.y + size * 0.12f}})
                 : emblem == 2 ? RoundedBox({centre.x - size * 0.14f, centre.y - size * 0.14f},
                                            {centre.x + size * 0.14f, centre.y + size * 0.14f}, size * 0.03f)
                               : Ring(centre, size * 0.13f, size * 0.05f);
    Plane markField = ShapeField(c.Width(), c.Height(), mark);
    FillLayer(c, markField, Hex(0xE8EEF4));
    BevelLayer(c, markField, size * 0.03f, 0.4f);
}

// A giver's picture: a bust in shadow before a backdrop of the faction's colour.
void PaintGiver(Canvas& c, uint32_t colour, float shade)
{
    const float w = (float)c.Width(), h = (float)c.Height();
    const Colour back = Hex(colour);
    c.Fill(Scale(back, 0.25f * shade));
    FillLayer(c, ShapeField(c.Width(), c.Height(), RoundedBox({0, 0}, {w, h}, 0)),
              [&](float, float v) { return Scale(back, (0.65f - 0.4f * v) * shade); });
    Shape bust = Union(Circle({w * 0.5f, h * 0.4f}, w * 0.17f),
                       RoundedBox({w * 0.2f, h * 0.62f}, {w * 0.8f, h * 1.1f}, w * 0.18f));
    Plane field = ShapeField(c.Width(), c.Height(), bust);
    FillLayer(c, field, Hex(0x10161E));
    GlowLayer(c, field, w * 0.06f, WithAlpha(Scale(back, 1.2f), 0.6f));
}

}  // namespace

bool PaintCrests(Canvas& c)
{
    c.Fill(WithAlpha(Hex(0x000000), 0.0f));
    const float size = (float)c.Height();
    for (int i = 0; i < 4; ++i) PaintCrest(c, i * size, size, Hex(FactionColours[i]), i);
    return true;
}

bool PaintGuildBack(Canvas& c)
{
    PaintGiver(c, FactionColours[0], 1.0f);
    return true;
}

bool PaintMilitaryBack(Canvas& c)
{
    PaintGiver(c, FactionColours[1], 1.0f);
    return true;
}

bool PaintCorporateBack(Canvas& c)
{
    PaintGiver(c, FactionColours[2], 1.0f);
    return true;
}

bool PaintCorporate2Back(Canvas& c)
{
    PaintGiver(c, FactionColours[2], 0.7f);
    return true;
}

bool PaintScienceBack(Canvas& c)
{
    PaintGiver(c, FactionColours[3], 1.0f);
    return true;
}

// The two endings' pictures: deep space with a ringed world, and a scavenger camp burning out
// under a red sky.
bool PaintEndSpace(Canvas& c)
{
    const int w = (int)c.Width(), h = (int)c.Height();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const float u = (float)x / w, v = (float)y / h;
            const float nebula = Fbm(u, v, 4, 5, 611);
            Colour sky = Mix(Hex(0x03060C), Hex(0x1C2E55), nebula * nebula);
            if (HashUnit(x, y, 612) > 0.996f) sky = Mix(sky, Hex(0xE8F0FF), 0.6f + 0.4f * HashUnit(x, y, 613));
            c.At((uint32_t)x, (uint32_t)y) = sky;
        }
    const float fw = (float)w, fh = (float)h;
    Plane planet = ShapeField(c.Width(), c.Height(), Circle({fw * 0.68f, fh * 0.62f}, fh * 0.3f));
    FillLayer(c, planet, [](float u, float v) { return Mix(Hex(0x3C78B4), Hex(0x0C1A2A), 0.4f * u + 0.6f * v); });
    GlowLayer(c, planet, fh * 0.05f, WithAlpha(Hex(0x5C9BDB), 0.5f));
    Plane ring = ShapeField(c.Width(), c.Height(), Ring({fw * 0.68f, fh * 0.62f}, fh * 0.42f, fh * 0.015f));
    FillLayer(c, ring, WithAlpha(Hex(0xB8C8DA), 0.7f));
    return true;
}

bool PaintEndScavengers(Canvas& c)
{
    const int w = (int)c.Width(), h = (int)c.Height();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const float u = (float)x / w, v = (float)y / h;
            const float smoke = Fbm(u, v, 4, 5, 621);
            c.At((uint32_t)x, (uint32_t)y) = Mix(Hex(0x5A1A0C), Hex(0x120806), v * 0.8f + smoke * 0.3f);
        }
    const float fw = (float)w, fh = (float)h;
    // The camp's wrecked towers on the horizon.
    Shape ground = RoundedBox({-10.0f, fh * 0.72f}, {fw + 10.0f, fh + 10.0f}, 0.0f);
    for (int i = 0; i < 6; ++i) {
        const float x = fw * (0.08f + 0.16f * i), top = fh * (0.38f + 0.2f * HashUnit(i, 0, 622));
        ground = Union(ground, Polygon({{x, fh * 0.75f}, {x + fw * 0.02f, top}, {x + fw * 0.06f, top + fh * 0.05f},
                                        {x + fw * 0.08f, fh * 0.75f}}));
    }
    Plane field = ShapeField(c.Width(), c.Height(), ground);
    FillLayer(c, field, Hex(0x0A0706));
    GlowLayer(c, field, fh * 0.03f, WithAlpha(Hex(0xE0702A), 0.5f));
    return true;
}
