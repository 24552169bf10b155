// GLSL generation for the fixed-function pipeline.
#include "host/FixedFunction.h"

#include "host/GfxInternal.h"
#include "host/GfxShaderText.h"
#include "host/Log.h"

#include <cstdio>

namespace {

std::string Str(const char* format, int a, int b = 0, int c = 0)
{
    char buffer[512];
    snprintf(buffer, sizeof(buffer), format, a, b, c);
    return buffer;
}

// The material colour a lighting term uses: the vertex's colour when the source asks for one
// the vertex has, else the material's own.
std::string MaterialColour(const FixedFunctionKey& key, uint8_t source, const char* material)
{
    if (source == MCS_COLOR1 && key.hasColor0) return "vm_Color0";
    if (source == MCS_COLOR2 && key.hasColor1) return "vm_Color1";
    return material;
}

std::string FogFactorFunction(uint8_t mode)
{
    std::string s = "float FogFactor(float d)\n{\n";
    if (mode == FOG_LINEAR)
        s += "    return clamp((ffFogParams.y - d) * ffFogParams.w, 0.0, 1.0);\n";
    else if (mode == FOG_EXP)
        s += "    return clamp(exp(-ffFogParams.z * d), 0.0, 1.0);\n";
    else
        s += "    return clamp(exp(-(ffFogParams.z * d) * (ffFogParams.z * d)), 0.0, 1.0);\n";
    return s + "}\n";
}

bool StageOn(const FixedFunctionKey& key, int s)
{
    for (int i = 0; i <= s; ++i)
        if (key.stages[i].colorOp == 0 || key.stages[i].colorOp == TOP_DISABLE) return false;
    return true;
}

}  // namespace

