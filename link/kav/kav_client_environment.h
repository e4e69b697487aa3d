// KAVClientEnvironment: what the daemon link reaches outside itself: the database path it
// names in the handshake, the port lookup of one connection attempt, the launch of the
// daemon, and the sleeps between connection attempts and between the polls of
// KAVClient::CloseDaemon. The process runs with the defaults; tests put a peer of their own
// and a fast clock behind them. The wait between attempts is KAVStartSchedule::WaitMs.
#pragma once

#include <cstdint>
#include <functional>

#include "engine/file_path.h"

struct KAVClientEnvironment {
    static constexpr int64_t kDefaultClosePollMs = 100;

    // KAVUserData::GetDatabasePath.
    std::function<Kiv::File::Path()> databasePath;
    // The daemon's port for one attempt, 0 when none is reachable: the discovery block's.
    std::function<int32_t(const Kiv::File::Path& databasePath)> lookUpPort;
    // KAVDaemonLauncher::Launch.
    std::function<void()> launchDaemon;
    // Kiv::Time::Delay.
    std::function<void(int64_t ms)> sleep;
    int64_t closePollMs = kDefaultClosePollMs;

    static KAVClientEnvironment Defaults();
};
