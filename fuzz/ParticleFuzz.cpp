// Particle definition files: every definition in the text, one after another.
#include "fuzz/FuzzSupport.h"
#include "render/ParticleParser.h"
#include "render/ParticleSystem.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    PrepareFuzzing();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static ParticleParser* parser = new ParticleParser();
    std::string text = InputText(data, size);
    char* at = &text[0];
    while (at) {
        ParticleSystem record;
        char* next = parser->ParseDefinition(at, &record);
        if (next == at) break;
        at = next;
    }
    return 0;
}
