#pragma once
// The particle manager: the templates read from the particle definitions, a fixed pool of
// 100 system records of 100 particles each, and the list of live systems. Game code spawns a
// system by template name, places it (position, owner entity, offset, flags) and leaves the
// rest to the manager until the system stops or runs out.
//
// Templates live apart from the pool, so that however many definitions there are, all 100
// records stay free to play. Spawning and emitting never allocate.
#include "render/DeviceListing.h"
#include "render/ParticleParser.h"
#include "render/ParticleSystem.h"

#include <vector>

class GfxIndexBuffer;
class PackageFile;

class ParticleManager {
public:
    static constexpr int SYSTEM_COUNT = 100;
    static constexpr int TEMPLATE_COUNT = 100;
    static const char* const PACKAGE_PATH;
    static const char* const LOOSE_FOLDER;

    // Every record with its particles and vertex buffer, the shared index buffer, the parser,
    // then the definitions from the package. The manager enters its buffers in the graphics
    // device's lost-device lists and takes them out when deleted (of several managers, the
    // latest made is the one listed).
    ParticleManager();
    ~ParticleManager();
    ParticleManager(const ParticleManager&) = delete;
    ParticleManager& operator=(const ParticleManager&) = delete;

    // Replaces every template: from the package (looseFiles false) or from the "*.txt" files
    // of the loose folder.
    void LoadDefinitions(bool looseFiles);
    // Empties the template list (LoadDefinitions starts with this).
    void ReleaseTemplates();
    // One more template from a file; null when every template place is taken.
    ParticleSystem* LoadTemplate(const char* path);
    // A live system made from the first template of that name (case ignored); null when
    // there is none or all 100 records are playing.
    ParticleSystem* SpawnSystem(const char* name);
    // After a reload: every live system takes its template again, keeping its timed and
    // weather flags and its offset.
    void RefreshFromTemplates();
    // Stops every live system owned by the entity.
    void StopSystemsOf(Entity* entity);
    // Stops every live system of exactly this name.
    void FindTemplate(const char* name);
    // Every live system back to the pool (level end, mission start, a screen's backdrop); the
    // next spawns take the records from the first on, as in a new manager.
    void KillAll();

    // Once per frame of the world.
    void Update();
    // The entities the next Update reads the poses of (the owners the live systems follow),
    // by address, each once: only they need stand where they are drawn.
    const std::vector<const Entity*>& FollowedEntities();
    void Render();
    // Steps the live systems as Update does, with a given step (in seconds, not clamped).
    void UpdateWith(float dt);

    // Before and after a device reset (the device's lists call them).
    void ReleaseBuffers();
    void RestoreBuffers();

    ParticleSystem* FindTemplateRecord(const char* name);
    int ActiveCount() const { return active.count; }
    int FreeCount() const { return pool.count; }
    int TemplateCount() const { return templates.count; }

    PooledList<ParticleSystem*> active;
    PooledList<ParticleSystem*> pool;
    PooledList<ParticleSystem*> templates;
    ParticleParser parser;
    GfxIndexBuffer* indexBuffer = nullptr;

private:
    std::vector<const Entity*> followed_;
    bool CreateBuffers(ParticleSystem* system);
    void Retire(ParticleSystem* system);
    // The frame's step: the timer's delta, 0 while paused, never negative, at most 0.1 s.
    float FrameStep();
    ParticleSystem* TakeTemplateRecord();

    ParticleSystem* records_ = nullptr;
    ParticleSystem* templateRecords_ = nullptr;
    PooledList<ParticleSystem*> spareTemplates_;
    DeviceListing<ParticleManager, &ParticleManager::ReleaseBuffers, &ParticleManager::RestoreBuffers> listing_{
        this, RELEASE_PARTICLES, RESTORE_PARTICLES};
};

// The package the definitions were read from, kept open between reloads.
extern PackageFile* EffectsPackage;
