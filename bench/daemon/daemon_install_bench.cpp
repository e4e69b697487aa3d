// The stand-in daemon's installs as the database grows: each run starts from an empty
// installation and installs N small assets, either as N folders (request 39, one request
// each) or as one archive of N assets (request 40), through the daemon's installer
// in-process. The peer of each figure is the same install of 1,000 assets in the same run:
// the summary gives the time per asset at 10,000 as a multiple of the time at 1,000, which
// must stay within 2x (a table saved whole per asset, or a search of every record per
// asset, makes it grow with N).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/run_summary.h"
#include "daemon/asset_install.h"
#include "daemon/asset_table.h"
#include "daemon/daemon_record.h"
#include "foundation/cdp/cdp_asset.h"
#include "foundation/soup/chunk.h"
#include "foundation/soup/container_tag.h"
#include "foundation/streams/buffer_stream.h"

namespace {

namespace fs = std::filesystem;

constexpr int32_t kInstallFolder = 39;
constexpr int32_t kInstallArchive = 40;
constexpr int kSmall = 1000;
constexpr int kLarge = 10000;
constexpr double kAllowedGrowth = 2.0;

// A folder under the temporary folder, removed with the object.
class ScratchFolder {
  public:
    ScratchFolder() {
        std::string pattern = (fs::temp_directory_path() / "daemon-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data())) path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        if (!path_.empty()) fs::remove_all(path_, ignored);
    }
    const fs::path& Path() const { return path_; }

  private:
    fs::path path_;
};

std::string ConfigText(int content) {
    return "kuid <kuid:12:" + std::to_string(content) + ">\r\nkind \"scenery\"\r\nusername \"Asset " +
           std::to_string(content) + "\"\r\n";
}

// count asset folders "a<n>" under root, each a config and one small file.
void MakeFolders(const fs::path& root, int count) {
    for (int i = 1; i <= count; ++i) {
        const fs::path folder = root / ("a" + std::to_string(i));
        fs::create_directories(folder);
        std::ofstream(folder / "config.txt", std::ios::binary) << ConfigText(i);
        std::ofstream(folder / "notes.txt", std::ios::binary) << "asset " << i << "\n";
    }
}

// An archive entry of asset content with one small file.
ACSChunkRef ArchivedAsset(int content) {
    ACSChunkRef config;
    config.SetNamedTagKUID("kuid", KUID(12, content, 0));
    config.SetNamedTagString("username", ("Asset " + std::to_string(content)).c_str());
    config.SetNamedTagString("kind", "scenery");
    config.SetNamedTagString("compression", "");
    ACSChunkRef files;
    files.EnsureContainer();
    const std::string bytes = "asset " + std::to_string(content) + "\n";
    const ACSRawDataRef value = ACSRawDataRef::CopyBytes(
        static_cast<uint32_t>(bytes.size()), reinterpret_cast<const uint8_t*>(bytes.data()));
    files->AddChild("notes.txt", files->CreateTag(ACSTagType::Blob, value));
    config.SetNamedSoup("files", files);
    CDPAsset(config).SetChecksum();
    return config;
}

// The archive is put together child by child in the archive layout (the asset configs
// under "assets", their KUIDs in "contents-table"), since adding assets one at a time
// through CDPArchive checks each against all before it.
bool MakeArchive(const fs::path& path, int count) {
    ACSChunkRef root;
    root.SetNamedTagString("kind", "archive");
    root.SetNamedTagInt("package-version", 1);
    ACSChunkRef assets;
    assets.EnsureContainer();
    ACSChunkRef contents;
    contents.EnsureContainer();
    for (int i = 1; i <= count; ++i) {
        const KUID kuid(12, i, 0);
        assets->AddChild(kuid.ToTag(), ArchivedAsset(i));
        ACSChunkRef holder;
        holder.SetNamedTagKUID("kuid", kuid);
        contents->AddChild(Kiv::PString(std::to_string(i - 1)),
                           holder->GetNamedChunk(Kiv::PString("kuid")));
    }
    root.SetNamedSoup("assets", assets);
    root.SetNamedSoup("contents-table", contents);
    return root.SaveToFile(nullptr, path.c_str(), nullptr);
}

// The payload of requests 39 and 40: the path, the mode, no question handler.
WireBytes InstallPayload(const fs::path& path) {
    BufferStream payload;
    payload.Stream().WriteString(Kiv::String(path.string()));
    payload.Stream().WriteInt32(0);
    payload.Stream().WriteBool(false);
    const uint8_t* data = payload.Buffer().GetData();
    return WireBytes(data, data + payload.Buffer().GetDataLength());
}

// An empty installation with the daemon's table and installer over it.
struct Daemon {
    explicit Daemon(const fs::path& root)
        : table(std::make_shared<AssetTable>(root)), installer(table, record) {
        fs::create_directories(root / "bin");
        std::string error;
        opened = table->Open(error);
    }
    // Answers whether the reply says the install succeeded.
    bool Install(int32_t id, const fs::path& path) {
        DaemonRequest request;
        request.client = 1;
        request.id = id;
        request.transactionId = ++transaction;
        request.payload = InstallPayload(path);
        DaemonResponse response;
        installer.Answer(request, response);
        return !response.reply.empty() && response.reply.back() == 1;
    }

