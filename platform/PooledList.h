#pragma once
// PooledList: a singly linked list whose nodes all come from one array allocated by Init,
// with a free chain of the unused nodes, so pushing and removing never allocate. The game
// keeps pointers and ints (4-byte payloads), small records (12 bytes) and larger ones
// (60 bytes) in it; any trivially copyable payload works the same way.
//
// NamedHashTable: buckets of PooledLists of named nodes, looked up without regard to case.
// Textures and the named commands use 127 buckets, the string tables 227.
#include <cstddef>
#include <cstring>
#include <new>
#include <type_traits>

template <typename T>
class PooledList {
public:
    struct Node {
        T value;
        Node* next;
    };

    Node* head = nullptr;
    Node* tail = nullptr;
    Node* freeHead = nullptr;
    Node* nodes = nullptr;
    int count = 0;
    int capacity = 0;

    PooledList() = default;
    ~PooledList() { Free(); }
    PooledList(const PooledList&) = delete;
    PooledList& operator=(const PooledList&) = delete;

    // Allocates the pool (payloads zeroed); false when the memory is not there. A list that
    // was initialised before gives its old pool back first.
    bool Init(int nodeCount)
    {
        static_assert(std::is_trivially_copyable<T>::value, "pooled payloads are plain records");
        Free();
        if (nodeCount < 0) nodeCount = 0;
        if (nodeCount > 0) {
            nodes = new (std::nothrow) Node[nodeCount]();
            if (!nodes) return false;
            for (int i = 0; i < nodeCount; ++i) nodes[i].next = i + 1 < nodeCount ? &nodes[i + 1] : nullptr;
            freeHead = &nodes[0];
        }
        capacity = nodeCount;
        return true;
    }

    // Appends at the tail. A list whose pool is used up refuses the value (false) and stays
    // as it was; the caller decides whether that is worth a log line.
    bool PushBack(const T& value)
    {
        Node* node = freeHead;
        if (!node) return false;
        freeHead = node->next;
        node->value = value;
        node->next = nullptr;
        if (tail)
            tail->next = node;
        else
            head = node;
        tail = node;
        ++count;
        return true;
    }

    // Links the value in right after a node of the list (at the head when after is null);
    // returns its node. Refused like PushBack (null) when the pool is used up.
    Node* InsertAfter(Node* after, const T& value)
    {
        Node* node = freeHead;
        if (!node) return nullptr;
        freeHead = node->next;
        node->value = value;
        if (after) {
            node->next = after->next;
            after->next = node;
        } else {
            node->next = head;
            head = node;
        }
        if (tail == after) tail = node;
        ++count;
        return node;
    }

    // Unlinks the first node whose payload equals value; false when there is none.
    bool Remove(const T& value)
    {
        Node* previous = nullptr;
        for (Node* node = head; node; previous = node, node = node->next) {
            if (!(node->value == value)) continue;
            Unlink(previous, node);
            return true;
        }
        return false;
    }

    // Gives a used node back to the pool; previous is the node before it (null for the head).
    void Unlink(Node* previous, Node* node)
    {
        if (previous)
            previous->next = node->next;
        else
            head = node->next;
        if (tail == node) tail = previous;
        node->next = freeHead;
        freeHead = node;
        --count;
    }

    void Clear()
    {
        if (tail) {
            tail->next = freeHead;
            freeHead = head;
        }
        head = tail = nullptr;
        count = 0;
    }

    void Free()
    {
        delete[] nodes;
        nodes = nullptr;
        head = tail = freeHead = nullptr;
        count = 0;
        capacity = 0;
    }

    bool IsFull() const { return freeHead == nullptr; }
};

// The bucket of a name in a table of bucketCount buckets: the one name hash of the game (the
// texture manager, the string tables and the command registry share it). Letters are folded to
// lower case first, so every spelling of a name lands in the bucket its case-insensitive lookup
// searches. An empty name (or no table) gives 0.
int NamedTableBucket(const char* name, int bucketCount);
bool NamesEqualNoCase(const char* a, const char* b);

template <typename Value, size_t NameSize>
class NamedHashTable {
public:
    struct Node {
        char name[NameSize];
        Value value;
    };
    using Bucket = PooledList<Node>;

    Bucket* buckets = nullptr;
    int bucketCount = 0;
    int nodesPerBucket = 0;

    NamedHashTable() = default;
    ~NamedHashTable() { Free(); }
    NamedHashTable(const NamedHashTable&) = delete;
    NamedHashTable& operator=(const NamedHashTable&) = delete;

    bool Init(int bucketTotal, int nodesEach)
    {
        Free();
        if (bucketTotal <= 0 || nodesEach < 0) return false;
        buckets = new (std::nothrow) Bucket[bucketTotal];
        if (!buckets) return false;
        bucketCount = bucketTotal;
        nodesPerBucket = nodesEach;
        for (int i = 0; i < bucketCount; ++i) {
            if (!buckets[i].Init(nodesEach)) {
                Free();
                return false;
            }
        }
        return true;
    }

    void Free()
    {
        delete[] buckets;
        buckets = nullptr;
        bucketCount = 0;
        nodesPerBucket = 0;
    }

    bool IsReady() const { return buckets != nullptr; }
    int BucketOf(const char* name) const { return NamedTableBucket(name, bucketCount); }
    static bool NameFits(const char* name) { return name && strlen(name) < NameSize; }

    // False when the name's bucket has no free node left.
    bool HasRoomFor(const char* name) const { return buckets && !buckets[BucketOf(name)].IsFull(); }

    // Appends (an existing name is not looked for). False when the table is not ready, the
    // name is too long for a node or its bucket is full: nothing is stored then.
    bool Insert(const char* name, const Value& value)
    {
        if (!buckets || !NameFits(name)) return false;
        Node node;
        memset(&node, 0, sizeof node);
        memcpy(node.name, name, strlen(name) + 1);
        node.value = value;
        return buckets[BucketOf(name)].PushBack(node);
    }

    // The first node of the name's bucket whose name equals the key without regard to case.
    const Node* FindNode(const char* name) const
    {
        if (!buckets || !name) return nullptr;
        for (const typename Bucket::Node* node = buckets[BucketOf(name)].head; node; node = node->next)
            if (NamesEqualNoCase(node->value.name, name)) return &node->value;
        return nullptr;
    }

    const Value* Find(const char* name) const
    {
        const Node* node = FindNode(name);
        return node ? &node->value : nullptr;
    }

    int Count() const
    {
        int total = 0;
        for (int i = 0; i < bucketCount; ++i) total += buckets[i].count;
        return total;
    }
};
