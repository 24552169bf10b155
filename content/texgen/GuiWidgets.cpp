// The GUI toolkit's pictures: window frames and panels, button faces and sheets, highlights,
// the progress fill, text boxes, scroll lists and file icons, in one look: dark steel and deep blue, lit from the upper left, with a blue
// accent line. Frames are drawn as three by three pictures: the outer third of each side is
// the border (corners whole, edges stretched from the middle fifth), so every detail of a
// border stays inside that band and is at least a few pixels wide, to survive being shrunk to
// the six to ten pixels a border gets on screens from 800 x 600 to 1280 x 1024.
#include "content/texgen/Noise.h"
#include "content/texgen/Paintings.h"
#include "content/texgen/Shapes.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

// The palette.
const Colour Ink = Hex(0x06090D);
const Colour SteelBlue = Hex(0x2F5A86);
const Colour Accent = Hex(0x5C9BDB);
const Colour Graphite = Hex(0x171B21);
const Colour DeepBlue = Hex(0x10233A);
const Colour Interior = Hex(0x1A2431);
const Colour DarkGrey = Hex(0x272A2F);

// Light from the upper left on a surface whose outward side faces (nx, ny): 1 facing the
// light, -1 facing away.
float Facing(float nx, float ny)
{
    float length = std::sqrt(nx * nx + ny * ny);
    if (length <= 1e-6f) return 0.0f;
    return (-nx - ny) * 0.7071f / length;
}

// Brightens towards white (k > 0) or darkens (k < 0).
Colour Lit(Colour c, float k)
{
    if (k >= 0) return {Lerp(c.r, 1.0f, k), Lerp(c.g, 1.0f, k), Lerp(c.b, 1.0f, k), c.a};
    return Scale(c, 1.0f + k);
}

// How a frame's border looks across its width, from the outer edge inwards, in pixels of the
// picture; past `rim` lies the inside (transparent, or the interior colour).
struct FrameStyle {
    Colour metal;
    Colour accent;
    float rim;           // border width
    float corner;        // radius of the outer corners
    Colour inside;       // alpha 0 for a frame around a panel's own background
    float accentAt;      // depth of the accent line (0: none)
};

void PaintFrame(Canvas& c, const FrameStyle& style)
{
    const float w = (float)c.Width(), h = (float)c.Height();
    Shape box = RoundedBox({0.0f, 0.0f}, {w, h}, style.corner);
    Plane field = ShapeField(c.Width(), c.Height(), box);
    for (uint32_t y = 0; y < c.Height(); y++) {
        for (uint32_t x = 0; x < c.Width(); x++) {
            float d = field.At(x, y);
            float depth = -d;
            float coverage = Clamp01(0.5f - d);
            if (coverage <= 0) continue;
            float nx = field.Clamped((int)x + 1, (int)y) - field.Clamped((int)x - 1, (int)y);
            float ny = field.Clamped((int)x, (int)y + 1) - field.Clamped((int)x, (int)y - 1);
            float facing = Facing(nx, ny);
            Colour colour;
            if (depth < 2.0f) {
                colour = Ink;
            } else if (depth < style.rim - 2.0f) {
                // Raised metal: bright on the lit sides, falling off towards the inside.
                float t = (depth - 2.0f) / std::max(1.0f, style.rim - 4.0f);
                colour = Lit(style.metal, facing * 0.45f * (1.0f - t) + 0.05f);
                if (style.accentAt > 0 && std::fabs(depth - style.accentAt) < 1.5f) colour = style.accent;
            } else if (depth < style.rim) {
                // The inner lip, in shadow on the lit sides (the border stands above the inside).
                colour = Lit(Scale(style.metal, 0.55f), -facing * 0.3f);
            } else {
                colour = style.inside;
                if (colour.a <= 0) continue;
            }
            c.Blend(x, y, colour, coverage);
        }
    }
}

