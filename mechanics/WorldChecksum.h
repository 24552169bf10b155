#pragma once
// What the level holds, summed: the checksum two plays of one level are compared by, and a digest
// of each entity's fields, so that two plays that part can be told apart at the first entity and
// field that differ.
#include <cstdint>
#include <string>
#include <vector>

// The level's own state, outside its entities.
enum WorldGroup {
    WORLD_LEVEL_SEQUENCE = 0,  // the level's random sequence
    WORLD_PROGRAM_SEQUENCE,    // the program's multiply-with-carry sequence
    WORLD_CLOCK,               // the mission clock
    WORLD_FOG,                 // the cells ever seen and the fog's markers
    WORLD_OBJECTIVES,          // the objectives' progress
    WORLD_EVENTS,              // what the events found and had their turn at
    WORLD_GROUPS
};

// An entity's fields, in groups.
enum EntityGroup {
    ENTITY_NAME_AND_FLAGS = 0,
    ENTITY_PLACE,
    ENTITY_HEALTH,
    ENTITY_FOUND,  // found by the player
    ENTITY_GROUPS
};

struct WorldDigest {
    // The whole level, bit for bit.
    uint64_t sum = 0;
    // One byte of each world group's own sum.
    uint8_t world[WORLD_GROUPS] = {};
    // Per entity, in the order the level lists them: four bits of each group's sum, two groups
    // a byte.
    std::vector<uint8_t> entities;

    size_t EntityCount() const { return entities.size() / 2; }
    int EntityGroupBits(size_t entity, int group) const
    {
        const uint8_t byte = entities[entity * 2 + group / 2];
        return group % 2 ? byte >> 4 : byte & 0x0f;
    }
};

// What the level holds now: both of the game's sequences where they stand, the clock, every
// entity's name, flags, place and health, bit for bit, in the order the level lists them, and
// what the player has found: each entity found, the cells ever seen and the fog's markers, the
// objectives' progress, and what the events found and had their turn at.
uint64_t WorldChecksum();
// The same, with the digests of its parts.
WorldDigest DigestWorld();

// Where the level now differs from the digest taken of another play of it: the first world
// group, else the first entity and field ("entity 37 'nest_wasp' (level number 52): place");
// empty when the digests say nothing of where (their sums alone differ).
std::string FirstDifference(const WorldDigest& recorded, const WorldDigest& now);
