// Resource reference counts, locking and the load sequence.
#include "engine/resource.h"

#include <string>

#include "engine/resource_database.h"

namespace Kiv {

Resource::Resource(const PString& name, ResourceDatabase* database, Form form)
    : name_(name), form_(form), database_(database) {
    if (database_) {
        ownerName_ = database_->GetFolderName();
        database_->Attach(this);
    }
}

Resource::~Resource() {
    if (ResourceDatabase* database = GetDatabase()) database->Detach(this);
}

void Resource::Release() {
    if (references_.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
}

ResourceDatabase* Resource::GetDatabase() const {
    const std::lock_guard<std::recursive_mutex> hold(lock_);
    return database_;
}

void Resource::DetachDatabase() {
    const std::lock_guard<std::recursive_mutex> hold(lock_);
    database_ = nullptr;
}

bool Resource::Lock() {
    const std::lock_guard<std::recursive_mutex> hold(lock_);
    if (state_ == LoadState::kNotLoaded) state_ = LoadSource() ? LoadState::kLoaded : LoadState::kFailed;
    if (state_ != LoadState::kLoaded) return false;
    ++locks_;
    return true;
}

void Resource::Unlock() {
    const std::lock_guard<std::recursive_mutex> hold(lock_);
    if (locks_ > 0) --locks_;
}

int32_t Resource::GetLockCount() const {
    const std::lock_guard<std::recursive_mutex> hold(lock_);
    return locks_;
}

Resource::LoadState Resource::GetLoadState() const {
    const std::lock_guard<std::recursive_mutex> hold(lock_);
    return state_;
}

bool Resource::LoadAll() {
    const std::lock_guard<std::recursive_mutex> hold(lock_);
    if (state_ == LoadState::kNotLoaded) state_ = LoadSource() ? LoadState::kLoaded : LoadState::kFailed;
    return state_ == LoadState::kLoaded;
}

int Resource::IsAllLoaded() const {
    switch (GetLoadState()) {
    case LoadState::kLoaded: return kAllLoaded;
    case LoadState::kFailed: return kAllFailed;
    default: return kAllPending;
    }
}

bool Resource::LoadSource() {
    if (!database_ || name_.IsEmpty()) return false;
    if (form_ == Form::kBinary) {
        if (!Load(name_.c_str())) return false;
    } else {
        std::vector<uint8_t> bytes;
        const std::string textName = std::string(name_.View()) + ".txt";
        if (!database_->ReadFile(textName.c_str(), bytes)) return false;
        if (!LoadTxt(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())))
            return false;
    }
    return LoadComplete();
}

bool Resource::Load(const char*) { return false; }

bool Resource::LoadTxt(std::string_view) { return false; }

bool Resource::LoadComplete() { return true; }

bool Resource::ReadSource(const char* fileName, std::vector<uint8_t>& bytes) const {
    const std::lock_guard<std::recursive_mutex> hold(lock_);
    return database_ && database_->ReadFile(fileName, bytes);
}

PString Resource::ConvertResourceName(std::string_view name) const {
    const std::string_view own = name_.View();
    const size_t slash = own.find_last_of("/\\");
    if (slash == std::string_view::npos) return PString(name);
    std::string converted(own.substr(0, slash));
    converted += '/';
    converted += name;
    return PString(converted);
}

}  // namespace Kiv
