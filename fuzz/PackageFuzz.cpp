// Packages (.pkb), read lazily and preloaded, every entry fetched and let go.
#include "fuzz/FuzzSupport.h"
#include "platform/PackageFile.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    PrepareFuzzing();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* path = WriteInputFile(data, size, ".pkb");
    for (bool preload : {false, true}) {
        PackageFile package;
        if (!package.Open(path, preload)) continue;
        for (int i = 0; i < package.GetEntryCount(); ++i) {
            unsigned bytes = 0;
            const char* name = package.GetEntryName(i);
            package.GetData(name, &bytes);
            package.ReleaseData(name);
        }
    }
    return 0;
}
