#pragma once
// Names and values of the graphics device's vocabulary: result codes, render states, texture
// stage and sampler states, transforms, primitive types, pixel formats, vertex formats (FVF
// codes and declarations), usages, pools and lock flags, and the plain records the device
// takes (material, light, caps, presentation parameters, surface descriptions).
//
// The numeric values are the ones the game's drawing code is written against, so a state or a
// format quoted as a number (depth test is state 7, A8R8G8B8 is format 21) means the same here.
#include "host/Maths.h"

#include <cstdint>

// ---- Results --------------------------------------------------------------------------------
typedef int32_t GfxResult;

constexpr GfxResult GFX_OK = 0;
constexpr GfxResult GFX_E_FAIL = (GfxResult)0x80004005u;
constexpr GfxResult GFX_E_OUTOFMEMORY = (GfxResult)0x8007000Eu;
constexpr GfxResult GFX_E_INVALIDARG = (GfxResult)0x80070057u;

constexpr GfxResult MakeGfxError(uint32_t code) { return (GfxResult)(0x88760000u | code); }
constexpr GfxResult ERR_WRONGTEXTUREFORMAT = MakeGfxError(2072);
constexpr GfxResult ERR_UNSUPPORTEDCOLOROPERATION = MakeGfxError(2073);
constexpr GfxResult ERR_UNSUPPORTEDCOLORARG = MakeGfxError(2074);
constexpr GfxResult ERR_UNSUPPORTEDALPHAOPERATION = MakeGfxError(2075);
constexpr GfxResult ERR_UNSUPPORTEDALPHAARG = MakeGfxError(2076);
constexpr GfxResult ERR_TOOMANYOPERATIONS = MakeGfxError(2077);
constexpr GfxResult ERR_CONFLICTINGTEXTUREFILTER = MakeGfxError(2078);
constexpr GfxResult ERR_UNSUPPORTEDFACTORVALUE = MakeGfxError(2079);
constexpr GfxResult ERR_CONFLICTINGRENDERSTATE = MakeGfxError(2081);
constexpr GfxResult ERR_UNSUPPORTEDTEXTUREFILTER = MakeGfxError(2082);
constexpr GfxResult ERR_CONFLICTINGTEXTUREPALETTE = MakeGfxError(2086);
constexpr GfxResult ERR_DRIVERINTERNALERROR = MakeGfxError(2087);
constexpr GfxResult ERR_NOTFOUND = MakeGfxError(2150);
constexpr GfxResult ERR_MOREDATA = MakeGfxError(2151);
constexpr GfxResult ERR_DEVICELOST = MakeGfxError(2152);
constexpr GfxResult ERR_DEVICENOTRESET = MakeGfxError(2153);
constexpr GfxResult ERR_NOTAVAILABLE = MakeGfxError(2154);
constexpr GfxResult ERR_OUTOFVIDEOMEMORY = MakeGfxError(380);
constexpr GfxResult ERR_INVALIDDEVICE = MakeGfxError(2155);
constexpr GfxResult ERR_INVALIDCALL = MakeGfxError(2156);
constexpr GfxResult ERR_DRIVERINVALIDCALL = MakeGfxError(2157);
constexpr GfxResult ERR_WASSTILLDRAWING = MakeGfxError(540);
constexpr GfxResult OK_NOAUTOGEN = (GfxResult)(0x08760000u | 2159);

inline bool GfxFailed(GfxResult r) { return r < 0; }
inline bool GfxSucceeded(GfxResult r) { return r >= 0; }

// ---- Colours ----------------------------------------------------------------------------------
// A packed colour: 0xAARRGGBB (in memory B, G, R, A).
typedef uint32_t GfxColor;
constexpr GfxColor ColorARGB(uint32_t a, uint32_t r, uint32_t g, uint32_t b)
{
    return ((a & 0xFF) << 24) | ((r & 0xFF) << 16) | ((g & 0xFF) << 8) | (b & 0xFF);
}
constexpr GfxColor ColorXRGB(uint32_t r, uint32_t g, uint32_t b) { return ColorARGB(255, r, g, b); }

// A colour of four floats, 0..1 for the visible range.
struct ColorValue {
    float r = 0, g = 0, b = 0, a = 0;
};

