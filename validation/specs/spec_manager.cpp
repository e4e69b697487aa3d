// SpecManager: the registry's lists, table, filing, purging, shut-down and factories.
#include "validation/specs/spec_manager.h"

#include <algorithm>
#include <atomic>

#include "foundation/console/log_message.h"
#include "validation/specs/gizmorix_spec.h"
#include "validation/specs/spec_factory.h"

namespace {

std::atomic<SpecManager*> g_manager{nullptr};

// The reserved KUID that never names a spec.
constexpr KUID kReservedKUID(-1, -2, 127);

template <typename T> bool EraseValue(std::vector<T*>& list, T* value) {
    const auto found = std::find(list.begin(), list.end(), value);
    if (found == list.end()) return false;
    list.erase(found);
    return true;
}

}  // namespace

SpecManager::SpecManager() { g_manager.store(this); }

SpecManager::~SpecManager() { Destroy(); }

void SpecManager::Destroy() {
    if (destroyed_) return;
    destroyed_ = true;
    Shutdown();
    SpecManager* self = this;
    g_manager.compare_exchange_strong(self, nullptr);
}

SpecManager* SpecManager::Instance() { return g_manager.load(); }

bool SpecManager::RegisterSpec(GizmorixSpec* spec) {
    std::lock_guard hold(lock_);
    live_.push_back(spec);
    table_.Insert(spec);
    return true;
}

GizmorixSpec* SpecManager::FindSpecLocked(const KUID& kuid) {
    std::lock_guard hold(lock_);
    const KUIDHashTable::Iterator found = table_.Find(kuid);
    return found == table_.End() ? nullptr : *found;
}

GizmorixSpec* SpecManager::FindSpec(const KUID& kuid) {
    if (kuid.IsNull() || kuid == kReservedKUID) return nullptr;
    std::lock_guard hold(lock_);
    GizmorixSpec* spec = FindSpecLocked(kuid);
    if (spec != nullptr) spec->AddUse();
    return spec;
}

void SpecManager::RemoveFromTable(GizmorixSpec* spec) {
    std::lock_guard hold(lock_);
    KUIDHashTable::Iterator at = table_.Find(spec->GetKUID());
    const uint32_t bucket = at.BucketIndex();
    for (; at != table_.End() && at.BucketIndex() == bucket; ++at) {
        if (*at == spec) {
            table_.EraseAt(at);
            return;
        }
    }
}

void SpecManager::UnregisterSpec(GizmorixSpec* spec) {
    std::lock_guard hold(lock_);
    EraseValue(invalid_, spec);
    EraseValue(live_, spec);
    RemoveFromTable(spec);
}

void SpecManager::UpdateSpecState(GizmorixSpec* spec) {
    std::lock_guard hold(lock_);
    spec->SetValidFlag(!spec->IsNullKUID() && spec->IsValid());
    if (spec->IsValidFlagSet()) {
        spec->OnValid();
        return;
    }
    RemoveFromTable(spec);
    EraseValue(live_, spec);
    if (std::find(invalid_.begin(), invalid_.end(), spec) == invalid_.end())
        invalid_.push_back(spec);
}

bool SpecManager::PurgeUnused() {
    std::lock_guard hold(lock_);
    bool purged = false;
    size_t index = 0;
    while (index < live_.size()) {
        GizmorixSpec* spec = live_[index];
        if (spec->GetUseCount() == 0) spec->DetachAll();
        if (spec->GetUseCount() != 0) {
            ++index;
            continue;
        }
        live_.erase(live_.begin() + static_cast<std::ptrdiff_t>(index));
        delete spec;
        purged = true;
    }
    return purged;
}

void SpecManager::Shutdown() {
    std::lock_guard hold(lock_);
    while (!invalid_.empty()) delete invalid_.front();
    while (PurgeUnused()) {
    }
    LogLeakedSpecs();
    while (!factories_.empty()) delete factories_.front();
    std::lock_guard holdMemo(memoLock_);
    memo_.clear();
}

void SpecManager::LogLeakedSpecs() {
    if (live_.empty()) return;
    LogMessage("Leaked specs:");
    for (GizmorixSpec* spec : live_)
        LogMessage("  (%4d) - %s", spec->GetUseCount(), spec->GetDisplayName().c_str());
}

void SpecManager::RegisterFactory(GZSpecFactory* factory) {
    std::lock_guard hold(lock_);
    factories_.push_back(factory);
}

void SpecManager::UnregisterFactory(GZSpecFactory* factory) {
    std::lock_guard hold(lock_);
    EraseValue(factories_, factory);
    if (defaultFactory_ == factory) defaultFactory_ = nullptr;
}

void SpecManager::SetDefaultFactory(GZSpecFactory* factory) {
    std::lock_guard hold(lock_);
    defaultFactory_ = factory;
}

GZSpecFactory* SpecManager::GetDefaultFactory() {
    std::lock_guard hold(lock_);
    return defaultFactory_;
}

size_t SpecManager::LiveCount() {
    std::lock_guard hold(lock_);
    return live_.size();
}

size_t SpecManager::InvalidCount() {
    std::lock_guard hold(lock_);
    return invalid_.size();
}

size_t SpecManager::TableCount() {
    std::lock_guard hold(lock_);
    return table_.Count();
}
