// post_color.fx: the scene target copied onto the back buffer through a full-screen quad of
// pre-transformed vertices. The frame sets point sampling on stage 0.
#include "shared.fxh"

uniform sampler2D sourceColor;

@sampler sourceColor
ADDRESSU = CLAMP
ADDRESSV = CLAMP

@common
VARYING vec2 uv;

@vertex quad_vs
void main()
{
    uv = vm_TexCoord0.xy;
    gl_Position = ScreenToClip(vm_Position);
}

@fragment copy_ps
void main()
{
    vm_FragColor = vec4(texture(sourceColor, uv).rgb, 1.0);
}

@technique main
@pass
vertex = quad_vs
fragment = copy_ps
