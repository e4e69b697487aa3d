// The LZSS codec against zlib on the same corpora in one run: compression and
// decompression speed (bytes per second of uncompressed data) and the compression ratio
// (a counter, uncompressed / compressed), for LZSS levels 1, 5, 9 beside zlib levels
// 1, 6, 9. After the run a summary gives each LZSS figure as a multiple of its zlib peer,
// and decoding into a byte slave (through the window-sized buffer, as archive extraction
// decodes) as a multiple of decoding into one block.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/run_summary.h"
#include "engine/io_slave.h"
#include "foundation/lzss/lzss_compress.h"
#include "lzss_corpora.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr size_t kCorpusSize = 4 << 20;

struct Corpus {
    const char* name;
    Bytes bytes;
};

const std::vector<Corpus>& Corpora() {
    static const std::vector<Corpus> corpora = {
        {"text", lzss_bench::MakeText(kCorpusSize)},
        {"binary", lzss_bench::MakeBinary(kCorpusSize)},
    };
    return corpora;
}

Bytes ZlibCompress(const Bytes& input, int level) {
    uLongf size = compressBound(input.size());
    Bytes output(size);
    if (compress2(output.data(), &size, input.data(), input.size(), level) != Z_OK) {
        throw std::runtime_error("zlib compress2 failed");
    }
    output.resize(size);
    return output;
}

void SetFigures(benchmark::State& state, size_t original, size_t compressed) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * original));
    state.counters["ratio"] = static_cast<double>(original) / static_cast<double>(compressed);
}

void LZSSCompressRun(benchmark::State& state, const Corpus* corpus, int level) {
    const Kiv::LZSSCompress codec;
    size_t compressed = 0;
    for (auto _ : state) {
        const Bytes stream = codec.Compress(corpus->bytes, level);
        compressed = stream.size();
        benchmark::DoNotOptimize(stream.data());
    }
    SetFigures(state, corpus->bytes.size(), compressed);
}

void LZSSDecompressRun(benchmark::State& state, const Corpus* corpus, int level) {
    const Kiv::LZSSCompress codec;
    const Bytes stream = codec.Compress(corpus->bytes, level);
    Bytes output;
    for (auto _ : state) {
        if (!codec.Decompress(stream, output)) state.SkipWithError("LZSS stream refused");
        benchmark::DoNotOptimize(output.data());
    }
    if (output != corpus->bytes) state.SkipWithError("LZSS round trip differs");
    SetFigures(state, corpus->bytes.size(), stream.size());
}

// A slave that takes every byte and keeps none, so the run measures the decoder.
class DiscardingSlave : public Kiv::IOSlave {
public:
    size_t Read(void*, size_t) override { return 0; }
    size_t Write(const void*, size_t bytes) override {
        writeCursor_ += bytes;
        return bytes;
    }
    uint64_t GetSize() override { return writeCursor_; }
};

// Decoding into a byte slave through the window-sized buffer, as archive extraction does.
void LZSSDecompressToSlaveRun(benchmark::State& state, const Corpus* corpus, int level) {
    const Kiv::LZSSCompress codec;
    const Bytes stream = codec.Compress(corpus->bytes, level);
    for (auto _ : state) {
        DiscardingSlave slave;
        if (!codec.Decompress(stream, slave)) state.SkipWithError("LZSS stream refused");
        if (slave.GetSize() != corpus->bytes.size()) state.SkipWithError("LZSS size differs");
    }
    SetFigures(state, corpus->bytes.size(), stream.size());
}

void ZlibCompressRun(benchmark::State& state, const Corpus* corpus, int level) {
    size_t compressed = 0;
    for (auto _ : state) {
        const Bytes stream = ZlibCompress(corpus->bytes, level);
        compressed = stream.size();
        benchmark::DoNotOptimize(stream.data());
    }
    SetFigures(state, corpus->bytes.size(), compressed);
}

void ZlibDecompressRun(benchmark::State& state, const Corpus* corpus, int level) {
    const Bytes stream = ZlibCompress(corpus->bytes, level);
    Bytes output(corpus->bytes.size());
    for (auto _ : state) {
        uLongf size = output.size();
        if (uncompress(output.data(), &size, stream.data(), stream.size()) != Z_OK) {
            state.SkipWithError("zlib stream refused");
        }
        benchmark::DoNotOptimize(output.data());
    }
    SetFigures(state, corpus->bytes.size(), stream.size());
}

// LZSS levels beside their zlib peers.
struct Pair {
    int lzss;
    int zlib;
};
constexpr Pair kPairs[] = {{1, 1}, {5, 6}, {9, 9}};

std::string Name(const char* operation, const Corpus& corpus, const char* codec, int level) {
    return std::string(operation) + "/" + corpus.name + "/" + codec + "-" + std::to_string(level);
}

