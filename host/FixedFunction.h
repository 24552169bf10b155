#pragma once
// The fixed-function pipeline as GLSL: the device describes the states that shape a draw in a
// key, and one program is generated per distinct key and kept for the rest of the run.
//
// What is covered: pre-transformed and transformed vertices; lighting with a material and up
// to eight directional, point or spot lights, ambient, emissive and specular, colours taken
// from the material or the vertex; table (per-pixel) and vertex fog, EXP, EXP2 and LINEAR, or
// the vertex's specular alpha; two texture stages with every colour and alpha operation but
// the bump-mapping ones, the DIFFUSE, CURRENT, TEXTURE, TFACTOR, SPECULAR and TEMP arguments
// and both modifiers; flat shading; alpha test. A stage without a texture reads opaque black.
// Texture-coordinate generation and texture transforms are kept as states but not applied, and
// points are one pixel: the game draws nothing that needs them.
#include "host/GfxTypes.h"

#include <cstdint>
#include <string>

enum : uint8_t { FOGKIND_NONE = 0, FOGKIND_TABLE = 1, FOGKIND_VERTEX = 2, FOGKIND_SPECULAR = 3 };
enum : uint8_t { TEXKIND_NONE = 0, TEXKIND_2D = 1, TEXKIND_CUBE = 2 };

// Only bytes, so that the key can be compared and hashed as memory.
struct FixedFunctionKey {
    uint8_t pretransformed = 0;
    uint8_t hasNormal = 0;
    uint8_t hasColor0 = 0;
    uint8_t hasColor1 = 0;
    uint8_t texCoordSets = 0;  // bit n: the vertex has texture coordinate set n
    uint8_t lighting = 0;
    uint8_t normalizeNormals = 0;
    uint8_t localViewer = 0;
    uint8_t specular = 0;
    uint8_t diffuseSource = 0;
    uint8_t ambientSource = 0;
    uint8_t specularSource = 0;
    uint8_t emissiveSource = 0;
    uint8_t lightTypes[MAX_LIGHTS] = {};  // 0 for lights that are off
    uint8_t fogKind = FOGKIND_NONE;
    uint8_t fogMode = 0;
    uint8_t fogFromW = 0;  // table fog by eye distance rather than by depth
    uint8_t rangeFog = 0;
    uint8_t flatShading = 0;
    uint8_t alphaFunc = 0;  // 0: no alpha test
    struct Stage {
        uint8_t colorOp = 0;  // 0 or TOP_DISABLE: this stage and the following are off
        uint8_t colorArg[3] = {};
        uint8_t alphaOp = 0;
        uint8_t alphaArg[3] = {};
        uint8_t resultTemp = 0;
        uint8_t texCoordSet = 0;
        uint8_t textureKind = TEXKIND_NONE;
    } stages[FIXED_FUNCTION_STAGES];

    std::string Bytes() const { return std::string(reinterpret_cast<const char*>(this), sizeof(*this)); }
};

std::string BuildFixedFunctionVertexShader(const FixedFunctionKey& key);
std::string BuildFixedFunctionFragmentShader(const FixedFunctionKey& key);

// A linked fixed-function program and where its uniforms are.
struct FixedFunctionProgram {
    uint32_t program = 0;
    int worldView = -1, projection = -1, normalMatrix = -1, clipAdjust = -1, viewport = -1;
    int matDiffuse = -1, matAmbient = -1, matSpecular = -1, matEmissive = -1, matPower = -1, ambient = -1;
    int lightDiffuse = -1, lightSpecular = -1, lightAmbient = -1, lightPosition = -1, lightDirection = -1;
    int lightAttenuation = -1, lightSpot = -1;
    int fogColor = -1, fogParams = -1, textureFactor = -1, alphaRef = -1;
    uint64_t uploadedSerial = 0;  // the device's uniform serial when last filled
};

// Links the program of a key; false (with the compiler's text logged) on failure.
bool LinkFixedFunctionProgram(const FixedFunctionKey& key, FixedFunctionProgram& out);
