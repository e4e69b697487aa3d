// Writing the crash report with write(2), backtrace_symbols_fd and a copy of
// /proc/self/maps read with read(2): no heap, no stdio, no locks. The one-report rule is an
// atomic state (none, writing, written) that a second faulting thread waits on, bounded.
#include "foundation/crash/crash_report.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <execinfo.h>
#include <fcntl.h>
#include <unistd.h>

#include "foundation/build_identity.h"
#include "foundation/crash/bounded_console_lock.h"
#include "foundation/crash/fault_signals.h"
#include "foundation/crash/signal_safe_writer.h"
#include "foundation/crash/unique_file.h"
#include "foundation/console/console_lock.h"

namespace {

enum ReportState { kNoReport, kWritingReport, kReportWritten };

std::atomic<int> g_reportState{kNoReport};
static_assert(std::atomic<int>::is_always_lock_free, "used in signal handlers");

constexpr const char* kReportFolder = "";  // the current folder
constexpr int kMaxFrames = 64;
constexpr int kWaitTries = 2000;
constexpr long kWaitPauseNanoseconds = 1000 * 1000;

constexpr auto kReportName = [] {
    std::array<char, 32> name{};
    const char prefix[] = "Kodrin-";
    const char suffix[] = ".dmp";
    size_t used = 0;
    for (size_t i = 0; prefix[i]; ++i) name[used++] = prefix[i];
    char digits[12]{};
    size_t count = 0;
    for (int32_t value = BuildIdentity::kBuildNumber; value > 0; value /= 10)
        digits[count++] = static_cast<char>('0' + value % 10);
    while (count > 0) name[used++] = digits[--count];
    for (size_t i = 0; suffix[i]; ++i) name[used++] = suffix[i];
    return name;
}();

void WriteSignal(SignalSafeWriter& out, const FaultDetails& details) {
    out.Text("signal: ").Decimal(details.signal);
    if (const FaultSignal* row = FindFaultSignal(details.signal))
        out.Text(" ").Text(row->name).Text(" (").Text(row->description).Text(")");
    out.Text("\n");
    if (details.requested) {
        out.Line("code: requested (the process went on)");
    } else {
        out.Text("code: ").Decimal(details.code).Text("\n");
    }
    if (details.sender != 0) {
        out.Text("sent by process: ").Decimal(details.sender).Text("\n");
    } else {
        out.Text("address: ").Hex(details.address).Text("\n");
    }
}

void WriteBacktrace(int fd) {
    void* frames[kMaxFrames];
    int count = backtrace(frames, kMaxFrames);
    backtrace_symbols_fd(frames, count, fd);
}

void CopyMemoryMap(int fd) {
    int maps = open("/proc/self/maps", O_RDONLY | O_CLOEXEC);
    if (maps < 0) return;
    char buffer[4096];
    ssize_t got;
    while ((got = read(maps, buffer, sizeof buffer)) != 0) {
        if (got < 0) break;
        WriteAllSignalSafe(fd, buffer, static_cast<size_t>(got));
    }
    close(maps);
}

void WriteReport(int fd, const FaultDetails& details) {
    SignalSafeWriter out(fd);
    out.Text("KodrinUtil crash report, build ").Decimal(BuildIdentity::kBuildNumber).Text("\n");
    WriteSignal(out, details);
    out.Text("process: ").Decimal(getpid()).Text("\n");
    out.Text("thread: ").Decimal(gettid()).Text("\n");
    out.Line("backtrace:");
    out.Flush();
    WriteBacktrace(fd);
    out.Line("memory map:");
    out.Flush();
    CopyMemoryMap(fd);
}

void WaitForTheFirstReport() {
    for (int attempt = 0; attempt < kWaitTries; ++attempt) {
        if (g_reportState.load() != kWritingReport) return;
        timespec pause{0, kWaitPauseNanoseconds};
        nanosleep(&pause, nullptr);
    }
}

}  // namespace

const char* CrashReportName() { return kReportName.data(); }

void CreateMiniDump(const FaultDetails& details) {
    int expected = kNoReport;
    if (!g_reportState.compare_exchange_strong(expected, kWritingReport)) {
        WaitForTheFirstReport();
        return;
    }
    int savedErrno = errno;
    char path[4096];
    int fd = CreateUniqueFile(kReportFolder, CrashReportName(), path, sizeof path);
    if (fd >= 0) {
        WriteReport(fd, details);
        close(fd);
    }
    g_reportState.store(kReportWritten);
    errno = savedErrno;
}

void RaiseAccessViolation() {
    bool locked = TakeConsoleCriticalSectionBriefly();
    CreateMiniDump({SIGSEGV, 0, 0, true});
    if (locked) ConsoleCriticalSection().unlock();
}

void PrepareCrashReport() {
    void* frame[1];
    backtrace(frame, 1);
}
