// A script string built by `s = s + chunk` of 16 bytes at a time, to 64 KB, 256 KB and 1 MB,
// against the same build with std::string::append in the same run. Concatenation that grows
// the string in place, geometrically, costs the same time per byte at every size; one that
// copied the string each time would cost sixteen times as much per byte at 1 MB as at 64 KB.
#include "bench/interp/concat_bench.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "bench/interp/compiled_script.h"
#include "bench/run_summary.h"

namespace {

constexpr int64_t kSmall = int64_t{1} << 16;
constexpr int64_t kLarge = int64_t{1} << 20;

constexpr const char* kScript =
    "class Builder {\n"
    "    public int Build(int total) {\n"
    "        string s = \"\"; string chunk = \"0123456789abcdef\";\n"
    "        while (s.size() < total) s = s + chunk;\n"
    "        return s.size();\n"
    "    }\n"
    "};\n";

void ScriptConcatenation(benchmark::State& state) {
    CompiledScript script(kScript, "Builder");
    if (!script.Ready()) {
        state.SkipWithError("the script did not compile or load");
        return;
    }
    const auto total = static_cast<int32_t>(state.range(0));
    for (auto _ : state) {
        const int32_t length = script.CallInt("$int@Builder::Build(int)", total);
        if (length != total) {
            state.SkipWithError("the script did not build the string");
            return;
        }
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

void StdStringAppend(benchmark::State& state) {
    const std::string chunk = "0123456789abcdef";
    for (auto _ : state) {
        std::string s;
        while (static_cast<int64_t>(s.size()) < state.range(0)) s.append(chunk);
        benchmark::DoNotOptimize(s.data());
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

BENCHMARK(ScriptConcatenation)->Arg(kSmall)->Arg(kSmall * 4)->Arg(kLarge)->Unit(benchmark::kMicrosecond);
BENCHMARK(StdStringAppend)->Arg(kLarge)->Unit(benchmark::kMicrosecond);

}  // namespace

void PrintConcatenationSummary(const RunSummary& reporter) {
    const std::string script = "ScriptConcatenation/";
    const double small = reporter.CpuSeconds(script + std::to_string(kSmall)) / kSmall;
    const double large = reporter.CpuSeconds(script + std::to_string(kLarge)) / kLarge;
    const double peer = reporter.CpuSeconds("StdStringAppend/" + std::to_string(kLarge)) / kLarge;
    std::printf("String concatenation, 16 bytes at a time: %.1f ns per byte to 64 KB, %.1f ns to 1 MB "
                "(ratio %.2f; linear time is 1, copying every time 16); std::string append %.2f ns "
                "per byte, the script %.0fx that\n",
                small * 1e9, large * 1e9, small > 0 ? large / small : 0, peer * 1e9, peer > 0 ? large / peer : 0);
}
