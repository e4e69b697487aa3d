// DaemonDiscovery: the daemon's part in the shared discovery block of its database. It
// joins the block as every party does (initialising a new one and taking the holder role
// when free), then writes its process id as the database owner and its port, and on the
// way out clears both (when they are still its own) and gives up the holder role. Only one
// daemon serves a database: each holds an exclusive lock on "<block file stem>.own" for
// its life, so a second one started for the same database stands down, and a crashed
// daemon's stale owner id (its lock gone with it) never keeps a new one out.
#pragma once

#include <cstdint>
#include <string_view>

#include "foundation/ipc/discovery_objects.h"
#include "foundation/ipc/ipc_file_lock.h"

class DaemonDiscovery {
public:
    enum class Result { kPublished, kOtherDaemon, kFailed };

    DaemonDiscovery() = default;
    ~DaemonDiscovery() { Clear(); }
    DaemonDiscovery(const DaemonDiscovery&) = delete;
    DaemonDiscovery& operator=(const DaemonDiscovery&) = delete;

    Result Publish(std::string_view databasePath, int32_t port);
    // Nothing when nothing was published.
    void Clear();

private:
    void TakeHolderRole(KAVIpcBlock block);

    KAVDiscoveryObjects objects_;
    IpcFileLock ownerLock_;
    int32_t processId_ = 0;
    bool holder_ = false;
};
