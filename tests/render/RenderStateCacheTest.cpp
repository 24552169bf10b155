#include "render/RenderStateCache.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Every call that gets through the cache, as text.
class Recorder : public RenderStateTarget {
public:
    void SetRenderState(uint32_t state, uint32_t value) override { Note("rs", state, value); }
    void SetTextureStageState(uint32_t stage, uint32_t type, uint32_t value) override
    {
        Note("tss" + std::to_string(stage), type, value);
    }
    void SetSamplerState(uint32_t sampler, uint32_t type, uint32_t value) override
    {
        Note("samp" + std::to_string(sampler), type, value);
    }
    void SetVertexDeclaration(GfxVertexDeclaration* declaration) override
    {
        calls.push_back("decl " + std::to_string((uintptr_t)declaration));
    }
    void SetFVF(uint32_t fvf) override { calls.push_back("fvf " + std::to_string(fvf)); }

    std::vector<std::string> calls;

private:
    void Note(const std::string& what, uint32_t type, uint32_t value)
    {
        calls.push_back(what + " " + std::to_string(type) + "=" + std::to_string(value));
    }
};

class RenderStateCacheTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        cache.SetTarget(&recorder);
        cache.Reset();
    }
    RenderStateCache cache;
    Recorder recorder;
};

GfxVertexDeclaration* FakeDeclaration(uintptr_t id)
{
    return reinterpret_cast<GfxVertexDeclaration*>(id);
}

}  // namespace

TEST_F(RenderStateCacheTest, OnlyChangesReachTheDeviceWithinAFrame)
{
    cache.SetRenderState(27, 1);
    cache.SetRenderState(27, 1);
    cache.SetRenderState(27, 0);
    cache.SetTextureStageState(0, 1, 4);
    cache.SetTextureStageState(0, 1, 4);
    cache.SetSamplerState(0, 5, 2);
    cache.SetSamplerState(0, 5, 2);
    cache.Reset();  // the next frame
    cache.SetRenderState(27, 0);
    cache.SetTextureStageState(0, 1, 4);
    cache.SetSamplerState(0, 5, 2);
    std::vector<std::string> expected = {"rs 27=1", "rs 27=0", "tss0 1=4", "samp0 5=2",
                                         "rs 27=0", "tss0 1=4", "samp0 5=2"};
    EXPECT_EQ(recorder.calls, expected);
}

TEST_F(RenderStateCacheTest, EdgeCases)
{
    struct Case {
        const char* what;
        void (*run)(RenderStateCache&);
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"an all-ones value right after a reset still reaches the device",
         [](RenderStateCache& c) {
             c.SetRenderState(58, 0xFFFFFFFFu);
             c.SetRenderState(58, 0xFFFFFFFFu);
         },
         {"rs 58=4294967295"}},
        {"stages other than 0 are never cached",
         [](RenderStateCache& c) {
             c.SetTextureStageState(1, 1, 4);
             c.SetTextureStageState(1, 1, 4);
         },
         {"tss1 1=4", "tss1 1=4"}},
        {"samplers other than 0 are never cached",
         [](RenderStateCache& c) {
             c.SetSamplerState(2, 6, 2);
             c.SetSamplerState(2, 6, 2);
         },
         {"samp2 6=2", "samp2 6=2"}},
        {"an FVF after a declaration always reaches the device",
         [](RenderStateCache& c) {
             c.SetFVF(0x142);
             c.SetVertexDeclaration(FakeDeclaration(64));
             c.SetFVF(0x142);
             c.SetFVF(0x142);
         },
         {"fvf 322", "decl 64", "fvf 322"}},
        {"a declaration after an FVF always reaches the device",
         [](RenderStateCache& c) {
             c.SetVertexDeclaration(FakeDeclaration(64));
             c.SetFVF(0x142);
             c.SetVertexDeclaration(FakeDeclaration(64));
             c.SetVertexDeclaration(FakeDeclaration(64));
         },
         {"decl 64", "fvf 322", "decl 64"}},
        {"forgetting the render states keeps the stage and sampler values",
         [](RenderStateCache& c) {
             c.SetRenderState(7, 1);
             c.SetTextureStageState(0, 4, 2);
             c.ResetRenderStates();
             c.SetRenderState(7, 1);
             c.SetTextureStageState(0, 4, 2);
         },
         {"rs 7=1", "tss0 4=2", "rs 7=1"}},
        {"states beyond the tables go straight through",
         [](RenderStateCache& c) {
             c.SetRenderState(300, 1);
             c.SetRenderState(300, 1);
             c.SetTextureStageState(0, 32, 5);
             c.SetTextureStageState(0, 32, 5);
         },
         {"rs 300=1", "rs 300=1", "tss0 32=5", "tss0 32=5"}},
    };
    for (const Case& c : cases) {
        cache.Reset();
        recorder.calls.clear();
        c.run(cache);
        EXPECT_EQ(recorder.calls, c.expected) << c.what;
    }
}
