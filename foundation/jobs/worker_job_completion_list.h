// A list of completion records (worker_job.h) under one critical section, with a manual-reset
// event that is set while the list is empty, so a thread can wait until every record it
// listed has been taken off again. One process-wide list is made before the program's entry
// and freed at exit; nothing in the tool lists a record in it yet.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>

#include "engine/recursive_lock.h"
#include "engine/wevent.h"
#include "foundation/jobs/worker_job.h"

class WorkerJobCompletionList {
  public:
    WorkerJobCompletionList() = default;
    WorkerJobCompletionList(const WorkerJobCompletionList&) = delete;
    WorkerJobCompletionList& operator=(const WorkerJobCompletionList&) = delete;

    static WorkerJobCompletionList& Global();

    // Lists the record (once: a record listed already stays listed once).
    void Add(WorkerJobCompletion& record);
    // Takes the record off; false when it was not listed.
    bool Remove(WorkerJobCompletion& record);
    bool Contains(const WorkerJobCompletion& record) const;
    size_t Count() const;
    // True once the list is empty; false after timeoutMs (negative: no end).
    bool WaitUntilEmpty(int64_t timeoutMs);

  private:
    mutable Kiv::CriticalSection lock_;
    Kiv::WEvent empty_{true, true};
    std::list<WorkerJobCompletion*> records_;
};
