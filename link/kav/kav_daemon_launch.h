// Starting the asset-database daemon and the client's start schedule. KAVClient::StartDaemon
// is KAVDaemonLauncher::Launch, and KAVClient::Start runs KAVStartSchedule with its
// Connect and StartDaemon: attempt 0 at once, the daemon launched once before attempt 1,
// and a wait before each of attempts 1 to 10, ending early after a daemon that does not
// answer its handshake. The wait is read at each use, so tests set it short.
#pragma once

#include <cstdint>
#include <functional>

#include "engine/file_path.h"

class KAVDaemonLauncher {
  public:
    // Starts the program at daemonPath with no parameters in its own folder, in a session
    // of its own, handles on /dev/null, inheriting no descriptors. The new process id, or
    // 0 when it did not start (failures are not reported further).
    static uint32_t Launch(const Kiv::File::Path& daemonPath);
    // The same for the installation's daemon (KAVUserData::GetDaemonPath); 0 without one.
    static uint32_t Launch();
};

class KAVStartSchedule {
  public:
    static constexpr int kAttempts = 11;
    static constexpr int64_t kDefaultWaitMs = 1000;

    using Attempt = std::function<bool()>;
    using LaunchDaemon = std::function<void()>;
    using Sleep = std::function<void(int64_t ms)>;

    // The wait before each attempt after the first.
    static int64_t WaitMs();
    static void SetWaitMs(int64_t ms);
    static void Reset();

    // Whether the attempt that just failed reached a daemon that accepted the link and did
    // not answer its handshake.
    using Unanswered = std::function<bool()>;

    // Runs the attempts until one succeeds; false after the last one failed. The attempts
    // wait for a daemon that is not listening yet; one that accepted and stayed silent is
    // asked once more and no further, since each such attempt waits out the handshake's
    // time-out. sleep is the engine's delay unless given.
    static bool Run(const Attempt& connect, const LaunchDaemon& launch,
                    const Sleep& sleep = Sleep(), const Unanswered& unanswered = Unanswered());
};
