// Every change to the block's ids and port is made under the named mutex.
#include "daemon/daemon_discovery.h"

#include <string>

#include "engine/thread.h"
#include "foundation/ipc/ipc_names.h"

namespace {

constexpr const char* kOwnerLockEnding = ".own";

}  // namespace

DaemonDiscovery::Result DaemonDiscovery::Publish(std::string_view databasePath, int32_t port) {
    Clear();
    KAVDiscoveryNames names;
    std::string folder;
    if (!BuildDiscoveryNames(databasePath, names) || !GetIpcFolder(folder)) return Result::kFailed;
    if (!ownerLock_.Open(DiscoveryFilePath(folder, names.blockName, kOwnerLockEnding))) {
        return Result::kFailed;
    }
    if (!ownerLock_.TryLock()) {
        ownerLock_.Close();
        return Result::kOtherDaemon;
    }
    processId_ = Kiv::Thread::GetProcessId();
    const KAVDiscoveryObjects::Join join = objects_.Open(names);
    if (join == KAVDiscoveryObjects::Join::kFailed) {
        ownerLock_.Close();
        return Result::kFailed;
    }
    if (join == KAVDiscoveryObjects::Join::kExisting) objects_.Lock();
    KAVIpcBlock block = objects_.Block();
    if (join == KAVDiscoveryObjects::Join::kNew ||
        (block.Get(KAVIpcBlock::kBlockVersion) == 0 && block.Get(KAVIpcBlock::kHolderId) == 0)) {
        block.Initialise(processId_);
        holder_ = true;
    }
    TakeHolderRole(block);
    block.Set(KAVIpcBlock::kOwnerId, processId_);
    block.Set(KAVIpcBlock::kDaemonPort, port);
    objects_.Unlock();
    return Result::kPublished;
}

void DaemonDiscovery::Clear() {
    if (!objects_.IsOpen()) return;
    objects_.Lock();
    KAVIpcBlock block = objects_.Block();
    if (block.CompareAndSet(KAVIpcBlock::kOwnerId, processId_, KAVIpcBlock::kNone)) {
        block.Set(KAVIpcBlock::kDaemonPort, 0);
    }
    if (holder_) block.CompareAndSet(KAVIpcBlock::kHolderId, processId_, KAVIpcBlock::kNone);
    objects_.Unlock();
    objects_.Close();
    ownerLock_.Close();
    holder_ = false;
}

void DaemonDiscovery::TakeHolderRole(KAVIpcBlock block) {
    if (holder_) return;
    const int32_t holder = block.Get(KAVIpcBlock::kHolderId);
    if (holder != KAVIpcBlock::kNone && Kiv::Thread::IsProcessAlive(holder)) return;
    block.Set(KAVIpcBlock::kHolderId, processId_);
    holder_ = true;
}
