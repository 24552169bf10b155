// botbuilding.fx: lit, textured, normal-mapped meshes (buildings and their parts, units).
// Sunlight through the normal map with a specular highlight masked by the specular map,
// darkened by the terrain's baked shadows and the shadow map, tinted by the ambient colour,
// and dimmed by the fog of war. The vertex colour carries baked occlusion.
#include "shared.fxh"

VARYING vec4 colour;
VARYING vec2 uv;
VARYING vec3 worldPos;
VARYING vec3 normal;
VARYING vec4 tangent;
VARYING vec4 lightClip;
VARYING float depth;

@vertex mesh_vs
void main()
{
    vec4 p = vec4(vm_Position.xyz, 1.0);
    vec4 clip = matWorldViewProjection * p;
    worldPos = (matWorld * p).xyz;
    normal = mat3(matWorldInverseTranspose) * vm_Normal;
    tangent = vec4(mat3(matWorld) * vm_Tangent.xyz, vm_Tangent.w);
    colour = vm_Color0;
    vec2 repeat = gTextureRepeat.x > 0.0 ? gTextureRepeat.xy : vec2(1.0);
    uv = vm_TexCoord0.xy * repeat;
    lightClip = matViewToLightProjectionSpace * p;
    depth = clip.z / clip.w;
    gl_Position = vm_ToClip(clip);
}

@fragment lit_ps
void main()
{
    vec4 texel = texture(diffuseTexture, uv);
    vm_AlphaTest(texel.a * colour.a);
    vec3 n = normalize(normal);
    vec3 t = tangent.xyz - n * dot(n, tangent.xyz);
    vec3 bump = texture(normalMap, uv).rgb;
    if (dot(t, t) > 1e-8) n = PerturbNormal(n, normalize(t), tangent.w, bump);
    vec2 sun = SunLight(n, normalize(viewPos.xyz - worldPos));
    float shade = TerrainLight(worldPos) * SunVisibility(lightClip);
#ifdef AMBIENT_OCCLUSION
    vec3 occlusion = colour.rgb;
#else
    vec3 occlusion = vec3(1.0);
#endif
    vec3 lit = texel.rgb * occlusion * (ambientColor.rgb + vec3(sun.x * shade));
    lit += texture(specularMap, uv).rgb * sun.y * shade;
    vm_FragColor = vec4(lit * FogOfWar(worldPos), texel.a * colour.a);
}

@fragment black_ps
void main()
{
    vm_AlphaTest(texture(diffuseTexture, uv).a * colour.a);
    vm_FragColor = vec4(0.0, 0.0, 0.0, 1.0);
}

@fragment depth_ps
void main()
{
    vm_AlphaTest(texture(diffuseTexture, uv).a * colour.a);
    vm_FragColor = EncodeShadowDepth(depth);
}

@technique main
@pass
vertex = mesh_vs
fragment = lit_ps

@technique noglow
@pass
vertex = mesh_vs
fragment = black_ps

@technique zpass
@pass
vertex = mesh_vs
fragment = depth_ps