// A button face: a rounded plate with a vertical gradient, raised or sunken.
void PaintFace(Canvas& c, Colour top, Colour bottom, bool sunken)
{
    const float w = (float)c.Width(), h = (float)c.Height();
    Plane plate = ShapeField(c.Width(), c.Height(), RoundedBox({1.0f, 1.0f}, {w - 1.0f, h - 1.0f}, h * 0.16f));
    FillLayer(c, plate, [&](float, float v) { return Mix(top, bottom, Smoothstep(0.0f, 1.0f, v)); });
    BevelLayer(c, plate, h * 0.12f, sunken ? -0.35f : 0.4f);
    OutlineLayer(c, plate, 2.5f, Ink);
    // A faint line of light along the top of a raised face.
    if (!sunken) {
        Plane gloss = ShapeField(c.Width(), c.Height(),
                                 Segment({h * 0.3f, h * 0.2f}, {w - h * 0.3f, h * 0.2f}, std::max(1.5f, h * 0.03f)));
        FillLayer(c, gloss, Rgba(1.0f, 1.0f, 1.0f, 0.12f));
    }
}

// A tile that repeats without seams: a base colour with soft mottling and a hairline along its
// top and left edges, which the tiling turns into a faint grid.
void PaintTile(Canvas& c, Colour base, Colour line, float alpha, uint32_t seed)
{
    c.Paint([&](float u, float v) {
        float mottle = Fbm(u, v, 4, 3, seed);
        Colour colour = Scale(base, 0.9f + 0.2f * mottle);
        return WithAlpha(colour, alpha);
    });
    for (uint32_t i = 0; i < c.Width(); i++) c.Blend(i, 0, line, 0.8f);
    for (uint32_t i = 1; i < c.Height(); i++) c.Blend(0, i, line, 0.8f);
}

}  // namespace

bool PaintGuiBlack(Canvas& c)
{
    c.Fill(Rgb(0.0f, 0.0f, 0.0f));
    return true;
}

bool PaintGuiTransparent(Canvas& c)
{
    c.Fill(Rgba(0.0f, 0.0f, 0.0f, 0.0f));
    return true;
}

// The frame of windows built with no picture of their own. Its rim is narrow, because a window
// without border quads shows this picture whole over its rectangle.
bool PaintGuiFrame(Canvas& c)
{
    PaintFrame(c, {Hex(0x34475C), Accent, 9.0f, 6.0f, WithAlpha(Interior, 0.94f), 0.0f});
    return true;
}

// The inside of a bordered window, the same colour as the default frame's inside.
bool PaintGuiCentre(Canvas& c)
{
    c.Paint([](float u, float v) {
        float shade = 1.04f - 0.1f * v + 0.03f * (Fbm(u, v, 2, 2, 911) - 0.5f);
        return WithAlpha(Scale(Interior, shade), 0.94f);
    });
    return true;
}

// The narrow strip right of a window's inside: a gutter with a groove down its middle.
bool PaintGuiExtra(Canvas& c)
{
    const float w = (float)c.Width(), h = (float)c.Height();
    c.Fill(WithAlpha(Scale(Interior, 0.8f), 0.94f));
    Plane groove = ShapeField(c.Width(), c.Height(), RoundedBox({w * 0.3f, 2.0f}, {w * 0.7f, h - 2.0f}, w * 0.2f));
    FillLayer(c, groove, Scale(Interior, 0.45f));
    BevelLayer(c, groove, w * 0.15f, -0.35f);
    return true;
}

bool PaintPanelBlue(Canvas& c)
{
    PaintTile(c, DeepBlue, Hex(0x1C3A5A), 0.95f, 921);
    return true;
}

bool PaintSolidDarkGrey(Canvas& c)
{
    PaintTile(c, DarkGrey, Hex(0x33373D), 1.0f, 922);
    return true;
}

// The borders of the panels (their own background fills the inside): wide steel blue with the
// accent line, and graphite with a blue line.
bool PaintFrameBlue(Canvas& c)
{
    float rim = c.Width() * 0.33f;
    PaintFrame(c, {SteelBlue, Accent, rim, 6.0f, Rgba(0, 0, 0, 0), rim * 0.55f});
    return true;
}

bool PaintFrameBlack(Canvas& c)
{
    float rim = c.Width() * 0.33f;
    PaintFrame(c, {Graphite, SteelBlue, rim, 6.0f, Rgba(0, 0, 0, 0), rim * 0.55f});
    return true;
}

bool PaintButtonUnpressed(Canvas& c)
{
    PaintFace(c, Hex(0x4A6684), Hex(0x223346), false);
    return true;
}

