// KAVIpc: the client's side of daemon discovery. Attach joins the named mutex and the
// 36-byte shared block of the database folder (foundation/ipc), where the daemon publishes
// its process id and TCP port; the client stays attached only while it reads the port.
// Every attached client may become the block's holder, which clears the ids of processes
// that died. One object is one party: the client uses Process(); tests make several.
#pragma once

#include <cstdint>

#include "engine/file_path.h"
#include "foundation/ipc/discovery_objects.h"

class KAVIpc {
  public:
    KAVIpc() = default;
    ~KAVIpc() { Detach(); }
    KAVIpc(const KAVIpc&) = delete;
    KAVIpc& operator=(const KAVIpc&) = delete;

    // The process's discovery state, used under the client's connection lock.
    static KAVIpc& Process();

    // Joins (or makes) the block of the database path's folder; true at once when attached.
    // False when the path does not name "assets.tdx" in an existing folder, the objects
    // cannot be opened or the block refuses attaching.
    bool Attach(const Kiv::File::Path& databasePath);
    // Leaves the block; nothing when not attached.
    void Detach();
    bool IsAttached() const { return objects_.IsOpen(); }
    bool IsHolder() const { return holder_; }

    // Writes the initial values of the block with this process as holder.
    void InitBlock();
    // The named mutex, without time-out; nothing when not attached.
    void Lock() { objects_.Lock(); }
    void Unlock() { objects_.Unlock(); }
    // Under the mutex, takes the holder role when the block has no live holder.
    void ClaimHolder();
    // The block's housekeeping: claim the holder role when the holder died; as holder,
    // clear a dead owner or requester.
    void IPCIdle();

    bool IsDatabaseOwner() const;
    void ClearDatabaseOwner();
    // The daemon's port; 0 when not attached, when this process is the owner, or when the
    // block holds no valid TCP port.
    int32_t GetDaemonPort() const;

    // One connection attempt's port lookup: Attach, GetDaemonPort, Detach. 0: no daemon
    // reachable now.
    int32_t LookUpDaemonPort(const Kiv::File::Path& databasePath);

  private:
    KAVIpcBlock Block() const { return objects_.Block(); }
    void JoinExistingBlock();
    // Under the mutex, sets field to -1 when it still holds id; true when it did.
    bool ClearIdUnderMutex(KAVIpcBlock::Field field, int32_t id);

    KAVDiscoveryObjects objects_;
    int32_t ownId_ = 0;
    bool holder_ = false;
};
