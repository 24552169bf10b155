// The pieces a destroyed thing throws: thrown, falling and bouncing off the ground until they
// lie still and their set goes. Only seen, so they draw on the cosmetic generator.
#include "world/ProjectileSystem.h"

#include "mechanics/Scene.h"
#include "platform/RandomUtil.h"
#include "terrain/Terrain.h"
#include "world/Entity.h"

#include <cmath>
#include <cstdio>

namespace {

// A random number in low..high; the debris is only seen, so from the cosmetic generator.
float RandomIn(float low, float high)
{
    return CosmeticFloat(low, high);
}

}  // namespace

const char* const DebrisField::KIND_NAMES[DEBRIS_KINDS] = {"bio",      "mech", "biomech",    "rock",       "plant",
                                                           "building", "wood", "genericbot", "generichvy", "miner"};

DebrisField::DebrisField() = default;

DebrisField::~DebrisField()
{
    delete[] sets_;
}

void DebrisField::Load()
{
    Entity* fallback = TheScene.FindPrimitive("mortar");
    for (int kind = 0; kind < DEBRIS_KINDS; ++kind) {
        meshCount[kind] = 0;
        for (int n = 0; n < DEBRIS_MESHES; ++n) {
            char name[64];
            snprintf(name, sizeof name, "part_%s_%d", KIND_NAMES[kind], n);
            Entity* part = TheScene.FindPrimitive(name);
            if (!part || !part->mesh) break;
            meshes[kind][meshCount[kind]++] = part->mesh;
        }
        if (meshCount[kind] == 0 && fallback && fallback->mesh) meshes[kind][meshCount[kind]++] = fallback->mesh;
    }
    if (sets_) return;
    sets_ = new Set[DEBRIS_SETS]();
    active.Init(DEBRIS_SETS);
    free.Init(DEBRIS_SETS);
    for (int i = 0; i < DEBRIS_SETS; ++i) free.PushBack(&sets_[i]);
}

void DebrisField::Spawn(int kind, const Vec3& position, float size, bool allPieces)
{
    if (!free.head || kind < 0 || kind >= DEBRIS_KINDS) return;
    Set* set = free.head->value;
    free.Unlink(nullptr, free.head);
    active.PushBack(set);
    *set = Set();
    set->origin = position;
    set->timeLeft = 2.0f;
    set->kind = kind;
    set->scale = size * 2.5f;
    int available = meshCount[kind];
    set->count = allPieces ? available : kind == GENERIC_BOT ? 4 : 8;
    for (int i = 0; i < set->count; ++i) {
        Piece& piece = set->pieces[i];
        int which = allPieces ? i : available > 0 ? CosmeticRandom().Int(0, available - 1) : 0;
        piece.mesh = available > 0 ? meshes[kind][which] : nullptr;
        Vec3 offset(RandomIn(-0.9f, 0.9f), RandomIn(-0.9f, 0.9f), RandomIn(-0.9f, 0.9f));
        piece.position = position + offset;
        piece.spin = Vec3(RandomIn(-5.0f, 5.0f), RandomIn(-5.0f, 5.0f), RandomIn(-5.0f, 5.0f));
        piece.velocity = Vec3(offset.x, offset.y * 10.0f, offset.z);
        piece.active = true;
    }
}

void DebrisField::Update(float dt)
{
    PooledList<Set*>::Node* previous = nullptr;
    for (auto* node = active.head; node;) {
        Set* set = node->value;
        set->timeLeft -= dt;
        if (set->timeLeft <= 0.0f) {
            *set = Set();
            auto* next = node->next;
            active.Unlink(previous, node);
            free.PushBack(set);
            node = next;
            continue;
        }
        for (int i = 0; i < set->count; ++i) {
            Piece& piece = set->pieces[i];
            if (!piece.active) continue;
            piece.velocity.y -= 9.8f * dt;
            piece.position += piece.velocity * dt;
            piece.angles = Vec3(fmodf(piece.angles.x + piece.spin.x * dt, 360.0f),
                                fmodf(piece.angles.y + piece.spin.y * dt, 360.0f),
                                fmodf(piece.angles.z + piece.spin.z * dt, 360.0f));
            float ground = TheTerrain.GetHeight(piece.position);
            if (piece.position.y <= ground) {
                piece.velocity.y = fabsf(piece.velocity.y);
                piece.velocity *= 0.5f;
                piece.position.y = ground + 0.1f;
                if (piece.velocity.y < 0.05f) {
                    piece.active = false;
                    piece.velocity.y = 0.0f;
                    piece.spin = Vec3();
                }
            }
        }
        previous = node;
        node = node->next;
    }
}

void DebrisField::Clear()
{
    while (active.head) {
        *active.head->value = Set();
        free.PushBack(active.head->value);
        active.Unlink(nullptr, active.head);
    }
}