bool PaintButtonPressed(Canvas& c)
{
    PaintFace(c, Hex(0x18253A), Hex(0x34506E), true);
    return true;
}

// Laid over a button under the pointer: a blue glow with a bright rim, see-through enough for
// the face and the text to stay readable.
bool PaintHighlightBlue(Canvas& c)
{
    const float w = (float)c.Width(), h = (float)c.Height();
    Plane plate = ShapeField(c.Width(), c.Height(), RoundedBox({2.0f, 2.0f}, {w - 2.0f, h - 2.0f}, h * 0.16f));
    FillLayer(c, plate, [](float, float v) { return Rgba(0.3f, 0.58f, 1.0f, 0.30f - 0.14f * v); });
    OutlineLayer(c, plate, 3.0f, Rgba(0.45f, 0.72f, 1.0f, 0.85f));
    return true;
}

// The meters' fill, white so that each meter tints it: a glossy band above, a deeper tone
// below, and slanted stripes that drift when the fill is animated. Tiles across.
bool PaintProgressBar(Canvas& c)
{
    const float w = (float)c.Width(), h = (float)c.Height();
    c.Paint([=](float u, float v) {
        float shade = v < 0.45f ? 1.0f - 0.15f * v : 0.86f - 0.3f * (v - 0.45f);
        float stripe = std::fmod(u * w + v * h, w / 4.0f) < w / 8.0f ? 0.92f : 1.0f;
        return Scale(Rgb(1.0f, 1.0f, 1.0f), shade * stripe);
    });
    return true;
}

// ---- The text boxes, lists and dialogs

namespace {

// A sheet of `rows` cells one above the other (the 1 x 3 button sheets): cell i is painted on
// its own canvas of the rows it covers, so nothing of one cell spills into the next.
void PaintColumnSheet(Canvas& c, int rows, const std::function<void(Canvas&, int)>& paint)
{
    for (int i = 0; i < rows; i++) {
        uint32_t top = c.Height() * (uint32_t)i / (uint32_t)rows;
        uint32_t bottom = c.Height() * (uint32_t)(i + 1) / (uint32_t)rows;
        Canvas cell(c.Width(), bottom - top, Rgba(0, 0, 0, 0));
        paint(cell, i);
        c.Draw(cell, 0, (int)top);
    }
}

// The lit cell laid over a button under the pointer: the highlight's glow in the face's shape.
void PaintFaceGlow(Canvas& c, Colour glow)
{
    const float w = (float)c.Width(), h = (float)c.Height();
    Plane plate = ShapeField(c.Width(), c.Height(), RoundedBox({2.0f, 2.0f}, {w - 2.0f, h - 2.0f}, h * 0.16f));
    FillLayer(c, plate, [&](float, float v) { return WithAlpha(glow, 0.32f - 0.16f * v); });
    OutlineLayer(c, plate, 3.0f, WithAlpha(Lit(glow, 0.3f), 0.85f));
}

// A field sunk into the panel: dark inside, its rim in the given colour.
void PaintField(Canvas& c, Colour inside, Colour rim, float glow)
{
    const float w = (float)c.Width(), h = (float)c.Height();
    Plane field = ShapeField(c.Width(), c.Height(), RoundedBox({1.0f, 1.0f}, {w - 1.0f, h - 1.0f}, h * 0.18f));
    FillLayer(c, field, [&](float, float v) { return Scale(inside, 0.8f + 0.35f * v); });
    BevelLayer(c, field, h * 0.15f, -0.4f);
    OutlineLayer(c, field, 2.0f, rim);
    if (glow > 0) {
        Plane inner = ShapeField(c.Width(), c.Height(), RoundedBox({4.0f, 4.0f}, {w - 4.0f, h - 4.0f}, h * 0.12f));
        OutlineLayer(c, inner, 1.5f, WithAlpha(Accent, glow));
    }
}

// A square plate for the small buttons (arrows, the scroll thumb), raised from the panel.
void PaintPlate(Canvas& c, Colour face, float lit)
{
    const float w = (float)c.Width(), h = (float)c.Height();
    Plane plate = ShapeField(c.Width(), c.Height(), RoundedBox({1.0f, 1.0f}, {w - 1.0f, h - 1.0f}, std::min(w, h) * 0.2f));
    FillLayer(c, plate, [&](float, float v) { return Lit(face, lit + 0.15f - 0.3f * v); });
    BevelLayer(c, plate, std::min(w, h) * 0.14f, 0.4f);
    OutlineLayer(c, plate, 2.0f, Ink);
}

// An arrow head pointing up or down, centred in the canvas.
void PaintArrow(Canvas& c, bool up, Colour colour)
{
    const float w = (float)c.Width(), h = (float)c.Height();
    float tip = up ? h * 0.3f : h * 0.7f, base = up ? h * 0.66f : h * 0.34f;
    Plane arrow = ShapeField(c.Width(), c.Height(), Polygon({{w * 0.5f, tip}, {w * 0.76f, base}, {w * 0.24f, base}}));
    FillLayer(c, arrow, colour);
    OutlineLayer(c, arrow, 1.5f, WithAlpha(Ink, 0.7f));
}

}  // namespace

