// constructing.fx: a building going up. It stands as far as its progress has raised it and
// the rest is not there yet; a band of hot light runs along the edge where it is being built.
// genericFloat4: x progress (0..1), y the world height of the building's foot, z of its top.
#include "shared.fxh"

VARYING vec4 colour;
VARYING vec2 uv;
VARYING vec3 worldPos;
VARYING vec3 normal;
VARYING vec4 lightClip;
VARYING float depth;

const vec3 WELD = vec3(1.0, 0.75, 0.3);

@vertex build_vs
void main()
{
    vec4 p = vec4(vm_Position.xyz, 1.0);
    worldPos = (matWorld * p).xyz;
    normal = mat3(matWorldInverseTranspose) * vm_Normal;
    colour = vm_Color0;
    vec2 repeat = gTextureRepeat.x > 0.0 ? gTextureRepeat.xy : vec2(1.0);
    uv = vm_TexCoord0.xy * repeat;
    lightClip = matViewToLightProjectionSpace * p;
    vec4 clip = matWorldViewProjection * p;
    depth = clip.z / clip.w;
    gl_Position = vm_ToClip(clip);
}

@fragment build_ps
void main()
{
    float progress = clamp(genericFloat4.x, 0.0, 1.0);
    float cut = mix(genericFloat4.y, genericFloat4.z, progress);
    if (worldPos.y > cut) discard;
    vec4 texel = texture(diffuseTexture, uv);
    vm_AlphaTest(texel.a * colour.a);
    // Lit as the finished buildings are: the vertex colour is the part's paint and its baked
    // occlusion, the sun and the terrain's shadows fall on it.
    vec3 n = normalize(normal);
    vec2 sun = SunLight(n, normalize(viewPos.xyz - worldPos));
    float shade = TerrainLight(worldPos) * SunVisibility(lightClip);
    vec3 lit = texel.rgb * colour.rgb * (ambientColor.rgb + vec3(sun.x * shade));
    // A thin line of welding light runs along the edge where it is being built.
    float band = 1.0 - clamp((cut - worldPos.y) / 0.12, 0.0, 1.0);
    lit = mix(lit, WELD, band * 0.7 * step(progress, 0.999));
    vm_FragColor = vec4(lit * FogOfWar(worldPos), texel.a * colour.a);
}

// What is not built yet casts nothing and glows nothing.
@fragment black_ps
void main()
{
    if (worldPos.y > mix(genericFloat4.y, genericFloat4.z, clamp(genericFloat4.x, 0.0, 1.0))) discard;
    vm_FragColor = vec4(0.0, 0.0, 0.0, 1.0);
}

@fragment depth_ps
void main()
{
    if (worldPos.y > mix(genericFloat4.y, genericFloat4.z, clamp(genericFloat4.x, 0.0, 1.0))) discard;
    vm_FragColor = EncodeShadowDepth(depth);
}

@technique main
@pass
vertex = build_vs
fragment = build_ps

@technique noglow
@pass
vertex = build_vs
fragment = black_ps

@technique zpass
@pass
vertex = build_vs
fragment = depth_ps
