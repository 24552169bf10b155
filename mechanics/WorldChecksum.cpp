#include "mechanics/WorldChecksum.h"

#include "campaign/PlayerProfile.h"
#include "host/Random.h"
#include "mechanics/Bag.h"
#include "mechanics/EventManager.h"
#include "mechanics/Game.h"
#include "mechanics/GameMechanics.h"
#include "mechanics/Objectives.h"
#include "mechanics/OrderQueue.h"
#include "mechanics/Scene.h"
#include "mechanics/ScreenHooks.h"
#include "platform/RandomUtil.h"
#include "terrain/Minimap.h"
#include "world/Agent.h"
#include "world/AgentTypeRegistry.h"
#include "world/Entity.h"
#include "world/Item.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr uint64_t FNV_START = 1469598103934665603ull;
constexpr uint64_t FNV_PRIME = 1099511628211ull;

// A long run of bytes (the fog's grids), summed eight at a time: taken every tick, it must stay
// cheap beside the tick. The fog's grids change in few ticks of many: the run last summed is kept
// with its sum, and a run the same to the byte (a compare runs many times faster than the sum)
// takes that sum again.
struct KeptRun {
    bool summed = false;
    std::vector<uint8_t> bytes;
    uint64_t sum = 0;
    uint64_t SumOf(const std::vector<uint8_t>& now)
    {
        if (!summed || bytes.size() != now.size() || (!now.empty() && memcmp(bytes.data(), now.data(), now.size()) != 0)) {
            bytes = now;
            sum = BulkSum(now.data(), now.size());
            summed = true;
        }
        return sum;
    }
    static uint64_t BulkSum(const uint8_t* bytes, size_t size)
    {
        uint64_t h = FNV_START ^ size;
        size_t i = 0;
        for (; i + 8 <= size; i += 8) {
            uint64_t word;
            memcpy(&word, bytes + i, 8);
            h = (h ^ word) * FNV_PRIME;
            h ^= h >> 29;
        }
        for (; i < size; ++i) h = (h ^ bytes[i]) * FNV_PRIME;
        return h;
    }
};

