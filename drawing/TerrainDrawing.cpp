// What is drawn of the ground and the sky: the sky dome, and the splats, stains and cracks laid
// in the level.
#include "drawing/TerrainDrawing.h"

#include "drawing/WorldFrame.h"
#include "render/Camera.h"
#include "render/GraphicsDevice.h"
#include "render/IndexedMesh.h"
#include "render/RenderStateCache.h"
#include "render/ViewFrustum.h"
#include "terrain/Skybox.h"
#include "terrain/SplatPool.h"
#include "world/Entity.h"

#include <cmath>

namespace {

constexpr float SKY_SCALE = 10.0f;

}  // namespace

void DrawSplats(const SplatPool& splats, int pass)
{
    if (!splats.active.head) return;
    // Stains fade through their vertex alpha and lie on the ground without hiding it.
    RenderStates.SetRenderState(RS_ALPHABLENDENABLE, 1);
    RenderStates.SetRenderState(RS_SRCBLEND, BLEND_SRCALPHA);
    RenderStates.SetRenderState(RS_DESTBLEND, BLEND_INVSRCALPHA);
    RenderStates.SetRenderState(RS_ZWRITEENABLE, 0);
    for (auto* node = splats.active.head; node; node = node->next) {
        Entity* entity = node->value->entity;
        IndexedMesh* mesh = entity->mesh;
        if (!mesh) continue;
        Vec3 at = entity->GetPosition();
        if (Frustum && Frustum->ClassifyBox(mesh->boundsMin + at, mesh->boundsMax + at) == ViewFrustum::OUTSIDE)
            continue;
        Matrix world = entity->rotation * entity->world;
        // Far from the camera the ground's depth grows coarse: the splat stands a little higher.
        const Vec3 fromEye = at - GameCamera.eye;
        const float distance = Vec3Length(&fromEye);
        if (distance >= 50.0f) world._42 += distance * 0.001f;
        WorldMatrix = world;
        MeshRenderPosition = at;
        if (Graphics) Graphics->SetTransform(TS_WORLD, &world);
        DrawEntityMesh(entity, pass);
    }
    RenderStates.SetRenderState(RS_ALPHABLENDENABLE, 0);
    RenderStates.SetRenderState(RS_ZWRITEENABLE, 1);
}

void DrawSky(int pass, bool draw)
{
    IndexedMesh* mesh = Skybox::mesh;
    if (!mesh || !(mesh->flags & MESH_BUILT) || !Graphics || pass == MESH_PASS_DEPTH || pass == MESH_PASS_GLOW) return;
    GfxVertexDeclaration* declaration = GetMeshVertexDeclaration();
    if (!declaration) return;

    Matrix world, view = ViewMatrix;
    MatrixScaling(&world, SKY_SCALE, SKY_SCALE, SKY_SCALE);
    view._41 = view._42 = view._43 = 0.0f;
    Graphics->SetTransform(TS_WORLD, &world);
    Graphics->SetTransform(TS_VIEW, &view);
    Graphics->SetTransform(TS_PROJECTION, &ProjectionMatrix);

    // The sky's colours are its texture's alone; mirrored addressing hides the seam where the
    // dome's texture coordinates wrap.
    Graphics->SetProgram(nullptr);
    RenderStates.SetRenderState(RS_LIGHTING, 0);
    RenderStates.SetRenderState(RS_FOGENABLE, 0);
    RenderStates.SetRenderState(RS_CULLMODE, CULL_NONE);
    RenderStates.SetTextureStageState(0, TSS_COLOROP, TOP_SELECTARG1);
    RenderStates.SetTextureStageState(0, TSS_COLORARG1, TA_TEXTURE);
    RenderStates.SetTextureStageState(0, TSS_ALPHAOP, TOP_SELECTARG1);
    RenderStates.SetTextureStageState(0, TSS_ALPHAARG1, TA_TEXTURE);
    RenderStates.SetSamplerState(0, SAMP_MINFILTER, TEXF_LINEAR);
    RenderStates.SetSamplerState(0, SAMP_MAGFILTER, TEXF_LINEAR);
    RenderStates.SetSamplerState(0, SAMP_ADDRESSU, TADDRESS_MIRROR);
    RenderStates.SetSamplerState(0, SAMP_ADDRESSV, TADDRESS_MIRROR);
    RenderStates.SetRenderState(RS_ZWRITEENABLE, 0);
    RenderStates.SetRenderState(RS_ZFUNC, CMP_ALWAYS);
    Graphics->SetTexture(Skybox::texture, 0);
    RenderStates.SetVertexDeclaration(declaration);
    for (SubMesh& sub : mesh->subMeshes) {
        if (!draw) break;
        if (!sub.vertexBuffer || !sub.indexBuffer || sub.bufferIndices < 3) continue;
        Graphics->SetStreamSource(sub.vertexBuffer.Get(), sizeof(MeshGpuVertex));
        Graphics->SetIndices(sub.indexBuffer.Get());
        Graphics->DrawIndexedPrimitive(PT_TRIANGLELIST, sub.bufferVertices, sub.bufferIndices / 3);
    }
    RenderStates.SetRenderState(RS_ZFUNC, CMP_LESSEQUAL);
    RenderStates.SetRenderState(RS_ZWRITEENABLE, 1);
    RenderStates.SetRenderState(RS_CULLMODE, CULL_CCW);
    RenderStates.SetSamplerState(0, SAMP_ADDRESSU, TADDRESS_WRAP);
    RenderStates.SetSamplerState(0, SAMP_ADDRESSV, TADDRESS_WRAP);
    Graphics->SetTexture(nullptr, 0);

    Graphics->SetTransform(TS_WORLD, &WorldMatrix);
    Graphics->SetTransform(TS_VIEW, &ViewMatrix);
}
