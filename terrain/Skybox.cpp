#include "terrain/Skybox.h"

#include "render/Camera.h"
#include "render/GraphicsDevice.h"
#include "render/IndexedMesh.h"
#include "render/MeshLibrary.h"
#include "render/RenderStateCache.h"
#include "render/TextureManager.h"

IndexedMesh* Skybox::mesh = nullptr;
TextureRecord* Skybox::texture = nullptr;

namespace {

constexpr const char* SKY_MESH = "data/Skys/skybox.txt";
constexpr const char* SKY_TEXTURE = "data/textures/skys/skybox.dds";
constexpr float SKY_SCALE = 10.0f;

}  // namespace

void Skybox::Load(const char* name)
{
    if (!name || !name[0]) name = SKY_MESH;
    mesh = TheMeshLibrary ? TheMeshLibrary->GetMesh(name, 0, true, false) : nullptr;
    texture = Textures ? Textures->GetTexture(SKY_TEXTURE) : nullptr;
}

void Skybox::Render(int pass, bool draw)
{
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
    Graphics->SetTexture(texture, 0);
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
