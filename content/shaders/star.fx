// star.fx: the stars of the galaxy map. The sun's texture burns in the star's own colour (the
// ambient colour) and brightens towards the rim, so that a star reads as a glowing ball from
// any side. Unlit: a star is its own light.
#include "shared.fxh"

VARYING vec2 uv;
VARYING vec3 viewNormal;

@vertex star_vs
void main()
{
    uv = vm_TexCoord0.xy;
    viewNormal = normalize(mat3(matWorldView) * vm_Normal);
    gl_Position = vm_ToClip(matWorldViewProjection * vec4(vm_Position.xyz, 1.0));
}

@fragment star_ps
void main()
{
    vec3 surface = texture(diffuseTexture, uv).rgb;
    float rim = pow(1.0 - abs(normalize(viewNormal).z), 2.0);
    vec3 colour = surface * (0.55 + 0.65 * ambientColor.rgb) + ambientColor.rgb * rim * 0.9;
    vm_FragColor = vec4(min(colour, vec3(1.0)), 1.0);
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
vertex = star_vs
fragment = star_ps

// Nothing of the map glows: it only hides what is behind it.
@technique noglow
@pass
vertex = star_vs
fragment = black_ps

@technique zpass
@pass
vertex = star_vs
fragment = depth_ps
