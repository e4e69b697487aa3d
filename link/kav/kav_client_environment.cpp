// The process's environment of the daemon link: discovery, launch and the engine clock.
#include "link/kav/kav_client_environment.h"

#include "link/kav/kav_daemon_launch.h"
#include "link/kav/kav_ipc.h"
#include "link/kav/kav_user_data.h"
#include "engine/timing.h"

KAVClientEnvironment KAVClientEnvironment::Defaults() {
    KAVClientEnvironment environment;
    environment.databasePath = [] { return KAVUserData::GetDatabasePath(); };
    environment.lookUpPort = [](const Kiv::File::Path& path) {
        return KAVIpc::Process().LookUpDaemonPort(path);
    };
    environment.launchDaemon = [] { KAVDaemonLauncher::Launch(); };
    environment.sleep = [](int64_t ms) { Kiv::Time::Delay(ms); };
    return environment;
}
