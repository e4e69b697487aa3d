// Name resolution, type selection and reading, for folders and mounted archives alike.
#include "engine/resource_database.h"

#include <sys/stat.h>

#include <algorithm>

#include "engine/builtin_plugins.h"
#include "engine/file.h"
#include "engine/file_bytes.h"
#include "engine/file_find.h"
#include "engine/path_policy.h"
#include "engine/resource_archive.h"
#include "engine/resource_system.h"
#include "engine/resource_type.h"

namespace Kiv {

namespace {

// The extension of the last component of name, without its dot; empty when none.
std::string_view ExtensionOf(std::string_view name) {
    const size_t slash = name.find_last_of("/\\");
    const std::string_view last = slash == std::string_view::npos ? name : name.substr(slash + 1);
    const size_t dot = last.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : last.substr(dot + 1);
}

// Splits "a/b/*.im" into the folder "a/b" and the last component "*.im".
std::pair<std::string, std::string> SplitPattern(std::string_view pattern) {
    const size_t slash = pattern.find_last_of("/\\");
    if (slash == std::string_view::npos) return {"", std::string(pattern)};
    return {std::string(pattern.substr(0, slash)), std::string(pattern.substr(slash + 1))};
}

void SearchArchive(const ResourceArchive& archive, std::string_view pattern,
                   std::vector<ResourceSearch::Entry>& entries) {
    auto [folder, last] = SplitPattern(pattern);
    const std::string prefix = folder.empty() ? "" : ResourceArchive::CanonicalName(folder) + "/";
    for (const ResourceArchive::Entry& entry : archive.GetEntries()) {
        const std::string key = ResourceArchive::CanonicalName(entry.name);
        if (key.compare(0, prefix.size(), prefix) != 0) continue;
        std::string_view rest = std::string_view(entry.name).substr(prefix.size());
        const size_t slash = rest.find_first_of("/\\");
        const bool isFolder = slash != std::string_view::npos;
        std::string name(isFolder ? rest.substr(0, slash) : rest);
        if (!File::Find::Matches(last, name)) continue;
        const bool seen = std::any_of(entries.begin(), entries.end(), [&](const auto& e) {
            return e.name == name && e.isFolder == isFolder;
        });
        if (!seen) entries.push_back({std::move(name), isFolder});
    }
}

}  // namespace

ResourceDatabase::ResourceDatabase(const PString& folderName) : folderName_(folderName) {}

ResourceDatabase::~ResourceDatabase() {
    if (ResourceSystem* system = ResourceSystem::Current()) system->ForgetDatabase(this);
    std::set<Resource*> held;
    {
        const std::lock_guard<std::mutex> hold(lock_);
        held.swap(resources_);
    }
    for (Resource* resource : held) resource->DetachDatabase();
}

bool ResourceDatabase::IsArchive() const {
    return ResourceArchive::FindMounted(folderName_.View()) != nullptr;
}

std::string ResourceDatabase::LoosePath(const char* name) const {
    return std::string(folderName_.View()) + "/" + name;
}

Resource* ResourceDatabase::Get(const PString& name, uint32_t flags) {
    if (name.IsEmpty()) return nullptr;
    ResourceSystem* system = ResourceSystem::Current();
    if (system) {
        if (Resource* cached = system->FindCached(this, name.View())) return cached;
    }
    if (!(flags & kGetCreate)) return nullptr;
    Resource* made = Create(name);
    if (!made || !system) return made;
    return system->AddToCache(this, name.View(), made);
}

Resource* ResourceDatabase::Create(const PString& name) {
    const std::string_view extension = ExtensionOf(name.View());
    if (extension.empty()) return nullptr;
    const std::string textName = std::string(name.View()) + ".txt";
    ResourceTypeBase* type = nullptr;
    if (Exists(name.c_str()))
        type = ResourceTypeBase::Find(kResourceFamilyUId, extension, Resource::Form::kBinary);
    if (!type && Exists(textName.c_str()))
        type = ResourceTypeBase::Find(kResourceFamilyUId, extension, Resource::Form::kText);
    if (!type) return nullptr;
    Resource* made = type->Create(name, this);
    type->ReleaseReference();
    return made;
}

bool ResourceDatabase::Exists(const char* name) const {
    if (!name || !*name) return false;
    if (auto archive = ResourceArchive::FindMounted(folderName_.View()))
        return archive->Find(name) != nullptr;
    struct stat status;
    const std::string real = PathPolicy::Resolve(LoosePath(name));
    return stat(real.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

String ResourceDatabase::GetFileName(const char* name) const {
    return String(LoosePath(name ? name : ""));
}

bool ResourceDatabase::GetSearchHandle(const char* pattern, ResourceSearch& search) const {
    search = ResourceSearch();
    if (!pattern) return false;
    if (auto archive = ResourceArchive::FindMounted(folderName_.View())) {
        SearchArchive(*archive, pattern, search.entries_);
    } else {
        File::Find find;
        if (!find.Open(LoosePath(pattern).c_str())) return false;
        while (find.Next()) search.entries_.push_back({find.GetName(), find.IsFolder()});
    }
    std::sort(search.entries_.begin(), search.entries_.end(),
              [](const auto& a, const auto& b) { return a.name < b.name; });
    return true;
}

bool ResourceDatabase::ReadFile(const char* name, std::vector<uint8_t>& bytes) const {
    bytes.clear();
    if (!name || !*name) return false;
    if (auto archive = ResourceArchive::FindMounted(folderName_.View()))
        return archive->Read(name, bytes);
    if (!Exists(name)) return false;
    File file;
    if (!file.Open(LoosePath(name).c_str(), File::kOpenRead)) return false;
    const int64_t size = file.Size();
    if (size < 0 || static_cast<uint64_t>(size) > ResourceArchive::kMaxEntryRead) return false;
    bytes.resize(static_cast<size_t>(size));
    if (file.ReadAt(0, bytes.data(), bytes.size()) == bytes.size()) return true;
    bytes.clear();
    return false;
}

bool ResourceDatabase::ReadFile(const char* name, FileBytes& bytes) const {
    bytes.Clear();
    if (!name || !*name) return false;
    if (!IsArchive() && Exists(name)) {
        File file;
        if (!file.Open(LoosePath(name).c_str(), File::kOpenRead)) return false;
        if (bytes.Map(file, ResourceArchive::kMaxEntryRead)) return true;
    }
    std::vector<uint8_t> read;
    if (!ReadFile(name, read)) return false;
    bytes = FileBytes(std::move(read));
    return true;
}

void ResourceDatabase::Attach(Resource* resource) {
    const std::lock_guard<std::mutex> hold(lock_);
    resources_.insert(resource);
}

void ResourceDatabase::Detach(Resource* resource) {
    const std::lock_guard<std::mutex> hold(lock_);
    resources_.erase(resource);
}

}  // namespace Kiv
