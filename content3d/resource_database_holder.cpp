// The holder over the registry, and the installation folder it opens under.
#include "content3d/resource_database_holder.h"

#include <mutex>

#include "content3d/resource_database.h"

namespace {

struct InstallFolder {
    std::mutex lock;
    std::string folder;
};

InstallFolder& Folder() {
    static auto* folder = new InstallFolder;
    return *folder;
}

}  // namespace

void ResourceDatabaseHolder::SetInstallFolder(const char* folder) {
    const std::lock_guard<std::mutex> hold(Folder().lock);
    Folder().folder = folder ? folder : "";
}

std::string ResourceDatabaseHolder::GetInstallFolder() {
    const std::lock_guard<std::mutex> hold(Folder().lock);
    return Folder().folder;
}

bool ResourceDatabaseHolder::Open(const char* folderName) {
    Release();
    if (!folderName || !*folderName) {
        ok_ = true;
        return ok_;
    }
    database_ = KodrinResourceDatabase::Open(Kiv::PString(folderName), GetInstallFolder().c_str());
    ok_ = database_ != nullptr;
    return ok_;
}

void ResourceDatabaseHolder::Release() {
    KodrinResourceDatabase::Release(database_);
    database_ = nullptr;
}

void ResourceDatabaseHolder::Close() {
    ok_ = false;
    Release();
}
