#include "platform/PooledList.h"

#include "host/System.h"

#include <cstdint>

int NamedTableBucket(const char* name, int bucketCount)
{
    if (!name || bucketCount <= 0) return 0;
    uint32_t h = 0;
    for (const char* p = name; *p; ++p) {
        int c = static_cast<signed char>(*p);
        if (c >= 'A' && c <= 'Z') c += 'a' - 'A';
        if (c >= 96) c -= 40;
        // h = (h >> 28) + 8h + c in 32-bit signed arithmetic, the shift arithmetic.
        uint32_t shifted = static_cast<uint32_t>(static_cast<int32_t>(h) >> 28);
        h = shifted + (h << 3) + static_cast<uint32_t>(c);
    }
    return static_cast<int>((h & 0x3FFFFFFFu) % static_cast<uint32_t>(bucketCount));
}

bool NamesEqualNoCase(const char* a, const char* b)
{
    return StrICmp(a, b) == 0;
}
