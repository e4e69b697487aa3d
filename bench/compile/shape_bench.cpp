// The script compiler on sources whose one construct is repeated many times: a switch of
// many cases, a loop body of many `if (x == i) break;`, a class of many functions. Each is
// timed per line beside the plain source (many small classes) of kPlainShapeLines lines, so a compile
// that grows faster than what it compiles shows as a time per line far above the plain
// file's; compile_bench.cpp's summary sets them side by side.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "bench/compile/compile_bench_support.h"

namespace {

// The source of one shape: its opening lines, one line per repetition, its closing lines.
struct Shape {
    const char* open;
    std::function<std::string(int64_t)> line;
    const char* close;
};

const Shape kSwitch{"class Cases { int x; void F() { switch (x) {\n",
                    [](int64_t i) {
                        const std::string n = std::to_string(i);
                        return "  case " + n + ": x = " + n + "; break;\n";
                    },
                    "  default: x = -1; } } };\n"};
const Shape kBreaks{"class Breaks { int x; void F() { while (x < 5) {\n",
                    [](int64_t i) { return "  if (x == " + std::to_string(i) + ") break;\n"; }, "  x++; } } };\n"};
const Shape kMethods{"class Methods { int x;\n",
                     [](int64_t i) { return "  void F" + std::to_string(i) + "() { x++; }\n"; }, "};\n"};

std::string WriteShape(const char* name, const Shape& shape, int64_t lines) {
    const std::string path =
        std::filesystem::temp_directory_path().string() + "/kodrin-shape-" + name + "-" + std::to_string(lines) + ".gs";
    std::ofstream out(path, std::ios::binary);
    out << shape.open;
    for (int64_t i = 0; i < lines; ++i) out << shape.line(i);
    out << shape.close;
    return path;
}

// The counter is the time per repeated line, in nanoseconds.
void CompileShape(benchmark::State& state, const char* name, const Shape& shape) {
    const int64_t lines = state.range(0);
    const std::string source = WriteShape(name, shape, lines);
    TimeCompiles(state, source);
    state.counters["ns_per_line"] = benchmark::Counter(
        static_cast<double>(lines) * 1e-9, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    std::error_code ignored;
    std::filesystem::remove(source, ignored);
    std::filesystem::remove(std::filesystem::path(source).replace_extension(".gsl"), ignored);
}

void CompilePlain(benchmark::State& state) {
    const std::string path = std::filesystem::temp_directory_path().string() + "/kodrin-shape-plain.gs";
    std::ofstream(path, std::ios::binary) << Generate(ScriptUnit, "// pad", static_cast<int>(state.range(0)));
    TimeCompiles(state, path);
    state.counters["ns_per_line"] = benchmark::Counter(static_cast<double>(state.range(0)) * 1e-9,
                                                       benchmark::Counter::kIsIterationInvariantRate |
                                                           benchmark::Counter::kInvert);
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
    std::filesystem::remove(std::filesystem::path(path).replace_extension(".gsl"), ignored);
}
void CompileSwitch(benchmark::State& state) { CompileShape(state, "switch", kSwitch); }
void CompileBreaks(benchmark::State& state) { CompileShape(state, "breaks", kBreaks); }
void CompileMethods(benchmark::State& state) { CompileShape(state, "methods", kMethods); }

}  // namespace

BENCHMARK(CompilePlain)->Arg(kPlainShapeLines)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(CompileSwitch)->Arg(kSwitchCases)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
BENCHMARK(CompileBreaks)->Arg(kLoopBreaks)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
BENCHMARK(CompileMethods)->Arg(kClassMethods)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
