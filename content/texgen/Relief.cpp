#include "content/texgen/Relief.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Stands for "no feature pixel on this line yet"; finite so the parabola maths stays finite.
constexpr float NoFeature = 1e20f;

// Squared distance transform of one line: the lower envelope of parabolas rooted at every
// pixel, f holding each pixel's own value (0 on features). Results go to d.
void DistanceLine(const std::vector<float>& f, std::vector<float>& d, std::vector<int>& v, std::vector<float>& z)
{
    const float inf = std::numeric_limits<float>::infinity();
    int n = (int)f.size();
    int k = 0;
    v[0] = 0;
    z[0] = -inf;
    z[1] = inf;
    auto meet = [&](int q, int p) { return ((f[q] + (float)q * q) - (f[p] + (float)p * p)) / (2.0f * (q - p)); };
    for (int q = 1; q < n; q++) {
        float s = meet(q, v[k]);
        while (s <= z[k]) {
            k--;
            s = meet(q, v[k]);
        }
        k++;
        v[k] = q;
        z[k] = s;
        z[k + 1] = inf;
    }
    k = 0;
    for (int q = 0; q < n; q++) {
        while (z[k + 1] < q) k++;
        float dq = (float)(q - v[k]);
        d[q] = dq * dq + f[v[k]];
    }
}

// Squared distance from every pixel to the nearest pixel on the chosen side of the mask.
std::vector<float> SquaredDistances(const Plane& coverage, bool toInside)
{
    uint32_t w = coverage.Width(), h = coverage.Height();
    std::vector<float> grid((size_t)w * h);
    for (size_t i = 0; i < grid.size(); i++) {
        bool inside = coverage.Values()[i] >= 0.5f;
        grid[i] = inside == toInside ? 0.0f : NoFeature;
    }
    uint32_t longest = std::max(w, h);
    std::vector<float> f, d;
    std::vector<int> v(longest);
    std::vector<float> z(longest + 1);
    for (uint32_t y = 0; y < h; y++) {
        f.assign(grid.begin() + (size_t)y * w, grid.begin() + (size_t)(y + 1) * w);
        d.resize(w);
        DistanceLine(f, d, v, z);
        std::copy(d.begin(), d.end(), grid.begin() + (size_t)y * w);
    }
    for (uint32_t x = 0; x < w; x++) {
        f.resize(h);
        for (uint32_t y = 0; y < h; y++) f[y] = grid[(size_t)y * w + x];
        d.resize(h);
        DistanceLine(f, d, v, z);
        for (uint32_t y = 0; y < h; y++) grid[(size_t)y * w + x] = d[y];
    }
    return grid;
}

float Sample(const Plane& plane, int x, int y, bool tiling) { return tiling ? plane.Wrapped(x, y) : plane.Clamped(x, y); }

}  // namespace

Plane FieldFromMask(const Plane& coverage)
{
    uint32_t w = coverage.Width(), h = coverage.Height();
    Plane field(w, h);
    std::vector<float> toInside = SquaredDistances(coverage, true);
    std::vector<float> toOutside = SquaredDistances(coverage, false);
    const float far = (float)(w + h);
    for (size_t i = 0; i < field.Values().size(); i++) {
        float c = coverage.Values()[i];
        float d;
        if (c > 0.0f && c < 1.0f) {
            d = 0.5f - c;  // an edge pixel: its coverage says where the edge crosses it
        } else if (c >= 0.5f) {
            d = toOutside[i] >= NoFeature * 0.5f ? -far : -(std::sqrt(toOutside[i]) - 0.5f);
        } else {
            d = toInside[i] >= NoFeature * 0.5f ? far : std::sqrt(toInside[i]) - 0.5f;
        }
        field.Values()[i] = d;
    }
    return field;
}

Colour EncodeNormal(float nx, float ny, float nz)
{
    float length = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (length <= 0) return Rgb(128 / 255.0f, 128 / 255.0f, 1.0f);
    nx /= length;
    ny /= length;
    nz /= length;
    auto channel = [](float n) { return std::round(128.0f + 127.0f * n) / 255.0f; };
    return Rgb(channel(nx), channel(ny), channel(nz));
}

Canvas NormalMapFromHeight(const Plane& height, float depth, bool tiling)
{
    Canvas out(height.Width(), height.Height());
    for (uint32_t y = 0; y < height.Height(); y++) {
        for (uint32_t x = 0; x < height.Width(); x++) {
            int ix = (int)x, iy = (int)y;
            float dx = (Sample(height, ix + 1, iy, tiling) - Sample(height, ix - 1, iy, tiling)) * 0.5f * depth;
            // Rows run down the picture; the normal's y runs up the texture.
            float dy = (Sample(height, ix, iy - 1, tiling) - Sample(height, ix, iy + 1, tiling)) * 0.5f * depth;
            out.At(x, y) = EncodeNormal(-dx, -dy, 1.0f);
        }
    }
    return out;
}

Plane LightFromHeight(const Plane& height, float depth, bool tiling)
{
    Plane light(height.Width(), height.Height());
    const float lx = -0.5f, ly = 0.5f, lz = 0.7071f;  // from the upper left, 45 degrees up
    for (uint32_t y = 0; y < height.Height(); y++) {
        for (uint32_t x = 0; x < height.Width(); x++) {
            int ix = (int)x, iy = (int)y;
            float dx = (Sample(height, ix + 1, iy, tiling) - Sample(height, ix - 1, iy, tiling)) * 0.5f * depth;
            float dy = (Sample(height, ix, iy - 1, tiling) - Sample(height, ix, iy + 1, tiling)) * 0.5f * depth;
            float nx = -dx, ny = -dy, nz = 1.0f;
            float length = std::sqrt(nx * nx + ny * ny + nz * nz);
            float lambert = (nx * lx + ny * ly + nz * lz) / length;
            light.At(x, y) = std::max(0.0f, lambert) / lz;
        }
    }
    return light;
}
