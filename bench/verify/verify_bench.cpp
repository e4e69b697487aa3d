// What the typed pass of the byte-code verifier costs a load: a generated source of kLines
// lines (classes whose functions branch, loop, call each other and build strings) is
// compiled once; then the whole load of its library (reading, the structural verifier,
// linking and the typed pass) is measured against the typed pass alone over the same
// library's functions, in one run. The summary gives the typed pass's time as a share of
// the load without it.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "bench/run_summary.h"
#include "foundation/streams/little_endian.h"
#include "script_compiler/gs_compile_log.h"
#include "script_compiler/gs_compiler.h"
#include "script_runtime/gs_class.h"
#include "script_runtime/gs_kind_verifier.h"
#include "script_runtime/gs_library.h"
#include "script_runtime/gs_machine.h"

namespace {

constexpr int kLines = 50000;

std::string Unit(int i) {
    const std::string n = std::to_string(i);
    return "class C" + n + "\n{\n  int total;\n  float scale = 1.5;\n  string label = \"c\";\n"
           "  public int Step(int a, int b)\n  {\n    int c = a + b * 2;\n"
           "    if (c > 10) c = c - 3;\n    else c = c + 1;\n"
           "    while (c > 100) c = c / 2;\n    total = total + c;\n    return c;\n  }\n"
           "  public float Mix(float x)\n  {\n    int i;\n    float sum = 0.0;\n"
           "    for (i = 0; i < 8; i++)\n    {\n      sum = sum + x * scale + Step(i, 2);\n"
           "      if (sum > 100.0) break;\n    }\n    return sum;\n  }\n"
           "  public string Name()\n  {\n    label = label + Step(total, 1) + \" \" + Mix(0.5);\n"
           "    return label[0, 4];\n  }\n};\n";
}

std::string Source() {
    std::string text;
    int lines = 0;
    for (int i = 0;; ++i) {
        const std::string next = Unit(i);
        int count = 0;
        for (char c : next) count += c == '\n';
        if (lines + count > kLines) break;
        text += next;
        lines += count;
    }
    for (; lines < kLines; ++lines) text += "// pad\n";
    return text;
}

// The compiled library's bytes, made once.
const std::vector<uint8_t>& Image() {
    static const std::vector<uint8_t> image = [] {
        std::string pattern = std::filesystem::temp_directory_path().string() + "/kodrin-verify-XXXXXX";
        std::vector<uint8_t> bytes;
        if (!mkdtemp(pattern.data())) return bytes;
        const std::string source = pattern + "/bench.gs";
        std::ofstream(source, std::ios::binary) << Source();
        GSCompileLog log;
        if (GSCompiler::CompileToFolder(source.c_str(), nullptr, {}, &log) == 0) {
            std::ifstream in(pattern + "/bench.gsl", std::ios::binary);
            bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        std::error_code ignored;
        std::filesystem::remove_all(pattern, ignored);
        return bytes;
    }();
    return image;
}

// A load as the machine makes it, the library's own pair registered as loading.
int Load(GSMachine& machine, GSLibrary& library) {
    const std::vector<uint8_t>& image = Image();
    auto entry = std::make_unique<GSLinkEntry>();
    entry->id1 = static_cast<uint32_t>(LoadLittleEndian(image.data() + 12, 4));
    entry->id2 = static_cast<uint32_t>(LoadLittleEndian(image.data() + 16, 4));
    entry->library = &library;
    machine.InsertLinkEntry(std::move(entry));
    return library.Load(&machine, image);
}

void LoadLibrary(benchmark::State& state) {
    if (Image().size() < 20) return state.SkipWithError("the generated source did not compile");
    for (auto _ : state) {
        state.PauseTiming();
        auto machine = std::make_unique<GSMachine>();
        machine->Init();
        auto library = std::make_unique<GSLibrary>();
        state.ResumeTiming();
        if (Load(*machine, *library) != GS_LOAD_OK) return state.SkipWithError("the library did not load");
        state.PauseTiming();
        library.reset();
        machine.reset();
        state.ResumeTiming();
    }
}

void TypedPass(benchmark::State& state) {
    if (Image().size() < 20) return state.SkipWithError("the generated source did not compile");
    GSMachine machine;
    machine.Init();
    GSLibrary library;
    if (Load(machine, library) != GS_LOAD_OK) return state.SkipWithError("the library did not load");
    for (auto _ : state) {
        for (size_t i = 0; i < library.ClassCount(); ++i) {
            GSClass* gsClass = library.ClassAt(i);
            for (const GSFunction& function : gsClass->Functions())
                benchmark::DoNotOptimize(VerifyGSKinds(const_cast<GSFunction&>(function), gsClass->SlotKinds()));
        }
    }
}

BENCHMARK(LoadLibrary)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(TypedPass)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RunSummary reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double load = reporter.RealSeconds("LoadLibrary") * 1e3;
    const double typed = reporter.RealSeconds("TypedPass") * 1e3;
    const double without = load - typed;
    std::printf("\nLibrary of %d lines: load %.2f ms, of which the typed pass %.2f ms; load with the pass / "
                "without it: %.2fx\n", kLines, load, typed, without > 0 ? load / without : 0);
    RunSummary::Target("library load with the typed pass", "load without it", without > 0 ? load / without : 0, 1.5,
                       true);
    reporter.Close();
    benchmark::Shutdown();
    return 0;
}
