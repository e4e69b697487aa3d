// Posting, running and waiting for the steps of a chain. Only one step of a chain is ever
// queued or running, so the step list needs no lock: the job queue's own lock orders each
// step after the one that posted it.
#include "content3d/textures/kodrin_worker_call_chain.h"

#include "foundation/jobs/job_timing.h"
#include "foundation/jobs/worker_job.h"
#include "foundation/jobs/worker_job_queue.h"

namespace {

constexpr int64_t kIdleWaitMs = 10;

}  // namespace

void KodrinWorkerCallChain::AddStep(std::unique_ptr<TCXCallbackBase> callback, uint32_t flags) {
    steps_.push_back({std::move(callback), flags | WorkerJobFlags::kAsynchronous});
}

void KodrinWorkerCallChain::Start() {
    done_.Reset();
    running_.store(true);
    jobs_ = &WorkerJobQueue::Singleton();
    RunNext();
}

void KodrinWorkerCallChain::End() {
    running_.store(false);
    done_.Set();
}

void KodrinWorkerCallChain::RunNext() {
    if (steps_.empty()) {
        End();
        return;
    }
    auto job = std::make_unique<TCXCallbackCPPVoidPtr<KodrinWorkerCallChain>>(
        this, &KodrinWorkerCallChain::RunFront);
    if (PostWorkerJob(*jobs_, std::move(job), steps_.front().flags, reinterpret_cast<intptr_t>(this)))
        return;
    steps_.clear();
    cut_.store(true);
    End();
}

void KodrinWorkerCallChain::RunFront(intptr_t) {
    Step step = std::move(steps_.front());
    steps_.pop_front();
    step.callback->Call(0);
    RunNext();
}

void KodrinWorkerCallChain::Wait() {
    while (!done_.IsSet()) {
        const bool ranJob = jobs_ && jobs_->RunNextJob(0) > 0;
        JobTiming::Current().Wait(done_, ranJob ? 0 : kIdleWaitMs);
    }
    done_.Reset();
}
