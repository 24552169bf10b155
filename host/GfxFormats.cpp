// Pixel formats in OpenGL terms, and the OpenGL error check.
#include "host/GfxInternal.h"

#ifndef GL_COMPRESSED_RGBA_S3TC_DXT1_EXT
#define GL_COMPRESSED_RGBA_S3TC_DXT1_EXT 0x83F1
#define GL_COMPRESSED_RGBA_S3TC_DXT3_EXT 0x83F2
#define GL_COMPRESSED_RGBA_S3TC_DXT5_EXT 0x83F3
#endif

namespace {

GlFormat Make(GLenum internalFormat, GLenum format, GLenum type, uint32_t bytes, bool renderable)
{
    GlFormat f;
    f.internalFormat = internalFormat;
    f.format = format;
    f.type = type;
    f.bytesPerBlock = bytes;
    f.renderable = renderable;
    return f;
}

void Swizzle(GlFormat& f, GLint r, GLint g, GLint b, GLint a)
{
    f.swizzle[0] = r;
    f.swizzle[1] = g;
    f.swizzle[2] = b;
    f.swizzle[3] = a;
}

}  // namespace

bool IsDxtFormat(GfxFormat format)
{
    return format == FMT_DXT1 || format == FMT_DXT2 || format == FMT_DXT3 || format == FMT_DXT4 || format == FMT_DXT5;
}

bool IsDepthFormat(GfxFormat format)
{
    return format == FMT_D24S8 || format == FMT_D24X8 || format == FMT_D16 || format == FMT_D16_LOCKABLE ||
           format == FMT_D32;
}

