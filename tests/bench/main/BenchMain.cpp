// The start of every benchmark program: its user files go to a folder of its own, made afresh
// in the temporary folder ($TMPDIR, else /tmp) and removed when the benchmarks are done, as the
// tests' are. A benchmark that starts the game or a level never writes into the user's own
// folder, and a series of runs leaves nothing behind.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    const char* temporary = getenv("TMPDIR");
    std::string pattern = std::string(temporary && *temporary ? temporary : "/tmp") + "/veldmark-bench-XXXXXX";
    const char* folder = mkdtemp(&pattern[0]);
    if (folder) setenv("XDG_DATA_HOME", folder, 1);
    benchmark::Initialize(&argc, argv);
    int result = 0;
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        result = 1;
    else
        benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (folder) {
        const std::string command = "rm -rf '" + std::string(folder) + "'";
        if (system(command.c_str()) != 0) {}
    }
    return result;
}
