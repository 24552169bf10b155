#include "render/AnimLibrary.h"

#include "host/System.h"
#include "render/Animation.h"
#include "render/IndexedMesh.h"
#include "render/MeshFormat.h"

#include <cstring>
#include <string>

AnimLibrary* TheAnimLibrary = nullptr;

AnimLibrary::~AnimLibrary()
{
    if (TheAnimLibrary == this) TheAnimLibrary = nullptr;
}

std::shared_ptr<Animation> AnimLibrary::GetAnimation(const char* name, uint32_t key, const IndexedMesh* mesh, bool loadNow)
{
    if (!name) name = "";
    for (auto& record : records_)
        if (record->flags == key && strcmp(record->name, name) == 0) return record->animation;
    auto record = std::make_unique<AnimLibraryRecord>();
    CopyText(record->name, sizeof record->name, name);
    record->flags = key | (loadNow ? 0 : ANIM_RECORD_DEFERRED);
    record->mesh = mesh;
    record->animation = std::make_shared<Animation>();
    if (loadNow) LoadAnimation(name, record->animation.get(), mesh);
    std::shared_ptr<Animation> animation = record->animation;
    records_.push_back(std::move(record));
    return animation;
}

bool AnimLibrary::LoadAnimation(const char* name, Animation* animation, const IndexedMesh* mesh)
{
    animation->Clear();
    std::string text;
    if (!ReadAnimEntry(name, &text)) return false;
    return ParseAnimation(&text[0], animation, mesh, name);
}

void AnimLibrary::LoadPending()
{
    for (auto& record : records_) {
        if (!(record->flags & ANIM_RECORD_DEFERRED) || !record->mesh || record->mesh->JointCount() == 0) continue;
        LoadAnimation(record->name, record->animation.get(), record->mesh);
        record->flags &= ~ANIM_RECORD_DEFERRED;
    }
}

void AnimLibrary::ForgetMesh(const IndexedMesh* mesh)
{
    for (auto& record : records_)
        if (record->mesh == mesh) record->mesh = nullptr;
}
