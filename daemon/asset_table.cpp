// The asset table's records and the folder moves of editing, committing, reverting and
// deleting. Folder work uses error codes, never exceptions: a failed copy or move leaves the
// record as it was and answers false with the cause. Edits are never thrown away: an edit
// copy that a deletion or a replacing install would drop goes to the trash as well.
#include "daemon/asset_table.h"

#include <algorithm>
#include <set>

#include "daemon/folder_move.h"
#include "engine/ascii.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kLocal = "local";
constexpr const char* kEditing = "editing";
constexpr const char* kTrash = "trash";
// The settings section of the daemon's own values.
constexpr const char* kDaemonSettings = "kavdaemon";
// The local user of an installation that has no other.
constexpr int32_t kDefaultLocalUser = 500000;

std::string Text(const ACSChunkRef& soup, const char* name) {
    return std::string(soup.GetNamedTag(Kiv::PString(name)).View());
}

std::vector<KUID> KUIDsOf(const ACSChunkRef& table) {
    std::vector<KUID> kuids;
    for (int32_t i = 0; i < table.CountTags(); ++i) {
        const KUID kuid = table.GetNamedTagAsKUID(table.GetIndexedTagName(i), KUID::Null());
        if (!kuid.IsNull()) kuids.push_back(kuid);
    }
    return kuids;
}

// The folder name of a new asset: its KUID's numbers.
std::string FolderName(const KUID& kuid) {
    return "kuid_" + std::to_string(kuid.userId) + "_" + std::to_string(kuid.contentId) + "_" +
           std::to_string(kuid.version);
}

// A folder of the trash that no earlier deletion holds: the folder's own name, else the
// name with ".2", ".3" and so on, so a deletion never replaces what an earlier one kept.
// Empty when every name up to the bound is taken.
fs::path FreeTrashFolder(const fs::path& trash, const std::string& name) {
    constexpr int kMaxTrashNames = 1000;
    for (int n = 1; n <= kMaxTrashNames; ++n) {
        const fs::path candidate = n == 1 ? trash / name : trash / (name + "." + std::to_string(n));
        std::error_code error;
        if (!fs::exists(fs::symlink_status(candidate, error))) return candidate;
    }
    return {};
}

// Answers false with the cause in why, when the caller asked for it.
bool Refuse(std::string* why, const std::string& cause) {
    if (why) *why = cause;
    return false;
}

// Moves folder into a free name of the trash made from name.
bool MoveToTrash(const fs::path& folder, const fs::path& trash, const std::string& name,
                 fs::path& kept, std::string& error) {
    kept = FreeTrashFolder(trash, name);
    if (kept.empty()) {
        error = "the trash holds too many folders named " + name;
        return false;
    }
    return MoveFolder(folder, kept, error);
}

} // namespace

void ReadAssetConfig(const ACSChunkRef& config, AssetRecord& record) {
    record.kuid = config.GetNamedTagAsKUID(Kiv::PString("kuid"), KUID::Null());
    record.name = Text(config, "username");
    if (record.name.empty()) record.name = Text(config, "name");
    if (record.name.empty()) record.name = Text(config, "asset-filename");
    record.category = Text(config, "category-class");
    record.region = Text(config, "category-region");
    record.era = Text(config, "category-era");
    record.keywords = Text(config, "category-keyword");
    record.description = Text(config, "description");
    record.author = config.GetNamedTagAsInt(Kiv::PString("author"), record.kuid.userId);
    record.build = config.GetNamedTagAsFloat(Kiv::PString("kodrin-build"), 0.0f);
    record.dependencies = KUIDsOf(config.GetNamedSoup(Kiv::PString("kuid-table")));
    record.obsoletes = KUIDsOf(config.GetNamedSoup(Kiv::PString("obsolete-table")));
    record.parent = config.GetNamedTagAsKUID(Kiv::PString("parent"), KUID::Null());
}

AssetTable::AssetTable(fs::path installation) : installation_(std::move(installation)) {}

bool AssetTable::Open(std::string& error) {
    std::lock_guard<std::mutex> hold(lock_);
    std::error_code failure;
    for (const char* name : {kLocal, kEditing, kTrash}) {
        fs::create_directories(UserData() / name, failure);
        if (failure) {
            error = "cannot make " + (UserData() / name).string();
            return false;
        }
    }
    return LoadLocked(error);
}

