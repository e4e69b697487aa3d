// KAVDiscoveryObjects: the named mutex and the shared block of one database folder, opened
// the way every party (client or daemon) joins them. The block "already exists" when some
// other open holds the block's presence lock: under the mutex, an exclusive presence lock
// means this party is alone, so the block is new, and it is zeroed here. Every party keeps
// a shared presence lock until Close.
#pragma once

#include <memory>
#include <string>

#include "engine/shared_memory.h"
#include "foundation/ipc/ipc_file_lock.h"
#include "foundation/ipc/ipc_names.h"
#include "foundation/ipc/kav_ipc_block.h"

class KAVDiscoveryObjects {
  public:
    enum class Join {
        kFailed,   // nothing open
        kNew,      // a zeroed block; the caller owns the mutex and must initialise, then Unlock
        kExisting, // another party has the block; the mutex is not owned
    };

    KAVDiscoveryObjects() = default;
    ~KAVDiscoveryObjects() { Close(); }
    KAVDiscoveryObjects(const KAVDiscoveryObjects&) = delete;
    KAVDiscoveryObjects& operator=(const KAVDiscoveryObjects&) = delete;

    // Opens the objects of names in the IPC folder (ipc_names.h).
    Join Open(const KAVDiscoveryNames& names);
    // Unmaps the block and drops the presence lock and the mutex (owned or not).
    void Close();
    bool IsOpen() const { return block_ != nullptr; }

    // The named mutex, waiting without end; nothing when not open.
    void Lock();
    void Unlock();

    // Valid while open.
    KAVIpcBlock Block() const { return KAVIpcBlock(block_->GetData()); }

  private:
    Join JoinBlock(const std::string& blockPath);

    IpcFileLock mutex_;
    IpcFileLock presence_;
    std::unique_ptr<Kiv::SharedMemory> block_;
};
