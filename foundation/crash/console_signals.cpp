// A self-pipe between the signal handlers and the signal thread: the handlers work on any
// thread, also on threads that were started before the installation, and never block (the
// pipe's write end does not; an event that finds the pipe full is dropped).
#include "foundation/crash/console_signals.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

#include "engine/signal_stack.h"

namespace {

struct ConsoleSignal {
    int number;
    int controlType;  // the console control event it stands for
};

inline constexpr ConsoleSignal kConsoleSignals[] = {
    {SIGINT, 0},   // Ctrl+C
    {SIGQUIT, 1},  // Ctrl+Break
    {SIGHUP, 2},   // close
    {SIGTERM, 6},  // shut-down
};

int g_pipeWrite = -1;

void OnConsoleSignal(int signalNumber) {
    int savedErrno = errno;
    unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] ssize_t ignored = write(g_pipeWrite, &byte, 1);
    errno = savedErrno;
}

const ConsoleSignal* FindConsoleSignal(int number) {
    for (const ConsoleSignal& row : kConsoleSignals)
        if (row.number == number) return &row;
    return nullptr;
}

void EndByDefault(int signalNumber) {
    signal(signalNumber, SIG_DFL);
    raise(signalNumber);
}

void RunSignalThread(int pipeRead, ConsoleControlFunction handler) {
    Kiv::EnsureAlternateSignalStack();
    for (;;) {
        unsigned char byte = 0;
        ssize_t got = read(pipeRead, &byte, 1);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return;
        const ConsoleSignal* row = FindConsoleSignal(byte);
        if (row && !handler(row->controlType)) EndByDefault(row->number);
    }
}

}  // namespace

void StartConsoleSignalThread(ConsoleControlFunction handler) {
    static std::atomic<bool> started{false};
    if (started.exchange(true)) return;
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) return;
    fcntl(ends[1], F_SETFL, O_NONBLOCK);
    g_pipeWrite = ends[1];
    std::thread(RunSignalThread, ends[0], handler).detach();
    struct sigaction action {};
    action.sa_handler = OnConsoleSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (const ConsoleSignal& row : kConsoleSignals) sigaction(row.number, &action, nullptr);
}
