// How long texture loading takes on the CPU: a package picture shaped into a texture with a
// full mip chain, and DXT compression and decompression of a large surface.
#include "host/DxtCodec.h"
#include "host/ImageCodec.h"

#include <benchmark/benchmark.h>

namespace {

Image Gradient(uint32_t side)
{
    Image image;
    image.Create(PixelFormat::A8R8G8B8, side, side);
    for (uint32_t y = 0; y < side; y++)
        for (uint32_t x = 0; x < side; x++) {
            uint8_t* p = image.Level(0, 0) + ((size_t)y * side + x) * 4;
            p[0] = (uint8_t)x;
            p[1] = (uint8_t)y;
            p[2] = (uint8_t)(x ^ y);
            p[3] = 255;
        }
    return image;
}

void PngToTextureWithMips(benchmark::State& state)
{
    std::vector<uint8_t> png;
    EncodeImageFile(Gradient(1000), ImageFileFormat::PNG, png);
    for (auto _ : state) {
        Image texture;
        CreateImageFromMemoryEx(png.data(), png.size(), IMAGE_DEFAULT, IMAGE_DEFAULT, IMAGE_DEFAULT,
                                PixelFormat::Unknown, IMAGE_DEFAULT, IMAGE_DEFAULT, 0, texture);
        benchmark::DoNotOptimize(texture.pixels.data());
    }
}
BENCHMARK(PngToTextureWithMips)->Unit(benchmark::kMillisecond);

void EncodeDxt5(benchmark::State& state)
{
    Image image = Gradient(512);
    std::vector<uint8_t> blocks(SurfaceSize(PixelFormat::DXT5, 512, 512));
    for (auto _ : state) EncodeDXT(PixelFormat::DXT5, image.pixels.data(), 512, 512, blocks.data());
}
BENCHMARK(EncodeDxt5)->Unit(benchmark::kMillisecond);

void DecodeDxt1(benchmark::State& state)
{
    Image image = Gradient(1024);
    std::vector<uint8_t> blocks(SurfaceSize(PixelFormat::DXT1, 1024, 1024));
    EncodeDXT(PixelFormat::DXT1, image.pixels.data(), 1024, 1024, blocks.data());
    for (auto _ : state)
        DecodeDXT(PixelFormat::DXT1, blocks.data(), blocks.size(), 1024, 1024, image.pixels.data());
}
BENCHMARK(DecodeDxt1)->Unit(benchmark::kMillisecond);

}  // namespace
