#include "platform/PooledList.h"

#include "host/System.h"
#include "render/TextureManager.h"

int NamedTableBucket(const char* name, int bucketCount)
{
    return TextureManager::HashName(name, bucketCount);
}

bool NamesEqualNoCase(const char* a, const char* b)
{
    return StrICmp(a, b) == 0;
}
