// sprite.fx: flat textured quads tinted by their vertex colour and blended by its alpha: the
// frame-time graph, the galaxy's markers and other overlays.
#include "shared.fxh"

VARYING vec4 colour;
VARYING vec2 uv;

@vertex sprite_vs
void main()
{
    colour = vm_Color0;
    uv = vm_TexCoord0.xy;
    gl_Position = vm_ToClip(matWorldViewProjection * vec4(vm_Position.xyz, 1.0));
}

@fragment sprite_ps
void main()
{
    vec4 c = texture(diffuseTexture, uv) * colour;
    vm_AlphaTest(c.a);
    vm_FragColor = c;
}

@fragment black_ps
void main()
{
    vm_FragColor = vec4(0.0, 0.0, 0.0, texture(diffuseTexture, uv).a * colour.a);
}

@fragment depth_ps
void main()
{
    vm_FragColor = EncodeShadowDepth(gl_FragCoord.z);
}

@technique main
@pass
vertex = sprite_vs
fragment = sprite_ps
ALPHABLENDENABLE = TRUE
SRCBLEND = SRCALPHA
DESTBLEND = INVSRCALPHA

@technique noglow
@pass
vertex = sprite_vs
fragment = black_ps

@technique zpass
@pass
vertex = sprite_vs
fragment = depth_ps
