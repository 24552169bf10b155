// Visited maps: a file of any length read into the minimap's marker grid.
#include "fuzz/FuzzSupport.h"
#include "terrain/Minimap.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    PrepareFuzzing();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Minimap* minimap = new Minimap();
    minimap->AllocateFogGrids();
    minimap->LoadVisited(WriteInputFile(data, size, ".vis"));
    return 0;
}
