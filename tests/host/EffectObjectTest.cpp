// Compiled effects on the device: values of every kind reach the programs, samplers and their
// states, pass states, techniques, compile errors and device loss.
#include "GfxTestSupport.h"

#include "host/EffectObject.h"
#include "host/GfxTexture.h"

#include <cstring>
#include <functional>

namespace {

// A full-screen quad of screen vertices, coloured by what each technique reads.
const char* PROBE = R"(
uniform vec4 colour;
uniform float grey;
uniform float triple[3];
uniform mat4 rows;
uniform bool flag;
uniform int count;
uniform vec4 raw;
uniform sampler2D unread;
uniform sampler2D picture;
uniform samplerCube sky;
@semantic rows ViewInverse

@sampler sky
MAGFILTER = POINT
@common
VARYING vec2 uv;

@vertex quad
void main()
{
    float w = 1.0 / vm_Position.w;
    vec2 ndc = (vm_Position.xy + 0.5) * 2.0 * vm_ClipAdjust.xy - 1.0;
    gl_Position = vec4(ndc * w, (2.0 * vm_Position.z - 1.0) * w, w);
    uv = vm_TexCoord0.xy;
}

@fragment show_colour
void main() { vm_FragColor = colour; }
@fragment show_grey
void main() { vm_FragColor = vec4(grey, grey, grey, 1.0); }
@fragment show_triple
void main() { vm_FragColor = vec4(triple[0], triple[1], triple[2], 1.0); }
@fragment show_rows
void main() { vm_FragColor = rows * vec4(1.0, 0.0, 0.0, 0.0); }
@fragment show_flag
void main() { vm_FragColor = flag ? vec4(1.0) : vec4(0.0, 0.0, 0.0, 1.0); }
@fragment show_count
void main() { vm_FragColor = vec4(float(count) / 4.0, 0.0, 0.0, 1.0); }
@fragment show_raw
void main() { vm_FragColor = raw; }
@fragment show_textures
void main() { vm_FragColor = texture(sky, vec3(1.0, 0.0, 0.0)) + texture(picture, uv); }

@technique colour
@pass
vertex = quad
fragment = show_colour
@technique grey
@pass
vertex = quad
fragment = show_grey
@technique triple
@pass
vertex = quad
fragment = show_triple
@technique rows
@pass
vertex = quad
fragment = show_rows
@technique flag
@pass
vertex = quad
fragment = show_flag
@technique count
@pass
vertex = quad
fragment = show_count
@technique raw
@pass
vertex = quad
fragment = show_raw
@technique textures
@pass
vertex = quad
fragment = show_textures
@technique twice
@pass first
vertex = quad
fragment = show_colour
ALPHABLENDENABLE = TRUE
SRCBLEND = ONE
DESTBLEND = ONE
@pass second
vertex = quad
fragment = show_grey
)";

class EffectObjectTest : public GfxTest {
protected:
    void SetUp() override
    {
        GfxTest::SetUp();
        if (!device) return;
        std::string errors;
        effect = EffectObject::Create(device, PROBE, strlen(PROBE), "probe.fx", {}, nullptr, &errors);
        ASSERT_NE(effect, nullptr) << errors;
    }
    void TearDown() override
    {
        delete effect;
        GfxTest::TearDown();
    }

    // Draws every pass of a technique over the whole back buffer; the centre pixel.
    uint32_t Draw(const char* technique)
    {
        EXPECT_TRUE(effect->SetTechnique(effect->GetTechniqueByName(technique))) << technique;
        uint32_t passes = 0;
        EXPECT_TRUE(effect->Begin(&passes, 0));
        for (uint32_t p = 0; p < passes; ++p) {
            EXPECT_TRUE(effect->BeginPass(p));
            DrawScreenQuad(device, 0, 0, kTestWidth, kTestHeight, 0xFFFFFFFF);
            effect->EndPass();
        }
        effect->End();
        return ReadBackBuffer(device).At(kTestWidth / 2, kTestHeight / 2);
    }

    EffectObject* effect = nullptr;
};

}  // namespace

