// The purge and its deferral to the main thread.
#include "validation/darodi/purge_resources.h"

#include <atomic>

#include "engine/pstring.h"
#include "engine/resource_system.h"
#include "foundation/jobs/worker_job_queue.h"

namespace {

std::atomic<bool> g_purgeRequested{false};

void Purge() {
    if (Kiv::ResourceSystem* resources = Kiv::ResourceSystem::Current())
        resources->DumpUnusedResourcesFromCache();
    Kiv::PStringCache::CollectGarbage();
}

} // namespace

void PurgeResourcesAfterValidation() {
    if (!WorkerJobQueue::IsMainThread()) {
        g_purgeRequested.store(true);
        return;
    }
    Purge();
}

bool RunDeferredResourcePurge() {
    if (!WorkerJobQueue::IsMainThread() || !g_purgeRequested.exchange(false)) return false;
    Purge();
    return true;
}
