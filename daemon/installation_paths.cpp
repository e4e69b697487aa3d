#include "daemon/installation_paths.h"

#include "foundation/files/file_paths.h"

namespace {

constexpr const char* kUserDataName = "UserData";
constexpr const char* kDatabaseName = "assets.tdx";

}  // namespace

Kiv::File::Path DatabasePathOfWorkingFolder(Kiv::File::Path workingFolder) {
    CanonicalisePath(workingFolder);
    Kiv::File::Path installation = workingFolder;
    installation.DelName(false);
    if (installation.IsEmpty() || installation == workingFolder) return {};
    installation.AddPath(kUserDataName).AddPath(kDatabaseName);
    return installation;
}
