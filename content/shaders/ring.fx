// ring.fx: the rings laid on the ground under what the player picks or orders (selection
// rings, the pulse on an order's target) and the overlay tiles. Unlit: the vertex colour
// carries each instance's colour (baked from its instance flags: blue for the player's side,
// red for an enemy, yellow for the rest), and the ambient colour's hue tints it while its
// brightness is left alone, so a tint never dims the ring.
#include "shared.fxh"

VARYING vec4 colour;
VARYING vec2 uv;

@vertex ring_vs
void main()
{
    colour = vm_Color0;
    uv = vm_TexCoord0.xy;
    gl_Position = vm_ToClip(matWorldViewProjection * vec4(vm_Position.xyz, 1.0));
}

@fragment ring_ps
void main()
{
    float peak = max(max(ambientColor.r, ambientColor.g), max(ambientColor.b, 0.001));
    vec3 hue = clamp(ambientColor.rgb / peak, 0.0, 1.0);
    vec4 texel = texture(diffuseTexture, uv);
    vm_FragColor = vec4(texel.rgb * colour.rgb * hue, texel.a * colour.a);
}

// Nothing of a ring glows: it only hides what is behind it.
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
vertex = ring_vs
fragment = ring_ps


@technique noglow
@pass
vertex = ring_vs
fragment = black_ps

@technique zpass
@pass
vertex = ring_vs
fragment = depth_ps
