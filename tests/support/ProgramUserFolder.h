#pragma once
// The user folder of a whole test or benchmark program: a fresh folder in the temporary folder
// ($TMPDIR, else /tmp) that XDG_DATA_HOME names for the program's life, so that nothing it
// does touches the player's own files. It is removed when the program ends: when main returns
// or anything calls exit(), and when the program is interrupted (Ctrl-C), hung up on or told to
// terminate, so that a run stopped by hand leaves nothing behind either.
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace programfolder {

struct Folder {
    char path[4096] = "";
    pid_t owner = 0;  // a child the program forks does not own the folder
};

inline Folder& TheFolder()
{
    static Folder folder;
    return folder;
}

// Only what is safe in a signal handler: a child process removes the folder.
inline void Remove()
{
    Folder& folder = TheFolder();
    if (!folder.path[0] || getpid() != folder.owner) return;
    const pid_t child = fork();
    if (child == 0) {
        execl("/bin/rm", "rm", "-rf", folder.path, (char*)nullptr);
        _exit(127);
    }
    if (child > 0)
        while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
        }
}

inline void RemoveAndStop(int signal)
{
    Remove();
    std::signal(signal, SIG_DFL);
    raise(signal);
}

// Makes the folder (its name begins with `prefix`), points XDG_DATA_HOME at it and arranges its
// removal. False when no folder could be made: the program then keeps the user folder it has.
inline bool Make(const char* prefix)
{
    const char* temporary = getenv("TMPDIR");
    const std::string pattern = std::string(temporary && *temporary ? temporary : "/tmp") + "/" + prefix + "-XXXXXX";
    Folder& folder = TheFolder();
    if (pattern.size() >= sizeof folder.path) return false;
    memcpy(folder.path, pattern.c_str(), pattern.size() + 1);
    if (!mkdtemp(folder.path)) {
        folder.path[0] = '\0';
        return false;
    }
    folder.owner = getpid();
    setenv("XDG_DATA_HOME", folder.path, 1);
    atexit(Remove);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) std::signal(signal, RemoveAndStop);
    return true;
}

}  // namespace programfolder
