// terrain.fx: the ground. The alpha map's colour channels choose between three ground
// textures (blue: low ground, diffuseTexture; green: mid heights, blendTexture; red: slopes,
// specularMap), its alpha is the baked sunlight. Lit through the normal map, shadowed by the
// shadow map, tinted by the colour layer (TERRAIN_COLOR) and dimmed by the fog of war.
#include "shared.fxh"

VARYING vec4 colour;
VARYING vec2 uv;
VARYING vec3 worldPos;
VARYING vec3 normal;
VARYING vec4 tangent;
VARYING vec4 lightClip;
VARYING float depth;

@vertex ground_vs
void main()
{
    vec4 p = vec4(vm_Position.xyz, 1.0);
    vec4 clip = matWorldViewProjection * p;
    worldPos = (matWorld * p).xyz;
    normal = mat3(matWorldInverseTranspose) * vm_Normal;
    tangent = vec4(mat3(matWorld) * vm_Tangent.xyz, vm_Tangent.w);
    colour = vm_Color0;
    uv = vm_TexCoord0.xy;
    lightClip = matViewToLightProjectionSpace * p;
    depth = clip.z / clip.w;
    gl_Position = vm_ToClip(clip);
}

@fragment ground_ps
void main()
{
    vec4 classes = texture(terrainAlpha, MapCoordinates(worldPos));
    vec3 w = classes.bgr;
    float total = w.x + w.y + w.z;
    w = total > 0.001 ? w / total : vec3(1.0, 0.0, 0.0);
    vec3 ground = texture(diffuseTexture, uv).rgb * w.x + texture(blendTexture, uv).rgb * w.y +
                  texture(specularMap, uv).rgb * w.z;
#ifdef TERRAIN_COLOR
    ground *= colour.rgb;
#endif
    vec3 n = normalize(normal);
    vec3 t = tangent.xyz - n * dot(n, tangent.xyz);
    vec3 bump = texture(normalMap, uv).rgb;
    if (dot(t, t) > 1e-8) n = PerturbNormal(n, normalize(t), tangent.w, bump);
    vec2 sun = SunLight(n, normalize(viewPos.xyz - worldPos));
    float shade = classes.a * SunVisibility(lightClip);
    vec3 lit = ground * (ambientColor.rgb + vec3(sun.x * shade));
    vm_FragColor = vec4(lit * FogOfWar(worldPos), 1.0);
}

@fragment black_ps
void main()
{
    vm_FragColor = vec4(0.0, 0.0, 0.0, 1.0);
}

@fragment depth_ps
void main()
{
    vm_FragColor = EncodeShadowDepth(depth);
}

@technique main
@pass
vertex = ground_vs
fragment = ground_ps

@technique noglow
@pass
vertex = ground_vs
fragment = black_ps

@technique zpass
@pass
vertex = ground_vs
fragment = depth_ps

// Under a black fog of war: what the main technique writes there, without its work.
@technique unseen
@pass
vertex = ground_vs
fragment = black_ps
