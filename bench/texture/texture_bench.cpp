// Texture conversion against NVIDIA Texture Tools called directly, on the same 1024 x 1024
// pixels in one run: DXT1 and DXT5, production quality, with the whole mip chain. The
// conversion is the converting resource compressing its locked image (the level taken
// from the engine, the format chosen, nvtt driven, the levels gathered into bitmaps); the
// peer makes the same nvtt calls on the pixels and appends the output to one buffer. After
// the run a summary gives the conversion's images per second as a multiple of the peer's
// (target: at least 0.9). Speeds are per second of the measuring thread's CPU time, which
// other work on a shared machine disturbs less than wall time. One image takes about a
// second, so each figure is one conversion by default; --benchmark_repetitions=N steadies
// them (the summary then uses the means).
#include <benchmark/benchmark.h>
#include <nvtt/nvtt.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/run_summary.h"
#include "content3d/program_plugins.h"
#include "content3d/textures/compress_ascii_resource.h"
#include "engine/file.h"
#include "engine/resource_database.h"
#include "engine/resource_system.h"

namespace {

constexpr uint32_t kSide = 1024;
constexpr const char* kLocation = "kivtexbench";

// BGRA pixels of a smooth picture with some grain; alpha varies across the image.
std::vector<uint8_t> MakePixels() {
    std::vector<uint8_t> pixels(size_t{kSide} * kSide * 4);
    uint32_t noise = 12345;
    for (uint32_t y = 0; y < kSide; ++y) {
        for (uint32_t x = 0; x < kSide; ++x) {
            noise = noise * 1103515245u + 12345u;
            uint8_t* pixel = &pixels[(size_t{y} * kSide + x) * 4];
            const uint8_t grain = static_cast<uint8_t>((noise >> 16) & 0x1F);
            pixel[0] = static_cast<uint8_t>(x / 4 + grain);
            pixel[1] = static_cast<uint8_t>(y / 4 + grain);
            pixel[2] = static_cast<uint8_t>((x + y) / 8 + grain);
            pixel[3] = static_cast<uint8_t>((x ^ y) & 0xFF);
        }
    }
    return pixels;
}

const std::vector<uint8_t>& Pixels() {
    static const std::vector<uint8_t> pixels = MakePixels();
    return pixels;
}

std::string Tga(const std::vector<uint8_t>& pixels) {
    std::string file(18, '\0');
    file[2] = 2;
    file[12] = static_cast<char>(kSide & 0xFF);
    file[13] = static_cast<char>(kSide >> 8);
    file[14] = static_cast<char>(kSide & 0xFF);
    file[15] = static_cast<char>(kSide >> 8);
    file[16] = 32;
    file[17] = 0x28;  // alpha bits, top-down
    return file + std::string(pixels.begin(), pixels.end());
}

// A folder with the image and one description per format, made once for the run.
class BenchFolder {
public:
    BenchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kiv-texbench-XXXXXX").string();
        root_ = mkdtemp(pattern.data()) ? pattern : std::string();
        std::ofstream(root_ + "/image.tga", std::ios::binary) << Tga(Pixels());
        std::ofstream(root_ + "/dxt1.convert-tex.txt") << "Primary=image.tga\nAlphaHint=none\nHint=1\n";
        std::ofstream(root_ + "/dxt5.convert-tex.txt") << "Primary=image.tga\nAlphaHint=full\nHint=3\n";
        Kiv::File::Subst(kLocation, root_.c_str());
    }
    ~BenchFolder() {
        Kiv::File::Subst(kLocation);
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }

private:
    std::string root_;
};

void ConversionRun(benchmark::State& state, const char* name) {
    KivGetPlugins();
    Kiv::ResourceSystem system;
    BenchFolder folder;
    Kiv::ResourceDatabase database{Kiv::PString(kLocation)};
    auto* texture = dynamic_cast<CompressAsciiResource*>(database.Get(Kiv::PString(name)));
    if (!texture) {
        state.SkipWithError("no converting texture");
        return;
    }
    Kiv::Options options;
    options.ProcessRaw("-Automip=none -Compression=auto");
    texture->SetOptions(options);
    if (!texture->Lock() || !texture->Kiv::AsciiTextureResource::GetMipLock()) {
        state.SkipWithError("the texture does not load");
    } else {
        for (auto _ : state) {
            if (!texture->CompressImages()) state.SkipWithError("the conversion failed");
        }
        texture->GetMipUnlock();
        texture->Unlock();
    }
    texture->Release();
    state.SetItemsProcessed(state.iterations());
}

class AppendingHandler final : public nvtt::OutputHandler {
public:
    void beginImage(int, int, int, int, int, int) override {}
    bool writeData(const void* data, int size) override {
        const auto* bytes = static_cast<const uint8_t*>(data);
        output.insert(output.end(), bytes, bytes + size);
        return true;
    }
    std::vector<uint8_t> output;
};

// nvtt alone, with the calls the conversion makes.
void DirectRun(benchmark::State& state, nvtt::Format format) {
    const std::vector<uint8_t>& pixels = Pixels();
    for (auto _ : state) {
        nvtt::Compressor compressor;
        nvtt::InputOptions input;
        nvtt::OutputOptions output;
        nvtt::CompressionOptions compression;
        AppendingHandler handler;
        handler.output.reserve(size_t{kSide} * kSide * 2);
        input.setMipmapGeneration(true, -1);
        input.setWrapMode(nvtt::WrapMode_Repeat);
        compressor.enableCudaAcceleration(false);
        compression.setFormat(format);
        compression.setQuality(nvtt::Quality_Production);
        input.setTextureLayout(nvtt::TextureType_2D, kSide, kSide, 1);
        input.setMipmapData(pixels.data(), kSide, kSide, 1, 0, 0);
        input.setMipmapFilter(static_cast<nvtt::MipmapFilter>(3));
        output.setOutputHandler(&handler);
        output.setOutputHeader(false);
        if (!compressor.process(input, compression, output)) state.SkipWithError("nvtt failed");
        benchmark::DoNotOptimize(handler.output.data());
    }
    state.SetItemsProcessed(state.iterations());
}

struct Pair {
    const char* format;
    const char* description;
    nvtt::Format nvttFormat;
};
constexpr Pair kPairs[] = {{"dxt1", "dxt1.convert-tex", nvtt::Format_DXT1},
                           {"dxt5", "dxt5.convert-tex", nvtt::Format_DXT5}};

std::string Name(const char* who, const char* format) {
    return std::string("compress/1024/") + format + "/" + who;
}

void RegisterAll() {
    for (const Pair& pair : kPairs) {
        benchmark::RegisterBenchmark(Name("conversion", pair.format).c_str(), ConversionRun, pair.description)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(Name("nvtt", pair.format).c_str(), DirectRun, pair.nvttFormat)
            ->Unit(benchmark::kMillisecond);
    }
}

void PrintSummary(const RunSummary& reporter) {
    std::printf("\nConversion speed as a multiple of nvtt called directly (same pixels, same run)\n");
    for (const Pair& pair : kPairs) {
        const double own = reporter.Counter(Name("conversion", pair.format), "items_per_second");
        const double peer = reporter.Counter(Name("nvtt", pair.format), "items_per_second");
        const double multiple = peer > 0 ? own / peer : 0;
        std::printf("%-6s %6.2fx (target 0.90x) %s\n", pair.format, multiple,
                    multiple >= 0.9 ? "met" : "MISSED");
        RunSummary::Target(std::string("texture conversion ") + pair.format, "nvtt called directly", multiple, 0.9);
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
