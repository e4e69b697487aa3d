// Test support for the job system and the resource lock: a job timing whose clock moves
// only when a test advances it, so 30 s idle ends and 15 s lock steps take milliseconds; a
// job that records where it ran and when it was deleted; and a bounded real-time wait for
// effects on other threads.
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <limits>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "engine/thread.h"
#include "foundation/jobs/job_timing.h"
#include "foundation/jobs/tcx_callback.h"

class FakeJobTiming : public JobTiming {
  public:
    // One for the whole test program, never destroyed: a worker of the process-wide queue
    // may still be waiting on it after its test ended.
    static FakeJobTiming& Shared() {
        static FakeJobTiming* timing = new FakeJobTiming;
        return *timing;
    }

    int64_t NowMs() override { return now_.load(); }

    // Does not move the clock; pauses briefly in real time so loops stay cheap.
    void Sleep(int64_t ms) override {
        {
            std::lock_guard<std::mutex> guard(mutex_);
            if (sleeps_.size() < kKeptSleeps) sleeps_.push_back(ms);
        }
        sleepCalls_.fetch_add(1);
        std::this_thread::sleep_for(std::chrono::microseconds(50));
    }

    bool Wait(Kiv::WEvent& event, int64_t ms) override {
        const int64_t deadline = ms < 0 ? std::numeric_limits<int64_t>::max() : NowMs() + ms;
        const uint32_t thread = Kiv::Thread::GetCurrentId();
        SetWaiting(thread, true);
        bool came = event.Wait(0);
        while (!came && NowMs() < deadline)
            came = event.Wait(1);
        SetWaiting(thread, false);
        if (!came) RunTimeoutAction();
        return came;
    }

    // Runs action once, on the next thread whose Wait times out, just before that Wait
    // answers: as if another thread acted at that very moment.
    void OnNextTimeout(std::function<void()> action) {
        std::lock_guard<std::mutex> guard(mutex_);
        timeoutAction_ = std::move(action);
    }

    void Advance(int64_t ms) { now_.fetch_add(ms); }
    // Whether thread is inside Wait, its deadline taken.
    bool IsWaiting(uint32_t thread) {
        std::lock_guard<std::mutex> guard(mutex_);
        return std::find(waiting_.begin(), waiting_.end(), thread) != waiting_.end();
    }
    int64_t SleepCalls() const { return sleepCalls_.load(); }
    std::vector<int64_t> Sleeps() {
        std::lock_guard<std::mutex> guard(mutex_);
        return sleeps_;
    }
    void ResetSleeps() {
        std::lock_guard<std::mutex> guard(mutex_);
        sleeps_.clear();
        sleepCalls_.store(0);
    }

  private:
    FakeJobTiming() = default;

    void RunTimeoutAction() {
        std::function<void()> action;
        {
            std::lock_guard<std::mutex> guard(mutex_);
            action = std::exchange(timeoutAction_, nullptr);
        }
        if (action) action();
    }

    void SetWaiting(uint32_t thread, bool waiting) {
        std::lock_guard<std::mutex> guard(mutex_);
        if (waiting) {
            waiting_.push_back(thread);
        } else {
            waiting_.erase(std::find(waiting_.begin(), waiting_.end(), thread));
        }
    }

    static constexpr size_t kKeptSleeps = 1000;
    std::atomic<int64_t> now_{1000000};
    std::atomic<int64_t> sleepCalls_{0};
    std::mutex mutex_;
    std::vector<int64_t> sleeps_;
    std::vector<uint32_t> waiting_;
    std::function<void()> timeoutAction_;
};

// Installs the fake timing, its sleep record cleared, for the life of the object.
struct ScopedFakeJobTiming {
    ScopedFakeJobTiming() : timing(FakeJobTiming::Shared()) {
        timing.ResetSleeps();
        JobTiming::Install(&timing);
    }
    ~ScopedFakeJobTiming() { JobTiming::Install(nullptr); }
    FakeJobTiming& timing;
};

// Polls condition in real time; false when it did not hold within 10 s.
inline bool WaitUntil(const std::function<bool()>& condition) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return true;
}

struct JobRecord {
    std::atomic<int32_t> runs{0};
    std::atomic<int32_t> deletions{0};
    std::atomic<uint32_t> thread{0};
};

// Job records that outlive a test's body: a worker deletes its job (and counts the deletion
// into the record) after the job's effects were seen, so a fixture declares its records
// before its queue, whose destruction joins the workers.
class JobRecords {
  public:
    JobRecord& New() { return records_.emplace_back(); }

  private:
    std::deque<JobRecord> records_;
};

// Records into record, then runs body (if any).
class RecordingJob : public TCXCallbackBase {
  public:
    explicit RecordingJob(JobRecord& record, std::function<void()> body = {})
        : record_(record), body_(std::move(body)) {}
    ~RecordingJob() override { record_.deletions.fetch_add(1); }

    int32_t Call(intptr_t) override {
        record_.thread.store(Kiv::Thread::GetCurrentId());
        record_.runs.fetch_add(1);
        if (body_) body_();
        return 0;
    }

  private:
    JobRecord& record_;
    std::function<void()> body_;
};
