// What the game's effects share: the parameters the engine binds and the helpers for light,
// shadows, the terrain's baked light and the fog of war. Written for the effect file format
// of host/EFFECTS.md.

// ---- Per object
uniform mat4 matWorldViewProjection;
uniform mat4 matWorld;
uniform mat4 matWorldInverseTranspose;
uniform mat4 matWorldView;
uniform mat4 matWorldInverse;
uniform mat4 matViewToLightProjectionSpace;
uniform vec4 vecLightDir;          // the way the sunlight travels
uniform vec4 ambientColor;
uniform vec4 gTextureRepeat;       // x, y
uniform float g_objectId;
uniform vec4 genericFloat4;

// ---- Per scene
uniform mat4 matViewInverse;
uniform mat4 matView;
uniform mat4 matProjTexture;
uniform vec4 viewPos;
uniform vec4 gShadowValues;        // bias, map size, 1 / map size, light left in shadow
uniform float time;
uniform bool g_bShadows;
uniform bool g_ShadowUseIDBuffers;
uniform vec4 mapSize;              // width, width / 2, height, height / 2

@semantic matWorldViewProjection WorldViewProjection
@semantic matWorld World
@semantic matWorldInverseTranspose WorldInverseTranspose
@semantic matWorldView WorldView
@semantic matWorldInverse WorldInverse
@semantic matViewInverse ViewInverse
@semantic matView View
@semantic ambientColor Ambient

// ---- Textures. Effects that read them get stages in this order.
uniform sampler2D diffuseTexture;
uniform sampler2D normalMap;
uniform sampler2D specularMap;
uniform sampler2D blendTexture;
uniform sampler2D blendNormalmap;
uniform samplerCube envMap;
uniform sampler2D terrainAlpha;
uniform sampler2D fogofwarTexture;
uniform sampler2D shadowMap;
uniform sampler2D reflectionMap;
uniform sampler2D powTexture;
uniform sampler2D visibilityTexture;
uniform sampler2D visitedTexture;

@semantic envMap ENVIRONMENT

@sampler diffuseTexture
MINFILTER = LINEAR
MAGFILTER = LINEAR
MIPFILTER = LINEAR
ADDRESSU = WRAP
ADDRESSV = WRAP
@sampler normalMap
MINFILTER = LINEAR
MAGFILTER = LINEAR
MIPFILTER = LINEAR
ADDRESSU = WRAP
ADDRESSV = WRAP
@sampler specularMap
MINFILTER = LINEAR
MAGFILTER = LINEAR
MIPFILTER = LINEAR
ADDRESSU = WRAP
ADDRESSV = WRAP
@sampler blendTexture
MINFILTER = LINEAR
MAGFILTER = LINEAR
MIPFILTER = LINEAR
ADDRESSU = WRAP
ADDRESSV = WRAP
@sampler terrainAlpha
MINFILTER = LINEAR
MAGFILTER = LINEAR
MIPFILTER = NONE
ADDRESSU = CLAMP
ADDRESSV = CLAMP
@sampler fogofwarTexture
MINFILTER = LINEAR
MAGFILTER = LINEAR
MIPFILTER = NONE
ADDRESSU = CLAMP
ADDRESSV = CLAMP
@sampler shadowMap
MINFILTER = POINT
MAGFILTER = POINT
MIPFILTER = NONE
ADDRESSU = CLAMP
ADDRESSV = CLAMP
@sampler powTexture
MINFILTER = LINEAR
MAGFILTER = LINEAR
MIPFILTER = NONE
ADDRESSU = CLAMP
ADDRESSV = CLAMP
@common

// Pre-transformed screen vertices (pixel positions of the target, pixel centres on whole
// numbers) to clip space.
#ifdef VERTEX_SHADER
vec4 ScreenToClip(vec4 p)
{
    float w = p.w > 0.0 ? 1.0 / p.w : 1.0;
    vec2 ndc = (p.xy + 0.5) * 2.0 * vm_ClipAdjust.xy - 1.0;
    return vec4(ndc * w, (2.0 * p.z - 1.0) * w, w);
}
#endif

// Where a world point lies on the map's square textures (the fog of war, the terrain's alpha
// map): 0..1 across, the low z edge first.
vec2 MapCoordinates(vec3 world)
{
    return vec2(world.x / mapSize.x + 0.5, world.z / mapSize.z + 0.5);
}

// Seen now: 1; seen before: 0.5; never: 0 (white while there is no fog).
vec3 FogOfWar(vec3 world)
{
    return texture(fogofwarTexture, MapCoordinates(world)).rgb;
}

