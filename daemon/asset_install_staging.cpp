// The staging folder's life and the guarded copy of an asset folder. Every file-system call
// takes an error code: a failure becomes an entry naming the system's cause, never an
// exception.
#include "daemon/asset_install_staging.h"

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace fs = std::filesystem;

namespace {

constexpr const char* kStagingName = "installing";

std::atomic<uint64_t> gStagingInstances{0};

// The pid a staging folder's name begins with; 0 when there is none.
pid_t OwnerOf(const std::string& name) {
    char* end = nullptr;
    const long pid = std::strtol(name.c_str(), &end, 10);
    if (end == name.c_str() || *end != '_' || pid <= 0 || pid > INT32_MAX) return 0;
    return static_cast<pid_t>(pid);
}

bool CopyEntries(const fs::path& from, const fs::path& to, const std::vector<std::string>& skipped,
                 int depth, const KUID& kuid, InstallRun& run);

// One entry of a folder being copied; false when the copy has failed.
bool CopyEntry(const fs::directory_entry& entry, const fs::path& to, int depth, const KUID& kuid,
               InstallRun& run) {
    std::error_code error;
    const fs::file_status status = entry.symlink_status(error);
    const fs::path target = to / entry.path().filename();
    if (!error && fs::is_directory(status)) {
        if (!fs::create_directory(target, error) && error) {
            run.Error(kuid, "Cannot make the folder " + target.string() + ": " + error.message() + ".");
            return false;
        }
        return CopyEntries(entry.path(), target, {}, depth + 1, kuid, run);
    }
    if (!error && fs::is_regular_file(status)) {
        if (fs::copy_file(entry.path(), target, error)) return true;
        run.Error(kuid, "Cannot copy " + entry.path().string() + ": " + error.message() + ".");
        return false;
    }
    run.Add(ResultsLogKind::Warning, kuid,
            "Skipped " + entry.path().string() + ": only folders and plain files are copied.");
    return true;
}

bool CopyEntries(const fs::path& from, const fs::path& to, const std::vector<std::string>& skipped,
                 int depth, const KUID& kuid, InstallRun& run) {
    if (depth > kMaxAssetFolderDepth) {
        run.Error(kuid, "The folders below " + from.string() + " are nested too deeply.");
        return false;
    }
    std::error_code error;
    fs::directory_iterator entries(from, error);
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
        const std::string name = entries->path().filename().string();
        if (std::find(skipped.begin(), skipped.end(), name) != skipped.end()) continue;
        if (!CopyEntry(*entries, to, depth, kuid, run)) return false;
    }
    if (!error) return true;
    run.Error(kuid, "Cannot read the folder " + from.string() + ": " + error.message() + ".");
    return false;
}

} // namespace

InstallStaging::InstallStaging(const fs::path& userData) {
    const fs::path parent = userData / kStagingName;
    root_ = parent / (std::to_string(getpid()) + "_" + std::to_string(++gStagingInstances));
}

InstallStaging::~InstallStaging() {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

fs::path InstallStaging::NewFolder() {
    const fs::path folder = root_ / std::to_string(next_++);
    std::error_code error;
    fs::remove_all(folder, error);
    fs::create_directories(folder, error);
    return error ? fs::path() : folder;
}

void InstallStaging::Discard(const fs::path& folder) {
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

std::vector<fs::path> InstallStaging::RemoveLeftovers() {
    std::vector<fs::path> removed;
    std::error_code error;
    for (const fs::directory_entry& entry :
         fs::directory_iterator(root_.parent_path(), error)) {
        const pid_t owner = OwnerOf(entry.path().filename().string());
        if (owner == 0 || owner == getpid()) continue;
        std::error_code failure;
        fs::remove_all(entry.path(), failure);
        if (!failure) removed.push_back(entry.path());
    }
    return removed;
}

bool CopyAssetTree(const fs::path& from, const fs::path& to,
                   const std::vector<std::string>& skipped, const KUID& kuid, InstallRun& run) {
    return CopyEntries(from, to, skipped, 0, kuid, run);
}
