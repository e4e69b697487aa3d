// The queue itself: taking, running, cancelling and releasing jobs, and the main thread's
// notification. The callback of a job always runs with no queue lock held; the record of a
// running job lives on the stack of the thread that runs it, listed in the running set.
#include "foundation/jobs/worker_job_queue.h"

#include <exception>
#include <vector>

#include "foundation/jobs/job_timing.h"
#include "foundation/jobs/process_identity.h"
#include "foundation/jobs/run_guarded.h"

namespace {

// How often CancelJobs looks again at the running set even without a finished pulse, so a
// pulse that came between its look and its wait is never waited for.
constexpr int64_t kFinishedRecheckMs = 10;

} // namespace

// Finishes a taken job however its callback ends: deletes the callback, answers its poster
// (failed only when the callback threw), leaves the running set and pulses the finished
// event.
class WorkerJobQueue::RunningJob {
  public:
    RunningJob(WorkerJobQueue& queue, WorkerJob& job) : queue_(queue), job_(job) {}
    ~RunningJob() {
        job_.callback.reset();
        if (job_.done) job_.done->Finish(std::uncaught_exceptions() > exceptions_);
        {
            Kiv::SingleLock guard(queue_.queueLock_);
            queue_.running_.erase(&job_);
        }
        queue_.finishedEvent_.Pulse();
    }
    RunningJob(const RunningJob&) = delete;
    RunningJob& operator=(const RunningJob&) = delete;

  private:
    WorkerJobQueue& queue_;
    WorkerJob& job_;
    int exceptions_ = std::uncaught_exceptions();
};

WorkerJobQueue::WorkerJobQueue(const char* name) : name_(name ? name : "") {}

WorkerJobQueue::~WorkerJobQueue() {
    Destroy();
}

WorkerJobQueue& WorkerJobQueue::Singleton() {
    static WorkerJobQueue queue("singleton");
    return queue;
}

bool WorkerJobQueue::Enqueue(WorkerJob job) {
    const uint32_t flags = job.flags;
    bool refused = false;
    {
        Kiv::SingleLock guard(queueLock_);
        refused = shuttingDown_.load();
        if (!refused) queue_.PushBack(std::move(job));
    }
    if (refused) {
        job.ReleaseUnrun();
        return false;
    }
    if (flags & WorkerJobFlags::kMainThreadOnly) {
        NotifyMainThread();
    } else {
        WakeOrStartWorker();
    }
    return true;
}

// There are no thread messages here: the flag keeps "notified once until the main thread
// looks", and the event carries the wake-up.
void WorkerJobQueue::NotifyMainThread() {
    mainThreadNotified_.store(true);
    mainThreadEvent_.Set();
}

int32_t WorkerJobQueue::RunNextJob(uint32_t extraBits) {
    if (shuttingDown_.load()) return 0;
    const bool onMainThread = IsMainThread();
    const uint32_t mask = extraBits | CurrentThreadJobMask();
    if (onMainThread) ResetMainThreadEvent();

    WorkerJob job;
    int32_t total = 0;
    bool found = false;
    bool passedOver = false;
    {
        Kiv::SingleLock guard(queueLock_);
        total = queue_.Count();
        if (total == 0) wakeEvent_.Reset();
        for (auto at = queue_.Begin(); !at.IsEnd(); at.Increment()) {
            if (at->flags & mask) {
                passedOver = true;
                continue;
            }
            job = std::move(*at);
            queue_.Erase(at);
            running_.insert(&job);
            found = true;
            break;
        }
    }
    if (onMainThread && passedOver) WakeOrStartWorker();
    if (!found) return 0;

    RunningJob running(*this, job);
    RunTCXCallbackGuarded(job.argument, *job.callback);
    return total - 1;
}

void WorkerJobQueue::CancelJobs(intptr_t key, bool wait) {
    std::vector<WorkerJob> removed;
    {
        Kiv::SingleLock guard(queueLock_);
        for (auto at = queue_.Begin(); !at.IsEnd();) {
            if (at->argument != key) {
                at.Increment();
                continue;
            }
            removed.push_back(std::move(*at));
            at = queue_.Erase(at);
        }
    }
    for (WorkerJob& job : removed)
        job.ReleaseUnrun();
    if (!wait) return;
    while (IsJobRunning(key))
        finishedEvent_.Wait(kFinishedRecheckMs);
}

bool WorkerJobQueue::IsJobRunning(intptr_t key) const {
    Kiv::SingleLock guard(queueLock_);
    for (const WorkerJob* job : running_)
        if (job->argument == key) return true;
    return false;
}

bool WorkerJobQueue::HasPendingWork() const {
    Kiv::SingleLock guard(queueLock_);
    return !queue_.IsEmpty();
}

bool WorkerJobQueue::WaitMainThreadEvent(int64_t ms) {
    return JobTiming::Current().Wait(mainThreadEvent_, ms);
}

void WorkerJobQueue::ResetMainThreadEvent() {
    mainThreadNotified_.store(false);
    mainThreadEvent_.Reset();
}

void WorkerJobQueue::Destroy() {
    BlockArray<WorkerJob, 13> left;
    {
        Kiv::SingleLock guard(queueLock_);
        shuttingDown_.store(true);
        left = std::move(queue_);
    }
    for (WorkerJob& job : left)
        job.ReleaseUnrun();
    Shutdown();
}
