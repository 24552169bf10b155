// The device's states as the game sets them, and the geometry objects and bindings; what they
// become in OpenGL is worked out when drawing (host/GfxDraw.cpp).
#include "host/GfxDevice.h"
#include "host/GfxInternal.h"

#include <vector>

// ---- States -----------------------------------------------------------------------------------

GfxResult GfxDevice::SetRenderState(RenderStateType state, uint32_t value)
{
    if ((uint32_t)state >= RENDER_STATE_COUNT) return ERR_INVALIDCALL;
    renderStates_[state] = value;
    switch (state) {
    case RS_ZENABLE:
    case RS_ZWRITEENABLE:
    case RS_ZFUNC: dirty_ |= DIRTY_DEPTH; break;
    case RS_SRCBLEND:
    case RS_DESTBLEND:
    case RS_ALPHABLENDENABLE:
    case RS_BLENDOP:
    case RS_BLENDFACTOR:
    case RS_SEPARATEALPHABLENDENABLE:
    case RS_SRCBLENDALPHA:
    case RS_DESTBLENDALPHA:
    case RS_BLENDOPALPHA: dirty_ |= DIRTY_BLEND; break;
    case RS_STENCILENABLE:
    case RS_STENCILFAIL:
    case RS_STENCILZFAIL:
    case RS_STENCILPASS:
    case RS_STENCILFUNC:
    case RS_STENCILREF:
    case RS_STENCILMASK:
    case RS_STENCILWRITEMASK:
    case RS_TWOSIDEDSTENCILMODE:
    case RS_CCW_STENCILFAIL:
    case RS_CCW_STENCILZFAIL:
    case RS_CCW_STENCILPASS:
    case RS_CCW_STENCILFUNC: dirty_ |= DIRTY_STENCIL; break;
    case RS_FILLMODE:
    case RS_CULLMODE:
    case RS_COLORWRITEENABLE:
    case RS_SCISSORTESTENABLE:
    case RS_DEPTHBIAS:
    case RS_SLOPESCALEDEPTHBIAS:
    case RS_MULTISAMPLEANTIALIAS: dirty_ |= DIRTY_RASTER; break;
    case RS_AMBIENT:
    case RS_FOGCOLOR:
    case RS_FOGSTART:
    case RS_FOGEND:
    case RS_FOGDENSITY:
    case RS_FOGTABLEMODE:
    case RS_TEXTUREFACTOR:
    case RS_ALPHAREF:
    case RS_ALPHAFUNC:
    case RS_ALPHATESTENABLE:
    case RS_FOGENABLE: ++uniformSerial_; break;
    default: break;
    }
    return GFX_OK;
}

GfxResult GfxDevice::GetRenderState(RenderStateType state, uint32_t* value) const
{
    if ((uint32_t)state >= RENDER_STATE_COUNT || !value) return ERR_INVALIDCALL;
    *value = renderStates_[state];
    return GFX_OK;
}

GfxResult GfxDevice::SetTextureStageState(uint32_t stage, TextureStageStateType type, uint32_t value)
{
    if (stage >= MAX_TEXTURE_STAGES || (uint32_t)type >= TEXTURE_STAGE_STATE_COUNT) return ERR_INVALIDCALL;
    stageStates_[stage][type] = value;
    return GFX_OK;
}

GfxResult GfxDevice::GetTextureStageState(uint32_t stage, TextureStageStateType type, uint32_t* value) const
{
    if (stage >= MAX_TEXTURE_STAGES || (uint32_t)type >= TEXTURE_STAGE_STATE_COUNT || !value) return ERR_INVALIDCALL;
    *value = stageStates_[stage][type];
    return GFX_OK;
}

GfxResult GfxDevice::SetSamplerState(uint32_t sampler, SamplerStateType type, uint32_t value)
{
    if (sampler >= MAX_SAMPLERS || (uint32_t)type >= SAMPLER_STATE_COUNT) return ERR_INVALIDCALL;
    if (samplerStates_[sampler][type] != value) samplerDirty_[sampler] = true;
    samplerStates_[sampler][type] = value;
    return GFX_OK;
}

GfxResult GfxDevice::GetSamplerState(uint32_t sampler, SamplerStateType type, uint32_t* value) const
{
    if (sampler >= MAX_SAMPLERS || (uint32_t)type >= SAMPLER_STATE_COUNT || !value) return ERR_INVALIDCALL;
    *value = samplerStates_[sampler][type];
    return GFX_OK;
}

GfxResult GfxDevice::SetTransform(TransformStateType state, const Matrix* matrix)
{
    if (!matrix) return ERR_INVALIDCALL;
    if (state == TS_WORLD)
        world_ = *matrix;
    else if (state == TS_VIEW)
        view_ = *matrix;
    else if (state == TS_PROJECTION)
        projection_ = *matrix;
    else if (state >= TS_TEXTURE0 && state < TS_TEXTURE0 + MAX_TEXTURE_STAGES)
        textureTransforms_[state - TS_TEXTURE0] = *matrix;
    else
        return ERR_INVALIDCALL;
    ++uniformSerial_;
    return GFX_OK;
}

