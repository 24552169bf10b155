// The world's sums, as a replay takes them: every field an entity is summed by moves the sum a
// replay keeps at a check, in every way of summing a replay may hold, and the digests name the
// entity and the field; the sum of a tick without a check is the same game's or not as the
// check's would be, and the older sums do not depend on whether the entities' digests were kept.
#include "host/WorldGuard.h"
#include "mechanics/WorldChecksum.h"
#include "tests/mechanics/SceneTestSupport.h"

#include <cstring>
#include <functional>

namespace {

class WorldChecksumTest : public SceneTest {};

TEST_F(WorldChecksumTest, EveryFieldOfAnEntityMovesTheSumAndTheDigestNamesIt)
{
    const WorldChangeScope staging;
    Entity* first = Place(NewEntity(ENTITY_STATIC), 4.0f);
    Entity* second = Place(NewEntity(ENTITY_STATIC), 8.0f);
    strcpy(first->name, "boulder");
    strcpy(second->name, "rock_with_a_long_name_of_its_own");
    ASSERT_NE(TheScene.AddEntity(first), nullptr);
    ASSERT_NE(TheScene.AddEntity(second), nullptr);
    // The level lists the newest first: the first rock is the second entity.
    const struct {
        const char* what;
        std::function<void()> change;
        std::function<void()> undo;
        const char* named;
        bool seenEveryTick;  // by the wide sum of a tick without a check too
    } table[] = {
        {"a letter of the name", [&] { first->name[3] = 'Z'; }, [&] { first->name[3] = 'l'; }, "name and flags", false},
        {"a letter of a long name past its first words", [&] { second->name[20] = 'X'; },
         [&] { second->name[20] = 'e'; }, "name and flags", false},
        {"a flag", [&] { first->flags |= ENTITY_COLLISION; }, [&] { first->flags &= ~ENTITY_COLLISION; }, "name and flags",
         true},
        {"the place, by a hair", [&] { first->SetPosition(Vec3(std::nextafter(4.0f, 5.0f), 0.0f, 0.0f)); },
         [&] { first->SetPosition(Vec3(4.0f, 0.0f, 0.0f)); }, "place", true},
        {"the height", [&] { first->SetPosition(Vec3(4.0f, 1.0f, 0.0f)); }, [&] { first->SetPosition(Vec3(4.0f, 0.0f, 0.0f)); },
         "place", true},
        {"the hull", [&] { first->health += 1.0f; }, [&] { first->health -= 1.0f; }, "health", true},
        {"the shield", [&] { first->shield += 1.0f; }, [&] { first->shield -= 1.0f; }, "health", true},
        {"found by the player", [&] { first->discovered = 1; }, [&] { first->discovered = 0; }, "found", false},
    };
    for (const WorldSumKind kind : {WORLD_SUM_BYTES, WORLD_SUM_WORDS, WORLD_SUM_WIDE}) {
        const WorldDigest before = DigestWorld(kind);
        ASSERT_EQ(before.EntityCount(), 2u);
        WorldDigest tick;
        DigestWorld(&tick, kind, false);
        // The sums by bytes and by words are what older replays hold at every tick, with the
        // entities' digests or without.
        if (kind != WORLD_SUM_WIDE) {
            EXPECT_EQ(tick.sum, before.sum) << kind;
        }
        EXPECT_TRUE(tick.entities.empty());
        for (const auto& row : table) {
            SCOPED_TRACE(std::string(row.what) + ", sum kind " + std::to_string(kind));
            row.change();
            const WorldDigest after = DigestWorld(kind);
            WorldDigest afterTick;
            DigestWorld(&afterTick, kind, false);
            row.undo();
            EXPECT_NE(after.sum, before.sum);
            EXPECT_EQ(afterTick.sum != tick.sum, kind != WORLD_SUM_WIDE || row.seenEveryTick);
            const std::string where = FirstDifference(before, after);
            // Four bits a field: one change in sixteen would slip by, not these.
            EXPECT_NE(where.find(std::string("): ") + row.named), std::string::npos) << where;
        }
        EXPECT_EQ(DigestWorld(kind).sum, before.sum) << "each change undone";
    }
    // Two entities the same but for their order in the list are another level.
    {
        strcpy(second->name, "boulder");
        second->SetPosition(first->GetPosition());
        const uint64_t same = DigestWorld(WORLD_SUM_WIDE).sum;
        second->flags |= ENTITY_COLLISION;
        const uint64_t secondFlagged = DigestWorld(WORLD_SUM_WIDE).sum;
        second->flags &= ~ENTITY_COLLISION;
        first->flags |= ENTITY_COLLISION;
        EXPECT_NE(DigestWorld(WORLD_SUM_WIDE).sum, secondFlagged);
        first->flags &= ~ENTITY_COLLISION;
        EXPECT_EQ(DigestWorld(WORLD_SUM_WIDE).sum, same);
    }
}

// What the player has, outside the entities: every tick's sum moves with it, in every way of
// summing, and the world's groups name it.
TEST_F(WorldChecksumTest, ThePlayersResourcesAndPatternsMoveEveryTicksSum)
{
    const WorldChangeScope staging;
    // The catalogue filled, whatever it held: the last pattern of the most there can be.
    AgentType* last = nullptr;
    while (!game.agentTypes->types.IsFull())
        last = game.agentTypes->DefineType(NewAgent(ALIGN_PLAYER), ("pattern" + std::to_string(game.agentTypes->types.count)).c_str());
    ASSERT_NE(last, nullptr);
    PlayerProfile* profile = GetPlayerProfile();
    ASSERT_NE(profile, nullptr);
    const struct {
        const char* what;
        std::function<void()> change;
    } table[] = {
        {"the ore, by a hair", [&] { profile->ore = std::nextafter(profile->ore, 1e9f); }},
        {"the credits", [&] { profile->credits += 1; }},
        {"the last pattern learnt", [&] { last->flags ^= AGENT_TYPE_OWNED; }},
    };
    for (const WorldSumKind kind : {WORLD_SUM_BYTES, WORLD_SUM_WORDS, WORLD_SUM_WIDE})
        for (const auto& row : table) {
            SCOPED_TRACE(std::string(row.what) + ", sum kind " + std::to_string(kind));
            WorldDigest before, after;
            DigestWorld(&before, kind, false);
            const float ore = profile->ore;
            const int credits = profile->credits;
            const uint32_t flags = last->flags;
            row.change();
            DigestWorld(&after, kind, false);
            profile->ore = ore;
            profile->credits = credits;
            last->flags = flags;
            EXPECT_NE(after.sum, before.sum);
            EXPECT_EQ(WorldGroupDifference(before.world, after), "the player's resources, bag or patterns");
        }
}

}  // namespace
