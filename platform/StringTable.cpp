#include "platform/StringTable.h"

#include "host/Log.h"
#include "host/System.h"
#include "platform/Files.h"

#include <cstring>
#include <new>
#include <string>

StringTable* Strings = nullptr;

const char* GameText(const char* tag)
{
    const char* text = Strings ? Strings->Lookup(tag) : nullptr;
    return text ? text : "";
}

namespace {

const char* const StringFiles[] = {
    "data/strings/game_strings.txt",
    "data/strings/mission_strings.txt",
    "data/strings/tech_strings.txt",
    "data/strings/log_strings.txt",
};

constexpr size_t LINE_SIZE = 4096;

}  // namespace

StringTable::~StringTable()
{
    Release();
}

void StringTable::Release()
{
    table_.Free();
    delete[] pool_;
    pool_ = nullptr;
    used_ = 0;
}

bool StringTable::Init()
{
    Release();
    pool_ = new (std::nothrow) char[POOL_SIZE]();
    if (!pool_ || !table_.Init(BUCKET_COUNT, TAGS_PER_BUCKET)) {
        Log("ERROR StringTable::Init: no memory for the string table\n");
        Release();
        return false;
    }
    bool ok = true;
    for (const char* path : StringFiles) ok = LoadFile(path) && ok;
    return ok;
}

bool StringTable::Reload()
{
    return Init();
}

char* StringTable::Store(const char* text)
{
    size_t length = strlen(text) + 1;
    if (!pool_ || length > POOL_SIZE - used_) return nullptr;
    char* start = pool_ + used_;
    memcpy(start, text, length);
    used_ += length;
    return start;
}

bool StringTable::Insert(int bucket, const Node& node)
{
    if (!table_.IsReady() || bucket < 0 || bucket >= table_.bucketCount) return false;
    if (!table_.buckets[bucket].PushBack(node)) {
        Log("ERROR StringTable: no room left for %s (bucket %d holds %d tags)\n", node.name, bucket,
            table_.nodesPerBucket);
        return false;
    }
    return true;
}

const char* StringTable::Lookup(const char* tag) const
{
    if (!tag || !pool_) return nullptr;
    const char* const* text = table_.Find(tag);
    return text ? *text : nullptr;
}

int StringTable::ReadText(Lexer& in, char* out, size_t outSize)
{
    size_t length = 0;
    int c = in.GetChar();
    while (c == ' ' || c == '\t' || c == '"') c = in.GetChar();
    bool tag = c == '<';
    while (c != Lexer::END && c != '\r' && c != '\n' && c != 0 && c != '"') {
        if (length + 1 < outSize) out[length++] = static_cast<char>(c);
        if (tag && c == '>') break;
        c = in.GetChar();
    }
    if (outSize > 0) out[length] = 0;
    return c;
}

bool StringTable::LoadFile(const char* path)
{
    if (!pool_ || !path) return false;
    FILE* file = OpenDataFile(path, "rb");
    if (!file) {
        Log("ERROR: Could not open string table file %s\n", path);
        return false;
    }
    // The texts go to the fixed pool; the file's own text is held only while it is read.
    std::string source;
    ReadFileText(file, &source);
    fclose(file);
    Lexer in(source.data(), source.size(), STRING_TABLE_RULES, path);

    bool ok = true;
    bool poolFull = false;
    char* lastText = nullptr;  // the text that continuation lines extend; null: drop them
    char token[LINE_SIZE];
    char line[LINE_SIZE];
    std::string value;
    bool reuseToken = false;
    for (;;) {
        if (!reuseToken) {
            const char* next = in.Next();
            if (!next) break;
            CopyText(token, sizeof token, next);
        }
        reuseToken = false;

        if (token[0] == '<') {
            in.ReadLineValue(&value, true);
            CopyText(line, sizeof line, value.c_str());
            lastText = nullptr;
            if (poolFull) continue;
            if (!Table::NameFits(token)) {
                Log("ERROR StringTable: tag longer than %d characters in %s: %s\n", static_cast<int>(TAG_SIZE - 1), path,
                    token);
                ok = false;
                continue;
            }
            int bucket = table_.BucketOf(token);
            if (table_.buckets[bucket].IsFull()) {
                Log("ERROR StringTable: no room left for %s in %s (bucket %d holds %d tags)\n", token, path, bucket,
                    table_.nodesPerBucket);
                ok = false;
                continue;
            }
            FormatDisplayText(line, 0);
            char* text = Store(line);
            if (!text) {
                Log("ERROR StringTable: text pool full (%d bytes) at %s in %s; the rest is skipped\n",
                    static_cast<int>(POOL_SIZE), token, path);
                poolFull = true;
                ok = false;
                continue;
            }
            Node node;
            memset(&node, 0, sizeof node);
            CopyText(node.name, sizeof node.name, token);
            node.value = text;
            Insert(bucket, node);
            lastText = text;
            continue;
        }

        // Any other word carries the last tag's text on to a new line.
        if (strcmp(token, "^") == 0) {
            line[0] = 0;
        } else {
            char rest[LINE_SIZE];
            ReadText(in, rest, sizeof rest);
            // A tag after the word starts the next entry; the word still ends this text.
            bool nextTag = rest[0] == '<';
            CopyText(line, sizeof line, token);
            size_t length = strlen(line);
            if (!nextTag && rest[0] && length + 1 < sizeof line) {
                line[length] = ' ';
                CopyText(line + length + 1, sizeof line - length - 1, rest);
            }
            if (nextTag) {
                CopyText(token, sizeof token, rest);
                reuseToken = true;
            }
        }
        if (!lastText) continue;
        FormatDisplayText(line, 0);
        size_t length = strlen(line);
        // The text ends at the pool's end: its terminator becomes the line break.
        if (length + 1 > POOL_SIZE - used_) {
            if (!poolFull)
                Log("ERROR StringTable: text pool full (%d bytes) in %s; the rest is skipped\n",
                    static_cast<int>(POOL_SIZE), path);
            poolFull = true;
            lastText = nullptr;
            ok = false;
            continue;
        }
        pool_[used_ - 1] = '\n';
        memcpy(pool_ + used_, line, length + 1);
        used_ += length + 1;
    }
    return ok;
}
