// flat.fx: the plain textured look, and the stand-in for every effect that fails to compile.
// It stands alone (no include), so that it compiles whatever happens to the shared file.

uniform mat4 matWorldViewProjection;
uniform mat4 matWorldInverseTranspose;
uniform vec4 vecLightDir;
uniform vec4 ambientColor;
uniform float g_objectId;
uniform sampler2D diffuseTexture;

@semantic matWorldViewProjection WorldViewProjection
@semantic matWorldInverseTranspose WorldInverseTranspose
@semantic ambientColor Ambient

@sampler diffuseTexture
MINFILTER = LINEAR
MAGFILTER = LINEAR
MIPFILTER = LINEAR
ADDRESSU = WRAP
ADDRESSV = WRAP

@common
VARYING vec4 colour;
VARYING vec2 uv;
VARYING float depth;

@vertex flat_vs
void main()
{
    vec4 p = matWorldViewProjection * vec4(vm_Position.xyz, 1.0);
    vec3 n = normalize(mat3(matWorldInverseTranspose) * vm_Normal);
    float light = max(dot(n, -normalize(vecLightDir.xyz)), 0.0);
    colour = vec4(vm_Color0.rgb * clamp(ambientColor.rgb + vec3(light), 0.0, 1.0), vm_Color0.a);
    uv = vm_TexCoord0.xy;
    depth = p.z / p.w;
    gl_Position = vm_ToClip(p);
}

@fragment flat_ps
void main()
{
    vec4 c = texture(diffuseTexture, uv) * colour;
    vm_AlphaTest(c.a);
    vm_FragColor = c;
}

// Lit only by the vertex colour: for meshes that have no texture.
@fragment untextured_ps
void main()
{
    vm_AlphaTest(colour.a);
    vm_FragColor = colour;
}

// Nothing of a flat object glows: it only hides what is behind it.
@fragment black_ps
void main()
{
    vm_FragColor = vec4(0.0, 0.0, 0.0, 1.0);
}

// The shadow pass: depth from the light, stored the way the shadow map's format needs (the
// same encoding as shared.fxh).
@fragment depth_ps
void main()
{
    float d = clamp(depth, 0.0, 1.0);
#if defined(RGB_SHADOWMAPS)
    vec3 e = fract(d * vec3(1.0, 255.0, 65025.0));
    e -= e.yzz * vec3(1.0 / 255.0, 1.0 / 255.0, 0.0);
    vm_FragColor = vec4(e, 1.0);
#elif defined(INDEX_BUFFER_SHADOWMAPS)
    vec2 e = fract(d * vec2(1.0, 255.0));
    e.x -= e.y / 255.0;
    vm_FragColor = vec4(e, g_objectId / 255.0, 1.0);
#else
    vm_FragColor = vec4(d, d, d, 1.0);
#endif
}

@technique main
@pass
vertex = flat_vs
fragment = flat_ps

@technique textured
@pass
vertex = flat_vs
fragment = flat_ps

@technique untextured
@pass
vertex = flat_vs
fragment = untextured_ps

@technique noglow
@pass
vertex = flat_vs
fragment = black_ps

@technique zpass
@pass
vertex = flat_vs
fragment = depth_ps
