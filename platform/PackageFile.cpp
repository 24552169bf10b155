#include "platform/PackageFile.h"

#include "host/Log.h"
#include "host/System.h"
#include "platform/Files.h"

#include <cstring>
#include <new>

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "packages are read as little-endian words");

PackageFile::PackageFile()
{
    CopyText(name_, sizeof name_, "none");
}

PackageFile::~PackageFile()
{
    Close();
}

// A package is read as it was shipped and trusted no further than its own size: anything that
// does not add up leaves it empty, so every lookup fails and the caller reports the asset.
bool PackageFile::Fail(const char* what)
{
    Log("ERROR PackageFile %s : %s\n", name_, what);
    Close();
    return false;
}

bool PackageFile::Open(const char* path, bool preload)
{
    Close();
    CopyText(name_, sizeof name_, path ? path : "");
    file_ = path ? OpenDataFile(path, "rb") : nullptr;
    if (!file_) return Fail("could not open the file");
    // Every read is a whole header, directory or entry: a stdio buffer would only copy it twice
    // (and keep stale bytes of an entry that is released and read again).
    setvbuf(file_, nullptr, _IONBF, 0);

    if (fseeko(file_, 0, SEEK_END) != 0) return Fail("could not read the file");
    off_t end = ftello(file_);
    if (end < 0 || fseeko(file_, 0, SEEK_SET) != 0) return Fail("could not read the file");
    uint64_t fileSize = (uint64_t)end;

    if (fread(header_, sizeof header_, 1, file_) != 1) return Fail("truncated header");
    // Not one of ours: it may still be a package, but whatever goes wrong next starts here.
    if (header_[0] != SIGNATURE) Log("WARNING PackageFile %s : no package signature\n", name_);
    int32_t count = (int32_t)header_[2];
    if (count < 0) return Fail("negative entry count");
    if (count == 0) return true;  // an empty package is allowed: every lookup fails

    dataStart_ = HEADER_SIZE + (uint64_t)count * ENTRY_SIZE;
    if (dataStart_ > fileSize) return Fail("entry count larger than the file holds");
    directory_.resize((size_t)count);
    if (fread(directory_.data(), ENTRY_SIZE, (size_t)count, file_) != (size_t)count)
        return Fail("truncated directory");

    uint64_t dataSize = fileSize - dataStart_;
    uint64_t dataEnd = 0;
    for (Entry& entry : directory_) {
        entry.name[sizeof entry.name - 1] = 0;
        entry.secondName[sizeof entry.secondName - 1] = 0;
        entry.runtime = 0;
        uint64_t entryEnd = (uint64_t)entry.offset + entry.size;
        if (entryEnd > dataSize) {
            char what[200];
            snprintf(what, sizeof what, "entry %s runs past the end of the file", entry.name);
            return Fail(what);
        }
        if (entryEnd > dataEnd) dataEnd = entryEnd;
    }
    loaded_.resize(directory_.size());

    if (preload) {
        // The block spans every entry's bytes, so block + offset is right even for a package
        // whose entries are not packed in directory order.
        block_.reset(new (std::nothrow) unsigned char[dataEnd > 0 ? dataEnd : 1]);
        if (!block_) return Fail("not enough memory to preload");
        if (dataEnd > 0 && (fseeko(file_, (off_t)dataStart_, SEEK_SET) != 0 ||
                            fread(block_.get(), 1, (size_t)dataEnd, file_) != dataEnd))
            return Fail("could not read the data");
    }
    return true;
}

int PackageFile::FindEntry(const char* name)
{
    if (!name) return -1;
    int found = -1;
    bool duplicated = false;
    for (size_t i = 0; i < directory_.size(); ++i) {
        if (StrICmp(directory_[i].name, name) != 0) continue;
        if (found >= 0) {
            Log("WARNING: Duplicate : \t%s\t%s\n", directory_[found].secondName, directory_[found].name);
            duplicated = true;
        }
        found = (int)i;
    }
    // The copy that is used is named last.
    if (duplicated) Log("WARNING: Duplicate : \t%s\t%s\n", directory_[found].secondName, directory_[found].name);
    return found;
}

const unsigned char* PackageFile::GetData(const char* name, unsigned* size)
{
    int index = FindEntry(name);
    if (index < 0) return nullptr;
    const Entry& entry = directory_[index];
    const unsigned char* data = nullptr;
    if (block_) {
        data = block_.get() + entry.offset;
    } else {
        std::unique_ptr<unsigned char[]>& slot = loaded_[index];
        if (!slot) {
            std::unique_ptr<unsigned char[]> bytes(new (std::nothrow) unsigned char[entry.size > 0 ? entry.size : 1]);
            if (!bytes) {
                Log("ERROR PackageFile %s : not enough memory for %s\n", name_, entry.name);
                return nullptr;
            }
            if (!file_ || fseeko(file_, (off_t)(dataStart_ + entry.offset), SEEK_SET) != 0 ||
                fread(bytes.get(), 1, entry.size, file_) != entry.size) {
                Log("ERROR PackageFile %s : could not read %s\n", name_, entry.name);
                return nullptr;
            }
            slot = std::move(bytes);
        }
        data = slot.get();
    }
    if (size) *size = entry.size;
    return data;
}

void PackageFile::ReleaseData(const char* name)
{
    if (block_) return;
    int index = FindEntry(name);
    if (index >= 0) loaded_[index].reset();
}

void PackageFile::Close()
{
    directory_.clear();
    directory_.shrink_to_fit();
    loaded_.clear();
    loaded_.shrink_to_fit();
    block_.reset();
    if (file_) fclose(file_);
    file_ = nullptr;
    memset(header_, 0, sizeof header_);
    dataStart_ = 0;
}

bool PackageFile::Test(const char* path)
{
    PackageFile package;
    package.Open(path, true);
    unsigned size = 0;
    const bool found = package.GetData("env_glow.fx", &size) != nullptr;
    if (found)
        Log("Package test: %s holds env_glow.fx (%u bytes)\n", path, size);
    else
        Log("Package test: %s has no env_glow.fx\n", path);
    package.Close();
    return found;
}
