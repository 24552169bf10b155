// Name tables of the states effect passes set.
#include "host/EffectStates.h"

#include "host/GfxTypes.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <strings.h>

namespace {

// How a state's value is written.
enum ValueKind {
    VALUE_BOOL,
    VALUE_INT,     // a plain number (masks, references, counts, packed colours)
    VALUE_FLOAT,   // a float carried as its bits
    VALUE_ZBUFFER,
    VALUE_FILL,
    VALUE_SHADE,
    VALUE_BLEND,
    VALUE_BLENDOP,
    VALUE_CULL,
    VALUE_CMP,
    VALUE_STENCILOP,
    VALUE_FOG,
    VALUE_MATERIALSOURCE,
    VALUE_ADDRESS,
    VALUE_FILTER,
};

struct StateName {
    const char* name;
    uint32_t id;
    ValueKind kind;
};

struct ValueName {
    const char* name;
    uint32_t value;
};

const StateName RENDER_STATES[] = {
    {"ZENABLE", RS_ZENABLE, VALUE_ZBUFFER},
    {"FILLMODE", RS_FILLMODE, VALUE_FILL},
    {"SHADEMODE", RS_SHADEMODE, VALUE_SHADE},
    {"ZWRITEENABLE", RS_ZWRITEENABLE, VALUE_BOOL},
    {"ALPHATESTENABLE", RS_ALPHATESTENABLE, VALUE_BOOL},
    {"LASTPIXEL", RS_LASTPIXEL, VALUE_BOOL},
    {"SRCBLEND", RS_SRCBLEND, VALUE_BLEND},
    {"DESTBLEND", RS_DESTBLEND, VALUE_BLEND},
    {"CULLMODE", RS_CULLMODE, VALUE_CULL},
    {"ZFUNC", RS_ZFUNC, VALUE_CMP},
    {"ALPHAREF", RS_ALPHAREF, VALUE_INT},
    {"ALPHAFUNC", RS_ALPHAFUNC, VALUE_CMP},
    {"DITHERENABLE", RS_DITHERENABLE, VALUE_BOOL},
    {"ALPHABLENDENABLE", RS_ALPHABLENDENABLE, VALUE_BOOL},
    {"FOGENABLE", RS_FOGENABLE, VALUE_BOOL},
    {"SPECULARENABLE", RS_SPECULARENABLE, VALUE_BOOL},
    {"FOGCOLOR", RS_FOGCOLOR, VALUE_INT},
    {"FOGTABLEMODE", RS_FOGTABLEMODE, VALUE_FOG},
    {"FOGSTART", RS_FOGSTART, VALUE_FLOAT},
    {"FOGEND", RS_FOGEND, VALUE_FLOAT},
    {"FOGDENSITY", RS_FOGDENSITY, VALUE_FLOAT},
    {"RANGEFOGENABLE", RS_RANGEFOGENABLE, VALUE_BOOL},
    {"STENCILENABLE", RS_STENCILENABLE, VALUE_BOOL},
    {"STENCILFAIL", RS_STENCILFAIL, VALUE_STENCILOP},
    {"STENCILZFAIL", RS_STENCILZFAIL, VALUE_STENCILOP},
    {"STENCILPASS", RS_STENCILPASS, VALUE_STENCILOP},
    {"STENCILFUNC", RS_STENCILFUNC, VALUE_CMP},
    {"STENCILREF", RS_STENCILREF, VALUE_INT},
    {"STENCILMASK", RS_STENCILMASK, VALUE_INT},
    {"STENCILWRITEMASK", RS_STENCILWRITEMASK, VALUE_INT},
    {"TEXTUREFACTOR", RS_TEXTUREFACTOR, VALUE_INT},
    {"CLIPPING", RS_CLIPPING, VALUE_BOOL},
    {"LIGHTING", RS_LIGHTING, VALUE_BOOL},
    {"AMBIENT", RS_AMBIENT, VALUE_INT},
    {"FOGVERTEXMODE", RS_FOGVERTEXMODE, VALUE_FOG},
    {"COLORVERTEX", RS_COLORVERTEX, VALUE_BOOL},
    {"LOCALVIEWER", RS_LOCALVIEWER, VALUE_BOOL},
    {"NORMALIZENORMALS", RS_NORMALIZENORMALS, VALUE_BOOL},
    {"DIFFUSEMATERIALSOURCE", RS_DIFFUSEMATERIALSOURCE, VALUE_MATERIALSOURCE},
    {"SPECULARMATERIALSOURCE", RS_SPECULARMATERIALSOURCE, VALUE_MATERIALSOURCE},
    {"AMBIENTMATERIALSOURCE", RS_AMBIENTMATERIALSOURCE, VALUE_MATERIALSOURCE},
    {"EMISSIVEMATERIALSOURCE", RS_EMISSIVEMATERIALSOURCE, VALUE_MATERIALSOURCE},
    {"POINTSIZE", RS_POINTSIZE, VALUE_FLOAT},
    {"POINTSIZE_MIN", RS_POINTSIZE_MIN, VALUE_FLOAT},
    {"POINTSIZE_MAX", RS_POINTSIZE_MAX, VALUE_FLOAT},
    {"POINTSPRITEENABLE", RS_POINTSPRITEENABLE, VALUE_BOOL},
    {"POINTSCALEENABLE", RS_POINTSCALEENABLE, VALUE_BOOL},
    {"MULTISAMPLEANTIALIAS", RS_MULTISAMPLEANTIALIAS, VALUE_BOOL},
    {"MULTISAMPLEMASK", RS_MULTISAMPLEMASK, VALUE_INT},
    {"COLORWRITEENABLE", RS_COLORWRITEENABLE, VALUE_INT},
    {"BLENDOP", RS_BLENDOP, VALUE_BLENDOP},
    {"SCISSORTESTENABLE", RS_SCISSORTESTENABLE, VALUE_BOOL},
    {"SLOPESCALEDEPTHBIAS", RS_SLOPESCALEDEPTHBIAS, VALUE_FLOAT},
    {"ANTIALIASEDLINEENABLE", RS_ANTIALIASEDLINEENABLE, VALUE_BOOL},
    {"TWOSIDEDSTENCILMODE", RS_TWOSIDEDSTENCILMODE, VALUE_BOOL},
    {"CCW_STENCILFAIL", RS_CCW_STENCILFAIL, VALUE_STENCILOP},
    {"CCW_STENCILZFAIL", RS_CCW_STENCILZFAIL, VALUE_STENCILOP},
    {"CCW_STENCILPASS", RS_CCW_STENCILPASS, VALUE_STENCILOP},
    {"CCW_STENCILFUNC", RS_CCW_STENCILFUNC, VALUE_CMP},
    {"BLENDFACTOR", RS_BLENDFACTOR, VALUE_INT},
    {"DEPTHBIAS", RS_DEPTHBIAS, VALUE_FLOAT},
    {"SEPARATEALPHABLENDENABLE", RS_SEPARATEALPHABLENDENABLE, VALUE_BOOL},
    {"SRCBLENDALPHA", RS_SRCBLENDALPHA, VALUE_BLEND},
    {"DESTBLENDALPHA", RS_DESTBLENDALPHA, VALUE_BLEND},
    {"BLENDOPALPHA", RS_BLENDOPALPHA, VALUE_BLENDOP},
};

const StateName SAMPLER_STATES[] = {
    {"ADDRESSU", SAMP_ADDRESSU, VALUE_ADDRESS},
    {"ADDRESSV", SAMP_ADDRESSV, VALUE_ADDRESS},
    {"ADDRESSW", SAMP_ADDRESSW, VALUE_ADDRESS},
    {"BORDERCOLOR", SAMP_BORDERCOLOR, VALUE_INT},
    {"MAGFILTER", SAMP_MAGFILTER, VALUE_FILTER},
    {"MINFILTER", SAMP_MINFILTER, VALUE_FILTER},
    {"MIPFILTER", SAMP_MIPFILTER, VALUE_FILTER},
    {"MIPMAPLODBIAS", SAMP_MIPMAPLODBIAS, VALUE_FLOAT},
    {"MAXMIPLEVEL", SAMP_MAXMIPLEVEL, VALUE_INT},
    {"MAXANISOTROPY", SAMP_MAXANISOTROPY, VALUE_INT},
    {"SRGBTEXTURE", SAMP_SRGBTEXTURE, VALUE_BOOL},
};

const ValueName BOOL_VALUES[] = {{"TRUE", 1}, {"FALSE", 0}};
const ValueName ZBUFFER_VALUES[] = {{"TRUE", ZB_TRUE}, {"FALSE", ZB_FALSE}, {"USEW", ZB_USEW}};
const ValueName FILL_VALUES[] = {{"POINT", FILL_POINT}, {"WIREFRAME", FILL_WIREFRAME}, {"SOLID", FILL_SOLID}};
const ValueName SHADE_VALUES[] = {{"FLAT", SHADE_FLAT}, {"GOURAUD", SHADE_GOURAUD}};
const ValueName BLEND_VALUES[] = {
    {"ZERO", BLEND_ZERO},
    {"ONE", BLEND_ONE},
    {"SRCCOLOR", BLEND_SRCCOLOR},
    {"INVSRCCOLOR", BLEND_INVSRCCOLOR},
    {"SRCALPHA", BLEND_SRCALPHA},
    {"INVSRCALPHA", BLEND_INVSRCALPHA},
    {"DESTALPHA", BLEND_DESTALPHA},
    {"INVDESTALPHA", BLEND_INVDESTALPHA},
    {"DESTCOLOR", BLEND_DESTCOLOR},
    {"INVDESTCOLOR", BLEND_INVDESTCOLOR},
    {"SRCALPHASAT", BLEND_SRCALPHASAT},
    {"BOTHSRCALPHA", BLEND_BOTHSRCALPHA},
    {"BOTHINVSRCALPHA", BLEND_BOTHINVSRCALPHA},
    {"BLENDFACTOR", BLEND_BLENDFACTOR},
    {"INVBLENDFACTOR", BLEND_INVBLENDFACTOR},
};
const ValueName BLENDOP_VALUES[] = {
    {"ADD", BLENDOP_ADD}, {"SUBTRACT", BLENDOP_SUBTRACT}, {"REVSUBTRACT", BLENDOP_REVSUBTRACT},
    {"MIN", BLENDOP_MIN}, {"MAX", BLENDOP_MAX},
};
const ValueName CULL_VALUES[] = {{"NONE", CULL_NONE}, {"CW", CULL_CW}, {"CCW", CULL_CCW}};
const ValueName CMP_VALUES[] = {
    {"NEVER", CMP_NEVER},     {"LESS", CMP_LESS},       {"EQUAL", CMP_EQUAL},
    {"LESSEQUAL", CMP_LESSEQUAL}, {"GREATER", CMP_GREATER}, {"NOTEQUAL", CMP_NOTEQUAL},
    {"GREATEREQUAL", CMP_GREATEREQUAL}, {"ALWAYS", CMP_ALWAYS},
};
const ValueName STENCILOP_VALUES[] = {
    {"KEEP", STENCILOP_KEEP},       {"ZERO", STENCILOP_ZERO},       {"REPLACE", STENCILOP_REPLACE},
    {"INCRSAT", STENCILOP_INCRSAT}, {"DECRSAT", STENCILOP_DECRSAT}, {"INVERT", STENCILOP_INVERT},
    {"INCR", STENCILOP_INCR},       {"DECR", STENCILOP_DECR},
};
const ValueName FOG_VALUES[] = {{"NONE", FOG_NONE}, {"EXP", FOG_EXP}, {"EXP2", FOG_EXP2}, {"LINEAR", FOG_LINEAR}};
const ValueName MATERIALSOURCE_VALUES[] = {{"MATERIAL", MCS_MATERIAL}, {"COLOR1", MCS_COLOR1}, {"COLOR2", MCS_COLOR2}};
const ValueName ADDRESS_VALUES[] = {
    {"WRAP", TADDRESS_WRAP},     {"MIRROR", TADDRESS_MIRROR},         {"CLAMP", TADDRESS_CLAMP},
    {"BORDER", TADDRESS_BORDER}, {"MIRRORONCE", TADDRESS_MIRRORONCE},
};
const ValueName FILTER_VALUES[] = {
    {"NONE", TEXF_NONE},
    {"POINT", TEXF_POINT},
    {"LINEAR", TEXF_LINEAR},
    {"ANISOTROPIC", TEXF_ANISOTROPIC},
    {"PYRAMIDALQUAD", TEXF_PYRAMIDALQUAD},
    {"GAUSSIANQUAD", TEXF_GAUSSIANQUAD},
};

struct ValueTable {
    const ValueName* names;
    size_t count;
    const char* prefix;  // the device's prefix of these values, accepted in front of a name
};

template <size_t N>
ValueTable Table(const ValueName (&names)[N], const char* prefix)
{
    return ValueTable{names, N, prefix};
}

ValueTable TableOf(ValueKind kind)
{
    switch (kind) {
    case VALUE_BOOL: return Table(BOOL_VALUES, "");
    case VALUE_ZBUFFER: return Table(ZBUFFER_VALUES, "ZB_");
    case VALUE_FILL: return Table(FILL_VALUES, "FILL_");
    case VALUE_SHADE: return Table(SHADE_VALUES, "SHADE_");
    case VALUE_BLEND: return Table(BLEND_VALUES, "BLEND_");
    case VALUE_BLENDOP: return Table(BLENDOP_VALUES, "BLENDOP_");
    case VALUE_CULL: return Table(CULL_VALUES, "CULL_");
    case VALUE_CMP: return Table(CMP_VALUES, "CMP_");
    case VALUE_STENCILOP: return Table(STENCILOP_VALUES, "STENCILOP_");
    case VALUE_FOG: return Table(FOG_VALUES, "FOG_");
    case VALUE_MATERIALSOURCE: return Table(MATERIALSOURCE_VALUES, "MCS_");
    case VALUE_ADDRESS: return Table(ADDRESS_VALUES, "TADDRESS_");
    case VALUE_FILTER: return Table(FILTER_VALUES, "TEXF_");
    default: return ValueTable{nullptr, 0, ""};
    }
}

const char* SkipPrefix(const char* text, const char* prefix)
{
    size_t n = strlen(prefix);
    if (n && strncasecmp(text, prefix, n) == 0 && text[n]) return text + n;
    return text;
}

bool ParseInteger(const char* text, uint32_t* out)
{
    if (!*text) return false;
    char* end = nullptr;
    errno = 0;
    if (*text == '-') {
        long long v = strtoll(text, &end, 0);
        if (*end || errno || v < INT32_MIN) return false;
        *out = (uint32_t)(int32_t)v;
        return true;
    }
    unsigned long long v = strtoull(text, &end, 0);
    if (*end || errno || v > 0xFFFFFFFFull) return false;
    *out = (uint32_t)v;
    return true;
}

bool ParseValue(ValueKind kind, const char* text, uint32_t* out)
{
    if (kind == VALUE_FLOAT) {
        char* end = nullptr;
        float f = strtof(text, &end);
        if (end == text || *end) return false;
        *out = FloatBits(f);
        return true;
    }
    ValueTable table = TableOf(kind);
    const char* bare = SkipPrefix(text, table.prefix);
    for (size_t i = 0; i < table.count; ++i) {
        if (strcasecmp(bare, table.names[i].name) == 0) {
            *out = table.names[i].value;
            return true;
        }
    }
    return ParseInteger(text, out);
}

template <size_t N>
bool ParseState(const StateName (&states)[N], const char* prefix, const char* what, const char* name,
                const char* value, uint32_t* state, uint32_t* bits, std::string* error)
{
    if (!name || !value) return false;
    const char* bare = SkipPrefix(name, prefix);
    for (const StateName& s : states) {
        if (strcasecmp(bare, s.name) != 0) continue;
        uint32_t v = 0;
        if (!ParseValue(s.kind, value, &v)) {
            if (error) *error = std::string("'") + value + "' is not a value of " + what + " " + s.name;
            return false;
        }
        *state = s.id;
        *bits = v;
        return true;
    }
    if (error) *error = std::string("unknown ") + what + " '" + name + "'";
    return false;
}

}  // namespace

bool ParseRenderState(const char* name, const char* value, uint32_t* state, uint32_t* bits, std::string* error)
{
    return ParseState(RENDER_STATES, "RS_", "render state", name, value, state, bits, error);
}

bool ParseSamplerState(const char* name, const char* value, uint32_t* state, uint32_t* bits, std::string* error)
{
    return ParseState(SAMPLER_STATES, "SAMP_", "sampler state", name, value, state, bits, error);
}
