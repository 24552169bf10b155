// splat.fx: ground splats and decals laid over the terrain (the decoration atlas, building
// foundations, the debug grid). Lit by the sun through their normal map, darkened by the
// terrain's baked shadows, the shadow map and the fog of war; the vertex colour's alpha fades
// them. The caller sets the blending.
#include "shared.fxh"

VARYING vec4 colour;
VARYING vec2 uv;
VARYING vec3 worldPos;
VARYING vec3 normal;
VARYING vec4 tangent;
VARYING vec4 lightClip;

@vertex splat_vs
void main()
{
    vec4 p = vec4(vm_Position.xyz, 1.0);
    worldPos = (matWorld * p).xyz;
    normal = mat3(matWorldInverseTranspose) * vm_Normal;
    tangent = vec4(mat3(matWorld) * vm_Tangent.xyz, vm_Tangent.w);
    colour = vm_Color0;
    uv = vm_TexCoord0.xy;
    lightClip = matViewToLightProjectionSpace * p;
    gl_Position = vm_ToClip(matWorldViewProjection * p);
}

@fragment splat_ps
void main()
{
    vec4 texel = texture(diffuseTexture, uv);
    vec3 n = normalize(normal);
    vec3 t = tangent.xyz - n * dot(n, tangent.xyz);
    vec3 bump = texture(normalMap, uv).rgb;
    if (dot(t, t) > 1e-8) n = PerturbNormal(n, normalize(t), tangent.w, bump);
    vec2 sun = SunLight(n, normalize(viewPos.xyz - worldPos));
    float direct = sun.x * TerrainLight(worldPos) * SunVisibility(lightClip);
    vec3 lit = texel.rgb * colour.rgb * (ambientColor.rgb + vec3(direct));
    vm_FragColor = vec4(lit * FogOfWar(worldPos), texel.a * colour.a);
}

@fragment black_ps
void main()
{
    vm_FragColor = vec4(0.0, 0.0, 0.0, texture(diffuseTexture, uv).a * colour.a);
}

@technique main
@pass
vertex = splat_vs
fragment = splat_ps

@technique noglow
@pass
vertex = splat_vs
fragment = black_ps

// Under a black fog of war: what the main technique writes there, without its work.
@technique unseen
@pass
vertex = splat_vs
fragment = black_ps
