// Releasing a job that will not run, and the completion record.
#include "foundation/jobs/worker_job.h"

void WorkerJob::ReleaseUnrun() {
    callback.reset();
    if (completion) completion->Signal();
    if (done) done->Finish(true);
}

void WorkerJobCompletion::Signal() {
    Kiv::SingleLock guard(lock_);
    --outstanding_;
    pending_ = false;
    event_.Set();
}

int32_t WorkerJobCompletion::Outstanding() const {
    Kiv::SingleLock guard(lock_);
    return outstanding_;
}

bool WorkerJobCompletion::IsPending() const {
    Kiv::SingleLock guard(lock_);
    return pending_;
}
