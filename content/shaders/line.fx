// line.fx: the orbit lines of the galaxy map. The band's mesh is two unit circles, the first
// texture coordinate telling the inner (0) from the outer (1); genericFloat4.x and .y give the
// two radii, so one mesh draws every orbit. The texture's colour fades out across the band;
// added over what lies behind and never hiding anything, the line writes no depth.
#include "shared.fxh"

VARYING float across;

@vertex line_vs
void main()
{
    float radius = mix(genericFloat4.x, genericFloat4.y, vm_TexCoord0.x);
    across = vm_TexCoord0.x;
    gl_Position = vm_ToClip(matWorldViewProjection * vec4(vm_Position.xy * radius, 0.0, 1.0));
}

@fragment line_ps
void main()
{
    // Brightest along the middle of the band.
    float middle = 1.0 - abs(across * 2.0 - 1.0);
    vec4 texel = texture(diffuseTexture, vec2(0.5 - 0.5 * middle, 0.5));
    vm_FragColor = vec4(texel.rgb, texel.a * 0.6);
}

@fragment black_ps
void main()
{
    vm_FragColor = vec4(0.0, 0.0, 0.0, 0.0);
}

@fragment depth_ps
void main()
{
    vm_FragColor = EncodeShadowDepth(gl_FragCoord.z);
}

@technique main
@pass
vertex = line_vs
fragment = line_ps
ALPHABLENDENABLE = TRUE
SRCBLEND = SRCALPHA
DESTBLEND = ONE
ZWRITEENABLE = FALSE

@technique noglow
@pass
vertex = line_vs
fragment = black_ps

@technique zpass
@pass
vertex = line_vs
fragment = depth_ps
