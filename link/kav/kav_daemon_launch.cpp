// The daemon is started through StartProcess, which never uses a shell and reaps the
// child when it ends; its working folder is the program's own folder, from which the
// daemon derives the installation folder.
#include "link/kav/kav_daemon_launch.h"

#include <atomic>

#include "link/kav/kav_user_data.h"
#include "engine/timing.h"
#include "foundation/files/process.h"

namespace {

std::atomic<int64_t> g_waitMs{KAVStartSchedule::kDefaultWaitMs};

} // namespace

uint32_t KAVDaemonLauncher::Launch(const Kiv::File::Path& daemonPath) {
    if (daemonPath.IsEmpty()) return 0;
    Kiv::File::Path folder = daemonPath;
    folder.DelName(false);
    return StartProcess(daemonPath.View(), "", folder.View(), kStartProcessHidden);
}

uint32_t KAVDaemonLauncher::Launch() {
    return Launch(KAVUserData::GetDaemonPath());
}

int64_t KAVStartSchedule::WaitMs() {
    return g_waitMs.load();
}

void KAVStartSchedule::SetWaitMs(int64_t ms) {
    g_waitMs.store(ms);
}

void KAVStartSchedule::Reset() {
    g_waitMs.store(kDefaultWaitMs);
}

bool KAVStartSchedule::Run(const Attempt& connect, const LaunchDaemon& launch, const Sleep& sleep,
                           const Unanswered& unanswered) {
    bool lastChance = false;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (attempt == 1) launch();
        if (attempt >= 1) {
            if (sleep) {
                sleep(WaitMs());
            } else {
                Kiv::Time::Delay(WaitMs());
            }
        }
        if (connect()) return true;
        if (lastChance) return false;
        lastChance = unanswered && unanswered();
    }
    return false;
}
