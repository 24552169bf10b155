#include "tests/support/AllocationPeak.h"

#include <atomic>

#if defined(__SANITIZE_ADDRESS__)
#define VELDMARK_ALLOCATION_HOOKS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELDMARK_ALLOCATION_HOOKS 1
#endif
#endif

namespace {

std::atomic<long long> live{0};
std::atomic<long long> peak{0};

}  // namespace

#ifdef VELDMARK_ALLOCATION_HOOKS
extern "C" {
int __sanitizer_install_malloc_and_free_hooks(void (*malloc_hook)(const volatile void*, size_t),
                                              void (*free_hook)(const volatile void*));
size_t __sanitizer_get_allocated_size(const volatile void* p);
}

namespace {

// Called by the allocator on every thread: no allocation in here.
void OnMalloc(const volatile void*, size_t size)
{
    long long now = live.fetch_add((long long)size) + (long long)size;
    long long high = peak.load();
    while (now > high && !peak.compare_exchange_weak(high, now)) {
    }
}

void OnFree(const volatile void* p)
{
    if (p) live.fetch_sub((long long)__sanitizer_get_allocated_size(p));
}

bool InstallHooks()
{
    static const bool installed = __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree) != 0;
    return installed;
}

}  // namespace

bool AllocationPeak::Available()
{
    return InstallHooks();
}
#else
bool AllocationPeak::Available()
{
    return false;
}
#endif

AllocationPeak::AllocationPeak()
{
    Available();
    start_ = live.load();
    peak.store(start_);
}

size_t AllocationPeak::Bytes() const
{
    long long high = peak.load();
    return high > start_ ? (size_t)(high - start_) : 0;
}