void RegisterAll() {
    for (const Corpus& corpus : Corpora()) {
        for (const Pair& pair : kPairs) {
            const struct {
                const char* operation;
                const char* codec;
                int level;
                void (*run)(benchmark::State&, const Corpus*, int);
            } entries[] = {
                {"compress", "lzss", pair.lzss, LZSSCompressRun},
                {"compress", "zlib", pair.zlib, ZlibCompressRun},
                {"decompress", "lzss", pair.lzss, LZSSDecompressRun},
                {"decompress", "lzss-slave", pair.lzss, LZSSDecompressToSlaveRun},
                {"decompress", "zlib", pair.zlib, ZlibDecompressRun},
            };
            for (const auto& entry : entries) {
                benchmark::RegisterBenchmark(Name(entry.operation, corpus, entry.codec, entry.level).c_str(),
                                             entry.run, &corpus, entry.level)
                    ->Unit(benchmark::kMillisecond);
            }
        }
    }
}

// One line per corpus and pair, then the targets: flag-word decoding at least 2 x
// inflate, Huffman decoding at least 0.25 x inflate, level 5 compression at least as
// fast as zlib level 6.
void PrintSummary(const RunSummary& reporter) {
    const auto speed = [&](const std::string& name) { return reporter.Counter(name, "bytes_per_second"); };
    std::printf("\nLZSS speed as a multiple of its zlib peer (same corpus, same run)\n");
    std::printf("%-8s %-16s %10s %12s\n", "corpus", "pair", "compress", "decompress");
    for (const Corpus& corpus : Corpora()) {
        for (const Pair& pair : kPairs) {
            const auto multiple = [&](const char* operation) {
                const double peer = speed(Name(operation, corpus, "zlib", pair.zlib));
                const double own = speed(Name(operation, corpus, "lzss", pair.lzss));
                return peer > 0 ? own / peer : 0;
            };
            const std::string label =
                "lzss-" + std::to_string(pair.lzss) + " / zlib-" + std::to_string(pair.zlib);
            std::printf("%-8s %-16s %9.2fx %11.2fx\n", corpus.name, label.c_str(),
                        multiple("compress"), multiple("decompress"));
        }
    }
    std::printf("\nLZSS decoding into a byte slave as a multiple of decoding into a block\n");
    for (const Corpus& corpus : Corpora()) {
        for (const Pair& pair : kPairs) {
            const double block = speed(Name("decompress", corpus, "lzss", pair.lzss));
            const double slave =
                speed(Name("decompress", corpus, "lzss-slave", pair.lzss));
            std::printf("%-8s lzss-%d %9.2fx\n", corpus.name, pair.lzss,
                        block > 0 ? slave / block : 0);
        }
    }
    std::printf("\nTargets against zlib-6 (decompression) and zlib-6 (compression):\n");
    for (const Corpus& corpus : Corpora()) {
        const double inflate = speed(Name("decompress", corpus, "zlib", 6));
        const double deflate = speed(Name("compress", corpus, "zlib", 6));
        const struct {
            const char* what;
            double own;
            double peer;
            double target;
        } checks[] = {
            {"lzss-1 decompress", speed(Name("decompress", corpus, "lzss", 1)), inflate, 2},
            {"lzss-5 decompress", speed(Name("decompress", corpus, "lzss", 5)), inflate, 2},
            {"lzss-9 decompress", speed(Name("decompress", corpus, "lzss", 9)), inflate, 0.25},
            {"lzss-5 compress", speed(Name("compress", corpus, "lzss", 5)), deflate, 1},
        };
        for (const auto& check : checks) {
            const double multiple = check.peer > 0 ? check.own / check.peer : 0;
            std::printf("%-8s %-18s %6.2fx (target %.2fx) %s\n", corpus.name, check.what, multiple,
                        check.target, multiple >= check.target ? "met" : "MISSED");
        }
    }
    std::printf("\n");
    for (const Corpus& corpus : Corpora()) {
        const auto multiple = [&](const char* operation, int lzss, int zlib) {
            const double peer = speed(Name(operation, corpus, "zlib", zlib));
            return peer > 0 ? speed(Name(operation, corpus, "lzss", lzss)) / peer : 0;
        };
        const std::string on = std::string(" (") + corpus.name + ")";
        RunSummary::Target("lzss-1 compress" + on, "zlib-1", multiple("compress", 1, 1), 1.0);
        RunSummary::Target("lzss-5 compress" + on, "zlib-6", multiple("compress", 5, 6), 1.0);
        RunSummary::Target("lzss-1 decompress" + on, "zlib-6", multiple("decompress", 1, 6), 2.0);
        RunSummary::Target("lzss-9 decompress" + on, "zlib-6", multiple("decompress", 9, 6), 0.25);
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RegisterAll();
    RunSummary reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintSummary(reporter);
    reporter.Close();
    benchmark::Shutdown();
    return 0;
}