// The whole sum and one group's own, fed the same bytes one by one: the sum replays of format
// version 2 were recorded with, kept to play them.
struct ByteSumming {
    static constexpr bool WIDE = false;
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
    // A value of a fixed size (a flag word, a place): the same sum, the loop unrolled.
    template <typename T>
    void AddValue(const T& value)
    {
        unsigned char bytes[sizeof value];
        memcpy(bytes, &value, sizeof value);
        uint64_t w = whole, g = group;
        for (size_t i = 0; i < sizeof value; ++i) {
            w = (w ^ bytes[i]) * FNV_PRIME;
            g = (g ^ bytes[i]) * FNV_PRIME;
        }
        whole = w;
        group = g;
    }
    void AddBulk(const std::vector<uint8_t>& bytes, KeptRun* kept)
    {
        const uint64_t bulk = kept->SumOf(bytes);
        Add(&bulk, sizeof bulk);
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

// The sum recorded now: a group's values a word at a time (a value of up to eight bytes is one
// word, a longer one its eight-byte pieces, the last filled out with zeros and its length), each
// word stirred in by a multiply and a shift; the whole sum is fed each group's whole 64-bit sum
// as the group ends. Every bit of the level still reaches the whole sum, for a fraction of the
// byte-by-byte sum's multiplies, and one chain of them a value, not two.
struct WordSumming {
    static constexpr bool WIDE = false;
    uint64_t whole = FNV_START;
    uint64_t group = FNV_START;
    static uint64_t Stir(uint64_t h, uint64_t word)
    {
        h = (h ^ word) * FNV_PRIME;
        return h ^ h >> 29;
    }
    void Add(const void* data, size_t size)
    {
        const unsigned char* bytes = static_cast<const unsigned char*>(data);
        uint64_t g = group;
        size_t i = 0;
        for (; i + 8 <= size; i += 8) {
            uint64_t word;
            memcpy(&word, bytes + i, 8);
            g = Stir(g, word);
        }
        uint64_t last = 0;
        memcpy(&last, bytes + i, size - i);
        group = Stir(g, last ^ (uint64_t)size << 56);
    }
    template <typename T>
    void AddValue(const T& value)
    {
        static_assert(sizeof value <= 16, "a value of two words at most");
        uint64_t words[2] = {};
        memcpy(words, &value, sizeof value);
        group = Stir(group, words[0]);
        if (sizeof value > 8) group = Stir(group, words[1]);
    }
    void AddBulk(const std::vector<uint8_t>& bytes, KeptRun* kept) { group = Stir(group, kept->SumOf(bytes)); }
    uint8_t EndGroup()
    {
        uint64_t g = group;
        whole = Stir(whole, g);
        g ^= g >> 32;
        g ^= g >> 16;
        g ^= g >> 8;
        group = FNV_START;
        return (uint8_t)g;
    }
};

// The sum recorded now. The level's own state is summed as by the words. Each entity's fields
// are packed into four words and its name into a word of its own, each pair of words multiplied
// whole (the product's two halves folded together), and the entity added into the level's sum
// under a key of its place in the list: no chain runs from one entity to the next, so the
// entities are summed side by side, a handful of multiplies each. Every bit of every field still
// moves the sum. Each entity's four groups are worked out apart only for the digests a replay
// keeps at its checks.
// The entities' names, whether the player found them and the fog's grids are summed only with
// the entities' digests, at a replay's checks (every second of play): a name is given as an
// entity is made, and what the player found and the fog are what the entities' places have
// shown, so two plays part in the entities' flags, places and hulls first, at the tick itself;
// the rest costs as much to read as all of a tick's sum.
struct WideSumming : WordSumming {
    static constexpr bool WIDE = true;
    static constexpr uint64_t KEYS[8] = {0xa0761d6478bd642full, 0xe7037ed1a0b428dbull, 0x8ebc6af09c88c6e3ull,
                                         0x589965cc75374cc3ull, 0x1d8e4e27c47d124full, 0x9e3779b97f4a7c15ull,
                                         0xbf58476d1ce4e5b9ull, 0x94d049bb133111ebull};
    static uint64_t Multiply(uint64_t a, uint64_t b)
    {
        const unsigned __int128 product = (unsigned __int128)a * b;
        return (uint64_t)product ^ (uint64_t)(product >> 64);
    }
    // A name up to and with its end, two words at a time: the bytes past the end are never summed.
    static uint64_t NameSum(const char* name, size_t room)
    {
        constexpr uint64_t ONES = 0x0101010101010101ull, HIGHS = 0x8080808080808080ull;
        uint64_t words[2] = {}, h = 0;
        int filled = 0;
        for (size_t at = 0; at + 8 <= room; at += 8) {
            uint64_t word;
            memcpy(&word, name + at, 8);
            // The lowest byte flagged is the first zero (a flag above a zero may be false).
            const uint64_t zero = (word - ONES) & ~word & HIGHS;
            if (zero) {
                const int end = __builtin_ctzll(zero) / 8;
                if (end < 7) word &= (1ull << (8 * (end + 1))) - 1;
            }
            words[filled++] = word;
            if (filled == 2 || zero) {
                h = Multiply(h ^ words[0] ^ KEYS[4], words[1] ^ KEYS[5]);
                words[1] = 0;
                filled = 0;
            }
            if (zero) break;
        }
        return h;
    }
    static uint8_t Fold(uint64_t g)
    {
        g ^= g >> 32;
        g ^= g >> 16;
        g ^= g >> 8;
        return (uint8_t)g;
    }
};

const char* const WORLD_GROUP_NAMES[WORLD_GROUPS] = {"the level's random sequence", "the program's random sequence",
                                                     "the mission clock", "the fog of war",
                                                     "the objectives' progress", "the events",
                                                     "the player's resources, bag or patterns"};
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

namespace {

// Each entity's name, flags, place, hull and shield, and whether the player found it.
void SumEntitiesWide(WideSumming* sum, WorldDigest* digest, bool entities)
{
    using W = WideSumming;
    // Listed first, then summed with the entities a few places ahead already on their way from
    // memory: most of an entity's cost is waiting for its fields.
    thread_local std::vector<Entity*> listed;
    listed.clear();
    for (Entity* e = TheScene.FirstEntity(SEGMENTS_ALL); e; e = TheScene.NextEntity()) listed.push_back(e);
    TheScene.EndIteration();
    constexpr size_t AHEAD = 4;
    uint64_t all = 0;
    for (size_t i = 0; i < listed.size(); ++i) {
        if (i + AHEAD < listed.size()) {
            const Entity* next = listed[i + AHEAD];
            __builtin_prefetch(&next->flags);
            __builtin_prefetch(&next->world._41);
            __builtin_prefetch(&next->health);
        }
        const Entity* e = listed[i];
        // The selection is the hand's, not the world's: a replay watched with other units
        // selected is the same game.
        const uint32_t flags = e->flags & ~ENTITY_SELECTION;
        const bool agentFound =
            entities && (e->flags & ENTITY_AGENT) && (static_cast<const Agent*>(e)->classWord & AGENT_DISCOVERED);
        const uint64_t found = entities ? e->discovered | (uint64_t)agentFound << 8 : 0;
        const Vec3 at = e->GetPosition();
        uint32_t place[3], hull[2];
        memcpy(place, &at, sizeof place);
        memcpy(&hull[0], &e->health, 4);
        memcpy(&hull[1], &e->shield, 4);
        const uint64_t name = entities ? W::NameSum(e->name, sizeof e->name) : 0;
        const uint64_t xy = place[0] | (uint64_t)place[1] << 32, hulls = hull[0] | (uint64_t)hull[1] << 32;
        const uint64_t flagged = flags | found << 32;
        const uint64_t entity = W::Multiply(flagged ^ W::KEYS[0], xy ^ W::KEYS[1]) ^
                                W::Multiply(place[2] ^ W::KEYS[2], hulls ^ W::KEYS[3]) ^ W::Multiply(name ^ W::KEYS[6], (uint64_t)i ^ W::KEYS[7]);
        // Keyed by its place in the list: two entities swapped are another level.
        all += entity;
        if (!entities) continue;
        const uint8_t bits[ENTITY_GROUPS] = {W::Fold(W::Multiply(name ^ W::KEYS[0], flags ^ W::KEYS[1])),
                                             W::Fold(W::Multiply(xy ^ W::KEYS[2], place[2] ^ W::KEYS[3])),
                                             W::Fold(W::Multiply(hulls ^ W::KEYS[4], W::KEYS[5])),
                                             W::Fold(W::Multiply(found ^ W::KEYS[6], W::KEYS[7]))};
        digest->entities.push_back((uint8_t)((bits[0] & 0x0f) | bits[1] << 4));
        digest->entities.push_back((uint8_t)((bits[2] & 0x0f) | bits[3] << 4));
    }
    sum->whole = WordSumming::Stir(sum->whole, all ^ listed.size());
}

// Each slot of the bag (its stack and its item's name) and each pattern learnt or not: the
// slots side by side, keyed by their place, and the patterns a bit each, sixty-four to a mix.
void SumBagAndPatternsWide(WideSumming* sum)
{
    using W = WideSumming;
    uint64_t bag = 0;
    int slots = 0;
    for (const BagSlot& held : PlayerBag->slots) {
        const Item* item = held.item;
        const uint64_t stack = item ? (uint32_t)item->stackCount : ~0ull;
        const uint64_t name = item ? W::NameSum(item->name, sizeof item->name) : 0;
        const uint64_t slot = (uint64_t)slots++;
        bag += W::Multiply(stack ^ W::KEYS[0], slot ^ W::KEYS[1]) ^ W::Multiply(name ^ W::KEYS[2], slot ^ W::KEYS[3]);
    }
    sum->group = WordSumming::Stir(sum->group, bag ^ (uint64_t)slots << 48);
    uint64_t owned = 0;
    int types = 0;
    if (TheGame && TheGame->agentTypes)
        for (auto* node = TheGame->agentTypes->types.head; node; node = node->next, ++types) {
            if (node->value && (node->value->flags & AGENT_TYPE_OWNED)) owned |= 1ull << (types % 64);
            if (types % 64 == 63) {
                sum->group = WordSumming::Stir(sum->group, owned);
                owned = 0;
            }
        }
    sum->group = WordSumming::Stir(sum->group, owned ^ (uint64_t)types << 48);
}

// Taken after every tick of a recorded level: it allocates nothing once the digest it fills has
// held as many entities before.
template <typename Summing>
void DigestWorldBy(WorldDigest* into, bool entities)
{
    WorldDigest& digest = *into;
    digest.entities.clear();
    Summing sum;
    const unsigned rand = RandState();
    sum.AddValue(rand);
    digest.world[WORLD_LEVEL_SEQUENCE] = sum.EndGroup();
    const MwcGenerator mwc = RandomMWCState();
    sum.AddValue(mwc.z);
    sum.AddValue(mwc.w);
    digest.world[WORLD_PROGRAM_SEQUENCE] = sum.EndGroup();
    sum.AddValue(MissionTime);
    digest.world[WORLD_CLOCK] = sum.EndGroup();
    if constexpr (Summing::WIDE) {
        SumEntitiesWide(&sum, &digest, entities);
    } else {
        for (Entity* e = TheScene.FirstEntity(SEGMENTS_ALL); e; e = TheScene.NextEntity()) {
            uint8_t bits[ENTITY_GROUPS];
            sum.Add(e->name, strlen(e->name));
            // The selection is the hand's, not the world's: a replay watched with other units
            // selected is the same game.
            const uint32_t flags = e->flags & ~ENTITY_SELECTION;
            sum.AddValue(flags);
            bits[ENTITY_NAME_AND_FLAGS] = sum.EndGroup();
            const Vec3 at = e->GetPosition();
            sum.AddValue(at);
            bits[ENTITY_PLACE] = sum.EndGroup();
            // Side by side, the same bytes as one after the other.
            const float hull[2] = {e->health, e->shield};
            sum.AddValue(hull);
            bits[ENTITY_HEALTH] = sum.EndGroup();
            sum.AddValue(e->discovered);
            const bool agentFound = (e->flags & ENTITY_AGENT) && (static_cast<Agent*>(e)->classWord & AGENT_DISCOVERED);
            sum.AddValue(agentFound);
            bits[ENTITY_FOUND] = sum.EndGroup();
            if (!entities) continue;
            digest.entities.push_back((uint8_t)((bits[0] & 0x0f) | bits[1] << 4));
            digest.entities.push_back((uint8_t)((bits[2] & 0x0f) | bits[3] << 4));
        }
        TheScene.EndIteration();
    }
    const FogGrids& fog = TheMinimap.fog;
    // One kept run for each grid.
    thread_local KeptRun seen, markers;
    if (!Summing::WIDE || entities) {
        sum.AddBulk(fog.everSeen, &seen);
        sum.AddBulk(fog.markers, &markers);
    }
    digest.world[WORLD_FOG] = sum.EndGroup();
    for (auto* node = TheObjectives ? TheObjectives->list.head : nullptr; node; node = node->next) {
        sum.AddValue(node->value->flags);
        sum.AddValue(node->value->count);
    }
    digest.world[WORLD_OBJECTIVES] = sum.EndGroup();
    if (TheEvents) {
        sum.AddValue(TheEvents->enemyDiscovered);
        sum.AddValue(TheEvents->oreDiscovered);
        for (const std::string& name : TheEvents->retired) sum.Add(name.c_str(), name.size() + 1);
    }
    digest.world[WORLD_EVENTS] = sum.EndGroup();
    if (const PlayerProfile* p = GetPlayerProfile()) {
        const float amounts[] = {p->ore, p->fuel, p->oreGained, p->fuelGained};
        const int counts[] = {p->credits, p->experience, p->unitsInUse, p->unitControl};
        sum.AddValue(amounts);
        sum.AddValue(counts);
    }
    // The bag, slot by slot, and the patterns learnt: what the commonest orders change.
    if constexpr (Summing::WIDE) {
        SumBagAndPatternsWide(&sum);
    } else {
        for (const BagSlot& slot : PlayerBag->slots) {
            const Item* item = slot.item;
            const int32_t stack = item ? item->stackCount : -1;
            sum.AddValue(stack);
            if (item) sum.Add(item->name, strlen(item->name));
        }
        if (TheGame && TheGame->agentTypes)
            for (auto* node = TheGame->agentTypes->types.head; node; node = node->next) {
                const bool owned = node->value && (node->value->flags & AGENT_TYPE_OWNED);
                sum.AddValue(owned);
            }
    }
    digest.world[WORLD_PLAYER] = sum.EndGroup();
    digest.sum = sum.whole;
}

}  // namespace

void DigestWorld(WorldDigest* into, WorldSumKind kind, bool entities)
{
    if (kind == WORLD_SUM_BYTES) DigestWorldBy<ByteSumming>(into, entities);
    else if (kind == WORLD_SUM_WORDS) DigestWorldBy<WordSumming>(into, entities);
    else DigestWorldBy<WideSumming>(into, entities);
}

WorldDigest DigestWorld(WorldSumKind kind)
{
    WorldDigest digest;
    DigestWorld(&digest, kind);
    return digest;
}

uint64_t WorldChecksum(WorldSumKind kind) { return DigestWorld(kind).sum; }

std::string WorldGroupDifference(const uint8_t* recorded, const WorldDigest& now)
{
    for (int group : {WORLD_LEVEL_SEQUENCE, WORLD_PROGRAM_SEQUENCE, WORLD_CLOCK, WORLD_PLAYER, WORLD_FOG, WORLD_OBJECTIVES,
                      WORLD_EVENTS})
        if (recorded[group] != now.world[group]) return WORLD_GROUP_NAMES[group];
    return std::string();
}

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
    // A digest kept without its entities (a level whose leaving changed the world after its
    // last tick) names none.
    if (recorded.EntityCount() != now.EntityCount() && !recorded.entities.empty()) {
        char text[128];
        snprintf(text, sizeof text, "the level holds %zu entities, its game held %zu", now.EntityCount(),
                 recorded.EntityCount());
        return text;
    }
    for (int group : {WORLD_PLAYER, WORLD_FOG, WORLD_OBJECTIVES, WORLD_EVENTS})
        if (recorded.world[group] != now.world[group]) return WORLD_GROUP_NAMES[group];
    return std::string();
}

namespace {

uint64_t HashOf(const char* bytes, size_t size, uint64_t h = FNV_START)
{
    for (size_t i = 0; i < size; ++i) h = (h ^ (unsigned char)bytes[i]) * FNV_PRIME;
    return h;
}

// A stream that hashes what is written to it as it comes, keeping none of it: the level's parts
// are hashed as the save writes them, without their text held in memory.
struct HashingStream {
    uint64_t hash = FNV_START;
    FILE* file = nullptr;

