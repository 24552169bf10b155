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

void TerrainChunk::Render(int pass)
{
    if (groundMesh) groundMesh->Render(pass, false);
    if (!splatMesh || !Config || !Config->terrainDetail) return;
    RenderStates.SetRenderState(RS_ALPHABLENDENABLE, 1);
    RenderStates.SetRenderState(RS_SRCBLEND, BLEND_SRCALPHA);
    RenderStates.SetRenderState(RS_DESTBLEND, BLEND_INVSRCALPHA);
    RenderStates.SetRenderState(RS_ZWRITEENABLE, 0);
    splatMesh->Render(pass, false);
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