// Render states take 32-bit values; float states (fog start, fog end, density, depth bias)
// carry the float's bits.
inline uint32_t FloatBits(float f)
{
    union { float f; uint32_t u; } c;
    c.f = f;
    return c.u;
}
inline float BitsToFloat(uint32_t u)
{
    union { float f; uint32_t u; } c;
    c.u = u;
    return c.f;
}

// ---- Render states ----------------------------------------------------------------------------
enum RenderStateType : uint32_t {
    RS_ZENABLE = 7,
    RS_FILLMODE = 8,
    RS_SHADEMODE = 9,
    RS_ZWRITEENABLE = 14,
    RS_ALPHATESTENABLE = 15,
    RS_LASTPIXEL = 16,
    RS_SRCBLEND = 19,
    RS_DESTBLEND = 20,
    RS_CULLMODE = 22,
    RS_ZFUNC = 23,
    RS_ALPHAREF = 24,
    RS_ALPHAFUNC = 25,
    RS_DITHERENABLE = 26,
    RS_ALPHABLENDENABLE = 27,
    RS_FOGENABLE = 28,
    RS_SPECULARENABLE = 29,
    RS_FOGCOLOR = 34,
    RS_FOGTABLEMODE = 35,
    RS_FOGSTART = 36,
    RS_FOGEND = 37,
    RS_FOGDENSITY = 38,
    RS_RANGEFOGENABLE = 48,
    RS_STENCILENABLE = 52,
    RS_STENCILFAIL = 53,
    RS_STENCILZFAIL = 54,
    RS_STENCILPASS = 55,
    RS_STENCILFUNC = 56,
    RS_STENCILREF = 57,
    RS_STENCILMASK = 58,
    RS_STENCILWRITEMASK = 59,
    RS_TEXTUREFACTOR = 60,
    RS_WRAP0 = 128,
    RS_CLIPPING = 136,
    RS_LIGHTING = 137,
    RS_AMBIENT = 139,
    RS_FOGVERTEXMODE = 140,
    RS_COLORVERTEX = 141,
    RS_LOCALVIEWER = 142,
    RS_NORMALIZENORMALS = 143,
    RS_DIFFUSEMATERIALSOURCE = 145,
    RS_SPECULARMATERIALSOURCE = 146,
    RS_AMBIENTMATERIALSOURCE = 147,
    RS_EMISSIVEMATERIALSOURCE = 148,
    RS_VERTEXBLEND = 151,
    RS_CLIPPLANEENABLE = 152,
    RS_POINTSIZE = 154,
    RS_POINTSIZE_MIN = 155,
    RS_POINTSPRITEENABLE = 156,
    RS_POINTSCALEENABLE = 157,
    RS_POINTSCALE_A = 158,
    RS_POINTSCALE_B = 159,
    RS_POINTSCALE_C = 160,
    RS_MULTISAMPLEANTIALIAS = 161,
    RS_MULTISAMPLEMASK = 162,
    RS_POINTSIZE_MAX = 166,
    RS_INDEXEDVERTEXBLENDENABLE = 167,
    RS_COLORWRITEENABLE = 168,
    RS_TWEENFACTOR = 170,
    RS_BLENDOP = 171,
    RS_SCISSORTESTENABLE = 174,
    RS_SLOPESCALEDEPTHBIAS = 175,
    RS_ANTIALIASEDLINEENABLE = 176,
    RS_TWOSIDEDSTENCILMODE = 185,
    RS_CCW_STENCILFAIL = 186,
    RS_CCW_STENCILZFAIL = 187,
    RS_CCW_STENCILPASS = 188,
    RS_CCW_STENCILFUNC = 189,
    RS_COLORWRITEENABLE1 = 190,
    RS_COLORWRITEENABLE2 = 191,
    RS_COLORWRITEENABLE3 = 192,
    RS_BLENDFACTOR = 193,
    RS_SRGBWRITEENABLE = 194,
    RS_DEPTHBIAS = 195,
    RS_SEPARATEALPHABLENDENABLE = 206,
    RS_SRCBLENDALPHA = 207,
    RS_DESTBLENDALPHA = 208,
    RS_BLENDOPALPHA = 209,
};
constexpr uint32_t RENDER_STATE_COUNT = 256;

