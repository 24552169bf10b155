// A mesh on the graphics device: the textures and effect of its materials, its vertex and
// index buffers (made, filled from the sub-mesh arrays, released and restored around a device
// reset) and drawing through effects or the fixed-function pipeline.
#include "render/IndexedMesh.h"

#include "host/EffectObject.h"
#include "host/GfxDevice.h"
#include "host/Log.h"
#include "host/System.h"
#include "platform/Timer.h"
#include "render/Camera.h"
#include "render/Effect.h"
#include "render/EffectManager.h"
#include "render/GraphicsDevice.h"
#include "render/RenderStateCache.h"
#include "render/TextureManager.h"
#include "render/ViewFrustum.h"

#include <algorithm>
#include <cmath>
#include <cstring>

Vec3 MeshRenderPosition;
int MeshDrawCount = 0;
int GlowingMeshDrawCount = 0;

namespace {

constexpr uint32_t MESH_VERTEX_STRIDE = sizeof(MeshGpuVertex);
constexpr const char* NO_NORMAL_MAP = "data/textures/normalMapNone.dds";

// The 52-byte vertex: position, normal, colour, texture coordinates, tangent, and a second
// texture coordinate set over the tangent's z and w.
const VertexElement MESH_VERTEX_ELEMENTS[] = {
    {0, 0, DECLTYPE_FLOAT3, DECLMETHOD_DEFAULT, DECLUSAGE_POSITION, 0},
    {0, 12, DECLTYPE_FLOAT3, DECLMETHOD_DEFAULT, DECLUSAGE_NORMAL, 0},
    {0, 24, DECLTYPE_D3DCOLOR, DECLMETHOD_DEFAULT, DECLUSAGE_COLOR, 0},
    {0, 28, DECLTYPE_FLOAT2, DECLMETHOD_DEFAULT, DECLUSAGE_TEXCOORD, 0},
    {0, 36, DECLTYPE_FLOAT4, DECLMETHOD_DEFAULT, DECLUSAGE_TANGENT, 0},
    {0, 44, DECLTYPE_FLOAT2, DECLMETHOD_DEFAULT, DECLUSAGE_TEXCOORD, 1},
    DECL_END(),
};

GfxVertexDeclaration* Declaration = nullptr;

// What glows on the screen this frame, and whether the glow pass leaves out the occluders that
// lie outside it. A margin of a few glow texels keeps the rounding of the renderer's own vertex
// work on the right side.
constexpr float GLOW_AREA_MARGIN = 0.03f;
ScreenArea GlowingArea;
bool GlowingAreaWhole = false;
bool CullGlowOccluders = false;

bool AreasMeet(const ScreenArea& a, const ScreenArea& b)
{
    return a.x0 <= b.x1 + GLOW_AREA_MARGIN && b.x0 <= a.x1 + GLOW_AREA_MARGIN && a.y0 <= b.y1 + GLOW_AREA_MARGIN &&
           b.y0 <= a.y1 + GLOW_AREA_MARGIN;
}

void WidenGlowingArea(const SubMesh& sub)
{
    ScreenArea area;
    if (!SubMeshScreenArea(sub, &area)) {
        GlowingAreaWhole = true;
        return;
    }
    GlowingArea.x0 = std::min(GlowingArea.x0, area.x0);
    GlowingArea.y0 = std::min(GlowingArea.y0, area.y0);
    GlowingArea.x1 = std::max(GlowingArea.x1, area.x1);
    GlowingArea.y1 = std::max(GlowingArea.y1, area.y1);
}

// A glow-pass draw through a black technique that cannot touch anything glowing.
bool HidesNothingGlowing(const SubMesh& sub)
{
    if (!CullGlowOccluders || GlowingAreaWhole) return false;
    ScreenArea area;
    return SubMeshScreenArea(sub, &area) && !AreasMeet(area, GlowingArea);
}

// The technique whose scene values were set last, and in which frame.
EffectTechniqueHandle SceneTechnique = nullptr;
int SceneFrame = -1;

GfxDevice* CurrentDevice()
{
    return Graphics ? Graphics->device : nullptr;
}

bool IsNone(const char* name)
{
    return !name || !name[0] || StrICmp(name, "none") == 0;
}

TextureRecord* OptionalTexture(const char* name, int variant = 0)
{
    return IsNone(name) ? nullptr : Textures->GetTexture(name, variant);
}

GfxBaseTexture* TextureOf(const TextureRecord* record)
{
    return record ? record->texture : nullptr;
}

ColorValue Colour(float r, float g, float b, float a)
{
    ColorValue c;
    c.r = r, c.g = g, c.b = b, c.a = a;
    return c;
}

}  // namespace

