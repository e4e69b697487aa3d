// Whole-process cost of the tool, each figure beside its peers measured in the same run:
//   true       spawning /bin/true and waiting for it: the floor of any process;
//   version    `KodrinUtil version`: start-up (with the link to a running stand-in daemon),
//              one command, shut-down;
//   help       `KodrinUtil help`: the help text, printed before any start-up;
//   roundtrip  one 16-byte loopback TCP ping-pong: the floor of any daemon request;
//   status1000 `KodrinUtil @batch` with 1000 `status` lines against the running stand-in;
//              its counter status_per_s is the rate of status lines.
// Processes are timed in wall-clock time: their work is not the benchmark's own CPU time.
// The tool runs in a private copy of the installation tree with its own IPC folder; the
// daemon seeded with one asset is started by the first run and closed at the end. The
// summary holds version to 3x and help to 2x the time of /bin/true.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/run_summary.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int kStatusLines = 1000;
const char* const kAssetKuid = "<kuid:414100:1001>";

// Runs program with args, standard output and error on /dev/null; the exit status or -1.
int RunQuiet(const std::string& program, const std::vector<std::string>& args) {
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) return -1;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

// A private installation with a daemon script seeding one asset and a batch file.
class BenchInstallation {
  public:
    BenchInstallation() {
        std::string pattern = (fs::temp_directory_path() / "kodrin-bench-cli-XXXXXX").string();
        if (!mkdtemp(pattern.data())) return;
        root_ = pattern;
        fs::copy(KODRIN_DIST, root_ / "install", fs::copy_options::recursive);
        fs::create_directories(root_ / "ipc");
        setenv("KODRIN_IPC_DIR", (root_ / "ipc").c_str(), 1);
        WriteText(root_ / "daemon.txt",
                  std::string("assets { 0 { config { kuid ") + kAssetKuid +
                      " kind \"traincar\" username \"Coal wagon\" } } }\n");
        setenv("KAVDAEMON_SCRIPT", (root_ / "daemon.txt").c_str(), 1);
        std::string batch;
        for (int line = 0; line < kStatusLines; ++line)
            batch += std::string("status ") + kAssetKuid + "\n";
        WriteText(Batch(), batch);
    }
    ~BenchInstallation() {
        if (root_.empty()) return;
        RunQuiet(Tool(), {"closekavdaemon"});
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }

    bool Ok() const { return !root_.empty(); }
    std::string Tool() const { return (root_ / "install" / "KodrinUtil").string(); }
    std::string Batch() const { return (root_ / "status.txt").string(); }

  private:
    static void WriteText(const fs::path& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }

    fs::path root_;
};

BenchInstallation& Installation() {
    static BenchInstallation installation;
    return installation;
}

void BM_True(benchmark::State& state) {
    for (auto _ : state)
        if (RunQuiet("/bin/true", {}) != 0) state.SkipWithError("/bin/true failed");
}

void BM_Version(benchmark::State& state) {
    BenchInstallation& installation = Installation();
    if (!installation.Ok() || RunQuiet(installation.Tool(), {"version"}) != 0) {
        state.SkipWithError("the tool does not start");
        return;
    }
    for (auto _ : state)
        if (RunQuiet(installation.Tool(), {"version"}) != 0) state.SkipWithError("version failed");
}

void BM_Help(benchmark::State& state) {
    BenchInstallation& installation = Installation();
    if (!installation.Ok() || RunQuiet(installation.Tool(), {"help"}) != 0) {
        state.SkipWithError("the tool does not start");
        return;
    }
    for (auto _ : state)
        if (RunQuiet(installation.Tool(), {"help"}) != 0) state.SkipWithError("help failed");
}

void BM_StatusBatch(benchmark::State& state) {
    BenchInstallation& installation = Installation();
    const std::string batch = "@" + installation.Batch();
    if (!installation.Ok() || RunQuiet(installation.Tool(), {batch}) != 0) {
        state.SkipWithError("the status batch fails");
        return;
    }
    for (auto _ : state)
        if (RunQuiet(installation.Tool(), {batch}) != 0) state.SkipWithError("status failed");
    state.counters["status_per_s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * kStatusLines, benchmark::Counter::kIsRate);
}

// An echo peer on a loopback socket pair of one connection.
void BM_RoundTrip(benchmark::State& state) {
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(listener, 1);
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    std::thread peer([listener] {
        const int fd = accept(listener, nullptr, nullptr);
        const int on = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        char bytes[16];
        while (recv(fd, bytes, sizeof bytes, MSG_WAITALL) == sizeof bytes)
            send(fd, bytes, sizeof bytes, MSG_NOSIGNAL);
        close(fd);
    });
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    char bytes[16] = {};
    for (auto _ : state) {
        send(fd, bytes, sizeof bytes, MSG_NOSIGNAL);
        if (recv(fd, bytes, sizeof bytes, MSG_WAITALL) != sizeof bytes)
            state.SkipWithError("the peer went away");
    }
    close(fd);
    peer.join();
    close(listener);
}

BENCHMARK(BM_True)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_Version)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Help)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RoundTrip)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_StatusBatch)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void PrintSummary(const RunSummary& reporter) {
    const double floor = reporter.RealSeconds("BM_True");
    const auto multiple = [&](const char* name) { return floor > 0 ? reporter.RealSeconds(name) / floor : 0; };
    std::printf("\n");
    RunSummary::Target("KodrinUtil version, daemon running", "/bin/true", multiple("BM_Version"), 3.0, true);
    RunSummary::Target("KodrinUtil help", "/bin/true", multiple("BM_Help"), 2.0, true);
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RunSummary reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintSummary(reporter);
    reporter.Close();
    benchmark::Shutdown();
    return 0;
}
