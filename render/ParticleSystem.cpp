#include "render/ParticleSystem.h"

#include "host/GfxBuffers.h"
#include "host/SteadyMath.h"
#include "platform/GameSeam.h"
#include "platform/MathUtil.h"
#include "platform/RandomUtil.h"
#include "render/Camera.h"
#include "render/Draw2D.h"
#include "render/ViewFrustum.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

void SetColour(float out[4], float r, float g, float b, float a)
{
    out[0] = r;
    out[1] = g;
    out[2] = b;
    out[3] = a;
}

// The terrain's height under (x, z); 0 where there is no terrain.
float TerrainHeight(GameSeam& world, float x, float z)
{
    float height = 0.0f;
    world.GetTerrainHeight(x, z, 0, &height);
    return height;
}

}  // namespace

// ---- The record ------------------------------------------------------------------------------

ParticleSystem::ParticleSystem()
{
    activeParticles.Init(MAX_PARTICLES);
    freeParticles.Init(MAX_PARTICLES);
    vertexBuffer = nullptr;
    for (Particle& p : particles) p = Particle();
    SetDefaults();
}

void ParticleSystem::ReturnParticles()
{
    activeParticles.Clear();
    freeParticles.Clear();
    for (Particle& p : particles) freeParticles.PushBack(&p);
}

void ParticleSystem::SetDefaults()
{
    ReturnParticles();
    name[0] = 0;
    flags = 0;
    emitType = EMIT_POINT;
    position = Vec3(0.0f, 0.0f, 0.0f);
    direction = Vec3(0.0f, 1.0f, 0.0f);
    area = Vec3(0.0f, 0.0f, 0.0f);
    offset = Vec3(0.0f, 0.0f, 0.0f);
    rate = 10.0f;
    emissionCarry = 0.0f;
    rateChange = 1.0f;
    size = 2.0f;
    sizeChange = 0.5f;
    owner = nullptr;
    force = Vec3(0.0f, -9.8f, 0.0f);
    sizeRatio = 1.0f;
    rotation = rotationChange = 0.0f;
    maxCount = MAX_PARTICLES;
    yFakeCollision = randomScale = emissionTime = randomRotation = 0.0f;
    effectId = 0;
    lifetime = 4.0f;
    speed = 5.0f;
    speedChange = 1.0f;
    pitch = 0.0f;
    pitchChange = 30.0f;
    yaw = 0.0f;
    yawChange = 90.0f;
    SetColour(colour, 1.0f, 0.0f, 0.0f, 0.3f);
    SetColour(colourMid, 0.0f, 1.0f, 0.0f, 1.0f);
    SetColour(colourEnd, 0.0f, 0.0f, 1.0f, 0.3f);
    midPercent = 0.5f;
    sourceBlend = destBlend = 5;  // source alpha
    boxMin = Vec3(1000.0f, 1000.0f, 1000.0f);
    boxMax = Vec3(-1000.0f, -1000.0f, -1000.0f);
    texture = nullptr;
    hasOwnRandom = false;
}

// Particles are only seen: they draw from the cosmetic generator, unless the system was given
// one of its own.
MwcGenerator& ParticleSystem::Random()
{
    return hasOwnRandom ? ownRandom : CosmeticRandom();
}

void ParticleSystem::CopyTemplate(const ParticleSystem& from)
{
    memcpy(name, from.name, sizeof name);
    flags = from.flags;
    emitType = from.emitType;
    rate = from.rate;
    rateChange = from.rateChange;
    size = from.size;
    sizeChange = from.sizeChange;
    lifetime = from.lifetime;
    direction = from.direction;
    area = from.area;
    speed = from.speed;
    speedChange = from.speedChange;
    pitch = from.pitch;
    pitchChange = from.pitchChange;
    yaw = from.yaw;
    yawChange = from.yawChange;
    memcpy(colour, from.colour, sizeof colour);
    memcpy(colourMid, from.colourMid, sizeof colourMid);
    memcpy(colourEnd, from.colourEnd, sizeof colourEnd);
    midPercent = from.midPercent;
    force = from.force;
    sizeRatio = from.sizeRatio;
    rotation = from.rotation;
    rotationChange = from.rotationChange;
    maxCount = from.maxCount;
    yFakeCollision = from.yFakeCollision;
    randomScale = from.randomScale;
    emissionTime = from.emissionTime;
    randomRotation = from.randomRotation;
    effectId = from.effectId;
    sourceBlend = from.sourceBlend;
    destBlend = from.destBlend;
    texture = from.texture;
}

