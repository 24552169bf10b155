// Drawing: the game's states turned into OpenGL state, the vertex layout, the
// fixed-function program of the current states, and the draw calls.
#include "host/FixedFunction.h"
#include "host/GfxDevice.h"
#include "host/GfxInternal.h"
#include "host/Log.h"
#include "host/SteadyMath.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

GLenum GlCompare(uint32_t func)
{
    switch (func) {
    case CMP_NEVER: return GL_NEVER;
    case CMP_LESS: return GL_LESS;
    case CMP_EQUAL: return GL_EQUAL;
    case CMP_LESSEQUAL: return GL_LEQUAL;
    case CMP_GREATER: return GL_GREATER;
    case CMP_NOTEQUAL: return GL_NOTEQUAL;
    case CMP_GREATEREQUAL: return GL_GEQUAL;
    default: return GL_ALWAYS;
    }
}

GLenum GlBlend(uint32_t blend)
{
    switch (blend) {
    case BLEND_ZERO: return GL_ZERO;
    case BLEND_ONE: return GL_ONE;
    case BLEND_SRCCOLOR: return GL_SRC_COLOR;
    case BLEND_INVSRCCOLOR: return GL_ONE_MINUS_SRC_COLOR;
    case BLEND_SRCALPHA: return GL_SRC_ALPHA;
    case BLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    case BLEND_DESTALPHA: return GL_DST_ALPHA;
    case BLEND_INVDESTALPHA: return GL_ONE_MINUS_DST_ALPHA;
    case BLEND_DESTCOLOR: return GL_DST_COLOR;
    case BLEND_INVDESTCOLOR: return GL_ONE_MINUS_DST_COLOR;
    case BLEND_SRCALPHASAT: return GL_SRC_ALPHA_SATURATE;
    case BLEND_BLENDFACTOR: return GL_CONSTANT_COLOR;
    case BLEND_INVBLENDFACTOR: return GL_ONE_MINUS_CONSTANT_COLOR;
    default: return GL_ONE;
    }
}

// The two source/destination pairs that name both factors at once.
void ResolveBlendPair(uint32_t& source, uint32_t& destination)
{
    if (source == BLEND_BOTHSRCALPHA) {
        source = BLEND_SRCALPHA;
        destination = BLEND_INVSRCALPHA;
    } else if (source == BLEND_BOTHINVSRCALPHA) {
        source = BLEND_INVSRCALPHA;
        destination = BLEND_SRCALPHA;
    }
}

GLenum GlBlendOp(uint32_t op)
{
    switch (op) {
    case BLENDOP_SUBTRACT: return GL_FUNC_SUBTRACT;
    case BLENDOP_REVSUBTRACT: return GL_FUNC_REVERSE_SUBTRACT;
    case BLENDOP_MIN: return GL_MIN;
    case BLENDOP_MAX: return GL_MAX;
    default: return GL_FUNC_ADD;
    }
}

GLenum GlStencilOp(uint32_t op)
{
    switch (op) {
    case STENCILOP_ZERO: return GL_ZERO;
    case STENCILOP_REPLACE: return GL_REPLACE;
    case STENCILOP_INCRSAT: return GL_INCR;
    case STENCILOP_DECRSAT: return GL_DECR;
    case STENCILOP_INVERT: return GL_INVERT;
    case STENCILOP_INCR: return GL_INCR_WRAP;
    case STENCILOP_DECR: return GL_DECR_WRAP;
    default: return GL_KEEP;
    }
}

GLenum GlAddress(uint32_t address, bool mirrorClamp)
{
    switch (address) {
    case TADDRESS_MIRROR: return GL_MIRRORED_REPEAT;
    case TADDRESS_CLAMP: return GL_CLAMP_TO_EDGE;
    case TADDRESS_BORDER: return GL_CLAMP_TO_BORDER;
    case TADDRESS_MIRRORONCE: return mirrorClamp ? GL_MIRROR_CLAMP_TO_EDGE : GL_MIRRORED_REPEAT;
    default: return GL_REPEAT;
    }
}

void ColorToFloats(GfxColor c, float out[4])
{
    out[0] = ((c >> 16) & 0xFF) / 255.0f;
    out[1] = ((c >> 8) & 0xFF) / 255.0f;
    out[2] = (c & 0xFF) / 255.0f;
    out[3] = (c >> 24) / 255.0f;
}

bool PrimitiveInfo(GfxPrimitiveType type, uint32_t primitives, GLenum& mode, uint32_t& vertices)
{
    switch (type) {
    case PT_POINTLIST: mode = GL_POINTS; vertices = primitives; return true;
    case PT_LINELIST: mode = GL_LINES; vertices = primitives * 2; return true;
    case PT_LINESTRIP: mode = GL_LINE_STRIP; vertices = primitives + 1; return true;
    case PT_TRIANGLELIST: mode = GL_TRIANGLES; vertices = primitives * 3; return true;
    case PT_TRIANGLESTRIP: mode = GL_TRIANGLE_STRIP; vertices = primitives + 2; return true;
    case PT_TRIANGLEFAN: mode = GL_TRIANGLE_FAN; vertices = primitives + 2; return true;
    default: return false;
    }
}