// The button sheet: the lit picture laid over a button under the pointer on top, the face below
// it, the pressed face at the bottom.
bool PaintButtonSheet(Canvas& c)
{
    PaintColumnSheet(c, 3, [](Canvas& cell, int row) {
        if (row == 0) PaintFaceGlow(cell, Rgb(0.3f, 0.58f, 1.0f));
        if (row == 1) PaintFace(cell, Hex(0x4A6684), Hex(0x223346), false);
        if (row == 2) PaintFace(cell, Hex(0x18253A), Hex(0x34506E), true);
    });
    return true;
}

// The same sheet in graphite, for the quick slots under their items' pictures.
bool PaintButtonBlack(Canvas& c)
{
    PaintColumnSheet(c, 3, [](Canvas& cell, int row) {
        if (row == 0) PaintFaceGlow(cell, Rgb(0.3f, 0.58f, 1.0f));
        if (row == 1) PaintFace(cell, Hex(0x2A2E34), Hex(0x0C0E11), false);
        if (row == 2) PaintFace(cell, Hex(0x08090B), Hex(0x1E2227), true);
    });
    return true;
}

// The same sheet in red, for the buttons that cancel or refuse.
bool PaintButtonRed(Canvas& c)
{
    PaintColumnSheet(c, 3, [](Canvas& cell, int row) {
        if (row == 0) PaintFaceGlow(cell, Rgb(1.0f, 0.45f, 0.35f));
        if (row == 1) PaintFace(cell, Hex(0xA23A2E), Hex(0x521812), false);
        if (row == 2) PaintFace(cell, Hex(0x3E120D), Hex(0x7A2A20), true);
    });
    return true;
}

bool PaintEditBoxFocus(Canvas& c)
{
    PaintField(c, Hex(0x0C1826), Accent, 0.45f);
    return true;
}

bool PaintEditBoxNoFocus(Canvas& c)
{
    PaintField(c, Hex(0x0D1117), Hex(0x34475C), 0.0f);
    return true;
}

// The value box of the options' spinners: a dark field with a quiet rim.
bool PaintTextEntryBackground(Canvas& c)
{
    PaintField(c, Hex(0x0A121C), Hex(0x2E4258), 0.0f);
    return true;
}

// The chosen row of a list: a soft blue bar.
bool PaintNiceBlue(Canvas& c)
{
    PaintField(c, Hex(0x1E4A7A), Accent, 0.3f);
    return true;
}

// A check box in three rows: the glow under the pointer, the empty box, the ticked box.
bool PaintCheckBox(Canvas& c)
{
    PaintColumnSheet(c, 3, [](Canvas& cell, int row) {
        const float w = (float)cell.Width(), h = (float)cell.Height();
        if (row == 0) {
            PaintFaceGlow(cell, Rgb(0.3f, 0.58f, 1.0f));
            return;
        }
        PaintField(cell, Hex(0x0C1826), Hex(0x4A6684), 0.0f);
        if (row == 2) {
            Shape tick = Union(Segment({w * 0.22f, h * 0.52f}, {w * 0.42f, h * 0.74f}, h * 0.1f),
                               Segment({w * 0.42f, h * 0.74f}, {w * 0.8f, h * 0.26f}, h * 0.1f));
            Plane field = ShapeField(cell.Width(), cell.Height(), tick);
            GlowLayer(cell, field, 2.0f, WithAlpha(Accent, 0.5f));
            FillLayer(cell, field, Hex(0xD0E0FF));
        }
    });
    return true;
}

