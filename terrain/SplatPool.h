#pragma once
// SplatPool: the short-lived marks on the ground. Dying creatures leave a stain of blood that
// spreads and fades, heavy blows leave cracked ground. The pool prepares 32 splat entities
// once, from the Scene's "splat" template, lays them on the terrain and fades them out over
// their life; when all are in use the one closest to its end is laid again elsewhere.
//
// The game object makes the pool (TheSplats) at level load, updates it every frame, draws it in
// the entity pass and clears it at the level's end. Nothing is allocated after Init.
#include "host/Maths.h"
#include "platform/PooledList.h"

class Entity;

enum SplatKind : int { SPLAT_RED_BLOOD = 0, SPLAT_GREEN_BLOOD = 1, SPLAT_CRACKED_GROUND = 2, SPLAT_KIND_COUNT = 3 };

class SplatPool {
public:
    static constexpr int CAPACITY = 32;
    static constexpr int STAGES = 5;
    static constexpr float LIFETIME = 8.0f;

    struct Entry {
        Entity* entity;
        float timeLeft;
        int fadeStep;     // the last of the 32 alpha steps written; -1 when just laid
        int textureStep;  // the stage of the spreading stain (0..4)
        int kind;
    };

    SplatPool() = default;
    ~SplatPool();
    SplatPool(const SplatPool&) = delete;
    SplatPool& operator=(const SplatPool&) = delete;

    // Once: the 32 entries from the "splat" template. Without the template the pool stays
    // empty and tries again at the next call.
    void Init();
    // Lays a splat of a kind (SplatKind) at the centre of the position's grid cell.
    void Add(const Vec3& position, int kind);
    void Update(float dt);
    // Every splat back to the free list (level end).
    void ClearActive();

    bool IsInitialised() const { return initialised; }
    int ActiveCount() const { return active.count; }
    const PooledList<Entry*>& Active() const { return active; }

    // The texture of a kind's stage and the kind's normal map.
    static const char* StageTexture(int kind, int stage);
    static const char* NormalTexture(int kind);

    PooledList<Entry*> active;
    PooledList<Entry*> free;
    float lifetime = LIFETIME;
    bool initialised = false;

private:
    void SetTextures(Entry* entry, int stage);

    Entry* entries_ = nullptr;
};

extern SplatPool* TheSplats;

// The centre of the grid cell the position lies in (the position itself off the grid).
Vec3 SnapToCellCentre(const Vec3& position);
