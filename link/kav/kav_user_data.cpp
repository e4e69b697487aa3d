// The folder, database, migration and location lists are tables read by one loop each.
// Paths keep the case they were given in; whether one lies below another is decided
// ignoring ASCII case, as location names are.
// The user-data folder doubles as the folder of temporary names, so the write check
// proves that UserData itself takes new files.
#include "link/kav/kav_user_data.h"

#include <array>
#include <string>

#include "engine/ascii.h"
#include "engine/file.h"
#include "foundation/console/fatal_error.h"
#include "foundation/files/file_paths.h"
#include "foundation/files/temporary_file.h"
#include "link/kav/kav_upward_seams.h"

namespace {

constexpr const char* kUserDataName = "UserData";
constexpr const char* kBuiltinName = "builtin";
constexpr const char* kCacheName = "cache";
constexpr const char* kBinName = "bin";
constexpr const char* kDaemonProgramName = "kavdaemon";
constexpr const char* kDatabaseName = "assets.tdx";

// Location names whose folders are in UserData.
constexpr const char* kUserDataLocations[] = {"local",   "original", "trash",
                                              "editing", "cache",    "settings"};

// The content databases, opened in this order, each at its location's base folder.
constexpr std::array<const char*, 7> kDatabaseLocations = {"data",    "local", "original", "trash",
                                                           "editing", "cache", "settings"};

// Folders made by CreateFolders, in this order, relative to the installation folder.
constexpr const char* kCreatedFolders[] = {"UserData\\cache",
                                           "UserData\\trash",
                                           "UserData\\cache\\bookmarks",
                                           "UserData\\cache\\libraries",
                                           "UserData\\cache\\sessions",
                                           "UserData\\cache\\water",
                                           "UserData\\local",
                                           "UserData\\original",
                                           "UserData\\editing",
                                           "UserData\\settings"};

// Items that older versions kept in the installation folder, moved into UserData in order.
constexpr const char* kMigratedItems[] = {"original", "local",    "editing",     "cache",
                                          "trash",    "settings", "screenshots", "assets.tdx"};

// Engine locations: name and its folder below the installation folder.
struct Substitution {
    const char* name;
    const char* folder;
};
constexpr Substitution kSubstitutions[] = {{"scripts", "scripts/"}, {"libraries", "libraries/"}};

struct UserDataState {
    Kiv::File::Path installFolder;
    Kiv::File::Path userDataFolder;
    std::array<Kiv::ResourceDatabase*, kDatabaseLocations.size()> databases{};
};

UserDataState& State() {
    static auto* state = new UserDataState;
    return *state;
}

Kiv::File::Path Below(const Kiv::File::Path& folder, const char* name) {
    if (folder.IsEmpty()) return {};
    Kiv::File::Path path = folder;
    path.AddPath(name);
    return path;
}

bool IsUserDataLocation(const Kiv::PString& location) {
    for (const char* name : kUserDataLocations) {
        if (location == Kiv::PString(name)) return true;
    }
    return false;
}

Kiv::File::Path BaseFolderOf(const Kiv::PString& location) {
    return IsUserDataLocation(location) ? State().userDataFolder : State().installFolder;
}

// Takes the first component of relative off as a location named prefix + that component.
void SplitAt(Kiv::File::Path relative, const char* prefix, Kiv::PString& location,
             Kiv::File::Path& path) {
    Kiv::String first;
    relative.ExtractFirstPath(first);
    location = Kiv::PString(std::string(prefix) + std::string(first.View())).ToLower();
    path = std::move(relative);
}

// The path relative to folder when it is strictly below it, else empty.
Kiv::File::Path StrictlyBelow(const Kiv::File::Path& folder, const Kiv::File::Path& path) {
    Kiv::File::Path relative;
    KAVUserData::MakeRelativePath(folder, path, relative);
    return relative;
}

} // namespace

bool KAVUserData::SetInstallPath(const Kiv::File::Path& path) {
    if (path.IsEmpty()) FatalError("Unable to determine application installation path.");
    UserDataState& state = State();
    state.installFolder = path;
    CanonicalisePath(state.installFolder);
    state.userDataFolder = Below(state.installFolder, kUserDataName);
    Kiv::File::Md(state.userDataFolder.c_str());
    SetTemporaryFolder(state.userDataFolder);
    if (CanWriteFolder()) {
        MigrateFolders();
        return true;
    }
    Clear();
    FatalError("Unable to acquire write access to UserData folder.");
}

void KAVUserData::CreateFolders() {
    UserDataState& state = State();
    if (state.installFolder.IsEmpty()) return;
    for (const char* folder : kCreatedFolders) {
        Kiv::File::Md(Below(state.installFolder, folder).c_str());
    }
    if (KAVContentDatabaseSeam* opener = KAVUpwardSeams::ContentDatabases()) {
        for (size_t i = 0; i < kDatabaseLocations.size(); ++i) {
            const Kiv::PString location(kDatabaseLocations[i]);
            state.databases[i] = opener->Open(location, BaseFolderOf(location).c_str());
        }
    }
    for (const Substitution& substitution : kSubstitutions) {
        Kiv::File::Subst(substitution.name,
                         Below(state.installFolder, substitution.folder).c_str());
    }
}

