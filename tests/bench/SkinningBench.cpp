// What posing a walking unit costs on the CPU: the walker's walk sampled into its joints, the
// joint matrices rebuilt down the skeleton and every vertex skinned, once a frame as the game
// does for each unit on screen.
#include "content/meshgen/Catalogue.h"
#include "platform/Timer.h"
#include "render/Animation.h"
#include "render/IndexedMesh.h"
#include "render/MeshFormat.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

void SkinAWalkingUnit(benchmark::State& state)
{
    std::string text;
    for (const GeneratedFile& file : GenerateMeshFiles())
        if (file.fileName == "walker.txt") text = file.text;
    IndexedMesh walker;
    if (text.empty() || !walker.ParseMesh(&text[0]) || !walker.BuildBuffers(nullptr, false) || !walker.IsSkinned()) {
        state.SkipWithError("no skinned walker");
        return;
    }
    std::string walkText = WriteAnimationText(MakeWalkerWalk());
    auto walk = std::make_shared<Animation>();
    if (!ParseAnimation(&walkText[0], walk.get(), &walker)) {
        state.SkipWithError("the walk does not parse");
        return;
    }
    walker.animations[0] = walk;
    walker.animationSlot[ANIM_IDLE] = 0;
    walker.animationCount = 1;
    walker.SetAnimation(0, false, true);
    for (auto _ : state) {
        // The game runs the animation clock twice a frame: one frame of a 60th of a second.
        ++FrameTimer.frameCount;
        walker.Update(2.0f / 60.0f);
        benchmark::DoNotOptimize(walker.subMeshes[0].vertices.data());
    }
}
BENCHMARK(SkinAWalkingUnit)->Unit(benchmark::kMicrosecond);

}  // namespace
