// gasgiant.fx: the gas giants of the galaxy map: one cell of the banded atlas (genericFloat4:
// the cell's corner and size in texture coordinates) wrapped round the sphere, lit by the
// star at the middle of the system. A gas giant has no atmosphere glow of its own.
#include "shared.fxh"

VARYING vec2 uv;
VARYING vec3 normal;
VARYING vec3 viewNormal;

@vertex giant_vs
void main()
{
    uv = vm_TexCoord0.xy;
    normal = normalize(mat3(matWorldInverseTranspose) * vm_Normal);
    viewNormal = normalize(mat3(matWorldView) * vm_Normal);
    gl_Position = vm_ToClip(matWorldViewProjection * vec4(vm_Position.xyz, 1.0));
}

@fragment giant_ps
void main()
{
    // Inset by half a texel's worth so that a cell never reads its neighbour.
    vec2 inCell = clamp(fract(uv), 0.01, 0.99);
    vec3 bands = texture(diffuseTexture, genericFloat4.xy + inCell * genericFloat4.zw).rgb;
    float light = max(dot(normalize(normal), -normalize(vecLightDir.xyz)), 0.0);
    // The limb darkens a little: a thick atmosphere seen edge on.
    float limb = 0.75 + 0.25 * abs(normalize(viewNormal).z);
    vm_FragColor = vec4(bands * (ambientColor.rgb + vec3(light)) * limb * ambientColor.a, 1.0);
}

@fragment black_ps
void main()
{
    vm_FragColor = vec4(0.0, 0.0, 0.0, 1.0);
}

@fragment depth_ps
void main()
{
    vm_FragColor = EncodeShadowDepth(gl_FragCoord.z);
}

@technique main
@pass
vertex = giant_vs
fragment = giant_ps

// Nothing of the map glows: it only hides what is behind it.
@technique noglow
@pass
vertex = giant_vs
fragment = black_ps

@technique zpass
@pass
vertex = giant_vs
fragment = depth_ps
