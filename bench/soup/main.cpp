// The soup benchmarks' one entry point; each format's measurements live in their own file.
#include <benchmark/benchmark.h>

BENCHMARK_MAIN();
