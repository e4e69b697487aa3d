// A stand-in for the asset-database daemon that the client's launch tests start as
// <installation>/bin/kavdaemon. Like the daemon it derives the installation folder from
// its working folder, joins the discovery block of UserData\assets.tdx, listens on
// 127.0.0.1 (a port the system picks), and records its process id as owner and its port.
// It waits for SIGTERM or SIGINT, at most 60 s, then clears both and exits.
#include <arpa/inet.h>
#include <csignal>
#include <ctime>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "engine/file.h"
#include "engine/file_path.h"
#include "engine/thread.h"
#include "foundation/files/file_paths.h"
#include "foundation/ipc/discovery_objects.h"

namespace {

constexpr time_t kLifetimeSeconds = 60;

bool DatabasePath(Kiv::File::Path& out) {
    Kiv::File::Path folder(Kiv::File::GetCwd().View());
    if (folder.IsEmpty()) return false;
    CanonicalisePath(folder);
    folder.DelName(false);
    out = folder.AddPath("UserData").AddPath("assets.tdx");
    return true;
}

// A listening socket on 127.0.0.1; its port, or 0.
int32_t Listen(int& handle) {
    handle = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (handle < 0) return 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(handle, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(handle, 4) != 0 ||
        getsockname(handle, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        return 0;
    }
    return ntohs(address.sin_port);
}

void WaitForStop(sigset_t& stopSignals) {
    const timespec limit{kLifetimeSeconds, 0};
    sigtimedwait(&stopSignals, nullptr, &limit);
}

} // namespace

int main() {
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    sigprocmask(SIG_BLOCK, &stopSignals, nullptr);

    Kiv::File::Path databasePath;
    KAVDiscoveryNames names;
    if (!DatabasePath(databasePath) || !BuildDiscoveryNames(databasePath.View(), names)) return 2;
    KAVDiscoveryObjects objects;
    const int32_t pid = Kiv::Thread::GetProcessId();
    const KAVDiscoveryObjects::Join join = objects.Open(names);
    if (join == KAVDiscoveryObjects::Join::kFailed) return 3;
    if (join == KAVDiscoveryObjects::Join::kNew) {
        objects.Block().Initialise(pid);
        objects.Unlock();
    }
    int listener = -1;
    const int32_t port = Listen(listener);
    if (port == 0) return 4;

    objects.Lock();
    objects.Block().Set(KAVIpcBlock::kOwnerId, pid);
    objects.Block().Set(KAVIpcBlock::kDaemonPort, port);
    objects.Unlock();

    WaitForStop(stopSignals);

    objects.Lock();
    if (objects.Block().CompareAndSet(KAVIpcBlock::kOwnerId, pid, KAVIpcBlock::kNone)) {
        objects.Block().Set(KAVIpcBlock::kDaemonPort, 0);
    }
    objects.Unlock();
    close(listener);
    return 0;
}
