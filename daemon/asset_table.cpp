// The asset table's records, their indexes (by KUID and by folder name, so an install of
// many assets never searches the whole table per asset) and the values besides them. Every
// change saves before it counts: a change that cannot be saved is undone in memory and
// refused with the cause (asset_table_file.cpp holds the saving).
#include "daemon/asset_table.h"

#include "daemon/asset_table_names.h"
#include "engine/ascii.h"

namespace fs = std::filesystem;

namespace {

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

// Sets error when the caller asked for it; answers false.
bool Fail(std::string* error, const std::string& cause) {
    if (error) *error = cause;
    return false;
}

} // namespace

void ReadAssetConfig(const ACSChunkRef& config, AssetRecord& record) {
    record.kuid = config.GetNamedTagAsKUID(Kiv::PString("kuid"), KUID::Null());
    record.name = Text(config, "username");
    if (record.name.empty()) record.name = Text(config, "name");
    if (record.name.empty()) record.name = Text(config, "asset-filename");
    record.category = Text(config, "category-class");
    // Consists carry no category of their own; the daemon files them under "CN".
    if (record.category.empty() && Text(config, "kind") == "consist") record.category = "CN";
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

AssetTable::AssetTable(fs::path installation)
    : installation_(std::move(installation)), journal_(UserData() / kTableJournalName) {}

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

namespace {

// The record of the folder's config; false with the cause.
bool RecordOfFolder(const fs::path& folder, const std::string& location, AssetRecord& record,
                    std::string& error) {
    ACSChunkRef config;
    const std::string path = (folder / "config.txt").string();
    if (!config.LoadFromFile("", path.c_str(), "txt", true) || config.IsNull()) {
        error = "cannot read " + path;
        return false;
    }
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
    return true;
}

} // namespace

bool AssetTable::AddFromFolder(const fs::path& folder, const std::string& location,
                               std::string& error) {
    AssetRecord record;
    if (!RecordOfFolder(folder, location, record, error)) return false;
    std::lock_guard<std::mutex> hold(lock_);
    if (FindLocked(record.kuid)) {
        error = "the asset " + std::string(record.kuid.ToTag().View()) + " is seeded twice";
        return false;
    }
    return AddLocked(std::move(record), nullptr, error);
}

bool AssetTable::Install(const fs::path& folder, fs::path* keptEdits, std::string& error) {
    AssetRecord record;
    if (!RecordOfFolder(folder, kLocal, record, error)) {
        error = "Cannot register the asset: " + error + ".";
        return false;
    }
    std::lock_guard<std::mutex> hold(lock_);
    return AddLocked(std::move(record), keptEdits, error);
}

bool AssetTable::AddLocked(AssetRecord record, fs::path* keptEdits, std::string& error) {
    const KUID kuid = record.kuid;
    FolderUndo undo;
    Parked replaced;
    fs::path kept;
    if (AssetRecord* installed = FindLocked(kuid)) {
        if (!TrashFoldersLocked(*installed, undo, kept, error)) return false;
        ParkLocked(kuid, replaced);
    }
    InsertLocked(std::move(record));
    std::string cause;
    if (SaveRecordLocked(*FindLocked(kuid), cause)) {
        if (keptEdits) *keptEdits = kept;
        return true;
    }
    Parked added;
    ParkLocked(kuid, added);
    if (!replaced.record.empty()) PutBackLocked(replaced);
    undo.Undo();
    error = TableFailure(cause);
    return false;
}

bool AssetTable::HasFolder(const std::string& folder) {
    std::lock_guard<std::mutex> hold(lock_);
    return folders_.count(folder) != 0;
}

bool AssetTable::SetLocalUser(int32_t userId, int32_t nextContent, std::string* error) {
    std::lock_guard<std::mutex> hold(lock_);
    const KUIDState before = KUIDStateLocked();
    localUser_ = userId;
    nextContent_ = nextContent;
    std::string cause;
    if (SaveAllLocked(cause)) return true;
    RestoreLocked(before);
    return Fail(error, cause);
}

bool AssetTable::SetAuthor(int32_t id, AssetAuthor author, std::string* error) {
    std::lock_guard<std::mutex> hold(lock_);
    const std::map<int32_t, AssetAuthor> before = authors_;
    authors_[id] = std::move(author);
    std::string cause;
    if (SaveAllLocked(cause)) return true;
    authors_ = before;
    return Fail(error, cause);
}

bool AssetTable::SetUrl(const std::string& url, UrlEntry entry, std::string* error) {
    std::lock_guard<std::mutex> hold(lock_);
    const std::map<std::string, UrlEntry> before = urls_;
    urls_[url] = std::move(entry);
    std::string cause;
    if (SaveAllLocked(cause)) return true;
    urls_ = before;
    return Fail(error, cause);
}

bool AssetTable::SetBuildList(const std::string& text, std::string* error) {
    std::lock_guard<std::mutex> hold(lock_);
    std::string before = std::move(buildList_);
    buildList_ = text;
    std::string cause;
    if (SaveAllLocked(cause)) return true;
    buildList_ = std::move(before);
    return Fail(error, cause);
}

std::optional<AssetRecord> AssetTable::Find(const KUID& kuid) {
    std::lock_guard<std::mutex> hold(lock_);
    const AssetRecord* record = FindLocked(kuid);
    if (!record) return std::nullopt;
    return *record;
}

std::vector<AssetRecord> AssetTable::All() {
    std::lock_guard<std::mutex> hold(lock_);
    return {records_.begin(), records_.end()};
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

ACSChunkRef AssetTable::Config(const KUID& kuid, bool editCopy) {
    std::lock_guard<std::mutex> hold(lock_);
    const AssetRecord* record = FindLocked(kuid);
    ACSChunkRef config;
    if (!record) return config;
    const std::string path = (FolderOf(*record, editCopy) / "config.txt").string();
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

KUID AssetTable::Create(const KUID& kuid, const std::string& name, std::string* why) {
    std::lock_guard<std::mutex> hold(lock_);
    const KUIDState before = KUIDStateLocked();
    const KUID assigned = kuid.IsNull() ? NextKUIDLocked() : kuid;
    if (assigned.IsNull() || FindLocked(assigned)) {
        RestoreLocked(before);
        Fail(why, "The asset exists already.");
        return KUID::Null();
    }
    AssetRecord record;
    record.kuid = assigned;
    record.folder = AssetFolderName(assigned);
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
        RestoreLocked(before);
        Fail(why, "Cannot create the asset: " + failure + ".");
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
        RestoreLocked(before);
        Fail(why, "Cannot create the asset: cannot write " + file + ".");
        return KUID::Null();
    }
    InsertLocked(std::move(record));
    if (SaveAllLocked(failure)) return assigned;
    Parked created;
    ParkLocked(assigned, created);
    RestoreLocked(before);
    fs::remove_all(folder, error);
    Fail(why, TableFailure(failure));
    return KUID::Null();
}

KUID AssetTable::GenerateKUID(std::string* why) {
    std::lock_guard<std::mutex> hold(lock_);
    const KUIDState before = KUIDStateLocked();
    const KUID kuid = NextKUIDLocked();
    std::string failure;
    if (SaveAllLocked(failure)) return kuid;
    RestoreLocked(before);
    Fail(why, TableFailure(failure));
    return KUID::Null();
}

template <class Change>
bool AssetTable::ChangeRecordLocked(const KUID& kuid, Change change, std::string* why) {
    AssetRecord* record = FindLocked(kuid);
    if (!record) return Fail(why, kUnknownAssetText);
    AssetRecord before = *record;
    change(*record);
    std::string failure;
    if (SaveRecordLocked(*record, failure)) return true;
    *record = std::move(before);
    return Fail(why, TableFailure(failure));
}

bool AssetTable::SetKeywords(const KUID& kuid, const std::string& keywords, std::string* why) {
    std::lock_guard<std::mutex> hold(lock_);
    return ChangeRecordLocked(
        kuid, [&keywords](AssetRecord& record) { record.keywords = keywords; }, why);
}

bool AssetTable::SetRating(const KUID& kuid, int32_t rating, std::string* why) {
    std::lock_guard<std::mutex> hold(lock_);
    return ChangeRecordLocked(
        kuid, [rating](AssetRecord& record) { record.rating = rating; }, why);
}

ACSChunkRef AssetTable::LocalData(const KUID& kuid, const std::string& key) {
    std::lock_guard<std::mutex> hold(lock_);
    AssetRecord* record = FindLocked(kuid);
    if (!record) return {};
    auto found = record->localData.find(key);
    return found == record->localData.end() ? ACSChunkRef() : found->second;
}

bool AssetTable::SetLocalData(const KUID& kuid, const std::string& key, const ACSChunkRef& soup,
                              std::string* why) {
    std::lock_guard<std::mutex> hold(lock_);
    if (key.empty()) return Fail(why, "The key is empty.");
    return ChangeRecordLocked(
        kuid, [&](AssetRecord& record) { record.localData[key].CopyFrom(soup); }, why);
}

ACSChunkRef AssetTable::Settings(const std::string& section) {
    std::lock_guard<std::mutex> hold(lock_);
    auto found = settings_.find(section);
    return found == settings_.end() ? ACSChunkRef() : found->second;
}

bool AssetTable::SetSettings(const std::string& section, const ACSChunkRef& soup,
                             std::string* error) {
    std::lock_guard<std::mutex> hold(lock_);
    auto found = settings_.find(section);
    const std::optional<ACSChunkRef> before =
        found == settings_.end() ? std::nullopt : std::optional(found->second);
    settings_[section].CopyFrom(soup);
    std::string cause;
    if (SaveAllLocked(cause)) return true;
    if (before) {
        settings_[section] = *before;
    } else {
        settings_.erase(section);
    }
    return Fail(error, cause);
}

AssetRecord* AssetTable::FindLocked(const KUID& kuid) {
    auto found = byKuid_.find(kuid);
    return found == byKuid_.end() ? nullptr : &*found->second;
}

void AssetTable::InsertLocked(AssetRecord record) {
    ++folders_[record.folder];
    const KUID kuid = record.kuid;
    records_.push_back(std::move(record));
    byKuid_[kuid] = std::prev(records_.end());
}

void AssetTable::ParkLocked(const KUID& kuid, Parked& parked) {
    auto found = byKuid_.find(kuid);
    if (found == byKuid_.end()) return;
    const Records::iterator at = found->second;
    byKuid_.erase(found);
    auto folder = folders_.find(at->folder);
    if (folder != folders_.end() && --folder->second == 0) folders_.erase(folder);
    parked.next = std::next(at);
    parked.record.splice(parked.record.end(), records_, at);
}

void AssetTable::PutBackLocked(Parked& parked) {
    if (parked.record.empty()) return;
    const Records::iterator at = parked.record.begin();
    records_.splice(parked.next, parked.record, at);
    byKuid_[at->kuid] = at;
    ++folders_[at->folder];
}

AssetTable::KUIDState AssetTable::KUIDStateLocked() const {
    KUIDState state{localUser_, nextContent_, std::nullopt};
    auto own = settings_.find(kDaemonSettings);
    if (own != settings_.end()) {
        state.own.emplace();
        state.own->CopyFrom(own->second);
    }
    return state;
}

void AssetTable::RestoreLocked(const KUIDState& state) {
    localUser_ = state.localUser;
    nextContent_ = state.nextContent;
    if (state.own) {
        settings_[kDaemonSettings] = *state.own;
    } else {
        settings_.erase(kDaemonSettings);
    }
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
