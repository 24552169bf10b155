// What a frame's draws cost through the graphics device: many small 2D quads from memory (the
// HUD and text), and lit, textured meshes from buffers with a new world matrix each (the
// world). Needs a display (Xvfb will do).
#include "host/GfxDevice.h"
#include "host/GfxWindow.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

struct Bench {
    GfxWindow window;
    GfxDevice* device = nullptr;
    Bench()
    {
        PresentParameters params;
        params.BackBufferWidth = 1024;
        params.BackBufferHeight = 768;
        params.PresentationInterval = PRESENT_INTERVAL_IMMEDIATE;
        if (window.Create("Veldmark", 1024, 768, false)) GfxDevice::Create(&window, &params, &device);
    }
    ~Bench()
    {
        if (device) device->Release();
    }
};

GfxDevice* Device()
{
    static Bench bench;
    return bench.device;
}

struct ScreenVertex {
    float x, y, z, rhw;
    uint32_t color;
    float u, v;
};

void QuadsFromMemory(benchmark::State& state)
{
    GfxDevice* device = Device();
    if (!device) {
        state.SkipWithError("no display");
        return;
    }
    device->SetRenderState(RS_LIGHTING, 0);
    device->SetRenderState(RS_ALPHABLENDENABLE, 1);
    device->SetRenderState(RS_SRCBLEND, BLEND_SRCALPHA);
    device->SetRenderState(RS_DESTBLEND, BLEND_INVSRCALPHA);
    device->SetTextureStageState(0, TSS_COLOROP, TOP_SELECTARG1);
    device->SetTextureStageState(0, TSS_COLORARG1, TA_DIFFUSE);
    device->SetFVF(FVF_XYZRHW | FVF_DIFFUSE | FVF_TEX1);
    for (auto _ : state) {
        device->Clear(0, nullptr, CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        device->BeginScene();
        for (int i = 0; i < state.range(0); ++i) {
            float x = (float)(i * 37 % 1000), y = (float)(i * 53 % 740);
            ScreenVertex v[4] = {{x, y, 0, 1, 0x80FF8040, 0, 0}, {x + 20, y, 0, 1, 0x80FF8040, 1, 0},
                                 {x + 20, y + 20, 0, 1, 0x80FF8040, 1, 1}, {x, y + 20, 0, 1, 0x80FF8040, 0, 1}};
            device->DrawPrimitiveUP(PT_TRIANGLEFAN, 2, v, sizeof(ScreenVertex));
        }
        device->EndScene();
        device->Present();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(QuadsFromMemory)->Arg(1000)->Unit(benchmark::kMillisecond);

void LitMeshesFromBuffers(benchmark::State& state)
{
    GfxDevice* device = Device();
    if (!device) {
        state.SkipWithError("no display");
        return;
    }
    // A grid of 32 x 32 cells (2048 triangles) with normals and one texture coordinate set.
    struct Vertex {
        float x, y, z, nx, ny, nz, u, v;
    };
    const int n = 33;
    std::vector<Vertex> vertices;
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i)
            vertices.push_back({i / 32.0f - 0.5f, std::sin(i * 0.3f) * 0.05f, j / 32.0f - 0.5f, 0, 1, 0, i / 32.0f, j / 32.0f});
    std::vector<uint16_t> indices;
    for (int j = 0; j < n - 1; ++j)
        for (int i = 0; i < n - 1; ++i) {
            uint16_t a = (uint16_t)(j * n + i), b = (uint16_t)(a + 1), c = (uint16_t)(a + n), d = (uint16_t)(c + 1);
            for (uint16_t k : {a, c, b, b, c, d}) indices.push_back(k);
        }
    GfxVertexBuffer* vb = nullptr;
    GfxIndexBuffer* ib = nullptr;
    device->CreateVertexBuffer((uint32_t)(vertices.size() * sizeof(Vertex)), USAGE_WRITEONLY, 0, POOL_DEFAULT, &vb);
    device->CreateIndexBuffer((uint32_t)(indices.size() * 2), USAGE_WRITEONLY, FMT_INDEX16, POOL_MANAGED, &ib);
    void* p = nullptr;
    vb->Lock(0, 0, &p, 0);
    memcpy(p, vertices.data(), vertices.size() * sizeof(Vertex));
    vb->Unlock();
    ib->Lock(0, 0, &p, 0);
    memcpy(p, indices.data(), indices.size() * 2);
    ib->Unlock();
    GfxTexture* texture = nullptr;
    device->CreateTexture(256, 256, 0, USAGE_AUTOGENMIPMAP, FMT_A8R8G8B8, POOL_DEFAULT, &texture);
    Matrix view, projection;
    Vec3 eye(0, 10, -20), at(0, 0, 0), up(0, 1, 0);
    MatrixLookAtLH(&view, &eye, &at, &up);
    MatrixPerspectiveFovLH(&projection, 0.8f, 1024.0f / 768.0f, 1, 200);
    device->SetTransform(TS_VIEW, &view);
    device->SetTransform(TS_PROJECTION, &projection);
    GfxLight light;
    light.Direction = Vec3(0.3f, -1, 0.2f);
    light.Diffuse = {1, 1, 1, 1};
    device->SetLight(0, &light);
    device->LightEnable(0, true);
    GfxMaterial material;
    material.Diffuse = material.Ambient = {1, 1, 1, 1};
    device->SetMaterial(&material);
    device->SetRenderState(RS_FOGENABLE, 1);
    device->SetRenderState(RS_FOGTABLEMODE, FOG_EXP);
    device->SetRenderState(RS_FOGDENSITY, FloatBits(0.005f));
    device->SetTexture(0, texture);
    device->SetTextureStageState(0, TSS_COLOROP, TOP_MODULATE);
    device->SetFVF(FVF_XYZ | FVF_NORMAL | FVF_TEX1);
    device->SetStreamSource(0, vb, 0, sizeof(Vertex));
    device->SetIndices(ib);
    for (auto _ : state) {
        device->Clear(0, nullptr, CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF404040, 1.0f, 0);
        device->BeginScene();
        for (int i = 0; i < state.range(0); ++i) {
            Matrix world;
            MatrixTranslation(&world, (float)(i % 16) - 8, 0, (float)(i / 16) - 4);
            device->SetTransform(TS_WORLD, &world);
            device->DrawIndexedPrimitive(PT_TRIANGLELIST, 0, 0, (uint32_t)vertices.size(), 0,
                                         (uint32_t)indices.size() / 3);
        }
        device->EndScene();
        device->Present();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    device->SetTexture(0, nullptr);
    device->SetStreamSource(0, nullptr, 0, 0);
    device->SetIndices(nullptr);
    texture->Release();
    vb->Release();
    ib->Release();
}
BENCHMARK(LitMeshesFromBuffers)->Arg(100)->Unit(benchmark::kMillisecond);

}  // namespace