std::string BuildFixedFunctionVertexShader(const FixedFunctionKey& key)
{
    std::string s = VertexPrelude();
    const char* flat = key.flatShading ? "flat " : "";
    s += "uniform mat4 ffWorldView;\nuniform mat4 ffProjection;\nuniform mat3 ffNormalMatrix;\n"
         "uniform vec4 ffViewport;\n"
         "uniform vec4 ffMatDiffuse;\nuniform vec4 ffMatAmbient;\nuniform vec4 ffMatSpecular;\n"
         "uniform vec4 ffMatEmissive;\nuniform float ffMatPower;\nuniform vec4 ffAmbient;\n"
         "uniform vec4 ffLightDiffuse[8];\nuniform vec4 ffLightSpecular[8];\nuniform vec4 ffLightAmbient[8];\n"
         "uniform vec3 ffLightPosition[8];\nuniform vec3 ffLightDirection[8];\n"
         "uniform vec4 ffLightAttenuation[8];\nuniform vec4 ffLightSpot[8];\n"
         "uniform vec4 ffFogParams;\n";
    s += std::string(flat) + "out vec4 vDiffuse;\n" + flat + "out vec4 vSpecular;\n";
    for (int i = 0; i < (int)FIXED_FUNCTION_STAGES; ++i) s += Str("out vec4 vTex%d;\n", i);
    s += "out float vFog;\n";
    if (key.fogKind == FOGKIND_VERTEX) s += FogFactorFunction(key.fogMode);
    s += "void main()\n{\n";
    if (key.pretransformed) {
        // Pixel coordinates of the target, the pixel centre on the whole coordinate; w is the
        // reciprocal of the fourth component, for perspective-correct interpolation.
        s += "    float w = vm_Position.w > 0.0 ? 1.0 / vm_Position.w : 1.0;\n"
             "    vec2 ndc = (vm_Position.xy + 0.5 - ffViewport.xy) * ffViewport.zw - 1.0;\n"
             "    gl_Position = vec4(ndc * w, (2.0 * vm_Position.z - 1.0) * w, w);\n"
             "    vec4 eye = vec4(0.0, 0.0, ";
        s += key.fogFromW ? "w, 1.0);\n" : "vm_Position.z, 1.0);\n";
    } else {
        s += "    vec4 eye = ffWorldView * vec4(vm_Position.xyz, 1.0);\n"
             "    gl_Position = vm_ToClip(ffProjection * eye);\n";
    }
    // Colours: lit, or taken from the vertex (white and black when it has none).
    if (key.lighting && !key.pretransformed) {
        s += key.hasNormal ? "    vec3 N = ffNormalMatrix * vm_Normal;\n" : "    vec3 N = vec3(0.0);\n";
        if (key.normalizeNormals) s += "    N = N == vec3(0.0) ? N : normalize(N);\n";
        s += key.localViewer ? "    vec3 V = -normalize(eye.xyz);\n" : "    vec3 V = vec3(0.0, 0.0, -1.0);\n";
        s += "    vec3 ambient = ffAmbient.rgb;\n    vec3 diffuse = vec3(0.0);\n    vec3 specular = vec3(0.0);\n";
        for (int i = 0; i < (int)MAX_LIGHTS; ++i) {
            uint8_t type = key.lightTypes[i];
            if (!type) continue;
            s += "    {\n";
            if (type == LIGHT_DIRECTIONAL) {
                s += Str("        vec3 L = -ffLightDirection[%d];\n        float att = 1.0;\n", i);
            } else {
                s += Str("        vec3 d = ffLightPosition[%d] - eye.xyz;\n"
                         "        float dist = length(d);\n"
                         "        vec3 L = dist > 0.0 ? d / dist : vec3(0.0, 0.0, 1.0);\n"
                         "        vec4 a = ffLightAttenuation[%d];\n"
                         "        float att = dist > a.w ? 0.0 : 1.0 / max(a.x + a.y * dist + a.z * dist * dist, 1e-6);\n",
                         i, i);
                if (type == LIGHT_SPOT)
                    s += Str("        vec4 cone = ffLightSpot[%d];\n"
                             "        float rho = dot(-L, ffLightDirection[%d]);\n"
                             "        att *= rho > cone.x ? 1.0 : (rho <= cone.y ? 0.0 : "
                             "pow(max((rho - cone.y) / max(cone.x - cone.y, 1e-6), 0.0), cone.z));\n",
                             i, i);
            }
            s += Str("        ambient += ffLightAmbient[%d].rgb * att;\n"
                     "        float nl = max(dot(N, L), 0.0);\n"
                     "        diffuse += ffLightDiffuse[%d].rgb * nl * att;\n",
                     i, i);
            if (key.specular)
                s += Str("        if (nl > 0.0) specular += ffLightSpecular[%d].rgb * att * "
                         "pow(max(dot(N, normalize(L + V)), 0.0), ffMatPower);\n",
                         i);
            s += "    }\n";
        }
        std::string md = MaterialColour(key, key.diffuseSource, "ffMatDiffuse");
        std::string ma = MaterialColour(key, key.ambientSource, "ffMatAmbient");
        std::string ms = MaterialColour(key, key.specularSource, "ffMatSpecular");
        std::string me = MaterialColour(key, key.emissiveSource, "ffMatEmissive");
        s += "    vDiffuse = clamp(vec4(" + me + ".rgb + " + ma + ".rgb * ambient + " + md + ".rgb * diffuse, " + md +
             ".a), 0.0, 1.0);\n";
        s += "    vSpecular = clamp(vec4(" + ms + ".rgb * specular, " +
             (key.hasColor1 ? std::string("vm_Color1.a") : std::string("0.0")) + "), 0.0, 1.0);\n";
    } else {
        s += key.hasColor0 ? "    vDiffuse = vm_Color0;\n" : "    vDiffuse = vec4(1.0);\n";
        s += key.hasColor1 ? "    vSpecular = vm_Color1;\n" : "    vSpecular = vec4(0.0);\n";
    }
    for (int i = 0; i < (int)FIXED_FUNCTION_STAGES; ++i) {
        int set = key.stages[i].texCoordSet;
        if (StageOn(key, i) && set < (int)MAX_TEXCOORD_SETS && (key.texCoordSets >> set & 1))
            s += Str("    vTex%d = vm_TexCoord%d;\n", i, set);
        else
            s += Str("    vTex%d = vec4(0.0, 0.0, 0.0, 1.0);\n", i);
    }
    if (key.fogKind == FOGKIND_TABLE)
        s += key.pretransformed ? "    vFog = eye.z;\n" : (key.fogFromW ? "    vFog = eye.z;\n" : "    vFog = 0.0;\n");
    else if (key.fogKind == FOGKIND_VERTEX)
        s += key.rangeFog ? "    vFog = FogFactor(length(eye.xyz));\n" : "    vFog = FogFactor(eye.z);\n";
    else if (key.fogKind == FOGKIND_SPECULAR)
        s += key.hasColor1 ? "    vFog = vm_Color1.a;\n" : "    vFog = 1.0;\n";
    else
        s += "    vFog = 1.0;\n";
    s += "}\n";
    return s;
}

