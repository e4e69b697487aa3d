// KAVTask and KAVTaskThread: a long job that the daemon performs for the tool (database
// repair is the one there is). The task is a results log that collects the job's entries and
// receives its progress and status reports; the thread object runs the job's steps, either
// on the calling thread (RunHere) or on an engine thread of its own (RunOnThread). A task
// owns the thread attached to it and outlives it: deleting the task asks the job to cancel
// and waits for its thread first. The plain task drops progress and status reports; a task
// that shows them overrides the report operations, and calls FinishThread in its own
// destructor, so the job never reports into a part of the task that is already gone.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

#include "engine/string.h"
#include "engine/thread.h"
#include "foundation/results/results_log.h"

class KAVTaskThread;

class KAVTask : public ResultsLog {
public:
    KAVTask() = default;
    // Cancels and joins an attached thread, then leaves the request registry under the
    // daemon link's lock, so a note for this task that arrives late is dropped, never read
    // into a log that is going away.
    ~KAVTask() override;

    virtual void ReportProgress(float) {}
    virtual void ReportMessage(const Kiv::String&) {}
    virtual void JobEnded() {}

    bool CancelRequested() const { return cancelRequested_.load(); }
    void RequestCancel() { cancelRequested_.store(true); }
    bool ThreadRunning() const { return threadRunning_.load(); }

protected:
    // Asks an attached thread's job to cancel, waits for it and deletes it; nothing without
    // one.
    void FinishThread();

private:
    friend class KAVTaskThread;

    std::atomic<bool> cancelRequested_{false};
    std::atomic<bool> threadRunning_{false};
    KAVTaskThread* thread_ = nullptr;
};

class KAVTaskThread : public Kiv::Thread {
public:
    // The free space one folder's volume offers the caller, in bytes; false when unknown.
    using FreeSpaceQuery = std::function<bool(const char* folder, uint64_t& bytes)>;
    static constexpr uint64_t kLeastFreeBytes = 104857600;  // 100 MiB

    // The engine thread is made suspended: it runs the job only after RunOnThread.
    KAVTaskThread();
    // Joins a running job. A derived job joins it in its own destructor (Terminate), before
    // its members go.
    ~KAVTaskThread() override;

    // Runs the job on the calling thread with owner as its report target; the job's answer.
    int32_t RunHere(KAVTask* owner);
    // Attaches this thread to owner (which takes it over) and starts the job on it; false,
    // and nothing attached, when the owner already has a thread or the thread could not be
    // made.
    bool RunOnThread(KAVTask& owner);

    // At least kLeastFreeBytes available to the caller on the folder's volume; false when
    // the query fails.
    virtual bool HasFreeDiskSpace(const char* folder) const;
    static void SetFreeSpaceQuery(FreeSpaceQuery query);
    static void ResetFreeSpaceQuery();

    uint32_t RunningThreadId() const { return runningThreadId_.load(); }
    KAVTask* OwnerTask() const { return owner_; }

protected:
    // The job; nothing in the base.
    virtual int32_t Run() { return 0; }

private:
    static uint32_t ThreadProc(void* argument);

    std::atomic<uint32_t> runningThreadId_{0};
    KAVTask* owner_ = nullptr;
};
