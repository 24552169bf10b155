// Compiled effects: linking the passes' programs, parameter values and running the passes.
#include "host/EffectObject.h"

#include "host/GfxDevice.h"
#include "host/GfxProgram.h"
#include "host/GfxTexture.h"

#include <algorithm>
#include <cstring>
#include <strings.h>

struct EffectObject::Parameter {
    EffectUniform desc;
    std::vector<float> values;
    GfxBaseTexture* texture = nullptr;
    int stage = -1;  // samplers the programs read
    std::vector<EffectStateSetting> samplerStates;
    uint64_t serial = 0;  // of the last change
};

struct EffectObject::Program {
    std::string vertex, fragment;
    GfxProgram* program = nullptr;
    std::vector<int> locations;     // per parameter, -1 where the program does not read it
    std::vector<uint64_t> uploaded;  // per parameter, the serial the program holds
};

struct EffectObject::Pass {
    int program;
    std::vector<EffectStateSetting> renderStates;
};

struct EffectObject::Technique {
    std::string name;
    std::vector<Pass> passes;
    std::vector<bool> uses;  // per parameter
};

namespace {

int Components(EffectUniformType type)
{
    switch (type) {
    case UNIFORM_VEC4: return 4;
    case UNIFORM_MAT4: return 16;
    case UNIFORM_SAMPLER2D:
    case UNIFORM_SAMPLERCUBE: return 0;
    default: return 1;
    }
}

}  // namespace

EffectObject* EffectObject::Create(GfxDevice* device, const char* text, size_t size, const char* fileName,
                                   const std::vector<std::string>& macros, const EffectIncludeFunction& includes,
                                   std::string* errors)
{
    if (errors) errors->clear();
    EffectFile file;
    if (!file.Parse(text, size, fileName, includes, errors)) return nullptr;
    if (!device) {
        if (errors) *errors = std::string(fileName ? fileName : "effect") + ": error: no graphics device\n";
        return nullptr;
    }
    EffectObject* effect = new EffectObject();
    if (!effect->Build(device, file, macros, errors)) {
        delete effect;
        return nullptr;
    }
    for (Program* program : effect->programs_)
        if (program->program)
            program->program->SetLabel(std::string(fileName ? fileName : "effect") + ":" + program->vertex + "+" +
                                       program->fragment);
    return effect;
}