// The mip filter a sampler's states give a texture of one level or of more. With one level
// every mip filter samples that level alone: such a draw looks the same with none, and the
// driver then makes one piece of code for it rather than one for each mip filter the draws
// before happened to leave on the stage. Kept where it could still change the picture: where it
// moves the point between magnifying and minifying (a point min filter under a linear mag
// filter), and with anisotropic filtering.
uint32_t EffectiveMipFilter(const uint32_t* samplerStates, bool singleLevel)
{
    const uint32_t mip = samplerStates[SAMP_MIPFILTER];
    if (!singleLevel || mip == TEXF_NONE) return mip;
    const uint32_t minFilter = samplerStates[SAMP_MINFILTER], magFilter = samplerStates[SAMP_MAGFILTER];
    if (minFilter == TEXF_ANISOTROPIC || magFilter == TEXF_ANISOTROPIC) return mip;
    const bool minPoint = minFilter == TEXF_POINT || minFilter == TEXF_NONE;
    if (minPoint && magFilter != TEXF_POINT) return mip;
    return TEXF_NONE;
}

}  // namespace

// ---- Render states ----------------------------------------------------------------------------

void GfxDevice::ApplyRenderStates()
{
    const uint32_t* rs = renderStates_;
    if (dirty_ & DIRTY_VIEWPORT) {
        glViewport((GLint)viewport_.X, (GLint)viewport_.Y, (GLsizei)viewport_.Width, (GLsizei)viewport_.Height);
        glDepthRange(viewport_.MinZ, viewport_.MaxZ);
    }
    if (dirty_ & DIRTY_DEPTH) {
        bool test = rs[RS_ZENABLE] != ZB_FALSE && depthStencil_;
        if (test)
            glEnable(GL_DEPTH_TEST);
        else
            glDisable(GL_DEPTH_TEST);
        glDepthFunc(GlCompare(rs[RS_ZFUNC]));
        glDepthMask(rs[RS_ZWRITEENABLE] ? GL_TRUE : GL_FALSE);
    }
    if (dirty_ & DIRTY_BLEND) {
        if (rs[RS_ALPHABLENDENABLE])
            glEnable(GL_BLEND);
        else
            glDisable(GL_BLEND);
        uint32_t source = rs[RS_SRCBLEND], destination = rs[RS_DESTBLEND];
        ResolveBlendPair(source, destination);
        uint32_t sourceAlpha = source, destinationAlpha = destination, opAlpha = rs[RS_BLENDOP];
        if (rs[RS_SEPARATEALPHABLENDENABLE]) {
            sourceAlpha = rs[RS_SRCBLENDALPHA];
            destinationAlpha = rs[RS_DESTBLENDALPHA];
            opAlpha = rs[RS_BLENDOPALPHA];
            ResolveBlendPair(sourceAlpha, destinationAlpha);
        }
        if (BackBufferAlphaIsOne(renderTarget_)) {
            // The destination's alpha is 1 there (its stored alpha is not the picture's).
            auto alphaOne = [](uint32_t factor) {
                return factor == BLEND_DESTALPHA ? (uint32_t)BLEND_ONE
                       : factor == BLEND_INVDESTALPHA || factor == BLEND_SRCALPHASAT ? (uint32_t)BLEND_ZERO
                                                                                     : factor;
            };
            source = alphaOne(source);
            destination = alphaOne(destination);
            sourceAlpha = alphaOne(sourceAlpha);
            destinationAlpha = alphaOne(destinationAlpha);
        }
        glBlendFuncSeparate(GlBlend(source), GlBlend(destination), GlBlend(sourceAlpha), GlBlend(destinationAlpha));
        glBlendEquationSeparate(GlBlendOp(rs[RS_BLENDOP]), GlBlendOp(opAlpha));
        float factor[4];
        ColorToFloats(rs[RS_BLENDFACTOR], factor);
        glBlendColor(factor[0], factor[1], factor[2], factor[3]);
    }
    if (dirty_ & DIRTY_STENCIL) {
        if (rs[RS_STENCILENABLE] && depthStencil_)
            glEnable(GL_STENCIL_TEST);
        else
            glDisable(GL_STENCIL_TEST);
        GLint ref = (GLint)(rs[RS_STENCILREF] & 0xFF);
        GLuint mask = rs[RS_STENCILMASK] & 0xFF;
        // Clockwise triangles (the game's front faces) reach OpenGL as its front faces.
        glStencilFuncSeparate(GL_FRONT, GlCompare(rs[RS_STENCILFUNC]), ref, mask);
        glStencilOpSeparate(GL_FRONT, GlStencilOp(rs[RS_STENCILFAIL]), GlStencilOp(rs[RS_STENCILZFAIL]),
                            GlStencilOp(rs[RS_STENCILPASS]));
        if (rs[RS_TWOSIDEDSTENCILMODE]) {
            glStencilFuncSeparate(GL_BACK, GlCompare(rs[RS_CCW_STENCILFUNC]), ref, mask);
            glStencilOpSeparate(GL_BACK, GlStencilOp(rs[RS_CCW_STENCILFAIL]), GlStencilOp(rs[RS_CCW_STENCILZFAIL]),
                                GlStencilOp(rs[RS_CCW_STENCILPASS]));
        } else {
            glStencilFuncSeparate(GL_BACK, GlCompare(rs[RS_STENCILFUNC]), ref, mask);
            glStencilOpSeparate(GL_BACK, GlStencilOp(rs[RS_STENCILFAIL]), GlStencilOp(rs[RS_STENCILZFAIL]),
                                GlStencilOp(rs[RS_STENCILPASS]));
        }
        glStencilMask(rs[RS_STENCILWRITEMASK] & 0xFF);
    }
    if (dirty_ & DIRTY_RASTER) {
        // Every target is drawn top row first (see vm_ToClip), which turns the game's clockwise
        // triangles into OpenGL's counter-clockwise front faces.
        glFrontFace(GL_CCW);
        if (rs[RS_CULLMODE] == CULL_CW) {
            glEnable(GL_CULL_FACE);
            glCullFace(GL_FRONT);
        } else if (rs[RS_CULLMODE] == CULL_CCW) {
            glEnable(GL_CULL_FACE);
            glCullFace(GL_BACK);
        } else {
            glDisable(GL_CULL_FACE);
        }
        GLenum fill = rs[RS_FILLMODE] == FILL_POINT ? GL_POINT : rs[RS_FILLMODE] == FILL_WIREFRAME ? GL_LINE : GL_FILL;
        glPolygonMode(GL_FRONT_AND_BACK, fill);
        uint32_t mask = rs[RS_COLORWRITEENABLE];
        glColorMask((mask & COLORWRITEENABLE_RED) != 0, (mask & COLORWRITEENABLE_GREEN) != 0,
                    (mask & COLORWRITEENABLE_BLUE) != 0, (mask & COLORWRITEENABLE_ALPHA) != 0);
        if (rs[RS_SCISSORTESTENABLE]) {
            glEnable(GL_SCISSOR_TEST);
            glScissor(scissor_.left, scissor_.top, std::max(0, scissor_.right - scissor_.left),
                      std::max(0, scissor_.bottom - scissor_.top));
        } else {
            glDisable(GL_SCISSOR_TEST);
        }
        float bias = BitsToFloat(rs[RS_DEPTHBIAS]), slope = BitsToFloat(rs[RS_SLOPESCALEDEPTHBIAS]);
        if (bias != 0.0f || slope != 0.0f) {
            glEnable(GL_POLYGON_OFFSET_FILL);
            glEnable(GL_POLYGON_OFFSET_LINE);
            // The game's bias is in depth units; OpenGL's in steps of a 24-bit depth buffer.
            glPolygonOffset(slope, bias * 16777216.0f);
        } else {
            glDisable(GL_POLYGON_OFFSET_FILL);
            glDisable(GL_POLYGON_OFFSET_LINE);
        }
        if (rs[RS_MULTISAMPLEANTIALIAS])
            glEnable(GL_MULTISAMPLE);
        else
            glDisable(GL_MULTISAMPLE);
    }
    dirty_ &= DIRTY_VERTEX_INPUT;
}

