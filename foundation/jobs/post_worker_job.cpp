// Posting a job: run at once when the poster may take it and waits anyway, otherwise queue
// it; a synchronous poster then polls its done state every millisecond of job timing.
#include "foundation/jobs/job_timing.h"
#include "foundation/jobs/process_identity.h"
#include "foundation/jobs/run_guarded.h"
#include "foundation/jobs/worker_job_queue.h"

namespace {

constexpr int64_t kPosterPollMs = 1;

} // namespace

bool PostWorkerJob(WorkerJobQueue& queue, std::unique_ptr<TCXCallbackBase> callback, uint32_t flags,
                   intptr_t argument, WorkerJobCompletion* completion) {
    if (!callback) return false;
    const bool synchronous = (flags & WorkerJobFlags::kAsynchronous) == 0;
    if (synchronous && (flags & CurrentThreadJobMask()) == 0) {
        RunTCXCallbackGuarded(argument, *callback);
        return true;
    }
    WorkerJobDone done;
    WorkerJob job;
    job.callback = std::move(callback);
    job.argument = argument;
    job.completion = completion;
    job.flags = flags;
    job.done = synchronous ? &done : nullptr;
    if (!queue.Enqueue(std::move(job))) return false;
    if (!synchronous) return true;
    while (!done.IsDone())
        JobTiming::Current().Sleep(kPosterPollMs);
    return !done.Failed();
}
