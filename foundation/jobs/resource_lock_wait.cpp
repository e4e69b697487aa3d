// Waiting for the resource lock. Retry n (from -100 upwards) first sleeps n / 10 ms, kept
// between 0 and 20, so the first 110 retries only yield. The main thread keeps the process
// alive meanwhile: after each sleep it runs at most one queued main-thread job (a worker
// that holds the lock may be waiting for one; jobs flagged 4 are left for later), and every
// 15 s of waiting it shows or updates the blocking screen and frees what nothing uses.
#include <algorithm>
#include <atomic>
#include <optional>

#include "engine/pstring.h"
#include "foundation/jobs/job_timing.h"
#include "foundation/jobs/resource_lock.h"
#include "foundation/jobs/worker_job.h"
#include "foundation/jobs/worker_job_queue.h"

namespace {

constexpr int32_t kFirstRetry = -100;
constexpr int64_t kLongestRetrySleepMs = 20;
constexpr int64_t kMainThreadStepMs = 15000;

using Hook = void (*)();

struct WaitHooks {
    std::atomic<Hook> show{nullptr};
    std::atomic<Hook> update{nullptr};
    std::atomic<Hook> hide{nullptr};
    std::atomic<Hook> dumpUnusedResources{nullptr};
};

WaitHooks g_hooks;

void Call(const std::atomic<Hook>& hook) {
    if (Hook function = hook.load()) function();
}

int64_t RetrySleepMs(int32_t retry) {
    return std::clamp<int64_t>(retry / 10, 0, kLongestRetrySleepMs);
}

// The main thread's duties between two retries.
class MainThreadWait {
  public:
    MainThreadWait() : lastStepMs_(JobTiming::Current().NowMs()) {}
    ~MainThreadWait() {
        if (shown_) Call(g_hooks.hide);
    }
    MainThreadWait(const MainThreadWait&) = delete;
    MainThreadWait& operator=(const MainThreadWait&) = delete;

    void AfterSleep() {
        const int64_t now = JobTiming::Current().NowMs();
        if (now - lastStepMs_ > kMainThreadStepMs) {
            lastStepMs_ = now;
            Call(shown_ ? g_hooks.update : g_hooks.show);
            shown_ = true;
            Call(g_hooks.dumpUnusedResources);
            Kiv::PStringCache::CollectGarbage();
        }
        WorkerJobQueue::Singleton().RunNextJob(WorkerJobFlags::kNotInLockWait);
    }

  private:
    int64_t lastStepMs_;
    bool shown_ = false;
};

} // namespace

void ResourceLock::SetWaitHooks(const ResourceLockWaitHooks& hooks) {
    g_hooks.show.store(hooks.showBlockingScreen);
    g_hooks.update.store(hooks.updateBlockingScreen);
    g_hooks.hide.store(hooks.hideBlockingScreen);
    g_hooks.dumpUnusedResources.store(hooks.dumpUnusedResources);
}

void ResourceLock::WaitForGrant(uint32_t thread, bool exclusive) {
    std::optional<MainThreadWait> mainThread;
    if (WorkerJobQueue::IsMainThread()) mainThread.emplace();
    for (int32_t retry = kFirstRetry;; ++retry) {
        JobTiming::Current().Sleep(RetrySleepMs(retry));
        if (mainThread) mainThread->AfterSleep();
        if (TryAcquire(thread, exclusive)) return;
    }
}