void ParticleSystem::FreeParticle(PooledList<Particle*>::Node* previous, PooledList<Particle*>::Node* node)
{
    // Unlinked in place: the walk over the live particles goes on from the node's successor.
    PooledList<Particle*>& list = activeParticles;
    if (previous)
        previous->next = node->next;
    else
        list.head = node->next;
    if (list.tail == node) list.tail = previous;
    Particle* particle = node->value;
    node->next = list.freeHead;
    list.freeHead = node;
    --list.count;
    freeParticles.PushBack(particle);
}

Vec3 ParticleSystem::WeatherFrontPoint() const
{
    Vec3 ahead(GameCamera.direction.x, 0.0f, GameCamera.direction.z);
    float length = sqrtf(ahead.x * ahead.x + ahead.z * ahead.z);
    ahead = length > 0.0f ? ahead * (1.0f / length) : Vec3(0.0f, 0.0f, 1.0f);
    Vec3 point = GameCamera.target + ahead * 15.0f;
    point.y = std::max(GameCamera.target.y - 15.0f, 15.0f);
    return point;
}

Vec3 ParticleSystem::Origin()
{
    if (owner) return GetGameSeam().GetEntityPosition(owner) + offset;
    if (flags & PARTICLE_OFFSET_ORIGIN) return offset;
    return position;
}

bool ParticleSystem::UpdateBox()
{
    GameSeam& world = GetGameSeam();
    if (flags & PARTICLE_WEATHER_FRONT) position = WeatherFrontPoint();
    if (!(flags & PARTICLE_WATER) || !world.GetVisibleWaterBox(&boxMin, &boxMax)) {
        Vec3 origin = owner ? world.GetEntityPosition(owner) + offset : position;
        float e = std::max((speed + std::max(speedChange, 0.0f)) * lifetime, 1.0f);
        boxMin = origin - Vec3(e, e, e);
        boxMax = origin + Vec3(e, e, e);
    }
    return IsVisible();
}

bool ParticleSystem::IsVisible()
{
    if (flags & PARTICLE_GROUND_WEATHER) return true;
    GameSeam& world = GetGameSeam();
    if (!(!Frustum || Frustum->ClassifyBox(boxMin, boxMax) != ViewFrustum::OUTSIDE)) return false;
    if (owner && world.IsEntityRevealed(owner)) return true;
    Vec3 origin = owner ? world.GetEntityPosition(owner) + offset : position;
    const Vec3 points[5] = {origin, boxMin, boxMax, Vec3(boxMax.x, 0.0f, boxMin.z), Vec3(boxMin.x, 0.0f, boxMax.z)};
    for (const Vec3& p : points)
        if (world.IsPositionRevealed(p)) return true;
    return false;
}

