#pragma once
// A package (.pkb): a directory of named entries followed by their data. Entries are found by
// name without regard to case and handed out either from one block read at open time
// (preloaded) or one by one on first use. The bytes stay owned by the package.
//
// Layout (little-endian): 16-byte header of four 32-bit words whose third is the entry count
// N; N directory entries of 272 bytes; the entry data, each offset counted from the start of
// the data (16 + N x 272). A preloaded package expects the data back to back in directory order.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

class PackageFile {
public:
    // One directory entry exactly as stored in the file.
    struct Entry {
        char name[128];        // the key looked up
        char secondName[128];  // shown in duplicate warnings (the writer stores the source path)
        uint32_t size;
        uint32_t offset;
        uint32_t runtime;      // zero in the file; loaded data is kept in a table of our own
        uint32_t reserved;
    };
    static_assert(sizeof(Entry) == 272, "package directory entries are 272 bytes");
    static constexpr size_t HEADER_SIZE = 16;
    static constexpr size_t ENTRY_SIZE = 272;
    // The first header word of every package the data build writes ("PKB" and a zero).
    static constexpr uint32_t SIGNATURE = 0x00424B50;

    PackageFile();
    ~PackageFile();
    PackageFile(const PackageFile&) = delete;
    PackageFile& operator=(const PackageFile&) = delete;

    // Opens a package (the path goes through FixPath). A missing, truncated or inconsistent
    // file leaves the package empty, logged with an "ERROR" line; returns whether it opened.
    // One without the signature is logged with a "WARNING" line and read as far as it holds
    // together. A package of N bytes costs its directory (at most N) and, preloaded, its data.
    bool Open(const char* path, bool preload);
    // Index of the entry called name (without regard to case; the last one of duplicates), or -1.
    int FindEntry(const char* name);
    // The entry's bytes and their size, or null (size untouched) when there is no such entry.
    const unsigned char* GetData(const char* name, unsigned* size);
    // Frees a lazily loaded entry's bytes; the next GetData reads them again.
    void ReleaseData(const char* name);
    void Close();

    // The developer's self-test of the reader (the console's "test"): opens the package at the
    // path preloaded, fetches "env_glow.fx" from it, logs what it found and closes it again.
    // True when the entry was there.
    static constexpr const char* TEST_PACKAGE = "c:/tmp/paktest/pakfile.pkb";
    static bool Test(const char* path = TEST_PACKAGE);

    const char* GetName() const { return name_; }
    int GetEntryCount() const { return (int)directory_.size(); }
    // The name of entry index (0 .. GetEntryCount() - 1), or null.
    const char* GetEntryName(int index) const
    {
        return index >= 0 && index < (int)directory_.size() ? directory_[(size_t)index].name : nullptr;
    }
    bool IsPreloaded() const { return block_ != nullptr; }

private:
    bool Fail(const char* what);

    char name_[128];
    uint32_t header_[4] = {0, 0, 0, 0};
    std::vector<Entry> directory_;
    std::vector<std::unique_ptr<unsigned char[]>> loaded_;  // lazily loaded data, by entry
    std::unique_ptr<unsigned char[]> block_;                // preloaded data area
    FILE* file_ = nullptr;
    uint64_t dataStart_ = 0;
};