    HashingStream()
    {
        cookie_io_functions_t calls{};
        calls.write = [](void* cookie, const char* bytes, size_t size) -> ssize_t {
            HashingStream* stream = static_cast<HashingStream*>(cookie);
            stream->hash = HashOf(bytes, size, stream->hash);
            return (ssize_t)size;
        };
        file = fopencookie(this, "w", calls);
    }
    ~HashingStream()
    {
        if (file) fclose(file);
    }
    HashingStream(const HashingStream&) = delete;
    HashingStream& operator=(const HashingStream&) = delete;
    // What was written, hashed whole; 0 for a stream that could not be made.
    uint64_t Hash()
    {
        if (!file) return 0;
        fflush(file);
        return hash;
    }
};

const char* const SAVE_PART_NAMES[SAVE_PARTS] = {
    "the player's profile (ore, fuel, credits, power, the bag, the rig's parts, skills, experience, patterns)",
    "the rig's place, the level's clocks and fog, the shots in the air and the objectives",
    "the ground's resources",
    "the buildings (their queues, upgrades and work)",
    "the units (their orders, AI state, facing and speed)",
    "the items on the ground",
    "the fuel vents",
    "the AI's raids",
    "the visited map"};

}  // namespace

bool SaveDigest::operator==(const SaveDigest& other) const
{
    return std::equal(parts, parts + SAVE_PARTS, other.parts);
}

static_assert(SAVE_VISITED - SAVE_RIG_AND_OBJECTIVES == Scene::LEVEL_PARTS, "a save part for each of the level's");

SaveDigest DigestSave()
{
    SaveDigest digest;
    const std::string profile = GetPlayerProfile()->Text(true);
    digest.parts[SAVE_PROFILE] = HashOf(profile.data(), profile.size());
    // Each part hashed as the save writes it to its file.
    HashingStream streams[Scene::LEVEL_PARTS];
    FILE* files[Scene::LEVEL_PARTS] = {};
    bool opened = true;
    for (int i = 0; i < Scene::LEVEL_PARTS; ++i) opened = (files[i] = streams[i].file) && opened;
    if (opened && !TheScene.IsWalking()) TheScene.WriteLevelParts(files, false);
    for (int i = 0; i < Scene::LEVEL_PARTS; ++i) digest.parts[SAVE_RIG_AND_OBJECTIVES + i] = streams[i].Hash();
    const std::vector<uint8_t>& visited = TheMinimap.fog.markers;
    digest.parts[SAVE_VISITED] = HashOf(reinterpret_cast<const char*>(visited.data()), visited.size());
    return digest;
}

std::string SaveDifference(const SaveDigest& recorded, const SaveDigest& now)
{
    for (int i = 0; i < SAVE_PARTS; ++i)
        if (recorded.parts[i] != now.parts[i]) return std::string("what a save holds of ") + SAVE_PART_NAMES[i];
    return std::string();
}