void ParticleSystem::Step(float dt)
{
    GameSeam& world = GetGameSeam();
    if (owner && world.IsEntityDead(owner)) owner = nullptr;
    const bool inherit = (flags & PARTICLE_INHERIT_VELOCITY) && owner;
    const Vec3 ownerVelocity = inherit ? world.GetEntityVelocity(owner) : Vec3();

    PooledList<Particle*>::Node* previous = nullptr;
    for (PooledList<Particle*>::Node* node = activeParticles.head; node;) {
        PooledList<Particle*>::Node* next = node->next;
        Particle& p = *node->value;
        p.age += dt;
        if (p.age > lifetime) {
            FreeParticle(previous, node);
            node = next;
            continue;
        }
        p.size += sizeChange * dt;
        if (p.size < 0.0f) p.size = 0.001f;
        p.position += p.velocity * dt;
        if (inherit) p.position += ownerVelocity * dt;
        if (flags & PARTICLE_HEIGHTMAP_COLLISION) {
            float h = TerrainHeight(world, p.position.x, p.position.z);
            if (h > p.position.y) {
                p.position.y = h;
                p.velocity.y = fabsf(p.velocity.y);
            }
        }
        p.velocity += force * dt;

        // Colour from the start through the middle to the end colour over the life. A middle
        // at the very end (MID_PERCENT 1) leaves no time for the last stretch: the particle
        // then shows the middle colour there.
        float t = lifetime > 0.0f ? p.age / lifetime : 1.0f;
        const float* from;
        const float* to;
        float s;
        if (t >= midPercent) {
            from = colourMid;
            to = colourEnd;
            s = 1.0f - midPercent > 0.0f ? (t - midPercent) / (1.0f - midPercent) : 0.0f;
        } else {
            from = colour;
            to = colourMid;
            s = t / midPercent;
        }
        if (flags & PARTICLE_SMOOTH_LERP) s = 3.0f * s * s - 2.0f * s * s * s;
        p.r = from[0] + (to[0] - from[0]) * s;
        p.g = from[1] + (to[1] - from[1]) * s;
        p.b = from[2] + (to[2] - from[2]) * s;
        p.a = from[3] + (to[3] - from[3]) * s;

        if (emitType == EMIT_SPIRAL) {
            float a = DegreesToRadians(yaw + p.angle);
            float r = Vec3Length(&p.position);
            float sine, cosine;
            SinCos(a, &sine, &cosine);
            p.position.x = sine * r;
            p.position.y = cosine * r;
            // Particles grow paler and smaller the further out along the arm they sit.
            float f = area.y != 0.0f ? 1.0f - p.angle / area.y : 1.0f;
            p.size = (f + 0.5f) * size;
            p.r += f * 0.5f;
            p.g += f * 0.5f;
            p.b += f * 0.5f;
        }
        previous = node;
        node = next;
    }

    if (flags & PARTICLE_EMIT_OFF) return;
    int n;
    if (flags & PARTICLE_TIMED) {
        // A paused game (a step of 0) must not pile bursts up.
        n = dt > 0.0f ? (int)rate : 0;
    } else {
        float u = RandomUnit();
        float total = (rateChange * u + rate) * dt + emissionCarry;
        n = (int)total;
        emissionCarry = total - (float)n;
    }
    if (n > MAX_PARTICLES) n = BURST_LIMIT;
    for (int i = 0; i < n; ++i) EmitParticle();
}

