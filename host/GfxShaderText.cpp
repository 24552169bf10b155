// The preludes of every program: attribute names, the clip-space conversion, alpha test and
// fog helpers.
#include "host/GfxShaderText.h"

#include "host/GfxInternal.h"

const std::vector<ShaderAttribute>& ShaderAttributes()
{
    static const std::vector<ShaderAttribute> attributes = {
        {"vm_Position", ATTRIB_POSITION},         {"vm_Normal", ATTRIB_NORMAL},
        {"vm_Color0", ATTRIB_COLOR0},             {"vm_Color1", ATTRIB_COLOR1},
        {"vm_TexCoord0", ATTRIB_TEXCOORD0},       {"vm_TexCoord1", ATTRIB_TEXCOORD0 + 1},
        {"vm_TexCoord2", ATTRIB_TEXCOORD0 + 2},   {"vm_TexCoord3", ATTRIB_TEXCOORD0 + 3},
        {"vm_Tangent", ATTRIB_TANGENT},           {"vm_Binormal", ATTRIB_BINORMAL},
        {"vm_BlendWeight", ATTRIB_BLENDWEIGHT},   {"vm_BlendIndices", ATTRIB_BLENDINDICES},
    };
    return attributes;
}

const std::string& VertexPrelude()
{
    // The game's clip space has depth 0..1, y up, and pixel centres on whole coordinates;
    // every target is drawn with its top row first in memory. vm_ClipAdjust holds
    // (1 / viewport width, 1 / viewport height): half a pixel in clip units times two.
    static const std::string text = R"(#version 330 core
in vec4 vm_Position;
in vec3 vm_Normal;
in vec4 vm_Color0;
in vec4 vm_Color1;
in vec4 vm_TexCoord0;
in vec4 vm_TexCoord1;
in vec4 vm_TexCoord2;
in vec4 vm_TexCoord3;
in vec4 vm_Tangent;
in vec4 vm_Binormal;
in vec4 vm_BlendWeight;
in vec4 vm_BlendIndices;
uniform mat4 vm_World;
uniform mat4 vm_View;
uniform mat4 vm_Projection;
uniform mat4 vm_WorldViewProjection;
uniform vec4 vm_ClipAdjust;
vec4 vm_ToClip(vec4 p)
{
    return vec4(p.x + p.w * vm_ClipAdjust.x, p.w * vm_ClipAdjust.y - p.y, 2.0 * p.z - p.w, p.w);
}
)";
    return text;
}

const std::string& FragmentPrelude()
{
    // Texture gathers where the driver has them: a fragment program tests VM_GATHER.
    static const std::string text = R"(#version 330 core
#extension GL_ARB_texture_gather : enable
#ifdef GL_ARB_texture_gather
#define VM_GATHER 1
#endif
out vec4 vm_FragColor;
uniform int vm_AlphaFunc;
uniform float vm_AlphaRef;
uniform int vm_FogMode;
uniform vec4 vm_FogColor;
uniform vec4 vm_FogParams;
void vm_AlphaTest(float alpha)
{
    if (vm_AlphaFunc == 0 || vm_AlphaFunc == 8) return;
    float a = floor(clamp(alpha, 0.0, 1.0) * 255.0 + 0.5);
    bool pass = vm_AlphaFunc == 2 ? a < vm_AlphaRef
              : vm_AlphaFunc == 3 ? a == vm_AlphaRef
              : vm_AlphaFunc == 4 ? a <= vm_AlphaRef
              : vm_AlphaFunc == 5 ? a > vm_AlphaRef
              : vm_AlphaFunc == 6 ? a != vm_AlphaRef
              : vm_AlphaFunc == 7 ? a >= vm_AlphaRef : false;
    if (!pass) discard;
}
vec3 vm_ApplyFog(vec3 colour, float depth)
{
    if (vm_FogMode == 0) return colour;
    float f = vm_FogMode == 3 ? (vm_FogParams.y - depth) * vm_FogParams.w
            : vm_FogMode == 1 ? exp(-vm_FogParams.z * depth)
            : exp(-(vm_FogParams.z * depth) * (vm_FogParams.z * depth));
    return mix(vm_FogColor.rgb, colour, clamp(f, 0.0, 1.0));
}
)";
    return text;
}
