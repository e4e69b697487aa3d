// Kiv::Thread: a thread that runs an entry function with one argument, optionally created
// suspended until Resume. IsDone turns true when a stop was asked for (RequestStop,
// Terminate) or the entry returned; long-running entries poll it to end themselves, as no
// thread can be killed from outside. Destroying a Thread waits for its entry to return (a
// suspended one never runs it), so a class derived from Thread must stop and wait for the
// thread in its own destructor, before its members go. Ids are unsigned 32-bit kernel
// thread ids, unique among live threads.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "engine/wevent.h"

namespace Kiv {

class Thread {
public:
    using Entry = uint32_t (*)(void* argument);

    Thread(Entry entry, void* argument, bool startSuspended = false);
    virtual ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // False when the system could not make the thread; nothing else works then.
    bool StartedOk() const { return started_; }
    // Lets a suspended thread run its entry.
    void Resume();
    // Kept for callers; the scheduler's default priority is always used.
    void SetPriority(int priority) { priority_ = priority; }
    int GetPriority() const { return priority_; }

    bool IsDone() const { return state_->stopRequested.load() || state_->finished.IsSet(); }
    void RequestStop() { state_->stopRequested.store(true); }
    // True once the entry has returned (or will never run); false after timeoutMs.
    bool Wait(int64_t timeoutMs = WEvent::kInfinite) { return state_->finished.Wait(timeoutMs); }
    // RequestStop, then Wait without end (a suspended thread is cancelled instead of run):
    // the entry must notice IsDone or return anyway. Does not wait when called by the
    // thread itself.
    void Terminate();
    uint32_t GetExitCode() const { return state_->exitCode.load(); }

    static uint32_t GetCurrentId();
    static int32_t GetProcessId();
    // False for pid <= 0; otherwise whether a process with that id exists.
    static bool IsProcessAlive(int32_t pid);

private:
    // Shared with the running thread, so an entry may delete its own Thread object.
    struct State {
        std::mutex gateMutex;
        std::condition_variable gateChanged;
        bool resumed = false;
        bool cancelled = false;
        std::atomic<bool> stopRequested{false};
        std::atomic<uint32_t> exitCode{0};
        WEvent finished{true, false};
    };
    static void Run(std::shared_ptr<State> state, Entry entry, void* argument);
    void Cancel();
    bool IsCurrentThread() const;

    std::shared_ptr<State> state_;
    int priority_ = 0;
    bool started_ = false;
    std::thread thread_;
};

}  // namespace Kiv
