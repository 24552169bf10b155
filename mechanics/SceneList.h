#pragma once
// SceneList: a list of the Scene's entities. Like a PooledList its nodes come from one array
// allocated by Init, so linking and unlinking never allocate; unlike one, a list can be
// changed only through its own operations, and each of them tells the Scene's HeldEntities
// what the list gained or lost. Everyone else sees the nodes read-only (Node is const), so
// nothing can slip an entity into or out of a list behind the count's back.
//
// HeldEntities: how many nodes of the lists that share it hold each entity. The Scene asks it
// whether a pointer an EntityRef kept is still one of its own, in a lookup instead of a walk
// of every list; the pointer is only compared, never followed, as it may have been freed.
#include <cstdint>

class Entity;
class SceneList;

class HeldEntities {
public:
    HeldEntities() = default;
    ~HeldEntities();
    HeldEntities(const HeldEntities&) = delete;
    HeldEntities& operator=(const HeldEntities&) = delete;

    // How many nodes of the lists hold the entity (it may stand in two lists, or twice in one).
    int Count(const Entity* entity) const;
    bool Holds(const Entity* entity) const { return Count(entity) > 0; }

private:
    friend class SceneList;
    struct Slot {
        const Entity* entity;
        int count;
    };
    // Room for that many more nodes' entities (a list's pool), so that Add never allocates;
    // false when the memory is not there.
    bool Reserve(int nodes);
    void Release(int nodes);
    void Add(const Entity* entity);
    void Drop(const Entity* entity);
    // The slot holding the entity, or the empty one where it would go.
    int Find(const Entity* entity) const;
    int Home(const Entity* entity) const;

    Slot* slots_ = nullptr;
    int size_ = 0;  // a power of two, at least twice the room
    int shift_ = 64;
    int room_ = 0;
};

struct SceneListNode {
    Entity* value;
    const SceneListNode* next;
};

class SceneList {
public:
    using Node = const SceneListNode;

    // A list with no count beside it (the Scene's templates, and lists a test makes alone).
    SceneList() = default;
    explicit SceneList(HeldEntities* held) : held_(held) {}
    ~SceneList() { Free(); }
    SceneList(const SceneList&) = delete;
    SceneList& operator=(const SceneList&) = delete;

    // Read-only: the first node (null when empty) and the number of nodes.
    Node* const& head = head_;
    const int& count = count_;

    // Allocates the pool; false when the memory is not there. A list that was initialised
    // before lets go of its entities and its pool first.
    bool Init(int nodeCount);
    // Lets go of every entity and of the pool.
    void Free();
    bool IsReady() const { return pool_ != nullptr; }
    bool IsFull() const { return freeHead_ == nullptr; }

    // Appends at the tail; false, the list unchanged, when the pool is used up.
    bool PushBack(Entity* entity);
    // Right after a node of this list (at the head when after is null); null when the pool is
    // used up.
    Node* InsertAfter(Node* after, Entity* entity);
    // Unlinks the first node holding the entity; false when there is none.
    bool Remove(const Entity* entity);
    // Unlinks a node of this list; previous is the node before it (null for the head).
    void Unlink(Node* previous, Node* node);
    void Clear();

private:
    static SceneListNode* Writable(Node* node) { return const_cast<SceneListNode*>(node); }
    SceneListNode* Take(Entity* entity);

    SceneListNode* pool_ = nullptr;
    Node* head_ = nullptr;
    Node* tail_ = nullptr;
    Node* freeHead_ = nullptr;
    int count_ = 0;
    int capacity_ = 0;
    HeldEntities* held_ = nullptr;
};