void KAVUserData::ReleaseDatabases() {
    KAVContentDatabaseSeam* opener = KAVUpwardSeams::ContentDatabases();
    for (Kiv::ResourceDatabase*& database : State().databases) {
        if (opener != nullptr) opener->Release(database);
        database = nullptr;
    }
    for (const Substitution& substitution : kSubstitutions)
        Kiv::File::Subst(substitution.name);
}

void KAVUserData::Clear() {
    State().installFolder = Kiv::File::Path();
    State().userDataFolder = Kiv::File::Path();
    SetTemporaryFolder(Kiv::File::Path());
}

Kiv::File::Path KAVUserData::GetInstallFolder() {
    return State().installFolder;
}

Kiv::File::Path KAVUserData::GetUserDataFolder() {
    return State().userDataFolder;
}

Kiv::File::Path KAVUserData::GetBuiltinFolder() {
    return Below(State().installFolder, kBuiltinName);
}

Kiv::File::Path KAVUserData::GetCacheFolder() {
    return Below(State().userDataFolder, kCacheName);
}

Kiv::File::Path KAVUserData::GetDatabasePath() {
    return Below(State().userDataFolder, kDatabaseName);
}

Kiv::File::Path KAVUserData::GetDaemonPath() {
    return Below(Below(State().installFolder, kBinName), kDaemonProgramName);
}

Kiv::File::Path KAVUserData::GetLocationFolder(const Kiv::PString& location) {
    if (State().installFolder.IsEmpty()) return {};
    Kiv::File::Path folder = BaseFolderOf(location);
    folder.AddPath(location.c_str());
    return folder;
}

bool KAVUserData::MakeRelativePath(const Kiv::File::Path& base, const Kiv::File::Path& full,
                                   Kiv::File::Path& out) {
    if (base.IsEmpty() || full.IsEmpty()) {
        out = Kiv::File::Path();
        return false;
    }
    Kiv::File::Path folder = base;
    Kiv::File::Path path = full;
    CanonicalisePath(folder);
    CanonicalisePath(path);
    const std::string_view above = folder.View();
    const std::string_view whole = path.View();
    if (!Kiv::Ascii::EqualsIgnoreCase(whole.substr(0, above.size()), above)) return false;
    out = Kiv::File::Path();
    if (whole.size() == above.size()) return true;
    if (whole[above.size()] != '\\') return false;
    if (!folder.MakeRelativeTo(path.c_str())) return false;
    out = std::move(folder);
    return true;
}

bool KAVUserData::MakeUserDataRelative(Kiv::File::Path& path) {
    Kiv::File::Path relative;
    if (!MakeRelativePath(State().userDataFolder, path, relative)) return false;
    path = std::move(relative);
    return true;
}

bool KAVUserData::SplitAssetPath(Kiv::PString& location, Kiv::File::Path& path) {
    const UserDataState& state = State();
    if (state.installFolder.IsEmpty()) {
        location = Kiv::PString();
        path = Kiv::File::Path();
        return false;
    }
    if (!location.IsEmpty()) return true;
    Kiv::File::Path relative = StrictlyBelow(state.userDataFolder, path);
    if (!relative.IsEmpty()) {
        SplitAt(std::move(relative), "", location, path);
        return true;
    }
    relative = StrictlyBelow(GetBuiltinFolder(), path);
    if (!relative.IsEmpty()) {
        SplitAt(std::move(relative), "builtin\\", location, path);
        return true;
    }
    for (const char* name : {"base", "data"}) {
        relative = StrictlyBelow(GetLocationFolder(Kiv::PString(name)), path);
        if (!relative.IsEmpty()) {
            location = Kiv::PString(name);
            path = std::move(relative);
            return true;
        }
    }
    location = Kiv::PString();
    path = Kiv::File::Path();
    return false;
}

bool KAVUserData::CanWriteFolder() {
    Kiv::File::Path name;
    if (!CreateTemporaryFilePath(name, Kiv::PString())) return false;
    Kiv::File file;
    const bool opened =
        file.Open(name.c_str(), Kiv::File::kOpenCreate | Kiv::File::kOpenWrite).IsOk();
    file.Close();
    const bool deleted = Kiv::File::Unlink(name.c_str()).IsOk();
    return opened && deleted;
}

void KAVUserData::MigrateFolders() {
    for (const char* item : kMigratedItems)
        MoveFromInstallFolder(item);
}

bool KAVUserData::MoveFromInstallFolder(const char* name) {
    const UserDataState& state = State();
    if (!name || !*name || state.installFolder.IsEmpty()) return false;
    return Kiv::File::Rename(Below(state.installFolder, name).c_str(),
                             Below(state.userDataFolder, name).c_str())
        .IsOk();
}
