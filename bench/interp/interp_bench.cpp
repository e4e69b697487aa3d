// The script interpreter against Lua 5.4 in one run: both count the primes below kLimit with
// the same sieve (an array of flags, an outer loop over candidates, an inner loop striking
// multiples), the script compiled by our compiler and called through
// GSRuntime::CallScriptFunction, the Lua function called through the Lua C API in the same
// process. The limit keeps one call well inside the run budget of 2^24 code bytes. After the
// run a summary gives the interpreter's speed as a multiple of Lua's, then the figures of the
// string concatenation benchmark (concat_bench.cpp) and the verdicts of the other programs
// run against their Lua twins (peer_programs.cpp).
#include <benchmark/benchmark.h>

#include <cstdio>

#include "bench/interp/compiled_script.h"
#include "bench/interp/concat_bench.h"
#include "bench/interp/lua_function.h"
#include "bench/interp/peer_programs.h"
#include "bench/run_summary.h"

namespace {

constexpr int32_t kLimit = 50000;
constexpr int32_t kPrimes = 5133;  // below 50,000

constexpr const char* kScript =
    "class Sieve {\n"
    "    public int Count(int n) {\n"
    "        int[] composite = new int[n + 1];\n"
    "        int count = 0; int i; int j;\n"
    "        for (i = 2; i <= n; i++) {\n"
    "            if (composite[i] == 0) {\n"
    "                count++;\n"
    "                for (j = i + i; j <= n; j = j + i) composite[j] = 1;\n"
    "            }\n"
    "        }\n"
    "        return count;\n"
    "    }\n"
    "};\n";

constexpr const char* kLua =
    "function count(n)\n"
    "    local composite = {}\n"
    "    for i = 0, n do composite[i] = 0 end\n"
    "    local count = 0\n"
    "    for i = 2, n do\n"
    "        if composite[i] == 0 then\n"
    "            count = count + 1\n"
    "            for j = i + i, n, i do composite[j] = 1 end\n"
    "        end\n"
    "    end\n"
    "    return count\n"
    "end\n";

// The compiled sieve and one instance of it.
class ScriptSieve {
  public:
    bool Ready() const { return script_.Ready(); }
    int32_t Count(int32_t limit) { return script_.CallInt("$int@Sieve::Count(int)", limit); }

  private:
    CompiledScript script_{kScript, "Sieve"};
};

class LuaSieve {
  public:
    bool Ready() const { return lua_.Ready(); }
    int32_t Count(int32_t limit) { return static_cast<int32_t>(lua_.Call(limit)); }

  private:
    LuaFunction lua_{kLua, "count"};
};

template <class Sieve>
void RunSieve(benchmark::State& state, const char* what) {
    Sieve sieve;
    if (!sieve.Ready()) {
        state.SkipWithError(what);
        return;
    }
    for (auto _ : state) {
        const int32_t count = sieve.Count(kLimit);
        if (count != kPrimes) {
            state.SkipWithError("wrong prime count");
            return;
        }
        benchmark::DoNotOptimize(count);
    }
}

void ScriptInterpreter(benchmark::State& state) { RunSieve<ScriptSieve>(state, "the script did not compile or load"); }
void Lua(benchmark::State& state) { RunSieve<LuaSieve>(state, "the Lua source did not load"); }

BENCHMARK(ScriptInterpreter)->Unit(benchmark::kMicrosecond)->MinTime(2.0);
BENCHMARK(Lua)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RunSummary reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double own = reporter.CpuSeconds("ScriptInterpreter") * 1e6;
    const double peer = reporter.CpuSeconds("Lua") * 1e6;
    std::printf("\nSieve below %d: script interpreter %.0f us, Lua 5.4 %.0f us per call; "
                "speed ratio %.2fx of Lua's\n", kLimit, own, peer, own > 0 ? peer / own : 0);
    PrintConcatenationSummary(reporter);
    RunSummary::Target("script sieve", "Lua 5.4", own > 0 ? peer / own : 0, 1.0);
    PrintPeerProgramTargets(reporter);
    reporter.Close();
    benchmark::Shutdown();
    return 0;
}
