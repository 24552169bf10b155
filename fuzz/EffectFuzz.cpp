// Effect files (.fx), parsed and turned into the stage texts of every pass.
#include "fuzz/FuzzSupport.h"
#include "host/EffectFile.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    PrepareFuzzing();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    EffectFile effect;
    std::string errors;
    if (!effect.Parse(reinterpret_cast<const char*>(data), size, "fuzz.fx", EffectIncludeFunction(), &errors)) return 0;
    for (const EffectTechniqueInfo& technique : effect.Techniques())
        for (const EffectPassInfo& pass : technique.passes) {
            std::vector<EffectLineOrigin> vertex, fragment;
            effect.BuildSource(EFFECT_VERTEX, pass.vertex, {}, &vertex);
            effect.BuildSource(EFFECT_FRAGMENT, pass.fragment, {"FUZZ"}, &fragment);
            effect.TranslateLog("0:3(1): error\n", vertex, fragment);
        }
    return 0;
}
