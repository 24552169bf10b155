#pragma once
// What the level holds, summed: the checksum two plays of one level are compared by, and a digest
// of each entity's fields, so that two plays that part can be told apart at the first entity and
// field that differ. Cheap enough to take at every tick. Beside it, the hash of what a save of
// the level writes: everything the level holds, by construction, taken at a slower cadence.
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
    WORLD_PLAYER,              // the player's ore, fuel, credits, experience, units in use, bag and patterns
    WORLD_GROUPS
};

// An entity's fields, in groups.
enum EntityGroup {
    ENTITY_NAME_AND_FLAGS = 0,
    ENTITY_PLACE,
    ENTITY_HEALTH,  // hull and shield
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

// How the level's bits are summed. All cover the same bits and tell the same parts apart; the
// bytes one at a time are what replays of format version 2 hold (and what the tests' pinned sums
// are), a word at a time what version 3 holds, and each entity's groups summed side by side and
// joined in one mix what is recorded now, cheaper again.
enum WorldSumKind { WORLD_SUM_BYTES = 0, WORLD_SUM_WORDS, WORLD_SUM_WIDE };

// What the level holds now: both of the game's sequences where they stand, the clock, every
// entity's name, flags, place and health, bit for bit, in the order the level lists them, and
// what the player has found: each entity found, the cells ever seen and the fog's markers, the
// objectives' progress, what the events found and had their turn at, and the player's resources.
uint64_t WorldChecksum(WorldSumKind kind = WORLD_SUM_BYTES);
// The same, with the digests of its parts.
WorldDigest DigestWorld(WorldSumKind kind = WORLD_SUM_BYTES);
// The same into a digest taken before, whose room it uses again. entities: with each entity's
// digest; without, the sum and the world groups alone (a replay keeps the entities' digests only
// at its checks). The sums by bytes and by words are the same either way; the wide sum leaves
// the entities' names, what the player found and the fog to the sums taken with the entities.
void DigestWorld(WorldDigest* into, WorldSumKind kind, bool entities = true);

// Where the level now differs from the digest taken of another play of it: the first world
// group, else the first entity and field ("entity 37 'nest_wasp' (level number 52): place");
// empty when the digests say nothing of where (their sums alone differ).
std::string FirstDifference(const WorldDigest& recorded, const WorldDigest& now);
// The first world group (the sequences and the clock first) whose byte differs from the
// recorded ones (WORLD_GROUPS of them); empty when they agree and the entities must say where.
std::string WorldGroupDifference(const uint8_t* recorded, const WorldDigest& now);

// What a save of the level writes, hashed in its parts: the player's profile as the level holds
// it (ore, fuel, credits, power, the bag, the rig's parts and shields, skills, experience,
// learnt patterns and research), the level's parts as the scene file holds them (every unit
// with its orders, AI state, facing and speed, the buildings with their queues and upgrades,
// shots in flight, the ground's resources, the AI's own), and the visited map. The view (the
// camera, the control groups) is the player's, not the level's, and is left out.
enum SavePart {
    SAVE_PROFILE = 0,
    SAVE_RIG_AND_OBJECTIVES,
    SAVE_RESOURCES,
    SAVE_BUILDINGS,
    SAVE_UNITS,
    SAVE_ITEMS,
    SAVE_FUEL_VENTS,
    SAVE_AI,
    SAVE_VISITED,
    SAVE_PARTS
};
struct SaveDigest {
    uint64_t parts[SAVE_PARTS] = {};
    bool operator==(const SaveDigest& other) const;
    bool operator!=(const SaveDigest& other) const { return !(*this == other); }
};
SaveDigest DigestSave();
// The first part that differs ("what a save holds of the units"), empty for none.
std::string SaveDifference(const SaveDigest& recorded, const SaveDigest& now);
