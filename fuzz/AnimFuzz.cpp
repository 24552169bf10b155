// Animation files of the animation package.
#include "fuzz/FuzzSupport.h"
#include "render/Animation.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    PrepareFuzzing();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text = InputText(data, size);
    Animation animation;
    ParseAnimation(&text[0], &animation, nullptr, "fuzz");
    return 0;
}
