// The objects that stand on the ground or cut into it: the tops of collision objects that
// heights answer with, and the terrain holes whose ground the chunk meshes leave out.
#include "terrain/Terrain.h"

#include "host/Log.h"
#include "mechanics/Scene.h"
#include "platform/MathUtil.h"
#include "render/IndexedMesh.h"
#include "world/Entity.h"

#include <cfloat>

namespace {

const Vec3 DOWN(0.0f, -1.0f, 0.0f);

// The box test before the triangles: the mesh's box where the entity stands, turned with it.
bool PassesBox(Entity& entity, const Vec3& origin)
{
    IndexedMesh* mesh = entity.mesh;
    return mesh && mesh->PickRay(origin, DOWN, entity.scale, entity.GetPosition(), &entity.rotation, entity.yaw);
}

}  // namespace

bool TopOfEntityMesh(const Entity& entity, const IndexedMesh* mesh, const Vec3& origin, float* height)
{
    if (!mesh || entity.scale == 0.0f) return false;
    Vec3 position = entity.GetPosition();
    // Into the mesh's own space: moved, scaled, turned back by the yaw (a straight-down ray
    // stays straight down) and mirrored like the file's vertices.
    Vec3 o = (origin - position) / entity.scale;
    if (entity.yaw != 0.0f) {
        Matrix back;
        MatrixTranspose(&back, &entity.rotation);
        Vec3TransformCoord(&o, &o, &back);
    }
    o.x = -o.x;
    // The nearest face the ray meets is the top: a deck over the ground answers before the
    // ground part of the same mesh, whatever their order in the file.
    float nearest = FLT_MAX;
    for (const MeshMaterial& material : mesh->materials) {
        const std::vector<MeshVertex>& vertices = material.Vertices();
        for (const MeshTriangle& triangle : material.Triangles()) {
            const int* i = triangle.index;
            if (i[0] < 0 || i[1] < 0 || i[2] < 0 || (size_t)i[0] >= vertices.size() || (size_t)i[1] >= vertices.size() ||
                (size_t)i[2] >= vertices.size())
                continue;
            float t;
            if (IntersectRayTriangle(o, DOWN, vertices[i[0]].position, vertices[i[1]].position, vertices[i[2]].position,
                                     &t) &&
                t >= 0.0f && t < nearest)
                nearest = t;
        }
    }
    if (nearest == FLT_MAX) return false;
    if (height) *height = position.y + (o.y - nearest) * entity.scale;
    return true;
}

bool CollisionObjectHeight(const Vec3& position, float* height)
{
    if (!TheScene.IsReady()) return false;
    const Vec3 origin(position.x, 100.0f, position.z);
    for (Scene::Node* node = TheScene.FirstInList(SEGMENT_COLLISION); node; node = TheScene.NextInList(node)) {
        Entity* entity = node->value;
        // A mesh shrunk to nothing has no top; a skinned one moves, and nobody stands on it.
        if (!entity || !entity->mesh || entity->scale == 0.0f || entity->mesh->IsSkinned()) continue;
        if (!PassesBox(*entity, origin)) continue;
        const IndexedMesh* surface = entity->collisionMesh ? entity->collisionMesh : entity->mesh;
        if (TopOfEntityMesh(*entity, surface, origin, height)) return true;
    }
    return false;
}

void Terrain::CollectCoverEntities()
{
    if (coverEntities.capacity == 0) coverEntities.Init(MAX_COVER_ENTITIES);
    coverEntities.Clear();
    if (!TheScene.IsReady()) return;
    int refused = 0;
    for (Entity* entity = TheScene.FirstInCategory(CATEGORY_TERRAIN, (int)ENTITY_MESH_BLOCKER); entity;
         entity = TheScene.NextInCategory()) {
        if ((entity->flags & ENTITY_TERRAIN_HOLE) != ENTITY_TERRAIN_HOLE || !entity->mesh) continue;
        if (!coverEntities.PushBack(entity)) ++refused;
    }
    if (refused > 0)
        Log("WARNING Terrain: %d terrain holes beyond the first %d keep the ground under them\n", refused,
            MAX_COVER_ENTITIES);
}

void Terrain::ClearCoverEntities()
{
    coverEntities.Clear();
}

bool Terrain::CoversPoint(Entity* hole, const Vec3& point)
{
    return hole && PassesBox(*hole, point) && TopOfEntityMesh(*hole, hole->mesh, point + Vec3(0.0f, 30.0f, 0.0f), nullptr);
}
