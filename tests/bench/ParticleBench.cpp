// How long a frame of particles takes on the CPU: all 100 systems full of particles stepped
// once, and the wrapping of a long briefing text.
#include "render/Font.h"
#include "render/FontCache.h"
#include "render/ParticleManager.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

void StepAFullPool(benchmark::State& state)
{
    ParticleManager manager;
    manager.ReleaseTemplates();
    ParticleSystem* t = manager.LoadTemplate("data/effects/particles/default.txt");
    if (!t) {
        state.SkipWithError("no particle definitions");
        return;
    }
    t->flags |= PARTICLE_HEIGHTMAP_COLLISION | PARTICLE_SMOOTH_LERP;
    t->lifetime = 1000.0f;
    while (manager.SpawnSystem(t->name)) {}
    for (int i = 0; i < 20; ++i) manager.UpdateWith(0.1f);
    for (auto _ : state) manager.UpdateWith(0.0166f);
}
BENCHMARK(StepAFullPool);

void WrapABriefing(benchmark::State& state)
{
    Fonts = new FontCache();
    Font font("gui");
    font.Load("Arial", 10, 0);
    std::string text;
    for (int i = 0; i < 40; ++i) text += "The scavengers raid the refinery at dusk; build turrets^near it. ";
    int lines = 0;
    for (auto _ : state) benchmark::DoNotOptimize(font.DrawWrappedText(text.c_str(), 400, 0, 0, 0, 0, &lines));
    delete Fonts;
    Fonts = nullptr;
}
BENCHMARK(WrapABriefing);

}  // namespace
