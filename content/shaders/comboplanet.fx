// comboplanet.fx: the planets and moons of the galaxy map. Three pictures make a world: its
// land (the surface texture, whose alpha is land against water), its water (the ocean
// texture) and its weather (the cloud texture, white where its alpha says). The star at the
// middle of the system lights it; the atmosphere glows at the rim in the environment's colour
// (genericFloat4: rgb and strength). The ambient colour's alpha darkens a moon that passes
// behind its planet.
#include "shared.fxh"

VARYING vec2 uv;
VARYING vec3 normal;
VARYING vec3 viewNormal;

@vertex planet_vs
void main()
{
    uv = vm_TexCoord0.xy;
    normal = normalize(mat3(matWorldInverseTranspose) * vm_Normal);
    viewNormal = normalize(mat3(matWorldView) * vm_Normal);
    gl_Position = vm_ToClip(matWorldViewProjection * vec4(vm_Position.xyz, 1.0));
}

@fragment planet_ps
void main()
{
    vec4 land = texture(diffuseTexture, uv);
    vec3 sea = texture(blendTexture, uv * 2.0).rgb;
    vec4 cloud = texture(specularMap, uv);
    vec3 n = normalize(normal);
    float light = max(dot(n, -normalize(vecLightDir.xyz)), 0.0);
    vec3 ground = mix(sea, land.rgb, land.a);
    vec3 lit = ground * (ambientColor.rgb + vec3(light));
    // Water shines where the star is mirrored in it.
    float glint = pow(max(normalize(viewNormal).z, 0.0), 24.0) * light * (1.0 - land.a);
    lit += vec3(0.5) * glint;
    lit = mix(lit, vec3(0.95) * (ambientColor.rgb + vec3(light)), cloud.a * 0.85);
    float rim = pow(1.0 - abs(normalize(viewNormal).z), 2.5);
    lit += genericFloat4.rgb * genericFloat4.a * rim * (0.35 + light);
    vm_FragColor = vec4(lit * ambientColor.a, 1.0);
}

@fragment black_ps
void main()
{
    vm_FragColor = vec4(0.0, 0.0, 0.0, 1.0);
}

@fragment depth_ps
void main()
{
    vm_FragColor = EncodeShadowDepth(gl_FragCoord.z);
}

@technique main
@pass
vertex = planet_vs
fragment = planet_ps

// Nothing of the map glows: it only hides what is behind it.
@technique noglow
@pass
vertex = planet_vs
fragment = black_ps

@technique zpass
@pass
vertex = planet_vs
fragment = depth_ps
