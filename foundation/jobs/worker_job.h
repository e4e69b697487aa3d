// One queued worker job and what a job tells the code that posted it: the flags that decide
// which threads may take it, the synchronous poster's done state and the optional completion
// record. The poster's state is one atomic byte so that "failed" can never be read without
// "done" or the other way round, from whichever thread releases the job.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "engine/recursive_lock.h"
#include "engine/wevent.h"
#include "foundation/jobs/tcx_callback.h"

// A thread may take a job when (job flags AND (its mask OR extra bits)) is 0.
namespace WorkerJobFlags {
constexpr uint32_t kMainThreadOnly = 1; // never on a worker; posting it notifies the main thread
constexpr uint32_t kCarried = 2;        // carried but not interpreted here
constexpr uint32_t kNotInLockWait = 4;  // left alone while the main thread waits for the lock
constexpr uint32_t kAsynchronous = 8;   // the poster does not wait
constexpr uint32_t kNeverMainThread = 16;
} // namespace WorkerJobFlags

// What a synchronous poster waits on. Pending until the job ran (done) or was released
// without running (done and failed), set in one store.
class WorkerJobDone {
  public:
    void Finish(bool failed) { state_.store(failed ? kDone | kFailed : kDone); }
    bool IsDone() const { return (state_.load() & kDone) != 0; }
    bool Failed() const { return (state_.load() & kFailed) != 0; }

  private:
    static constexpr uint8_t kDone = 1;
    static constexpr uint8_t kFailed = 2;
    std::atomic<uint8_t> state_{0};
};

// Signalled when a job that carries it is released without running. The outstanding count
// belongs to whoever made the record.
class WorkerJobCompletion {
  public:
    explicit WorkerJobCompletion(int32_t outstanding = 1) : outstanding_(outstanding) {}

    void Signal();
    int32_t Outstanding() const;
    bool IsPending() const;
    Kiv::WEvent& Event() { return event_; }

  private:
    mutable Kiv::CriticalSection lock_;
    int32_t outstanding_;
    bool pending_ = true;
    Kiv::WEvent event_{true, false};
};

struct WorkerJob {
    std::unique_ptr<TCXCallbackBase> callback;
    intptr_t argument = 0; // handed to Call; also the cancellation key
    WorkerJobCompletion* completion = nullptr;
    uint32_t flags = 0;
    WorkerJobDone* done = nullptr; // the synchronous poster's state, else null

    // Deletes the callback and tells the poster and the completion record that the job
    // will never run.
    void ReleaseUnrun();
};
