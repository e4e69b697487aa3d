// The asset table file "UserData/kavtable.txt", in config.txt syntax:
//   localuser 12  nextcontent 100  builds "..."
//   assets   { 0 { kuid <kuid:12:1> location "local" folder "..." editing 0 name "..."
//                  category "..." region "..." era "..." keywords "..." description "..."
//                  author 12 build 3.5 flags 9,0,0,0 rating 255 parent <NULL>
//                  dependencies { 0 <kuid:..> } obsoletes { ... } localdata { key { ... } } } }
//   settings { <section> { ... } }   authors { 0 { id 5 account 7 name "..." } }
//   urls     { 0 { url "..." file "..." status 0 text "..." } }
// A missing file is an empty table; an unreadable one is an error, so nothing is lost by
// writing over it. Records that would lead outside "UserData" are dropped on reading.
#include <filesystem>
#include <string>

#include "daemon/asset_table.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kTableName = "kavtable.txt";

Kiv::PString Name(const char* text) {
    return Kiv::PString(text);
}

std::string Text(const ACSChunkRef& soup, const char* name) {
    return std::string(soup.GetNamedTag(Name(name)).View());
}

void SetText(ACSChunkRef& soup, const char* name, const std::string& text) {
    soup.SetNamedTagString(Name(name), text.c_str());
}

void AddChild(ACSChunkRef& parent, ACSChunkRef& child) {
    parent.EnsureContainer();
    child.EnsureContainer();
    parent.SetNamedSoup(parent.GetUniqueTagName(), child);
}

ACSChunkRef KUIDTable(const std::vector<KUID>& kuids) {
    ACSChunkRef table;
    table.EnsureContainer();
    for (size_t i = 0; i < kuids.size(); ++i) {
        table.SetNamedTagKUID(Kiv::PString(std::to_string(i)), kuids[i]);
    }
    return table;
}

std::vector<KUID> KUIDsOf(const ACSChunkRef& table) {
    std::vector<KUID> kuids;
    for (int32_t i = 0; i < table.CountTags(); ++i) {
        kuids.push_back(table.GetNamedTagAsKUID(table.GetIndexedTagName(i), KUID::Null()));
    }
    return kuids;
}

ACSChunkRef RecordSoup(const AssetRecord& record) {
    ACSChunkRef soup;
    soup.EnsureContainer();
    soup.SetNamedTagKUID(Name("kuid"), record.kuid);
    SetText(soup, "location", record.location);
    SetText(soup, "folder", record.folder);
    soup.SetNamedTagInt(Name("editing"), record.editing ? 1 : 0);
    SetText(soup, "name", record.name);
    SetText(soup, "category", record.category);
    SetText(soup, "region", record.region);
    SetText(soup, "era", record.era);
    SetText(soup, "keywords", record.keywords);
    SetText(soup, "description", record.description);
    soup.SetNamedTagInt(Name("author"), record.author);
    soup.SetNamedTagFloat(Name("build"), record.build);
    SetText(soup, "flags",
            std::to_string(record.flags[0]) + "," + std::to_string(record.flags[1]) + "," +
                std::to_string(record.flags[2]) + "," + std::to_string(record.flags[3]));
    soup.SetNamedTagInt(Name("rating"), record.rating);
    soup.SetNamedTagKUID(Name("parent"), record.parent);
    ACSChunkRef dependencies = KUIDTable(record.dependencies);
    soup.SetNamedSoup(Name("dependencies"), dependencies);
    ACSChunkRef obsoletes = KUIDTable(record.obsoletes);
    soup.SetNamedSoup(Name("obsoletes"), obsoletes);
    ACSChunkRef localData;
    localData.EnsureContainer();
    for (const auto& [key, data] : record.localData) {
        ACSChunkRef copy;
        copy.CopyFrom(data);
        localData.SetNamedSoup(Kiv::PString(key), copy);
    }
    soup.SetNamedSoup(Name("localdata"), localData);
    return soup;
}

// "a,b,c,d", each 0..255; anything else leaves the bytes as they are.
void ReadFlags(const std::string& text, uint8_t (&flags)[4]) {
    uint8_t values[4] = {};
    size_t at = 0;
    for (int i = 0; i < 4; ++i) {
        size_t used = 0;
        int value = 0;
        try {
            value = std::stoi(text.substr(at), &used);
        } catch (...) {
            return;
        }
        if (value < 0 || value > 255) return;
        values[i] = static_cast<uint8_t>(value);
        at += used + 1;
    }
    std::copy(std::begin(values), std::end(values), std::begin(flags));
}