void ForgetGlowingArea()
{
    GlowingArea = ScreenArea();
    GlowingAreaWhole = false;
}

void SetGlowOccluderCulling(bool on)
{
    CullGlowOccluders = on;
}

bool SubMeshScreenArea(const SubMesh& sub, ScreenArea* out)
{
    // All the vertices the sub-mesh holds: a buffer drawn holds these or fewer.
    const size_t count = sub.vertices.size();
    if (count == 0) return false;
    const MeshGpuVertex* v = sub.vertices.data();
    float low[3] = {v[0].position[0], v[0].position[1], v[0].position[2]};
    float high[3] = {low[0], low[1], low[2]};
    for (size_t i = 1; i < count; ++i)
        for (int k = 0; k < 3; ++k) {
            low[k] = std::min(low[k], v[i].position[k]);
            high[k] = std::max(high[k], v[i].position[k]);
        }
    Matrix worldView, m;
    MatrixMultiply(&worldView, &WorldMatrix, &ViewMatrix);
    MatrixMultiply(&m, &worldView, &ProjectionMatrix);
    ScreenArea area;
    for (int corner = 0; corner < 8; ++corner) {
        const float x = corner & 1 ? high[0] : low[0], y = corner & 2 ? high[1] : low[1],
                    z = corner & 4 ? high[2] : low[2];
        const float w = x * m._14 + y * m._24 + z * m._34 + m._44;
        // Near the eye's plane the divide says nothing about where the triangles land.
        if (!(w > 1e-3f)) return false;
        const float sx = (x * m._11 + y * m._21 + z * m._31 + m._41) / w;
        const float sy = (x * m._12 + y * m._22 + z * m._32 + m._42) / w;
        if (!std::isfinite(sx) || !std::isfinite(sy)) return false;
        area.x0 = std::min(area.x0, sx), area.x1 = std::max(area.x1, sx);
        area.y0 = std::min(area.y0, sy), area.y1 = std::max(area.y1, sy);
    }
    *out = area;
    return true;
}

void ForgetMeshSceneParameters()
{
    SceneTechnique = nullptr;
    SceneFrame = -1;
}

GfxVertexDeclaration* GetMeshVertexDeclaration()
{
    GfxDevice* device = CurrentDevice();
    if (!device) return nullptr;
    // A declaration outlives the device it was made on only as an empty shell.
    if (Declaration && Declaration->GetDevice() != device) ReleaseMeshVertexDeclaration();
    if (!Declaration && GfxFailed(device->CreateVertexDeclaration(MESH_VERTEX_ELEMENTS, &Declaration))) {
        Log("ERROR: the mesh vertex declaration could not be made\n");
        Declaration = nullptr;
    }
    return Declaration;
}

void ReleaseMeshVertexDeclaration()
{
    // The render-state cache must not take a later declaration at the same address for this one.
    if (Declaration) RenderStates.Reset();
    SafeRelease(&Declaration);
}

// ---- Materials

void IndexedMesh::BindMaterial(int i)
{
    MeshMaterial& material = materials[i];
    SubMesh& sub = subMeshes[i];
    sub.material.Diffuse = Colour(1, 1, 1, 1);
    sub.material.Ambient = Colour(1, 1, 1, 1);
    sub.material.Specular = Colour(0, 0, 0, 1);
    sub.material.Emissive = Colour(0, 0, 0, 1);
    sub.material.Power = 1.0f;

    if (Textures) {
        sub.diffuseTexture = Textures->GetTexture(material.textureName, 0);
        sub.cubeMap = OptionalTexture(material.cubeMapName, TEXTURE_VARIANT_CUBE);
        sub.normalMap = Textures->GetTexture(IsNone(material.normalMapName) ? NO_NORMAL_MAP : material.normalMapName, 0);
        sub.specularMap = OptionalTexture(material.specularMapName);
        sub.blendTexture = OptionalTexture(material.blendTextureName);
        sub.blendNormalMap = OptionalTexture(material.blendNormalMapName);
        sub.alphaMap = OptionalTexture(material.alphaMapName);
    }
    if (strcmp(material.techniqueName, "none") == 0) {
        bool textured = sub.diffuseTexture && sub.diffuseTexture->IsLoaded();
        CopyText(material.techniqueName, sizeof material.techniqueName, textured ? "textured" : "untextured");
    }
    sub.effect = nullptr;
    if (TheEffectManager) {
        sub.effect = TheEffectManager->GetEffect(material.effectName);
        TheEffectManager->LoadEffect(sub.effect, material.techniqueName);
    }
}

// ---- Buffers

