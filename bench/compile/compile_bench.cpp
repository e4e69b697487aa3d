// The script compiler against luac (Lua 5.4) in one run: each compiles a generated source
// of kLines lines (the same shapes of classes, functions, loops and branches in each
// language) to its byte-code file. The speed is lines per second of CPU time: the
// compiling thread's own for the compiler, the child's user and system time (from wait4)
// for luac, which runs as a process. So a busy machine skews neither side, and luac's
// process start is counted against it as the tool's own start would be. After the run a
// summary gives the compiler's speed as a multiple of luac's.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/compile/compile_bench_support.h"
#include "bench/run_summary.h"

extern char** environ;

namespace {

constexpr int kLines = 50000;
constexpr const char* kLuac = "/usr/bin/luac5.4";

int CountLines(const std::string& text) {
    int lines = 0;
    for (char c : text) lines += c == '\n';
    return lines;
}

// Units of the given language until the next one would pass kLines, then comment lines.
template <class Unit>
std::string Generate(Unit unit, const char* pad) {
    std::string text;
    int lines = 0;
    for (int i = 0;; ++i) {
        const std::string next = unit(i);
        const int count = CountLines(next);
        if (lines + count > kLines) break;
        text += next;
        lines += count;
    }
    for (; lines < kLines; ++lines) text += std::string(pad) + "\n";
    return text;
}

std::string ScriptUnit(int i) {
    const std::string n = std::to_string(i);
    return "class C" + n + "\n{\n  int total;\n  float scale = 1.5;\n"
           "  public int Step(int a, int b)\n  {\n    int c = a + b * 2;\n"
           "    if (c > 10) c = c - 3;\n    else c = c + 1;\n"
           "    while (c > 100) c = c / 2;\n    total = total + c;\n    return c;\n  }\n"
           "  public float Mix(float x)\n  {\n    int i;\n    float sum = 0.0;\n"
           "    for (i = 0; i < 8; i++)\n    {\n      sum = sum + x * scale;\n"
           "      if (sum > 100.0) break;\n    }\n    return sum;\n  }\n"
           "  public string Name()\n  {\n    return \"C" + n + " \" + total;\n  }\n};\n";
}

std::string LuaUnit(int i) {
    const std::string n = "C" + std::to_string(i);
    return n + " = {\n  total = 0,\n  scale = 1.5\n}\n"
           "function " + n + ".Step(self, a, b)\n  local c = a + b * 2\n"
           "  if c > 10 then c = c - 3\n  else c = c + 1 end\n"
           "  while c > 100 do c = c // 2 end\n  self.total = self.total + c\n  return c\nend\n"
           "function " + n + ".Mix(self, x)\n  local sum = 0.0\n"
           "  for i = 0, 7 do\n"
           "    sum = sum + x * self.scale\n"
           "    if sum > 100.0 then break end\n  end\n  return sum\nend\n"
           "function " + n + ".Name(self)\n  return \"" + n + " \" .. self.total\nend\n";
}

class Workspace {
public:
    Workspace() {
        std::string pattern = std::filesystem::temp_directory_path().string() + "/kodrin-compile-XXXXXX";
        if (mkdtemp(pattern.data())) folder_ = pattern;
        std::ofstream(Path("bench.gs"), std::ios::binary) << Generate(ScriptUnit, "// pad");
        std::ofstream(Path("bench.lua"), std::ios::binary) << Generate(LuaUnit, "-- pad");
    }
    ~Workspace() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    std::string Path(const char* name) const { return folder_ + "/" + name; }

private:
    std::string folder_;
};

const Workspace& Files() {
    static const Workspace workspace;
    return workspace;
}

void SetLines(benchmark::State& state) {
    state.counters["lines_per_second"] =
        benchmark::Counter(kLines, benchmark::Counter::kIsIterationInvariantRate);
}

void CompileScript(benchmark::State& state) {
    TimeCompiles(state, Files().Path("bench.gs"));
    SetLines(state);
}

double Seconds(const timeval& time) {
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) * 1e-6;
}

// luac compiling the Lua source to its byte-code file, started without a shell; seconds
// gets the child's CPU time. False when it did not run or failed.
bool RunLuac(const std::string& source, const std::string& output, double& seconds) {
    const char* argv[] = {kLuac, "-o", output.c_str(), source.c_str(), nullptr};
    pid_t child = 0;
    if (posix_spawn(&child, kLuac, nullptr, nullptr, const_cast<char**>(argv), environ) != 0) return false;
    int status = 0;
    rusage usage{};
    while (wait4(child, &status, 0, &usage) < 0) {
    }
    seconds = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void CompileLua(benchmark::State& state) {
    const std::string source = Files().Path("bench.lua");
    const std::string output = Files().Path("bench.luac");
    for (auto _ : state) {
        double seconds = 0;
        if (!RunLuac(source, output, seconds)) {
            state.SkipWithError("luac5.4 failed (scripts/setup installs lua5.4)");
            return;
        }
        state.SetIterationTime(seconds);
    }
    SetLines(state);
}

BENCHMARK(CompileScript)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(2.0);
BENCHMARK(CompileLua)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RunSummary reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double own = reporter.Counter("CompileScript", "lines_per_second");
    const double peer = reporter.Counter("CompileLua", "lines_per_second");
    std::printf("\nScript compiler, %d lines: %.0f lines/s; luac5.4, %d lines: %.0f lines/s; "
                "ratio %.2fx\n", kLines, own, kLines, peer, peer > 0 ? own / peer : 0);
    const double plainLine = own > 0 ? 1e9 / own : 0;
    const double shortLine = reporter.Counter("CompileOneLongFunction/250000", "ns_per_line");
    const double longLine =
        reporter.Counter("CompileOneLongFunction/" + std::to_string(kLongFunctionLines), "ns_per_line");
    std::printf("One function of 250000 lines: %.0f ns/line; of %d lines: %.0f ns/line (%.2fx); "
                "the plain file: %.0f ns/line\n",
                shortLine, kLongFunctionLines, longLine, shortLine > 0 ? longLine / shortLine : 0, plainLine);
    const double shortByte = reporter.Counter("CompileOneLongLiteral/" + std::to_string(kLongLiteralBytes / 5), "ns_per_byte");
    const double longByte = reporter.Counter("CompileOneLongLiteral/" + std::to_string(kLongLiteralBytes), "ns_per_byte");
    std::printf("One string literal of %d bytes: %.1f ns/byte; of %d bytes: %.1f ns/byte (%.2fx)\n",
                kLongLiteralBytes / 5, shortByte, kLongLiteralBytes, longByte, shortByte > 0 ? longByte / shortByte : 0);
    benchmark::Shutdown();
    return 0;
}
