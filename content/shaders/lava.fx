// lava.fx: molten rock. The lava texture flows slowly across the surface under a drifting
// crust from the wave normal map; it lights itself, so neither the sun nor shadows darken it,
// and it is drawn into the glow pass bright, so it blooms. The red map tints its hottest
// parts. The vertex colour's alpha (the depth) lets the edges melt into the ground.
#include "shared.fxh"

VARYING vec4 colour;
VARYING vec2 uv;
VARYING vec3 worldPos;

@vertex lava_vs
void main()
{
    vec4 p = vec4(vm_Position.xyz, 1.0);
    worldPos = (matWorld * p).xyz;
    colour = vm_Color0;
    uv = vm_TexCoord0.xy;
    gl_Position = vm_ToClip(matWorldViewProjection * p);
}

@common
// The molten colour at a texture coordinate: two layers flowing at different speeds, the crust
// darkening it where the wave map's slope is steep. time wraps at 4, and the flows move whole
// tiles by then. (The coordinate comes as an argument: the vertex program, which this code is
// part of too, writes uv and never reads it.)
vec3 Molten(vec2 at)
{
    vec2 flow = vec2(time * 0.25, time * 0.5);
    vec3 a = texture(diffuseTexture, at * 0.5 + flow).rgb;
    vec3 b = texture(diffuseTexture, at * 0.35 - flow.yx * 0.5).rgb;
    vec3 hot = max(a, b * 0.9);
    vec3 m = texture(normalMap, at * 0.8 - flow * 0.5).rgb * 2.0 - 1.0;
    float crust = smoothstep(0.25, 0.6, length(m.xy));
    vec3 tint = texture(specularMap, at).rgb;
    return mix(hot * mix(vec3(1.0), tint, 0.25) * 1.25, hot * 0.25, crust * 0.6);
}

@fragment lava_ps
void main()
{
    float edge = smoothstep(0.0, 0.1, colour.a);
    vm_FragColor = vec4(Molten(uv) * FogOfWar(worldPos), mix(0.55, 1.0, edge) * edge);
}

@fragment glow_ps
void main()
{
    vec3 hot = Molten(uv);
    float heat = max(hot.r - 0.45, 0.0) * 1.6;
    vm_FragColor = vec4(hot * heat * FogOfWar(worldPos), 1.0);
}

@technique main
@pass
vertex = lava_vs
fragment = lava_ps

@technique glow
@pass
vertex = lava_vs
fragment = glow_ps