namespace {

std::string Arg(uint8_t arg, int stage)
{
    std::string base;
    switch (arg & TA_SELECTMASK) {
    case TA_DIFFUSE: base = "diffuse"; break;
    case TA_CURRENT: base = "current"; break;
    case TA_TEXTURE: base = Str("tex%d", stage); break;
    case TA_TFACTOR: base = "ffTextureFactor"; break;
    case TA_SPECULAR: base = "specular"; break;
    case TA_TEMP: base = "temp"; break;
    default: base = "vec4(1.0)"; break;
    }
    if (arg & TA_ALPHAREPLICATE) base = "vec4(" + base + ".a)";
    if (arg & TA_COMPLEMENT) base = "(vec4(1.0) - " + base + ")";
    return base;
}

// One operation on the components `c` (".rgb" or ".a").
std::string Operation(uint8_t op, const std::string& a0, const std::string& a1, const std::string& a2,
                      const std::string& c, int stage)
{
    std::string x0 = a0 + c, x1 = a1 + c, x2 = a2 + c;
    std::string tex = Str("tex%d", stage);
    switch (op) {
    case TOP_SELECTARG1: return x1;
    case TOP_SELECTARG2: return x2;
    case TOP_MODULATE: return x1 + " * " + x2;
    case TOP_MODULATE2X: return "2.0 * " + x1 + " * " + x2;
    case TOP_MODULATE4X: return "4.0 * " + x1 + " * " + x2;
    case TOP_ADD: return x1 + " + " + x2;
    case TOP_ADDSIGNED: return x1 + " + " + x2 + " - 0.5";
    case TOP_ADDSIGNED2X: return "2.0 * (" + x1 + " + " + x2 + " - 0.5)";
    case TOP_SUBTRACT: return x1 + " - " + x2;
    case TOP_ADDSMOOTH: return x1 + " + " + x2 + " - " + x1 + " * " + x2;
    case TOP_BLENDDIFFUSEALPHA: return "mix(" + x2 + ", " + x1 + ", diffuse.a)";
    case TOP_BLENDTEXTUREALPHA: return "mix(" + x2 + ", " + x1 + ", " + tex + ".a)";
    case TOP_BLENDFACTORALPHA: return "mix(" + x2 + ", " + x1 + ", ffTextureFactor.a)";
    case TOP_BLENDCURRENTALPHA: return "mix(" + x2 + ", " + x1 + ", current.a)";
    case TOP_BLENDTEXTUREALPHAPM: return x1 + " + " + x2 + " * (1.0 - " + tex + ".a)";
    case TOP_MODULATEALPHA_ADDCOLOR: return c == ".a" ? x1 : x1 + " + " + a1 + ".a * " + x2;
    case TOP_MODULATECOLOR_ADDALPHA: return c == ".a" ? x1 : x1 + " * " + x2 + " + " + a1 + ".a";
    case TOP_MODULATEINVALPHA_ADDCOLOR: return c == ".a" ? x1 : "(1.0 - " + a1 + ".a) * " + x2 + " + " + x1;
    case TOP_MODULATEINVCOLOR_ADDALPHA: return c == ".a" ? x1 : "(1.0 - " + x1 + ") * " + x2 + " + " + a1 + ".a";
    case TOP_MULTIPLYADD: return x0 + " + " + x1 + " * " + x2;
    case TOP_LERP: return "mix(" + x2 + ", " + x1 + ", " + x0 + ")";
    default: return x1;
    }
}

}  // namespace

