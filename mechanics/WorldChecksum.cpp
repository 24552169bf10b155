#include "mechanics/WorldChecksum.h"

#include "host/Random.h"
#include "mechanics/EventManager.h"
#include "mechanics/Game.h"
#include "mechanics/Objectives.h"
#include "mechanics/OrderQueue.h"
#include "mechanics/Scene.h"
#include "platform/RandomUtil.h"
#include "terrain/Minimap.h"
#include "world/Agent.h"
#include "world/Entity.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr uint64_t FNV_START = 1469598103934665603ull;
constexpr uint64_t FNV_PRIME = 1099511628211ull;

// The whole sum and one group's own, fed the same bytes.
struct Summing {
    uint64_t whole = FNV_START;
    uint64_t group = FNV_START;
    void Add(const void* data, size_t size)
    {
        const unsigned char* bytes = static_cast<const unsigned char*>(data);
        for (size_t i = 0; i < size; ++i) {
            whole = (whole ^ bytes[i]) * FNV_PRIME;
            group = (group ^ bytes[i]) * FNV_PRIME;
        }
    }
    // The group's sum folded to a byte, and the next group begun.
    uint8_t EndGroup()
    {
        uint64_t g = group;
        g ^= g >> 32;
        g ^= g >> 16;
        g ^= g >> 8;
        group = FNV_START;
        return (uint8_t)g;
    }
};

const char* const WORLD_GROUP_NAMES[WORLD_GROUPS] = {"the level's random sequence", "the program's random sequence",
                                                     "the mission clock", "the fog of war",
                                                     "the objectives' progress", "the events"};
const char* const ENTITY_GROUP_NAMES[ENTITY_GROUPS] = {"name and flags", "place", "health", "found"};

// The entities in the order the level lists them.
std::vector<Entity*> LevelEntities()
{
    std::vector<Entity*> entities;
    for (Entity* e = TheScene.FirstEntity(SEGMENTS_ALL); e; e = TheScene.NextEntity()) entities.push_back(e);
    TheScene.EndIteration();
    return entities;
}

}  // namespace

WorldDigest DigestWorld()
{
    WorldDigest digest;
    Summing sum;
    const unsigned rand = RandState();
    sum.Add(&rand, sizeof rand);
    digest.world[WORLD_LEVEL_SEQUENCE] = sum.EndGroup();
    const MwcGenerator mwc = RandomMWCState();
    sum.Add(&mwc.z, sizeof mwc.z);
    sum.Add(&mwc.w, sizeof mwc.w);
    digest.world[WORLD_PROGRAM_SEQUENCE] = sum.EndGroup();
    sum.Add(&MissionTime, sizeof MissionTime);
    digest.world[WORLD_CLOCK] = sum.EndGroup();
    for (Entity* e : LevelEntities()) {
        uint8_t bits[ENTITY_GROUPS];
        sum.Add(e->name, strlen(e->name));
        // The selection is the hand's, not the world's: a replay watched with other units
        // selected is the same game.
        const uint32_t flags = e->flags & ~ENTITY_SELECTION;
        sum.Add(&flags, sizeof flags);
        bits[ENTITY_NAME_AND_FLAGS] = sum.EndGroup();
        const Vec3 at = e->GetPosition();
        sum.Add(&at, sizeof at);
        bits[ENTITY_PLACE] = sum.EndGroup();
        sum.Add(&e->health, sizeof e->health);
        bits[ENTITY_HEALTH] = sum.EndGroup();
        sum.Add(&e->discovered, sizeof e->discovered);
        const bool agentFound = (e->flags & ENTITY_AGENT) && (static_cast<Agent*>(e)->classWord & AGENT_DISCOVERED);
        sum.Add(&agentFound, sizeof agentFound);
        bits[ENTITY_FOUND] = sum.EndGroup();
        digest.entities.push_back((uint8_t)((bits[0] & 0x0f) | bits[1] << 4));
        digest.entities.push_back((uint8_t)((bits[2] & 0x0f) | bits[3] << 4));
    }
    const FogGrids& fog = TheMinimap.fog;
    sum.Add(fog.everSeen.data(), fog.everSeen.size());
    sum.Add(fog.markers.data(), fog.markers.size());
    digest.world[WORLD_FOG] = sum.EndGroup();
    for (auto* node = TheObjectives ? TheObjectives->list.head : nullptr; node; node = node->next) {
        sum.Add(&node->value->flags, sizeof node->value->flags);
        sum.Add(&node->value->count, sizeof node->value->count);
    }
    digest.world[WORLD_OBJECTIVES] = sum.EndGroup();
    if (TheEvents) {
        sum.Add(&TheEvents->enemyDiscovered, sizeof TheEvents->enemyDiscovered);
        sum.Add(&TheEvents->oreDiscovered, sizeof TheEvents->oreDiscovered);
        for (const std::string& name : TheEvents->retired) sum.Add(name.c_str(), name.size() + 1);
    }
    digest.world[WORLD_EVENTS] = sum.EndGroup();
    digest.sum = sum.whole;
    return digest;
}

uint64_t WorldChecksum() { return DigestWorld().sum; }

std::string FirstDifference(const WorldDigest& recorded, const WorldDigest& now)
{
    // The sequences and the clock first: a level that drew once more, or ran a tick more, parts
    // there before any entity shows it.
    for (int group : {WORLD_LEVEL_SEQUENCE, WORLD_PROGRAM_SEQUENCE, WORLD_CLOCK})
        if (recorded.world[group] != now.world[group]) return WORLD_GROUP_NAMES[group];
    const std::vector<Entity*> entities = LevelEntities();
    const size_t common = std::min(recorded.EntityCount(), now.EntityCount());
    for (size_t i = 0; i < common; ++i)
        for (int group = 0; group < ENTITY_GROUPS; ++group) {
            if (recorded.EntityGroupBits(i, group) == now.EntityGroupBits(i, group)) continue;
            const Entity* e = i < entities.size() ? entities[i] : nullptr;
            char text[256];
            snprintf(text, sizeof text, "entity %zu '%s' (level number %u): %s", i, e ? e->name : "?",
                     (unsigned)LevelNumberOf(e), ENTITY_GROUP_NAMES[group]);
            return text;
        }
    if (recorded.EntityCount() != now.EntityCount()) {
        char text[128];
        snprintf(text, sizeof text, "the level holds %zu entities, its game held %zu", now.EntityCount(),
                 recorded.EntityCount());
        return text;
    }
    for (int group : {WORLD_FOG, WORLD_OBJECTIVES, WORLD_EVENTS})
        if (recorded.world[group] != now.world[group]) return WORLD_GROUP_NAMES[group];
    return std::string();
}
