// Pictures (PNG, JPEG, BMP, TGA, and DDS through the same door) as the graphics device loads
// textures: rounded up to powers of two, or at the file's size.
#include "fuzz/FuzzSupport.h"
#include "host/ImageCodec.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    PrepareFuzzing();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Image image;
    CreateImageFromMemoryEx(data, size, IMAGE_DEFAULT, IMAGE_DEFAULT, IMAGE_FROM_FILE, PixelFormat::Unknown, IMAGE_DEFAULT,
                            IMAGE_DEFAULT, 0, image);
    CreateImageFromMemoryEx(data, size, IMAGE_DEFAULT_NONPOW2, IMAGE_DEFAULT_NONPOW2, IMAGE_FROM_FILE,
                            PixelFormat::FromFile, IMAGE_FILTER_NONE, IMAGE_FILTER_NONE, 0, image);
    return 0;
}
