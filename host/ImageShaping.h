#pragma once
// Working pictures for the image codec: one level as float RGBA, so every format, the float
// ones included, is resized and mip-mapped the same way. Used by ImageCodec.cpp.
#include "host/Image.h"

#include <cstdint>
#include <vector>

struct FloatPlane {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<float> rgba;  // 4 floats a pixel, rows top to bottom
};

// One level of one face, decoded (DXT included).
bool UnpackLevel(const Image& image, uint32_t face, uint32_t level, FloatPlane& out);
// Writes a plane into a level of the same size (DXT-compressing when the format asks).
bool PackLevel(const FloatPlane& plane, Image& image, uint32_t face, uint32_t level);
// Resamples to a new size with one of the IMAGE_FILTER_* values (IMAGE_DEFAULT: linear).
FloatPlane ResamplePlane(const FloatPlane& in, uint32_t width, uint32_t height, uint32_t filter);
// The next mip level: box average (point sampling with IMAGE_FILTER_POINT).
FloatPlane HalvePlane(const FloatPlane& in, uint32_t mipFilter);
// Pixels equal to the A8R8G8B8 colour key become transparent black.
void ApplyColourKey(FloatPlane& plane, uint32_t colourKey);
