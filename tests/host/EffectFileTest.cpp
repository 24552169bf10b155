// The effect file reader: blocks, techniques, states, uniforms, includes, generated stage
// texts and compiler messages placed back on the file's lines.
#include "host/EffectFile.h"
#include "host/GfxTypes.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const char* GOOD = R"(// a comment before anything
#include "shared.fxh"
uniform vec4 tint;
uniform float weights[3], scale;
@semantic tint Ambient

@vertex vs
void main() { gl_Position = vm_ToClip(vm_Position); }

@fragment ps
uniform sampler2D second;
void main() { vm_FragColor = tint * texture(first, vec2(0.0)) * texture(second, vec2(0.0)); }

@sampler second
MINFILTER = POINT
ADDRESSU = clamp

@technique main
@pass
vertex = vs
fragment = ps
ZWRITEENABLE = FALSE;   // with a comment
SRCBLEND = BLEND_SRCALPHA
FOGDENSITY = 0.25
ALPHAREF = 0x80
@pass second
vertex = vs
fragment = ps
)";

const char* SHARED = "uniform sampler2D first;\nuniform mat4 wvp;\n@semantic wvp WorldViewProjection\n";

bool SharedInclude(const char*, std::string* text)
{
    *text = SHARED;
    return true;
}

EffectFile ParseOk(const char* text)
{
    EffectFile file;
    std::string errors;
    EXPECT_TRUE(file.Parse(text, strlen(text), "good.fx", SharedInclude, &errors)) << errors;
    return file;
}

}  // namespace

TEST(EffectFileTest, ReadsTechniquesPassesStatesAndUniforms)
{
    EffectFile file = ParseOk(GOOD);
    ASSERT_EQ(file.Techniques().size(), 1u);
    const EffectTechniqueInfo& t = file.Techniques()[0];
    EXPECT_EQ(t.name, "main");
    ASSERT_EQ(t.passes.size(), 2u);
    EXPECT_EQ(t.passes[0].name, "p0");
    EXPECT_EQ(t.passes[1].name, "second");
    EXPECT_EQ(t.passes[0].vertex, "vs");
    EXPECT_EQ(t.passes[0].fragment, "ps");
    ASSERT_EQ(t.passes[0].renderStates.size(), 4u);
    EXPECT_EQ(t.passes[0].renderStates[0].state, (uint32_t)RS_ZWRITEENABLE);
    EXPECT_EQ(t.passes[0].renderStates[0].value, 0u);
    EXPECT_EQ(t.passes[0].renderStates[1].value, (uint32_t)BLEND_SRCALPHA);
    EXPECT_EQ(t.passes[0].renderStates[2].value, FloatBits(0.25f));
    EXPECT_EQ(t.passes[0].renderStates[3].value, 0x80u);

    // Declaration order, the include's first; semantics from either file.
    const auto& u = file.Uniforms();
    ASSERT_EQ(u.size(), 6u);
    const char* names[] = {"first", "wvp", "tint", "weights", "scale", "second"};
    for (size_t i = 0; i < 6; ++i) EXPECT_EQ(u[i].name, names[i]);
    EXPECT_EQ(u[1].semantic, "WorldViewProjection");
    EXPECT_EQ(u[2].semantic, "Ambient");
    EXPECT_EQ(u[3].type, UNIFORM_FLOAT);
    EXPECT_EQ(u[3].arraySize, 3);
    EXPECT_EQ(u[5].type, UNIFORM_SAMPLER2D);

    ASSERT_EQ(file.Samplers().size(), 1u);
    ASSERT_EQ(file.Samplers()[0].states.size(), 2u);
    EXPECT_EQ(file.Samplers()[0].states[0].state, (uint32_t)SAMP_MINFILTER);
    EXPECT_EQ(file.Samplers()[0].states[0].value, (uint32_t)TEXF_POINT);
    EXPECT_EQ(file.Samplers()[0].states[1].value, (uint32_t)TADDRESS_CLAMP);
}

TEST(EffectFileTest, StageTextsCarryMacrosStageDefinitionsAndTheirOwnBlockOnly)
{
    EffectFile file = ParseOk(GOOD);
    std::vector<EffectLineOrigin> origins;
    std::string vs = file.BuildSource(EFFECT_VERTEX, "vs", {"TERRAIN_SHADOWS", "FILTER_SHADOWS"}, &origins);
    EXPECT_NE(vs.find("#define TERRAIN_SHADOWS 1\n#define FILTER_SHADOWS 1\n"), std::string::npos);
    EXPECT_NE(vs.find("#define VARYING out"), std::string::npos);
    EXPECT_NE(vs.find("uniform sampler2D first;"), std::string::npos);  // the include's text
    EXPECT_NE(vs.find("gl_Position"), std::string::npos);
    EXPECT_EQ(vs.find("vm_FragColor"), std::string::npos);
    EXPECT_EQ(vs.find("#include"), std::string::npos);

    std::string fs = file.BuildSource(EFFECT_FRAGMENT, "ps", {}, nullptr);
    EXPECT_EQ(fs.find("#line " + std::to_string(EffectFile::FRAGMENT_LINE_BASE) + "\n"), 0u);
    EXPECT_NE(fs.find("#define VARYING in"), std::string::npos);
    EXPECT_NE(fs.find("vm_FragColor"), std::string::npos);
    EXPECT_EQ(fs.find("gl_Position"), std::string::npos);

    // Each generated line knows where it came from.
    size_t count = 0;
    for (char c : vs) count += c == '\n';
    EXPECT_EQ(origins.size(), count);
}

