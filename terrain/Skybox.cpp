#include "terrain/Skybox.h"

#include "render/MeshLibrary.h"
#include "render/TextureManager.h"

IndexedMesh* Skybox::mesh = nullptr;
TextureRecord* Skybox::texture = nullptr;

namespace {

constexpr const char* SKY_MESH = "data/Skys/skybox.txt";
constexpr const char* SKY_TEXTURE = "data/textures/skys/skybox.dds";

}  // namespace

void Skybox::Load(const char* name)
{
    if (!name || !name[0]) name = SKY_MESH;
    mesh = TheMeshLibrary ? TheMeshLibrary->GetMesh(name, 0, true, false) : nullptr;
    texture = Textures ? Textures->GetTexture(SKY_TEXTURE) : nullptr;
}
