#include "host/PictureDecoder.h"

#include "host/Log.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

// The largest single allocation the decoder may make for the picture being decoded (set from
// the picture's size before decoding, 0 otherwise).
thread_local size_t allocationLimit = 0;

void* PictureMalloc(size_t size)
{
    return size > allocationLimit ? nullptr : malloc(size);
}

void* PictureRealloc(void* block, size_t size)
{
    return size > allocationLimit ? nullptr : realloc(block, size);
}

}  // namespace

// Our own copy of the decoder: private to this file (the system's stb library, linked for the
// image writer, keeps its own), with only the game's formats.
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_ONLY_BMP
#define STBI_ONLY_TGA
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_MAX_DIMENSIONS MaxPictureSide
#define STBI_MALLOC(size) PictureMalloc(size)
#define STBI_REALLOC(block, size) PictureRealloc(block, size)
#define STBI_FREE(block) free(block)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#include <stb_image.h>
#pragma GCC diagnostic pop

namespace {

uint32_t BigEndian32(const uint8_t* p)
{
    return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | p[3];
}

bool IsPng(const uint8_t* bytes, size_t size)
{
    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return size >= 8 && memcmp(bytes, signature, 8) == 0;
}

// Where a JPEG file's start-of-image marker is (the decoder takes fill bytes before it), or 0
// when the bytes are no JPEG file.
size_t JpegStart(const uint8_t* bytes, size_t size)
{
    size_t start = 1;
    while (start < size && bytes[start] == 0xFF) ++start;
    return bytes[0] == 0xFF && start < size && bytes[start] == 0xD8 ? start : 0;
}

// The most pixels one byte of a file can stand for, at the format's best compression: a file
// that declares more pixels than that cannot hold them, and the decoder would spend its time
// making them from the zeros it reads past the end. 0: no limit (a short PNG file fails to
// inflate early on its own).
uint64_t PixelsPerByte(const uint8_t* bytes, size_t size)
{
    if (IsPng(bytes, size)) return 0;
    if (JpegStart(bytes, size)) return 512;            // a bit for each 8 x 8 block at the least
    if (size >= 2 && bytes[0] == 'B' && bytes[1] == 'M') return 8;  // a bit a pixel
    return 64;                                         // TGA: a run of 128 pixels in two bytes
}

// Every chunk up to the image end must lie inside the file: the decoder allocates what a
// data chunk claims before it reads a byte of it.
bool PngChunksFit(const uint8_t* bytes, size_t size)
{
    if (!IsPng(bytes, size)) return true;
    for (size_t at = 8; at < size;) {
        if (size - at < 12) break;  // cut short: the decoder fails on its own
        uint32_t length = BigEndian32(bytes + at);
        if (length > size - at - 12) {
            Log("ERROR image: a PNG chunk of %u bytes runs past the end of the file\n", length);
            return false;
        }
        if (memcmp(bytes + at + 4, "IEND", 4) == 0) break;
        at += 12 + (size_t)length;
    }
    return true;
}

// Follows the marker segments and scans of a JPEG file the way the decoder reads them; no
// Huffman table may hold more than 256 codes. Bytes past the end read as 0, as they do for
// the decoder.
bool JpegTablesFit(const uint8_t* bytes, size_t size)
{
    size_t start = JpegStart(bytes, size);
    if (!start) return true;  // not JPEG
    auto at = [&](size_t i) -> uint32_t { return i < size ? bytes[i] : 0; };
    for (size_t i = start + 1; i < size;) {
        if (bytes[i] != 0xFF) {  // scan data
            ++i;
            continue;
        }
        while (i < size && bytes[i] == 0xFF) ++i;  // fill bytes
        if (i >= size) break;
        uint32_t marker = bytes[i++];
        // Stuffed zeros, restart markers and the start of the image stand alone.
        if (marker == 0x00 || marker == 0x01 || marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7)) continue;
        if (marker == 0xD9) break;
        int64_t left = (int64_t)(at(i) << 8 | at(i + 1)) - 2;
        size_t next = i + 2 + (size_t)(left > 0 ? left : 0);
        if (marker == 0xC4) {
            for (size_t table = i + 2; left > 0;) {
                uint32_t codes = 0;
                for (size_t k = 1; k <= 16; ++k) codes += at(table + k);
                if (codes > 256) {
                    Log("ERROR image: a JPEG Huffman table of %u codes (at most 256)\n", codes);
                    return false;
                }
                table += 17 + codes;
                left -= 17 + (int64_t)codes;
            }
        }
        i = next;
    }
    return true;
}

}  // namespace

bool DecodePicture(const void* bytes, size_t size, Image& out)
{
    out.Clear();
    if (!bytes || size == 0) {
        Log("ERROR image: no data\n");
        return false;
    }
    if (size > (size_t)INT_MAX) {
        Log("ERROR image: %zu bytes is too large a picture\n", size);
        return false;
    }
    const stbi_uc* data = static_cast<const stbi_uc*>(bytes);
    if (!PngChunksFit(data, size) || !JpegTablesFit(data, size)) return false;
    int width = 0, height = 0, channels = 0;
    allocationLimit = 1 << 20;
    bool known = stbi_info_from_memory(data, (int)size, &width, &height, &channels) != 0;
    allocationLimit = 0;
    if (!known) {
        Log("ERROR image: unknown or corrupt picture (%s)\n", stbi_failure_reason());
        return false;
    }
    if (width <= 0 || height <= 0 || (uint32_t)width > MaxPictureSide || (uint32_t)height > MaxPictureSide) {
        Log("ERROR image: unsupported size %d x %d (at most %u a side)\n", width, height, MaxPictureSide);
        return false;
    }
    uint64_t perByte = PixelsPerByte(data, size);
    if (perByte && (uint64_t)width * height > perByte * size) {
        Log("ERROR image: %d x %d pixels cannot come from a file of %zu bytes\n", width, height, size);
        return false;
    }
    // Enough for the pixels at 16 bits a channel twice over (the inflated rows grow by doubling)
    // and for the compressed data twice over; a damaged file that asks for more is refused.
    allocationLimit = 2 * ((size_t)width * height * 8 + height) + 2 * size + (1 << 16);
    stbi_uc* rgba = stbi_load_from_memory(data, (int)size, &width, &height, &channels, 4);
    allocationLimit = 0;
    if (!rgba) {
        Log("ERROR image: cannot decode picture (%s)\n", stbi_failure_reason());
        return false;
    }
    bool created = out.Create(PixelFormat::A8R8G8B8, (uint32_t)width, (uint32_t)height);
    if (created) {
        uint8_t* p = out.pixels.data();
        size_t count = (size_t)width * height;
        for (size_t i = 0; i < count; i++, p += 4) {
            const stbi_uc* q = rgba + i * 4;
            p[0] = q[2];
            p[1] = q[1];
            p[2] = q[0];
            p[3] = q[3];
        }
    } else {
        Log("ERROR image: cannot make a %d x %d picture\n", width, height);
    }
    stbi_image_free(rgba);
    return created;
}