AssetRecord RecordOf(const ACSChunkRef& soup) {
    AssetRecord record;
    record.kuid = soup.GetNamedTagAsKUID(Name("kuid"), KUID::Null());
    record.location = Text(soup, "location");
    record.folder = Text(soup, "folder");
    record.editing = soup.GetNamedTagAsInt(Name("editing"), 0) != 0;
    record.name = Text(soup, "name");
    record.category = Text(soup, "category");
    record.region = Text(soup, "region");
    record.era = Text(soup, "era");
    record.keywords = Text(soup, "keywords");
    record.description = Text(soup, "description");
    record.author = soup.GetNamedTagAsInt(Name("author"), 0);
    record.build = soup.GetNamedTagAsFloat(Name("build"), 0.0f);
    ReadFlags(Text(soup, "flags"), record.flags);
    record.rating = soup.GetNamedTagAsInt(Name("rating"), 255);
    record.parent = soup.GetNamedTagAsKUID(Name("parent"), KUID::Null());
    record.dependencies = KUIDsOf(soup.GetNamedSoup(Name("dependencies")));
    record.obsoletes = KUIDsOf(soup.GetNamedSoup(Name("obsoletes")));
    const ACSChunkRef localData = soup.GetNamedSoup(Name("localdata"));
    for (int32_t i = 0; i < localData.CountTags(); ++i) {
        record.localData[std::string(localData.GetIndexedTagName(i).View())].CopyFrom(
            localData.GetIndexedSoup(i));
    }
    return record;
}

// A damaged or edited table file must not point the folder moves outside "UserData": a
// record is kept only with a KUID, a known location and a plain folder name.
bool IsUsable(const AssetRecord& record) {
    const std::string& folder = record.folder;
    const bool plain = !folder.empty() && folder != "." && folder != ".." &&
                       folder.find_first_of("/\\") == std::string::npos;
    const bool located = record.location == "local" || (record.location.empty() && record.editing);
    return !record.kuid.IsNull() && plain && located;
}

} // namespace

void AssetTable::SaveLocked() {
    ACSChunkRef table;
    table.EnsureContainer();
    table.SetNamedTagInt(Name("localuser"), localUser_);
    table.SetNamedTagInt(Name("nextcontent"), nextContent_);
    SetText(table, "builds", buildList_);
    ACSChunkRef assets;
    for (const AssetRecord& record : records_) {
        ACSChunkRef soup = RecordSoup(record);
        AddChild(assets, soup);
    }
    assets.EnsureContainer();
    table.SetNamedSoup(Name("assets"), assets);
    ACSChunkRef settings;
    settings.EnsureContainer();
    for (const auto& [section, soup] : settings_) {
        ACSChunkRef copy;
        copy.CopyFrom(soup);
        settings.SetNamedSoup(Kiv::PString(section), copy);
    }
    table.SetNamedSoup(Name("settings"), settings);
    ACSChunkRef authors;
    for (const auto& [id, author] : authors_) {
        ACSChunkRef soup;
        soup.SetNamedTagInt(Name("id"), id);
        soup.SetNamedTagInt(Name("account"), author.account);
        SetText(soup, "name", author.name);
        AddChild(authors, soup);
    }
    authors.EnsureContainer();
    table.SetNamedSoup(Name("authors"), authors);
    ACSChunkRef urls;
    for (const auto& [url, entry] : urls_) {
        ACSChunkRef soup;
        SetText(soup, "url", url);
        SetText(soup, "file", entry.file);
        soup.SetNamedTagInt(Name("status"), entry.status);
        SetText(soup, "text", entry.text);
        AddChild(urls, soup);
    }
    urls.EnsureContainer();
    table.SetNamedSoup(Name("urls"), urls);
    table.SaveToFile("", (UserData() / kTableName).string().c_str(), "txt");
}

bool AssetTable::LoadLocked(std::string& error) {
    const fs::path path = UserData() / kTableName;
    std::error_code failure;
    if (!fs::exists(path, failure)) return true;
    ACSChunkRef table;
    if (!table.LoadFromFile("", path.string().c_str(), "txt", true)) {
        error = "cannot read the asset table " + path.string();
        return false;
    }
    localUser_ = table.GetNamedTagAsInt(Name("localuser"), -1);
    nextContent_ = table.GetNamedTagAsInt(Name("nextcontent"), 1);
    buildList_ = Text(table, "builds");
    const ACSChunkRef assets = table.GetNamedSoup(Name("assets"));
    for (int32_t i = 0; i < assets.CountTags(); ++i) {
        AssetRecord record = RecordOf(assets.GetIndexedSoup(i));
        if (IsUsable(record)) records_.push_back(std::move(record));
    }
    const ACSChunkRef settings = table.GetNamedSoup(Name("settings"));
    for (int32_t i = 0; i < settings.CountTags(); ++i) {
        settings_[std::string(settings.GetIndexedTagName(i).View())].CopyFrom(
            settings.GetIndexedSoup(i));
    }
    const ACSChunkRef authors = table.GetNamedSoup(Name("authors"));
    for (int32_t i = 0; i < authors.CountTags(); ++i) {
        const ACSChunkRef soup = authors.GetIndexedSoup(i);
        authors_[soup.GetNamedTagAsInt(Name("id"), 0)] = {
            soup.GetNamedTagAsInt(Name("account"), -1), Text(soup, "name")};
    }
    const ACSChunkRef urls = table.GetNamedSoup(Name("urls"));
    for (int32_t i = 0; i < urls.CountTags(); ++i) {
        const ACSChunkRef soup = urls.GetIndexedSoup(i);
        urls_[Text(soup, "url")] = {Text(soup, "file"), soup.GetNamedTagAsInt(Name("status"), 0),
                                    Text(soup, "text")};
    }
    return true;
}