void GfxDevice::ApplySamplers()
{
    uint32_t units = program_ ? MAX_SAMPLERS : FIXED_FUNCTION_STAGES;
    for (uint32_t unit = 0; unit < units; ++unit) {
        GfxBaseTexture* texture = textures_[unit];
        if (texture && texture->GetGLName()) {
            uint32_t target = texture->GetType() == RTYPE_CUBETEXTURE ? GL_TEXTURE_CUBE_MAP : GL_TEXTURE_2D;
            if (boundTexture_[unit] != texture->GetGLName() || boundTarget_[unit] != target) {
                glActiveTexture(GL_TEXTURE0 + unit);
                // The other target may still hold a texture of an earlier draw.
                glBindTexture(target == GL_TEXTURE_2D ? GL_TEXTURE_CUBE_MAP : GL_TEXTURE_2D, 0);
                glBindTexture(target, texture->GetGLName());
                boundTexture_[unit] = texture->GetGLName();
                boundTarget_[unit] = target;
            }
        } else if (boundTexture_[unit] != 0) {
            // An empty stage reads black (0, 0, 0, 1), as the effects expect of a map a mesh
            // does not have, never the texture the unit held for the draw before.
            glActiveTexture(GL_TEXTURE0 + unit);
            glBindTexture(GL_TEXTURE_2D, 0);
            glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
            boundTexture_[unit] = 0;
        }
        const uint32_t* ss = samplerStates_[unit];
        GLuint sampler = samplers_[unit];
        // The min filter follows the texture too (one level or more), not only the states.
        const bool singleLevel = texture && texture->GetGLName() && texture->GetLevelCount() == 1;
        const uint32_t mipFilter = EffectiveMipFilter(ss, singleLevel);
        const bool minPoint = ss[SAMP_MINFILTER] == TEXF_POINT || ss[SAMP_MINFILTER] == TEXF_NONE;
        GLenum min;
        if (mipFilter == TEXF_NONE)
            min = minPoint ? GL_NEAREST : GL_LINEAR;
        else if (mipFilter == TEXF_POINT)
            min = minPoint ? GL_NEAREST_MIPMAP_NEAREST : GL_LINEAR_MIPMAP_NEAREST;
        else
            min = minPoint ? GL_NEAREST_MIPMAP_LINEAR : GL_LINEAR_MIPMAP_LINEAR;
        if (!samplerDirty_[unit]) {
            if (samplerMinFilter_[unit] != min) {
                glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, (GLint)min);
                samplerMinFilter_[unit] = min;
            }
            continue;
        }
        samplerDirty_[unit] = false;
        glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, GlAddress(ss[SAMP_ADDRESSU], mirrorClampToEdge_));
        glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, GlAddress(ss[SAMP_ADDRESSV], mirrorClampToEdge_));
        glSamplerParameteri(sampler, GL_TEXTURE_WRAP_R, GlAddress(ss[SAMP_ADDRESSW], mirrorClampToEdge_));
        float border[4];
        ColorToFloats(ss[SAMP_BORDERCOLOR], border);
        glSamplerParameterfv(sampler, GL_TEXTURE_BORDER_COLOR, border);
        glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, ss[SAMP_MAGFILTER] == TEXF_POINT ? GL_NEAREST : GL_LINEAR);
        glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, (GLint)min);
        samplerMinFilter_[unit] = min;
        if (anisotropic_) {
            bool aniso = ss[SAMP_MINFILTER] == TEXF_ANISOTROPIC || ss[SAMP_MAGFILTER] == TEXF_ANISOTROPIC;
            float amount = aniso ? (float)std::min(std::max(ss[SAMP_MAXANISOTROPY], 1u), caps_.MaxAnisotropy) : 1.0f;
            glSamplerParameterf(sampler, GL_TEXTURE_MAX_ANISOTROPY_EXT, amount);
        }
        glSamplerParameterf(sampler, GL_TEXTURE_LOD_BIAS, BitsToFloat(ss[SAMP_MIPMAPLODBIAS]));
        glSamplerParameterf(sampler, GL_TEXTURE_MIN_LOD, (float)ss[SAMP_MAXMIPLEVEL]);
    }
}

