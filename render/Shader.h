#pragma once
// Shader: one vertex or pixel shader compiled from GLSL text, with its table of constants (the
// minimap's landscape shader). The text defines `void Main()`; the framework declares around
// it what the other stage hands over:
// - a pixel shader reads vDiffuse (the vertex colour) and vTexCoord0, vTexCoord1 (vec4s) and
//   writes vm_FragColor. It draws pre-transformed screen vertices (pixel positions), whose
//   colour and first texture coordinates are passed on unchanged (vTexCoord1 = vTexCoord0).
// - a vertex shader reads the vertex inputs (vm_Position, vm_Color0, vm_TexCoord0, ...),
//   writes gl_Position through vm_ToClip and vDiffuse, vTexCoord0, vTexCoord1; the pixels take
//   vDiffuse.
// Samplers take texture stages 0, 1, ... in the order the text declares them. Constants are
// uniforms of the parameter types of effects (float, vec4, mat4, int, bool, samplers).
#include "host/EffectFile.h"
#include "host/Maths.h"

#include <cstdint>
#include <string>
#include <vector>

class GfxDevice;
class GfxProgram;

class Shader {
public:
    Shader() = default;
    ~Shader();
    Shader(const Shader&) = delete;
    Shader& operator=(const Shader&) = delete;

    // Failures are logged ("Couldnt compile the Pixel Shader" and the compiler's text, or
    // "Couldnt Create the Pixel Shader"); the shader then stays empty.
    bool Compile(GfxDevice* device, const char* source, bool vertex);
    // Makes this shader (with its partner stage) what the device draws with; Unbind returns
    // the device to its fixed-function pipeline.
    void Bind();
    void Unbind();
    bool IsCompiled() const { return program_ != nullptr; }

    // The constant table. False for a name the shader does not have (or does not use).
    bool SetFloat(const char* name, float value);
    bool SetVector(const char* name, const Vec4& value);
    bool SetMatrix(const char* name, const Matrix& value);
    bool SetInt(const char* name, int value);
    // The stage a sampler reads, -1 when there is no such sampler.
    int GetSamplerStage(const char* name) const;

    bool isVertex = false;

private:
    struct Constant {
        EffectUniform desc;
        int location;
        int stage;
    };
    const Constant* Find(const char* name, EffectUniformType type) const;
    void Clear();

    GfxDevice* device_ = nullptr;
    GfxProgram* program_ = nullptr;
    std::vector<Constant> constants_;
};