bool IndexedMesh::UploadBuffers(int i)
{
    GfxDevice* device = CurrentDevice();
    if (!device || i < 0 || i >= SubMeshCount()) return false;
    SubMesh& sub = subMeshes[i];
    if (sub.vertices.empty() || sub.indices.empty()) return false;
    if (sub.vertices.size() > (size_t)MAX_SUBMESH_VERTICES) {
        // 16-bit indices cannot reach the rest; drawing it would fold the far vertices onto
        // the first ones.
        Log("ERROR: mesh %s: sub-mesh %d holds %u vertices, more than one draw can index\n", name, i,
            (unsigned)sub.vertices.size());
        return false;
    }

    // Buffers of a device that has gone are empty shells.
    if (sub.vertexBuffer && sub.vertexBuffer.Get()->GetDevice() != device) {
        sub.vertexBuffer.Reset();
        sub.bufferVertices = 0;
    }
    if (sub.indexBuffer && sub.indexBuffer.Get()->GetDevice() != device) {
        sub.indexBuffer.Reset();
        sub.indexBufferShared = false;
        sub.bufferIndices = 0;
    }

    const uint32_t vertexBytes = (uint32_t)(sub.vertices.size() * MESH_VERTEX_STRIDE);
    if (!sub.vertexBuffer || sub.vertexBuffer.Get()->GetLength() < vertexBytes) {
        uint32_t usage = USAGE_WRITEONLY;
        if (flags & (MESH_SKINNED | MESH_DYNAMIC)) usage |= USAGE_DYNAMIC;
        sub.bufferVertices = 0;
        if (!Graphics->CreateVertexBuffer(vertexBytes, usage, 0, sub.vertexBuffer.Out())) return false;
        sub.verticesChanged = true;
    }
    if (sub.verticesChanged || sub.bufferVertices != sub.vertices.size()) {
        void* data = nullptr;
        if (!Graphics->LockVertexBuffer(vertexBytes, &data, sub.vertexBuffer.Get())) return false;
        memcpy(data, sub.vertices.data(), vertexBytes);
        Graphics->UnlockBuffer(sub.vertexBuffer.Get());
        sub.bufferVertices = (uint32_t)sub.vertices.size();
        sub.verticesChanged = false;
    }

    const uint32_t indexBytes = (uint32_t)(sub.indices.size() * sizeof(uint16_t));
    if (sub.indexBufferShared && (sub.indicesChanged || sub.bufferIndices != sub.indices.size())) {
        // Another mesh draws from this buffer: new indices go into one of our own.
        sub.indexBuffer.Reset();
        sub.indexBufferShared = false;
    }
    if (!sub.indexBuffer || sub.indexBuffer.Get()->GetLength() < indexBytes) {
        sub.bufferIndices = 0;
        if (!Graphics->CreateIndexBuffer(indexBytes, USAGE_WRITEONLY, FMT_INDEX16, sub.indexBuffer.Out())) return false;
        sub.indicesChanged = true;
    }
    if (sub.indicesChanged || sub.bufferIndices != sub.indices.size()) {
        void* data = nullptr;
        if (!Graphics->LockIndexBuffer(indexBytes, &data, sub.indexBuffer.Get())) return false;
        memcpy(data, sub.indices.data(), indexBytes);
        Graphics->UnlockBuffer(sub.indexBuffer.Get());
        sub.bufferIndices = (uint32_t)sub.indices.size();
        sub.indicesChanged = false;
    }
    return true;
}

void IndexedMesh::ReleaseBuffers()
{
    for (SubMesh& sub : subMeshes) {
        sub.vertexBuffer.Reset();
        sub.indexBuffer.Reset();
        sub.indexBufferShared = false;
        sub.bufferVertices = sub.bufferIndices = 0;
    }
}

bool IndexedMesh::RestoreBuffers()
{
    bool restored = true;
    for (int i = 0; i < SubMeshCount(); ++i) {
        SubMesh& sub = subMeshes[i];
        if (sub.vertices.empty() || sub.indices.empty()) continue;
        sub.verticesChanged = sub.indicesChanged = true;
        if (!UploadBuffers(i)) restored = false;
    }
    return restored;
}

// ---- Drawing