enum : uint32_t { ZB_FALSE = 0, ZB_TRUE = 1, ZB_USEW = 2 };
enum : uint32_t { FILL_POINT = 1, FILL_WIREFRAME = 2, FILL_SOLID = 3 };
enum : uint32_t { SHADE_FLAT = 1, SHADE_GOURAUD = 2 };
enum : uint32_t {
    BLEND_ZERO = 1,
    BLEND_ONE = 2,
    BLEND_SRCCOLOR = 3,
    BLEND_INVSRCCOLOR = 4,
    BLEND_SRCALPHA = 5,
    BLEND_INVSRCALPHA = 6,
    BLEND_DESTALPHA = 7,
    BLEND_INVDESTALPHA = 8,
    BLEND_DESTCOLOR = 9,
    BLEND_INVDESTCOLOR = 10,
    BLEND_SRCALPHASAT = 11,
    BLEND_BOTHSRCALPHA = 12,
    BLEND_BOTHINVSRCALPHA = 13,
    BLEND_BLENDFACTOR = 14,
    BLEND_INVBLENDFACTOR = 15,
};
enum : uint32_t {
    BLENDOP_ADD = 1,
    BLENDOP_SUBTRACT = 2,     // source - destination
    BLENDOP_REVSUBTRACT = 3,  // destination - source
    BLENDOP_MIN = 4,
    BLENDOP_MAX = 5,
};
enum : uint32_t { CULL_NONE = 1, CULL_CW = 2, CULL_CCW = 3 };
enum : uint32_t {
    CMP_NEVER = 1,
    CMP_LESS = 2,
    CMP_EQUAL = 3,
    CMP_LESSEQUAL = 4,
    CMP_GREATER = 5,
    CMP_NOTEQUAL = 6,
    CMP_GREATEREQUAL = 7,
    CMP_ALWAYS = 8,
};
enum : uint32_t {
    STENCILOP_KEEP = 1,
    STENCILOP_ZERO = 2,
    STENCILOP_REPLACE = 3,
    STENCILOP_INCRSAT = 4,
    STENCILOP_DECRSAT = 5,
    STENCILOP_INVERT = 6,
    STENCILOP_INCR = 7,  // wraps
    STENCILOP_DECR = 8,  // wraps
};
enum : uint32_t { FOG_NONE = 0, FOG_EXP = 1, FOG_EXP2 = 2, FOG_LINEAR = 3 };
enum : uint32_t { MCS_MATERIAL = 0, MCS_COLOR1 = 1, MCS_COLOR2 = 2 };
enum : uint32_t {
    COLORWRITEENABLE_RED = 1,
    COLORWRITEENABLE_GREEN = 2,
    COLORWRITEENABLE_BLUE = 4,
    COLORWRITEENABLE_ALPHA = 8,
};

// ---- Texture stages ---------------------------------------------------------------------------
enum TextureStageStateType : uint32_t {
    TSS_COLOROP = 1,
    TSS_COLORARG1 = 2,
    TSS_COLORARG2 = 3,
    TSS_ALPHAOP = 4,
    TSS_ALPHAARG1 = 5,
    TSS_ALPHAARG2 = 6,
    TSS_BUMPENVMAT00 = 7,
    TSS_BUMPENVMAT01 = 8,
    TSS_BUMPENVMAT10 = 9,
    TSS_BUMPENVMAT11 = 10,
    TSS_TEXCOORDINDEX = 11,
    TSS_BUMPENVLSCALE = 22,
    TSS_BUMPENVLOFFSET = 23,
    TSS_TEXTURETRANSFORMFLAGS = 24,
    TSS_COLORARG0 = 26,
    TSS_ALPHAARG0 = 27,
    TSS_RESULTARG = 28,
    TSS_CONSTANT = 32,
};
constexpr uint32_t TEXTURE_STAGE_STATE_COUNT = 33;
constexpr uint32_t MAX_TEXTURE_STAGES = 8;
// Stages the fixed-function pipeline combines; later stages are treated as disabled.
constexpr uint32_t FIXED_FUNCTION_STAGES = 2;
// Texture units a shader program may sample.
constexpr uint32_t MAX_SAMPLERS = 16;

