// The Scene's lists and the count of the entities they hold: whatever is done to the lists,
// in whatever order, the count of each entity is the number of nodes that hold it, as a walk of
// the lists finds it. The entities are only addresses here: neither the lists nor the count
// ever look inside one.
#include "mechanics/SceneList.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

constexpr int UNIVERSE = 48;
alignas(64) char storage[UNIVERSE * 64];

Entity* Fake(int i) { return reinterpret_cast<Entity*>(storage + 64 * i); }

int Holding(const SceneList& list, const Entity* entity)
{
    int n = 0;
    for (const SceneListNode* node = list.head; node; node = node->next) n += node->value == entity;
    return n;
}

SceneList::Node* NodeAt(const SceneList& list, int index, SceneList::Node** previous)
{
    *previous = nullptr;
    SceneList::Node* node = list.head;
    for (int i = 0; i < index && node; ++i) *previous = node, node = node->next;
    return node;
}

}  // namespace

TEST(SceneList, TheCountFollowsEveryChangeOfEveryList)
{
    HeldEntities held;
    // Small pools, so that the count's table is small and its entries collide and wrap round.
    SceneList lists[3] = {SceneList(&held), SceneList(&held), SceneList(&held)};
    for (SceneList& list : lists) ASSERT_TRUE(list.Init(5));
    SceneList alone;  // no count beside it: what it holds is never counted
    ASSERT_TRUE(alone.Init(5));

    enum { PUSH, INSERT, REMOVE, UNLINK, CLEAR, REINIT, OPERATIONS };
    const char* names[OPERATIONS] = {"PushBack", "InsertAfter", "Remove", "Unlink", "Clear", "Init"};
    std::mt19937 random(91);
    for (int step = 0; step < 20000; ++step) {
        const int which = (int)(random() % 4);
        SceneList& list = which < 3 ? lists[which] : alone;
        // Clearing and starting over are rarer than the rest, as in a level.
        const int roll = (int)(random() % 100);
        const int operation = roll < 30 ? PUSH : roll < 60 ? INSERT : roll < 75 ? REMOVE : roll < 95 ? UNLINK : roll < 98 ? CLEAR : REINIT;
        Entity* entity = Fake((int)(random() % UNIVERSE));
        const int before = list.count;
        switch (operation) {
        case PUSH:
            EXPECT_EQ(list.PushBack(entity), before < 5);
            break;
        case INSERT: {
            SceneList::Node* previous;
            SceneList::Node* after = NodeAt(list, before ? (int)(random() % (unsigned)(before + 1)) : 0, &previous);
            EXPECT_EQ(list.InsertAfter(after, entity) != nullptr, before < 5);
            break;
        }
        case REMOVE: {
            const bool had = Holding(list, entity) > 0;
            EXPECT_EQ(list.Remove(entity), had);
            break;
        }
        case UNLINK:
            if (before > 0) {
                SceneList::Node* previous;
                SceneList::Node* node = NodeAt(list, (int)(random() % (unsigned)before), &previous);
                list.Unlink(previous, node);
            }
            break;
        case CLEAR:
            list.Clear();
            break;
        case REINIT:
            ASSERT_TRUE(list.Init(5));
            break;
        }
        for (int i = 0; i < UNIVERSE; ++i) {
            const int expected = Holding(lists[0], Fake(i)) + Holding(lists[1], Fake(i)) + Holding(lists[2], Fake(i));
            ASSERT_EQ(held.Count(Fake(i)), expected) << "entity " << i << " after " << names[operation] << " at step " << step;
        }
        int walked = 0;
        for (const SceneListNode* node = list.head; node; node = node->next) ++walked;
        ASSERT_EQ(list.count, walked) << names[operation] << " at step " << step;
    }
    EXPECT_EQ(held.Count(nullptr), 0);
    for (SceneList& list : lists) list.Free();
    for (int i = 0; i < UNIVERSE; ++i) EXPECT_EQ(held.Count(Fake(i)), 0) << "a freed list holds nothing";
}
