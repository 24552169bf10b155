#include "render/RenderStateCache.h"

#include "host/GfxDevice.h"
#include "render/GraphicsDevice.h"

RenderStateCache RenderStates;

namespace {

// The graphics device as the cache's target; quietly nothing while there is no device.
class DeviceTarget : public RenderStateTarget {
public:
    void SetRenderState(uint32_t state, uint32_t value) override
    {
        if (Graphics) Graphics->SetDeviceRenderState(state, value);
    }
    void SetTextureStageState(uint32_t stage, uint32_t type, uint32_t value) override
    {
        if (Graphics) Graphics->SetTextureStageState(stage, type, value);
    }
    void SetSamplerState(uint32_t sampler, uint32_t type, uint32_t value) override
    {
        if (Graphics) Graphics->SetSamplerState(sampler, type, value);
    }
    void SetVertexDeclaration(GfxVertexDeclaration* declaration) override
    {
        if (Graphics && Graphics->device) Graphics->device->SetVertexDeclaration(declaration);
    }
    void SetFVF(uint32_t fvf) override
    {
        if (Graphics && Graphics->device) Graphics->device->SetFVF(fvf);
    }
};

DeviceTarget deviceTarget;

}  // namespace

RenderStateCache::RenderStateCache()
{
    Reset();
}

RenderStateTarget* RenderStateCache::Target()
{
    return target_ ? target_ : &deviceTarget;
}

void RenderStateCache::SetRenderState(uint32_t state, uint32_t value)
{
    if (state >= RENDER_STATES) {
        Target()->SetRenderState(state, value);
        return;
    }
    if (renderStates_[state] == value) return;
    Target()->SetRenderState(state, value);
    renderStates_[state] = value;
}

void RenderStateCache::SetTextureStageState(uint32_t stage, uint32_t type, uint32_t value)
{
    if (stage >= 1 || type >= STAGE_STATES) {
        Target()->SetTextureStageState(stage, type, value);
        return;
    }
    if (stageStates_[type] == value) return;
    Target()->SetTextureStageState(stage, type, value);
    stageStates_[type] = value;
}

void RenderStateCache::SetSamplerState(uint32_t sampler, uint32_t type, uint32_t value)
{
    if (sampler >= 1 || type >= SAMPLER_STATES) {
        Target()->SetSamplerState(sampler, type, value);
        return;
    }
    if (samplerStates_[type] == value) return;
    Target()->SetSamplerState(sampler, type, value);
    samplerStates_[type] = value;
}

void RenderStateCache::SetVertexDeclaration(GfxVertexDeclaration* declaration)
{
    if (declaration == declaration_) return;
    Target()->SetVertexDeclaration(declaration);
    declaration_ = declaration;
    fvf_ = 0;
}

void RenderStateCache::SetFVF(uint32_t fvf)
{
    if (fvf == fvf_) return;
    Target()->SetFVF(fvf);
    fvf_ = fvf;
    declaration_ = nullptr;
}

void RenderStateCache::ResetRenderStates()
{
    for (uint64_t& value : renderStates_) value = UNKNOWN;
}

void RenderStateCache::Reset()
{
    ResetRenderStates();
    for (uint64_t& value : stageStates_) value = UNKNOWN;
    for (uint64_t& value : samplerStates_) value = UNKNOWN;
    declaration_ = nullptr;
    fvf_ = 0;
}
