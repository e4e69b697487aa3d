// The delayed-initialisation protocol and the manager's block list of pending clients.
#include "script_natives/delayed_init.h"

#include <algorithm>

DelayedInitClient::~DelayedInitClient() {
    if (queuedIn_) queuedIn_->Remove(this);
}

void DelayedInitClient::RequestDelayedInit(DelayedInitManager& manager) {
    if ((flags_ & kAllStages) == kAllStages || (flags_ & kQueued)) return;
    flags_ |= kQueued;
    queuedIn_ = &manager;
    manager.Append(this);
}

void DelayedInitClient::CancelDelayedInit(DelayedInitManager& manager) {
    if (!(flags_ & kQueued)) return;
    manager.Remove(this);
    flags_ &= static_cast<uint8_t>(~kQueued);
    queuedIn_ = nullptr;
}

void DelayedInitClient::RunDelayedInit(DelayedInitManager& manager) {
    if (!(flags_ & kStage1Done)) InitStage1();
    if (!(flags_ & kStage2Done)) InitStage2();
    if (!(flags_ & kStage3Done)) InitStage3();
    CancelDelayedInit(manager);
}

DelayedInitManager::~DelayedInitManager() {
    for (Block& block : blocks_)
        for (int32_t i = 0; i < block.count; ++i) {
            block.clients[i]->flags_ &= static_cast<uint8_t>(~DelayedInitClient::kQueued);
            block.clients[i]->queuedIn_ = nullptr;
        }
}

void DelayedInitManager::RunPendingInit() {
    while (DelayedInitClient* client = PendingAt(0)) client->RunDelayedInit(*this);
}

int32_t DelayedInitManager::PendingCount() const {
    int32_t count = 0;
    for (const Block& block : blocks_) count += block.count;
    return count;
}

DelayedInitClient* DelayedInitManager::PendingAt(int32_t index) const {
    if (index < 0) return nullptr;
    for (const Block& block : blocks_) {
        if (index < block.count) return block.clients[index];
        index -= block.count;
    }
    return nullptr;
}

void DelayedInitManager::Append(DelayedInitClient* client) {
    if (blocks_.empty() || blocks_.back().count == kBlockSize) blocks_.emplace_back();
    Block& last = blocks_.back();
    last.clients[last.count++] = client;
}

void DelayedInitManager::Remove(DelayedInitClient* client) {
    for (auto block = blocks_.begin(); block != blocks_.end(); ++block) {
        auto* end = block->clients.begin() + block->count;
        auto* found = std::find(block->clients.begin(), end, client);
        if (found == end) continue;
        std::copy(found + 1, end, found);
        if (--block->count == 0) blocks_.erase(block);
        return;
    }
}
