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

// The 8-bit working pictures: A8R8G8B8 bytes (B, G, R, A). Textures whose formats have at most
// 8 bits a channel are resized and mip-mapped in these, at a quarter of the float planes'
// memory, with the same filters.
// One level of one face as A8R8G8B8 bytes; false for the float formats.
bool UnpackLevelBytes(const Image& image, uint32_t face, uint32_t level, std::vector<uint8_t>& bgra);
// Writes A8R8G8B8 bytes of the level's size into a level (converting, DXT-compressing).
bool PackLevelBytes(const uint8_t* bgra, Image& image, uint32_t face, uint32_t level);
// Resamples A8R8G8B8 bytes into a buffer of width x height pixels, one destination row at a
// time (no intermediate picture).
void ResampleBytes(const uint8_t* in, uint32_t inWidth, uint32_t inHeight, uint8_t* out, uint32_t width,
                   uint32_t height, uint32_t filter);
// Pixels equal to the colour key become transparent black.
void ApplyColourKeyBytes(uint8_t* bgra, size_t count, uint32_t colourKey);
