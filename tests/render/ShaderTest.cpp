// Single shaders with their constant table: a pixel shader over screen vertices (the
// minimap's landscape copy), a vertex shader, and failed compiles.
#include "tests/render/EffectTestSupport.h"

#include "host/GfxTexture.h"
#include "host/Log.h"
#include "render/Shader.h"

namespace {

class ShaderTest : public EffectTest {};

}  // namespace

TEST_F(ShaderTest, APixelShaderMultipliesItsTexturesOverScreenVertices)
{
    const char* landscape = "uniform sampler2D terrain;\nuniform sampler2D fog;\nuniform vec4 tint;\n"
                            "void Main()\n{\n"
                            "    vm_FragColor = vec4(texture(terrain, vTexCoord0.xy).rgb * texture(fog, vTexCoord1.xy).rgb"
                            " * tint.rgb * vDiffuse.rgb, 1.0);\n}\n";
    Shader shader;
    ASSERT_TRUE(shader.Compile(device, landscape, false));
    EXPECT_EQ(shader.GetSamplerStage("terrain"), 0);
    EXPECT_EQ(shader.GetSamplerStage("fog"), 1);
    EXPECT_TRUE(shader.SetVector("tint", Vec4(1.0f, 1.0f, 0.5f, 1.0f)));
    EXPECT_FALSE(shader.SetVector("absent", Vec4()));
    EXPECT_FALSE(shader.SetFloat("tint", 1.0f));  // a vec4 is not a float

    GfxTexture* terrain = SolidTexture(device, 0xFFFFFF80);
    GfxTexture* fog = SolidTexture(device, 0xFF808080);
    device->SetTexture(0, terrain);
    device->SetTexture(1, fog);
    shader.Bind();
    // The lower right quarter only: the screen vertices land where their pixels say.
    DrawScreenQuad(device, 16, 16, 32, 32, 0xFFFFFFFF);
    shader.Unbind();
    EXPECT_TRUE(PixelNear(ReadBackBuffer(device).At(20, 20), 0xFF808020));
    EXPECT_TRUE(PixelNear(ReadBackBuffer(device).At(15, 15), 0xFF000000));
    EXPECT_TRUE(PixelNear(ReadBackBuffer(device).At(16, 16), 0xFF808020));
    GfxProgram* program = nullptr;
    device->GetProgram(&program);
    EXPECT_EQ(program, nullptr);
    terrain->Release();
    fog->Release();
}

TEST_F(ShaderTest, AVertexShaderPlacesItsVertices)
{
    const char* move = "uniform mat4 place;\nvoid Main()\n{\n"
                       "    gl_Position = vm_ToClip(place * vec4(vm_Position.xyz, 1.0));\n"
                       "    vDiffuse = vm_Color0;\n    vTexCoord0 = vm_TexCoord0;\n    vTexCoord1 = vm_TexCoord0;\n}\n";
    Shader shader;
    ASSERT_TRUE(shader.Compile(device, move, true));
    Matrix half;
    MatrixScaling(&half, 0.5f, 0.5f, 1.0f);
    EXPECT_TRUE(shader.SetMatrix("place", half));
    struct Vertex {
        float x, y, z;
        uint32_t colour;
    } square[4] = {{-1, -1, 0.5f, 0xFF00FF00}, {-1, 1, 0.5f, 0xFF00FF00}, {1, 1, 0.5f, 0xFF00FF00}, {1, -1, 0.5f, 0xFF00FF00}};
    device->SetRenderState(RS_CULLMODE, CULL_NONE);
    device->SetFVF(FVF_XYZ | FVF_DIFFUSE);
    shader.Bind();
    device->DrawPrimitiveUP(PT_TRIANGLEFAN, 2, square, sizeof(Vertex));
    shader.Unbind();
    EXPECT_TRUE(PixelNear(ReadBackBuffer(device).At(16, 16), 0xFF00FF00));
    EXPECT_TRUE(PixelNear(ReadBackBuffer(device).At(2, 2), 0xFF000000));
}

TEST_F(ShaderTest, AFailedCompileIsLoggedAndCreatesNothing)
{
    Shader shader;
    LogCaptureBegin();
    EXPECT_FALSE(shader.Compile(device, "void Main() { vm_FragColor = undefinedColour; }\n", false));
    std::string log = LogCaptureEnd();
    EXPECT_NE(log.find("Couldnt compile the Pixel Shader"), std::string::npos) << log;
    EXPECT_NE(log.find("undefinedColour"), std::string::npos) << log;
    EXPECT_FALSE(shader.IsCompiled());
    shader.Bind();  // nothing to bind
    GfxProgram* program = nullptr;
    device->GetProgram(&program);
    EXPECT_EQ(program, nullptr);
}