TEST_F(EffectObjectTest, ValuesOfEveryKindReachThePrograms)
{
    GfxTexture* picture = SolidTexture(device, 0xFF003000);
    GfxCubeTexture* sky = nullptr;
    ASSERT_EQ(device->CreateCubeTexture(1, 1, 0, FMT_A8R8G8B8, POOL_MANAGED, &sky), GFX_OK);
    for (uint32_t face = 0; face < 6; ++face) {
        uint32_t argb = face == CUBEMAP_FACE_POSITIVE_X ? 0xFF400000u : 0xFF0000FFu;
        LockedRect locked;
        sky->LockRect(face, 0, &locked, nullptr, 0);
        memcpy(locked.pBits, &argb, 4);
        sky->UnlockRect(face, 0);
    }

    Matrix rows;
    rows._11 = 0.2f;  // the game's (1, 0, 0, 0) * rows is the first row
    rows._12 = 0.4f;
    rows._13 = 0.6f;
    rows._14 = 1.0f;
    rows._21 = 0.9f;
    float triple[3] = {1.0f, 0.5f, 0.25f};
    float raw[4] = {0.0f, 1.0f, 1.0f, 1.0f};

    const auto& p = [&](const char* name) { return effect->GetParameterByName(name); };
    struct Case {
        const char* technique;
        std::function<bool()> set;
        uint32_t expected;
    } cases[] = {
        {"colour", [&] { return effect->SetVector(p("colour"), Vec4(1.0f, 0.5f, 0.0f, 1.0f)); }, 0xFFFF8000},
        {"grey", [&] { return effect->SetFloat(p("grey"), 0.25f); }, 0xFF404040},
        {"triple", [&] { return effect->SetFloatArray(p("triple"), triple, 3); }, 0xFFFF8040},
        {"rows", [&] { return effect->SetMatrix(p("rows"), rows); }, 0xFF336699},
        {"flag", [&] { return effect->SetBool(p("flag"), true); }, 0xFFFFFFFF},
        {"count", [&] { return effect->SetInt(p("count"), 2); }, 0xFF800000},
        {"raw", [&] { return effect->SetValue(p("raw"), raw, sizeof raw); }, 0xFF00FFFF},
        {"textures", [&] { return effect->SetTexture(p("picture"), picture) && effect->SetTexture(p("sky"), sky); },
         0xFF403000},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(c.set()) << c.technique;
        EXPECT_TRUE(ColorNear(Draw(c.technique), c.expected, 3)) << c.technique;
    }

    // A texture is no value and a value no texture; null handles do nothing.
    EXPECT_FALSE(effect->SetTexture(p("colour"), picture));
    EXPECT_FALSE(effect->SetFloat(p("picture"), 1.0f));
    EXPECT_FALSE(effect->SetFloat(nullptr, 1.0f));
    picture->Release();
    sky->Release();
}

TEST_F(EffectObjectTest, SamplersTakeStagesInDeclarationOrderAmongThoseRead)
{
    GfxTexture* a = SolidTexture(device, 0xFF000010);
    GfxTexture* b = SolidTexture(device, 0xFF001000);
    effect->SetTexture(effect->GetParameterByName("picture"), a);
    effect->SetTexture(effect->GetParameterByName("sky"), nullptr);
    effect->SetTexture(effect->GetParameterByName("unread"), b);
    device->SetSamplerState(1, SAMP_MAGFILTER, TEXF_LINEAR);

    effect->SetTechnique(effect->GetTechniqueByName("textures"));
    effect->Begin(nullptr, 0);
    effect->BeginPass(0);
    GfxBaseTexture* bound = nullptr;
    device->GetTexture(0, &bound);
    EXPECT_EQ(bound, a);  // "unread" is declared first but read by nobody
    if (bound) bound->Release();
    uint32_t filter = 0;
    device->GetSamplerState(1, SAMP_MAGFILTER, &filter);
    EXPECT_EQ(filter, (uint32_t)TEXF_POINT);  // the sky's sampler states on its stage
    effect->EndPass();
    effect->End();
    GfxProgram* program = nullptr;
    device->GetProgram(&program);
    EXPECT_EQ(program, nullptr);  // back to the fixed-function pipeline
    a->Release();
    b->Release();
}

