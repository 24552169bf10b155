// A benchmark program for the bench table's test: two benchmarks with counters of different
// names (a table that wants every counter in every row cannot show them), one that reads a
// file under data/ of the folder it runs in, and one that writes a user file as the benchmarks
// that start the game do. It starts as every benchmark program does.
#include "platform/UserFolders.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

namespace {

void CountsBots(benchmark::State& state)
{
    for (auto _ : state) benchmark::DoNotOptimize(state.iterations());
    state.counters["bots"] = 42;
}
BENCHMARK(CountsBots)->Iterations(3);

void FindsSomething(benchmark::State& state)
{
    for (auto _ : state) benchmark::DoNotOptimize(state.iterations());
    state.counters["found"] = 1;
    state.counters["worst_us"] = 12.5;
}
BENCHMARK(FindsSomething)->Iterations(3);

void ReadsItsData(benchmark::State& state)
{
    if (!std::ifstream("data/sample.txt")) {
        state.SkipWithError("File data/sample.txt not found.");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(state.iterations());
}
BENCHMARK(ReadsItsData)->Iterations(3);

void WritesAUserFile(benchmark::State& state)
{
    if (!InitUserFolders()) {
        state.SkipWithError("no user folder");
        return;
    }
    for (auto _ : state) std::ofstream(std::string(UserFolder) + "/settings.cfg") << "sound 1\n";
}
// As long as the run asks (--benchmark_min_time): long enough to be stopped in the middle.
BENCHMARK(WritesAUserFile);

}  // namespace
