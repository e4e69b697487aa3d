// Each section is read in turn; the first problem stops the seeding with its place named
// ("assets/0: ...").
#include "daemon/asset_table_seed.h"

#include <fstream>

namespace fs = std::filesystem;

namespace {

Kiv::PString Name(const char* text) {
    return Kiv::PString(text);
}

std::string Text(const ACSChunkRef& soup, const char* name) {
    return std::string(soup.GetNamedTag(Name(name)).View());
}

bool Fail(std::string& error, const std::string& place, const std::string& what) {
    error = place + ": " + what;
    return false;
}

bool IsPlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("/\\") == std::string::npos;
}

bool WriteFiles(const ACSChunkRef& files, const fs::path& folder, const std::string& place,
                std::string& error) {
    for (int32_t i = 0; i < files.CountTags(); ++i) {
        const ACSChunkRef file = files.GetIndexedSoup(i);
        const std::string name = Text(file, "name");
        if (!IsPlainName(name) || name == "config.txt") {
            return Fail(error, place, "bad file name \"" + name + "\"");
        }
        std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
        out << Text(file, "text");
        if (!out) return Fail(error, place, "cannot write " + name);
    }
    return true;
}

bool SeedAsset(AssetTable& table, const ACSChunkRef& asset, const std::string& place,
               std::string& error) {
    const ACSChunkRef config = asset.GetNamedSoup(Name("config"));
    const KUID kuid = config.GetNamedTagAsKUID(Name("kuid"), KUID::Null());
    if (kuid.IsNull()) return Fail(error, place, "the config has no kuid");
    if (table.Find(kuid)) return true;
    std::string location = Text(asset, "location");
    if (location.empty()) location = "local";
    if (location != "local" && location != "editing") {
        return Fail(error, place, "unknown location \"" + location + "\"");
    }
    std::string folder = Text(asset, "folder");
    if (folder.empty()) {
        folder = "kuid_" + std::to_string(kuid.userId) + "_" + std::to_string(kuid.contentId) +
                 "_" + std::to_string(kuid.version);
    }
    if (!IsPlainName(folder)) return Fail(error, place, "bad folder name \"" + folder + "\"");
    const fs::path path = table.UserData() / location / folder;
    std::error_code failure;
    fs::create_directories(path, failure);
    if (failure || !config.SaveToFile("", (path / "config.txt").string().c_str(), "txt")) {
        return Fail(error, place, "cannot write " + path.string());
    }
    if (!WriteFiles(asset.GetNamedSoup(Name("files")), path, place, error)) return false;
    if (!table.AddFromFolder(path, location == "local" ? location : std::string(), error)) {
        return Fail(error, place, error);
    }
    return true;
}

// The values besides the assets; false with the cause when the table cannot be saved.
bool SeedTables(AssetTable& table, const ACSChunkRef& script, std::string& error) {
    bool saved = true;
    const ACSChunkRef settings = script.GetNamedSoup(Name("settings"));
    for (int32_t i = 0; saved && i < settings.CountTags(); ++i) {
        saved = table.SetSettings(std::string(settings.GetIndexedTagName(i).View()),
                                  settings.GetIndexedSoup(i), &error);
    }
    const ACSChunkRef authors = script.GetNamedSoup(Name("authors"));
    for (int32_t i = 0; saved && i < authors.CountTags(); ++i) {
        const ACSChunkRef author = authors.GetIndexedSoup(i);
        saved = table.SetAuthor(author.GetNamedTagAsInt(Name("id"), 0),
                                {author.GetNamedTagAsInt(Name("account"), -1), Text(author, "name")},
                                &error);
    }
    const ACSChunkRef urls = script.GetNamedSoup(Name("urls"));
    for (int32_t i = 0; saved && i < urls.CountTags(); ++i) {
        const ACSChunkRef url = urls.GetIndexedSoup(i);
        saved = table.SetUrl(Text(url, "url"),
                             {Text(url, "file"), url.GetNamedTagAsInt(Name("status"), 0),
                              Text(url, "text")},
                             &error);
    }
    if (saved && script.HasTag(Name("builds"))) {
        saved = table.SetBuildList(Text(script, "builds"), &error);
    }
    const ACSChunkRef user = script.GetNamedSoup(Name("localuser"));
    if (saved && user.HasTag(Name("user"))) {
        saved = table.SetLocalUser(user.GetNamedTagAsInt(Name("user"), -1),
                                   user.GetNamedTagAsInt(Name("next"), 1), &error);
    }
    if (!saved) error = "cannot save the asset table: " + error;
    return saved;
}

} // namespace

bool SeedAssetTable(AssetTable& table, const ACSChunkRef& script, std::string& error) {
    const ACSChunkRef assets = script.GetNamedSoup(Name("assets"));
    for (int32_t i = 0; i < assets.CountTags(); ++i) {
        const std::string place = "assets/" + std::string(assets.GetIndexedTagName(i).View());
        const ACSChunkRef asset = assets.GetIndexedSoup(i);
        if (asset.IsNull()) return Fail(error, place, "an asset is a container");
        if (!SeedAsset(table, asset, place, error)) return false;
    }
    return SeedTables(table, script, error);
}