fs::path AssetTable::FolderOf(const AssetRecord& record, bool editCopy) const {
    if (record.editing && (editCopy || record.location.empty())) {
        return UserData() / kEditing / record.folder;
    }
    return UserData() / record.location / record.folder;
}

bool AssetTable::AddFromFolder(const fs::path& folder, const std::string& location,
                               std::string& error) {
    ACSChunkRef config;
    const std::string path = (folder / "config.txt").string();
    if (!config.LoadFromFile("", path.c_str(), "txt", true) || config.IsNull()) {
        error = "cannot read " + path;
        return false;
    }
    AssetRecord record;
    ReadAssetConfig(config, record);
    if (record.kuid.IsNull()) {
        error = path + " has no kuid";
        return false;
    }
    record.location = location;
    record.folder = folder.filename().string();
    if (location == kLocal) record.flags[0] |= kFlagInstalled;
    if (location.empty()) {
        record.editing = true;
        record.flags[1] |= kFlagOpenForEdit;
    }
    std::lock_guard<std::mutex> hold(lock_);
    if (FindLocked(record.kuid)) {
        error = "the asset " + std::string(record.kuid.ToTag().View()) + " is seeded twice";
        return false;
    }
    records_.push_back(std::move(record));
    SaveLocked();
    return true;
}

void AssetTable::SetLocalUser(int32_t userId, int32_t nextContent) {
    std::lock_guard<std::mutex> hold(lock_);
    localUser_ = userId;
    nextContent_ = nextContent;
    SaveLocked();
}

void AssetTable::SetAuthor(int32_t id, AssetAuthor author) {
    std::lock_guard<std::mutex> hold(lock_);
    authors_[id] = std::move(author);
    SaveLocked();
}

void AssetTable::SetUrl(const std::string& url, UrlEntry entry) {
    std::lock_guard<std::mutex> hold(lock_);
    urls_[url] = std::move(entry);
    SaveLocked();
}

void AssetTable::SetBuildList(const std::string& text) {
    std::lock_guard<std::mutex> hold(lock_);
    buildList_ = text;
    SaveLocked();
}

std::optional<AssetRecord> AssetTable::Find(const KUID& kuid) {
    std::lock_guard<std::mutex> hold(lock_);
    const AssetRecord* record = FindLocked(kuid);
    if (!record) return std::nullopt;
    return *record;
}

std::vector<AssetRecord> AssetTable::All() {
    std::lock_guard<std::mutex> hold(lock_);
    return records_;
}

KUID AssetTable::Latest(const KUID& kuid) {
    std::lock_guard<std::mutex> hold(lock_);
    KUID latest = kuid;
    bool found = false;
    for (const AssetRecord& record : records_) {
        if (record.kuid.userId != kuid.userId || record.kuid.contentId != kuid.contentId) continue;
        if (!found || record.kuid.version > latest.version) latest = record.kuid;
        found = true;
    }
    return latest;
}

ACSChunkRef AssetTable::Config(const KUID& kuid) {
    std::lock_guard<std::mutex> hold(lock_);
    const AssetRecord* record = FindLocked(kuid);
    ACSChunkRef config;
    if (!record) return config;
    const std::string path = (FolderOf(*record, false) / "config.txt").string();
    if (!config.LoadFromFile("", path.c_str(), "txt", true)) config.Release();
    return config;
}

std::optional<AssetAuthor> AssetTable::Author(int32_t id) {
    std::lock_guard<std::mutex> hold(lock_);
    auto found = authors_.find(id);
    if (found == authors_.end()) return std::nullopt;
    return found->second;
}

AssetAuthor AssetTable::AuthorOrStandIn(int32_t id) {
    std::lock_guard<std::mutex> hold(lock_);
    auto found = authors_.find(id);
    if (found != authors_.end()) return found->second;
    const std::string account = AccountNameLocked();
    if (id == localUser_ && !account.empty()) return {-1, account};
    return {-1, "author " + std::to_string(id)};
}

std::optional<UrlEntry> AssetTable::Url(const std::string& url) {
    std::lock_guard<std::mutex> hold(lock_);
    auto found = urls_.find(url);
    if (found == urls_.end()) return std::nullopt;
    return found->second;
}

