// The folder work of editing, committing, reverting and deleting. Folder work uses error
// codes, never exceptions: a failed copy or move, or a table that cannot be saved, leaves
// folders and record as they were and answers false with the cause. Edits are never thrown
// away: an edit copy that a deletion or a replacing install would drop goes to the trash.
#include <set>

#include "daemon/asset_table.h"
#include "daemon/asset_table_names.h"

namespace fs = std::filesystem;

namespace {

// Answers false with the cause in why, when the caller asked for it.
bool Refuse(std::string* why, const std::string& cause) {
    if (why) *why = cause;
    return false;
}

void RemoveQuietly(const fs::path& path) {
    std::error_code ignored;
    fs::remove_all(path, ignored);
}

fs::path WithSuffix(fs::path path, const char* suffix) {
    path += suffix;
    return path;
}

} // namespace

bool AssetTable::OpenForEdit(const KUID& kuid, std::string* why) {
    std::lock_guard<std::mutex> hold(lock_);
    AssetRecord* record = FindLocked(kuid);
    if (!record) return Refuse(why, kUnknownAssetText);
    if (record->editing) return true;
    // A folder left in "editing" by an earlier run that no record owns is kept in the trash.
    const fs::path copy = UserData() / kEditing / record->folder;
    std::error_code failure;
    std::string error;
    fs::path kept;
    if (fs::exists(fs::symlink_status(copy, failure)) &&
        !MoveToTrash(copy, UserData() / kTrash, record->folder, kept, error)) {
        return Refuse(why, "Cannot open the asset for editing: " + error + ".");
    }
    if (!CopyFolderDurably(FolderOf(*record, false), copy, error)) {
        return Refuse(why, "Cannot open the asset for editing: " + error + ".");
    }
    const AssetRecord before = *record;
    record->editing = true;
    record->flags[1] |= kFlagOpenForEdit;
    if (SaveRecordLocked(*record, error)) return true;
    *record = before;
    RemoveQuietly(copy);
    return Refuse(why, TableFailure(error));
}

// The installed folder is set aside (".replaced", which start-up recovery knows) until the
// table is saved, so a failed save can put both folders back.
bool AssetTable::Commit(const KUID& kuid, std::string* why) {
    std::lock_guard<std::mutex> hold(lock_);
    AssetRecord* record = FindLocked(kuid);
    if (!record) return Refuse(why, kUnknownAssetText);
    if (!record->editing) return Refuse(why, kNotOpenForEditText);
    const fs::path target = UserData() / kLocal / record->folder;
    const fs::path aside = WithSuffix(target, ".replaced");
    RemoveQuietly(aside);
    FolderUndo undo;
    std::string error;
    std::error_code failure;
    if (fs::exists(fs::symlink_status(target, failure)) && !undo.Move(target, aside, error)) {
        return Refuse(why, "Cannot commit the asset: " + error + ".");
    }
    if (!undo.Move(UserData() / kEditing / record->folder, target, error)) {
        undo.Undo();
        return Refuse(why, "Cannot commit the asset: " + error + ".");
    }
    const AssetRecord before = *record;
    ACSChunkRef config;
    const std::string path = (target / "config.txt").string();
    if (config.LoadFromFile("", path.c_str(), "txt", true) && !config.IsNull()) {
        ReadAssetConfig(config, *record);
        record->kuid = before.kuid;
    }
    record->location = kLocal;
    record->editing = false;
    record->flags[0] |= kFlagInstalled | kFlagLocallyModified;
    record->flags[1] &= static_cast<uint8_t>(~kFlagOpenForEdit);
    if (!SaveRecordLocked(*record, error)) {
        *record = before;
        undo.Undo();
        return Refuse(why, TableFailure(error));
    }
    RemoveQuietly(aside);
    return true;
}