bool GetGlFormat(GfxFormat format, bool s3tc, GlFormat& out)
{
    switch (format) {
    case FMT_A8R8G8B8:
        out = Make(GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, 4, true);
        return true;
    case FMT_X8R8G8B8:
        // Stored without alpha so that blending with the destination's alpha sees 1, as a
        // target without alpha should.
        out = Make(GL_RGB8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, 4, true);
        return true;
    case FMT_R8G8B8:
        out = Make(GL_RGB8, GL_BGR, GL_UNSIGNED_BYTE, 3, true);
        return true;
    case FMT_A8B8G8R8:
        out = Make(GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, 4, true);
        return true;
    case FMT_X8B8G8R8:
        out = Make(GL_RGB8, GL_RGBA, GL_UNSIGNED_BYTE, 4, true);
        return true;
    case FMT_R5G6B5:
        out = Make(GL_RGB565, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, 2, true);
        return true;
    case FMT_A1R5G5B5:
        out = Make(GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, 2, true);
        return true;
    case FMT_X1R5G5B5:
        out = Make(GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, 2, false);
        Swizzle(out, GL_RED, GL_GREEN, GL_BLUE, GL_ONE);
        return true;
    case FMT_A4R4G4B4:
        out = Make(GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV, 2, true);
        return true;
    case FMT_X4R4G4B4:
        out = Make(GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV, 2, false);
        Swizzle(out, GL_RED, GL_GREEN, GL_BLUE, GL_ONE);
        return true;
    case FMT_L8:
        out = Make(GL_R8, GL_RED, GL_UNSIGNED_BYTE, 1, false);
        Swizzle(out, GL_RED, GL_RED, GL_RED, GL_ONE);
        return true;
    case FMT_A8:
        out = Make(GL_R8, GL_RED, GL_UNSIGNED_BYTE, 1, false);
        Swizzle(out, GL_ZERO, GL_ZERO, GL_ZERO, GL_RED);
        return true;
    case FMT_A8L8:
        out = Make(GL_RG8, GL_RG, GL_UNSIGNED_BYTE, 2, false);
        Swizzle(out, GL_RED, GL_RED, GL_RED, GL_GREEN);
        return true;
    case FMT_L16:
        out = Make(GL_R16, GL_RED, GL_UNSIGNED_SHORT, 2, false);
        Swizzle(out, GL_RED, GL_RED, GL_RED, GL_ONE);
        return true;
    case FMT_G16R16:
        out = Make(GL_RG16, GL_RG, GL_UNSIGNED_SHORT, 4, true);
        Swizzle(out, GL_RED, GL_GREEN, GL_ONE, GL_ONE);
        return true;
    case FMT_A16B16G16R16:
        out = Make(GL_RGBA16, GL_RGBA, GL_UNSIGNED_SHORT, 8, true);
        return true;
    // Channels a float format lacks read as 1.
    case FMT_R16F:
        out = Make(GL_R16F, GL_RED, GL_HALF_FLOAT, 2, true);
        Swizzle(out, GL_RED, GL_ONE, GL_ONE, GL_ONE);
        return true;
    case FMT_G16R16F:
        out = Make(GL_RG16F, GL_RG, GL_HALF_FLOAT, 4, true);
        Swizzle(out, GL_RED, GL_GREEN, GL_ONE, GL_ONE);
        return true;
    case FMT_A16B16G16R16F:
        out = Make(GL_RGBA16F, GL_RGBA, GL_HALF_FLOAT, 8, true);
        return true;
    case FMT_R32F:
        out = Make(GL_R32F, GL_RED, GL_FLOAT, 4, true);
        Swizzle(out, GL_RED, GL_ONE, GL_ONE, GL_ONE);
        return true;
    case FMT_G32R32F:
        out = Make(GL_RG32F, GL_RG, GL_FLOAT, 8, true);
        Swizzle(out, GL_RED, GL_GREEN, GL_ONE, GL_ONE);
        return true;
    case FMT_A32B32G32R32F:
        out = Make(GL_RGBA32F, GL_RGBA, GL_FLOAT, 16, true);
        return true;
    case FMT_DXT1:
    case FMT_DXT2:
    case FMT_DXT3:
    case FMT_DXT4:
    case FMT_DXT5:
        if (s3tc) {
            GLenum internal = format == FMT_DXT1   ? GL_COMPRESSED_RGBA_S3TC_DXT1_EXT
                              : (format == FMT_DXT2 || format == FMT_DXT3) ? GL_COMPRESSED_RGBA_S3TC_DXT3_EXT
                                                                           : GL_COMPRESSED_RGBA_S3TC_DXT5_EXT;
            out = Make(internal, 0, 0, format == FMT_DXT1 ? 8 : 16, false);
            out.compressed = true;
        } else {
            out = Make(GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, 4, false);
        }
        out.blockEdge = s3tc ? 4 : 1;
        return true;
    case FMT_D24S8:
    case FMT_D24X8:
        out = Make(GL_DEPTH24_STENCIL8, GL_DEPTH_STENCIL, GL_UNSIGNED_INT_24_8, 4, true);
        out.depth = true;
        out.stencil = true;
        return true;
    case FMT_D16:
    case FMT_D16_LOCKABLE:
        out = Make(GL_DEPTH_COMPONENT16, GL_DEPTH_COMPONENT, GL_UNSIGNED_SHORT, 2, true);
        out.depth = true;
        return true;
    case FMT_D32:
        out = Make(GL_DEPTH_COMPONENT24, GL_DEPTH_COMPONENT, GL_UNSIGNED_INT, 4, true);
        out.depth = true;
        return true;
    default:
        return false;
    }
}

uint32_t FormatBytesPerBlock(GfxFormat format)
{
    if (format == FMT_DXT1) return 8;
    if (IsDxtFormat(format)) return 16;
    GlFormat f;
    return GetGlFormat(format, true, f) ? f.bytesPerBlock : 0;
}

uint32_t FormatBlockEdge(GfxFormat format) { return IsDxtFormat(format) ? 4 : 1; }

size_t FormatRowPitch(GfxFormat format, uint32_t width)
{
    uint32_t edge = FormatBlockEdge(format);
    return (size_t)((width + edge - 1) / edge) * FormatBytesPerBlock(format);
}

uint32_t FormatRowCount(GfxFormat format, uint32_t height)
{
    uint32_t edge = FormatBlockEdge(format);
    return (height + edge - 1) / edge;
}

uint32_t FullChainLevels(uint32_t width, uint32_t height)
{
    uint32_t side = width > height ? width : height;
    uint32_t levels = 1;
    while (side > 1) {
        side >>= 1;
        ++levels;
    }
    return levels;
}

GfxResult TakeGlError()
{
    GfxResult result = GFX_OK;
    for (int i = 0; i < 16; ++i) {
        GLenum error = glGetError();
        if (error == GL_NO_ERROR) break;
        if (result == GFX_OK) result = error == GL_OUT_OF_MEMORY ? ERR_OUTOFVIDEOMEMORY : ERR_INVALIDCALL;
    }
    return result;
}
