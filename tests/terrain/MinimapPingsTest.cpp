// The minimap's alert pings: one ping per entity, restarted at its latest place; a full list
// drops new pings; pings leave after their time in steps of one minimap picture; the last
// damage alert is remembered for the camera; and where the selection's units are headed.
#include "terrain/MinimapPings.h"
#include "tests/world/WorldTestSupport.h"

#include <gtest/gtest.h>

namespace {

int Count(const PingList& pings)
{
    return pings.list.count;
}

const Ping* Find(const PingList& pings, int id)
{
    for (const PooledList<Ping>::Node* node = pings.list.head; node; node = node->next)
        if (node->value.entityId == id) return &node->value;
    return nullptr;
}

TEST(MinimapPings, AnEntityKeepsOnePingAtItsLatestPlace)
{
    PingList pings;
    EXPECT_TRUE(pings.Add(Vec3(10, 0, 10), PING_DAMAGE, 7, 2.0f, 100));
    for (int i = 0; i < 3; ++i) pings.Step();
    EXPECT_TRUE(pings.Add(Vec3(12, 0, 14), PING_DAMAGE, 7, 2.0f, 130));
    ASSERT_EQ(Count(pings), 1);
    EXPECT_FLOAT_EQ(Find(pings, 7)->position.z, 14.0f);
    EXPECT_FLOAT_EQ(Find(pings, 7)->timeLeft, 2.0f) << "restarted";
    EXPECT_EQ(pings.lastAlertFrame, 130);
    EXPECT_FLOAT_EQ(pings.lastAlertPosition.x, 12.0f);

    EXPECT_TRUE(pings.Add(Vec3(-50, 0, 3), PING_DAMAGE, 8, 2.0f, 130));
    EXPECT_EQ(Count(pings), 2) << "two units hit in one frame";
    EXPECT_TRUE(pings.Add(Vec3(0, 0, 0), PING_ORDER, 9, 2.0f, 140));
    EXPECT_EQ(pings.lastAlertFrame, 130) << "an order is no alert";

    pings.RemoveAll();
    EXPECT_EQ(Count(pings), 0);
    EXPECT_EQ(pings.lastAlertFrame, 0);
}

TEST(MinimapPings, AFullListDropsNewPings)
{
    PingList pings;
    for (int id = 0; id < PingList::CAPACITY; ++id) ASSERT_TRUE(pings.Add(Vec3((float)id, 0, 0), PING_DAMAGE, id, 2.0f, 1));
    EXPECT_FALSE(pings.Add(Vec3(), PING_DAMAGE, 99, 2.0f, 2));
    EXPECT_FALSE(pings.Add(Vec3(5, 5, 5), PING_DAMAGE, 3, 2.0f, 2)) << "not even for an entity that has one";
    EXPECT_EQ(Count(pings), PingList::CAPACITY);
    EXPECT_FLOAT_EQ(Find(pings, 3)->position.x, 3.0f);
    EXPECT_EQ(pings.lastAlertFrame, 1);
}

TEST(MinimapPings, APingLastsTwentyPictures)
{
    PingList pings;
    pings.Add(Vec3(), PING_DAMAGE, 1, 2.0f, 1);
    int pictures = 0;
    while (Count(pings) > 0 && pictures < 100) {
        pings.Step();
        ++pictures;
    }
    EXPECT_GE(pictures, 19);
    EXPECT_LE(pictures, 21);
}

TEST(MinimapPings, RemovingTakesTheFirstEqualPing)
{
    PingList pings;
    pings.Add(Vec3(1, 2, 3), PING_ORDER, 4, 2.0f, 1);
    Ping other{Vec3(1, 2, 3.01f), PING_ORDER, 2.0f, 4};
    EXPECT_FALSE(pings.Remove(other));
    Ping same{Vec3(1.0005f, 2, 3), PING_ORDER, 0.5f, 4};
    EXPECT_TRUE(pings.Remove(same));
    EXPECT_EQ(Count(pings), 0);
}

TEST(MinimapPings, ThePulseGrowsOnceASecond)
{
    // At 1024 x 768 the marker starts at 112 x 111 and grows by 40 x 30 over each second.
    const struct {
        float timeLeft;
        int width, height;
    } cases[] = {{1.999f, 112, 111}, {1.5f, 132, 126}, {1.0f, 152, 141}, {0.25f, 142, 133}};
    for (const auto& c : cases) {
        int w = 0, h = 0;
        PingList::PulseSize(c.timeLeft, 1024, 768, &w, &h);
        EXPECT_EQ(w, c.width) << c.timeLeft;
        EXPECT_EQ(h, c.height) << c.timeLeft;
    }
}

class PingDestinations : public WorldTest {};

TEST_F(PingDestinations, TheSelectionShowsWhereItsUnitsAreHeaded)
{
    Vec3 destination, waypoints[16];
    int count = -1;
    Building* factory = NewBuilding(ALIGN_PLAYER);
    EXPECT_FALSE(PingList::FindDestination(factory, &destination, waypoints, 16, &count)) << "no rally point";
    factory->stateFlags |= BUILDING_RALLY_POINT;
    factory->rallyPoint = Vec3(30, 0, -20);
    ASSERT_TRUE(PingList::FindDestination(factory, &destination, waypoints, 16, &count));
    EXPECT_FLOAT_EQ(destination.x, 30.0f);
    EXPECT_EQ(count, 0);
    delete factory;

    Agent* agent = NewAgent(ALIGN_PLAYER);
    EXPECT_FALSE(PingList::FindDestination(agent, &destination, waypoints, 16, &count)) << "standing still";
    agent->classWord |= AGENT_MOVING;
    agent->moveTarget = Vec3(5, 0, 6);
    for (int i = 0; i < 20 && agent->moveQueue.Push(Vec3((float)i, 0, 0)); ++i) {}
    ASSERT_TRUE(PingList::FindDestination(agent, &destination, waypoints, 16, &count));
    EXPECT_FLOAT_EQ(destination.z, 6.0f);
    EXPECT_EQ(count, std::min(agent->moveQueue.Count(), 16));
    EXPECT_FLOAT_EQ(waypoints[1].x, 1.0f);
    agent->moveQueue.Clear();
    agent->classWord &= ~AGENT_MOVING;

    Entity* rock = NewEntity(ENTITY_RESOURCE);
    EXPECT_FALSE(PingList::FindDestination(rock, &destination, waypoints, 16, &count));
    EXPECT_FALSE(PingList::FindDestination(nullptr, &destination, waypoints, 16, &count));
    delete rock;
}

}  // namespace