GfxResult GfxDevice::GetTransform(TransformStateType state, Matrix* matrix) const
{
    if (!matrix) return ERR_INVALIDCALL;
    if (state == TS_WORLD)
        *matrix = world_;
    else if (state == TS_VIEW)
        *matrix = view_;
    else if (state == TS_PROJECTION)
        *matrix = projection_;
    else if (state >= TS_TEXTURE0 && state < TS_TEXTURE0 + MAX_TEXTURE_STAGES)
        *matrix = textureTransforms_[state - TS_TEXTURE0];
    else
        return ERR_INVALIDCALL;
    return GFX_OK;
}

GfxResult GfxDevice::SetMaterial(const GfxMaterial* material)
{
    if (!material) return ERR_INVALIDCALL;
    material_ = *material;
    ++uniformSerial_;
    return GFX_OK;
}

GfxResult GfxDevice::GetMaterial(GfxMaterial* material) const
{
    if (!material) return ERR_INVALIDCALL;
    *material = material_;
    return GFX_OK;
}

GfxResult GfxDevice::SetLight(uint32_t index, const GfxLight* light)
{
    if (index >= MAX_LIGHTS || !light || light->Type < LIGHT_POINT || light->Type > LIGHT_DIRECTIONAL ||
        light->Range < 0)
        return ERR_INVALIDCALL;
    lights_[index] = *light;
    ++uniformSerial_;
    return GFX_OK;
}

GfxResult GfxDevice::GetLight(uint32_t index, GfxLight* light) const
{
    if (index >= MAX_LIGHTS || !light) return ERR_INVALIDCALL;
    *light = lights_[index];
    return GFX_OK;
}

GfxResult GfxDevice::LightEnable(uint32_t index, bool enable)
{
    if (index >= MAX_LIGHTS) return ERR_INVALIDCALL;
    lightEnabled_[index] = enable;
    ++uniformSerial_;
    return GFX_OK;
}

GfxResult GfxDevice::GetLightEnable(uint32_t index, bool* enable) const
{
    if (index >= MAX_LIGHTS || !enable) return ERR_INVALIDCALL;
    *enable = lightEnabled_[index];
    return GFX_OK;
}

void GfxDevice::TargetSize(uint32_t* width, uint32_t* height) const
{
    *width = renderTarget_ ? renderTarget_->GetWidth() : 0;
    *height = renderTarget_ ? renderTarget_->GetHeight() : 0;
}

GfxResult GfxDevice::SetViewport(const Viewport* viewport)
{
    if (!viewport) return ERR_INVALIDCALL;
    uint32_t width = 0, height = 0;
    TargetSize(&width, &height);
    if (viewport->Width == 0 || viewport->Height == 0 || (uint64_t)viewport->X + viewport->Width > width ||
        (uint64_t)viewport->Y + viewport->Height > height || !(viewport->MinZ >= 0.0f && viewport->MinZ <= 1.0f) ||
        !(viewport->MaxZ >= 0.0f && viewport->MaxZ <= 1.0f))
        return ERR_INVALIDCALL;
    viewport_ = *viewport;
    dirty_ |= DIRTY_VIEWPORT;
    ++uniformSerial_;
    return GFX_OK;
}

GfxResult GfxDevice::GetViewport(Viewport* viewport) const
{
    if (!viewport) return ERR_INVALIDCALL;
    *viewport = viewport_;
    return GFX_OK;
}

GfxResult GfxDevice::SetScissorRect(const GfxRect* rect)
{
    if (!rect) return ERR_INVALIDCALL;
    scissor_ = *rect;
    dirty_ |= DIRTY_RASTER;
    return GFX_OK;
}

GfxResult GfxDevice::GetScissorRect(GfxRect* rect) const
{
    if (!rect) return ERR_INVALIDCALL;
    *rect = scissor_;
    return GFX_OK;
}

GfxResult GfxDevice::SetTexture(uint32_t stage, GfxBaseTexture* texture)
{
    if (stage >= MAX_SAMPLERS) return ERR_INVALIDCALL;
    if (texture) texture->AddRef();
    if (textures_[stage]) textures_[stage]->Release();
    textures_[stage] = texture;
    return GFX_OK;
}

GfxResult GfxDevice::GetTexture(uint32_t stage, GfxBaseTexture** texture) const
{
    if (stage >= MAX_SAMPLERS || !texture) return ERR_INVALIDCALL;
    *texture = textures_[stage];
    if (*texture) (*texture)->AddRef();
    return GFX_OK;
}

// ---- Geometry objects -------------------------------------------------------------------------

