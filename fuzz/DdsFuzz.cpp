// DDS textures and their DXT blocks: read, decoded to A8R8G8B8, shaped as a texture load does.
#include "fuzz/FuzzSupport.h"
#include "host/DdsFile.h"
#include "host/ImageCodec.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    PrepareFuzzing();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Image image, converted;
    if (!ReadDds(data, size, image)) return 0;
    ConvertImage(image, PixelFormat::A8R8G8B8, converted);
    CreateImageFromMemoryEx(data, size, IMAGE_DEFAULT, IMAGE_DEFAULT, IMAGE_FROM_FILE, PixelFormat::Unknown,
                            IMAGE_DEFAULT, IMAGE_DEFAULT, 0, converted);
    CreateCubeImageFromMemoryEx(data, size, IMAGE_DEFAULT, IMAGE_DEFAULT, PixelFormat::Unknown, IMAGE_DEFAULT,
                                IMAGE_DEFAULT, 0, converted);
    return 0;
}