// ---- Vertex input -----------------------------------------------------------------------------

GfxVertexDeclaration* GfxDevice::ActiveDeclaration()
{
    if (declaration_) return declaration_;
    if (!fvf_) return nullptr;
    auto it = fvfDeclarations_.find(fvf_);
    return it == fvfDeclarations_.end() ? nullptr : it->second;
}

void GfxDevice::ApplyVertexInput(int32_t)
{
    GfxVertexDeclaration* declaration = ActiveDeclaration();
    uint32_t used = 0;
    if (declaration) {
        for (const GfxVertexDeclaration::Attribute& a : declaration->GetAttributes()) {
            const Stream& stream = streams_[a.stream];
            GLuint buffer = (upActive_ && a.stream == 0) ? upVertexBuffer_
                                                          : (stream.buffer ? stream.buffer->GetGLName() : 0);
            if (!buffer) continue;
            GLsizei stride = (GLsizei)((upActive_ && a.stream == 0) ? upStride_ : stream.stride);
            const void* offset =
                (const void*)(uintptr_t)(((upActive_ && a.stream == 0) ? 0 : stream.offset) + a.offset);
            glBindBuffer(GL_ARRAY_BUFFER, buffer);
            GLuint location = a.location;
            switch (a.type) {
            case DECLTYPE_FLOAT1:
            case DECLTYPE_FLOAT2:
            case DECLTYPE_FLOAT3:
            case DECLTYPE_FLOAT4:
                glVertexAttribPointer(location, (GLint)(a.type - DECLTYPE_FLOAT1 + 1), GL_FLOAT, GL_FALSE, stride, offset);
                break;
            case DECLTYPE_D3DCOLOR:
                // 0xAARRGGBB in memory is B, G, R, A: OpenGL reads that order as BGRA.
                glVertexAttribPointer(location, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride, offset);
                break;
            case DECLTYPE_UBYTE4: glVertexAttribPointer(location, 4, GL_UNSIGNED_BYTE, GL_FALSE, stride, offset); break;
            case DECLTYPE_UBYTE4N: glVertexAttribPointer(location, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride, offset); break;
            case DECLTYPE_SHORT2: glVertexAttribPointer(location, 2, GL_SHORT, GL_FALSE, stride, offset); break;
            case DECLTYPE_SHORT4: glVertexAttribPointer(location, 4, GL_SHORT, GL_FALSE, stride, offset); break;
            case DECLTYPE_SHORT2N: glVertexAttribPointer(location, 2, GL_SHORT, GL_TRUE, stride, offset); break;
            case DECLTYPE_SHORT4N: glVertexAttribPointer(location, 4, GL_SHORT, GL_TRUE, stride, offset); break;
            case DECLTYPE_USHORT2N: glVertexAttribPointer(location, 2, GL_UNSIGNED_SHORT, GL_TRUE, stride, offset); break;
            case DECLTYPE_USHORT4N: glVertexAttribPointer(location, 4, GL_UNSIGNED_SHORT, GL_TRUE, stride, offset); break;
            case DECLTYPE_FLOAT16_2: glVertexAttribPointer(location, 2, GL_HALF_FLOAT, GL_FALSE, stride, offset); break;
            case DECLTYPE_FLOAT16_4: glVertexAttribPointer(location, 4, GL_HALF_FLOAT, GL_FALSE, stride, offset); break;
            default: continue;
            }
            glEnableVertexAttribArray(location);
            used |= 1u << location;
        }
    }
    // Fields a vertex lacks read the values set once at start-up.
    for (GLuint location = 0; location < ATTRIB_COUNT; ++location)
        if ((enabledAttributes_ & ~used) & (1u << location)) glDisableVertexAttribArray(location);
    enabledAttributes_ = used;
    dirty_ &= ~DIRTY_VERTEX_INPUT;
}

