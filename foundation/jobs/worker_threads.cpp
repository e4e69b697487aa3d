// The worker threads of a WorkerJobQueue: starting them (the first at once, another only
// when none is idle and 5 s of job clock have passed since the last start or idle change),
// their loop, their end after 30 s without work, and waiting for them at shut-down.
#include <algorithm>

#include "foundation/jobs/job_timing.h"
#include "foundation/jobs/worker_job_queue.h"

namespace {

constexpr float kWorkerStartSpacingSeconds = 5.0f;
constexpr int64_t kWorkerIdleEndMs = 30000;
constexpr int64_t kShutdownPollMs = 10;

} // namespace

bool WorkerJobQueue::HasIdleWorkers() const {
    Kiv::SingleLock guard(idleLock_);
    return idleCount_ != 0;
}

void WorkerJobQueue::AdjustIdleCount(int32_t delta) {
    Kiv::SingleLock guard(idleLock_);
    idleCount_ += delta;
    if (idleCount_ != 0) stamp_ = GetJobClock();
}

bool WorkerJobQueue::StampExpired() const {
    Kiv::SingleLock guard(idleLock_);
    return stamp_ + kWorkerStartSpacingSeconds < GetJobClock();
}

int32_t WorkerJobQueue::WorkerCount() const {
    Kiv::SingleLock guard(workerLock_);
    return static_cast<int32_t>(std::count_if(
        workers_.begin(), workers_.end(), [](const auto& worker) { return !worker->IsDone(); }));
}

// Lock order: the worker lock, then the idle lock; never the queue lock under either. A
// worker just started looks at the queue before it waits, so it needs no wake-up; a wake-up
// left set for it would only send a worker that went idle round its loop once more.
void WorkerJobQueue::WakeOrStartWorker() {
    bool started = false;
    {
        Kiv::SingleLock guard(workerLock_);
        PurgeFinishedWorkers();
        const bool noWorker = static_cast<int32_t>(workers_.size()) == leavingWorkers_;
        if (!HasIdleWorkers() && (noWorker || StampExpired())) started = StartWorker();
    }
    if (!started) wakeEvent_.Set();
}

// Every worker that ended counted itself as leaving first.
void WorkerJobQueue::PurgeFinishedWorkers() {
    Kiv::SingleLock guard(workerLock_);
    auto ended = std::remove_if(workers_.begin(), workers_.end(),
                                [](const auto& worker) { return worker->IsDone(); });
    leavingWorkers_ -= static_cast<int32_t>(workers_.end() - ended);
    workers_.erase(ended, workers_.end());
}

bool WorkerJobQueue::StartWorker() {
    {
        Kiv::SingleLock guard(idleLock_);
        stamp_ = GetJobClock();
    }
    auto worker = std::make_unique<Kiv::Thread>(WorkerThreadProc, this, true);
    if (!worker->StartedOk()) return false;
    Kiv::SingleLock guard(workerLock_);
    worker->Resume();
    workers_.push_back(std::move(worker));
    return true;
}

bool WorkerJobQueue::HasWorkForWorkers() const {
    Kiv::SingleLock guard(queueLock_);
    auto found = queue_.FindIf(
        [](const WorkerJob& job) { return (job.flags & WorkerJobFlags::kMainThreadOnly) == 0; });
    return !found.IsEnd();
}

// A worker that timed out stops counting as a worker before it looks at the queue a last
// time: a job queued after that look finds no worker and starts one. Every worker leaves
// through here, so each ended thread was counted as leaving.
bool WorkerJobQueue::BeginLeaving() {
    {
        Kiv::SingleLock guard(workerLock_);
        ++leavingWorkers_;
    }
    if (shuttingDown_.load() || !HasWorkForWorkers()) return true;
    Kiv::SingleLock guard(workerLock_);
    --leavingWorkers_;
    return false;
}

uint32_t WorkerJobQueue::WorkerThreadProc(void* argument) {
    WorkerJobQueue& queue = *static_cast<WorkerJobQueue*>(argument);
    for (;;) {
        while (queue.RunNextJob(0) != 0)
            continue;
        queue.AdjustIdleCount(1);
        const bool woken = !queue.shuttingDown_.load() &&
                           JobTiming::Current().Wait(queue.wakeEvent_, kWorkerIdleEndMs);
        queue.AdjustIdleCount(-1);
        if (!woken && queue.BeginLeaving()) break;
    }
    return 0;
}

void WorkerJobQueue::Shutdown() {
    shuttingDown_.store(true);
    Kiv::SingleLock guard(workerLock_);
    PurgeFinishedWorkers();
    while (!workers_.empty()) {
        guard.Unlock();
        wakeEvent_.Set();
        JobTiming::Current().Sleep(kShutdownPollMs);
        guard.Lock();
        PurgeFinishedWorkers();
    }
}
