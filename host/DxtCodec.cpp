#include "host/DxtCodec.h"

#include <stb_dxt.h>

#include <algorithm>
#include <cstring>

namespace {

struct Colour {
    uint8_t b, g, r, a;
};

Colour Expand565(uint32_t word)
{
    uint32_t r = (word >> 11) & 31, g = (word >> 5) & 63, b = word & 31;
    return Colour{(uint8_t)(b << 3 | b >> 2), (uint8_t)(g << 2 | g >> 4), (uint8_t)(r << 3 | r >> 2), 255};
}

Colour Mix(Colour x, int wx, Colour y, int wy)
{
    int total = wx + wy;
    auto mix = [&](int a, int b) { return (uint8_t)((a * wx + b * wy + total / 2) / total); };
    return Colour{mix(x.b, y.b), mix(x.g, y.g), mix(x.r, y.r), 255};
}

// The colour half of a block. DXT3 and DXT5 blocks always decode with four colours.
void DecodeColourBlock(const uint8_t* block, bool allowThreeColour, Colour out[16])
{
    uint32_t c0 = block[0] | block[1] << 8;
    uint32_t c1 = block[2] | block[3] << 8;
    Colour palette[4];
    palette[0] = Expand565(c0);
    palette[1] = Expand565(c1);
    if (c0 > c1 || !allowThreeColour) {
        palette[2] = Mix(palette[0], 2, palette[1], 1);
        palette[3] = Mix(palette[0], 1, palette[1], 2);
    } else {
        palette[2] = Mix(palette[0], 1, palette[1], 1);
        palette[3] = Colour{0, 0, 0, 0};
    }
    uint32_t indices = block[4] | block[5] << 8 | block[6] << 16 | (uint32_t)block[7] << 24;
    for (int i = 0; i < 16; i++) out[i] = palette[(indices >> (2 * i)) & 3];
}

void DecodeExplicitAlpha(const uint8_t* block, Colour out[16])
{
    for (int i = 0; i < 16; i++) {
        uint32_t nibble = (block[i / 2] >> ((i & 1) * 4)) & 15;
        out[i].a = (uint8_t)(nibble * 17);
    }
}

void DecodeInterpolatedAlpha(const uint8_t* block, Colour out[16])
{
    int a0 = block[0], a1 = block[1];
    uint8_t alphas[8];
    alphas[0] = (uint8_t)a0;
    alphas[1] = (uint8_t)a1;
    if (a0 > a1) {
        for (int k = 1; k < 7; k++) alphas[k + 1] = (uint8_t)(((7 - k) * a0 + k * a1 + 3) / 7);
    } else {
        for (int k = 1; k < 5; k++) alphas[k + 1] = (uint8_t)(((5 - k) * a0 + k * a1 + 2) / 5);
        alphas[6] = 0;
        alphas[7] = 255;
    }
    uint64_t bits = 0;
    for (int i = 0; i < 6; i++) bits |= (uint64_t)block[2 + i] << (8 * i);
    for (int i = 0; i < 16; i++) out[i].a = alphas[(bits >> (3 * i)) & 7];
}

int Distance(const uint8_t* rgba, Colour c)
{
    int dr = rgba[0] - c.r, dg = rgba[1] - c.g, db = rgba[2] - c.b;
    return dr * dr + dg * dg + db * db;
}

// A DXT1 block with transparent texels: three colours ordered colour 0 <= colour 1, index 3
// transparent. The endpoints come from compressing the opaque texels alone.
void EncodeThreeColourBlock(const uint8_t rgba[64], uint8_t* out, int mode)
{
    uint8_t opaque[64];
    int firstOpaque = -1;
    for (int i = 0; i < 16; i++)
        if (rgba[i * 4 + 3] >= 128) {
            firstOpaque = i;
            break;
        }
    if (firstOpaque < 0) {
        memset(out, 0, 4);
        memset(out + 4, 0xFF, 4);
        return;
    }
    for (int i = 0; i < 16; i++) {
        int from = rgba[i * 4 + 3] >= 128 ? i : firstOpaque;
        memcpy(opaque + i * 4, rgba + from * 4, 4);
        opaque[i * 4 + 3] = 255;
    }
    uint8_t colourBlock[8];
    stb_compress_dxt_block(colourBlock, opaque, 0, mode);
    uint32_t e0 = colourBlock[0] | colourBlock[1] << 8;
    uint32_t e1 = colourBlock[2] | colourBlock[3] << 8;
    if (e0 > e1) std::swap(e0, e1);
    Colour palette[3] = {Expand565(e0), Expand565(e1), Colour{}};
    palette[2] = Mix(palette[0], 1, palette[1], 1);
    uint32_t indices = 0;
    for (int i = 0; i < 16; i++) {
        uint32_t index = 3;
        if (rgba[i * 4 + 3] >= 128) {
            index = 0;
            for (uint32_t k = 1; k < 3; k++)
                if (Distance(rgba + i * 4, palette[k]) < Distance(rgba + i * 4, palette[index])) index = k;
        }
        indices |= index << (2 * i);
    }
    out[0] = (uint8_t)e0;
    out[1] = (uint8_t)(e0 >> 8);
    out[2] = (uint8_t)e1;
    out[3] = (uint8_t)(e1 >> 8);
    for (int i = 0; i < 4; i++) out[4 + i] = (uint8_t)(indices >> (8 * i));
}

}  // namespace

