// Attach, Detach, ClaimHolder and IPCIdle follow the daemon's block protocol step by step;
// the mutex guards only initialising, claiming and clearing, as the daemon expects. Ids of
// 0 and below are never taken for live processes (kill would signal a whole group).
#include "link/kav/kav_ipc.h"

#include "engine/file.h"
#include "engine/thread.h"
#include "foundation/ipc/ipc_names.h"
#include "foundation/console/log_message.h"

namespace {

constexpr int32_t kLowestPort = 1;
constexpr int32_t kHighestPort = 65535;

bool IsAlive(int32_t pid) {
    return Kiv::Thread::IsProcessAlive(pid);
}

} // namespace

KAVIpc& KAVIpc::Process() {
    static auto* ipc = new KAVIpc;
    return *ipc;
}

bool KAVIpc::Attach(const Kiv::File::Path& databasePath) {
    if (IsAttached()) return true;
    KAVDiscoveryNames names;
    if (!BuildDiscoveryNames(databasePath.View(), names)) return false;
    if (!Kiv::File::Exists(names.databaseFolder.c_str())) return false;
    ownId_ = Kiv::Thread::GetProcessId();
    const KAVDiscoveryObjects::Join join = objects_.Open(names);
    if (join == KAVDiscoveryObjects::Join::kFailed) return false;
    if (join == KAVDiscoveryObjects::Join::kNew) {
        InitBlock();
        Unlock();
    } else {
        if (Block().Get(KAVIpcBlock::kRefuseFlag) != 0) {
            Detach();
            return false;
        }
        JoinExistingBlock();
    }
    IPCIdle();
    IPCIdle();
    return true;
}

void KAVIpc::JoinExistingBlock() {
    KAVIpcBlock block = Block();
    if (block.Get(KAVIpcBlock::kBlockVersion) == 0 && block.Get(KAVIpcBlock::kHolderId) == 0) {
        InitBlock();
    }
    if (block.Get(KAVIpcBlock::kBlockVersion) >= 1) {
        block.AddToLowByte(KAVIpcBlock::kAttachCount, 1);
    } else {
        block.SetLowByte(KAVIpcBlock::kAttachCount, 0xFF);
    }
}

void KAVIpc::Detach() {
    if (!IsAttached()) return;
    KAVIpcBlock block = Block();
    if (block.Get(KAVIpcBlock::kOwnerId) == ownId_)
        block.Set(KAVIpcBlock::kOwnerId, KAVIpcBlock::kNone);
    if (holder_) {
        Lock();
        block.Set(KAVIpcBlock::kHolderId, KAVIpcBlock::kNone);
        if (block.Get(KAVIpcBlock::kBlockVersion) >= 1) {
            block.AddToLowByte(KAVIpcBlock::kAttachCount, -1);
        }
        Unlock();
    }
    objects_.Close();
    holder_ = false;
}

void KAVIpc::InitBlock() {
    Block().Initialise(ownId_);
    holder_ = true;
}

void KAVIpc::ClaimHolder() {
    if (!IsAttached()) return;
    Lock();
    const int32_t holder = Block().Get(KAVIpcBlock::kHolderId);
    if (holder == KAVIpcBlock::kNone || !IsAlive(holder)) {
        Block().Set(KAVIpcBlock::kHolderId, ownId_);
        holder_ = true;
    }
    Unlock();
}

void KAVIpc::IPCIdle() {
    if (!IsAttached()) return;
    KAVIpcBlock block = Block();
    if (!holder_) {
        const int32_t holder = block.Get(KAVIpcBlock::kHolderId);
        if (holder == KAVIpcBlock::kNone || !IsAlive(holder)) ClaimHolder();
        return;
    }
    const int32_t owner = block.Get(KAVIpcBlock::kOwnerId);
    const int32_t requester = block.Get(KAVIpcBlock::kRequesterId);
    const auto isStranger = [this](int32_t id) { return id != KAVIpcBlock::kNone && id != ownId_; };
    if (isStranger(owner) && !IsAlive(owner) && ClearIdUnderMutex(KAVIpcBlock::kOwnerId, owner)) {
        LogMessage("IPCIdle> clearing dead database owner (owner processID was %d)\n", owner);
    }
    if (isStranger(requester) && !IsAlive(requester) &&
        ClearIdUnderMutex(KAVIpcBlock::kRequesterId, requester)) {
        LogMessage("IPCIdle> clearing dead database requester (requester processID was %d)\n",
                   requester);
    }
    if (owner == ownId_ && requester == ownId_) {
        Lock();
        if (block.Get(KAVIpcBlock::kOwnerId) == ownId_) {
            block.CompareAndSet(KAVIpcBlock::kRequesterId, ownId_, KAVIpcBlock::kNone);
        }
        Unlock();
    }
}

bool KAVIpc::ClearIdUnderMutex(KAVIpcBlock::Field field, int32_t id) {
    Lock();
    const bool cleared = Block().CompareAndSet(field, id, KAVIpcBlock::kNone);
    Unlock();
    return cleared;
}

bool KAVIpc::IsDatabaseOwner() const {
    return IsAttached() && Block().Get(KAVIpcBlock::kOwnerId) == ownId_;
}

void KAVIpc::ClearDatabaseOwner() {
    if (IsDatabaseOwner()) Block().Set(KAVIpcBlock::kOwnerId, KAVIpcBlock::kNone);
}

int32_t KAVIpc::GetDaemonPort() const {
    if (!IsAttached() || IsDatabaseOwner()) return 0;
    const int32_t port = Block().Get(KAVIpcBlock::kDaemonPort);
    return port >= kLowestPort && port <= kHighestPort ? port : 0;
}

int32_t KAVIpc::LookUpDaemonPort(const Kiv::File::Path& databasePath) {
    if (!Attach(databasePath)) return 0;
    const int32_t port = GetDaemonPort();
    Detach();
    return port;
}