// The edit copy is set aside by a rename, deleted only once the table is saved.
bool AssetTable::Revert(const KUID& kuid, std::string* why) {
    std::lock_guard<std::mutex> hold(lock_);
    AssetRecord* record = FindLocked(kuid);
    if (!record) return Refuse(why, kUnknownAssetText);
    if (!record->editing) return Refuse(why, kNotOpenForEditText);
    const fs::path copy = UserData() / kEditing / record->folder;
    const fs::path aside = WithSuffix(copy, ".reverting");
    RemoveQuietly(aside);
    FolderUndo undo;
    std::string error;
    if (!undo.Move(copy, aside, error)) {
        return Refuse(why, "Cannot discard the edits: " + error + ".");
    }
    bool saved = false;
    if (record->location.empty()) {
        Parked parked;
        ParkLocked(kuid, parked);
        saved = SaveForgottenLocked(kuid, error);
        if (!saved) PutBackLocked(parked);
    } else {
        const AssetRecord before = *record;
        record->editing = false;
        record->flags[1] &= static_cast<uint8_t>(~kFlagOpenForEdit);
        saved = SaveRecordLocked(*record, error);
        if (!saved) *record = before;
    }
    if (!saved) {
        undo.Undo();
        return Refuse(why, TableFailure(error));
    }
    RemoveQuietly(aside);
    return true;
}

bool AssetTable::Delete(const KUID& kuid, std::string* why, fs::path* keptEdits) {
    std::lock_guard<std::mutex> hold(lock_);
    AssetRecord* record = FindLocked(kuid);
    if (!record) return Refuse(why, kUnknownAssetText);
    FolderUndo undo;
    fs::path kept;
    std::string error;
    if (!TrashFoldersLocked(*record, undo, kept, error)) return Refuse(why, error);
    Parked parked;
    ParkLocked(kuid, parked);
    if (!SaveForgottenLocked(kuid, error)) {
        PutBackLocked(parked);
        undo.Undo();
        return Refuse(why, TableFailure(error));
    }
    if (keptEdits) *keptEdits = kept;
    return true;
}

// The asset's own folder goes to the trash: the local one, or the edit copy of an asset
// that only exists in editing. An edit copy beside a local folder follows it there once
// the local folder has moved, so a failed move leaves the asset as it was and no edit is
// ever dropped.
bool AssetTable::TrashFoldersLocked(const AssetRecord& record, FolderUndo& undo,
                                    fs::path& keptEdits, std::string& error) {
    const fs::path trash = UserData() / kTrash;
    const fs::path copy = UserData() / kEditing / record.folder;
    const fs::path own =
        record.location.empty() ? copy : UserData() / record.location / record.folder;
    fs::path kept;
    if (!MoveToTrash(own, trash, record.folder, kept, error)) {
        error = "Cannot move the asset to the trash: " + error + ".";
        return false;
    }
    undo.Done(own, kept);
    if (record.location.empty()) keptEdits = kept;
    if (record.editing && !record.location.empty()) {
        if (MoveToTrash(copy, trash, record.folder + "-edited", kept, error)) {
            undo.Done(copy, kept);
            keptEdits = kept;
        } else {
            // The asset is gone from "local" already; its edits stay where they were.
            keptEdits = copy;
        }
    }
    return true;
}

std::vector<std::string> AssetTable::RecoverLocalFolders() {
    std::lock_guard<std::mutex> hold(lock_);
    std::vector<std::string> moved;
    const fs::path local = UserData() / kLocal;
    std::set<std::string> named;
    std::error_code failure;
    for (const AssetRecord& record : records_) {
        if (record.location != kLocal) continue;
        named.insert(record.folder);
        const fs::path folder = local / record.folder;
        const fs::path aside = WithSuffix(folder, ".replaced");
        std::string error;
        if (!fs::exists(fs::symlink_status(folder, failure)) &&
            fs::is_directory(fs::symlink_status(aside, failure)) &&
            MoveFolder(aside, folder, error)) {
            moved.push_back(aside.string() + " restored as " + folder.string());
        }
    }
    std::vector<fs::path> unnamed;
    for (const fs::directory_entry& entry : fs::directory_iterator(local, failure)) {
        if (!named.count(entry.path().filename().string())) unnamed.push_back(entry.path());
    }
    for (const fs::path& folder : unnamed) {
        fs::path kept;
        std::string error;
        if (MoveToTrash(folder, UserData() / kTrash, folder.filename().string(), kept, error)) {
            moved.push_back(folder.string() + " named by no asset, moved to " + kept.string());
        } else {
            moved.push_back(folder.string() + " named by no asset, left: " + error);
        }
    }
    return moved;
}
