// Two more programs of the script interpreter against their Lua 5.4 twins, in the same run:
// a string built of 100,000 pieces (each number and a comma: the script appends to one
// string, `s = s + i + ","`; Lua, whose strings never change, gathers the pieces in a table
// and joins them with table.concat, the way Lua builds a long string), and 1,000,000 method
// calls on a script object whose method reads and writes its members (ten calls of 100,000,
// each well inside the run budget; Lua calls a method of a table with a metatable). Each
// iteration checks its result against the one computed here.
#include "bench/interp/peer_programs.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "bench/interp/compiled_script.h"
#include "bench/interp/lua_function.h"
#include "bench/run_summary.h"

namespace {

constexpr int32_t kPieces = 100000;
constexpr int32_t kCallsPerRun = 100000;
constexpr int kRuns = 10;

constexpr const char* kPiecesScript =
    "class Pieces {\n"
    "    public int Build(int n) {\n"
    "        string s = \"\"; int i;\n"
    "        for (i = 0; i < n; i++) s = s + i + \",\";\n"
    "        return s.size();\n"
    "    }\n"
    "};\n";

constexpr const char* kPiecesLua =
    "function build(n)\n"
    "    local parts = {}\n"
    "    for i = 0, n - 1 do parts[i + 1] = i .. \",\" end\n"
    "    return #table.concat(parts)\n"
    "end\n";

constexpr const char* kCallsScript =
    "class Counter {\n"
    "    int total; int step = 3; int calls;\n"
    "    public int Add(int v) {\n"
    "        total = (total + v * step) & 65535;\n"
    "        calls++;\n"
    "        return total + calls;\n"
    "    }\n"
    "};\n"
    "class Calls {\n"
    "    public int Run(int n) {\n"
    "        Counter c = new Counter(); int i; int last = 0;\n"
    "        for (i = 0; i < n; i++) last = c.Add(i);\n"
    "        return last;\n"
    "    }\n"
    "};\n";

constexpr const char* kCallsLua =
    "local Counter = {}\n"
    "Counter.__index = Counter\n"
    "function Counter:add(v)\n"
    "    self.total = (self.total + v * self.step) & 65535\n"
    "    self.calls = self.calls + 1\n"
    "    return self.total + self.calls\n"
    "end\n"
    "function run(n)\n"
    "    local c = setmetatable({total = 0, step = 3, calls = 0}, Counter)\n"
    "    local last = 0\n"
    "    for i = 0, n - 1 do last = c:add(i) end\n"
    "    return last\n"
    "end\n";

int64_t PiecesLength() {
    int64_t length = 0;
    for (int32_t i = 0; i < kPieces; ++i) length += static_cast<int64_t>(std::to_string(i).size()) + 1;
    return length;
}

int64_t CallsResult() {
    int64_t total = 0;
    int64_t last = 0;
    for (int32_t i = 0; i < kCallsPerRun; ++i) {
        total = (total + int64_t{i} * 3) & 65535;
        last = total + i + 1;
    }
    return last;
}

// One iteration: `runs` calls of the function with `argument`, each checked.
template <class Call>
void RunProgram(benchmark::State& state, bool ready, Call call, int32_t argument, int runs, int64_t expected) {
    if (!ready) {
        state.SkipWithError("the program did not compile or load");
        return;
    }
    for (auto _ : state) {
        for (int run = 0; run < runs; ++run) {
            if (call(argument) != expected) {
                state.SkipWithError("wrong result");
                return;
            }
        }
    }
}

void ScriptPieces(benchmark::State& state) {
    CompiledScript script(kPiecesScript, "Pieces");
    RunProgram(state, script.Ready(), [&](int32_t n) { return script.CallInt("$int@Pieces::Build(int)", n); },
               kPieces, 1, PiecesLength());
}

void LuaPieces(benchmark::State& state) {
    LuaFunction lua(kPiecesLua, "build");
    RunProgram(state, lua.Ready(), [&](int32_t n) { return lua.Call(n); }, kPieces, 1, PiecesLength());
}

void ScriptMethodCalls(benchmark::State& state) {
    CompiledScript script(kCallsScript, "Calls");
    RunProgram(state, script.Ready(), [&](int32_t n) { return script.CallInt("$int@Calls::Run(int)", n); },
               kCallsPerRun, kRuns, CallsResult());
}

void LuaMethodCalls(benchmark::State& state) {
    LuaFunction lua(kCallsLua, "run");
    RunProgram(state, lua.Ready(), [&](int32_t n) { return lua.Call(n); }, kCallsPerRun, kRuns, CallsResult());
}

BENCHMARK(ScriptPieces)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(LuaPieces)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(ScriptMethodCalls)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(LuaMethodCalls)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// The speed of the script as a multiple of its twin's.
void PrintTarget(const RunSummary& reporter, const char* path, const char* script, const char* lua) {
    const double own = reporter.CpuSeconds(script);
    const double peer = reporter.CpuSeconds(lua);
    std::printf("%s: script interpreter %.0f us, Lua 5.4 %.0f us; speed ratio %.2fx of Lua's\n", path, own * 1e6,
                peer * 1e6, own > 0 ? peer / own : 0);
    RunSummary::Target(path, "Lua 5.4", own > 0 ? peer / own : 0, 1.0);
}

}  // namespace

void PrintPeerProgramTargets(const RunSummary& reporter) {
    PrintTarget(reporter, "script string of 100000 pieces", "ScriptPieces", "LuaPieces");
    PrintTarget(reporter, "script 1000000 method calls", "ScriptMethodCalls", "LuaMethodCalls");
}