bool EffectObject::Build(GfxDevice* device, const EffectFile& file, const std::vector<std::string>& macros,
                         std::string* errors)
{
    device_ = device;
    for (const EffectUniform& u : file.Uniforms()) {
        Parameter* p = new Parameter();
        p->desc = u;
        p->values.assign((size_t)Components(u.type) * u.arraySize, 0.0f);
        for (const EffectSamplerInfo& s : file.Samplers())
            if (s.name == u.name) p->samplerStates = s.states;
        parameters_.push_back(p);
    }

    std::string problems;
    for (const EffectTechniqueInfo& info : file.Techniques()) {
        Technique* technique = new Technique();
        technique->name = info.name;
        techniques_.push_back(technique);
        for (const EffectPassInfo& passInfo : info.passes) {
            int found = -1;
            for (size_t i = 0; i < programs_.size(); ++i)
                if (programs_[i]->vertex == passInfo.vertex && programs_[i]->fragment == passInfo.fragment) found = (int)i;
            if (found < 0) {
                std::vector<EffectLineOrigin> vertexLines, fragmentLines;
                std::string vs = file.BuildSource(EFFECT_VERTEX, passInfo.vertex, macros, &vertexLines);
                std::string fs = file.BuildSource(EFFECT_FRAGMENT, passInfo.fragment, macros, &fragmentLines);
                Program* program = new Program();
                program->vertex = passInfo.vertex;
                program->fragment = passInfo.fragment;
                programs_.push_back(program);
                found = (int)programs_.size() - 1;
                std::string log;
                if (GfxFailed(device->CreateProgram(vs.c_str(), fs.c_str(), &program->program, &log)) ||
                    !program->program) {
                    program->program = nullptr;
                    if (log.empty()) log = "the programs '" + passInfo.vertex + "' and '" + passInfo.fragment + "' did not link";
                    // Common code shared by several programs reports its faults once.
                    std::string translated = file.TranslateLog(log, vertexLines, fragmentLines);
                    size_t b = 0;
                    while (b < translated.size()) {
                        size_t e = translated.find('\n', b);
                        if (e == std::string::npos) e = translated.size();
                        std::string line = translated.substr(b, e - b + 1);
                        if (problems.find(line) == std::string::npos) problems += line;
                        b = e + 1;
                    }
                    continue;
                }
                for (const Parameter* p : parameters_)
                    program->locations.push_back(program->program->GetUniform(p->desc.name.c_str()));
                program->uploaded.assign(parameters_.size(), ~0ull);
            }
            technique->passes.push_back({found, passInfo.renderStates});
        }
    }
    if (!problems.empty()) {
        if (errors) *errors = problems;
        return false;
    }

    // Stages for the samplers something reads, in declaration order.
    uint32_t stage = 0;
    for (size_t i = 0; i < parameters_.size(); ++i) {
        Parameter* p = parameters_[i];
        if (!p->desc.IsSampler()) continue;
        bool read = false;
        for (const Program* program : programs_)
            if (program->locations[i] >= 0) read = true;
        if (!read) continue;
        if (stage >= MAX_SAMPLERS) {
            if (errors) *errors = file.FileName(0) + ": error: more than " + std::to_string(MAX_SAMPLERS) + " samplers are read\n";
            return false;
        }
        p->stage = (int)stage++;
        for (Program* program : programs_) program->program->SetSampler(program->locations[i], (uint32_t)p->stage);
    }

    for (Technique* technique : techniques_) {
        technique->uses.assign(parameters_.size(), false);
        for (const Pass& pass : technique->passes)
            for (size_t i = 0; i < parameters_.size(); ++i)
                if (programs_[pass.program]->locations[i] >= 0) technique->uses[i] = true;
    }
    current_ = techniques_.empty() ? nullptr : techniques_[0];
    return true;
}

EffectObject::~EffectObject()
{
    if (begun_) End();
    for (Parameter* p : parameters_) {
        if (p->texture) p->texture->Release();
        delete p;
    }
    for (Program* program : programs_) {
        if (program->program) program->program->Release();
        delete program;
    }
    for (Technique* technique : techniques_) delete technique;
}

// ---- Techniques ---------------------------------------------------------------------------------

const EffectObject::Technique* EffectObject::GetTechnique(int index) const
{
    return index >= 0 && index < (int)techniques_.size() ? techniques_[index] : nullptr;
}

const EffectObject::Technique* EffectObject::GetTechniqueByName(const char* name) const
{
    if (!name) return nullptr;
    for (const Technique* t : techniques_)
        if (t->name == name) return t;
    return nullptr;
}

const EffectObject::Technique* EffectObject::FindNextValidTechnique(const Technique* after) const
{
    size_t i = 0;
    if (after) {
        while (i < techniques_.size() && techniques_[i] != after) ++i;
        ++i;
    }
    return i < techniques_.size() ? techniques_[i] : nullptr;
}

const char* EffectObject::GetTechniqueName(const Technique* technique) const
{
    return technique ? technique->name.c_str() : nullptr;
}

int EffectObject::GetPassCount(const Technique* technique) const
{
    return technique ? (int)technique->passes.size() : 0;
}

bool EffectObject::SetTechnique(const Technique* technique)
{
    if (!technique || begun_) return false;
    current_ = technique;
    return true;
}

GfxProgram* EffectObject::GetPassProgram(const Technique* technique, uint32_t pass) const
{
    if (!technique || pass >= technique->passes.size()) return nullptr;
    return programs_[technique->passes[pass].program]->program;
}

// ---- Parameters ---------------------------------------------------------------------------------

