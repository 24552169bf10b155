#pragma once
// The animation library hands out animations by name. An animation is loaded once and shared
// by every mesh that asks for that name; its channels are resolved against the joints of the
// first mesh it was loaded for, so meshes sharing an animation name share their skeleton.
// Requests made while a level's scripts are read wait (deferred) until the meshes are loaded;
// a waiting record never matches a lookup, so a second request before loading makes a second
// record.
#include <cstdint>
#include <memory>
#include <vector>

class IndexedMesh;
struct Animation;

// AnimLibraryRecord::flags
constexpr uint32_t ANIM_RECORD_DEFERRED = 0x1;

struct AnimLibraryRecord {
    char name[128];
    uint32_t flags = 0;
    std::shared_ptr<Animation> animation;
    const IndexedMesh* mesh = nullptr;  // whose joints the channels are resolved against
};

class AnimLibrary {
public:
    AnimLibrary() = default;
    ~AnimLibrary();
    AnimLibrary(const AnimLibrary&) = delete;
    AnimLibrary& operator=(const AnimLibrary&) = delete;

    // The animation of the first record whose name equals name (with case) and whose flags
    // equal key (callers pass 0); otherwise a new record, loaded now or deferred.
    std::shared_ptr<Animation> GetAnimation(const char* name, uint32_t key, const IndexedMesh* mesh, bool loadNow);
    // Reads the animation file of that name from the animation package into animation,
    // resolving its channels against mesh. A missing or refused file leaves it empty (false).
    static bool LoadAnimation(const char* name, Animation* animation, const IndexedMesh* mesh);
    // Loads every deferred record whose mesh exists and has joints.
    void LoadPending();
    // A mesh is going away: records still waiting for it forget it (they then wait for good).
    void ForgetMesh(const IndexedMesh* mesh);

    int RecordCount() const { return (int)records_.size(); }
    const AnimLibraryRecord& Record(int i) const { return *records_[i]; }

private:
    std::vector<std::unique_ptr<AnimLibraryRecord>> records_;
};

// The game's animation library, made by the Scene's initialisation.
extern AnimLibrary* TheAnimLibrary;
