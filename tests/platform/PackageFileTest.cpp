#include "platform/PackageFile.h"

#include "content/pkbtool/PackageWriter.h"
#include "host/Log.h"
#include "host/System.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<unsigned char> Bytes(const std::string& text)
{
    return std::vector<unsigned char>(text.begin(), text.end());
}

std::vector<PackageEntry> SampleEntries()
{
    std::vector<PackageEntry> entries;
    entries.push_back({"rig_body.dds", "textures/rig_body.dds", Bytes(std::string("DDS \0\1\2\3 body", 14))});
    entries.push_back({"empty.txt", "misc/empty.txt", {}});
    entries.push_back({"Env_Glow.fx", "effects/env_glow.fx", Bytes("technique main { }\n")});
    std::vector<unsigned char> big(70000);
    for (size_t i = 0; i < big.size(); ++i) big[i] = (unsigned char)(i * 7 + 3);
    entries.push_back({"big.bin", "misc/big.bin", big});
    return entries;
}

// A package spelled out word by word, for files our writer would never make.
struct RawEntry {
    std::string name;
    std::string secondName;
    uint32_t size;
    uint32_t offset;
};
std::string RawPackage(uint32_t count, const std::vector<RawEntry>& entries, const std::string& data)
{
    std::string out(16, '\0');
    memcpy(&out[0], &PackageFile::SIGNATURE, 4);
    memcpy(&out[8], &count, 4);
    for (const RawEntry& e : entries) {
        std::string entry(272, '\0');
        memcpy(&entry[0], e.name.data(), std::min<size_t>(e.name.size(), 128));
        memcpy(&entry[128], e.secondName.data(), std::min<size_t>(e.secondName.size(), 128));
        memcpy(&entry[256], &e.size, 4);
        memcpy(&entry[260], &e.offset, 4);
        out += entry;
    }
    return out + data;
}

std::string WriteRaw(const std::string& bytes)
{
    static int counter = 0;
    static const std::string folder = MakeTempFolder("raw");
    std::string path = folder + "/pack" + std::to_string(++counter) + ".pkb";
    WriteTextFile(path, bytes);
    return path;
}

std::string Fetch(PackageFile& package, const char* name)
{
    unsigned size = 12345;
    const unsigned char* data = package.GetData(name, &size);
    if (!data) return size == 12345 ? "<none>" : "<size changed>";
    return std::string((const char*)data, size);
}

}  // namespace

TEST(PackageFile, WrittenPackagesReadBackTheSame)
{
    std::string path = MakeTempFolder("pkb") + "/sample.pkb";
    std::vector<PackageEntry> entries = SampleEntries();
    std::string error;
    ASSERT_TRUE(WritePackage(path, entries, &error)) << error;

    // The layout the game depends on: count in the third word, data back to back.
    std::string file = ReadTextFile(path);
    size_t dataSize = 0;
    for (const PackageEntry& e : entries) dataSize += e.data.size();
    ASSERT_EQ(file.size(), 16 + entries.size() * 272 + dataSize);
    uint32_t count;
    memcpy(&count, &file[8], 4);
    EXPECT_EQ(count, entries.size());

    for (bool preload : {false, true}) {
        PackageFile package;
        EXPECT_STREQ(package.GetName(), "none");
        LogCaptureBegin();
        ASSERT_TRUE(package.Open(path.c_str(), preload));
        EXPECT_EQ(LogCaptureEnd(), "");
        EXPECT_EQ(package.IsPreloaded(), preload);
        EXPECT_EQ(package.GetEntryCount(), (int)entries.size());
        for (const PackageEntry& e : entries) {
            std::string expected(e.data.begin(), e.data.end());
            EXPECT_EQ(Fetch(package, e.name.c_str()), expected) << e.name << " preload " << preload;
        }
        struct Lookup {
            const char* name;
            int index;
        };
        for (const Lookup& l : {Lookup{"RIG_BODY.DDS", 0}, Lookup{"env_glow.FX", 2}, Lookup{"rig_body", -1},
                                Lookup{"", -1}, Lookup{"missing.dds", -1}})
            EXPECT_EQ(package.FindEntry(l.name), l.index) << l.name;
        EXPECT_EQ(Fetch(package, "missing.dds"), "<none>");
    }

    // Writing what was read gives the same file.
    PackageFile package;
    ASSERT_TRUE(package.Open(path.c_str(), true));
    std::vector<PackageEntry> again;
    for (const PackageEntry& e : entries) {
        unsigned size = 0;
        const unsigned char* data = package.GetData(e.name.c_str(), &size);
        again.push_back({e.name, e.secondName, std::vector<unsigned char>(data, data + size)});
    }
    std::string copy = path + ".copy.pkb";
    ASSERT_TRUE(WritePackage(copy, again, &error)) << error;
    EXPECT_EQ(ReadTextFile(copy), file);
}

