// The frame-time graph's bars: 300 quads along the bottom left of the screen, each as tall
// as its frame took (100 pixels per sixtieth of a second), drawn in the 2D mode.
#include "platform/Timer.h"

#include "host/GfxDevice.h"
#include "render/Draw2D.h"
#include "render/FrameGraph.h"
#include "render/GraphicsDevice.h"
#include "render/RenderStateCache.h"

namespace {

struct GraphVertex {
    float x, y, z;
    uint32_t colour;
    float u, v;
};
constexpr uint32_t GRAPH_FVF = FVF_XYZ | FVF_DIFFUSE | FVF_TEX1;

GfxVertexBuffer* graphVertices = nullptr;
GfxIndexBuffer* graphIndices = nullptr;
GraphVertex baseVertices[FrameGraph::VERTICES];

bool CreateGraph()
{
    if (graphVertices) return true;
    FrameGraph::Clear();
    const float left = (float)(100 - ScreenWidth() / 2), bottom = (float)(230 - ScreenHeight() / 2);
    for (int k = 0; k < FrameGraph::SAMPLES; ++k) {
        float x0 = left + 2.0f * (float)k, x1 = x0 + 2.0f, y0 = bottom, y1 = bottom + 1.5f;
        baseVertices[4 * k + 0] = {x0, y0, 0.0f, 0, 0.0f, 1.0f};
        baseVertices[4 * k + 1] = {x1, y0, 0.0f, 0, 1.0f, 1.0f};
        baseVertices[4 * k + 2] = {x1, y1, 0.0f, 0, 1.0f, 0.0f};
        baseVertices[4 * k + 3] = {x0, y1, 0.0f, 0, 0.0f, 0.0f};
    }
    // Kept to the end of the program, so in the managed pool: no device reset needs it gone.
    if (!CreateManagedVertexBuffer(sizeof baseVertices, 0, GRAPH_FVF, &graphVertices)) return false;
    if (!Graphics->CreateIndexBuffer(FrameGraph::SAMPLES * 6 * sizeof(uint16_t), 0, FMT_INDEX16, &graphIndices)) {
        graphIndices = nullptr;
        SafeRelease(&graphVertices);
        return false;
    }
    uint16_t* index = nullptr;
    if (GfxFailed(graphIndices->Lock(0, 0, (void**)&index, 0))) return false;
    for (int k = 0; k < FrameGraph::SAMPLES; ++k) {
        uint16_t b = (uint16_t)(4 * k);
        const uint16_t quad[6] = {b, (uint16_t)(b + 1), (uint16_t)(b + 2), b, (uint16_t)(b + 2), (uint16_t)(b + 3)};
        for (int j = 0; j < 6; ++j) index[6 * k + j] = quad[j];
    }
    graphIndices->Unlock();
    return true;
}

void UpdateGraph()
{
    FrameGraph::Record(FrameTimer.delta);
    GraphVertex* v = nullptr;
    if (GfxFailed(graphVertices->Lock(0, 0, (void**)&v, 0))) return;
    for (int i = 0; i < FrameGraph::VERTICES; ++i) {
        float sample = FrameGraph::SampleForQuad(i / 4);
        v[i] = baseVertices[i];
        if (i % 4 >= 2) v[i].y += sample * 60.0f * 100.0f;
        v[i].colour = FrameGraph::VertexColour(i, sample);
    }
    graphVertices->Unlock();
}

}  // namespace

void FrameGraph::Draw()
{
    if (!IsEnabled() || !Graphics || !Graphics->device) return;
    if (!CreateGraph()) return;
    UpdateGraph();

    RenderStates.SetRenderState(RS_ALPHABLENDENABLE, 1);
    RenderStates.SetRenderState(RS_SRCBLEND, BLEND_SRCALPHA);
    RenderStates.SetRenderState(RS_DESTBLEND, BLEND_INVSRCALPHA);
    RenderStates.SetRenderState(RS_CULLMODE, CULL_NONE);
    RenderStates.SetTextureStageState(0, TSS_COLOROP, TOP_SELECTARG2);
    RenderStates.SetTextureStageState(0, TSS_COLORARG2, TA_DIFFUSE);
    RenderStates.SetTextureStageState(0, TSS_ALPHAOP, TOP_SELECTARG2);
    RenderStates.SetTextureStageState(0, TSS_ALPHAARG2, TA_DIFFUSE);
    RenderStates.SetTextureStageState(1, TSS_COLOROP, TOP_DISABLE);
    Graphics->SetProgram(nullptr);
    Graphics->SetFVF(GRAPH_FVF);
    Graphics->SetStreamSource(graphVertices, sizeof(GraphVertex));
    Graphics->SetIndices(graphIndices);
    Graphics->DrawIndexedPrimitive(PT_TRIANGLELIST, VERTICES, SAMPLES * 2);

    RenderStates.SetRenderState(RS_CULLMODE, CULL_CCW);
    SetStageModulate();
}

void ReleaseFrameGraphBuffers()
{
    SafeRelease(&graphVertices);
    SafeRelease(&graphIndices);
}
