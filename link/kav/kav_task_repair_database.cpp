// The repair's steps: start, the first wait, the poll loop, and the process-wide flag that
// keeps a second repair from starting meanwhile.
#include "link/kav/kav_task_repair_database.h"

#include <atomic>
#include <mutex>
#include <utility>

#include "link/kav/kav_client.h"
#include "engine/timing.h"
#include "foundation/text/interface_text.h"

namespace {

std::atomic<bool> g_repairRunning{false};

std::mutex g_waitLock;
KAVTaskRepairDatabase::WaitFunction g_wait = Kiv::Time::Delay;

void WaitFor(int64_t ms) {
    KAVTaskRepairDatabase::WaitFunction wait;
    {
        std::lock_guard<std::mutex> hold(g_waitLock);
        wait = g_wait;
    }
    wait(ms);
}

}  // namespace

KAVTaskRepairDatabase::~KAVTaskRepairDatabase() { Terminate(); }

bool KAVTaskRepairDatabase::IsRunning() { return g_repairRunning.load(); }

void KAVTaskRepairDatabase::SetWait(WaitFunction wait) {
    std::lock_guard<std::mutex> hold(g_waitLock);
    g_wait = std::move(wait);
}

void KAVTaskRepairDatabase::ResetWait() { SetWait(Kiv::Time::Delay); }

ResultsLog* KAVTaskRepairDatabase::ReportTarget() const {
    return explicitLog_ != nullptr ? explicitLog_ : OwnerTask();
}

int32_t KAVTaskRepairDatabase::Run() {
    KAVTask* owner = OwnerTask();
    if (g_repairRunning.exchange(true)) {
        if (owner != nullptr)
            owner->ReportMessage(GetInterfaceText(Kiv::PString("$kavtask_repair_err_duplicate")));
        return 0;
    }
    KAVClient::StartRepair(mode_, ReportTarget());
    WaitFor(kStartWaitMs);
    float progress = 0.0f;
    Kiv::String text;
    while (KAVClient::PollRepair(progress, text)) {
        if (owner != nullptr) {
            owner->ReportMessage(text);
            owner->ReportProgress(progress);
        }
        WaitFor(kPollWaitMs);
        if (owner != nullptr && owner->CancelRequested()) break;
    }
    g_repairRunning.store(false);
    return 0;
}
