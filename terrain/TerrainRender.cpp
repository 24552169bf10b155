// Drawing the terrain: the chunks in view, each ground mesh with its splats over it.
#include "terrain/Terrain.h"

#include "platform/ConfigFile.h"
#include "render/Camera.h"
#include "render/Effect.h"
#include "render/GraphicsDevice.h"
#include "render/IndexedMesh.h"
#include "render/RenderStateCache.h"
#include "render/TextureManager.h"
#include "render/ViewFrustum.h"
#include "terrain/Minimap.h"

bool DrawUnseenGroundBlack = true;

namespace {

// Ground under a black fog of war comes out black whatever its textures and light: there the
// mesh is drawn through its effects' "unseen" technique, which writes that black (and the
// same depth and coverage) without texturing or lighting it. A mesh with an effect that has
// no such technique is drawn as it is. The mini terrain is drawn under a white fog target,
// so it is always shaded.
void RenderMesh(IndexedMesh* mesh, int pass)
{
    const bool unseen = pass == 0 && DrawUnseenGroundBlack && TheMinimap.IsNeverSeen(mesh->boundsMin, mesh->boundsMax);
    struct Swapped {
        Effect* effect;
        EffectTechniqueHandle main;
    };
    Swapped swapped[4];
    int count = 0;
    bool usable = unseen;
    for (const SubMesh& sub : mesh->subMeshes) {
        if (!usable) break;
        Effect* effect = sub.effect;
        EffectTechniqueHandle technique = effect && effect->effect ? effect->effect->GetTechniqueByName("unseen") : nullptr;
        bool known = false;
        for (int i = 0; i < count; ++i) known = known || swapped[i].effect == effect;
        if (!technique || (!known && count == 4)) usable = false;
        else if (!known) swapped[count++] = {effect, effect->mainTechnique};
    }
    if (usable)
        for (int i = 0; i < count; ++i)
            swapped[i].effect->mainTechnique = swapped[i].effect->effect->GetTechniqueByName("unseen");
    mesh->Render(pass, false);
    if (usable)
        for (int i = 0; i < count; ++i) swapped[i].effect->mainTechnique = swapped[i].main;
}

}  // namespace

void TerrainChunk::Render(int pass)
{
    if (groundMesh) RenderMesh(groundMesh.get(), pass);
    if (!splatMesh || !Config || !Config->terrainDetail) return;
    RenderStates.SetRenderState(RS_ALPHABLENDENABLE, 1);
    RenderStates.SetRenderState(RS_SRCBLEND, BLEND_SRCALPHA);
    RenderStates.SetRenderState(RS_DESTBLEND, BLEND_INVSRCALPHA);
    RenderStates.SetRenderState(RS_ZWRITEENABLE, 0);
    RenderMesh(splatMesh.get(), pass);
    RenderStates.SetRenderState(RS_ALPHABLENDENABLE, 0);
    RenderStates.SetRenderState(RS_ZWRITEENABLE, 1);
}

void Terrain::Render(int pass, bool cull)
{
    if (!created) return;
    Matrix identity;
    MatrixIdentity(&identity);
    WorldMatrix = identity;
    if (Graphics) Graphics->SetTransform(TS_WORLD, &identity);
    MeshRenderPosition = Vec3();
    EffectValues.objectId = 255.0f;
    // The splats and the meshes standing on the ground read the baked light through these.
    EffectValues.terrainAlpha = alphaTexture ? alphaTexture->texture : nullptr;
    EffectValues.mapWidth = EffectValues.mapHeight = MAP_WORLD_SIZE;

    for (auto& chunk : chunks) {
        if (!chunk->groundMesh) continue;
        if (cull && Frustum &&
            Frustum->ClassifyBox(chunk->groundMesh->boundsMin, chunk->groundMesh->boundsMax) == ViewFrustum::OUTSIDE)
            continue;
        chunk->Render(pass);
    }
}