enum : uint32_t {
    TOP_DISABLE = 1,
    TOP_SELECTARG1 = 2,
    TOP_SELECTARG2 = 3,
    TOP_MODULATE = 4,
    TOP_MODULATE2X = 5,
    TOP_MODULATE4X = 6,
    TOP_ADD = 7,
    TOP_ADDSIGNED = 8,
    TOP_ADDSIGNED2X = 9,
    TOP_SUBTRACT = 10,
    TOP_ADDSMOOTH = 11,
    TOP_BLENDDIFFUSEALPHA = 12,
    TOP_BLENDTEXTUREALPHA = 13,
    TOP_BLENDFACTORALPHA = 14,
    TOP_BLENDTEXTUREALPHAPM = 15,
    TOP_BLENDCURRENTALPHA = 16,
    TOP_PREMODULATE = 17,
    TOP_MODULATEALPHA_ADDCOLOR = 18,
    TOP_MODULATECOLOR_ADDALPHA = 19,
    TOP_MODULATEINVALPHA_ADDCOLOR = 20,
    TOP_MODULATEINVCOLOR_ADDALPHA = 21,
    TOP_BUMPENVMAP = 22,
    TOP_BUMPENVMAPLUMINANCE = 23,
    TOP_DOTPRODUCT3 = 24,
    TOP_MULTIPLYADD = 25,
    TOP_LERP = 26,
};
// Texture stage arguments, with the two modifier bits.
enum : uint32_t {
    TA_SELECTMASK = 0x0F,
    TA_DIFFUSE = 0,
    TA_CURRENT = 1,
    TA_TEXTURE = 2,
    TA_TFACTOR = 3,
    TA_SPECULAR = 4,
    TA_TEMP = 5,
    TA_CONSTANT = 6,
    TA_COMPLEMENT = 0x10,
    TA_ALPHAREPLICATE = 0x20,
};

// ---- Samplers ---------------------------------------------------------------------------------
enum SamplerStateType : uint32_t {
    SAMP_ADDRESSU = 1,
    SAMP_ADDRESSV = 2,
    SAMP_ADDRESSW = 3,
    SAMP_BORDERCOLOR = 4,
    SAMP_MAGFILTER = 5,
    SAMP_MINFILTER = 6,
    SAMP_MIPFILTER = 7,
    SAMP_MIPMAPLODBIAS = 8,
    SAMP_MAXMIPLEVEL = 9,
    SAMP_MAXANISOTROPY = 10,
    SAMP_SRGBTEXTURE = 11,
    SAMP_ELEMENTINDEX = 12,
    SAMP_DMAPOFFSET = 13,
};
constexpr uint32_t SAMPLER_STATE_COUNT = 14;
enum : uint32_t {
    TADDRESS_WRAP = 1,
    TADDRESS_MIRROR = 2,
    TADDRESS_CLAMP = 3,
    TADDRESS_BORDER = 4,
    TADDRESS_MIRRORONCE = 5,
};
enum : uint32_t {
    TEXF_NONE = 0,
    TEXF_POINT = 1,
    TEXF_LINEAR = 2,
    TEXF_ANISOTROPIC = 3,
    TEXF_PYRAMIDALQUAD = 6,
    TEXF_GAUSSIANQUAD = 7,
};

// ---- Transforms and primitives ----------------------------------------------------------------
enum TransformStateType : uint32_t {
    TS_VIEW = 2,
    TS_PROJECTION = 3,
    TS_TEXTURE0 = 16,
    TS_TEXTURE1 = 17,
    TS_WORLD = 256,
};
enum GfxPrimitiveType : uint32_t {
    PT_POINTLIST = 1,
    PT_LINELIST = 2,
    PT_LINESTRIP = 3,
    PT_TRIANGLELIST = 4,
    PT_TRIANGLESTRIP = 5,
    PT_TRIANGLEFAN = 6,
};

