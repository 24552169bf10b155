#pragma once
// The mesh library hands out meshes by file name. Static meshes (buildings, items, trees,
// projectiles, the sky) are one object for every user. A skinned mesh holds one pose, so each
// request for an already built skinned mesh loads a mesh of its own for the caller.
//
// Who owns what:
// - the loaded list owns its meshes. The first mesh of a name lives as long as the library;
//   a further copy of a skinned mesh belongs to the one caller that asked for it and is handed
//   back with ReleaseMesh when that caller goes (an agent returning to the pool), so a long
//   game does not pile up dead agents' meshes;
// - the cloned list only lists meshes made by IndexedMesh::Clone (and decals added by
//   buildings) so that device loss and reset reach them; their makers own them, and a mesh
//   leaves the list by RemoveMesh or when it is destroyed.
//
// Most meshes are requested with loading deferred while a level's scripts are read and are
// then loaded in one pass (LoadAll) behind a progress display.
//
// Around a device reset the graphics device's release and restore lists reach every mesh of
// both lists through the game's library (TheMeshLibrary): ReleaseAll before, RestoreAll after.
#include <cstdint>
#include <memory>
#include <vector>

class IndexedMesh;

// MeshLibraryEntry::flags
constexpr uint32_t MESH_ENTRY_DEFERRED = 0x1;  // requested, not loaded yet
constexpr uint32_t MESH_ENTRY_RELEASED = 0x4;  // buffers released for a device loss
constexpr uint32_t MESH_ENTRY_PRIVATE = 0x8;   // a copy for one caller, handed back by ReleaseMesh

struct MeshLibraryEntry {
    char name[128];
    uint32_t flags = 0;
    IndexedMesh* mesh = nullptr;
    std::unique_ptr<IndexedMesh> owned;  // set in the loaded list, empty in the cloned list
};

// The loading screen's progress call: text, progress 0..1, whether to present at once.
using LoadingProgressFunction = void (*)(const char* text, float progress, bool present);

class MeshLibrary {
public:
    // Fills the mesh steps of the device's release and restore lists (they act on
    // TheMeshLibrary).
    MeshLibrary();
    ~MeshLibrary();
    MeshLibrary(const MeshLibrary&) = delete;
    MeshLibrary& operator=(const MeshLibrary&) = delete;

    // The mesh for name (compared with case). An entry of that name whose mesh is not skinned
    // (as it is now: a mesh not built yet counts as not skinned) is shared; otherwise a new
    // entry and mesh are made, loaded at once or deferred.
    IndexedMesh* GetMesh(const char* name, int bufferMode, bool loadNow, bool dynamic);
    // False when no entry has that name; a deferred entry is loaded now (and stays deferred
    // when it did not come out built, to be tried again).
    bool IsLoaded(const char* name);
    // Loads every deferred entry; progress goes to the loading screen when one is given.
    void LoadAll(LoadingProgressFunction progress = nullptr);
    // Lists a mesh in the cloned list (under its own name when name is null).
    void Add(IndexedMesh* mesh, const char* name, uint32_t entryFlags);
    // Takes every cloned-list entry of mesh off the list and lets go of the mesh's device
    // buffers. The mesh stays its maker's.
    void RemoveMesh(IndexedMesh* mesh);
    // Hands back a caller's own copy of a skinned mesh: its entry goes and the mesh is
    // destroyed. False (nothing done) for shared meshes and meshes the library does not own.
    bool ReleaseMesh(IndexedMesh* mesh);
    // Before a device reset: every mesh of both lists lets go of its buffers, once (a second
    // release before the restore does nothing).
    void ReleaseAll();
    // After the reset: the meshes released before make their buffers again.
    void RestoreAll();
    // Loads the deferred animations of the animation library, now that their meshes are loaded.
    void LoadPendingAnimations();
    // Writes both lists to the log and standard output (a console command).
    void DumpList() const;

    int LoadedCount() const { return (int)loaded_.size(); }
    int ClonedCount() const { return (int)cloned_.size(); }
    const MeshLibraryEntry& LoadedEntry(int i) const { return *loaded_[i]; }
    const MeshLibraryEntry& ClonedEntry(int i) const { return *cloned_[i]; }

private:
    std::vector<std::unique_ptr<MeshLibraryEntry>> loaded_;
    std::vector<std::unique_ptr<MeshLibraryEntry>> cloned_;
};

// The game's mesh library, made by the Scene's initialisation; clones register with it.
extern MeshLibrary* TheMeshLibrary;