// ---- Fixed function ---------------------------------------------------------------------------

void GfxDevice::FillFixedFunctionKey(FixedFunctionKey& key) const
{
    const uint32_t* rs = renderStates_;
    GfxVertexDeclaration* declaration = const_cast<GfxDevice*>(this)->ActiveDeclaration();
    if (declaration) {
        key.pretransformed = declaration->IsPretransformed();
        key.hasNormal = declaration->Has(ATTRIB_NORMAL);
        key.hasColor0 = declaration->Has(ATTRIB_COLOR0);
        key.hasColor1 = declaration->Has(ATTRIB_COLOR1);
        for (uint32_t set = 0; set < MAX_TEXCOORD_SETS; ++set)
            if (declaration->Has(ATTRIB_TEXCOORD0 + set)) key.texCoordSets |= (uint8_t)(1u << set);
    }
    key.specular = rs[RS_SPECULARENABLE] ? 1 : 0;
    if (rs[RS_LIGHTING] && !key.pretransformed) {
        key.lighting = 1;
        key.normalizeNormals = rs[RS_NORMALIZENORMALS] ? 1 : 0;
        key.localViewer = rs[RS_LOCALVIEWER] ? 1 : 0;
        if (rs[RS_COLORVERTEX]) {
            key.diffuseSource = (uint8_t)rs[RS_DIFFUSEMATERIALSOURCE];
            key.ambientSource = (uint8_t)rs[RS_AMBIENTMATERIALSOURCE];
            key.specularSource = (uint8_t)rs[RS_SPECULARMATERIALSOURCE];
            key.emissiveSource = (uint8_t)rs[RS_EMISSIVEMATERIALSOURCE];
        }
        for (uint32_t i = 0; i < MAX_LIGHTS; ++i)
            key.lightTypes[i] = lightEnabled_[i] ? (uint8_t)lights_[i].Type : 0;
    }
    if (rs[RS_FOGENABLE]) {
        uint32_t table = rs[RS_FOGTABLEMODE], vertex = rs[RS_FOGVERTEXMODE];
        if (table >= FOG_EXP && table <= FOG_LINEAR) {
            key.fogKind = FOGKIND_TABLE;
            key.fogMode = (uint8_t)table;
            // A perspective projection fogs by eye distance, any other by depth.
            key.fogFromW = projection_._34 != 0.0f ? 1 : 0;
        } else if (vertex >= FOG_EXP && vertex <= FOG_LINEAR && !key.pretransformed) {
            key.fogKind = FOGKIND_VERTEX;
            key.fogMode = (uint8_t)vertex;
            key.rangeFog = rs[RS_RANGEFOGENABLE] ? 1 : 0;
        } else {
            key.fogKind = FOGKIND_SPECULAR;
        }
    }
    key.flatShading = rs[RS_SHADEMODE] == SHADE_FLAT ? 1 : 0;
    if (rs[RS_ALPHATESTENABLE])
        key.alphaFunc = (uint8_t)(rs[RS_ALPHAFUNC] >= CMP_NEVER && rs[RS_ALPHAFUNC] <= CMP_ALWAYS ? rs[RS_ALPHAFUNC]
                                                                                                : CMP_ALWAYS);
    for (uint32_t s = 0; s < FIXED_FUNCTION_STAGES; ++s) {
        const uint32_t* ts = stageStates_[s];
        if (ts[TSS_COLOROP] < TOP_SELECTARG1 || ts[TSS_COLOROP] > TOP_LERP) break;
        FixedFunctionKey::Stage& st = key.stages[s];
        st.colorOp = (uint8_t)ts[TSS_COLOROP];
        st.colorArg[0] = (uint8_t)ts[TSS_COLORARG0];
        st.colorArg[1] = (uint8_t)ts[TSS_COLORARG1];
        st.colorArg[2] = (uint8_t)ts[TSS_COLORARG2];
        st.alphaOp = ts[TSS_ALPHAOP] <= TOP_LERP ? (uint8_t)ts[TSS_ALPHAOP] : (uint8_t)TOP_DISABLE;
        st.alphaArg[0] = (uint8_t)ts[TSS_ALPHAARG0];
        st.alphaArg[1] = (uint8_t)ts[TSS_ALPHAARG1];
        st.alphaArg[2] = (uint8_t)ts[TSS_ALPHAARG2];
        st.resultTemp = ts[TSS_RESULTARG] == TA_TEMP ? 1 : 0;
        uint32_t set = ts[TSS_TEXCOORDINDEX] & 0xFFFF;
        st.texCoordSet = (uint8_t)(set < MAX_TEXCOORD_SETS ? set : 0xFF);
        GfxBaseTexture* texture = textures_[s];
        if (texture && texture->GetGLName())
            st.textureKind = texture->GetType() == RTYPE_CUBETEXTURE ? TEXKIND_CUBE : TEXKIND_2D;
    }
}

