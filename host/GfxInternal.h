#pragma once
// Shared by the graphics device's own sources only: OpenGL names of the formats, the fixed
// attribute locations, and small helpers. Nothing outside host/Gfx*.cpp includes this.
#include "host/GfxTypes.h"

#include <epoxy/gl.h>

#include <cstddef>
#include <cstdint>

// How a format lives in OpenGL. Upload and read-back use `format` + `type` over the game's
// memory layout (B, G, R, A bytes for A8R8G8B8 and so on), so no pixel is ever swizzled on
// the CPU; what a format lacks is filled in on sampling by `swizzle`.
struct GlFormat {
    GLenum internalFormat = 0;
    GLenum format = 0;
    GLenum type = 0;
    GLint swizzle[4] = {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA};
    uint32_t bytesPerBlock = 0;  // per pixel, or per 4x4 block when compressed
    uint32_t blockEdge = 1;
    bool compressed = false;
    bool renderable = false;     // may be a render target
    bool depth = false;
    bool stencil = false;
};

// False for formats the device does not make. With `s3tc` false, DXT formats are stored
// decoded (A8R8G8B8) and their uploads pass through the software decoder.
bool GetGlFormat(GfxFormat format, bool s3tc, GlFormat& out);
bool IsDxtFormat(GfxFormat format);
bool IsDepthFormat(GfxFormat format);
// Row pitch and row count of a level in the game's memory layout (rows of blocks for DXT).
uint32_t FormatBytesPerBlock(GfxFormat format);
uint32_t FormatBlockEdge(GfxFormat format);
size_t FormatRowPitch(GfxFormat format, uint32_t width);
uint32_t FormatRowCount(GfxFormat format, uint32_t height);
uint32_t FullChainLevels(uint32_t width, uint32_t height);

// Attribute locations shared by the fixed-function programs and the game's own programs.
enum VertexAttribLocation : GLuint {
    ATTRIB_POSITION = 0,
    ATTRIB_NORMAL = 1,
    ATTRIB_COLOR0 = 2,
    ATTRIB_COLOR1 = 3,
    ATTRIB_TEXCOORD0 = 4,  // sets 0..3 at 4..7
    ATTRIB_TANGENT = 8,
    ATTRIB_BINORMAL = 9,
    ATTRIB_BLENDWEIGHT = 10,
    ATTRIB_BLENDINDICES = 11,
    ATTRIB_PSIZE = 12,
    ATTRIB_COUNT = 13,
};
constexpr uint32_t MAX_TEXCOORD_SETS = 4;

// Texture unit used for creating and uploading textures, so uploads never disturb the
// textures bound for drawing.
constexpr GLuint SCRATCH_TEXTURE_UNIT = 31;

// OpenGL failures become device results: out of memory is reported as such, anything else
// as an invalid call. Clears every pending error.
GfxResult TakeGlError();
