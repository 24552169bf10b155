// scanglow.fx: the ring of a scan pulse, a band of green light hugging the ground around the
// scanning unit. The vertex colour's alpha fades the band from its inner edge outward; the
// caller adds it over the scene.
#include "shared.fxh"

VARYING vec4 colour;
VARYING vec2 uv;

@vertex scan_vs
void main()
{
    colour = vm_Color0;
    uv = vm_TexCoord0.xy;
    gl_Position = vm_ToClip(matWorldViewProjection * vec4(vm_Position.xyz, 1.0));
}

@fragment scan_ps
void main()
{
    vec4 texel = texture(diffuseTexture, uv);
    vm_FragColor = vec4(texel.rgb * colour.rgb, texel.a * colour.a);
}

@technique main
@pass
vertex = scan_vs
fragment = scan_ps

@technique glow
@pass
vertex = scan_vs
fragment = scan_ps