// The terrain's baked sunlight under a point (1 lit, 0 shadowed by hills).
float TerrainLight(vec3 world)
{
    return texture(terrainAlpha, MapCoordinates(world)).a;
}

// ---- Shadow map. The shadow pass ("zpass") writes each point's depth as seen from the
// light; the colour pass compares.
vec4 EncodeShadowDepth(float depth)
{
#if defined(RGB_SHADOWMAPS)
    vec3 e = fract(clamp(depth, 0.0, 1.0) * vec3(1.0, 255.0, 65025.0));
    e -= e.yzz * vec3(1.0 / 255.0, 1.0 / 255.0, 0.0);
    return vec4(e, 1.0);
#elif defined(INDEX_BUFFER_SHADOWMAPS)
    vec2 e = fract(clamp(depth, 0.0, 1.0) * vec2(1.0, 255.0));
    e.x -= e.y / 255.0;
    return vec4(e, g_objectId / 255.0, 1.0);
#else
    return vec4(depth, depth, depth, 1.0);
#endif
}

#ifdef TERRAIN_SHADOWS
// 1 when the stored texel does not hide the point, else 0.
float ShadowTap(vec2 uv, float depth)
{
    vec4 c = texture(shadowMap, uv);
#if defined(RGB_SHADOWMAPS)
    float stored = dot(c.rgb, vec3(1.0, 1.0 / 255.0, 1.0 / 65025.0));
#elif defined(INDEX_BUFFER_SHADOWMAPS)
    float stored = dot(c.rg, vec2(1.0, 1.0 / 255.0));
    // With ID buffers nothing shadows itself.
    if (g_ShadowUseIDBuffers && abs(c.b * 255.0 - g_objectId) < 0.5) return 1.0;
#else
    float stored = c.r;
#endif
    return stored + gShadowValues.x < depth ? 0.0 : 1.0;
}
#endif

// How much sunlight reaches a point: 1 in the open, the environment's shadow value where the
// shadow map hides it. lightClip is the point through matViewToLightProjectionSpace.
float SunVisibility(vec4 lightClip)
{
#ifdef TERRAIN_SHADOWS
    if (!g_bShadows || lightClip.w <= 0.0) return 1.0;
    vec4 t = matProjTexture * lightClip;
    vec2 uv = t.xy / t.w;
    float depth = lightClip.z / lightClip.w;
    if (uv.x < 0.0 || uv.x > 1.0 || uv.y < 0.0 || uv.y > 1.0 || depth > 1.0) return 1.0;
#if defined(FILTER_SHADOWS) && defined(VM_GATHER) && !defined(RGB_SHADOWMAPS) && !defined(INDEX_BUFFER_SHADOWMAPS)
    // The four taps half a texel either side of uv fall on the two by two texels a gather reads
    // at uv: one read instead of four, and the same sum.
    float lit = dot(step(vec4(depth), textureGather(shadowMap, uv) + gShadowValues.x), vec4(0.25));
#elif defined(FILTER_SHADOWS)
    float d = gShadowValues.z;
    float lit = ShadowTap(uv + vec2(-0.5, -0.5) * d, depth) + ShadowTap(uv + vec2(0.5, -0.5) * d, depth) +
                ShadowTap(uv + vec2(-0.5, 0.5) * d, depth) + ShadowTap(uv + vec2(0.5, 0.5) * d, depth);
    lit *= 0.25;
#else
    float lit = ShadowTap(uv, depth);
#endif
    return mix(gShadowValues.w, 1.0, lit);
#else
    return 1.0;
#endif
}

// Diffuse and specular sunlight on a surface of normal n seen from eye direction v (both
// world space, unit length). The specular curve comes from the power lookup texture.
vec2 SunLight(vec3 n, vec3 v)
{
    vec3 l = -normalize(vecLightDir.xyz);
    float diffuse = max(dot(n, l), 0.0);
    vec3 h = normalize(l + v);
    float specular = texture(powTexture, vec2(max(dot(n, h), 0.0), 0.5)).r * step(0.0001, diffuse);
    return vec2(diffuse, specular);
}

// A normal from a tangent-space normal map texel (a black texel, no map bound, leaves it).
vec3 PerturbNormal(vec3 n, vec3 t, float handedness, vec3 texel)
{
    if (dot(texel, texel) < 0.01) return n;
    vec3 b = cross(n, t) * (handedness < 0.0 ? -1.0 : 1.0);
    vec3 m = texel * 2.0 - 1.0;
    return normalize(t * m.x + b * m.y + n * m.z);
}