// ---- Formats ----------------------------------------------------------------------------------
enum GfxFormat : uint32_t {
    FMT_UNKNOWN = 0,
    FMT_R8G8B8 = 20,
    FMT_A8R8G8B8 = 21,
    FMT_X8R8G8B8 = 22,
    FMT_R5G6B5 = 23,
    FMT_X1R5G5B5 = 24,
    FMT_A1R5G5B5 = 25,
    FMT_A4R4G4B4 = 26,
    FMT_A8 = 28,
    FMT_X4R4G4B4 = 30,
    FMT_A8B8G8R8 = 32,
    FMT_X8B8G8R8 = 33,
    FMT_G16R16 = 34,
    FMT_A16B16G16R16 = 36,
    FMT_L8 = 50,
    FMT_A8L8 = 51,
    FMT_D16_LOCKABLE = 70,
    FMT_D32 = 71,
    FMT_D24S8 = 75,
    FMT_D24X8 = 77,
    FMT_D16 = 80,
    FMT_L16 = 81,
    FMT_INDEX16 = 101,
    FMT_INDEX32 = 102,
    FMT_R16F = 111,
    FMT_G16R16F = 112,
    FMT_A16B16G16R16F = 113,
    FMT_R32F = 114,
    FMT_G32R32F = 115,
    FMT_A32B32G32R32F = 116,
    FMT_DXT1 = 0x31545844,  // "DXT1"
    FMT_DXT2 = 0x32545844,
    FMT_DXT3 = 0x33545844,
    FMT_DXT4 = 0x34545844,
    FMT_DXT5 = 0x35545844,
};

enum GfxResourceType : uint32_t {
    RTYPE_SURFACE = 1,
    RTYPE_VOLUME = 2,
    RTYPE_TEXTURE = 3,
    RTYPE_VOLUMETEXTURE = 4,
    RTYPE_CUBETEXTURE = 5,
    RTYPE_VERTEXBUFFER = 6,
    RTYPE_INDEXBUFFER = 7,
};
enum GfxPool : uint32_t { POOL_DEFAULT = 0, POOL_MANAGED = 1, POOL_SYSTEMMEM = 2, POOL_SCRATCH = 3 };
enum : uint32_t {
    USAGE_RENDERTARGET = 0x1,
    USAGE_DEPTHSTENCIL = 0x2,
    USAGE_WRITEONLY = 0x8,
    USAGE_DYNAMIC = 0x200,
    USAGE_AUTOGENMIPMAP = 0x400,
    // Only as a question to CheckDeviceFormat: can the format be blended into as a target.
    USAGE_QUERY_POSTPIXELSHADER_BLENDING = 0x80000,
};
enum : uint32_t {
    LOCK_READONLY = 0x10,
    LOCK_NOSYSLOCK = 0x800,
    LOCK_NOOVERWRITE = 0x1000,
    LOCK_DISCARD = 0x2000,
    LOCK_DONOTWAIT = 0x4000,
    LOCK_NO_DIRTY_UPDATE = 0x8000,
};
enum : uint32_t { CLEAR_TARGET = 1, CLEAR_ZBUFFER = 2, CLEAR_STENCIL = 4 };
enum : uint32_t {
    CUBEMAP_FACE_POSITIVE_X = 0,
    CUBEMAP_FACE_NEGATIVE_X = 1,
    CUBEMAP_FACE_POSITIVE_Y = 2,
    CUBEMAP_FACE_NEGATIVE_Y = 3,
    CUBEMAP_FACE_POSITIVE_Z = 4,
    CUBEMAP_FACE_NEGATIVE_Z = 5,
};
// Level counts: 0 asks for the whole chain down to 1 x 1.

// ---- Vertex formats ---------------------------------------------------------------------------
// Flexible vertex format codes: the fields present, in this order in memory: position (XYZ,
// or pre-transformed XYZRHW in render-target pixels), normal, point size, diffuse colour,
// specular colour, then the texture coordinate sets (two floats each unless the size bits of
// FvfTexCoordSize say otherwise).
enum : uint32_t {
    FVF_POSITION_MASK = 0x400E,
    FVF_XYZ = 0x002,
    FVF_XYZRHW = 0x004,
    FVF_XYZB1 = 0x006,
    FVF_XYZB2 = 0x008,
    FVF_XYZB3 = 0x00A,
    FVF_XYZB4 = 0x00C,
    FVF_XYZB5 = 0x00E,
    FVF_XYZW = 0x4002,
    FVF_NORMAL = 0x010,
    FVF_PSIZE = 0x020,
    FVF_DIFFUSE = 0x040,
    FVF_SPECULAR = 0x080,
    FVF_TEXCOUNT_MASK = 0xF00,
    FVF_TEXCOUNT_SHIFT = 8,
    FVF_TEX0 = 0x000,
    FVF_TEX1 = 0x100,
    FVF_TEX2 = 0x200,
    FVF_TEX3 = 0x300,
    FVF_TEX4 = 0x400,
    FVF_LASTBETA_UBYTE4 = 0x1000,
    FVF_LASTBETA_D3DCOLOR = 0x8000,
};
// Size bits of texture coordinate set n: FvfTexCoordSize1(n) and so on; two floats when none.
constexpr uint32_t FvfTexCoordSize1(uint32_t set) { return 3u << (set * 2 + 16); }
constexpr uint32_t FvfTexCoordSize2(uint32_t) { return 0; }
constexpr uint32_t FvfTexCoordSize3(uint32_t set) { return 1u << (set * 2 + 16); }
constexpr uint32_t FvfTexCoordSize4(uint32_t set) { return 2u << (set * 2 + 16); }

