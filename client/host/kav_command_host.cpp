// The host loop. The crash handlers are installed only while the loop runs, so a fault in a
// job leaves a report and a console close asks the loop to stop instead of killing the
// process in the middle of a job.
#include "client/host/kav_command_host.h"

#include <atomic>
#include <mutex>

#include "client/host/command_host_callback.h"
#include "link/kav/kav_client.h"
#include "link/kav/kav_link_format.h"
#include "foundation/console/log_message.h"
#include "foundation/crash/crash_handlers.h"
#include "foundation/jobs/worker_job_queue.h"
#include "foundation/streams/buffer_stream.h"

namespace {

std::mutex g_timingLock;
KAVCommandHostTiming g_timing;
std::atomic<uint64_t> g_passes{0};

KAVCommandHostTiming Timing() {
    std::lock_guard<std::mutex> hold(g_timingLock);
    return g_timing;
}

// Registers as command host; the number of the link it registered on (0 when it could not).
uint64_t Register() {
    BufferStream request;
    BufferStream answer;
    if (!KAVClient::Transact(KAVLink::Request::kRegisterCommandHost, request.Stream(), answer.Stream())) return 0;
    return KAVClient::LinkSerial();
}

// The host is the link it registered on: when that link ends the loop ends, and a
// keep-alive never makes a new link, which the daemon would not know as a host.
void ServeUntilLinkEnds(const KAVCommandHostTiming& timing, uint64_t link) {
    WorkerJobQueue& queue = WorkerJobQueue::Singleton();
    g_passes.store(0);
    while (link != 0 && KAVClient::LinkSerial() == link) {
        if (IsConsoleCloseRequested()) break;
        queue.WaitMainThreadEvent(timing.passWaitMs);
        const uint64_t pass = g_passes.fetch_add(1) + 1;
        if (timing.keepAliveEvery > 0 && pass % static_cast<uint64_t>(timing.keepAliveEvery) == 0) {
            BufferStream request;
            BufferStream answer;
            KAVClient::TransactOnLink(link, KAVLink::Request::kKeepAlive, request.Stream(), answer.Stream());
        }
        KAVClient::PumpMainThread();
        KAVCommandHost::IdleHook();
    }
}

// Runs what is still queued on this thread until nothing is queued or running.
void Drain(const KAVCommandHostTiming& timing) {
    WorkerJobQueue& queue = WorkerJobQueue::Singleton();
    for (;;) {
        queue.RunNextJob(0);
        if (!queue.HasPendingWork()) return;
        queue.WaitMainThreadEvent(timing.drainWaitMs);
    }
}

} // namespace

bool KAVCommandHost::Run() {
    const KAVCommandHostTiming timing = Timing();
    const uint64_t link = Register();
    KAVClient::SetCommandHostCallback(KodrinUtil::CommandHostCallback, link);
    InstallCrashHandlers(false);
    RemoveConsoleCloseMenuItem();
    LogMessage("KAVCommandHost\n");
    ServeUntilLinkEnds(timing, link);
    KAVClient::SetCommandHostCallback(nullptr);
    ResetCrashHandlers();
    LogMessage("KAVCommandHost shutting down...\n");
    Drain(timing);
    return false;
}

uint64_t KAVCommandHost::Passes() {
    return g_passes.load();
}

void KAVCommandHost::SetTiming(const KAVCommandHostTiming& timing) {
    std::lock_guard<std::mutex> hold(g_timingLock);
    g_timing = timing;
}

void KAVCommandHost::ResetTiming() {
    SetTiming(KAVCommandHostTiming());
}
