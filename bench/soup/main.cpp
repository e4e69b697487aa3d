// The soup benchmarks' one entry point; each format's measurements live in their own file.
// After the run it prints the ratios the benchmarks are held to: the text parse's speed
// against a memchr line scan (at least 0.1), parse time per tag between the largest and
// smallest containers (at most 2), and the archive checksum's time against the 1 s bound
// and against its peer.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/run_summary.h"
#include "scale_bench.h"

namespace {

void PrintSummary(const RunSummary& reporter) {
    std::vector<double> perTag;
    std::printf("\nParse time per tag of one container (same run)\n");
    for (int count : kScaleTagCounts) {
        const double seconds = reporter.Counter("BM_TextParseTags/" + std::to_string(count), kPerTagCounter);
        if (seconds <= 0) continue;
        perTag.push_back(seconds);
        std::printf("%8d tags: %8.1f ns per tag\n", count, seconds * 1e9);
    }
    if (perTag.size() == std::size(kScaleTagCounts)) {
        const auto [low, high] = std::minmax_element(perTag.begin(), perTag.end());
        const double ratio = *high / *low;
        std::printf("slowest / fastest per tag: %.2fx (target at most 2.00x) %s\n", ratio,
                    ratio <= 2 ? "met" : "MISSED");
        RunSummary::Target("config.txt parse per tag, 300000 tags", "per tag, 1000 tags", ratio, 2.0, true);
    }
    const double parse = reporter.Counter("BM_TextParse", "bytes_per_second");
    const double scan = reporter.Counter("BM_MemchrLineScan", "bytes_per_second");
    if (scan > 0) RunSummary::Target("config.txt parse", "memchr line scan", parse / scan, 0.1);
    const double peer = reporter.RealSeconds("BM_ArchiveChecksumPeer");
    std::printf("\nChecksum of a 65,536-file archive folder (target within 1 s)\n");
    for (const char* name : {"BM_ArchiveChecksumInMemory", "BM_ArchiveChecksumReadBack"}) {
        const double seconds = reporter.RealSeconds(name);
        if (seconds <= 0) continue;
        std::printf("%-28s %8.1f ms, %6.1fx its peer %s\n", name, seconds * 1e3,
                    peer > 0 ? seconds / peer : 0, seconds <= 1 ? "met" : "MISSED");
        RunSummary::Target(std::string(name) + " seconds", "1 s bound", seconds, 1.0, true);
    }
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RunSummary reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    PrintSummary(reporter);
    reporter.Close();
    return 0;
}