void GfxDevice::UploadFixedFunctionUniforms(FixedFunctionProgram& p)
{
    Matrix worldView;
    MatrixMultiply(&worldView, &world_, &view_);
    glUniformMatrix4fv(p.worldView, 1, GL_FALSE, &worldView._11);
    glUniformMatrix4fv(p.projection, 1, GL_FALSE, &projection_._11);
    if (p.normalMatrix >= 0) {
        // Normals go through the inverse transpose, so that scaling keeps them upright.
        Matrix inverse, normal;
        if (!MatrixInverse(&inverse, nullptr, &worldView)) inverse = worldView;
        MatrixTranspose(&normal, &inverse);
        float m3[9] = {normal._11, normal._12, normal._13, normal._21, normal._22,
                       normal._23, normal._31, normal._32, normal._33};
        glUniformMatrix3fv(p.normalMatrix, 1, GL_FALSE, m3);
    }
    Vec4 clip = GetClipAdjust();
    glUniform4f(p.clipAdjust, clip.x, clip.y, 0, 0);
    glUniform4f(p.viewport, (float)viewport_.X, (float)viewport_.Y, 2.0f / (float)std::max(1u, viewport_.Width),
                2.0f / (float)std::max(1u, viewport_.Height));
    glUniform4fv(p.matDiffuse, 1, &material_.Diffuse.r);
    glUniform4fv(p.matAmbient, 1, &material_.Ambient.r);
    glUniform4fv(p.matSpecular, 1, &material_.Specular.r);
    glUniform4fv(p.matEmissive, 1, &material_.Emissive.r);
    glUniform1f(p.matPower, material_.Power);
    float colour[4];
    ColorToFloats(renderStates_[RS_AMBIENT], colour);
    glUniform4fv(p.ambient, 1, colour);
    if (p.lightDiffuse >= 0) {
        float diffuse[MAX_LIGHTS * 4], specular[MAX_LIGHTS * 4], ambient[MAX_LIGHTS * 4];
        float position[MAX_LIGHTS * 3], direction[MAX_LIGHTS * 3], attenuation[MAX_LIGHTS * 4], spot[MAX_LIGHTS * 4];
        for (uint32_t i = 0; i < MAX_LIGHTS; ++i) {
            const GfxLight& l = lights_[i];
            const ColorValue* colours[3] = {&l.Diffuse, &l.Specular, &l.Ambient};
            float* targets[3] = {diffuse, specular, ambient};
            for (int c = 0; c < 3; ++c) {
                targets[c][i * 4 + 0] = colours[c]->r;
                targets[c][i * 4 + 1] = colours[c]->g;
                targets[c][i * 4 + 2] = colours[c]->b;
                targets[c][i * 4 + 3] = colours[c]->a;
            }
            // Lighting runs in view space.
            Vec3 pos, dir;
            Vec3TransformCoord(&pos, &l.Position, &view_);
            Vec3TransformNormal(&dir, &l.Direction, &view_);
            Vec3Normalize(&dir, &dir);
            position[i * 3 + 0] = pos.x, position[i * 3 + 1] = pos.y, position[i * 3 + 2] = pos.z;
            direction[i * 3 + 0] = dir.x, direction[i * 3 + 1] = dir.y, direction[i * 3 + 2] = dir.z;
            attenuation[i * 4 + 0] = l.Attenuation0;
            attenuation[i * 4 + 1] = l.Attenuation1;
            attenuation[i * 4 + 2] = l.Attenuation2;
            attenuation[i * 4 + 3] = l.Range;
            spot[i * 4 + 0] = Cos(l.Theta * 0.5f);
            spot[i * 4 + 1] = Cos(l.Phi * 0.5f);
            spot[i * 4 + 2] = l.Falloff;
            spot[i * 4 + 3] = 0;
        }
        glUniform4fv(p.lightDiffuse, MAX_LIGHTS, diffuse);
        glUniform4fv(p.lightSpecular, MAX_LIGHTS, specular);
        glUniform4fv(p.lightAmbient, MAX_LIGHTS, ambient);
        glUniform3fv(p.lightPosition, MAX_LIGHTS, position);
        glUniform3fv(p.lightDirection, MAX_LIGHTS, direction);
        glUniform4fv(p.lightAttenuation, MAX_LIGHTS, attenuation);
        glUniform4fv(p.lightSpot, MAX_LIGHTS, spot);
    }
    ColorToFloats(renderStates_[RS_FOGCOLOR], colour);
    glUniform4fv(p.fogColor, 1, colour);
    float start = BitsToFloat(renderStates_[RS_FOGSTART]), end = BitsToFloat(renderStates_[RS_FOGEND]);
    glUniform4f(p.fogParams, start, end, BitsToFloat(renderStates_[RS_FOGDENSITY]),
                end != start ? 1.0f / (end - start) : 1e30f);
    ColorToFloats(renderStates_[RS_TEXTUREFACTOR], colour);
    glUniform4fv(p.textureFactor, 1, colour);
    glUniform1f(p.alphaRef, (float)(renderStates_[RS_ALPHAREF] & 0xFF));
}

