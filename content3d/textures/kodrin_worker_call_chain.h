// KodrinWorkerCallChain: a row of job steps that run one after another as worker jobs, each
// on the threads its flags allow (main thread, worker), posted asynchronously only once the
// step before it has run. Wait lets the waiting thread run queued jobs meanwhile, so a main
// thread that waits runs the main-thread steps itself. A step that cannot be posted (the
// job system is shutting down) ends the chain with the rest of its steps dropped, so a
// waiter never waits for a step that will not come.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>

#include "engine/wevent.h"
#include "foundation/jobs/tcx_callback.h"

class WorkerJobQueue;

class KodrinWorkerCallChain {
public:
    KodrinWorkerCallChain() = default;
    KodrinWorkerCallChain(const KodrinWorkerCallChain&) = delete;
    KodrinWorkerCallChain& operator=(const KodrinWorkerCallChain&) = delete;

    // Queues a step; it is posted with the asynchronous flag added.
    void AddStep(std::unique_ptr<TCXCallbackBase> callback, uint32_t flags);
    // Posts the first step to the process-wide job queue; with no step the chain is done.
    void Start();
    // Until the last step has run, runs queued jobs on the calling thread.
    void Wait();
    bool IsRunning() const { return running_.load(); }
    // Whether steps were dropped because they could not be posted.
    bool WasCut() const { return cut_.load(); }

private:
    struct Step {
        std::unique_ptr<TCXCallbackBase> callback;
        uint32_t flags = 0;
    };

    void RunNext();
    // The posted job: runs the front step, drops it and posts the next.
    void RunFront(intptr_t argument);
    void End();

    std::atomic<bool> running_{false};
    std::atomic<bool> cut_{false};
    std::deque<Step> steps_;
    Kiv::WEvent done_{true, false};
    WorkerJobQueue* jobs_ = nullptr;
};
