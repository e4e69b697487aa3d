// What the compile benchmarks share: the plain source of many small classes, the timed
// compile loop, on the thread's CPU clock (so a busy machine does not skew a figure), and
// the sizes of the longest sources compiled in one piece (one function's lines, one
// literal's bytes) and of the repeated shapes, which the closing summary reads back.
#pragma once

#include <benchmark/benchmark.h>

#include <ctime>
#include <string>

#include "script_compiler/gs_compile_log.h"
#include "script_compiler/gs_compiler.h"

inline constexpr int kLongFunctionLines = 2000000;
inline constexpr int kLongLiteralBytes = 5000000;
inline constexpr int kPlainShapeLines = 100000;
inline constexpr int kSwitchCases = 30000;
inline constexpr int kLoopBreaks = 30000;
inline constexpr int kClassMethods = 20000;

inline int CountLines(const std::string& text) {
    int lines = 0;
    for (char c : text) lines += c == '\n';
    return lines;
}

// Units of the given language until the next one would pass `wanted` lines, then comment
// lines.
template <class Unit>
std::string Generate(Unit unit, const char* pad, int wanted) {
    std::string text;
    int lines = 0;
    for (int i = 0;; ++i) {
        const std::string next = unit(i);
        const int count = CountLines(next);
        if (lines + count > wanted) break;
        text += next;
        lines += count;
    }
    for (; lines < wanted; ++lines) text += std::string(pad) + "\n";
    return text;
}

// One class of the plain source: members, three short functions, the usual statements.
inline std::string ScriptUnit(int i) {
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

inline double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Compiles the source beside itself once per iteration, each compile timed alone; a compile
// with errors ends the run with its first message.
inline void TimeCompiles(benchmark::State& state, const std::string& source) {
    for (auto _ : state) {
        GSCompileLog log;
        const double start = ThreadSeconds();
        const int errors = GSCompiler::CompileToFolder(source.c_str(), nullptr, {}, &log);
        state.SetIterationTime(ThreadSeconds() - start);
        if (errors != 0) {
            std::string message;
            log.Take(message);
            state.SkipWithError(("the generated source did not compile: " + message).c_str());
            return;
        }
    }
}
