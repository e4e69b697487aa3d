// What the compile benchmarks share: the timed compile loop, on the thread's CPU clock (so a
// busy machine does not skew a figure), and the sizes of the longest sources compiled in one
// piece (one function's lines, one literal's bytes), which the closing summary reads back.
#pragma once

#include <benchmark/benchmark.h>

#include <ctime>
#include <string>

#include "script_compiler/gs_compile_log.h"
#include "script_compiler/gs_compiler.h"

inline constexpr int kLongFunctionLines = 2000000;
inline constexpr int kLongLiteralBytes = 5000000;

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
