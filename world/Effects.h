#pragma once
// The effects the world shows of itself: a particle system started by its template's name at a
// point or hanging on an entity, and stopped. The particles themselves are the drawing's: they
// move as often as the frames come, on the cosmetic generator, and no rule of the world reads
// them. The world keeps an effect it started only as a handle to stop it or to tell whose and
// which it is; of the simulation only Effects.cpp reaches the particle manager.
#include "host/Maths.h"

#include <cstdint>

class Entity;
class ParticleSystem;

// How an effect runs: EFFECT_ONCE runs out by itself; EFFECT_ALONG_DIRECTION throws its
// particles along the direction it is given.
enum EffectHow : uint32_t {
    EFFECT_ONCE = 1u << 0,
    EFFECT_ALONG_DIRECTION = 1u << 1,
};

// An effect of that template hanging on owner at an offset from it, or without an owner standing
// at the offset as a point of the world; null when there is no such template or no room.
ParticleSystem* StartEffect(const char* name, Entity* owner, const Vec3& offset, uint32_t how = 0);
// An effect that stays where it is put, at position.
ParticleSystem* PlaceEffect(const char* name, const Vec3& position);
// A work beam from the owner's feet along a direction, shown at its full length at once.
ParticleSystem* StartWorkBeam(const char* name, Entity* owner, const Vec3& direction);
// Stops the effect emitting (what it threw plays out) and forgets it; nothing for none.
void StopEffect(ParticleSystem** effect);
// Stops every effect that follows the entity (it leaves the level or dies).
void StopEffectsOf(Entity* owner);
// Whose the effect is now, and its template's name: the particles take a record back when it
// runs out and give it to the next effect started.
Entity* EffectOwner(const ParticleSystem* effect);
const char* EffectName(const ParticleSystem* effect);
// One frame's step of every effect in play.
void AdvanceEffects();
