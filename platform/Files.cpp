#include "platform/Files.h"

#include "host/Log.h"
#include "host/System.h"
#include "platform/UserFolders.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

bool IsSeparator(char c)
{
    return c == '/' || c == '\\';
}

// Copies at most MAX_PATH_TEXT - 1 characters: outputs are path buffers of the caller.
void CopyOut(char* out, const char* text, size_t length)
{
    if (length > MAX_PATH_TEXT - 1) length = MAX_PATH_TEXT - 1;
    memmove(out, text, length);
    out[length] = 0;
}

// True when path starts with folder as a whole folder ("/home/a" is not below "/home/ab").
bool IsBelowFolder(const char* path, const std::string& folder)
{
    if (folder.empty() || folder[0] != '/') return false;
    std::string base = folder;
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    if (strncmp(path, base.c_str(), base.size()) != 0) return false;
    char next = path[base.size()];
    return next == 0 || next == '/' || base == "/";
}

// The player's own files (log, settings, profiles, saves) live below the application-data
// folder; their names are the player's and must keep their spelling.
bool IsUserPath(const char* path)
{
    if (strcmp(LocalAppDataFolder, "<NOT-SET>") != 0 && IsBelowFolder(path, LocalAppDataFolder)) return true;
    const char* xdg = getenv("XDG_DATA_HOME");
    if (xdg && xdg[0] == '/' && IsBelowFolder(path, xdg)) return true;
    const char* home = getenv("HOME");
    if (home && home[0] == '/' && IsBelowFolder(path, std::string(home) + "/.local/share")) return true;
    return false;
}

}  // namespace

void NormalizeSlashes(char* path)
{
    for (char* p = path; *p; ++p) {
        if (*p == '\\')
            *p = '/';
        else
            *p = (char)tolower((unsigned char)*p);
    }
}

void NormalizeDataPath(char* path)
{
    if (!path || strlen(path) < 4) return;
    if (StrNICmp(path, "../", 3) == 0) return;
    bool absolute = path[0] == '/';
    if (absolute && IsUserPath(path)) return;

    NormalizeSlashes(path);
    if (!absolute) return;

    // A data path spelled out in full: keep it relative to the data folder, so the game runs
    // from wherever it is installed. "data/" must start a folder name ("/mydata/" is not it).
    for (char* p = path + 1; *p; ++p) {
        if (p[-1] == '/' && strncmp(p, "data/", 5) == 0) {
            memmove(path, p, strlen(p) + 1);
            return;
        }
    }
    Log("ERROR ABSOLUTE PATH USED!. Could not find 'data' in : %s\n", path);
}

void FixPath(char* path)
{
    NormalizeDataPath(path);
}

bool HasPathSeparator(const char* text)
{
    return text && strpbrk(text, "/\\:") != nullptr;
}

char* CopyString(char* destination, const char* source)
{
    if (!source) source = "";
    memmove(destination, source, strlen(source) + 1);
    return destination;
}

void GetFileName(const char* path, char* out)
{
    const char* name = path;
    for (const char* p = path; *p; ++p)
        if (IsSeparator(*p)) name = p + 1;
    CopyOut(out, name, strlen(name));
}

void StripExtension(const char* path, char* out)
{
    const char* dot = strchr(path, '.');
    CopyOut(out, path, dot ? (size_t)(dot - path) : strlen(path));
}

void GetFileBaseName(const char* path, char* out)
{
    const char* name = path;
    for (const char* p = path; *p; ++p)
        if (IsSeparator(*p)) name = p + 1;
    const char* dot = strchr(name, '.');
    size_t length = dot ? (size_t)(dot - name) : strlen(name);
    if (length == 0)
        CopyOut(out, "invalid", 7);
    else
        CopyOut(out, name, length);
}

void GetDirectory(const char* path, char* out)
{
    const char* last = nullptr;
    for (const char* p = path; *p; ++p)
        if (IsSeparator(*p)) last = p;
    if (!last)
        CopyOut(out, "invalid", 7);
    else
        CopyOut(out, path, (size_t)(last - path) + 1);
}

void GetParentDirectory(const char* path, char* out)
{
    size_t end = strlen(path);
    if (end > 0 && IsSeparator(path[end - 1])) --end;
    while (end > 0 && !IsSeparator(path[end - 1])) --end;
    CopyOut(out, path, end > 0 ? end : strlen(path));
}

void GetExtension(const char* path, char* out)
{
    const char* dot = strchr(path, '.');
    if (!dot)
        CopyOut(out, " ", 1);
    else
        CopyOut(out, dot + 1, strlen(dot + 1));
}