std::string AssetTable::BuildList() {
    std::lock_guard<std::mutex> hold(lock_);
    return buildList_;
}

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
    record->editing = true;
    record->flags[1] |= kFlagOpenForEdit;
    SaveLocked();
    return true;
}

bool AssetTable::Commit(const KUID& kuid, std::string* why) {
    std::lock_guard<std::mutex> hold(lock_);
    AssetRecord* record = FindLocked(kuid);
    if (!record) return Refuse(why, kUnknownAssetText);
    if (!record->editing) return Refuse(why, kNotOpenForEditText);
    const fs::path target = UserData() / kLocal / record->folder;
    std::string error;
    if (!ReplaceFolder(UserData() / kEditing / record->folder, target, error)) {
        return Refuse(why, "Cannot commit the asset: " + error + ".");
    }
    ACSChunkRef config;
    const std::string path = (target / "config.txt").string();
    if (config.LoadFromFile("", path.c_str(), "txt", true) && !config.IsNull()) {
        const KUID kept = record->kuid;
        ReadAssetConfig(config, *record);
        record->kuid = kept;
    }
    record->location = kLocal;
    record->editing = false;
    record->flags[0] |= kFlagInstalled | kFlagLocallyModified;
    record->flags[1] &= static_cast<uint8_t>(~kFlagOpenForEdit);
    SaveLocked();
    return true;
}

bool AssetTable::Revert(const KUID& kuid, std::string* why) {
    std::lock_guard<std::mutex> hold(lock_);
    AssetRecord* record = FindLocked(kuid);
    if (!record) return Refuse(why, kUnknownAssetText);
    if (!record->editing) return Refuse(why, kNotOpenForEditText);
    std::error_code error;
    fs::remove_all(UserData() / kEditing / record->folder, error);
    if (error) return Refuse(why, "Cannot discard the edits: " + error.message() + ".");
    if (record->location.empty()) {
        records_.erase(records_.begin() + (record - records_.data()));
    } else {
        record->editing = false;
        record->flags[1] &= static_cast<uint8_t>(~kFlagOpenForEdit);
    }
    SaveLocked();
    return true;
}