TEST(EffectFileTest, CompilerMessagesNameTheFileAndLine)
{
    EffectFile file = ParseOk(GOOD);
    std::vector<EffectLineOrigin> vertex, fragment;
    file.BuildSource(EFFECT_VERTEX, "vs", {"A"}, &vertex);
    file.BuildSource(EFFECT_FRAGMENT, "ps", {"A"}, &fragment);
    // Find the generated line numbers of two known source lines.
    int vsLine = 0, sharedLine = 0, fsLine = 0;
    for (size_t i = 0; i < vertex.size(); ++i) {
        if (vertex[i].file == 0 && vertex[i].line == 8) vsLine = (int)i + 1;
        if (vertex[i].file == 1 && vertex[i].line == 2) sharedLine = (int)i + 1;
    }
    for (size_t i = 0; i < fragment.size(); ++i)
        if (fragment[i].file == 0 && fragment[i].line == 12) fsLine = EffectFile::FRAGMENT_LINE_BASE + (int)i - 1;
    ASSERT_GT(vsLine, 0);
    ASSERT_GT(sharedLine, 0);
    ASSERT_GT(fsLine, 0);
    std::string log = "0:" + std::to_string(vsLine) + "(3): error: `x' undeclared\n" + "0:" +
                      std::to_string(sharedLine) + "(1): warning: unused\n" + "0:" + std::to_string(fsLine) +
                      "(9): error: bad\nerror: linking failed\n";
    EXPECT_EQ(file.TranslateLog(log, vertex, fragment),
              "good.fx(8): error: `x' undeclared\n"
              "shared.fxh(2): warning: unused\n"
              "good.fx(12): error: bad\n"
              "good.fx: error: linking failed\n");
}

TEST(EffectFileTest, BrokenFilesAreRefusedWithTheirLine)
{
    struct Case {
        const char* text;
        const char* message;
    } cases[] = {
        {"@vertex v\nvoid main(){}\n@fragment f\nvoid main(){}\n", "good.fx: error: the effect has no @technique"},
        {"@technique t\n", "good.fx(1): error: technique 't' has no @pass"},
        {"@pass p\n", "good.fx(1): error: @pass outside a technique"},
        {"@vertex v\n@fragment f\n@technique t\n@pass\nvertex = v\n", "good.fx(4): error: pass 'p0' names no fragment program"},
        {"@vertex v\n@fragment f\n@technique t\n@pass\nvertex = w\nfragment = f\n",
         "good.fx(4): error: pass 'p0' names an unknown vertex program 'w'"},
        {"@vertex v\n@fragment f\n@technique t\n@pass\nvertex = v\nfragment = f\nZENABEL = TRUE\n",
         "good.fx(7): error: unknown render state 'ZENABEL'"},
        {"@vertex v\n@fragment f\n@technique t\n@pass\nvertex = v\nfragment = f\nCULLMODE = SIDEWAYS\n",
         "good.fx(7): error: 'SIDEWAYS' is not a value of render state CULLMODE"},
        {"@vertex v\n@vertex v\n", "good.fx(2): error: a second @vertex block named 'v'"},
        {"@frobnicate\n", "good.fx(1): error: unknown directive '@frobnicate'"},
        {"uniform vec3 light;\n", "good.fx(1): error: uniform type 'vec3' is not a parameter type"},
        {"uniform int counts[4];\n", "good.fx(1): error: only float, vec4 and mat4 uniforms may be arrays"},
        {"uniform vec4 a;\nuniform float a;\n", "good.fx(2): error: uniform 'a' is declared again with another type"},
        {"@semantic nothing World\n", "good.fx(1): error: @semantic names an undeclared uniform 'nothing'"},
        {"uniform vec4 c;\n@sampler c\nMINFILTER = POINT\n", "good.fx(2): error: @sampler names no sampler uniform 'c'"},
        {"\n#include \"missing.fxh\"\n", "good.fx(2): error: cannot open include file 'missing.fxh'"},
        {"@technique t\nstray text\n", "good.fx(2): error: text in a technique outside its passes"},
    };
    for (const Case& c : cases) {
        EffectFile file;
        std::string errors;
        auto includes = [](const char* name, std::string* text) {
            if (strcmp(name, "missing.fxh") == 0) return false;
            *text = SHARED;
            return true;
        };
        EXPECT_FALSE(file.Parse(c.text, strlen(c.text), "good.fx", includes, &errors)) << c.text;
        EXPECT_NE(errors.find(c.message), std::string::npos) << c.text << "\n---\n" << errors;
    }
}

TEST(EffectFileTest, IncludesGiveTheSharedTextWhateverTheirNameButNeverNest)
{
    const char* text = "#include <anything.h>\n@vertex v\nvoid main(){}\n@fragment f\nvoid main(){}\n"
                       "@technique t\n@pass\nvertex = v\nfragment = f\n";
    EffectFile file;
    std::string errors;
    EXPECT_TRUE(file.Parse(text, strlen(text), "a.fx", SharedInclude, &errors)) << errors;
    EXPECT_EQ(file.Uniforms().size(), 2u);

    auto nesting = [](const char*, std::string* t) {
        *t = "uniform vec4 x;\n#include \"shared.fxh\"\n";
        return true;
    };
    EXPECT_FALSE(file.Parse(text, strlen(text), "a.fx", nesting, &errors));
    EXPECT_NE(errors.find("anything.h(2): error: an included file may not include another"), std::string::npos)
        << errors;
    EXPECT_FALSE(file.Parse(text, strlen(text), "a.fx", nullptr, &errors));
}
