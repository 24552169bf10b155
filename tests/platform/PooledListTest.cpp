#include "platform/PooledList.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

template <typename T>
std::vector<T> Values(const PooledList<T>& list)
{
    std::vector<T> out;
    for (auto* node = list.head; node; node = node->next) out.push_back(node->value);
    return out;
}

template <typename T>
bool NodeInPool(const PooledList<T>& list, const typename PooledList<T>::Node* node)
{
    return node >= list.nodes && node < list.nodes + list.capacity;
}

struct Record12 {
    int a, b, c;
    bool operator==(const Record12& o) const { return a == o.a && b == o.b && c == o.c; }
};
struct Record60 {
    float values[15];
    bool operator==(const Record60& o) const { return memcmp(values, o.values, sizeof values) == 0; }
};
static_assert(sizeof(Record12) == 12 && sizeof(Record60) == 60, "the game's payload sizes");

}  // namespace

TEST(PooledList, FullPoolRefusesAndClearGivesEveryNodeBack)
{
    PooledList<int> list;
    ASSERT_TRUE(list.Init(4));
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < 4; ++i) EXPECT_TRUE(list.PushBack(i + 10 * round));
        EXPECT_FALSE(list.PushBack(99)) << "a full pool refuses";
        EXPECT_EQ(list.count, 4);
        EXPECT_EQ(Values(list), (std::vector<int>{10 * round, 1 + 10 * round, 2 + 10 * round, 3 + 10 * round}));
        for (auto* node = list.head; node; node = node->next) EXPECT_TRUE(NodeInPool(list, node));
        list.Clear();
        EXPECT_EQ(list.count, 0);
        EXPECT_EQ(list.head, nullptr);
        EXPECT_EQ(list.tail, nullptr);
    }
    EXPECT_EQ(list.capacity, 4);

    PooledList<int> empty;
    ASSERT_TRUE(empty.Init(0));
    EXPECT_FALSE(empty.PushBack(1));
}

TEST(PooledList, RemoveTakesTheFirstMatchAndKeepsTheTail)
{
    PooledList<void*> list;
    ASSERT_TRUE(list.Init(8));
    int a, b, c;
    for (void* p : {(void*)&a, (void*)&b, (void*)&a, (void*)&c}) list.PushBack(p);

    EXPECT_TRUE(list.Remove(&a));
    EXPECT_EQ(Values(list), (std::vector<void*>{&b, &a, &c}));
    EXPECT_TRUE(list.Remove(&c));
    EXPECT_EQ(list.tail->value, &a) << "removing the tail makes the previous node the tail";
    EXPECT_FALSE(list.Remove(&c));
    list.PushBack(&c);
    EXPECT_EQ(Values(list), (std::vector<void*>{&b, &a, &c}));
    EXPECT_TRUE(list.Remove(&b));
    EXPECT_TRUE(list.Remove(&a));
    EXPECT_TRUE(list.Remove(&c));
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(list.head, nullptr);
    EXPECT_EQ(list.tail, nullptr);
    // Every node went back to the free chain.
    for (int i = 0; i < 8; ++i) EXPECT_TRUE(list.PushBack(&a));
    EXPECT_FALSE(list.PushBack(&a));
}

TEST(NamedHashTable, HashFoldsCaseAndKeepsItsFormula)
{
    struct Case {
        const char* name;
        int buckets;
        int bucket;
    };
    const Case cases[] = {
        {"", 127, 0},
        {"AB", 127, 6},
        {"data/textures/terrain_grass.dds", 127, 58},
        {"DATA/Textures/Terrain_Grass.DDS", 127, 58},
        {"Caf\xc3\xa9 Noir", 127, 33},  // bytes above 127 count as negative
        {"anything", 0, 0},  // no buckets: no division by zero
    };
    for (const Case& c : cases) EXPECT_EQ(NamedTableBucket(c.name, c.buckets), c.bucket) << c.name;
    EXPECT_EQ(NamedTableBucket(nullptr, 127), 0);
}

TEST(NamedHashTable, FullBucketRefusesAndLookupsIgnoreCase)
{
    NamedHashTable<int, 8> table;
    ASSERT_TRUE(table.Init(1, 2));
    EXPECT_TRUE(table.Insert("Alpha", 1));
    EXPECT_TRUE(table.Insert("alpha", 2));
    EXPECT_FALSE(table.Insert("beta", 3)) << "the one bucket is full";
    EXPECT_FALSE(table.Insert("toolong12", 4)) << "names must fit their field";
    ASSERT_NE(table.Find("ALPHA"), nullptr);
    EXPECT_EQ(*table.Find("ALPHA"), 1) << "the first node in chain order wins";
    EXPECT_EQ(table.Find("beta"), nullptr);
    EXPECT_EQ(table.Count(), 2);

    NamedHashTable<int, 32> wide;
    ASSERT_TRUE(wide.Init(127, 8));
    EXPECT_TRUE(wide.Insert("Terrain_Grass", 7));
    ASSERT_NE(wide.Find("tErRaIn_gRaSs"), nullptr) << "every spelling lands in the same bucket";
    EXPECT_EQ(*wide.Find("tErRaIn_gRaSs"), 7);
}