TEST(PackageFile, LazyEntriesAreKeptUntilReleased)
{
    std::string path = MakeTempFolder("pkb") + "/lazy.pkb";
    ASSERT_TRUE(WritePackage(path, SampleEntries()));
    PackageFile lazy, preloaded;
    ASSERT_TRUE(lazy.Open(path.c_str(), false));
    ASSERT_TRUE(preloaded.Open(path.c_str(), true));

    unsigned size1 = 0, size2 = 0;
    const unsigned char* first = lazy.GetData("env_glow.fx", &size1);
    const unsigned char* second = lazy.GetData("ENV_GLOW.FX", &size2);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_EQ(size1, size2);

    // Change the entry on disk: a released entry is read again, a kept one is not.
    FILE* file = fopen(path.c_str(), "r+b");
    ASSERT_NE(file, nullptr);
    const size_t glowData = 16 + 4 * 272 + 14;
    fseek(file, (long)glowData, SEEK_SET);
    fwrite("TECH", 1, 4, file);
    fclose(file);
    EXPECT_EQ(Fetch(lazy, "env_glow.fx"), "technique main { }\n");
    lazy.ReleaseData("env_glow.fx");
    lazy.ReleaseData("not_there.fx");
    EXPECT_EQ(Fetch(lazy, "env_glow.fx"), "TECHnique main { }\n");

    const unsigned char* block = preloaded.GetData("env_glow.fx", &size1);
    preloaded.ReleaseData("env_glow.fx");
    EXPECT_EQ(preloaded.GetData("env_glow.fx", &size2), block);
    EXPECT_EQ(Fetch(preloaded, "env_glow.fx"), "technique main { }\n");

    lazy.Close();
    EXPECT_EQ(lazy.GetEntryCount(), 0);
    EXPECT_EQ(Fetch(lazy, "env_glow.fx"), "<none>");
}

TEST(PackageFile, DuplicatesWarnAndTheLastWins)
{
    std::string path = WriteRaw(RawPackage(4,
                                           {{"glow.fx", "first/glow.fx", 1, 0},
                                            {"other.fx", "other.fx", 1, 1},
                                            {"GLOW.FX", "second/GLOW.FX", 1, 2},
                                            {"glow.fx", "third/glow.fx", 1, 3}},
                                           "1o23"));
    for (bool preload : {false, true}) {
        PackageFile package;
        ASSERT_TRUE(package.Open(path.c_str(), preload));
        LogCaptureBegin();
        EXPECT_EQ(Fetch(package, "Glow.fx"), "3");
        EXPECT_EQ(LogCaptureEnd(), "WARNING: Duplicate : \tfirst/glow.fx\tglow.fx\n"
                                   "WARNING: Duplicate : \tsecond/GLOW.FX\tGLOW.FX\n"
                                   "WARNING: Duplicate : \tthird/glow.fx\tglow.fx\n");
        LogCaptureBegin();
        EXPECT_EQ(Fetch(package, "other.fx"), "o");
        EXPECT_EQ(LogCaptureEnd(), "");
    }
}

