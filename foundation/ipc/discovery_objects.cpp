// The presence test runs under the mutex, so no two parties can both find themselves alone
// and no party joins a block that another is still initialising.
#include "foundation/ipc/discovery_objects.h"

KAVDiscoveryObjects::Join KAVDiscoveryObjects::Open(const KAVDiscoveryNames& names) {
    Close();
    std::string folder;
    if (!GetIpcFolder(folder)) return Join::kFailed;
    if (!mutex_.Open(DiscoveryFilePath(folder, names.mutexName, kMutexFileEnding)) ||
        !presence_.Open(DiscoveryFilePath(folder, names.blockName, kPresenceFileEnding)) ||
        !mutex_.Lock()) {
        Close();
        return Join::kFailed;
    }
    const Join join = JoinBlock(DiscoveryFilePath(folder, names.blockName, kBlockFileEnding));
    if (join != Join::kNew) mutex_.Unlock();
    if (join == Join::kFailed) Close();
    return join;
}

KAVDiscoveryObjects::Join KAVDiscoveryObjects::JoinBlock(const std::string& blockPath) {
    const bool alone = presence_.TryLock();
    if (!alone && !presence_.TryLockShared()) return Join::kFailed;
    auto block = std::make_unique<Kiv::SharedMemory>(blockPath.c_str(), KAVIpcBlock::kSize);
    if (!block->ProcessAttach()) return Join::kFailed;
    block_ = std::move(block);
    if (!alone) return Join::kExisting;
    Block().Zero();
    presence_.TryLockShared();
    return Join::kNew;
}

void KAVDiscoveryObjects::Close() {
    block_.reset();
    presence_.Close();
    mutex_.Close();
}

void KAVDiscoveryObjects::Lock() {
    if (IsOpen()) mutex_.Lock();
}

void KAVDiscoveryObjects::Unlock() {
    if (IsOpen()) mutex_.Unlock();
}
