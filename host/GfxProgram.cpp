// Game-written shader programs: the prelude every program gets, compiling and linking, and
// the uniform setters.
#include "host/GfxProgram.h"

#include "host/GfxDevice.h"
#include "host/GfxInternal.h"
#include "host/GfxShaderText.h"

#include <vector>

namespace {

// Appends the info log of a shader (glGetShaderiv, glGetShaderInfoLog) or a program
// (glGetProgramiv, glGetProgramInfoLog).
template <class GetValue, class GetInfoLog>
void AppendInfoLog(GLuint object, GetValue getValue, GetInfoLog getInfoLog, std::string& log)
{
    GLint length = 0;
    getValue(object, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> buffer((size_t)length + 1, 0);
    getInfoLog(object, length, nullptr, buffer.data());
    log += buffer.data();
}

bool Compile(GLuint shader, const std::string& source, std::string& log)
{
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    // The driver's warnings come with a program that compiles too.
    AppendInfoLog(shader, glGetShaderiv, glGetShaderInfoLog, log);
    return ok != 0;
}

}  // namespace

uint32_t LinkGlProgram(const std::string& vertexSource, const std::string& fragmentSource, std::string& log)
{
    log.clear();
    GLuint vs = glCreateShader(GL_VERTEX_SHADER);
    GLuint fs = glCreateShader(GL_FRAGMENT_SHADER);
    bool ok = Compile(vs, vertexSource, log) && Compile(fs, fragmentSource, log);
    GLuint program = 0;
    if (ok) {
        program = glCreateProgram();
        glAttachShader(program, vs);
        glAttachShader(program, fs);
        for (const ShaderAttribute& a : ShaderAttributes()) glBindAttribLocation(program, a.location, a.name);
        glBindFragDataLocation(program, 0, "vm_FragColor");
        glLinkProgram(program);
        GLint linked = 0;
        glGetProgramiv(program, GL_LINK_STATUS, &linked);
        if (!linked) {
            AppendInfoLog(program, glGetProgramiv, glGetProgramInfoLog, log);
            glDeleteProgram(program);
            program = 0;
        } else {
            glDetachShader(program, vs);
            glDetachShader(program, fs);
        }
    }
    glDeleteShader(vs);
    glDeleteShader(fs);
    return program;
}

GfxProgram::GfxProgram(GfxDevice* device, uint32_t program)
    : GfxResource(device, POOL_MANAGED), program_(program)
{
    builtins_.world = GetUniform("vm_World");
    builtins_.view = GetUniform("vm_View");
    builtins_.projection = GetUniform("vm_Projection");
    builtins_.worldViewProjection = GetUniform("vm_WorldViewProjection");
    builtins_.clipAdjust = GetUniform("vm_ClipAdjust");
    builtins_.alphaFunc = GetUniform("vm_AlphaFunc");
    builtins_.alphaRef = GetUniform("vm_AlphaRef");
    builtins_.fogMode = GetUniform("vm_FogMode");
    builtins_.fogColor = GetUniform("vm_FogColor");
    builtins_.fogParams = GetUniform("vm_FogParams");
}

GfxProgram::~GfxProgram() { ReleaseGL(); }

void GfxProgram::ReleaseGL()
{
    if (program_ && device_) {
        device_->ForgetProgram(this);
        glDeleteProgram(program_);
    }
    program_ = 0;
}

bool GfxProgram::Use()
{
    if (!program_ || !device_) return false;
    device_->UseGlProgram(program_);
    return true;
}

int GfxProgram::GetUniform(const char* name) const
{
    if (!program_ || !name) return -1;
    return glGetUniformLocation(program_, name);
}

void GfxProgram::SetInt(int location, int value)
{
    if (location >= 0 && Use()) glUniform1i(location, value);
}

void GfxProgram::SetFloat(int location, float value)
{
    if (location >= 0 && Use()) glUniform1f(location, value);
}

void GfxProgram::SetFloats(int location, const float* values, uint32_t count)
{
    if (location >= 0 && values && count && Use()) glUniform1fv(location, (GLsizei)count, values);
}

void GfxProgram::SetVector(int location, const Vec4& value)
{
    if (location >= 0 && Use()) glUniform4f(location, value.x, value.y, value.z, value.w);
}

void GfxProgram::SetVectors(int location, const Vec4* values, uint32_t count)
{
    if (location >= 0 && values && count && Use()) glUniform4fv(location, (GLsizei)count, &values[0].x);
}

void GfxProgram::SetMatrix(int location, const Matrix& value)
{
    if (location >= 0 && Use()) glUniformMatrix4fv(location, 1, GL_FALSE, &value._11);
}

void GfxProgram::SetMatrices(int location, const Matrix* values, uint32_t count)
{
    if (location >= 0 && values && count && Use()) glUniformMatrix4fv(location, (GLsizei)count, GL_FALSE, &values[0]._11);
}

void GfxProgram::SetSampler(int location, uint32_t stage)
{
    if (location < 0 || stage >= MAX_SAMPLERS) return;
    sampledStages_ |= 1u << stage;
    if (Use()) glUniform1i(location, (GLint)stage);
}
