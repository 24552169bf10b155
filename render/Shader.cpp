// Single vertex or pixel shaders with a constant table.
#include "render/Shader.h"

#include "host/GfxDevice.h"
#include "host/GfxProgram.h"
#include "host/Log.h"

namespace {

// What a pixel shader's vertices become: pixel positions of the target, colour and texture
// coordinates passed on.
const char* SCREEN_VERTEX_STAGE = R"(out vec4 vDiffuse;
out vec4 vTexCoord0;
out vec4 vTexCoord1;
void main()
{
    float w = vm_Position.w > 0.0 ? 1.0 / vm_Position.w : 1.0;
    vec2 ndc = (vm_Position.xy + 0.5) * 2.0 * vm_ClipAdjust.xy - 1.0;
    gl_Position = vec4(ndc * w, (2.0 * vm_Position.z - 1.0) * w, w);
    vDiffuse = vm_Color0;
    vTexCoord0 = vm_TexCoord0;
    vTexCoord1 = vm_TexCoord0;
}
)";

const char* COLOUR_FRAGMENT_STAGE = R"(in vec4 vDiffuse;
in vec4 vTexCoord0;
in vec4 vTexCoord1;
void main()
{
    vm_FragColor = vDiffuse;
}
)";

}  // namespace

Shader::~Shader() { Clear(); }

void Shader::Clear()
{
    if (program_) program_->Release();
    program_ = nullptr;
    constants_.clear();
}

bool Shader::Compile(GfxDevice* device, const char* source, bool vertex)
{
    Clear();
    isVertex = vertex;
    device_ = device;
    if (!device || !source) return false;

    std::string own = vertex ? "out vec4 vDiffuse;\nout vec4 vTexCoord0;\nout vec4 vTexCoord1;\n"
                             : "in vec4 vDiffuse;\nin vec4 vTexCoord0;\nin vec4 vTexCoord1;\n";
    own += "#line 1\n";
    own += source;
    own += "\nvoid main()\n{\n    Main();\n}\n";

    std::string log;
    GfxProgram* program = nullptr;
    GfxResult result = vertex ? device->CreateProgram(own.c_str(), COLOUR_FRAGMENT_STAGE, &program, &log)
                              : device->CreateProgram(SCREEN_VERTEX_STAGE, own.c_str(), &program, &log);
    const char* kind = vertex ? "Vertex" : "Pixel";
    if (GfxFailed(result) || !program) {
        if (!log.empty())
            Log("Couldnt compile the %s Shader\n%s\n", kind, log.c_str());
        else
            Log("Couldnt Create the %s Shader\n", kind);
        return false;
    }
    program_ = program;
    // Named by its text, which stays the same from one run to the next.
    uint32_t hash = 2166136261u;
    for (const char* c = source; *c; ++c) hash = (hash ^ (uint8_t)*c) * 16777619u;
    char label[32];
    snprintf(label, sizeof label, "shader:%s:%08x", vertex ? "vs" : "ps", hash);
    program_->SetLabel(label);

    // The constant table, samplers numbered as declared.
    int stage = 0;
    std::string text = source;
    size_t b = 0;
    while (b <= text.size()) {
        size_t e = text.find('\n', b);
        if (e == std::string::npos) e = text.size();
        std::vector<EffectUniform> found;
        std::string ignored;
        ParseUniformDeclaration(text.substr(b, e - b), &found, &ignored);
        for (const EffectUniform& u : found) {
            Constant c{u, program_->GetUniform(u.name.c_str()), u.IsSampler() ? stage++ : -1};
            if (c.stage >= 0) program_->SetSampler(c.location, (uint32_t)c.stage);
            constants_.push_back(c);
        }
        b = e + 1;
    }
    return true;
}

void Shader::Bind()
{
    if (device_ && program_) device_->SetProgram(program_);
}

void Shader::Unbind()
{
    if (device_) device_->SetProgram(nullptr);
}

const Shader::Constant* Shader::Find(const char* name, EffectUniformType type) const
{
    if (!name || !program_) return nullptr;
    for (const Constant& c : constants_)
        if (c.desc.name == name && c.location >= 0 && c.desc.type == type) return &c;
    return nullptr;
}

bool Shader::SetFloat(const char* name, float value)
{
    const Constant* c = Find(name, UNIFORM_FLOAT);
    if (c) program_->SetFloat(c->location, value);
    return c != nullptr;
}

bool Shader::SetVector(const char* name, const Vec4& value)
{
    const Constant* c = Find(name, UNIFORM_VEC4);
    if (c) program_->SetVector(c->location, value);
    return c != nullptr;
}

bool Shader::SetMatrix(const char* name, const Matrix& value)
{
    const Constant* c = Find(name, UNIFORM_MAT4);
    if (c) program_->SetMatrix(c->location, value);
    return c != nullptr;
}

bool Shader::SetInt(const char* name, int value)
{
    const Constant* c = Find(name, UNIFORM_INT);
    if (!c) c = Find(name, UNIFORM_BOOL);
    if (c) program_->SetInt(c->location, value);
    return c != nullptr;
}

int Shader::GetSamplerStage(const char* name) const
{
    if (!name) return -1;
    for (const Constant& c : constants_)
        if (c.desc.name == name && c.desc.IsSampler()) return c.stage;
    return -1;
}
