#pragma once
// DDS files: 2D textures and cube maps with their mip levels, in the formats of PixelFormat.h.
// Uncompressed formats are described by bit masks, the compressed ones by "DXT1", "DXT3" and
// "DXT5", the float formats by their numeric format codes. Files with the extended "DX10"
// header, volume textures and partial cube maps are refused.
#include "host/Image.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// True when the bytes begin with the "DDS " signature.
bool IsDdsData(const void* bytes, size_t size);
// Reads a whole DDS file from memory. Every size in the header is checked against the data
// length; a short, lying or unknown file is refused with a logged error and `out` left empty.
// Bytes after the last level are ignored. The image holds no more bytes than the file.
bool ReadDds(const void* bytes, size_t size, Image& out);
// Writes the whole image (every face and level). False for an empty or unknown image.
bool WriteDds(const Image& image, std::vector<uint8_t>& out);
