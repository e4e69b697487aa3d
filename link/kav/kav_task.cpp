// The task's life with its thread, and the free-space check through statvfs.
#include "link/kav/kav_task.h"

#include <sys/statvfs.h>

#include <mutex>
#include <utility>

#include "link/kav/kav_client_transaction.h"

namespace {

bool StatvfsFreeSpace(const char* folder, uint64_t& bytes) {
    struct statvfs volume {};
    if (statvfs(folder, &volume) != 0) return false;
    bytes = static_cast<uint64_t>(volume.f_bavail) * static_cast<uint64_t>(volume.f_frsize);
    return true;
}

std::mutex g_queryLock;
KAVTaskThread::FreeSpaceQuery g_freeSpaceQuery = StatvfsFreeSpace;

}  // namespace

KAVTask::~KAVTask() {
    FinishThread();
    KAVClientTransaction::ReleaseLog(this);
}

void KAVTask::FinishThread() {
    if (thread_ == nullptr) return;
    RequestCancel();
    thread_->Wait();
    delete thread_;
    thread_ = nullptr;
}

KAVTaskThread::KAVTaskThread() : Kiv::Thread(ThreadProc, this, true) {}

KAVTaskThread::~KAVTaskThread() { Terminate(); }

int32_t KAVTaskThread::RunHere(KAVTask* owner) {
    runningThreadId_.store(GetCurrentId());
    owner_ = owner;
    const int32_t result = Run();
    runningThreadId_.store(0);
    return result;
}

bool KAVTaskThread::RunOnThread(KAVTask& owner) {
    if (owner.thread_ != nullptr || !StartedOk()) return false;
    owner_ = &owner;
    owner.thread_ = this;
    owner.threadRunning_.store(true);
    Resume();
    return true;
}

uint32_t KAVTaskThread::ThreadProc(void* argument) {
    auto* self = static_cast<KAVTaskThread*>(argument);
    if (!self->IsDone()) {
        self->runningThreadId_.store(GetCurrentId());
        self->Run();
        self->runningThreadId_.store(0);
    }
    if (KAVTask* owner = self->owner_) {
        owner->JobEnded();
        owner->threadRunning_.store(false);
    }
    return 0;
}

bool KAVTaskThread::HasFreeDiskSpace(const char* folder) const {
    FreeSpaceQuery query;
    {
        std::lock_guard<std::mutex> hold(g_queryLock);
        query = g_freeSpaceQuery;
    }
    uint64_t bytes = 0;
    return query(folder, bytes) && bytes >= kLeastFreeBytes;
}

void KAVTaskThread::SetFreeSpaceQuery(FreeSpaceQuery query) {
    std::lock_guard<std::mutex> hold(g_queryLock);
    g_freeSpaceQuery = std::move(query);
}

void KAVTaskThread::ResetFreeSpaceQuery() { SetFreeSpaceQuery(StatvfsFreeSpace); }
