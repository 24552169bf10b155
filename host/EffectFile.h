#pragma once
// An effect file read into its parts: code blocks, techniques with their passes and states,
// sampler states, and the uniforms with their semantics. It also writes the GLSL text of each
// program stage and turns compiler messages back into the file's own lines. The format is
// described in host/EFFECTS.md. Nothing here needs the graphics device.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

enum EffectStage { EFFECT_VERTEX = 0, EFFECT_FRAGMENT = 1 };

// Uniform types an effect parameter may have (arrays of the first three are allowed).
enum EffectUniformType {
    UNIFORM_FLOAT,
    UNIFORM_VEC4,
    UNIFORM_MAT4,
    UNIFORM_INT,
    UNIFORM_BOOL,
    UNIFORM_SAMPLER2D,
    UNIFORM_SAMPLERCUBE,
};

struct EffectUniform {
    std::string name;
    std::string semantic;  // empty when none was given
    EffectUniformType type = UNIFORM_FLOAT;
    int arraySize = 1;
    bool IsSampler() const { return type == UNIFORM_SAMPLER2D || type == UNIFORM_SAMPLERCUBE; }
};

struct EffectStateSetting {
    uint32_t state;
    uint32_t value;
};

struct EffectSamplerInfo {
    std::string name;  // the sampler uniform
    std::vector<EffectStateSetting> states;
};

struct EffectPassInfo {
    std::string name;
    std::string vertex;    // the @vertex block
    std::string fragment;  // the @fragment block
    std::vector<EffectStateSetting> renderStates;
};

struct EffectTechniqueInfo {
    std::string name;
    std::vector<EffectPassInfo> passes;
};

// The uniforms one line declares, appended to out. A line that declares none answers true; a
// declaration of a type a parameter cannot have, or one spread over lines, answers false with a
// message. One declaration a line: "uniform vec4 colour;", "uniform float weights[8], scale;".
bool ParseUniformDeclaration(const std::string& line, std::vector<EffectUniform>* out, std::string* error);

// Where a line of a generated stage text came from: a file (index into the file names) and
// its line, or file -1 for lines the framework writes itself.
struct EffectLineOrigin {
    int file;
    int line;
};

// The text an #include line asks for; false when there is none.
typedef std::function<bool(const char* name, std::string* text)> EffectIncludeFunction;

class EffectFile {
public:
    // Fragment stage texts start numbering their lines here, so that a message of either stage
    // can be placed (vertex lines count from 1).
    static constexpr int FRAGMENT_LINE_BASE = 100000;

    // Reads an effect's text; fileName names it in messages. Each #include line is replaced by
    // what includes gives (no function: an #include is an error); an included text may not
    // include further. False with every problem found, one "file(line): message" a line, in
    // errors. A file of N bytes costs N plus some 50 bytes a line, and its include: every line
    // is kept once and gives at most a few messages.
    bool Parse(const char* text, size_t size, const char* fileName, const EffectIncludeFunction& includes,
               std::string* errors);

    const std::vector<EffectTechniqueInfo>& Techniques() const { return techniques_; }
    // In order of first declaration.
    const std::vector<EffectUniform>& Uniforms() const { return uniforms_; }
    const std::vector<EffectSamplerInfo>& Samplers() const { return samplers_; }
    const std::string& FileName(int file) const;

    // The GLSL text of one program stage: the macros as "#define NAME 1", the stage's own
    // definitions (VERTEX_SHADER or FRAGMENT_SHADER, VARYING), the common code and the
    // program's block. origins (when given) gets one entry per line.
    std::string BuildSource(EffectStage stage, const std::string& program, const std::vector<std::string>& macros,
                            std::vector<EffectLineOrigin>* origins) const;

    // A compiler log with each "0:LINE(COLUMN): message" rewritten as "file(line): message"
    // from the origins of the two stage texts.
    std::string TranslateLog(const std::string& log, const std::vector<EffectLineOrigin>& vertex,
                             const std::vector<EffectLineOrigin>& fragment) const;

private:
    struct Line {
        std::string text;
        int file;
        int line;
    };
    enum BlockKind { BLOCK_COMMON, BLOCK_VERTEX, BLOCK_FRAGMENT };
    struct Block {
        BlockKind kind;
        std::string name;
        std::vector<int> lines;  // indices into lines_
    };

    bool ReadLines(const char* text, size_t size, const EffectIncludeFunction& includes);
    void ReadDirectives();
    void ReadUniforms();
    void Error(int lineIndex, const std::string& message);
    const Block* FindBlock(BlockKind kind, const std::string& name) const;

    std::vector<std::string> files_;
    std::vector<Line> lines_;
    std::vector<Block> blocks_;
    std::vector<EffectTechniqueInfo> techniques_;
    std::vector<EffectUniform> uniforms_;
    std::vector<EffectSamplerInfo> samplers_;
    std::string errors_;

    // Semantics and sampler blocks name uniforms, which are known only after the directives.
    struct PendingSemantic {
        std::string uniform, semantic;
        int line;
    };
    std::vector<PendingSemantic> pendingSemantics_;
    std::vector<int> pendingSamplerLines_;
};
