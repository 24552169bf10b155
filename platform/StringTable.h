#pragma once
// The game's texts by tag ("<tip3>", "<intro_1>"), read from the four files under
// data/strings. Every text lives in one preallocated pool; lookups ignore case.
#include "host/Lexer.h"
#include "platform/PooledList.h"

#include <cstddef>

class StringTable {
public:
    static constexpr size_t POOL_SIZE = 65536;
    static constexpr int BUCKET_COUNT = 227;
    static constexpr int TAGS_PER_BUCKET = 11;
    static constexpr size_t TAG_SIZE = 32;  // at most 31 characters

    using Table = NamedHashTable<const char*, TAG_SIZE>;
    using Node = Table::Node;

    StringTable() = default;
    ~StringTable();
    StringTable(const StringTable&) = delete;
    StringTable& operator=(const StringTable&) = delete;

    // Allocates the pool and the buckets, then loads game, mission, tech and log strings.
    bool Init();
    // Parses one file into the table; a file that cannot be opened is logged and skipped.
    // False when it could not be opened or something in it had to be refused. The texts go to
    // the fixed pool: a file of N bytes costs N more while it is read, and nothing after.
    bool LoadFile(const char* path);
    // Appends a node to its bucket; false (logged) when the bucket is full.
    bool Insert(int bucket, const Node& node);
    // The text of a tag, or null when the tag is absent (or the table is not loaded).
    const char* Lookup(const char* tag) const;
    // Drops every text and loads the files again.
    bool Reload();
    // The rest of a continuation line: blanks, tabs and quotes skipped, then up to the end of
    // the line or a quote; a rest that begins with "<" stops after its first ">".
    static int ReadText(Lexer& in, char* out, size_t outSize);

    size_t PoolUsed() const { return used_; }
    int TagCount() const { return table_.IsReady() ? table_.Count() : 0; }

private:
    void Release();
    // Appends text (with its terminating zero) to the pool; null when it does not fit.
    char* Store(const char* text);

    char* pool_ = nullptr;
    size_t used_ = 0;
    Table table_;
};

extern StringTable* Strings;

// The text of a tag in the game's tables; an empty text when they lack it or are not loaded.
const char* GameText(const char* tag);
