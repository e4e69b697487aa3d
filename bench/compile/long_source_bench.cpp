// The script compiler on sources that are long in one piece: one class whose one function
// is n lines long (one statement a line, n from 250,000 to 2,000,000), and one string
// literal of n bytes (1 MB and 5 MB). A compile whose cost grows faster than its length
// shows here as a time per line or per byte that rises with n. compile_bench.cpp's summary
// sets these figures beside the time per line of the plain file of many small functions.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "bench/compile/compile_bench_support.h"

namespace {

std::string SourcePath(const char* shape, int64_t length) {
    return std::filesystem::temp_directory_path().string() + "/kodrin-" + shape + "-" + std::to_string(length) + ".gs";
}

// The class header, n - 3 statement lines and the closing lines.
std::string WriteLongFunction(int64_t lines) {
    const std::string path = SourcePath("function", lines);
    std::ofstream out(path, std::ios::binary);
    out << "class Long { int x; void F() {\n";
    for (int64_t i = 3; i < lines; ++i) out << "  x++;\n";
    out << "} };\n";
    return path;
}

// A member initialised by a string literal of n bytes.
std::string WriteLongLiteral(int64_t bytes) {
    const std::string path = SourcePath("literal", bytes);
    std::ofstream(path, std::ios::binary) << "class Long { string s = \"" << std::string(static_cast<size_t>(bytes), 's')
                                          << "\"; };\n";
    return path;
}

// The counter is the time per unit of length, in nanoseconds.
void CompileLongSource(benchmark::State& state, const std::string& source, const char* counter) {
    const int64_t length = state.range(0);
    TimeCompiles(state, source);
    state.counters[counter] = benchmark::Counter(
        static_cast<double>(length) * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    std::error_code ignored;
    std::filesystem::remove(source, ignored);
    std::filesystem::remove(std::filesystem::path(source).replace_extension(".gsl"), ignored);
}

void CompileOneLongFunction(benchmark::State& state) {
    CompileLongSource(state, WriteLongFunction(state.range(0)), "ns_per_line");
}

void CompileOneLongLiteral(benchmark::State& state) {
    CompileLongSource(state, WriteLongLiteral(state.range(0)), "ns_per_byte");
}

}  // namespace

BENCHMARK(CompileOneLongFunction)
    ->Arg(250000)
    ->Arg(kLongFunctionLines)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);
BENCHMARK(CompileOneLongLiteral)
    ->Arg(kLongLiteralBytes / 5)
    ->Arg(kLongLiteralBytes)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3);
