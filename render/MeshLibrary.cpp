#include "render/MeshLibrary.h"

#include "host/Log.h"
#include "host/System.h"
#include "render/AnimLibrary.h"
#include "render/GraphicsDevice.h"
#include "render/IndexedMesh.h"

#include <cstdio>
#include <cstring>

MeshLibrary* TheMeshLibrary = nullptr;

namespace {

void ReleaseLibraryMeshes(void*)
{
    if (TheMeshLibrary) TheMeshLibrary->ReleaseAll();
}

void RestoreLibraryMeshes(void*)
{
    if (TheMeshLibrary) TheMeshLibrary->RestoreAll();
}

}  // namespace

MeshLibrary::MeshLibrary()
{
    SetDeviceReleaseStep(RELEASE_MESHES, ReleaseLibraryMeshes);
    SetDeviceRestoreStep(RESTORE_MESHES, RestoreLibraryMeshes);
}

MeshLibrary::~MeshLibrary()
{
    // Clones outlive the list that named them: they must not call back into it.
    for (auto& entry : cloned_)
        if (entry->mesh && entry->mesh->library_ == this) entry->mesh->library_ = nullptr;
    for (auto& entry : loaded_)
        if (entry->mesh) entry->mesh->library_ = nullptr;
    if (TheMeshLibrary == this) TheMeshLibrary = nullptr;
}

IndexedMesh* MeshLibrary::GetMesh(const char* name, int bufferMode, bool loadNow, bool dynamic)
{
    if (!name) name = "";
    bool nameKnown = false;
    for (auto& entry : loaded_) {
        if (strcmp(entry->name, name) != 0) continue;
        if (!entry->mesh->IsSkinned()) return entry->mesh;
        nameKnown = true;
        break;
    }
    auto entry = std::make_unique<MeshLibraryEntry>();
    CopyText(entry->name, sizeof entry->name, name);
    entry->flags = loadNow ? 0 : MESH_ENTRY_DEFERRED;
    if (nameKnown) entry->flags |= MESH_ENTRY_PRIVATE;
    entry->owned = std::make_unique<IndexedMesh>(name, bufferMode, dynamic, loadNow);
    entry->mesh = entry->owned.get();
    IndexedMesh* mesh = entry->mesh;
    loaded_.push_back(std::move(entry));
    return mesh;
}

bool MeshLibrary::IsLoaded(const char* name)
{
    if (!name) return false;
    for (auto& entry : loaded_) {
        if (strcmp(entry->name, name) != 0) continue;
        if (entry->flags & MESH_ENTRY_DEFERRED) {
            entry->mesh->LoadAndBuild(false);
            if (entry->mesh->IsAnimated()) entry->flags &= ~MESH_ENTRY_DEFERRED;
        }
        return true;
    }
    return false;
}

void MeshLibrary::LoadAll(LoadingProgressFunction progress)
{
    uint32_t start = TimeGetTimeMs();
    float shown = 0.27f;
    int n = 0;
    const int step = LoadedCount() / 9;
    for (auto& entry : loaded_) {
        if (entry->flags & MESH_ENTRY_DEFERRED) {
            entry->mesh->LoadAndBuild(false);
            entry->flags &= ~MESH_ENTRY_DEFERRED;
        }
        if (++n >= step) {
            shown += 0.025f;
            if (progress) progress("  Loading Meshes", shown, true);
            n = 0;
        }
    }
    Log("Total Mesh Loading : %.3f\n", (TimeGetTimeMs() - start) / 1000.0f);
}

void MeshLibrary::Add(IndexedMesh* mesh, const char* name, uint32_t entryFlags)
{
    if (!mesh) return;
    auto entry = std::make_unique<MeshLibraryEntry>();
    CopyText(entry->name, sizeof entry->name, name ? name : mesh->name);
    entry->flags = entryFlags;
    entry->mesh = mesh;
    if (!mesh->library_) mesh->library_ = this;
    cloned_.push_back(std::move(entry));
}

void MeshLibrary::RemoveMesh(IndexedMesh* mesh)
{
    if (!mesh) return;
    for (size_t i = 0; i < cloned_.size();) {
        if (cloned_[i]->mesh == mesh)
            cloned_.erase(cloned_.begin() + i);
        else
            ++i;
    }
    if (mesh->library_ == this) mesh->library_ = nullptr;
    mesh->ReleaseBuffers();
}

bool MeshLibrary::ReleaseMesh(IndexedMesh* mesh)
{
    for (size_t i = 0; i < loaded_.size(); ++i) {
        if (loaded_[i]->mesh != mesh) continue;
        if (!(loaded_[i]->flags & MESH_ENTRY_PRIVATE)) return false;
        loaded_.erase(loaded_.begin() + i);
        return true;
    }
    return false;
}

void MeshLibrary::ReleaseAll()
{
    for (auto* list : {&loaded_, &cloned_})
        for (auto& entry : *list) {
            if (entry->flags & MESH_ENTRY_RELEASED) continue;
            entry->mesh->ReleaseBuffers();
            entry->flags |= MESH_ENTRY_RELEASED;
        }
}

void MeshLibrary::RestoreAll()
{
    for (auto* list : {&loaded_, &cloned_})
        for (auto& entry : *list) {
            if (!(entry->flags & MESH_ENTRY_RELEASED)) continue;
            if (!entry->mesh->RestoreBuffers()) Log("ERROR: the buffers of mesh %s could not be made again\n", entry->name);
            entry->flags &= ~MESH_ENTRY_RELEASED;
        }
}

void MeshLibrary::LoadPendingAnimations()
{
    if (TheAnimLibrary) TheAnimLibrary->LoadPending();
}

void MeshLibrary::DumpList() const
{
    auto line = [](const char* format, auto... values) {
        printf(format, values...);
        Log(format, values...);
    };
    const char* separator = "=============================================\n";
    auto dump = [&](const char* title, const std::vector<std::unique_ptr<MeshLibraryEntry>>& list) {
        line("%s", separator);
        line(title, (int)list.size());
        line("%s", separator);
        for (const auto& entry : list) {
            if (entry->flags & MESH_ENTRY_DEFERRED)
                line("\t%s    [NOT LOADED]\n", entry->name);
            else
                line("\t%s\n", entry->name);
        }
        line("%s", "\n");
    };
    dump("MESH LIST: (count %d)\n", loaded_);
    dump("CLONED LIST: (count %d)\n", cloned_);
    fflush(stdout);
}
