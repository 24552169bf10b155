#pragma once
// Operating-system services the game asks for: the user's application-data folder, folders
// and file status, directory listing with wildcards, local time text, case-insensitive
// comparison and file opening, message boxes, sleeping and millisecond time.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <string>

// Where the local application-data folder is: $XDG_DATA_HOME when it is an absolute path,
// else $HOME/.local/share, without trailing slashes. Empty when neither variable names a
// folder. Nothing is created.
std::string LocalAppDataPath();

// Creates a folder with the parents it lacks, readable by its owner alone (they hold the
// player's files); true when it exists afterwards, otherwise errno tells why.
bool CreateFolder(const char* path);
bool IsAbsolutePath(const char* path);

// The folder that holds the running program, ending in a separator; empty when unknown.
std::string GetProgramFolder();
// The process's working folder (empty when unknown), and entering another one (false when it
// cannot be entered).
std::string GetWorkingFolder();
bool SetWorkingFolder(const char* path);

struct FileStatus {
    int64_t size = 0;
    time_t modified = 0;
    bool isDirectory = false;
    bool readable = false;   // by the owner
    bool writable = false;   // by the owner
};
// 0 on success, otherwise the errno value (ENOENT for a missing file, EINVAL for a bad argument).
int GetFileStatus(const char* path, FileStatus& out);

// Opens a file; when the exact path is missing, each component is matched without regard to
// case (the shipped data is lower case, callers may spell names in any case).
FILE* OpenFile(const char* path, const char* mode);
// What was written to an open file, flushed and on the disk; false when it cannot be. A file
// about to take another's name goes through this first, so a power cut never leaves the name
// on an empty file.
bool SyncFile(FILE* file);
// The names a folder holds (renames, new files), on the disk; false when they cannot be.
bool SyncFolder(const char* path);
// The real spelling of a path whose components may differ in case; the path itself when no
// such file exists.
std::string ResolvePathCase(const char* path);

// Wildcard match of a file name, without regard to case, with '*' and '?'. "*.*" matches every
// name, including names without a dot.
bool MatchWildcard(const char* pattern, const char* name);

// Directory search, in the manner of a find-first/find-next pair. "." and ".." are listed.
struct DirectorySearch {
    void* handle = nullptr;
    std::string folder;
    std::string pattern;
    ~DirectorySearch() { Close(); }
    // Next entry whose name matches; false at the end. name is the entry's name alone.
    bool Begin(const char* folder, const char* pattern);
    bool Next(std::string& name, bool& isDirectory);
    void Close();
};

// strftime with the local time; the Windows "%#" modifier (no leading zeros) is understood.
size_t FormatLocalTime(char* out, size_t size, const char* format, time_t when);

int StrICmp(const char* a, const char* b);
int StrNICmp(const char* a, const char* b, size_t count);
// Copies at most size - 1 characters and always terminates (size > 0).
void CopyText(char* out, size_t size, const char* text);

// Logs "caption: text" always (to standard error while the log is not open, so a failure
// before the log exists still reaches the terminal); shows a modal box only when a person can
// answer it (a display exists and the run is not a test or CI run).
void ShowMessageBox(const char* caption, const char* text);
// Tests and headless runs switch boxes off; VELDMARK_NO_MESSAGEBOX and CI do the same.
void SetMessageBoxesEnabled(bool enabled);

void SleepMs(unsigned milliseconds);
// Milliseconds since an arbitrary start, like the multimedia timer.
uint32_t TimeGetTimeMs();
// The clock TimeGetTimeMs reads: the machine's (nullptr), or one a test scripts to play a
// machine of another speed.
void SetWallClock(uint32_t (*milliseconds)());
