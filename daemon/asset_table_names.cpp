// Folder names and trash moves of the asset table.
#include "daemon/asset_table_names.h"

#include "daemon/folder_move.h"

namespace fs = std::filesystem;

namespace {

// Trash names tried for one folder before a deletion is refused.
constexpr int kMaxTrashNames = 1000;

fs::path FreeTrashFolder(const fs::path& trash, const std::string& name) {
    for (int n = 1; n <= kMaxTrashNames; ++n) {
        const fs::path candidate = n == 1 ? trash / name : trash / (name + "." + std::to_string(n));
        std::error_code error;
        if (!fs::exists(fs::symlink_status(candidate, error))) return candidate;
    }
    return {};
}

} // namespace

std::string AssetFolderName(const KUID& kuid) {
    return "kuid_" + std::to_string(kuid.userId) + "_" + std::to_string(kuid.contentId) + "_" +
           std::to_string(kuid.version);
}

bool MoveToTrash(const fs::path& folder, const fs::path& trash, const std::string& name,
                 fs::path& kept, std::string& error) {
    kept = FreeTrashFolder(trash, name);
    if (kept.empty()) {
        error = "the trash holds too many folders named " + name;
        return false;
    }
    return MoveFolder(folder, kept, error);
}

std::string TableFailure(const std::string& cause) {
    return "Cannot save the asset table: " + cause + ".";
}
