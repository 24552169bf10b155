#include "host/System.h"

#include "host/Log.h"

#include <SDL.h>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

std::string LocalAppDataPath()
{
    std::string folder;
    const char* xdg = getenv("XDG_DATA_HOME");
    if (xdg && xdg[0] == '/') {
        folder = xdg;
    } else {
        const char* home = getenv("HOME");
        if (!home || home[0] != '/') return "";
        folder = std::string(home) + "/.local/share";
    }
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

bool CreateFolder(const char* path)
{
    if (!path || !path[0]) {
        errno = ENOENT;
        return false;
    }
    struct stat st;
    if (stat(path, &st) == 0) {
        if (S_ISDIR(st.st_mode)) return true;
        errno = ENOTDIR;
        return false;
    }
    // The parents first, from the top down; one that exists already is passed over.
    std::string partial = path;
    for (size_t at = partial.find('/', 1); at != std::string::npos; at = partial.find('/', at + 1)) {
        partial[at] = 0;
        if (mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) return false;
        partial[at] = '/';
    }
    if (mkdir(path, 0700) == 0) return true;
    int error = errno;
    if (stat(path, &st) == 0 && S_ISDIR(st.st_mode)) return true;  // made meanwhile by another
    errno = error;
    return false;
}

bool IsAbsolutePath(const char* path)
{
    return path && path[0] == '/';
}

std::string GetProgramFolder()
{
    char* base = SDL_GetBasePath();
    if (!base) return "";
    std::string folder = base;
    SDL_free(base);
    return folder;
}

std::string GetWorkingFolder()
{
    char buffer[4096];
    return getcwd(buffer, sizeof buffer) ? buffer : "";
}

bool SetWorkingFolder(const char* path)
{
    return path && path[0] && chdir(path) == 0;
}

int GetFileStatus(const char* path, FileStatus& out)
{
    if (!path) return EINVAL;
    struct stat st;
    std::string real = ResolvePathCase(path);
    if (stat(real.c_str(), &st) != 0) return errno ? errno : ENOENT;
    out.size = st.st_size;
    out.modified = st.st_mtime;
    out.isDirectory = S_ISDIR(st.st_mode);
    out.readable = (st.st_mode & S_IRUSR) != 0;
    out.writable = (st.st_mode & S_IWUSR) != 0;
    return 0;
}

std::string ResolvePathCase(const char* path)
{
    if (!path || !path[0]) return path ? path : "";
    if (access(path, F_OK) == 0) return path;
    // Walk the components, matching each one without regard to case.
    std::string resolved = path[0] == '/' ? "/" : "";
    const char* p = path;
    while (*p) {
        while (*p == '/') ++p;
        if (!*p) break;
        const char* end = strchr(p, '/');
        std::string part = end ? std::string(p, end - p) : std::string(p);
        std::string candidate = resolved + part;
        if (part != "." && part != ".." && access(candidate.c_str(), F_OK) != 0) {
            DIR* dir = opendir(resolved.empty() ? "." : resolved.c_str());
            bool found = false;
            if (dir) {
                while (dirent* entry = readdir(dir)) {
                    if (StrICmp(entry->d_name, part.c_str()) == 0) {
                        candidate = resolved + entry->d_name;
                        found = true;
                        break;
                    }
                }
                closedir(dir);
            }
            if (!found) return path;
        }
        resolved = candidate;
        if (end) resolved += '/';
        p = end ? end : p + part.size();
    }
    return resolved;
}

bool SyncFile(FILE* file)
{
    return file && fflush(file) == 0 && fsync(fileno(file)) == 0;
}

bool SyncFolder(const char* path)
{
    const int handle = path ? open(path, O_RDONLY | O_DIRECTORY) : -1;
    if (handle < 0) return false;
    const bool synced = fsync(handle) == 0;
    close(handle);
    return synced;
}

FILE* OpenFile(const char* path, const char* mode)
{
    if (!path || !path[0]) return nullptr;
    FILE* file = fopen(path, mode);
    if (file || mode[0] != 'r') {
        if (!file && mode[0] != 'r') {
            // Writing into a folder that exists in another case.
            std::string real = ResolvePathCase(path);
            if (real != path) file = fopen(real.c_str(), mode);
        }
        return file;
    }
    std::string real = ResolvePathCase(path);
    return real == path ? nullptr : fopen(real.c_str(), mode);
}

bool MatchWildcard(const char* pattern, const char* name)
{
    if (strcmp(pattern, "*.*") == 0 || strcmp(pattern, "*") == 0) return true;
    const char* star = nullptr;
    const char* resume = nullptr;
    while (*name) {
        if (*pattern == '*') {
            star = pattern++;
            resume = name;
        } else if (*pattern == '?' || tolower((unsigned char)*pattern) == tolower((unsigned char)*name)) {
            ++pattern;
            ++name;
        } else if (star) {
            pattern = star + 1;
            name = ++resume;
        } else {
            return false;
        }
    }
    while (*pattern == '*') ++pattern;
    // "name.*" also matches "name" without an extension, as on Windows.
    if (pattern[0] == '.' && pattern[1] == '*' && pattern[2] == 0) return true;
    return *pattern == 0;
}

bool DirectorySearch::Begin(const char* folderPath, const char* wildcard)
{
    Close();
    folder = folderPath && folderPath[0] ? folderPath : ".";
    pattern = wildcard && wildcard[0] ? wildcard : "*.*";
    std::string real = ResolvePathCase(folder.c_str());
    handle = opendir(real.c_str());
    return handle != nullptr;
}

bool DirectorySearch::Next(std::string& name, bool& isDirectory)
{
    if (!handle) return false;
    while (dirent* entry = readdir(static_cast<DIR*>(handle))) {
        if (!MatchWildcard(pattern.c_str(), entry->d_name)) continue;
        name = entry->d_name;
        std::string full = folder;
        if (full.back() != '/') full += '/';
        full += name;
        struct stat st;
        isDirectory = stat(ResolvePathCase(full.c_str()).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        return true;
    }
    return false;
}

void DirectorySearch::Close()
{
    if (handle) closedir(static_cast<DIR*>(handle));
    handle = nullptr;
}

size_t FormatLocalTime(char* out, size_t size, const char* format, time_t when)
{
    std::string fixed;
    for (const char* p = format; *p; ++p) {
        if (p[0] == '%' && p[1] == '#') {
            fixed += "%-";
            ++p;
        } else {
            fixed += *p;
        }
    }
    struct tm local;
    localtime_r(&when, &local);
    size_t written = strftime(out, size, fixed.c_str(), &local);
    if (written == 0 && size > 0) out[0] = 0;
    return written;
}

int StrICmp(const char* a, const char* b)
{
    return strcasecmp(a, b);
}

int StrNICmp(const char* a, const char* b, size_t count)
{
    return strncasecmp(a, b, count);
}

void CopyText(char* out, size_t size, const char* text)
{
    if (size == 0) return;
    if (!text) text = "";
    size_t length = strnlen(text, size - 1);
    memmove(out, text, length);
    out[length] = 0;
}

namespace {
bool messageBoxesEnabled = true;

bool PersonCanAnswer()
{
    if (!messageBoxesEnabled) return false;
    if (getenv("VELDMARK_NO_MESSAGEBOX") || getenv("CI")) return false;
    return getenv("DISPLAY") != nullptr || getenv("WAYLAND_DISPLAY") != nullptr;
}
}

void SetMessageBoxesEnabled(bool enabled)
{
    messageBoxesEnabled = enabled;
}

void ShowMessageBox(const char* caption, const char* text)
{
    Log("%s: %s\n", caption ? caption : "", text ? text : "");
    if (!LogFile) fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
    if (PersonCanAnswer()) SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, nullptr);
}

void SleepMs(unsigned milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

namespace {
std::atomic<uint32_t (*)()> WallClock{nullptr};
}

void SetWallClock(uint32_t (*milliseconds)())
{
    WallClock = milliseconds;
}

uint32_t TimeGetTimeMs()
{
    if (uint32_t (*scripted)() = WallClock.load()) return scripted();
    using namespace std::chrono;
    static const steady_clock::time_point start = steady_clock::now();
    return (uint32_t)duration_cast<milliseconds>(steady_clock::now() - start).count();
}