bool AssetTable::Delete(const KUID& kuid, std::string* why, fs::path* keptEdits) {
    std::lock_guard<std::mutex> hold(lock_);
    AssetRecord* record = FindLocked(kuid);
    if (!record) return Refuse(why, kUnknownAssetText);
    // The asset's own folder goes to the trash: the local one, or the edit copy of an asset
    // that only exists in editing. An edit copy beside a local folder follows it there once
    // the local folder has moved, so a failed move leaves the asset as it was and no edit
    // is ever dropped.
    const fs::path trash = UserData() / kTrash;
    const fs::path copy = UserData() / kEditing / record->folder;
    const fs::path own =
        record->location.empty() ? copy : UserData() / record->location / record->folder;
    std::string error;
    fs::path kept;
    if (!MoveToTrash(own, trash, record->folder, kept, error)) {
        return Refuse(why, "Cannot move the asset to the trash: " + error + ".");
    }
    if (record->location.empty() && keptEdits) *keptEdits = kept;
    if (record->editing && !record->location.empty()) {
        if (!MoveToTrash(copy, trash, record->folder + "-edited", kept, error)) {
            // The asset is gone from "local" already; its edits stay where they were.
            kept = copy;
        }
        if (keptEdits) *keptEdits = kept;
    }
    records_.erase(records_.begin() + (record - records_.data()));
    SaveLocked();
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
        fs::path aside = folder;
        aside += ".replaced";
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

KUID AssetTable::Create(const KUID& kuid, const std::string& name, std::string* why) {
    std::lock_guard<std::mutex> hold(lock_);
    const KUID assigned = kuid.IsNull() ? NextKUIDLocked() : kuid;
    if (assigned.IsNull() || FindLocked(assigned)) {
        Refuse(why, "The asset exists already.");
        return KUID::Null();
    }
    AssetRecord record;
    record.kuid = assigned;
    record.folder = FolderName(assigned);
    record.editing = true;
    record.name = name;
    record.author = assigned.userId;
    record.flags[1] |= kFlagOpenForEdit;
    // A folder of that name that no record owns (left by a killed daemon) is kept in the trash.
    const fs::path folder = UserData() / kEditing / record.folder;
    std::error_code error;
    std::string failure;
    fs::path kept;
    if (fs::exists(fs::symlink_status(folder, error)) &&
        !MoveToTrash(folder, UserData() / kTrash, record.folder, kept, failure)) {
        Refuse(why, "Cannot create the asset: " + failure + ".");
        return KUID::Null();
    }
    fs::create_directories(folder, error);
    ACSChunkRef config;
    config.EnsureContainer();
    config.SetNamedTagKUID(Kiv::PString("kuid"), assigned);
    if (!name.empty()) config.SetNamedTagString(Kiv::PString("username"), name.c_str());
    const std::string file = (folder / "config.txt").string();
    if (error || !config.SaveToFile("", file.c_str(), "txt")) {
        fs::remove_all(folder, error);
        Refuse(why, "Cannot create the asset: cannot write " + file + ".");
        return KUID::Null();
    }
    records_.push_back(std::move(record));
    SaveLocked();
    return assigned;
}

KUID AssetTable::GenerateKUID() {
    std::lock_guard<std::mutex> hold(lock_);
    const KUID kuid = NextKUIDLocked();
    SaveLocked();
    return kuid;
}

bool AssetTable::SetKeywords(const KUID& kuid, const std::string& keywords) {
    std::lock_guard<std::mutex> hold(lock_);
    AssetRecord* record = FindLocked(kuid);
    if (!record) return false;
    record->keywords = keywords;
    SaveLocked();
    return true;
}

bool AssetTable::SetRating(const KUID& kuid, int32_t rating) {
    std::lock_guard<std::mutex> hold(lock_);
    AssetRecord* record = FindLocked(kuid);
    if (!record) return false;
    record->rating = rating;
    SaveLocked();
    return true;
}

ACSChunkRef AssetTable::LocalData(const KUID& kuid, const std::string& key) {
    std::lock_guard<std::mutex> hold(lock_);
    AssetRecord* record = FindLocked(kuid);
    if (!record) return {};
    auto found = record->localData.find(key);
    return found == record->localData.end() ? ACSChunkRef() : found->second;
}

bool AssetTable::SetLocalData(const KUID& kuid, const std::string& key, const ACSChunkRef& soup) {
    std::lock_guard<std::mutex> hold(lock_);
    AssetRecord* record = FindLocked(kuid);
    if (!record || key.empty()) return false;
    record->localData[key].CopyFrom(soup);
    SaveLocked();
    return true;
}

ACSChunkRef AssetTable::Settings(const std::string& section) {
    std::lock_guard<std::mutex> hold(lock_);
    auto found = settings_.find(section);
    return found == settings_.end() ? ACSChunkRef() : found->second;
}

void AssetTable::SetSettings(const std::string& section, const ACSChunkRef& soup) {
    std::lock_guard<std::mutex> hold(lock_);
    settings_[section].CopyFrom(soup);
    SaveLocked();
}

AssetRecord* AssetTable::FindLocked(const KUID& kuid) {
    auto found = std::find_if(records_.begin(), records_.end(),
                              [&kuid](const AssetRecord& record) { return record.kuid == kuid; });
    return found == records_.end() ? nullptr : &*found;
}

std::string AssetTable::AccountNameLocked() const {
    auto found = settings_.find("internet");
    return found == settings_.end() ? std::string() : Text(found->second, "username");
}

// Without a seeded local user, new KUIDs take the id of the registered account's author
// ("internet" username matched with the authors, ignoring case), else the "localuser" of
// the settings section "kavdaemon", written with a default at first use so it stays put.
int32_t AssetTable::LocalUserLocked() {
    const std::string account = AccountNameLocked();
    for (const auto& [id, author] : authors_) {
        if (!account.empty() && Kiv::Ascii::EqualsIgnoreCase(author.name, account)) return id;
    }
    ACSChunkRef& own = settings_[kDaemonSettings];
    own.EnsureContainer();
    const Kiv::PString key("localuser");
    if (!own.HasTag(key)) own.SetNamedTagInt(key, kDefaultLocalUser);
    return own.GetNamedTagAsInt(key, kDefaultLocalUser);
}

KUID AssetTable::NextKUIDLocked() {
    if (localUser_ < 0) localUser_ = LocalUserLocked();
    if (localUser_ < 0) return KUID::Null();
    while (FindLocked(KUID(localUser_, nextContent_, 0)))
        ++nextContent_;
    return KUID(localUser_, nextContent_++, 0);
}
