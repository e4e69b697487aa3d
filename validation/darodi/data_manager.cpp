// The data manager's life and the loading of its data files: personal details, value lists
// and new-form template names.
#include "validation/darodi/data_manager.h"

#include <cstring>

#include "content3d/resource_database.h"
#include "engine/file.h"
#include "engine/file_find.h"
#include "foundation/console/fatal_error.h"
#include "foundation/console/log_message.h"
#include "validation/darodi/mesh_object.h"

namespace DAROdi {

namespace {

std::unique_ptr<DataManager>& Singleton() {
    static std::unique_ptr<DataManager> singleton;
    return singleton;
}

// Lines are read as a 256-byte buffer holds them.
constexpr size_t kLineBuffer = 256;

// Trailing CR and LF go; the first character always stays.
std::string_view StripLineEnd(std::string_view text) {
    while (text.size() > 1 && (text.back() == '\r' || text.back() == '\n'))
        text.remove_suffix(1);
    return text;
}

// The key before the first blank among the first n - 1 characters and the value after it;
// without one the whole line is the key.
ValueListRecord SplitValueLine(std::string_view line) {
    const std::string_view searched = line.substr(0, line.empty() ? 0 : line.size() - 1);
    const size_t blank = searched.find(' ');
    if (blank == std::string_view::npos) return {Kiv::PString(StripLineEnd(line)), {}};
    return {Kiv::PString(line.substr(0, blank)), Kiv::PString(StripLineEnd(line.substr(blank + 1)))};
}

// False when the entry is no file that opens.
bool ReadValueList(const std::string& path, ValueList& out) {
    Kiv::File file;
    if (!file.Open(path.c_str(), Kiv::File::kOpenRead)) return false;
    char line[kLineBuffer];
    while (size_t length = file.ReadLine(line, sizeof line))
        out.push_back(SplitValueLine(std::string_view(line, length)));
    return true;
}

}  // namespace

bool DataManager::CreateInstance(const char* templateFolder) {
    if (!Singleton()) Singleton().reset(new DataManager(templateFolder));
    return true;
}

DataManager& DataManager::Instance() {
    if (!Singleton()) FatalError("DataManager::Instance> datamanger not initialised");
    DataManager& manager = *Singleton();
    if (!manager.loaded_) {
        manager.loaded_ = true;
        manager.LoadDataFiles();
    }
    return manager;
}

bool DataManager::HasInstance() {
    return Singleton() != nullptr;
}

DataManager* DataManager::Existing() {
    return Singleton().get();
}

void DataManager::DestroyInstance() {
    if (!Singleton()) return;
    Singleton()->Shutdown();
    Singleton().reset();
}

DataManager::~DataManager() {
    ReleaseResourceDatabase();
}

std::string DataManager::FolderFile(const char* name) const {
    std::string path = templateFolder_;
    if (!path.empty() && path.back() != '/' && path.back() != '\\') path += '/';
    return path + name;
}

bool DataManager::LoadDataFiles() {
    if (templateFolder_.empty() || !Kiv::File::Exists(templateFolder_.c_str())) return false;
    LoadPersonalDetails();
    if (!LoadValueLists()) return false;
    LoadNewFormTemplates();
    return true;
}

bool DataManager::LoadValueLists() {
    Kiv::File::Find find;
    if (!find.Open(FolderFile("*.*").c_str())) return false;
    while (find.Next()) {
        const std::string name = find.GetName();
        ValueList list;
        if (find.IsFolder() || !ReadValueList(FolderFile(name.c_str()), list)) {
            LogMessage("DataManager::LoadValueLists> skipped '%s': not a readable file\n",
                       name.c_str());
            continue;
        }
        valueLists_[Kiv::PString(name.c_str())] = std::move(list);
    }
    return true;
}

void DataManager::LoadNewFormTemplates() {
    newFormTemplates_.clear();
    Kiv::File file;
    if (file.Open(FolderFile("newFormTemplate.txt").c_str(), Kiv::File::kOpenRead)) {
        char line[kLineBuffer];
        while (size_t length = file.ReadLine(line, sizeof line))
            newFormTemplates_.push_back(Kiv::PString(StripLineEnd({line, length})).ToLower());
    }
    newFormTemplates_.push_back(Kiv::PString("bridge"));
}

const ValueList* DataManager::FindValueList(const Kiv::PString& fileName) const {
    auto found = valueLists_.find(fileName);
    return found == valueLists_.end() ? nullptr : &found->second;
}

void DataManager::Shutdown() {
    SavePersonalDetails();
    PurgeLoaded();
    ReleaseResourceDatabase();
    attachmentTags_.clear();
    uniqueAttachmentTags_.clear();
    valueLists_.clear();
}

}  // namespace DAROdi
