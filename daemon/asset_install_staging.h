// The staging folder of installs, "UserData/installing/<pid>_<n>": every asset is built in
// a fresh folder there and moved into "local" only when it is whole, so a failure leaves
// nothing half-made among the installed assets. The folder goes when its daemon ends;
// leftovers of other daemons (killed ones) are removed by RemoveLeftovers, which the daemon
// calls once it serves the installation alone.
// CopyAssetTree is the one copy of an asset folder given from outside.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "daemon/asset_install_run.h"

class InstallStaging {
  public:
    explicit InstallStaging(const std::filesystem::path& userData);
    ~InstallStaging();
    InstallStaging(const InstallStaging&) = delete;
    InstallStaging& operator=(const InstallStaging&) = delete;

    const std::filesystem::path& Root() const { return root_; }
    // A new empty folder; an empty path when it cannot be made.
    std::filesystem::path NewFolder();
    static void Discard(const std::filesystem::path& folder);
    // Removes the staging folders of other processes: once this daemon owns the
    // installation, no other process installs into it. Answers the folders removed.
    std::vector<std::filesystem::path> RemoveLeftovers();

  private:
    std::filesystem::path root_;
    std::atomic<uint64_t> next_{1};
};

// Folders nested deeper than this below an asset folder are refused.
constexpr int kMaxAssetFolderDepth = 512;

// Copies the asset folder from into the new folder to: folders and regular files only.
// Links and other entries are skipped with a warning, so nothing outside the folder is
// read and a link loop cannot make the copy endless. Top-level entries named in skipped
// are left out. False, with an error entry, when something could not be read or written.
bool CopyAssetTree(const std::filesystem::path& from, const std::filesystem::path& to,
                   const std::vector<std::string>& skipped, const KUID& kuid, InstallRun& run);
