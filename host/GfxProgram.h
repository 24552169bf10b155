#pragma once
// Shader programs the game writes itself (the effect framework's passes), in GLSL 3.30. While
// one is set on the device (GfxDevice::SetProgram) it replaces the fixed-function pipeline;
// setting none brings the fixed-function pipeline back.
//
// The device puts a prelude in front of both sources, so a program has:
// - vertex inputs vm_Position (vec4), vm_Normal (vec3), vm_Color0, vm_Color1 (vec4, packed
//   colours arrive as 0..1), vm_TexCoord0..vm_TexCoord3, vm_Tangent, vm_Binormal,
//   vm_BlendWeight, vm_BlendIndices (vec4), fed from the vertex declaration or FVF;
// - uniforms the device keeps filled when a program declares them: vm_World, vm_View,
//   vm_Projection, vm_WorldViewProjection (mat4, as set with SetTransform), vm_ClipAdjust;
// - vm_ToClip(p): turns a clip-space position of the game's convention (p = v * world * view
//   * projection: depth 0..1, y up, pixel centres on whole pixel coordinates) into what
//   gl_Position needs. Every vertex program ends with gl_Position = vm_ToClip(...).
// - fragment output vm_FragColor; vm_AlphaTest(alpha) discards the pixel as the alpha-test
//   states say, vm_ApplyFog(colour, eyeDepth) blends table fog as the fog states say.
// Matrices are handed to GLSL as stored (row by row), so `m * v` in GLSL computes the game's
// v * M.
#include "host/GfxResource.h"

#include <string>

class GfxProgram : public GfxResource {
public:
    // -1 when the program has no such uniform (or the compiler dropped it as unused).
    int GetUniform(const char* name) const;
    void SetInt(int location, int value);
    void SetFloat(int location, float value);
    void SetFloats(int location, const float* values, uint32_t count);
    void SetVector(int location, const Vec4& value);
    void SetVectors(int location, const Vec4* values, uint32_t count);
    void SetMatrix(int location, const Matrix& value);
    void SetMatrices(int location, const Matrix* values, uint32_t count);
    // Samples the texture bound to `stage` (GfxDevice::SetTexture) through this sampler.
    void SetSampler(int location, uint32_t stage);
    // The stages given to samplers (bit N: stage N). The driver builds a draw's code from the
    // sampler states of these stages, a texture bound there or not.
    uint32_t GetSampledStages() const { return sampledStages_; }

    // The OpenGL program name (for the device).
    uint32_t GetGLName() const { return program_; }
    // Who made the program and from what ("terrain.fx:terrain_vs+terrain_ps"): the name a list
    // of draws to warm up ahead of time knows it by (GfxDevice::WarmDraw). Empty: unnamed.
    void SetLabel(const std::string& label) { label_ = label; }
    const std::string& GetLabel() const { return label_; }

    // Locations of the prelude's uniforms.
    struct Builtins {
        int world = -1, view = -1, projection = -1, worldViewProjection = -1, clipAdjust = -1;
        int alphaFunc = -1, alphaRef = -1, fogMode = -1, fogColor = -1, fogParams = -1;
    };
    const Builtins& GetBuiltins() const { return builtins_; }

private:
    GfxProgram(GfxDevice* device, uint32_t program);
    ~GfxProgram() override;
    void ReleaseGL() override;
    bool Use();

    uint32_t program_;
    Builtins builtins_;
    std::string label_;
    uint32_t sampledStages_ = 0;

    friend class GfxDevice;
};
