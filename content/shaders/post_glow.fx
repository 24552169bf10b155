// post_glow.fx: the glow target blurred into a target of its own size ("blur"), then that
// added onto the back buffer through a full-screen quad with one filtered tap ("main").
// genericFloat4.x is the strength, .y the size of one glow texel (1 / glowSize); the frame
// sets additive blending (source alpha, one) for the main technique. High-quality glows
// (TWO_PASS_GLOW) blur wider, along each axis.
#include "shared.fxh"

uniform sampler2D sourceColor;

@sampler sourceColor
ADDRESSU = CLAMP
ADDRESSV = CLAMP

@common
VARYING vec2 uv;

// Gaussian weights of taps 0, 1, 2, 3 (and their mirror images).
const float WEIGHTS[4] = float[4](0.2346369, 0.2011173, 0.1256983, 0.0558659);

// (The coordinate comes as an argument: the vertex program writes uv and never reads it.)
vec3 BlurAlong(vec2 at, vec2 step)
{
    vec3 sum = texture(sourceColor, at).rgb * WEIGHTS[0];
    for (int i = 1; i < 4; ++i) {
        sum += texture(sourceColor, at + step * float(i)).rgb * WEIGHTS[i];
        sum += texture(sourceColor, at - step * float(i)).rgb * WEIGHTS[i];
    }
    return sum;
}

@vertex quad_vs
void main()
{
    uv = vm_TexCoord0.xy;
    gl_Position = ScreenToClip(vm_Position);
}

@fragment blur_ps
void main()
{
#ifdef TWO_PASS_GLOW
    // High quality: a wide gaussian along each axis, half of the strength each.
    vec3 sum = BlurAlong(uv, vec2(genericFloat4.y * 2.0, 0.0)) + BlurAlong(uv, vec2(0.0, genericFloat4.y * 2.0));
    vm_FragColor = vec4(sum * 0.5, 1.0);
#else
    // Three by three taps two texels apart, weighted like a small gaussian.
    float d = genericFloat4.y * 2.0;
    vec3 sum = vec3(0.0);
    for (int y = -1; y <= 1; ++y)
        for (int x = -1; x <= 1; ++x)
            sum += texture(sourceColor, uv + vec2(x, y) * d).rgb * ((x == 0 ? 2.0 : 1.0) * (y == 0 ? 2.0 : 1.0));
    vm_FragColor = vec4(sum / 16.0, 1.0);
#endif
}

// The strength is applied here, after the filtering, so that a bright glow saturates where it
// did when the blur ran at the screen's size.
@fragment add_ps
void main()
{
    vm_FragColor = vec4(texture(sourceColor, uv).rgb * genericFloat4.x, 1.0);
}

@technique blur
@pass
vertex = quad_vs
fragment = blur_ps

@technique main
@pass
vertex = quad_vs
fragment = add_ps
