#pragma once
// The painting surfaces of the texture generator: a Canvas of straight (not premultiplied)
// RGBA floats and a Plane of single floats (masks, heights, distances). Both are top row
// first, like the images the game loads. Pixel (x, y) covers [x, x + 1) x [y, y + 1); its
// centre is (x + 0.5, y + 0.5), and u, v of the painting callbacks are that centre divided by
// the size, so a picture painted from u, v alone tiles when its pattern repeats over 0..1.
#include <cstdint>
#include <functional>
#include <vector>

struct Colour {
    float r = 0, g = 0, b = 0, a = 1;
};

inline Colour Rgb(float r, float g, float b) { return {r, g, b, 1.0f}; }
inline Colour Rgba(float r, float g, float b, float a) { return {r, g, b, a}; }
// 0xRRGGBB, opaque.
Colour Hex(uint32_t rgb);
// The same colour with another alpha.
inline Colour WithAlpha(Colour c, float a) { return {c.r, c.g, c.b, a}; }
Colour Mix(Colour a, Colour b, float t);  // every channel, alpha included
Colour Scale(Colour c, float k);          // colour channels only
float Clamp01(float v);
float Smoothstep(float edge0, float edge1, float v);
inline float Lerp(float a, float b, float t) { return a + (b - a) * t; }

class Plane {
public:
    Plane() = default;
    Plane(uint32_t width, uint32_t height, float value = 0.0f);

    uint32_t Width() const { return width_; }
    uint32_t Height() const { return height_; }
    float& At(uint32_t x, uint32_t y) { return values_[(size_t)y * width_ + x]; }
    float At(uint32_t x, uint32_t y) const { return values_[(size_t)y * width_ + x]; }
    // Coordinates outside the plane repeat (tiling) or stick to the edge (clamping).
    float Wrapped(int x, int y) const;
    float Clamped(int x, int y) const;
    std::vector<float>& Values() { return values_; }
    const std::vector<float>& Values() const { return values_; }

    void Paint(const std::function<float(float u, float v)>& value);
    // Box blur of the given radius in pixels, run `passes` times (three passes are close to a
    // Gaussian). Tiling planes blur across their edges.
    void Blur(int radius, int passes, bool tiling);

private:
    uint32_t width_ = 0;
    uint32_t height_ = 0;
    std::vector<float> values_;
};

class Canvas {
public:
    Canvas() = default;
    Canvas(uint32_t width, uint32_t height, Colour fill = Rgba(0, 0, 0, 0));

    uint32_t Width() const { return width_; }
    uint32_t Height() const { return height_; }
    Colour& At(uint32_t x, uint32_t y) { return pixels_[(size_t)y * width_ + x]; }
    const Colour& At(uint32_t x, uint32_t y) const { return pixels_[(size_t)y * width_ + x]; }
    const std::vector<Colour>& Pixels() const { return pixels_; }

    void Fill(Colour colour);
    // Sets every pixel from its texture coordinates.
    void Paint(const std::function<Colour(float u, float v)>& colour);
    // Lays `colour` over pixel (x, y) with the given coverage (0..1), the usual "over"
    // operation on straight alpha. Where the result is fully transparent the pixel keeps its
    // colour, so transparent borders carry the colour of what is next to them and filtering
    // never bleeds black into the edges of a picture.
    void Blend(uint32_t x, uint32_t y, Colour colour, float coverage);
    // Lays another canvas over this one with its top-left corner at (left, top).
    void Draw(const Canvas& layer, int left, int top);
    // Multiplies the colour channels by the plane's values (lighting, shading).
    void Modulate(const Plane& factor);

    // Half size, averaging 2 x 2 blocks with alpha weighting (odd sides keep their last
    // row/column). Sides of 1 stay 1.
    Canvas Halved() const;

private:
    uint32_t width_ = 0;
    uint32_t height_ = 0;
    std::vector<Colour> pixels_;
};