// Vertex declarations: one element per field, closed by DECL_END().
enum : uint8_t {
    DECLTYPE_FLOAT1 = 0,
    DECLTYPE_FLOAT2 = 1,
    DECLTYPE_FLOAT3 = 2,
    DECLTYPE_FLOAT4 = 3,
    DECLTYPE_D3DCOLOR = 4,  // packed 0xAARRGGBB, read as (r, g, b, a) 0..1
    DECLTYPE_UBYTE4 = 5,
    DECLTYPE_SHORT2 = 6,
    DECLTYPE_SHORT4 = 7,
    DECLTYPE_UBYTE4N = 8,
    DECLTYPE_SHORT2N = 9,
    DECLTYPE_SHORT4N = 10,
    DECLTYPE_USHORT2N = 11,
    DECLTYPE_USHORT4N = 12,
    DECLTYPE_FLOAT16_2 = 15,
    DECLTYPE_FLOAT16_4 = 16,
    DECLTYPE_UNUSED = 17,
};
enum : uint8_t { DECLMETHOD_DEFAULT = 0 };
enum : uint8_t {
    DECLUSAGE_POSITION = 0,
    DECLUSAGE_BLENDWEIGHT = 1,
    DECLUSAGE_BLENDINDICES = 2,
    DECLUSAGE_NORMAL = 3,
    DECLUSAGE_PSIZE = 4,
    DECLUSAGE_TEXCOORD = 5,
    DECLUSAGE_TANGENT = 6,
    DECLUSAGE_BINORMAL = 7,
    DECLUSAGE_POSITIONT = 9,  // pre-transformed position (render-target pixels, z, 1/w)
    DECLUSAGE_COLOR = 10,
};
struct VertexElement {
    uint16_t Stream;
    uint16_t Offset;
    uint8_t Type;
    uint8_t Method;
    uint8_t Usage;
    uint8_t UsageIndex;
};
constexpr VertexElement DECL_END() { return VertexElement{0xFF, 0, DECLTYPE_UNUSED, 0, 0, 0}; }
constexpr uint32_t MAX_VERTEX_STREAMS = 4;

// ---- Records ----------------------------------------------------------------------------------
struct GfxMaterial {
    ColorValue Diffuse;
    ColorValue Ambient;
    ColorValue Specular;
    ColorValue Emissive;
    float Power = 0;
};

enum : uint32_t { LIGHT_POINT = 1, LIGHT_SPOT = 2, LIGHT_DIRECTIONAL = 3 };
struct GfxLight {
    uint32_t Type = LIGHT_DIRECTIONAL;  // LIGHT_*
    ColorValue Diffuse;
    ColorValue Specular;
    ColorValue Ambient;
    Vec3 Position;
    Vec3 Direction;
    float Range = 0;
    float Falloff = 0;
    float Attenuation0 = 0;
    float Attenuation1 = 0;
    float Attenuation2 = 0;
    float Theta = 0;  // inner cone, radians
    float Phi = 0;    // outer cone, radians
};
constexpr uint32_t MAX_LIGHTS = 8;

struct GfxRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};

struct LockedRect {
    int32_t Pitch = 0;    // bytes from one row (of blocks, for DXT) to the next
    void* pBits = nullptr;
};

struct SurfaceDesc {
    GfxFormat Format = FMT_UNKNOWN;
    GfxResourceType Type = RTYPE_SURFACE;
    uint32_t Usage = 0;
    GfxPool Pool = POOL_DEFAULT;
    uint32_t MultiSampleType = 0;
    uint32_t MultiSampleQuality = 0;
    uint32_t Width = 0;
    uint32_t Height = 0;
};

