// The repair's steps: start, the first wait, the poll loop, the error of a repair the link
// left undone, and the process-wide flag that keeps a second repair from starting meanwhile.
#include "link/kav/kav_task_repair_database.h"

#include <atomic>
#include <mutex>
#include <utility>

#include "link/kav/kav_client.h"
#include "engine/timing.h"
#include "foundation/results/results_log.h"
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

// Without an answer the daemon may have repaired nothing, or stopped part-way: the repair
// is not reported as done.
void KAVTaskRepairDatabase::ReportLinkLost(bool started) const {
    ResultsLog* log = ReportTarget();
    if (log == nullptr) return;
    const char* text = started ? "The repair of the asset database did not finish: the connection to the asset "
                                 "database was lost while it ran."
                               : "The asset database was not repaired: the connection to the asset database "
                                 "was lost before the repair started.";
    log->AddEntry(ResultsLogKind::Error, nullptr, Kiv::String(text));
}

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
    const bool started = KAVClient::StartRepair(mode_, ReportTarget());
    WaitFor(kStartWaitMs);
    float progress = 0.0f;
    Kiv::String text;
    bool answered = true;
    while (KAVClient::PollRepair(progress, text, &answered)) {
        if (owner != nullptr) {
            owner->ReportMessage(text);
            owner->ReportProgress(progress);
        }
        WaitFor(kPollWaitMs);
        if (owner != nullptr && owner->CancelRequested()) break;
    }
    if (!started || !answered) ReportLinkLost(started);
    g_repairRunning.store(false);
    return 0;
}