int FormatDisplayText(char* text, int mode)
{
    int lines = 1;
    bool wordStart = true;
    for (char* p = text; *p; ++p) {
        if (*p == '_') *p = ' ';
        if (*p == '^') *p = '\n';
        if (*p == '\n') ++lines;
        unsigned char c = (unsigned char)*p;
        if (mode == 1)
            *p = (char)toupper(c);
        else if (mode == 2)
            *p = (char)tolower(c);
        else if (mode == 3 && wordStart)
            *p = (char)toupper(c);
        // A line break starts a word too: "one_two^three" shows "One Two" over "Three".
        wordStart = *p == ' ' || *p == '\n';
    }
    return lines;
}

namespace {

// Fills the time text in the 26-character form "Wed Jan 02 02:03:55 1980\n".
void FormatFileTime(time_t when, char* out, size_t length)
{
    if (!out || length == 0) return;
    char text[64];
    if (ctime_r(&when, text) == nullptr) CopyText(text, sizeof text, "Invalid arguments to ctime_s.");
    CopyText(out, length, text);
}

// quiet: a file that may well be missing (an optional package) is looked for without a word.
bool StatDataFile(const char* path, FileStatus& status, bool quiet = false)
{
    if (!path) {
        fprintf(stderr, "Invalid parameter to _stat.\n");
        return false;
    }
    std::vector<char> fixed(path, path + strlen(path) + 1);
    FixPath(fixed.data());
    int error = GetFileStatus(fixed.data(), status);
    if (error == 0) return true;
    if (quiet) return false;
    if (error == ENOENT || error == ENOTDIR)
        fprintf(stderr, "File %s not found.\n", fixed.data());
    else if (error == EINVAL)
        fprintf(stderr, "Invalid parameter to _stat.\n");
    else
        fprintf(stderr, "Unexpected error in _stat.\n");
    return false;
}

}  // namespace

bool GetFileInfo(const char* path, long long* size, char* timeText, bool* readable, bool* writable)
{
    FileStatus status;
    if (!StatDataFile(path, status)) return false;
    if (size) *size = status.size;
    FormatFileTime(status.modified, timeText, 26);
    if (readable) *readable = status.readable;
    if (writable) *writable = status.writable;
    return true;
}

bool GetFileTimeText(const char* path, char* out, size_t length)
{
    FileStatus status;
    if (!StatDataFile(path, status)) return false;
    FormatFileTime(status.modified, out, length);
    return true;
}

bool GetFileTime(const char* path, char* out, size_t length)
{
    return GetFileTimeText(path, out, length);
}

bool FileExists(const char* path, bool logErrors)
{
    // Asked without logging, the caller copes with a missing file: nothing is said of it.
    FileStatus status;
    const bool exists = StatDataFile(path, status, !logErrors);
    const long long size = exists ? status.size : 0;
    if (logErrors) {
        if (!exists)
            Log("ERROR opening file : %s\n", path ? path : "");
        else if (size <= 0)
            Log("ERROR 0 size file : %s\n", path);
    }
    return exists;
}

FILE* OpenDataFile(const char* path, const char* mode)
{
    if (!path || !path[0] || !mode) return nullptr;
    std::vector<char> fixed(path, path + strlen(path) + 1);
    FixPath(fixed.data());
    return OpenFile(fixed.data(), mode);
}

DirectoryList::DirectoryList(const char* folder, const char* pattern)
{
    found_[0] = 0;
    if (!folder || !folder[0] || !pattern || !pattern[0]) {
        CopyText(folder_, sizeof folder_, "./");
        CopyText(pattern_, sizeof pattern_, "*.*");
        return;
    }
    CopyText(folder_, sizeof folder_ - 1, folder);
    size_t length = strlen(folder_);
    if (!IsSeparator(folder_[length - 1])) {
        folder_[length] = '/';
        folder_[length + 1] = 0;
    }
    NormalizeDataPath(folder_);
    CopyText(pattern_, sizeof pattern_, pattern);
}

DirectoryList::~DirectoryList()
{
    delete static_cast<DirectorySearch*>(search_);
}

void DirectoryList::SetWantDirectories(bool wantDirectories)
{
    flags_ = wantDirectories ? (flags_ | 1u) : (flags_ & ~1u);
}

void DirectoryList::SetPattern(const char* pattern)
{
    CopyText(pattern_, sizeof pattern_, pattern && pattern[0] ? pattern : "*.*");
}

const char* DirectoryList::First()
{
    auto* search = static_cast<DirectorySearch*>(search_);
    if (!search) {
        search = new DirectorySearch;
        search_ = search;
    }
    if (!search->Begin(folder_, pattern_)) return nullptr;
    return Next();
}

const char* DirectoryList::Next()
{
    auto* search = static_cast<DirectorySearch*>(search_);
    if (!search || !search->handle) return nullptr;
    std::string name;
    bool isDirectory = false;
    bool wantDirectories = (flags_ & 1u) != 0;
    while (search->Next(name, isDirectory)) {
        if (isDirectory != wantDirectories) continue;
        attributes_ = isDirectory ? 1u : 0u;
        snprintf(found_, sizeof found_, "%s%s", folder_, name.c_str());
        return found_;
    }
    search->Close();
    return nullptr;
}
