#pragma once
// The render-state cache: stands in front of the device's state setters and drops calls that
// would set a state to the value it already has. It covers the render states, the texture-stage
// states of stage 0, the sampler states of sampler 0, the vertex declaration and the FVF code.
//
// Its contract with the rest of the drawing code:
// - The frame function forgets the whole cache (Reset) at the start of every drawn frame, so
//   calls are saved within one frame only.
// - Whoever sets states on the device behind the cache's back (the device's own set-up, 2D
//   mode, effects, sprites) calls Reset or ResetRenderStates afterwards, or lives with the
//   cache believing a stale value until the end of the frame.
#include <cstdint>

class GfxVertexDeclaration;

// Where the changes that get through the cache go: the graphics device, or a recorder in tests.
class RenderStateTarget {
public:
    virtual ~RenderStateTarget() = default;
    virtual void SetRenderState(uint32_t state, uint32_t value) = 0;
    virtual void SetTextureStageState(uint32_t stage, uint32_t type, uint32_t value) = 0;
    virtual void SetSamplerState(uint32_t sampler, uint32_t type, uint32_t value) = 0;
    virtual void SetVertexDeclaration(GfxVertexDeclaration* declaration) = 0;
    virtual void SetFVF(uint32_t fvf) = 0;
};

class RenderStateCache {
public:
    static constexpr uint32_t RENDER_STATES = 256;
    static constexpr uint32_t STAGE_STATES = 32;
    static constexpr uint32_t SAMPLER_STATES = 32;

    RenderStateCache();

    // States outside the tables (and stages or samplers other than 0) always reach the device.
    void SetRenderState(uint32_t state, uint32_t value);
    void SetTextureStageState(uint32_t stage, uint32_t type, uint32_t value);
    void SetSamplerState(uint32_t sampler, uint32_t type, uint32_t value);
    // A declaration and an FVF code replace each other: at most one of them is current.
    void SetVertexDeclaration(GfxVertexDeclaration* declaration);
    void SetFVF(uint32_t fvf);

    // Forgets the render states (after code that set them directly on the device).
    void ResetRenderStates();
    // Forgets everything: the three tables, the declaration and the FVF.
    void Reset();

    // Changes go to this target instead of the graphics device; null returns them to the device.
    void SetTarget(RenderStateTarget* target) { target_ = target; }

    // The developer's wireframe switch: the front-end frame draws with wireframe fill while set.
    bool wireframe = false;

private:
    RenderStateTarget* Target();

    // A value that no 32-bit state can have marks an unknown state, so every 32-bit value,
    // 0xFFFFFFFF included, reaches the device the first time it is set after a reset.
    static constexpr uint64_t UNKNOWN = ~0ull;

    uint64_t renderStates_[RENDER_STATES];
    uint64_t stageStates_[STAGE_STATES];
    uint64_t samplerStates_[SAMPLER_STATES];
    GfxVertexDeclaration* declaration_ = nullptr;
    uint32_t fvf_ = 0;
    RenderStateTarget* target_ = nullptr;
};

// The one cache, a static object: usable before the device exists.
extern RenderStateCache RenderStates;
