#pragma once
// A compiled effect: the programs of its passes linked on the graphics device, its techniques
// and its parameters with their current values.
//
// Drawing with it: choose a technique (SetTechnique; the first one until then), set parameter
// values, then Begin, and for each pass BeginPass / draw / EndPass, and End. BeginPass sets the
// pass's program, its render states, the textures and sampler states of the samplers it reads
// and every value changed since that program last saw it; values set during a pass reach the
// program with CommitChanges. States a pass sets stay set after End (nothing is saved or put
// back); End returns the device to its fixed-function pipeline.
//
// Sampler stages: the samplers the effect's programs read are given texture stages 0, 1, 2 ...
// in the order the file declares them, so an effect that reads one texture reads it from
// stage 0.
//
// Handles (techniques, parameters) are pointers owned by the effect; null means none, and
// every operation accepts a null handle and does nothing with it.
#include "host/EffectFile.h"
#include "host/Maths.h"

#include <cstdint>
#include <string>
#include <vector>

class GfxDevice;
class GfxProgram;
class GfxBaseTexture;

class EffectObject {
public:
    struct Parameter;
    struct Technique;

    // Reads, compiles and links an effect. macros are defined as "#define NAME 1" in front of
    // every program. Null on failure, with the problems ("file(line): message", one a line)
    // in errors.
    static EffectObject* Create(GfxDevice* device, const char* text, size_t size, const char* fileName,
                                const std::vector<std::string>& macros, const EffectIncludeFunction& includes,
                                std::string* errors);
    ~EffectObject();
    EffectObject(const EffectObject&) = delete;
    EffectObject& operator=(const EffectObject&) = delete;

    // ---- Techniques
    int GetTechniqueCount() const { return (int)techniques_.size(); }
    const Technique* GetTechnique(int index) const;
    const Technique* GetTechniqueByName(const char* name) const;
    // The technique after `after` (the first one for null) that can draw here; null when none.
    // Every technique of an effect that linked can.
    const Technique* FindNextValidTechnique(const Technique* after) const;
    const char* GetTechniqueName(const Technique* technique) const;
    int GetPassCount(const Technique* technique) const;
    bool SetTechnique(const Technique* technique);
    const Technique* GetCurrentTechnique() const { return current_; }

    // ---- Parameters
    int GetParameterCount() const { return (int)parameters_.size(); }
    const Parameter* GetParameter(int index) const;
    // Names compare exactly; semantics without regard to case.
    const Parameter* GetParameterByName(const char* name) const;
    const Parameter* GetParameterBySemantic(const char* semantic) const;
    const EffectUniform* GetParameterDesc(const Parameter* parameter) const;
    // Whether any pass of the technique reads the parameter.
    bool IsParameterUsed(const Parameter* parameter, const Technique* technique) const;

    // Values. Matrices are the game's row-vector matrices, handed to the programs as they are
    // (a program writes the game's v * M as M * v). A value shorter than the parameter sets
    // its first components, a longer one is cut; bool and int parameters take the first
    // number. False for a null handle, or a texture given to a value or the other way round.
    bool SetFloat(const Parameter* parameter, float value);
    bool SetFloatArray(const Parameter* parameter, const float* values, uint32_t count);
    bool SetVector(const Parameter* parameter, const Vec4& value);
    bool SetMatrix(const Parameter* parameter, const Matrix& value);
    bool SetMatrixArray(const Parameter* parameter, const Matrix* values, uint32_t count);
    bool SetBool(const Parameter* parameter, bool value);
    bool SetInt(const Parameter* parameter, int value);
    // Raw 32-bit floats (bytes / 4 of them).
    bool SetValue(const Parameter* parameter, const void* data, uint32_t bytes);
    // 2D or cube textures; the effect holds a reference while the texture is set.
    bool SetTexture(const Parameter* parameter, GfxBaseTexture* texture);
    // Copies up to bytes of the parameter's value (floats) into data; false for textures.
    bool GetValue(const Parameter* parameter, void* data, uint32_t bytes) const;
    GfxBaseTexture* GetTexture(const Parameter* parameter) const;

    // ---- Drawing
    // passes receives the current technique's pass count. flags are accepted for the game's
    // callers and change nothing: states are never saved.
    bool Begin(uint32_t* passes, uint32_t flags);
    bool BeginPass(uint32_t pass);
    bool CommitChanges();
    bool EndPass();
    bool End();

    // ---- Device loss: the textures held by parameters are let go (so that render targets
    // can be released before a reset); the programs survive.
    void OnLostDevice();
    void OnResetDevice();

    // The program a pass draws with (for tests and diagnostics).
    GfxProgram* GetPassProgram(const Technique* technique, uint32_t pass) const;

private:
    struct Program;
    struct Pass;

    EffectObject() = default;
    bool Build(GfxDevice* device, const EffectFile& file, const std::vector<std::string>& macros,
               std::string* errors);
    int IndexOf(const Parameter* parameter) const;
    bool Store(const Parameter* parameter, const float* values, uint32_t count);
    void Upload(Program& program);
    void BindTextures(const Program& program, bool withSamplerStates);

    GfxDevice* device_ = nullptr;
    std::vector<Parameter*> parameters_;
    std::vector<Technique*> techniques_;
    std::vector<Program*> programs_;
    const Technique* current_ = nullptr;
    int activePass_ = -1;
    bool begun_ = false;
    uint64_t serial_ = 0;
};