std::string BuildFixedFunctionFragmentShader(const FixedFunctionKey& key)
{
    std::string s = FragmentPrelude();
    const char* flat = key.flatShading ? "flat " : "";
    s += std::string(flat) + "in vec4 vDiffuse;\n" + flat + "in vec4 vSpecular;\n";
    for (int i = 0; i < (int)FIXED_FUNCTION_STAGES; ++i) s += Str("in vec4 vTex%d;\n", i);
    s += "in float vFog;\n";
    s += "uniform vec4 ffTextureFactor;\nuniform vec4 ffFogColor;\nuniform vec4 ffFogParams;\nuniform float ffAlphaRef;\n";
    for (int i = 0; i < (int)FIXED_FUNCTION_STAGES; ++i) {
        if (!StageOn(key, i)) break;
        if (key.stages[i].textureKind == TEXKIND_2D) s += Str("uniform sampler2D ffTexture%d;\n", i);
        if (key.stages[i].textureKind == TEXKIND_CUBE) s += Str("uniform samplerCube ffTexture%d;\n", i);
    }
    if (key.fogKind == FOGKIND_TABLE) s += FogFactorFunction(key.fogMode);
    s += "void main()\n{\n"
         "    vec4 diffuse = vDiffuse;\n    vec4 specular = vSpecular;\n"
         "    vec4 current = diffuse;\n    vec4 temp = vec4(0.0);\n";
    for (int i = 0; i < (int)FIXED_FUNCTION_STAGES; ++i) {
        if (!StageOn(key, i)) break;
        const FixedFunctionKey::Stage& st = key.stages[i];
        if (st.textureKind == TEXKIND_2D)
            s += Str("    vec4 tex%d = texture(ffTexture%d, vTex%d.xy);\n", i, i, i);
        else if (st.textureKind == TEXKIND_CUBE)
            s += Str("    vec4 tex%d = texture(ffTexture%d, vTex%d.xyz);\n", i, i, i);
        else
            s += Str("    vec4 tex%d = vec4(0.0, 0.0, 0.0, 1.0);\n", i);
        std::string c0 = Arg(st.colorArg[0], i), c1 = Arg(st.colorArg[1], i), c2 = Arg(st.colorArg[2], i);
        std::string result = st.resultTemp ? "temp" : "current";
        s += "    {\n        vec4 r;\n";
        if (st.colorOp == TOP_DOTPRODUCT3) {
            // The dot product goes to every channel, alpha included.
            s += "        r = vec4(clamp(4.0 * dot(" + c1 + ".rgb - 0.5, " + c2 + ".rgb - 0.5), 0.0, 1.0));\n";
        } else {
            s += "        r.rgb = " + Operation(st.colorOp, c0, c1, c2, ".rgb", i) + ";\n";
            if (st.alphaOp == 0 || st.alphaOp == TOP_DISABLE) {
                s += "        r.a = current.a;\n";
            } else {
                std::string a0 = Arg(st.alphaArg[0], i), a1 = Arg(st.alphaArg[1], i), a2 = Arg(st.alphaArg[2], i);
                uint8_t alphaOp = st.alphaOp == TOP_DOTPRODUCT3 ? (uint8_t)TOP_SELECTARG1 : st.alphaOp;
                if (st.alphaOp == TOP_DOTPRODUCT3)
                    s += "        r.a = clamp(4.0 * dot(" + a1 + ".rgb - 0.5, " + a2 + ".rgb - 0.5), 0.0, 1.0);\n";
                else
                    s += "        r.a = " + Operation(alphaOp, a0, a1, a2, ".a", i) + ";\n";
            }
        }
        s += "        " + result + " = clamp(r, 0.0, 1.0);\n    }\n";
    }
    if (key.specular) s += "    current.rgb = clamp(current.rgb + specular.rgb, 0.0, 1.0);\n";
    if (key.fogKind == FOGKIND_TABLE)
        s += key.fogFromW ? "    current.rgb = mix(ffFogColor.rgb, current.rgb, FogFactor(vFog));\n"
                          : "    current.rgb = mix(ffFogColor.rgb, current.rgb, FogFactor(gl_FragCoord.z));\n";
    else if (key.fogKind != FOGKIND_NONE)
        s += "    current.rgb = mix(ffFogColor.rgb, current.rgb, clamp(vFog, 0.0, 1.0));\n";
    if (key.alphaFunc && key.alphaFunc != CMP_ALWAYS) {
        // The test runs on the 8-bit alpha, as the reference value is one.
        static const char* kCompare[] = {"", "false", "a < ffAlphaRef", "a == ffAlphaRef", "a <= ffAlphaRef",
                                         "a > ffAlphaRef", "a != ffAlphaRef", "a >= ffAlphaRef"};
        if (key.alphaFunc < CMP_ALWAYS)
            s += std::string("    float a = floor(current.a * 255.0 + 0.5);\n    if (!(") + kCompare[key.alphaFunc] +
                 ")) discard;\n";
    }
    s += "    vm_FragColor = current;\n}\n";
    return s;
}

