// The wait record beside the resource lock and the cycle check over it. The record has its
// own critical section, taken before any lock's own (a lock's section is only taken briefly
// to copy its holders), so the check never holds a lock's section across the search.
// The search follows every holder of a lock, shared ones too: a lock is free for a waiter
// only when all of its holders let go, so one holder stuck for ever is enough to stick it.
#include <algorithm>
#include <map>
#include <set>

#include "foundation/jobs/resource_lock.h"

namespace {

struct WaitRecord {
    Kiv::CriticalSection lock;
    std::map<uint32_t, const ResourceLock*> waitsFor;
};

WaitRecord& Record() {
    static WaitRecord* record = new WaitRecord; // never destroyed: threads may outlive exit
    return *record;
}

// A depth-first search from one lock through its holders and what they wait for. Threads on
// the current path are "open": reaching one again is a cycle; "closed" threads were
// searched already and lead to no cycle.
class CycleSearch {
  public:
    CycleSearch(uint32_t thread, const std::map<uint32_t, const ResourceLock*>& waitsFor)
        : thread_(thread), waitsFor_(waitsFor) {}

    bool Sticks(const ResourceLock& lock) {
        for (uint32_t holder : lock.Holders()) {
            if (holder == thread_ || open_.count(holder) != 0) return true;
            if (closed_.count(holder) != 0) continue;
            auto waiting = waitsFor_.find(holder);
            if (waiting == waitsFor_.end() || !waiting->second) {
                closed_.insert(holder);
                continue;
            }
            open_.insert(holder);
            if (Sticks(*waiting->second)) return true;
            open_.erase(holder);
            closed_.insert(holder);
        }
        return false;
    }

  private:
    uint32_t thread_;
    const std::map<uint32_t, const ResourceLock*>& waitsFor_;
    std::set<uint32_t> open_;
    std::set<uint32_t> closed_;
};

} // namespace

void ResourceLock::AddWaiter(uint32_t thread, const ResourceLock* lock) {
    WaitRecord& record = Record();
    Kiv::SingleLock guard(record.lock);
    record.waitsFor[thread] = lock;
}

void ResourceLock::RemoveWaiter(uint32_t thread) {
    WaitRecord& record = Record();
    Kiv::SingleLock guard(record.lock);
    record.waitsFor.erase(thread);
}

bool ResourceLock::CheckWaitCycle(uint32_t thread, const ResourceLock* lock) {
    if (!lock) return false;
    WaitRecord& record = Record();
    Kiv::SingleLock guard(record.lock);
    CycleSearch search(thread, record.waitsFor);
    return search.Sticks(*lock);
}

std::vector<uint32_t> ResourceLock::Holders() const {
    Kiv::SingleLock guard(lock_);
    std::vector<uint32_t> holders;
    for (uint32_t holder : holders_)
        if (std::find(holders.begin(), holders.end(), holder) == holders.end())
            holders.push_back(holder);
    return holders;
}