    DaemonRecord record;
    std::shared_ptr<AssetTable> table;
    AssetInstaller installer;
    bool opened = false;
    uint32_t transaction = 0;
};

void InstallFolders(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    ScratchFolder sources;
    MakeFolders(sources.Path(), count);
    for (auto _ : state) {
        state.PauseTiming();
        auto scratch = std::make_unique<ScratchFolder>();
        Daemon daemon(scratch->Path() / "inst");
        state.ResumeTiming();
        for (int i = 1; i <= count; ++i) {
            if (!daemon.Install(kInstallFolder, sources.Path() / ("a" + std::to_string(i)))) {
                state.SkipWithError("an install failed");
                break;
            }
        }
        state.PauseTiming();
        scratch.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * count);
}

void InstallArchive(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    ScratchFolder sources;
    const fs::path archive = sources.Path() / "assets.cdp";
    if (!MakeArchive(archive, count)) {
        state.SkipWithError("the archive could not be made");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        auto scratch = std::make_unique<ScratchFolder>();
        Daemon daemon(scratch->Path() / "inst");
        state.ResumeTiming();
        if (!daemon.Install(kInstallArchive, archive)) state.SkipWithError("the install failed");
        state.PauseTiming();
        scratch.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * count);
}

std::string Name(const char* kind, int count) {
    return std::string(kind) + "/" + std::to_string(count);
}

// The wall clock decides (the installs flush every asset to disk); the CPU time, which
// leaves the disk's waits out, is shown beside it.
void PrintSummary(const RunSummary& reporter) {
    std::printf("\nTime per asset at %d assets as a multiple of the time at %d (same run)\n",
                kLarge, kSmall);
    for (const char* kind : {"folders", "archive"}) {
        const double small = reporter.RealSeconds(Name(kind, kSmall));
        const double large = reporter.RealSeconds(Name(kind, kLarge));
        const double smallCpu = reporter.CpuSeconds(Name(kind, kSmall));
        const double largeCpu = reporter.CpuSeconds(Name(kind, kLarge));
        if (small <= 0 || large <= 0 || smallCpu <= 0) continue;
        const double growth = (large / kLarge) / (small / kSmall);
        const double cpuGrowth = (largeCpu / kLarge) / (smallCpu / kSmall);
        std::printf("%-8s %7.3f ms/asset at %5d, %7.3f ms/asset at %5d: %5.2fx (CPU %5.2fx; "
                    "limit %.2fx) %s\n",
                    kind, 1000 * small / kSmall, kSmall, 1000 * large / kLarge, kLarge,
                    growth, cpuGrowth, kAllowedGrowth, growth <= kAllowedGrowth ? "met" : "MISSED");
        RunSummary::Target(std::string("install ") + kind + " per asset, " + std::to_string(kLarge) + " assets",
                           "per asset, " + std::to_string(kSmall) + " assets", growth, kAllowedGrowth, true);
    }
}

void RegisterAll() {
    for (const int count : {kSmall, kLarge}) {
        benchmark::RegisterBenchmark("folders", InstallFolders)
            ->Arg(count)
            ->Iterations(1)
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("archive", InstallArchive)
            ->Arg(count)
            ->Iterations(1)
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond);
    }
}

} // namespace

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