bool DecodeDXT(PixelFormat format, const uint8_t* blocks, size_t size, uint32_t width, uint32_t height, uint8_t* bgra)
{
    if (!IsCompressed(format) || !blocks || !bgra || width == 0 || height == 0) return false;
    if (size < SurfaceSize(format, width, height)) return false;
    uint32_t blockBytes = BytesPerBlock(format);
    uint32_t blocksWide = (width + 3) / 4, blocksHigh = (height + 3) / 4;
    Colour texels[16];
    for (uint32_t by = 0; by < blocksHigh; by++) {
        for (uint32_t bx = 0; bx < blocksWide; bx++) {
            const uint8_t* block = blocks + ((size_t)by * blocksWide + bx) * blockBytes;
            if (format == PixelFormat::DXT1) {
                DecodeColourBlock(block, true, texels);
            } else {
                DecodeColourBlock(block + 8, false, texels);
                if (format == PixelFormat::DXT3)
                    DecodeExplicitAlpha(block, texels);
                else
                    DecodeInterpolatedAlpha(block, texels);
            }
            for (uint32_t y = 0; y < 4 && by * 4 + y < height; y++)
                for (uint32_t x = 0; x < 4 && bx * 4 + x < width; x++)
                    memcpy(bgra + (((size_t)by * 4 + y) * width + bx * 4 + x) * 4, &texels[y * 4 + x], 4);
        }
    }
    return true;
}

bool EncodeDXT(PixelFormat format, const uint8_t* bgra, uint32_t width, uint32_t height, uint8_t* blocks,
               bool highQuality)
{
    if (!IsCompressed(format) || !bgra || !blocks || width == 0 || height == 0) return false;
    int mode = highQuality ? STB_DXT_HIGHQUAL : STB_DXT_NORMAL;
    uint32_t blockBytes = BytesPerBlock(format);
    uint32_t blocksWide = (width + 3) / 4, blocksHigh = (height + 3) / 4;
    uint8_t rgba[64];
    for (uint32_t by = 0; by < blocksHigh; by++) {
        for (uint32_t bx = 0; bx < blocksWide; bx++) {
            // Texels past the edge repeat the last row and column, so they pull no colour in.
            bool transparent = false;
            for (uint32_t y = 0; y < 4; y++) {
                for (uint32_t x = 0; x < 4; x++) {
                    uint32_t sx = std::min(bx * 4 + x, width - 1), sy = std::min(by * 4 + y, height - 1);
                    const uint8_t* p = bgra + ((size_t)sy * width + sx) * 4;
                    uint8_t* q = rgba + (y * 4 + x) * 4;
                    q[0] = p[2];
                    q[1] = p[1];
                    q[2] = p[0];
                    q[3] = p[3];
                    if (p[3] < 128) transparent = true;
                }
            }
            uint8_t* out = blocks + ((size_t)by * blocksWide + bx) * blockBytes;
            if (format == PixelFormat::DXT1) {
                if (transparent)
                    EncodeThreeColourBlock(rgba, out, mode);
                else
                    stb_compress_dxt_block(out, rgba, 0, mode);
            } else if (format == PixelFormat::DXT3) {
                for (int i = 0; i < 8; i++) {
                    uint32_t low = (rgba[(2 * i) * 4 + 3] * 15 + 127) / 255;
                    uint32_t high = (rgba[(2 * i + 1) * 4 + 3] * 15 + 127) / 255;
                    out[i] = (uint8_t)(low | high << 4);
                }
                stb_compress_dxt_block(out + 8, rgba, 0, mode);
            } else {
                stb_compress_dxt_block(out, rgba, 1, mode);
            }
        }
    }
    return true;
}