bool GfxDevice::ApplyFixedFunction()
{
    FixedFunctionKey key;
    FillFixedFunctionKey(key);
    // Consecutive draws mostly share their states: compare with the last key before looking up.
    if (!lastProgram_ || lastKey_.size() != sizeof(key) || memcmp(lastKey_.data(), &key, sizeof(key)) != 0) {
        std::string bytes = key.Bytes();
        auto it = fixedFunctionPrograms_.find(bytes);
        if (it == fixedFunctionPrograms_.end()) {
            std::unique_ptr<FixedFunctionProgram> program(new FixedFunctionProgram());
            if (!LinkFixedFunctionProgram(key, *program)) program->program = 0;
            glProgram_ = ~0u;
            it = fixedFunctionPrograms_.emplace(bytes, std::move(program)).first;
        }
        lastKey_ = bytes;
        lastProgram_ = it->second.get();
    }
    FixedFunctionProgram& program = *lastProgram_;
    if (!program.program) return false;
    UseGlProgram(program.program);
    if (program.uploadedSerial != uniformSerial_) {
        UploadFixedFunctionUniforms(program);
        program.uploadedSerial = uniformSerial_;
    }
    return true;
}

void GfxDevice::ApplyProgramBuiltins()
{
    const GfxProgram::Builtins& b = program_->GetBuiltins();
    if (b.world >= 0) glUniformMatrix4fv(b.world, 1, GL_FALSE, &world_._11);
    if (b.view >= 0) glUniformMatrix4fv(b.view, 1, GL_FALSE, &view_._11);
    if (b.projection >= 0) glUniformMatrix4fv(b.projection, 1, GL_FALSE, &projection_._11);
    if (b.worldViewProjection >= 0) {
        Matrix worldView, all;
        MatrixMultiply(&worldView, &world_, &view_);
        MatrixMultiply(&all, &worldView, &projection_);
        glUniformMatrix4fv(b.worldViewProjection, 1, GL_FALSE, &all._11);
    }
    if (b.clipAdjust >= 0) {
        Vec4 clip = GetClipAdjust();
        glUniform4f(b.clipAdjust, clip.x, clip.y, 0, 0);
    }
    if (b.alphaFunc >= 0)
        glUniform1i(b.alphaFunc, renderStates_[RS_ALPHATESTENABLE] ? (GLint)renderStates_[RS_ALPHAFUNC] : 0);
    if (b.alphaRef >= 0) glUniform1f(b.alphaRef, (float)(renderStates_[RS_ALPHAREF] & 0xFF));
    if (b.fogMode >= 0)
        glUniform1i(b.fogMode, renderStates_[RS_FOGENABLE] ? (GLint)renderStates_[RS_FOGTABLEMODE] : 0);
    if (b.fogColor >= 0) {
        float colour[4];
        ColorToFloats(renderStates_[RS_FOGCOLOR], colour);
        glUniform4fv(b.fogColor, 1, colour);
    }
    if (b.fogParams >= 0) {
        float start = BitsToFloat(renderStates_[RS_FOGSTART]), end = BitsToFloat(renderStates_[RS_FOGEND]);
        glUniform4f(b.fogParams, start, end, BitsToFloat(renderStates_[RS_FOGDENSITY]),
                    end != start ? 1.0f / (end - start) : 1e30f);
    }
}

// ---- Draw calls -------------------------------------------------------------------------------

bool GfxDevice::PrepareDraw()
{
    if (!BindTargetFramebuffer()) return false;
    ApplyRenderStates();
    ApplySamplers();
    if (program_) {
        if (!program_->GetGLName()) return false;
        UseGlProgram(program_->GetGLName());
        ApplyProgramBuiltins();
        return true;
    }
    return ApplyFixedFunction();
}

