// kav_client_probe: a second client process for the daemon-link tests. In the installation
// folder named by its first argument (and the KODRIN_IPC_DIR it inherits) it starts the
// daemon client as the tool's start-up does, sends one keep-alive request, and prints one
// line:
//   launches=<n> pid=<owner id in the block> port=<port in the block> request=<ok|failed>
// where launches counts the daemon launches its start made. The second argument, when
// given, is the wait in ms between connection attempts. Exit status 0 when the start and
// the request succeeded, 1 otherwise.
#include <cstdio>
#include <cstdlib>

#include "link/kav/kav_client.h"
#include "link/kav/kav_daemon_launch.h"
#include "link/kav/kav_user_data.h"
#include "link/net/net_startup.h"
#include "foundation/ipc/discovery_objects.h"
#include "foundation/streams/buffer_stream.h"

namespace {

constexpr int32_t kKeepAlive = 0;

struct BlockView {
    int32_t owner = 0;
    int32_t port = 0;
};

// The owner and port the daemon published, read as one more party of the block.
BlockView ReadBlock() {
    KAVDiscoveryNames names;
    if (!BuildDiscoveryNames(KAVUserData::GetDatabasePath().View(), names)) return {};
    KAVDiscoveryObjects objects;
    if (objects.Open(names) != KAVDiscoveryObjects::Join::kExisting) return {};
    return {objects.Block().Get(KAVIpcBlock::kOwnerId),
            objects.Block().Get(KAVIpcBlock::kDaemonPort)};
}

bool KeepAlive() {
    BufferStream request;
    BufferStream reply;
    return KAVClient::Transact(kKeepAlive, request.Stream(), reply.Stream());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: kav_client_probe <installation folder> [wait ms]\n");
        return 1;
    }
    if (argc == 3) KAVStartSchedule::SetWaitMs(std::strtol(argv[2], nullptr, 10));
    NetStartup();
    if (!KAVUserData::SetInstallPath(Kiv::File::Path(argv[1]))) return 1;

    int launches = 0;
    KAVClientEnvironment environment = KAVClientEnvironment::Defaults();
    environment.launchDaemon = [&launches, launch = environment.launchDaemon] {
        ++launches;
        launch();
    };
    KAVClient::SetEnvironment(environment);
    KAVClientStartOptions options;
    options.relaunch = false;
    const bool ok = KAVClient::Start(options) && KeepAlive();
    const BlockView block = ReadBlock();
    std::printf("launches=%d pid=%d port=%d request=%s\n", launches, block.owner, block.port,
                ok ? "ok" : "failed");
    KAVClient::Shutdown();
    KAVClient::ResetEnvironment();
    NetShutdown();
    return ok ? 0 : 1;
}
