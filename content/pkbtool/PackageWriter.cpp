#include "content/pkbtool/PackageWriter.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <strings.h>

namespace fs = std::filesystem;

namespace {

constexpr size_t NAME_SIZE = 128;
constexpr size_t ENTRY_SIZE = 272;

bool SetError(std::string* error, const std::string& text)
{
    if (error) *error = text;
    return false;
}

void PutWord(std::vector<unsigned char>& out, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i) out[at + i] = (unsigned char)(value >> (8 * i));
}

void PutName(std::vector<unsigned char>& out, size_t at, const std::string& name)
{
    // Only the tail of an over-long second name is kept: it is the part that tells files apart.
    std::string text = name.size() < NAME_SIZE ? name : name.substr(name.size() - (NAME_SIZE - 1));
    memcpy(&out[at], text.data(), text.size());
}

}  // namespace

bool WritePackage(const std::string& path, const std::vector<PackageEntry>& entries, std::string* error)
{
    if (entries.size() > 0x7fffffffu / ENTRY_SIZE) return SetError(error, "too many entries");
    for (size_t i = 0; i < entries.size(); ++i) {
        const std::string& name = entries[i].name;
        if (name.empty() || name.size() >= NAME_SIZE || name.find('\0') != std::string::npos)
            return SetError(error, "entry name '" + name + "' is empty or longer than 127 characters");
        for (size_t j = 0; j < i; ++j)
            if (strcasecmp(entries[j].name.c_str(), name.c_str()) == 0)
                return SetError(error, "duplicate entry name '" + name + "' (" + entries[j].secondName + " and " +
                                           entries[i].secondName + ")");
    }

    std::vector<unsigned char> head(16 + entries.size() * ENTRY_SIZE, 0);
    PutWord(head, 0, PACKAGE_MAGIC);
    PutWord(head, 4, PACKAGE_VERSION);
    PutWord(head, 8, (uint32_t)entries.size());
    uint64_t offset = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        size_t at = 16 + i * ENTRY_SIZE;
        PutName(head, at, entries[i].name);
        PutName(head, at + NAME_SIZE, entries[i].secondName);
        PutWord(head, at + 256, (uint32_t)entries[i].data.size());
        PutWord(head, at + 260, (uint32_t)offset);
        offset += entries[i].data.size();
        if (offset > 0xffffffffu) return SetError(error, "package data larger than 4 GB");
    }
    PutWord(head, 12, (uint32_t)offset);

    std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) return SetError(error, "cannot create " + temporary);
        out.write((const char*)head.data(), (std::streamsize)head.size());
        for (const PackageEntry& entry : entries)
            out.write((const char*)entry.data.data(), (std::streamsize)entry.data.size());
        out.flush();
        if (!out) {
            out.close();
            std::remove(temporary.c_str());
            return SetError(error, "cannot write " + temporary);
        }
    }
    std::error_code failed;
    fs::rename(temporary, path, failed);
    if (failed) {
        std::remove(temporary.c_str());
        return SetError(error, "cannot replace " + path + ": " + failed.message());
    }
    return true;
}

namespace {

bool ReadWholeFile(const fs::path& path, std::vector<unsigned char>& out)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool IsHidden(const fs::path& path)
{
    std::string name = path.filename().string();
    return !name.empty() && name[0] == '.';
}

}  // namespace

bool CollectPackageInputs(const std::vector<std::string>& inputs, std::vector<PackageEntry>& entries,
                          std::string* error)
{
    struct Source {
        fs::path file;
        std::string secondName;
    };
    std::vector<Source> sources;
    for (const std::string& input : inputs) {
        fs::path root = fs::path(input).lexically_normal();
        if (!root.has_filename()) root = root.parent_path();  // "folder/" names the folder
        std::error_code failed;
        if (fs::is_directory(root, failed)) {
            std::vector<fs::path> files;
            for (fs::recursive_directory_iterator it(root, failed), end; !failed && it != end; it.increment(failed)) {
                std::error_code ignored;
                if (IsHidden(it->path())) {
                    if (it->is_directory(ignored)) it.disable_recursion_pending();
                    continue;
                }
                if (it->is_regular_file(ignored)) files.push_back(it->path());
            }
            if (failed) return SetError(error, "cannot list " + input + ": " + failed.message());
            std::sort(files.begin(), files.end());
            for (const fs::path& file : files)
                sources.push_back({file, (root.filename() / file.lexically_relative(root)).generic_string()});
        } else if (fs::is_regular_file(root, failed)) {
            sources.push_back({root, root.filename().generic_string()});
        } else {
            return SetError(error, "input not found: " + input);
        }
    }

    entries.clear();
    entries.reserve(sources.size());
    for (const Source& source : sources) {
        PackageEntry entry;
        entry.name = source.file.filename().string();
        entry.secondName = source.secondName;
        for (const PackageEntry& earlier : entries)
            if (strcasecmp(earlier.name.c_str(), entry.name.c_str()) == 0)
                return SetError(error, "two inputs are called " + entry.name + ": " + earlier.secondName + " and " +
                                           entry.secondName);
        if (!ReadWholeFile(source.file, entry.data)) return SetError(error, "cannot read " + source.file.string());
        entries.push_back(std::move(entry));
    }
    return true;
}