TEST_F(EffectObjectTest, PassStatesStayAndChangesInAPassNeedACommit)
{
    effect->SetVector(effect->GetParameterByName("colour"), Vec4(0.25f, 0.0f, 0.0f, 1.0f));
    effect->SetFloat(effect->GetParameterByName("grey"), 0.25f);
    // The first pass adds its colour; the second, blending still on, adds grey.
    EXPECT_TRUE(ColorNear(Draw("twice"), 0xFF804040, 3));
    uint32_t blending = 0;
    device->GetRenderState(RS_ALPHABLENDENABLE, &blending);
    EXPECT_EQ(blending, 1u);

    device->SetRenderState(RS_ALPHABLENDENABLE, 0);
    effect->SetTechnique(effect->GetTechniqueByName("colour"));
    effect->Begin(nullptr, 0);
    effect->BeginPass(0);
    effect->SetVector(effect->GetParameterByName("colour"), Vec4(0.0f, 0.0f, 1.0f, 1.0f));
    effect->CommitChanges();
    DrawScreenQuad(device, 0, 0, kTestWidth, kTestHeight, 0xFFFFFFFF);
    effect->EndPass();
    effect->End();
    EXPECT_TRUE(ColorNear(ReadBackBuffer(device).At(1, 1), 0xFF0000FF, 2));
}

TEST_F(EffectObjectTest, TechniquesAndParametersAreFoundAndKnowWhoReadsWhat)
{
    EXPECT_EQ(effect->GetTechniqueCount(), 9);
    EXPECT_EQ(effect->FindNextValidTechnique(nullptr), effect->GetTechnique(0));
    EXPECT_EQ(effect->FindNextValidTechnique(effect->GetTechnique(0)), effect->GetTechnique(1));
    EXPECT_EQ(effect->FindNextValidTechnique(effect->GetTechnique(8)), nullptr);
    EXPECT_EQ(effect->GetTechniqueByName("nothing"), nullptr);
    EXPECT_EQ(effect->GetPassCount(effect->GetTechniqueByName("twice")), 2);

    EXPECT_EQ(effect->GetParameterBySemantic("viewinverse"), effect->GetParameterByName("rows"));
    EXPECT_EQ(effect->GetParameterByName("Rows"), nullptr);  // names compare exactly

    const EffectObject::Technique* twice = effect->GetTechniqueByName("twice");
    EXPECT_TRUE(effect->IsParameterUsed(effect->GetParameterByName("colour"), twice));
    EXPECT_TRUE(effect->IsParameterUsed(effect->GetParameterByName("grey"), twice));
    EXPECT_FALSE(effect->IsParameterUsed(effect->GetParameterByName("rows"), twice));
    EXPECT_FALSE(effect->IsParameterUsed(effect->GetParameterByName("unread"), effect->GetTechniqueByName("textures")));
    EXPECT_FALSE(effect->IsParameterUsed(nullptr, twice));
}

TEST_F(EffectObjectTest, CompilerErrorsNameTheFileAndLine)
{
    const char* broken = "uniform vec4 c;\n@vertex v\nvoid main() { gl_Position = vm_ToClip(vm_Position); }\n"
                         "@fragment f\nvoid main()\n{\n    vm_FragColor = c * undefinedThing;\n}\n"
                         "@technique t\n@pass\nvertex = v\nfragment = f\n";
    std::string errors;
    EXPECT_EQ(EffectObject::Create(device, broken, strlen(broken), "broken.fx", {}, nullptr, &errors), nullptr);
    EXPECT_NE(errors.find("broken.fx(7): error:"), std::string::npos) << errors;
    EXPECT_NE(errors.find("undefinedThing"), std::string::npos) << errors;
}

TEST_F(EffectObjectTest, DeviceLossLetsGoOfTexturesAndKeepsThePrograms)
{
    GfxTexture* target = nullptr;
    ASSERT_EQ(device->CreateTexture(4, 4, 1, USAGE_RENDERTARGET, FMT_A8R8G8B8, POOL_DEFAULT, &target), GFX_OK);
    effect->SetTexture(effect->GetParameterByName("picture"), target);
    target->Release();
    EXPECT_EQ(device->GetDefaultPoolResourceCount(), 1u);  // the effect keeps it alive

    GfxProgram* before = effect->GetPassProgram(effect->GetTechniqueByName("colour"), 0);
    effect->OnLostDevice();
    EXPECT_EQ(device->GetDefaultPoolResourceCount(), 0u);
    PresentParameters params;
    device->GetPresentParameters(&params);
    ASSERT_EQ(device->Reset(&params), GFX_OK);
    effect->OnResetDevice();
    EXPECT_EQ(effect->GetPassProgram(effect->GetTechniqueByName("colour"), 0), before);

    device->Clear(0, nullptr, CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    device->BeginScene();
    effect->SetVector(effect->GetParameterByName("colour"), Vec4(0.0f, 1.0f, 0.0f, 1.0f));
    EXPECT_TRUE(ColorNear(Draw("colour"), 0xFF00FF00, 2));
}
