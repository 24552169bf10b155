#include "terrain/HeightFieldGenerator.h"

#include "host/Random.h"
#include "host/SteadyMath.h"

#include <algorithm>
#include <cmath>

namespace {

float Draw() { return (float)Rand(); }

}  // namespace

HeightFieldGenerator::HeightFieldGenerator(const HeightFieldParams& params_)
    : params(params_), field((size_t)params_.size * params_.size, 0.0f)
{
}

void HeightFieldGenerator::Generate()
{
    std::fill(field.begin(), field.end(), 0.0f);
    const int n = params.size;
    SRand(params.seed);
    for (int hill = 0; hill < params.hillCount; ++hill) {
        float radius = params.minRadius + Draw() * (params.maxRadius - params.minRadius) / 32767.0f;
        float cx, cy;
        if (params.island) {
            float theta = Draw() * 6.28f / 32767.0f;
            float distance = radius * 0.5f + Draw() * (((float)(n / 2) - radius) - radius * 0.5f) / 32767.0f;
            float s, c;
            SinCos(theta, &s, &c);
            cx = (float)n * 0.5f + c * distance;
            cy = (float)n * 0.5f + s * distance;
        } else {
            cx = -radius + Draw() * ((float)n + 2.0f * radius) / 32767.0f;
            cy = -radius + Draw() * ((float)n + 2.0f * radius) / 32767.0f;
        }
        // Kept to the field before any conversion: a hill far outside touches nothing.
        auto cell = [n](float v) { return (int)std::clamp(v, -1.0f, (float)n); };
        int x0 = std::max(cell(cx - radius - 1.0f), 0), x1 = std::min(cell(cx + radius + 1.0f), n - 1);
        int y0 = std::max(cell(cy - radius - 1.0f), 0), y1 = std::min(cell(cy + radius + 1.0f), n - 1);
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                float z = radius * radius - ((cx - (float)x) * (cx - (float)x) + (cy - (float)y) * (cy - (float)y));
                if (z > 0.0f) field[(size_t)y * n + x] += z;
            }
    }
    if (field.empty()) return;
    auto [low, high] = std::minmax_element(field.begin(), field.end());
    float min = *low, max = *high;
    for (float& v : field) v = max == min ? 0.0f : (v - min) / (max - min);
    if (params.flattening > 1)
        for (float& v : field) {
            float raised = v;
            for (int i = 1; i < params.flattening; ++i) raised *= v;
            v = raised;
        }
}