int EffectObject::IndexOf(const Parameter* parameter) const
{
    if (!parameter) return -1;
    for (size_t i = 0; i < parameters_.size(); ++i)
        if (parameters_[i] == parameter) return (int)i;
    return -1;
}

const EffectObject::Parameter* EffectObject::GetParameter(int index) const
{
    return index >= 0 && index < (int)parameters_.size() ? parameters_[index] : nullptr;
}

const EffectObject::Parameter* EffectObject::GetParameterByName(const char* name) const
{
    if (!name) return nullptr;
    for (const Parameter* p : parameters_)
        if (p->desc.name == name) return p;
    return nullptr;
}

const EffectObject::Parameter* EffectObject::GetParameterBySemantic(const char* semantic) const
{
    if (!semantic || !*semantic) return nullptr;
    for (const Parameter* p : parameters_)
        if (strcasecmp(p->desc.semantic.c_str(), semantic) == 0) return p;
    return nullptr;
}

const EffectUniform* EffectObject::GetParameterDesc(const Parameter* parameter) const
{
    return parameter ? &parameter->desc : nullptr;
}

bool EffectObject::IsParameterUsed(const Parameter* parameter, const Technique* technique) const
{
    int i = IndexOf(parameter);
    return i >= 0 && technique && technique->uses[i];
}

bool EffectObject::Store(const Parameter* parameter, const float* values, uint32_t count)
{
    int i = IndexOf(parameter);
    if (i < 0 || parameter->desc.IsSampler()) return false;
    Parameter* p = parameters_[i];
    size_t n = std::min((size_t)count, p->values.size());
    if (n && memcmp(p->values.data(), values, n * sizeof(float)) != 0) {
        memcpy(p->values.data(), values, n * sizeof(float));
        p->serial = ++serial_;
    }
    return true;
}

bool EffectObject::SetFloat(const Parameter* parameter, float value) { return Store(parameter, &value, 1); }

bool EffectObject::SetFloatArray(const Parameter* parameter, const float* values, uint32_t count)
{
    return values ? Store(parameter, values, count) : false;
}

bool EffectObject::SetVector(const Parameter* parameter, const Vec4& value)
{
    float v[4] = {value.x, value.y, value.z, value.w};
    return Store(parameter, v, 4);
}

bool EffectObject::SetMatrix(const Parameter* parameter, const Matrix& value)
{
    return Store(parameter, &value._11, 16);
}

bool EffectObject::SetMatrixArray(const Parameter* parameter, const Matrix* values, uint32_t count)
{
    if (!values) return false;
    std::vector<float> all((size_t)count * 16);
    for (uint32_t i = 0; i < count; ++i) memcpy(&all[(size_t)i * 16], &values[i]._11, 16 * sizeof(float));
    return Store(parameter, all.data(), (uint32_t)all.size());
}

bool EffectObject::SetBool(const Parameter* parameter, bool value) { return SetFloat(parameter, value ? 1.0f : 0.0f); }

bool EffectObject::SetInt(const Parameter* parameter, int value) { return SetFloat(parameter, (float)value); }

bool EffectObject::SetValue(const Parameter* parameter, const void* data, uint32_t bytes)
{
    if (!data) return false;
    std::vector<float> values(bytes / sizeof(float));
    memcpy(values.data(), data, values.size() * sizeof(float));
    return Store(parameter, values.data(), (uint32_t)values.size());
}

bool EffectObject::SetTexture(const Parameter* parameter, GfxBaseTexture* texture)
{
    int i = IndexOf(parameter);
    if (i < 0 || !parameter->desc.IsSampler()) return false;
    Parameter* p = parameters_[i];
    if (p->texture == texture) return true;
    if (texture) texture->AddRef();
    if (p->texture) p->texture->Release();
    p->texture = texture;
    p->serial = ++serial_;
    return true;
}

