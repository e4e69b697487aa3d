// The name rules follow the engine's path edits (AddPath, ReplaceBackSlashes), as the
// daemon must build the same names with the same operations. The file name "assets.tdx" is
// found ignoring case; the folder keeps its case, so two installations whose folders differ
// only in case (two folders on this file system) never share a daemon.
#include "foundation/ipc/ipc_names.h"

#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/ascii.h"
#include "engine/file_path.h"

namespace {

constexpr uint64_t kFnvOffsetBasis = 0xcbf29ce484222325ull;
constexpr uint64_t kFnvPrime = 0x100000001b3ull;

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

std::string Lowered(std::string_view text) {
    std::string lowered(text);
    for (char& c : lowered)
        c = Kiv::Ascii::ToLower(c);
    return lowered;
}

const char* Variable(const char* name) {
    const char* value = std::getenv(name);
    return value && *value ? value : nullptr;
}

std::string ChooseIpcFolder() {
    if (const char* folder = Variable("KODRIN_IPC_DIR")) return folder;
    if (const char* runtime = Variable("XDG_RUNTIME_DIR")) return std::string(runtime) + "/kodrin";
    return "/tmp/kodrin-" + std::to_string(getuid());
}

} // namespace

bool BuildDiscoveryNames(std::string_view databasePath, KAVDiscoveryNames& out) {
    const std::string lowered = Lowered(databasePath);
    const std::string_view fileName = kDatabaseFileName;
    const size_t nameLength = fileName.size();
    if (lowered.size() <= nameLength || lowered.find(fileName) != lowered.size() - nameLength) {
        return false;
    }
    if (!IsSeparator(lowered[lowered.size() - nameLength - 1])) return false;

    out.databaseFolder = std::string(databasePath.substr(0, databasePath.size() - nameLength - 1));
    Kiv::File::Path mutexName(kDiscoveryMutexIdentifier);
    mutexName.AddPath(out.databaseFolder.c_str()).ReplaceBackSlashes();
    out.mutexName = std::string(mutexName.View());
    out.blockName = std::string(mutexName.AddPath(kDiscoveryBlockSuffix).View());
    return true;
}

uint64_t HashDiscoveryName(std::string_view name) {
    uint64_t hash = kFnvOffsetBasis;
    for (char c : name) {
        hash ^= static_cast<unsigned char>(c);
        hash *= kFnvPrime;
    }
    return hash;
}

std::string DiscoveryFileStem(std::string_view name) {
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx",
                  static_cast<unsigned long long>(HashDiscoveryName(name)));
    return std::string("kav-") + hex;
}

std::string DiscoveryFilePath(const std::string& folder, std::string_view name,
                              const char* ending) {
    return folder + "/" + DiscoveryFileStem(name) + ending;
}

bool GetIpcFolder(std::string& out) {
    const std::string folder = ChooseIpcFolder();
    mkdir(folder.c_str(), 0700);
    struct stat status;
    if (lstat(folder.c_str(), &status) != 0) return false;
    if (!S_ISDIR(status.st_mode) || status.st_uid != geteuid()) return false;
    if ((status.st_mode & 0077) != 0 && chmod(folder.c_str(), 0700) != 0) return false;
    out = folder;
    return true;
}