GfxResult GfxDevice::CreateVertexBuffer(uint32_t length, uint32_t usage, uint32_t fvf, GfxPool pool,
                                        GfxVertexBuffer** out)
{
    if (!out) return ERR_INVALIDCALL;
    *out = nullptr;
    if (length == 0 || length > (1u << 30)) return ERR_INVALIDCALL;
    if (fvf && length < GfxVertexDeclaration::FVFVertexSize(fvf)) return ERR_INVALIDCALL;
    GfxVertexBuffer* buffer = new GfxVertexBuffer(this, length, usage, fvf, pool);
    return Finish(buffer, buffer->Allocate(), out);
}

GfxResult GfxDevice::CreateIndexBuffer(uint32_t length, uint32_t usage, GfxFormat format, GfxPool pool,
                                       GfxIndexBuffer** out)
{
    if (!out) return ERR_INVALIDCALL;
    *out = nullptr;
    if (length == 0 || length > (1u << 30) || (format != FMT_INDEX16 && format != FMT_INDEX32)) return ERR_INVALIDCALL;
    GfxIndexBuffer* buffer = new GfxIndexBuffer(this, length, usage, format, pool);
    return Finish(buffer, buffer->Allocate(), out);
}

GfxResult GfxDevice::CreateVertexDeclaration(const VertexElement* elements, GfxVertexDeclaration** out)
{
    if (!out) return ERR_INVALIDCALL;
    *out = nullptr;
    GfxVertexDeclaration* declaration = new GfxVertexDeclaration(this, true);
    return Finish(declaration, declaration->Build(elements) ? GFX_OK : ERR_INVALIDCALL, out);
}

GfxResult GfxDevice::SetStreamSource(uint32_t stream, GfxVertexBuffer* buffer, uint32_t offset, uint32_t stride)
{
    if (stream >= MAX_VERTEX_STREAMS) return ERR_INVALIDCALL;
    if (buffer) buffer->AddRef();
    if (streams_[stream].buffer) streams_[stream].buffer->Release();
    streams_[stream].buffer = buffer;
    streams_[stream].offset = offset;
    streams_[stream].stride = stride;
    dirty_ |= DIRTY_VERTEX_INPUT;
    return GFX_OK;
}

GfxResult GfxDevice::GetStreamSource(uint32_t stream, GfxVertexBuffer** buffer, uint32_t* offset,
                                     uint32_t* stride) const
{
    if (stream >= MAX_VERTEX_STREAMS || !buffer) return ERR_INVALIDCALL;
    *buffer = streams_[stream].buffer;
    if (*buffer) (*buffer)->AddRef();
    if (offset) *offset = streams_[stream].offset;
    if (stride) *stride = streams_[stream].stride;
    return GFX_OK;
}

GfxResult GfxDevice::SetIndices(GfxIndexBuffer* indices)
{
    if (indices) indices->AddRef();
    if (indices_) indices_->Release();
    indices_ = indices;
    return GFX_OK;
}

GfxResult GfxDevice::GetIndices(GfxIndexBuffer** indices) const
{
    if (!indices) return ERR_INVALIDCALL;
    *indices = indices_;
    if (indices_) indices_->AddRef();
    return GFX_OK;
}

GfxResult GfxDevice::SetFVF(uint32_t fvf)
{
    if (fvf) {
        auto it = fvfDeclarations_.find(fvf);
        if (it == fvfDeclarations_.end()) {
            std::vector<VertexElement> elements;
            if (!GfxVertexDeclaration::ElementsFromFVF(fvf, elements)) return ERR_INVALIDCALL;
            GfxVertexDeclaration* declaration = new GfxVertexDeclaration(this, false);
            if (!declaration->Build(elements.data())) {
                declaration->Release();
                return ERR_INVALIDCALL;
            }
            fvfDeclarations_[fvf] = declaration;
        }
    }
    if (declaration_) declaration_->Release();
    declaration_ = nullptr;
    fvf_ = fvf;
    dirty_ |= DIRTY_VERTEX_INPUT;
    return GFX_OK;
}

GfxResult GfxDevice::GetFVF(uint32_t* fvf) const
{
    if (!fvf) return ERR_INVALIDCALL;
    *fvf = fvf_;
    return GFX_OK;
}

GfxResult GfxDevice::SetVertexDeclaration(GfxVertexDeclaration* declaration)
{
    if (declaration) declaration->AddRef();
    if (declaration_) declaration_->Release();
    declaration_ = declaration;
    fvf_ = 0;
    dirty_ |= DIRTY_VERTEX_INPUT;
    return GFX_OK;
}

GfxResult GfxDevice::GetVertexDeclaration(GfxVertexDeclaration** declaration) const
{
    if (!declaration) return ERR_INVALIDCALL;
    *declaration = declaration_;
    if (!*declaration && fvf_) {
        auto it = fvfDeclarations_.find(fvf_);
        if (it != fvfDeclarations_.end()) *declaration = it->second;
    }
    if (*declaration) (*declaration)->AddRef();
    return GFX_OK;
}