// The caret: a light blue bar, stretched to its width.
bool PaintEditBoxCursor(Canvas& c)
{
    c.Fill(Lit(Accent, 0.45f));
    return true;
}

// Two columns of arrows, up on the left and down on the right; the top row is lit (under the
// pointer), the bottom row as the arrows stand.
bool PaintArrowsUpDown(Canvas& c)
{
    const uint32_t cw = c.Width() / 2, ch = c.Height() / 2;
    for (int column = 0; column < 2; column++) {
        for (int row = 0; row < 2; row++) {
            Canvas cell(cw, ch, Rgba(0, 0, 0, 0));
            bool lit = row == 0;
            PaintPlate(cell, lit ? Hex(0x3D6A98) : SteelBlue, lit ? 0.1f : -0.1f);
            PaintArrow(cell, column == 0, lit ? Lit(Accent, 0.6f) : Lit(Accent, 0.2f));
            c.Draw(cell, (int)(cw * column), (int)(ch * row));
        }
    }
    return true;
}

// The scroll track: a groove, darker towards its sides.
bool PaintSolidGrey(Canvas& c)
{
    c.Paint([](float u, float v) {
        float groove = 0.75f + 0.25f * std::sin(u * 3.14159265f);
        return Scale(Hex(0x3A3F47), groove * (0.97f + 0.06f * Fbm(u, v, 2, 2, 931)));
    });
    return true;
}

bool PaintSolidBlack(Canvas& c)
{
    c.Fill(Hex(0x07090C));
    return true;
}

bool PaintSolidBlue(Canvas& c)
{
    c.Fill(SteelBlue);
    return true;
}

// The scroll thumb: a raised plate with three grip lines across its middle.
bool PaintThumbScroll(Canvas& c)
{
    const float w = (float)c.Width(), h = (float)c.Height();
    PaintPlate(c, SteelBlue, 0.0f);
    for (int i = -1; i <= 1; i++) {
        float y = h * 0.5f + i * h * 0.09f;
        Plane grip = ShapeField(c.Width(), c.Height(), Segment({w * 0.28f, y}, {w * 0.72f, y}, 2.0f));
        FillLayer(c, grip, Lit(Accent, 0.25f));
    }
    return true;
}

// Laid over a list row under the pointer: a deep blue wash with a line along its bottom.
bool PaintHighlightDarkBlue(Canvas& c)
{
    const float w = (float)c.Width(), h = (float)c.Height();
    c.Paint([](float, float v) { return WithAlpha(Hex(0x1E4A7C), 0.45f + 0.15f * v); });
    Plane line = ShapeField(c.Width(), c.Height(), Segment({2.0f, h - 2.0f}, {w - 2.0f, h - 2.0f}, 2.0f));
    FillLayer(c, line, WithAlpha(Accent, 0.8f));
    return true;
}

// A list row's picture before there is one: a sunken square.
bool PaintEmptySlot(Canvas& c)
{
    const float w = (float)c.Width(), h = (float)c.Height();
    Plane slot = ShapeField(c.Width(), c.Height(), RoundedBox({3.0f, 3.0f}, {w - 3.0f, h - 3.0f}, w * 0.12f));
    FillLayer(c, slot, Hex(0x10151C));
    BevelLayer(c, slot, w * 0.1f, -0.45f);
    OutlineLayer(c, slot, 2.0f, Hex(0x2A3A4D));
    return true;
}

