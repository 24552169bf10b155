// The mission catalogue: every mission, objective and event of the text read into the
// catalogue, which is emptied again after every input.
#include "campaign/MissionScreen.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    PrepareFuzzing();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MissionScreen::ClearMissions();
    MissionScreen::LoadMissions(WriteInputFile(data, size, ".cgs"));
    MissionScreen::ClearMissions();
    return 0;
}