bool ParticleSystem::EmitParticle()
{
    GameSeam& world = GetGameSeam();
    if (!freeParticles.head || activeParticles.count >= maxCount) return false;

    Vec3 spawn;
    if (flags & PARTICLE_WATER) {
        if (!world.GetRandomWaterPoint(&spawn)) return false;
    } else if (flags & PARTICLE_GROUND_WEATHER) {
        Vec3 hit;
        if (!IntersectRayPlane(GameCamera.eye, GameCamera.direction, Vec3(0.0f, 1.0f, 0.0f), 3.0f, &hit)) return false;
        hit.x += Random().Float(-area.x, area.x);
        hit.z += Random().Float(-area.z, area.z);
        if (!world.IsPositionRevealed(hit)) return false;
        float h = TerrainHeight(world, hit.x, hit.z);
        if (h < 2.5f) return false;
        spawn = Vec3(hit.x, h + 2.0f, hit.z);
    }

    Particle* p = freeParticles.head->value;
    freeParticles.Remove(p);
    activeParticles.PushBack(p);

    Vec3 origin = Origin();
    if (flags & PARTICLE_WEATHER_FRONT) origin = WeatherFrontPoint();
    if (flags & (PARTICLE_WATER | PARTICLE_GROUND_WEATHER)) origin = spawn;

    p->size = size;
    p->angle = 0.0f;
    p->age = 0.0f;
    Vec3 at = origin;
    switch (emitType) {
    case EMIT_AREA:
        if (area.x > 0.0f) at.x += RandomBetween(-1.0f, 1.0f) * area.x;
        if (area.y > 0.0f) at.y += RandomBetween(-1.0f, 1.0f) * area.y;
        if (area.z > 0.0f) at.z += RandomBetween(-1.0f, 1.0f) * area.z;
        break;
    case EMIT_CIRCLE: {
        float a = RandomBetween(0.0f, 2.0f * PI), s, c;
        SinCos(a, &s, &c);
        at += Vec3(s * (area.x > 0.0f ? area.x : 1.0f), 0.0f, c * (area.z > 0.0f ? area.z : 1.0f));
        break;
    }
    case EMIT_SPIRAL: {
        float inner = area.x > 0.0f ? area.x : 1.0f;
        float outer = area.z > 0.0f ? area.z : 10.0f;
        float radius = RandomBetween(inner, outer);
        // Inner and outer radius alike make an arm of no length: every particle sits at its start.
        float angle = outer != inner ? (radius - inner) / (outer - inner) * area.y : 0.0f;
        p->angle = angle;
        float s, c;
        SinCos(DegreesToRadians(angle), &s, &c);
        at += Vec3(s, c, 0.0f) * radius;
        SinCos(DegreesToRadians(angle + yaw), &s, &c);
        float length = Vec3Length(&at);
        at.x = s * length;
        at.y = c * length;
        break;
    }
    case EMIT_DISK: {
        float rx = RandomBetween(0.0f, area.x);
        float rz = RandomBetween(0.0f, area.z);
        float a = RandomBetween(0.0f, 2.0f * PI), s, c;
        SinCos(a, &s, &c);
        at += Vec3(s * rx, 0.0f, c * rz);
        break;
    }
    default:
        break;
    }
    p->position = at;

    Vec3 heading;
    if (flags & PARTICLE_USE_DIRECTION) {
        heading = direction;
        Matrix turn;
        if (pitchChange != 0.0f) {
            MatrixRotationX(&turn, DegreesToRadians(RandomBetween(-1.0f, 1.0f) * pitchChange));
            Vec3TransformNormal(&heading, &heading, &turn);
        }
        if (yawChange != 0.0f) {
            MatrixRotationY(&turn, DegreesToRadians(RandomBetween(-1.0f, 1.0f) * yawChange));
            Vec3TransformNormal(&heading, &heading, &turn);
        }
    } else if (flags & PARTICLE_RADIAL_DIR) {
        Vec3 out = at - origin;
        out.y = 0.0f;
        if (Vec3LengthSq(&out) > 0.0f) Vec3Normalize(&heading, &out);
    } else {
        float pitchDegrees = pitch + RandomBetween(-1.0f, 1.0f) * pitchChange;
        float yawDegrees = yaw + RandomBetween(-1.0f, 1.0f) * yawChange;
        DirectionFromAngles(DegreesToRadians(pitchDegrees), DegreesToRadians(yawDegrees), &heading);
    }
    p->velocity = heading * (speed + speedChange * RandomSigned());
    p->size += randomScale * (0.1f + 0.9f * RandomUnit());
    p->r = colour[0];
    p->g = colour[1];
    p->b = colour[2];
    p->a = colour[3];
    p->angularSpeed = rotation + rotationChange * RandomSigned();
    if (randomRotation != 0.0f) p->angle = RandomBetween(0.0f, randomRotation);
    if (flags & PARTICLE_INHERIT_VELOCITY && owner) p->velocity += world.GetEntityVelocity(owner);
    return true;
}

int ParticleSystem::BuildQuads(float dt)
{
    int count = activeParticles.count;
    if (!vertexBuffer || count == 0) return 0;
    void* data = nullptr;
    if (GfxFailed(vertexBuffer->Lock(0, (uint32_t)(count * 4 * sizeof(ParticleVertex)), &data, 0))) return 0;
    ParticleVertex* v = (ParticleVertex*)data;
    const bool spin = fabsf(rotationChange) >= 0.01f || fabsf(randomRotation) >= 0.01f;
    for (auto* node = activeParticles.head; node; node = node->next) {
        Particle& p = *node->value;
        Vec3 centre;
        Vec3TransformCoord(&centre, &p.position, &ViewMatrix);
        float w = p.size, h = sizeRatio * p.size;
        float corners[4][2] = {{-w, h}, {w, h}, {-w, -h}, {w, -h}};
        if (spin) {
            p.angle += p.angularSpeed * dt;
            float s, c;
            SinCos(DegreesToRadians(p.angle), &s, &c);
            for (auto& corner : corners) {
                float x = corner[0], y = corner[1];
                corner[0] = x * c - y * s;
                corner[1] = x * s + y * c;
            }
        }
        uint32_t packed = PackColour(p.r, p.g, p.b, p.a);
        for (auto& corner : corners) {
            v->x = centre.x + corner[0];
            v->y = centre.y + corner[1];
            v->z = centre.z;
            v->colour = packed;
            ++v;  // texture coordinates were written when the buffer was made
        }
    }
    vertexBuffer->Unlock();
    return count;
}