bool EffectObject::GetValue(const Parameter* parameter, void* data, uint32_t bytes) const
{
    if (!parameter || !data || parameter->desc.IsSampler()) return false;
    size_t n = std::min((size_t)bytes, parameter->values.size() * sizeof(float));
    memcpy(data, parameter->values.data(), n);
    return true;
}

GfxBaseTexture* EffectObject::GetTexture(const Parameter* parameter) const
{
    return parameter ? parameter->texture : nullptr;
}

// ---- Drawing ------------------------------------------------------------------------------------

void EffectObject::Upload(Program& program)
{
    GfxProgram* gp = program.program;
    for (size_t i = 0; i < parameters_.size(); ++i) {
        int location = program.locations[i];
        const Parameter* p = parameters_[i];
        if (location < 0 || p->desc.IsSampler() || program.uploaded[i] == p->serial) continue;
        program.uploaded[i] = p->serial;
        uint32_t n = (uint32_t)p->desc.arraySize;
        switch (p->desc.type) {
        case UNIFORM_FLOAT: gp->SetFloats(location, p->values.data(), n); break;
        case UNIFORM_VEC4: {
            std::vector<Vec4> v(n);
            for (uint32_t k = 0; k < n; ++k) v[k] = Vec4(&p->values[(size_t)k * 4]);
            gp->SetVectors(location, v.data(), n);
            break;
        }
        case UNIFORM_MAT4: {
            std::vector<Matrix> m(n);
            for (uint32_t k = 0; k < n; ++k) memcpy(&m[k]._11, &p->values[(size_t)k * 16], 16 * sizeof(float));
            gp->SetMatrices(location, m.data(), n);
            break;
        }
        case UNIFORM_INT:
        case UNIFORM_BOOL: gp->SetInt(location, (int)p->values[0]); break;
        default: break;
        }
    }
}

void EffectObject::BindTextures(const Program& program, bool withSamplerStates)
{
    for (size_t i = 0; i < parameters_.size(); ++i) {
        const Parameter* p = parameters_[i];
        if (p->stage < 0 || program.locations[i] < 0) continue;
        device_->SetTexture((uint32_t)p->stage, p->texture);
        if (withSamplerStates)
            for (const EffectStateSetting& s : p->samplerStates)
                device_->SetSamplerState((uint32_t)p->stage, (SamplerStateType)s.state, s.value);
    }
}

bool EffectObject::Begin(uint32_t* passes, uint32_t /*flags*/)
{
    if (!current_ || begun_) return false;
    begun_ = true;
    activePass_ = -1;
    if (passes) *passes = (uint32_t)current_->passes.size();
    return true;
}

bool EffectObject::BeginPass(uint32_t pass)
{
    if (!begun_ || activePass_ >= 0 || pass >= current_->passes.size()) return false;
    const Pass& p = current_->passes[pass];
    Program& program = *programs_[p.program];
    activePass_ = (int)pass;
    device_->SetProgram(program.program);
    for (const EffectStateSetting& s : p.renderStates) device_->SetRenderState((RenderStateType)s.state, s.value);
    BindTextures(program, true);
    Upload(program);
    return true;
}

bool EffectObject::CommitChanges()
{
    if (!begun_ || activePass_ < 0) return false;
    Program& program = *programs_[current_->passes[activePass_].program];
    BindTextures(program, false);
    Upload(program);
    return true;
}

bool EffectObject::EndPass()
{
    if (activePass_ < 0) return false;
    activePass_ = -1;
    return true;
}

bool EffectObject::End()
{
    if (!begun_) return false;
    begun_ = false;
    activePass_ = -1;
    device_->SetProgram(nullptr);
    return true;
}

void EffectObject::OnLostDevice()
{
    for (Parameter* p : parameters_) {
        if (!p->texture) continue;
        p->texture->Release();
        p->texture = nullptr;
        p->serial = ++serial_;
    }
    // The device may still hold them on the stages this effect used.
    for (const Parameter* p : parameters_)
        if (p->stage >= 0) device_->SetTexture((uint32_t)p->stage, nullptr);
}

void EffectObject::OnResetDevice() {}
