// Replays: any bytes read as a replay file, as they stand and with a check made anew over all of
// them (so that the reader's walk over a block is tried, not only the check); what reads is
// written back byte for byte, as far as its whole blocks go.
#include "fuzz/FuzzSupport.h"
#include "mechanics/ReplayFile.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    PrepareFuzzing();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::string sealed = bytes;
    const uint64_t check = ReplayCheckOf(bytes, bytes.size());
    for (int i = 0; i < 8; ++i) sealed.push_back((char)(check >> (8 * i) & 0xff));
    for (const std::string* input : {&bytes, static_cast<const std::string*>(&sealed)}) {
        Replay replay;
        std::string why;
        if (ReadReplay(*input, 0, &replay, &why) == REPLAY_READ && WriteReplay(replay) != input->substr(0, replay.wholeBytes))
            abort();
    }
    return 0;
}
