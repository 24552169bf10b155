#include "mechanics/SceneList.h"

#include <new>

// ---- HeldEntities: open addressing, probed linearly, at most half full; an emptied slot is
// filled by shifting back the run after it, so a lookup stops at the first empty slot.

HeldEntities::~HeldEntities()
{
    delete[] slots_;
}

int HeldEntities::Home(const Entity* entity) const
{
    const uint64_t key = (uint64_t)(uintptr_t)entity * 0x9E3779B97F4A7C15ull;
    return shift_ >= 64 ? 0 : (int)(key >> shift_);
}

int HeldEntities::Find(const Entity* entity) const
{
    const int mask = size_ - 1;
    int i = Home(entity);
    while (slots_[i].entity && slots_[i].entity != entity) i = (i + 1) & mask;
    return i;
}

int HeldEntities::Count(const Entity* entity) const
{
    if (!slots_ || !entity) return 0;
    return slots_[Find(entity)].count;
}

bool HeldEntities::Reserve(int nodes)
{
    if (nodes <= 0) return true;
    const int room = room_ + nodes;
    int size = 16, shift = 60;
    while (size < 2 * room) size *= 2, --shift;
    if (size > size_) {
        Slot* slots = new (std::nothrow) Slot[size]();
        if (!slots) return false;
        Slot* old = slots_;
        const int oldSize = size_;
        slots_ = slots;
        size_ = size;
        shift_ = shift;
        for (int i = 0; i < oldSize; ++i)
            if (old[i].entity) slots_[Find(old[i].entity)] = old[i];
        delete[] old;
    }
    room_ = room;
    return true;
}

void HeldEntities::Release(int nodes)
{
    room_ -= nodes > 0 ? nodes : 0;
    if (room_ < 0) room_ = 0;
}

void HeldEntities::Add(const Entity* entity)
{
    Slot& slot = slots_[Find(entity)];
    slot.entity = entity;
    ++slot.count;
}

void HeldEntities::Drop(const Entity* entity)
{
    int i = Find(entity);
    if (!slots_[i].entity || --slots_[i].count > 0) return;
    const int mask = size_ - 1;
    for (int j = (i + 1) & mask; slots_[j].entity; j = (j + 1) & mask) {
        // An entry whose home lies cyclically in (i, j] is still reached from there.
        const int home = Home(slots_[j].entity);
        const bool reached = i <= j ? (i < home && home <= j) : (i < home || home <= j);
        if (reached) continue;
        slots_[i] = slots_[j];
        i = j;
    }
    slots_[i] = Slot{nullptr, 0};
}

// ---- SceneList

bool SceneList::Init(int nodeCount)
{
    Free();
    if (nodeCount < 0) nodeCount = 0;
    if (nodeCount > 0) {
        if (held_ && !held_->Reserve(nodeCount)) return false;
        pool_ = new (std::nothrow) SceneListNode[nodeCount]();
        if (!pool_) {
            if (held_) held_->Release(nodeCount);
            return false;
        }
        for (int i = 0; i < nodeCount; ++i) pool_[i].next = i + 1 < nodeCount ? &pool_[i + 1] : nullptr;
        freeHead_ = &pool_[0];
    }
    capacity_ = nodeCount;
    return true;
}

void SceneList::Free()
{
    Clear();
    if (held_) held_->Release(capacity_);
    delete[] pool_;
    pool_ = nullptr;
    freeHead_ = nullptr;
    capacity_ = 0;
}

SceneListNode* SceneList::Take(Entity* entity)
{
    SceneListNode* node = Writable(freeHead_);
    if (!node) return nullptr;
    freeHead_ = node->next;
    node->value = entity;
    if (held_) held_->Add(entity);
    ++count_;
    return node;
}

bool SceneList::PushBack(Entity* entity)
{
    SceneListNode* node = Take(entity);
    if (!node) return false;
    node->next = nullptr;
    if (tail_)
        Writable(tail_)->next = node;
    else
        head_ = node;
    tail_ = node;
    return true;
}

SceneList::Node* SceneList::InsertAfter(Node* after, Entity* entity)
{
    SceneListNode* node = Take(entity);
    if (!node) return nullptr;
    if (after) {
        node->next = after->next;
        Writable(after)->next = node;
    } else {
        node->next = head_;
        head_ = node;
    }
    if (tail_ == after) tail_ = node;
    return node;
}

bool SceneList::Remove(const Entity* entity)
{
    Node* previous = nullptr;
    for (Node* node = head_; node; previous = node, node = node->next)
        if (node->value == entity) {
            Unlink(previous, node);
            return true;
        }
    return false;
}

void SceneList::Unlink(Node* previous, Node* node)
{
    if (!node) return;
    if (previous)
        Writable(previous)->next = node->next;
    else
        head_ = node->next;
    if (tail_ == node) tail_ = previous;
    if (held_) held_->Drop(node->value);
    Writable(node)->next = freeHead_;
    freeHead_ = node;
    --count_;
}

void SceneList::Clear()
{
    if (held_)
        for (Node* node = head_; node; node = node->next) held_->Drop(node->value);
    if (tail_) {
        Writable(tail_)->next = freeHead_;
        freeHead_ = head_;
    }
    head_ = tail_ = nullptr;
    count_ = 0;
}