GfxResult GfxDevice::Draw(GfxPrimitiveType type, uint32_t primitiveCount, bool indexed, int32_t baseVertex,
                          uint32_t start, uint32_t indexSize)
{
    GLenum mode;
    uint32_t vertices;
    if (!PrimitiveInfo(type, primitiveCount, mode, vertices)) return ERR_INVALIDCALL;
    if (primitiveCount == 0) return GFX_OK;
    // A lost device draws nothing, and says nothing about it.
    if (loss_ != LOSS_NONE) return GFX_OK;
    if (!ActiveDeclaration()) return ERR_INVALIDCALL;
    if (!PrepareDraw()) return ERR_INVALIDCALL;
    if (recordedStates_) {
        std::string line = DescribeDrawStates();
        if (recordedSet_.insert(line).second) recordedStates_->push_back(line);
    }
    ApplyVertexInput(baseVertex);
    if (indexed) {
        glDrawElementsBaseVertex(mode, (GLsizei)vertices, indexSize == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
                                 (const void*)(uintptr_t)((size_t)start * indexSize), baseVertex);
    } else {
        glDrawArrays(mode, (GLint)start, (GLsizei)vertices);
    }
    return GFX_OK;
}

GfxResult GfxDevice::DrawPrimitive(GfxPrimitiveType type, uint32_t startVertex, uint32_t primitiveCount)
{
    GLenum mode;
    uint32_t vertices;
    if (!PrimitiveInfo(type, primitiveCount, mode, vertices)) return ERR_INVALIDCALL;
    // Every stream the layout reads must hold the vertices drawn.
    if (GfxVertexDeclaration* declaration = ActiveDeclaration()) {
        for (const GfxVertexDeclaration::Attribute& a : declaration->GetAttributes()) {
            const Stream& s = streams_[a.stream];
            if (!s.buffer) return ERR_INVALIDCALL;
            uint64_t end = (uint64_t)s.offset + (uint64_t)(startVertex + (vertices ? vertices - 1 : 0)) * s.stride + a.offset;
            if (vertices && end >= s.buffer->GetLength()) return ERR_INVALIDCALL;
        }
    }
    return Draw(type, primitiveCount, false, 0, startVertex, 0);
}

GfxResult GfxDevice::DrawIndexedPrimitive(GfxPrimitiveType type, int32_t baseVertexIndex, uint32_t,
                                          uint32_t, uint32_t startIndex, uint32_t primitiveCount)
{
    GLenum mode;
    uint32_t vertices;
    if (!indices_ || !PrimitiveInfo(type, primitiveCount, mode, vertices)) return ERR_INVALIDCALL;
    uint32_t size = indices_->GetIndexSize();
    if (((uint64_t)startIndex + vertices) * size > indices_->GetLength()) return ERR_INVALIDCALL;
    if (GfxVertexDeclaration* declaration = ActiveDeclaration())
        for (const GfxVertexDeclaration::Attribute& a : declaration->GetAttributes())
            if (!streams_[a.stream].buffer) return ERR_INVALIDCALL;
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indices_->GetGLName());
    return Draw(type, primitiveCount, true, baseVertexIndex, startIndex, size);
}

GfxResult GfxDevice::DrawPrimitiveUP(GfxPrimitiveType type, uint32_t primitiveCount, const void* vertices,
                                     uint32_t stride)
{
    GLenum mode;
    uint32_t count;
    if (!vertices || stride == 0 || !PrimitiveInfo(type, primitiveCount, mode, count)) return ERR_INVALIDCALL;
    glBindBuffer(GL_ARRAY_BUFFER, upVertexBuffer_);
    glBufferData(GL_ARRAY_BUFFER, (GLsizeiptr)count * stride, vertices, GL_STREAM_DRAW);
    upActive_ = true;
    upStride_ = stride;
    GfxResult result = Draw(type, primitiveCount, false, 0, 0, 0);
    upActive_ = false;
    SetStreamSource(0, nullptr, 0, 0);
    return result;
}

GfxResult GfxDevice::DrawIndexedPrimitiveUP(GfxPrimitiveType type, uint32_t minVertexIndex, uint32_t numVertices,
                                            uint32_t primitiveCount, const void* indices, GfxFormat indexFormat,
                                            const void* vertices, uint32_t stride)
{
    GLenum mode;
    uint32_t count;
    if (!vertices || !indices || stride == 0 || (indexFormat != FMT_INDEX16 && indexFormat != FMT_INDEX32) ||
        !PrimitiveInfo(type, primitiveCount, mode, count))
        return ERR_INVALIDCALL;
    uint32_t size = indexFormat == FMT_INDEX32 ? 4 : 2;
    glBindBuffer(GL_ARRAY_BUFFER, upVertexBuffer_);
    glBufferData(GL_ARRAY_BUFFER, (GLsizeiptr)(minVertexIndex + numVertices) * stride, vertices, GL_STREAM_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, upIndexBuffer_);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, (GLsizeiptr)count * size, indices, GL_STREAM_DRAW);
    upActive_ = true;
    upStride_ = stride;
    GfxResult result = Draw(type, primitiveCount, true, 0, 0, size);
    upActive_ = false;
    SetStreamSource(0, nullptr, 0, 0);
    SetIndices(nullptr);
    return result;
}
