#pragma once
// Particle systems: a record that is either a template (filled from a definition file) or a
// live system that emits, moves, fades and draws up to 100 particles as camera-facing quads.
// Everything is preallocated: stepping and emitting never allocate.
//
// What a system asks of the world (terrain height, fog of war, water, its owner entity, the
// pause and the game state) goes through the game seam; with the null seam the world is empty,
// flat at height 0 and fully revealed.
#include "host/Maths.h"
#include "platform/PooledList.h"
#include "platform/RandomUtil.h"

#include <cstdint>

class Entity;
class GfxVertexBuffer;
struct TextureRecord;

struct Particle {
    Vec3 position;
    Vec3 velocity;
    float age;    // seconds
    float size;   // half-width
    float r, g, b, a;
    float angle;         // degrees
    float angularSpeed;  // degrees per second
};
static_assert(sizeof(Particle) == 14 * sizeof(float), "a particle is 14 floats");

enum ParticleFlag : uint32_t {
    PARTICLE_TIMED = 0x1,                    // emits trunc(RATE) every step while EMISSION_TIME lasts
    PARTICLE_FINISHED = 0x10,                // released once it has no particles
    PARTICLE_STARTED = 0x20,                 // timed emission has started
    PARTICLE_EMIT_OFF = 0x40,
    PARTICLE_HEIGHTMAP_COLLISION = 0x80,
    PARTICLE_COLLISION = 0x100,              // kept for other readers
    PARTICLE_FAKE_COLLISION = 0x200,         // kept for other readers
    PARTICLE_USE_COLLISION_NORMAL = 0x400,   // kept for other readers
    PARTICLE_USE_DIRECTION = 0x800,          // velocity from DIRECTION with a pitch and yaw spread
    PARTICLE_INHERIT_VELOCITY = 0x1000,      // particles move with the owner
    PARTICLE_SMOOTH_LERP = 0x2000,
    PARTICLE_AUTO_Y_HEIGHT_OFF = 0x10000,    // kept
    PARTICLE_LOCKED = 0x20000,               // kept
    PARTICLE_STATE_OFF = 0x40000,            // not drawn
    PARTICLE_RENDER_ALPHA = 0x100000,        // alpha blending when drawn
    PARTICLE_STOP = 0x200000,                // released at the next update
    PARTICLE_RADIAL_DIR = 0x400000,          // velocity radially out in the ground plane
    PARTICLE_ALWAYS_UPDATE = 0x800000,       // stepped even when not visible
    PARTICLE_OFFSET_ORIGIN = 0x2000000,      // without an owner the origin is the offset
    PARTICLE_WEATHER_FRONT = 0x4000000,      // weather in front of the camera
    PARTICLE_WATER = 0x8000000,              // emitted at random points of visible water
    PARTICLE_GROUND_WEATHER = 0x10000000,    // on the ground around the view point; always visible
};

enum EmitType { EMIT_POINT = 0, EMIT_AREA = 1, EMIT_CIRCLE = 2, EMIT_SPIRAL = 3, EMIT_DISK = 4 };

class ParticleSystem {
public:
    static constexpr int MAX_PARTICLES = 100;
    static constexpr int NAME_SIZE = 128;
    // Particles emitted in one step when the rate asks for more than MAX_PARTICLES.
    static constexpr int BURST_LIMIT = 10;

    ParticleSystem();
    ParticleSystem(const ParticleSystem&) = delete;
    ParticleSystem& operator=(const ParticleSystem&) = delete;

    // The values of a fresh record (every particle free, no owner, no texture).
    void SetDefaults();
    // Takes a template's look and behaviour, keeping this record's place, owner, particles
    // and buffer.
    void CopyTemplate(const ParticleSystem& from);
    // Released at the next update.
    void Stop() { flags |= PARTICLE_STOP; }
    // From now on its particles draw from a generator of its own, started at `start`, rather
    // than from the shared cosmetic one, whose state hangs on everything drawn before: a
    // screen's backdrop then looks the same however often and after whatever it is shown.
    // A fresh record (SetDefaults) draws from the shared one again.
    void DrawFromOwnGenerator(const MwcGenerator& start)
    {
        ownRandom = start;
        hasOwnRandom = true;
    }

    // Ages, moves and colours the particles, then emits (unless emission is off).
    void Step(float dt);
    // Emits one particle; false when none is free or MAX_COUNT are alive.
    bool EmitParticle();
    // Puts every particle back on the free list.
    void ReturnParticles();

    // Where particles start: the owner's position plus the offset, else the offset (with
    // PARTICLE_OFFSET_ORIGIN), else POSITION.
    Vec3 Origin();
    // Computes the box around the system (moving weather-in-front systems first); true when
    // the system is visible.
    bool UpdateBox();
    bool IsVisible();

    // Writes the quads of the live particles, in view space, into the vertex buffer; dt turns
    // spinning particles. Returns the number of quads written.
    int BuildQuads(float dt);

    int ParticleCount() const { return activeParticles.count; }

    char name[NAME_SIZE];
    PooledList<Particle*> activeParticles;
    PooledList<Particle*> freeParticles;
    Particle particles[MAX_PARTICLES];
    uint32_t flags;
    int emitType;
    Vec3 position;
    Vec3 direction;
    Vec3 area;
    Vec3 offset;
    float rate;
    float emissionCarry;
    float rateChange;
    float size;
    float sizeChange;
    Entity* owner;
    Vec3 force;
    float sizeRatio;
    float rotation;
    float rotationChange;
    int32_t maxCount;
    float yFakeCollision;
    float randomScale;
    float emissionTime;
    float randomRotation;
    int32_t effectId;
    float lifetime;
    float speed;
    float speedChange;
    float pitch;
    float pitchChange;
    float yaw;
    float yawChange;
    float colour[4];
    float colourMid[4];
    float colourEnd[4];
    float midPercent;
    uint16_t sourceBlend;
    uint16_t destBlend;
    Vec3 boxMin;
    Vec3 boxMax;
    GfxVertexBuffer* vertexBuffer;
    TextureRecord* texture;  // the texture manager's; none: the system is not drawn

private:
    // The generator the particles draw from: the system's own, or the shared cosmetic one.
    MwcGenerator& Random();
    float RandomUnit() { return Random().Unit(); }
    // -1 <= value < 1.
    float RandomSigned() { return 2.0f * RandomUnit() - 1.0f; }
    // a + (b - a) x a fraction below 1: never b itself.
    float RandomBetween(float a, float b) { return a + (b - a) * RandomUnit(); }

    MwcGenerator ownRandom;
    bool hasOwnRandom = false;

    void FreeParticle(PooledList<Particle*>::Node* previous, PooledList<Particle*>::Node* node);
    Vec3 WeatherFrontPoint() const;
};

// Vertices of particle quads: position (view space), colour, texture coordinates.
struct ParticleVertex {
    float x, y, z;
    uint32_t colour;
    float u, v;
};
static_assert(sizeof(ParticleVertex) == 24, "particle vertices are 24 bytes");