// A file: a sheet with its corner folded, lines of writing and a blue band.
bool PaintSaveFile(Canvas& c)
{
    const float w = (float)c.Width(), h = (float)c.Height();
    const float fold = w * 0.22f;
    Plane sheet = ShapeField(c.Width(), c.Height(),
                             Polygon({{w * 0.2f, h * 0.08f}, {w * 0.8f - fold, h * 0.08f}, {w * 0.8f, h * 0.08f + fold},
                                      {w * 0.8f, h * 0.92f}, {w * 0.2f, h * 0.92f}}));
    FillLayer(c, sheet, [](float, float v) { return Lit(Hex(0xB8C7D8), -0.25f * v); });
    BevelLayer(c, sheet, w * 0.04f, 0.3f);
    Plane corner = ShapeField(c.Width(), c.Height(),
                              Polygon({{w * 0.8f - fold, h * 0.08f}, {w * 0.8f, h * 0.08f + fold}, {w * 0.8f - fold, h * 0.08f + fold}}));
    FillLayer(c, corner, Hex(0x7E8FA3));
    Plane band = ShapeField(c.Width(), c.Height(), RoundedBox({w * 0.2f, h * 0.36f}, {w * 0.8f, h * 0.48f}, 0.0f));
    FillLayer(c, band, SteelBlue);
    for (int i = 0; i < 3; i++) {
        float y = h * (0.6f + 0.1f * i);
        Plane line = ShapeField(c.Width(), c.Height(), Segment({w * 0.3f, y}, {w * (i == 2 ? 0.55f : 0.7f), y}, 2.0f));
        FillLayer(c, line, Hex(0x4B5866));
    }
    OutlineLayer(c, sheet, 2.0f, Ink);
    return true;
}

// The HUD's "Objectives" banner: a face in the accent blue with a thin gold rule along its
// foot, so it reads as a tab rather than a command button.
bool PaintMissionBanner(Canvas& c)
{
    PaintFace(c, Hex(0x3C6FA8), Hex(0x1A3152), false);
    const float h = (float)c.Height();
    FillLayer(c, ShapeField(c.Width(), c.Height(), RoundedBox({6.0f, h - 7.0f}, {(float)c.Width() - 6.0f, h - 5.0f}, 1.0f)),
              [](float, float) { return Rgb(0.95f, 0.78f, 0.32f); });
    return true;
}

// The planet panel's control marks, 4 x 4 cells of round badges: row 0 holds the galaxy map's
// controls (zoom in, zoom out, frame, orbits), column 1 of row 2 the check mark drawn after a
// completed objective. The other cells carry plain badges.
bool PaintPlanetControls(Canvas& c)
{
    c.Paint([](float u, float v) {
        float cu = u * 4.0f, cv = v * 4.0f;
        int column = (int)cu, row = (int)cv;
        float x = cu - column - 0.5f, y = cv - row - 0.5f;
        float radius = std::sqrt(x * x + y * y);
        if (radius > 0.44f) return Rgba(0.0f, 0.0f, 0.0f, 0.0f);
        if (column == 1 && row == 2) {
            // The tick: a short stroke down to the lower left, a long one up to the right.
            auto distance = [](float px, float py, float ax, float ay, float bx, float by) {
                float dx = bx - ax, dy = by - ay;
                float t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy);
                t = t < 0.0f ? 0.0f : t > 1.0f ? 1.0f : t;
                float ex = px - ax - t * dx, ey = py - ay - t * dy;
                return std::sqrt(ex * ex + ey * ey);
            };
            float stroke = std::min(distance(x, y, -0.22f, 0.0f, -0.06f, 0.18f), distance(x, y, -0.06f, 0.18f, 0.25f, -0.2f));
            if (stroke < 0.06f) return Rgb(0.55f, 1.0f, 0.6f);
            return Rgba(0.1f, 0.35f, 0.16f, radius > 0.4f ? 0.9f : 0.75f);
        }
        if (row == 0) {
            // The galaxy map's controls: zoom in, zoom out, frame the system, orbit lines.
            const float ax = std::fabs(x), ay = std::fabs(y);
            bool mark = false;
            if (column == 0) mark = (ax < 0.2f && ay < 0.05f) || (ay < 0.2f && ax < 0.05f);
            if (column == 1) mark = ax < 0.2f && ay < 0.05f;
            if (column == 2) {
                const bool corner = ax > 0.13f && ax < 0.24f && ay > 0.13f && ay < 0.24f;
                mark = corner && (ax > 0.19f || ay > 0.19f);
            }
            if (column == 3) {
                const float e = std::sqrt(x * x / 0.07f + y * y / 0.02f);
                mark = std::fabs(e - 1.0f) < 0.18f || radius < 0.06f;
            }
            if (mark) return Rgb(0.85f, 0.93f, 1.0f);
        }
        float shade = 0.55f - 0.4f * (y + 0.5f) * 0.5f;
        return Rgba(0.2f * shade, 0.45f * shade, 0.9f * shade, radius > 0.4f ? 0.95f : 0.8f);
    });
    return true;
}
