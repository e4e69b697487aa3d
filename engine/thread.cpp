// Kiv::Thread over std::thread. A suspended thread exists from construction and waits at a
// gate; Resume opens it, Terminate or destruction before that cancels it. Every thread first
// takes its alternate signal stack, so a fault handler still runs after a stack overflow.
#include "engine/thread.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "engine/signal_stack.h"

namespace Kiv {

Thread::Thread(Entry entry, void* argument, bool startSuspended)
    : state_(std::make_shared<State>()) {
    state_->resumed = !startSuspended;
    try {
        thread_ = std::thread(&Thread::Run, state_, entry, argument);
        started_ = true;
    } catch (const std::system_error&) {
        state_->finished.Set();
    }
}

Thread::~Thread() {
    Cancel();
    if (!thread_.joinable()) return;
    if (IsCurrentThread()) {
        thread_.detach();
    } else {
        thread_.join();
    }
}

void Thread::Run(std::shared_ptr<State> state, Entry entry, void* argument) {
    EnsureAlternateSignalStack();
    bool run = false;
    {
        std::unique_lock<std::mutex> guard(state->gateMutex);
        state->gateChanged.wait(guard, [&] { return state->resumed || state->cancelled; });
        run = !state->cancelled && entry;
    }
    if (run) state->exitCode.store(entry(argument));
    state->finished.Set();
}

// Notifies under the gate lock: once it opens, the entry may delete this object, and only
// the shared state, which the running thread keeps alive, is touched after that.
void Thread::Resume() {
    std::lock_guard<std::mutex> guard(state_->gateMutex);
    if (!state_->cancelled) state_->resumed = true;
    state_->gateChanged.notify_all();
}

void Thread::Cancel() {
    std::lock_guard<std::mutex> guard(state_->gateMutex);
    if (!state_->resumed) state_->cancelled = true;
    state_->gateChanged.notify_all();
}

bool Thread::IsCurrentThread() const { return thread_.get_id() == std::this_thread::get_id(); }

void Thread::Terminate() {
    RequestStop();
    Cancel();
    if (!IsCurrentThread()) Wait();
}

uint32_t Thread::GetCurrentId() {
    thread_local const uint32_t id = static_cast<uint32_t>(gettid());
    return id;
}

int32_t Thread::GetProcessId() { return static_cast<int32_t>(getpid()); }

bool Thread::IsProcessAlive(int32_t pid) {
    if (pid <= 0) return false;
    return kill(pid, 0) == 0 || errno == EPERM;
}

}  // namespace Kiv
