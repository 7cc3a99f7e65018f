// The benchmarks' main: the allocator set up as the programs set it up, then every
// benchmark of the program as Google Benchmark's own main runs them.
#include <benchmark/benchmark.h>

#include "platform/Memory.h"

int main(int argc, char** argv) {
    tabulo::KeepFreedMemoryForReuse();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
