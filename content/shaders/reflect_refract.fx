// reflect_refract.fx: river and lake water. The ground under it is already drawn, so the
// water is laid over it blended: shallow water shows the bed through a light teal, deep water
// closes to a dark blue-green. Two layers of the wave normal map drift across the surface;
// the sky shows in it at grazing angles and the sun glints off it. The vertex colour carries
// the depth (alpha and green) and the light on the ground below (red).
#include "shared.fxh"

VARYING vec4 colour;
VARYING vec2 uv;
VARYING vec3 worldPos;
VARYING vec4 lightClip;

@vertex water_vs
void main()
{
    vec4 p = vec4(vm_Position.xyz, 1.0);
    worldPos = (matWorld * p).xyz;
    colour = vm_Color0;
    uv = vm_TexCoord0.xy;
    lightClip = matViewToLightProjectionSpace * p;
    gl_Position = vm_ToClip(matWorldViewProjection * p);
}

@common
// A wave normal in world space from the map's tangent-space texel (z up in the map is y up in
// the world).
vec3 WaveNormal(vec2 at)
{
    vec3 m = texture(normalMap, at).rgb * 2.0 - 1.0;
    return vec3(m.x, m.z, m.y);
}

@fragment water_ps
void main()
{
    // time wraps at 4: every drift below moves whole tiles by then, so the wrap is unseen.
    vec2 drift = vec2(time * 0.5, time * 0.25);
    vec3 n = WaveNormal(uv + drift) + WaveNormal(uv * 1.75 - drift.yx);
    n = normalize(vec3(n.x, n.y * 2.5, n.z));
    vec3 v = normalize(viewPos.xyz - worldPos);
    float depth = colour.a;
    vec3 shallow = vec3(0.24, 0.46, 0.44);
    vec3 deep = vec3(0.04, 0.17, 0.22);
    vec3 water = mix(shallow, deep, smoothstep(0.0, 0.8, depth));
    float facing = max(dot(n, v), 0.0);
    float fresnel = pow(1.0 - facing, 4.0);
    vec3 sky = vec3(0.62, 0.74, 0.86);
    vec2 sun = SunLight(n, v);
    float shade = SunVisibility(lightClip) * mix(0.7, 1.0, colour.r);
    vec3 lit = water * (ambientColor.rgb + vec3(0.6 * shade)) + sky * fresnel * 0.55 + vec3(sun.y * shade * 0.9);
    float alpha = clamp(0.3 + depth * 0.65 + fresnel * 0.3, 0.0, 0.94);
    // The shore fades out where the water meets the ground.
    alpha *= smoothstep(0.0, 0.08, depth);
    vm_FragColor = vec4(lit * FogOfWar(worldPos), alpha);
}

// Water does not glow: it hides what glows beneath it, as much as it covers it.
@fragment black_ps
void main()
{
    vm_FragColor = vec4(0.0, 0.0, 0.0, clamp(0.3 + colour.a * 0.65, 0.0, 0.94) * smoothstep(0.0, 0.08, colour.a));
}

@technique main
@pass
vertex = water_vs
fragment = water_ps

@technique noglow
@pass
vertex = water_vs
fragment = black_ps