void IndexedMesh::Render(int pass, bool fixedFunction)
{
    if (!(flags & MESH_BUILT) || subMeshes.empty()) return;
    GfxDevice* device = CurrentDevice();
    GfxVertexDeclaration* declaration = GetMeshVertexDeclaration();
    if (!device || !declaration) return;
    SkinForDrawing();
    RenderStates.SetRenderState(RS_LIGHTING, 0);

    const bool cull = SubMeshCount() > 1 && Frustum;
    for (int i = 0; i < SubMeshCount(); ++i) {
        SubMesh& sub = subMeshes[i];
        if (sub.vertexCount < 3) continue;
        if (cull) {
            Vec3 low = sub.boundsMin * scale + MeshRenderPosition;
            Vec3 high = sub.boundsMax * scale + MeshRenderPosition;
            if (Frustum->ClassifyBox(low, high) == ViewFrustum::OUTSIDE) continue;
        }
        // Black in the glow pass, where nothing glows: not sent.
        const Effect* own = sub.effect;
        if (pass == MESH_PASS_GLOW && !fixedFunction && own && own->effect && own->glowTechnique && !own->glows &&
            HidesNothingGlowing(sub))
            continue;
        ++MeshDrawCount;
        if (!UploadBuffers(i)) continue;

        // Only what the buffers hold is drawn: an instance batch holds as many instances as
        // its 16-bit indices reach, whatever the instance list says.
        uint32_t triangles = sub.bufferIndices / 3;
        if ((flags & MESH_INSTANCED) && sub.vertexCount > 0) {
            uint32_t instances = sub.bufferVertices / (uint32_t)sub.vertexCount;
            triangles = std::min<uint32_t>(triangles, (uint32_t)sub.triangleCount * instances);
        }
        if (triangles == 0) continue;

        if (fixedFunction) {
            Graphics->SetStreamSource(sub.vertexBuffer.Get(), MESH_VERTEX_STRIDE);
            Graphics->SetMaterial(&sub.material);
            if (pass) {
                Graphics->SetTexture(sub.diffuseTexture, 0);
                RenderStates.SetTextureStageState(0, TSS_COLOROP, TOP_MODULATE);
            } else {
                RenderStates.SetTextureStageState(0, TSS_COLOROP, TOP_DISABLE);
                RenderStates.SetTextureStageState(0, TSS_COLORARG1, TA_TEXTURE);
            }
            Graphics->SetProgram(nullptr);
            RenderStates.SetVertexDeclaration(declaration);
            Graphics->SetIndices(sub.indexBuffer.Get());
            Graphics->DrawIndexedPrimitive(PT_TRIANGLELIST, sub.bufferVertices, triangles);
            continue;
        }

        Effect* effect = sub.effect;
        EffectObject* fx = effect ? effect->effect : nullptr;
        EffectTechniqueHandle technique = nullptr;
        if (fx) {
            technique = pass == MESH_PASS_DEPTH  ? effect->zpassTechnique
                        : pass == MESH_PASS_GLOW ? effect->glowTechnique
                                                 : effect->mainTechnique;
        }
        if (!technique) return;  // nothing of this mesh can be drawn in this pass
        if (effect->glows && technique == effect->mainTechnique) {
            ++GlowingMeshDrawCount;
            WidenGlowingArea(sub);
        }
        fx->SetTechnique(technique);
        uint32_t passes = 0;
        if (!fx->Begin(&passes, 0)) return;
        const int frame = FrameTimer.GetFrameCount();
        if (technique != SceneTechnique || frame != SceneFrame) {
            effect->SetSceneParameters(technique);
            SceneTechnique = technique;
            SceneFrame = frame;
        }
        EffectMaterial material;
        material.texture = TextureOf(sub.diffuseTexture);
        material.cubeMap = TextureOf(sub.cubeMap);
        material.normalMap = TextureOf(sub.normalMap);
        material.specularMap = TextureOf(sub.specularMap);
        material.blendTexture = TextureOf(sub.blendTexture);
        material.blendNormalMap = TextureOf(sub.blendNormalMap);
        material.alphaMap = TextureOf(sub.alphaMap);
        material.repeatU = sub.repeatU;
        material.repeatV = sub.repeatV;
        effect->SetObjectParameters(&material, technique);
        // A map this material does not have must not be left over from the mesh drawn before:
        // unbound, it reads black (no highlight, no reflection, nothing blended in).
        if (!material.specularMap) fx->SetTexture(effect->params.specularMap, nullptr);
        if (!material.cubeMap) fx->SetTexture(effect->params.environment, nullptr);
        if (!material.blendTexture) fx->SetTexture(effect->params.blendTexture, nullptr);
        if (!material.blendNormalMap) fx->SetTexture(effect->params.blendNormalmap, nullptr);

        Graphics->SetStreamSource(sub.vertexBuffer.Get(), MESH_VERTEX_STRIDE);
        Graphics->SetIndices(sub.indexBuffer.Get());
        RenderStates.SetVertexDeclaration(declaration);
        for (uint32_t p = 0; p < passes; ++p) {
            if (!fx->BeginPass(p)) continue;
            Graphics->DrawIndexedPrimitive(PT_TRIANGLELIST, sub.bufferVertices, triangles);
            fx->EndPass();
        }
        fx->End();
    }
}