TEST(PackageFile, OddButSoundPackagesOpen)
{
    // Names filling all 128 bytes are cut to 127 characters; entries stored out of order
    // still read right when preloaded.
    std::string longName(140, 'n');
    std::string outOfOrder = WriteRaw(RawPackage(3,
                                                 {{"second.txt", "s", 3, 4},
                                                  {longName, longName, 4, 0},
                                                  {"zero.txt", "z", 0, 7}},
                                                 "LONGTWO"));
    std::string empty = WriteRaw(RawPackage(0, {}, ""));
    // A package without the signature is named in the log and still read.
    std::string unsigned_ = RawPackage(1, {{"a.txt", "a", 3, 0}}, "abc");
    unsigned_[0] = 'X';
    std::string unsignedPath = WriteRaw(unsigned_);
    for (bool preload : {false, true}) {
        PackageFile package;
        LogCaptureBegin();
        EXPECT_TRUE(package.Open(unsignedPath.c_str(), preload));
        EXPECT_EQ(LogCaptureEnd(), "WARNING PackageFile " + unsignedPath + " : no package signature\n");
        EXPECT_EQ(Fetch(package, "a.txt"), "abc");
    }
    for (bool preload : {false, true}) {
        PackageFile package;
        LogCaptureBegin();
        ASSERT_TRUE(package.Open(outOfOrder.c_str(), preload));
        EXPECT_EQ(Fetch(package, "second.txt"), "TWO");
        EXPECT_EQ(Fetch(package, std::string(127, 'N').c_str()), "LONG");
        EXPECT_EQ(Fetch(package, "zero.txt"), "");
        EXPECT_TRUE(package.Open(empty.c_str(), preload));
        EXPECT_EQ(LogCaptureEnd(), "");
        EXPECT_EQ(package.GetEntryCount(), 0);
        EXPECT_EQ(Fetch(package, "second.txt"), "<none>");
    }
}

TEST(PackageFile, BrokenPackagesOpenEmpty)
{
    std::string good = MakeTempFolder("pkb") + "/good.pkb";
    ASSERT_TRUE(WritePackage(good, SampleEntries()));
    const std::string whole = ReadTextFile(good);

    struct Case {
        const char* what;
        std::string bytes;
    };
    std::vector<Case> cases = {
        {"empty file", ""},
        {"short header", std::string(10, '\0')},
        {"negative count", RawPackage(0xffffffffu, {}, "")},
        {"count far beyond the file", RawPackage(0x7fffffffu, {{"a", "a", 1, 0}}, "x")},
        {"directory cut short", RawPackage(2, {{"a", "a", 1, 0}}, "x")},
        {"entry past the end", RawPackage(1, {{"a", "a", 5, 0}}, "abc")},
        {"offset past the end", RawPackage(1, {{"a", "a", 1, 9}}, "abc")},
        {"offset and size wrap around", RawPackage(1, {{"a", "a", 0x10, 0xfffffff8u}}, "abc")},
        {"huge entry", RawPackage(1, {{"a", "a", 0xffffffffu, 0}}, "abc")},
    };
    // Every cut of a real package.
    for (size_t length = 0; length < whole.size(); length += (length < 1200 ? 1 : 997))
        cases.push_back({"truncated package", whole.substr(0, length)});

    for (const Case& c : cases) {
        std::string path = WriteRaw(c.bytes);
        for (bool preload : {false, true}) {
            PackageFile package;
            LogCaptureBegin();
            EXPECT_FALSE(package.Open(path.c_str(), preload)) << c.what << " " << c.bytes.size();
            std::string log = LogCaptureEnd();
            EXPECT_EQ(log.rfind("ERROR ", 0), 0u) << c.what;
            EXPECT_NE(log.find(path), std::string::npos) << c.what << ": " << log;
            EXPECT_EQ(package.GetEntryCount(), 0) << c.what;
            EXPECT_EQ(Fetch(package, "a"), "<none>") << c.what;
            EXPECT_EQ(Fetch(package, "big.bin"), "<none>") << c.what;
        }
    }

    PackageFile missing;
    LogCaptureBegin();
    EXPECT_FALSE(missing.Open((good + ".missing").c_str(), false));
    EXPECT_NE(LogCaptureEnd().find("ERROR"), std::string::npos);
    EXPECT_EQ(Fetch(missing, "a"), "<none>");
    // Opening a good package again after a failure works.
    EXPECT_TRUE(missing.Open(good.c_str(), false));
    EXPECT_EQ(Fetch(missing, "empty.txt"), "");
}

