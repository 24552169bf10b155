#pragma once
// Block compression (DXT1, DXT3, DXT5) in software: the decoder serves drivers without S3TC
// support, the encoder serves the content tools.
#include "host/PixelFormat.h"

#include <cstddef>
#include <cstdint>

// Decodes a whole surface of `width` x `height` pixels into A8R8G8B8 (B, G, R, A bytes,
// tightly packed). `size` is the number of compressed bytes available; false when it is
// short of SurfaceSize(format, width, height) or the format is not DXT1/3/5. Edge blocks of
// sizes that are not multiples of 4 are cropped.
//   DXT1: colour 0 > colour 1 (as 16-bit words) gives four opaque colours, otherwise three
//         colours and transparent black.
//   DXT3: four-bit explicit alpha, four-colour block.
//   DXT5: eight-step (alpha 0 > alpha 1) or six-step plus 0 and 255 interpolated alpha.
bool DecodeDXT(PixelFormat format, const uint8_t* blocks, size_t size, uint32_t width, uint32_t height, uint8_t* bgra);

// Encodes A8R8G8B8 pixels (tightly packed) into `blocks` (SurfaceSize bytes). DXT1 uses its
// three-colour mode with transparent texels for blocks holding alpha below 128.
bool EncodeDXT(PixelFormat format, const uint8_t* bgra, uint32_t width, uint32_t height, uint8_t* blocks,
               bool highQuality = false);
