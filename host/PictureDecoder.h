#pragma once
// Picture files other than DDS: PNG, JPEG, BMP and TGA, the formats the game's pictures come
// in, decoded to one A8R8G8B8 level by stb_image. The decoder is compiled here with those
// formats alone (others it knows have hung or read past their buffers on damaged files), a
// size limit, and an allocation limit: a file of N bytes never costs more than a few times N
// plus what its pixels take. Before decoding, each file is walked for what the decoder would
// trust: PNG chunks that claim more bytes than the file has, JPEG Huffman tables of more than
// 256 codes (which the decoder writes past its table).
#include "host/Image.h"

#include <cstddef>
#include <cstdint>

// Pictures larger than this on either side are refused: twice the largest texture, which is
// what any picture of ours becomes.
constexpr uint32_t MaxPictureSide = 2 * MaxTextureSide;

// False with an "ERROR image: ..." log line for anything that is not a sound picture of those
// formats; out is then empty.
bool DecodePicture(const void* bytes, size_t size, Image& out);