static_assert(PACKAGE_MAGIC == PackageFile::SIGNATURE, "the writer signs what the reader checks");

TEST(PackageWriter, InputsAreKeyedByFileName)
{
    std::string root = MakeTempFolder("inputs");
    CreateFolder((root + "/textures").c_str());
    CreateFolder((root + "/textures/rock").c_str());
    CreateFolder((root + "/other").c_str());
    WriteTextFile(root + "/textures/b.dds", "B");
    WriteTextFile(root + "/textures/rock/a.dds", "A");
    WriteTextFile(root + "/textures/.hidden", "H");
    WriteTextFile(root + "/loose.fx", "L");
    WriteTextFile(root + "/other/B.DDS", "b");

    std::vector<PackageEntry> entries;
    std::string error;
    ASSERT_TRUE(CollectPackageInputs({root + "/textures/", root + "/loose.fx"}, entries, &error)) << error;
    ASSERT_EQ(entries.size(), 3u);
    std::vector<std::string> seen;
    for (const PackageEntry& e : entries) seen.push_back(e.name + "=" + e.secondName);
    EXPECT_EQ(seen, (std::vector<std::string>{"b.dds=textures/b.dds", "a.dds=textures/rock/a.dds", "loose.fx=loose.fx"}));

    struct Case {
        std::vector<std::string> inputs;
        const char* message;
    };
    const Case failures[] = {
        {{root + "/textures", root + "/other"}, "two inputs are called B.DDS"},
        {{root + "/loose.fx", root + "/loose.fx"}, "two inputs are called loose.fx"},
        {{root + "/nothing"}, "input not found"},
    };
    for (const Case& c : failures) {
        EXPECT_FALSE(CollectPackageInputs(c.inputs, entries, &error)) << c.message;
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
    }
    EXPECT_FALSE(WritePackage(root + "/x.pkb", {{std::string(128, 'x'), "", {}}}, &error));
    EXPECT_FALSE(WritePackage(root + "/x.pkb", {{"a.fx", "1", {}}, {"A.FX", "2", {}}}, &error));
    EXPECT_FALSE(WritePackage(root + "/no/such/folder/x.pkb", {}, &error));
}

TEST(PackageFile, TheSelfTestFetchesTheGlowEffectOfAPackage)
{
    const std::string folder = MakeTempFolder("pkbtest");
    ASSERT_TRUE(WritePackage(folder + "/with.pkb", SampleEntries()));
    ASSERT_TRUE(WritePackage(folder + "/without.pkb", {{"other.fx", "", Bytes("x")}}));
    struct Case {
        std::string path;
        bool found;
        const char* said;
    } cases[] = {
        {folder + "/with.pkb", true, "holds env_glow.fx (19 bytes)"},
        {folder + "/without.pkb", false, "has no env_glow.fx"},
        {folder + "/missing.pkb", false, "has no env_glow.fx"},
    };
    for (const Case& c : cases) {
        LogCaptureBegin();
        EXPECT_EQ(PackageFile::Test(c.path.c_str()), c.found) << c.path;
        const std::string log = LogCaptureEnd();
        EXPECT_NE(log.find(c.said), std::string::npos) << log;
    }
}
