// The worker job queue: small job objects run on pooled worker threads or handed to the main
// thread, as their flags say (worker_job.h). Workers are started on demand, at most one new
// one per 5 s of job clock while others are busy, and end after 30 s without work. One
// process-wide queue (Singleton) serves the program; tests make their own. A worker that
// times out looks at the queue once more before it leaves, and is no longer counted as a
// worker from then on, so a job posted at that moment starts a fresh worker instead of
// waiting for one that is going away. Once shutting down, the queue refuses new jobs.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/recursive_lock.h"
#include "engine/thread.h"
#include "engine/wevent.h"
#include "foundation/containers/block_array.h"
#include "foundation/jobs/worker_job.h"

class WorkerJobQueue {
  public:
    explicit WorkerJobQueue(const char* name);
    // Destroy.
    ~WorkerJobQueue();
    WorkerJobQueue(const WorkerJobQueue&) = delete;
    WorkerJobQueue& operator=(const WorkerJobQueue&) = delete;

    // The process-wide queue, named "singleton".
    static WorkerJobQueue& Singleton();

    // Queues job, then notifies the main thread (main-only jobs) or wakes or starts a
    // worker. A queue that is shutting down releases the job unrun and answers false.
    bool Enqueue(WorkerJob job);

    // Runs the oldest job the calling thread may take (its mask OR extraBits excludes the
    // rest). Answers the number of jobs queued when it looked, minus one, or 0 when it ran
    // nothing (so also 0 after running the only job).
    int32_t RunNextJob(uint32_t extraBits);

    // Releases every queued job whose argument is key: callback deleted, completion
    // signalled, a synchronous poster answered false. With wait, then waits until no job
    // with that key is running.
    void CancelJobs(intptr_t key, bool wait);
    bool IsJobRunning(intptr_t key) const;
    bool HasPendingWork() const;

    bool HasIdleWorkers() const;
    // Adds delta to the idle count; stamps the job clock when the count is then not 0.
    void AdjustIdleCount(int32_t delta);
    // Workers whose threads have not ended (for diagnostics and tests).
    int32_t WorkerCount() const;

    // The main thread's wake-up for main-only jobs; running a job on the main thread
    // clears it.
    bool WaitMainThreadEvent(int64_t ms);
    void ResetMainThreadEvent();
    bool IsMainThreadNotified() const { return mainThreadNotified_.load(); }

    static uint32_t GetMainThreadId();
    static bool IsMainThread();

    // Refuses new jobs and waits until every worker has ended; queued jobs stay queued.
    void Shutdown();
    // Refuses new jobs, releases every queued job unrun, then shuts down.
    void Destroy();

    const std::string& Name() const { return name_; }

  private:
    class RunningJob;

    void NotifyMainThread();
    void WakeOrStartWorker();
    void PurgeFinishedWorkers();
    bool StartWorker();
    bool StampExpired() const;
    bool HasWorkForWorkers() const;
    bool BeginLeaving();
    static uint32_t WorkerThreadProc(void* argument);

    mutable Kiv::CriticalSection queueLock_;
    BlockArray<WorkerJob, 13> queue_; // oldest first
    std::set<const WorkerJob*> running_;

    mutable Kiv::CriticalSection workerLock_;
    std::vector<std::unique_ptr<Kiv::Thread>> workers_;
    int32_t leavingWorkers_ = 0; // workers in the set that decided to end

    Kiv::WEvent finishedEvent_{true, false};
    Kiv::WEvent wakeEvent_{false, false};
    std::atomic<bool> shuttingDown_{false};

    mutable Kiv::CriticalSection idleLock_;
    int32_t idleCount_ = 0;
    float stamp_ = 0.0f; // job clock of the last start or idle change

    Kiv::WEvent mainThreadEvent_{true, false};
    std::atomic<bool> mainThreadNotified_{false};

    std::string name_;
};

// Posts a job object, which belongs to the job system from then on. A synchronous job
// (no kAsynchronous flag) that the calling thread may take runs at once on it; any other
// job is queued, and a synchronous poster then waits until it ran. False when the job was
// released without running (cancelled, refused or discarded at exit), or there was none.
bool PostWorkerJob(WorkerJobQueue& queue, std::unique_ptr<TCXCallbackBase> callback, uint32_t flags,
                   intptr_t argument, WorkerJobCompletion* completion = nullptr);
