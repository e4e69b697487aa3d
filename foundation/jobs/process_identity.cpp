// Storage of the process identity. The main thread id is taken during static
// initialisation, which runs on the thread that later enters main.
#include "foundation/jobs/process_identity.h"

#include <atomic>
#include <mutex>

#include "engine/thread.h"
#include "foundation/jobs/worker_job.h"
#include "foundation/jobs/worker_job_queue.h"

namespace {

struct ProgramName {
    std::mutex mutex;
    std::string name;
};

ProgramName& TheProgramName() {
    static ProgramName* name = new ProgramName;
    return *name;
}

std::atomic<uint32_t> g_mainThreadId{Kiv::Thread::GetCurrentId()};
std::atomic<ApplicationHook> g_applicationHook{nullptr};
std::atomic<Kiv::WEvent*> g_clientStartedEvent{nullptr};

} // namespace

void RecordProgramIdentity(const char* programName) {
    {
        ProgramName& stored = TheProgramName();
        std::lock_guard<std::mutex> guard(stored.mutex);
        stored.name = programName ? programName : "";
    }
    RecordMainThreadId();
}

void RecordMainThreadId() {
    g_mainThreadId.store(Kiv::Thread::GetCurrentId());
}

std::string GetProgramName() {
    ProgramName& stored = TheProgramName();
    std::lock_guard<std::mutex> guard(stored.mutex);
    return stored.name;
}

uint32_t WorkerJobQueue::GetMainThreadId() {
    return g_mainThreadId.load();
}

bool WorkerJobQueue::IsMainThread() {
    return Kiv::Thread::GetCurrentId() == GetMainThreadId();
}

uint32_t CurrentThreadJobMask() {
    return WorkerJobQueue::IsMainThread() ? WorkerJobFlags::kNeverMainThread
                                          : WorkerJobFlags::kMainThreadOnly;
}

bool GetApplicationByte() {
    return false;
}
float GetApplicationFloat() {
    return 0.0f;
}
int32_t GetApplicationInt() {
    return 0;
}

void SetApplicationHook(ApplicationHook hook) {
    g_applicationHook.store(hook);
}

int32_t CallApplicationHook(int32_t first, int32_t second) {
    ApplicationHook hook = g_applicationHook.load();
    return hook ? hook(first, second) : 0;
}

void SetClientStartedEvent(Kiv::WEvent* event) {
    g_clientStartedEvent.store(event);
}
Kiv::WEvent* GetClientStartedEvent() {
    return g_clientStartedEvent.load();
}

int64_t Time64() {
    return static_cast<int64_t>(std::time(nullptr));
}

int64_t MakeTime64(std::tm& localTime) {
    return static_cast<int64_t>(std::mktime(&localTime));
}
