#include "host/WorldGuard.h"

#include "host/Log.h"

#include <cstdio>
#include <cstdlib>

#if defined(__has_include)
#if __has_include(<sanitizer/common_interface_defs.h>) && (defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_UNDEFINED__))
#include <sanitizer/common_interface_defs.h>
#define WORLD_GUARD_STACK 1
#endif
#endif
#if !defined(WORLD_GUARD_STACK)
#include <execinfo.h>
#include <unistd.h>
#endif

namespace {

bool Sealed = false;
int OpenScopes = 0;

#if defined(VELDMARK_WORLD_GUARD)
// The calls that led to the change: the place the guard names is where the change is made,
// the caller that made it is a line or two below.
void PrintCalls()
{
#if defined(WORLD_GUARD_STACK)
    __sanitizer_print_stack_trace();
#else
    void* frames[48];
    const int count = backtrace(frames, 48);
    backtrace_symbols_fd(frames, count, STDERR_FILENO);
#endif
}
#endif

}  // namespace

void SealWorld(bool sealed)
{
    Sealed = sealed;
}

bool WorldIsSealed()
{
    return Sealed;
}

void BeginWorldChange()
{
    ++OpenScopes;
}

void EndWorldChange()
{
    --OpenScopes;
}

bool WorldMayChange()
{
    return !Sealed || OpenScopes > 0;
}

bool WorldGuardStops()
{
#if defined(VELDMARK_WORLD_GUARD)
    return true;
#else
    return false;
#endif
}

void CheckWorldChange(const WorldChangeSite& site)
{
#if defined(VELDMARK_WORLD_GUARD)
    if (WorldMayChange()) return;
    std::fprintf(stderr, "FATAL: the world changed outside a tick: %s, in %s at %s:%d\n", site.what, site.function,
                 site.file, site.line);
    Log("FATAL: the world changed outside a tick: %s, in %s at %s:%d\n", site.what, site.function, site.file,
        site.line);
    PrintCalls();
    std::fflush(nullptr);
    std::abort();
#else
    (void)site;
#endif
}