struct VertexBufferDesc {
    GfxFormat Format = FMT_UNKNOWN;  // FMT_UNKNOWN for vertex data
    GfxResourceType Type = RTYPE_VERTEXBUFFER;
    uint32_t Usage = 0;
    GfxPool Pool = POOL_DEFAULT;
    uint32_t Size = 0;
    uint32_t FVF = 0;
};
struct IndexBufferDesc {
    GfxFormat Format = FMT_INDEX16;
    GfxResourceType Type = RTYPE_INDEXBUFFER;
    uint32_t Usage = 0;
    GfxPool Pool = POOL_DEFAULT;
    uint32_t Size = 0;
};

// ---- Device set-up ----------------------------------------------------------------------------
enum : uint32_t {
    PRESENT_INTERVAL_DEFAULT = 0,  // wait for the vertical blank
    PRESENT_INTERVAL_ONE = 1,
    PRESENT_INTERVAL_IMMEDIATE = 0x80000000u,
};
enum : uint32_t { SWAPEFFECT_DISCARD = 1, SWAPEFFECT_FLIP = 2, SWAPEFFECT_COPY = 3 };

struct PresentParameters {
    uint32_t BackBufferWidth = 0;   // 0: the window's client width (windowed only)
    uint32_t BackBufferHeight = 0;
    GfxFormat BackBufferFormat = FMT_X8R8G8B8;
    uint32_t BackBufferCount = 1;
    uint32_t MultiSampleType = 0;   // samples per pixel; 0 or 1 for none
    uint32_t MultiSampleQuality = 0;
    uint32_t SwapEffect = SWAPEFFECT_DISCARD;
    bool Windowed = true;
    bool EnableAutoDepthStencil = true;
    GfxFormat AutoDepthStencilFormat = FMT_D24S8;
    uint32_t Flags = 0;
    uint32_t FullScreen_RefreshRateInHz = 0;
    uint32_t PresentationInterval = PRESENT_INTERVAL_DEFAULT;
};

struct GfxDisplayMode {
    uint32_t Width = 0;
    uint32_t Height = 0;
    uint32_t RefreshRate = 0;
    GfxFormat Format = FMT_X8R8G8B8;
};

constexpr uint32_t PixelShaderVersion(uint32_t major, uint32_t minor) { return 0xFFFF0000u | (major << 8) | minor; }
constexpr uint32_t VertexShaderVersion(uint32_t major, uint32_t minor) { return 0xFFFE0000u | (major << 8) | minor; }
constexpr uint32_t ShaderVersionMajor(uint32_t version) { return (version >> 8) & 0xFF; }
constexpr uint32_t ShaderVersionMinor(uint32_t version) { return version & 0xFF; }

enum : uint32_t {
    PTEXTURECAPS_PERSPECTIVE = 0x1,
    PTEXTURECAPS_POW2 = 0x2,
    PTEXTURECAPS_ALPHA = 0x4,
    PTEXTURECAPS_SQUAREONLY = 0x20,
    PTEXTURECAPS_NONPOW2CONDITIONAL = 0x100,
    PTEXTURECAPS_MIPMAP = 0x4000,
    PTEXTURECAPS_MIPCUBEMAP = 0x10000,
    PTEXTURECAPS_CUBEMAP = 0x800,
};

struct GfxCaps {
    uint32_t PixelShaderVersion = 0;
    uint32_t VertexShaderVersion = 0;
    // Non-power-of-two sizes work everywhere (with mip levels and every address mode); the
    // caps say so with PTEXTURECAPS_NONPOW2CONDITIONAL, the bit the game looks for.
    uint32_t TextureCaps = 0;
    uint32_t MaxTextureWidth = 0;
    uint32_t MaxTextureHeight = 0;
    uint32_t MaxAnisotropy = 1;
    uint32_t MaxActiveLights = MAX_LIGHTS;
    uint32_t MaxTextureBlendStages = FIXED_FUNCTION_STAGES;
    uint32_t MaxSimultaneousTextures = FIXED_FUNCTION_STAGES;
    uint32_t NumSimultaneousRTs = 1;
    uint32_t MaxPrimitiveCount = 0;
    uint32_t MaxVertexIndex = 0;
    uint32_t MaxStreams = MAX_VERTEX_STREAMS;
    uint32_t MaxMultiSampleType = 0;  // highest sample count the back buffer can have
    bool TextureCompressionS3TC = false;  // the driver can keep DXT textures compressed
};