bool LinkFixedFunctionProgram(const FixedFunctionKey& key, FixedFunctionProgram& out)
{
    std::string vs = BuildFixedFunctionVertexShader(key);
    std::string fs = BuildFixedFunctionFragmentShader(key);
    std::string log;
    GLuint program = LinkGlProgram(vs, fs, log);
    if (!program) {
        Log("ERROR fixed-function program failed to build:\n%s\n", log.c_str());
        return false;
    }
    out = FixedFunctionProgram();
    out.program = program;
    auto at = [&](const char* name) { return glGetUniformLocation(program, name); };
    out.worldView = at("ffWorldView");
    out.projection = at("ffProjection");
    out.normalMatrix = at("ffNormalMatrix");
    out.clipAdjust = at("vm_ClipAdjust");
    out.viewport = at("ffViewport");
    out.matDiffuse = at("ffMatDiffuse");
    out.matAmbient = at("ffMatAmbient");
    out.matSpecular = at("ffMatSpecular");
    out.matEmissive = at("ffMatEmissive");
    out.matPower = at("ffMatPower");
    out.ambient = at("ffAmbient");
    out.lightDiffuse = at("ffLightDiffuse");
    out.lightSpecular = at("ffLightSpecular");
    out.lightAmbient = at("ffLightAmbient");
    out.lightPosition = at("ffLightPosition");
    out.lightDirection = at("ffLightDirection");
    out.lightAttenuation = at("ffLightAttenuation");
    out.lightSpot = at("ffLightSpot");
    out.fogColor = at("ffFogColor");
    out.fogParams = at("ffFogParams");
    out.textureFactor = at("ffTextureFactor");
    out.alphaRef = at("ffAlphaRef");
    glUseProgram(program);
    for (int i = 0; i < (int)FIXED_FUNCTION_STAGES; ++i) {
        char name[32];
        snprintf(name, sizeof(name), "ffTexture%d", i);
        GLint location = at(name);
        if (location >= 0) glUniform1i(location, i);
    }
    return true;
}
