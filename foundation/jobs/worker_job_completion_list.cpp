// The completion list. The empty event changes only under the list's lock, so it always
// matches the list once the lock is let go.
#include "foundation/jobs/worker_job_completion_list.h"

#include <algorithm>

namespace {

// Made by static initialisation, freed at exit.
WorkerJobCompletionList g_global;

} // namespace

WorkerJobCompletionList& WorkerJobCompletionList::Global() { return g_global; }

void WorkerJobCompletionList::Add(WorkerJobCompletion& record) {
    Kiv::SingleLock guard(lock_);
    if (std::find(records_.begin(), records_.end(), &record) != records_.end()) return;
    records_.push_back(&record);
    empty_.Reset();
}

bool WorkerJobCompletionList::Remove(WorkerJobCompletion& record) {
    Kiv::SingleLock guard(lock_);
    auto listed = std::find(records_.begin(), records_.end(), &record);
    if (listed == records_.end()) return false;
    records_.erase(listed);
    if (records_.empty()) empty_.Set();
    return true;
}

bool WorkerJobCompletionList::Contains(const WorkerJobCompletion& record) const {
    Kiv::SingleLock guard(lock_);
    return std::find(records_.begin(), records_.end(), &record) != records_.end();
}

size_t WorkerJobCompletionList::Count() const {
    Kiv::SingleLock guard(lock_);
    return records_.size();
}

bool WorkerJobCompletionList::WaitUntilEmpty(int64_t timeoutMs) { return empty_.Wait(timeoutMs); }
