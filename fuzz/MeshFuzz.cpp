// Mesh files of the mesh package.
#include "fuzz/FuzzSupport.h"
#include "render/IndexedMesh.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    PrepareFuzzing();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text = InputText(data, size);
    IndexedMesh mesh;
    mesh.ParseMesh(&text[0]);
    return 0;
}
