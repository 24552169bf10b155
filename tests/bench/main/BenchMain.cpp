// The start of every benchmark program: its user files go to a folder of its own in the
// temporary folder, removed when the program ends, as the tests' are. A benchmark that starts
// the game or a level never writes into the player's own folder, and a series of runs, ended
// or stopped by hand, leaves nothing behind.
#include "tests/support/ProgramUserFolder.h"

#include <benchmark/benchmark.h>

int main(int argc, char** argv)
{
    programfolder::Make("veldmark-bench");
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
