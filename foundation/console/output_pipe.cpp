// The FIFO is checked with lstat before it is opened (a regular file, device or link of
// that name is never opened) and again with fstat after. It is opened non-blocking, so a
// FIFO without a reader fails at once instead of hanging, then switched to blocking
// writes. A write to a pipe whose reader went away fails instead of raising SIGPIPE.
#include "foundation/console/output_pipe.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <signal.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "foundation/console/console_lock.h"
#include "foundation/console/console_text.h"

namespace {

// Guarded by the console critical section; constant-initialised, so usable from any
// static initialiser.
int g_pipe = -1;
bool g_opened = false;

bool IsOurFifo(const struct stat& status) {
    return S_ISFIFO(status.st_mode) && status.st_uid == geteuid();
}

int OpenParentPipe() {
    const std::string path = ParentPipePath();
    struct stat status {};
    if (lstat(path.c_str(), &status) != 0 || !IsOurFifo(status)) return -1;
    const int fd = open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return -1;
    const int flags = fcntl(fd, F_GETFL);
    if (fstat(fd, &status) != 0 || !IsOurFifo(status) || flags < 0 ||
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

void EnsureOpened() {
    std::lock_guard<std::recursive_timed_mutex> lock(ConsoleCriticalSection());
    if (!g_opened) RedirectStdoutToParentPipe();
}

bool IsPending(int signal) {
    sigset_t pending;
    sigemptyset(&pending);
    return sigpending(&pending) == 0 && sigismember(&pending, signal) == 1;
}

bool WriteLoop(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

// Writes everything, with SIGPIPE blocked on this thread; a SIGPIPE that the write raised
// is taken off again, one that was pending before is left alone. A failed write loses the
// line, as a console write that fails does.
void WriteAll(int fd, std::string_view bytes) {
    sigset_t pipeSignal;
    sigset_t previous;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
    const bool wasPending = IsPending(SIGPIPE);
    const bool ok = WriteLoop(fd, bytes);
    if (!ok && errno == EPIPE && !wasPending) {
        const timespec noWait{};
        sigtimedwait(&pipeSignal, nullptr, &noWait);
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

std::string UTF16LittleEndian(std::u16string_view text) {
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

[[maybe_unused]] const bool kOpenedBeforeEntry = (EnsureOpened(), true);

}  // namespace

std::string ParentPipePath() {
    const char* folder = std::getenv("XDG_RUNTIME_DIR");
    if (folder == nullptr || *folder == '\0') folder = "/tmp";
    return std::string(folder) + "/" + std::to_string(getpid()) + "cout";
}

void RedirectStdoutToParentPipe() {
    std::lock_guard<std::recursive_timed_mutex> lock(ConsoleCriticalSection());
    if (g_pipe >= 0) close(g_pipe);
    g_pipe = OpenParentPipe();
    g_opened = true;
}

bool IsOutputRedirected() {
    EnsureOpened();
    std::lock_guard<std::recursive_timed_mutex> lock(ConsoleCriticalSection());
    return g_pipe >= 0;
}

void WriteConsoleOutput(std::string_view line) {
    std::lock_guard<std::recursive_timed_mutex> lock(ConsoleCriticalSection());
    EnsureOpened();
    if (g_pipe >= 0) {
        WriteAll(g_pipe, UTF16LittleEndian(NarrowToWideText(line)));
        return;
    }
    std::fflush(stdout);
    WriteAll(STDOUT_FILENO, line);
}
