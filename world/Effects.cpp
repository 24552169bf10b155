#include "world/Effects.h"

#include "mechanics/Scene.h"
#include "world/Entity.h"
#include "render/ParticleManager.h"
#include "render/ParticleSystem.h"

#include <optional>
#include <vector>

namespace {

ParticleSystem* Spawn(const char* name)
{
    return TheScene.particles ? TheScene.particles->SpawnSystem(name) : nullptr;
}

}  // namespace

ParticleSystem* StartEffect(const char* name, Entity* owner, const Vec3& offset, uint32_t how)
{
    ParticleSystem* system = Spawn(name);
    if (!system) return nullptr;
    system->owner = owner;
    system->offset = offset;
    if (!owner) system->flags |= PARTICLE_OFFSET_ORIGIN;
    if (how & EFFECT_ONCE) system->flags |= PARTICLE_TIMED;
    if (how & EFFECT_ALONG_DIRECTION) system->flags |= PARTICLE_USE_DIRECTION;
    return system;
}

ParticleSystem* PlaceEffect(const char* name, const Vec3& position)
{
    ParticleSystem* system = Spawn(name);
    if (system) system->position = position;
    return system;
}

ParticleSystem* StartWorkBeam(const char* name, Entity* owner, const Vec3& direction)
{
    ParticleSystem* beam = Spawn(name);
    if (!beam) return nullptr;
    Vec3 along = direction;
    float length = Vec3Length(&along);
    beam->position = owner->GetPosition();
    beam->direction = length > 0.0f ? along * (1.0f / length) : Vec3(0.0f, 0.0f, 1.0f);
    beam->owner = owner;
    for (int i = 0; i < 10; ++i) beam->Step(0.1f);
    return beam;
}

void StopEffect(ParticleSystem** effect)
{
    if (*effect) (*effect)->Stop();
    *effect = nullptr;
}

void StopEffectsOf(Entity* owner)
{
    if (TheScene.particles) TheScene.particles->StopSystemsOf(owner);
}

Entity* EffectOwner(const ParticleSystem* effect)
{
    return effect ? effect->owner : nullptr;
}

const char* EffectName(const ParticleSystem* effect)
{
    return effect ? effect->name : "";
}

void AdvanceEffects()
{
    if (!TheScene.particles) return;
    // The particles follow what they hang on as it is drawn; nothing else need be carried.
    std::optional<CarriedPoses> drawn;
    const std::vector<const Entity*>& followed = TheScene.particles->FollowedEntities();
    if (!followed.empty()) drawn.emplace(TheScene, followed);
    TheScene.particles->Update();
}
