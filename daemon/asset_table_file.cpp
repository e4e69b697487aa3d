// The asset table file "UserData/kavtable.txt", in config.txt syntax:
//   localuser 12  nextcontent 100  builds "..."
//   assets   { 0 { kuid <kuid:12:1> location "local" folder "..." editing 0 name "..."
//                  category "..." region "..." era "..." keywords "..." description "..."
//                  author 12 build 3.5 flags 9,0,0,0 rating 255 parent <NULL>
//                  dependencies { 0 <kuid:..> } obsoletes { ... } localdata { key { ... } } } }
//   settings { <section> { ... } }   authors { 0 { id 5 account 7 name "..." } }
//   urls     { 0 { url "..." file "..." status 0 text "..." } }
//   generation 7    (journal entries of this generation follow it: table_journal.h)
// A journal entry holds "put { <record> }" (the record's new state) or "forget <kuid>".
// A missing file is an empty table; an unreadable one is an error, so nothing is lost by
// writing over it. Records that would lead outside "UserData" are dropped on reading. The
// file is built child by child and written through WriteFileAtomically, so saving is linear
// in the table and a failed save leaves the old file.
#include <filesystem>
#include <string>

#include "daemon/asset_table.h"
#include "daemon/asset_table_names.h"
#include "foundation/files/atomic_file.h"
#include "foundation/soup/acs_text.h"
#include "foundation/soup/chunk.h"
#include "foundation/streams/buffer_stream.h"

namespace fs = std::filesystem;

namespace {

// The journal may grow to the table file's size (and at least this) before the file is
// written whole again, so the writing of whole files stays in proportion to the changes.
constexpr uint64_t kMinJournalBytes = 256 * 1024;

Kiv::PString Name(const char* text) {
    return Kiv::PString(text);
}

std::string Text(const ACSChunkRef& soup, const char* name) {
    return std::string(soup.GetNamedTag(Name(name)).View());
}

void SetText(ACSChunkRef& soup, const char* name, const std::string& text) {
    soup.SetNamedTagString(Name(name), text.c_str());
}

// Appends child as the index-th: no search among the children before it.
void AddChild(ACSChunkRef& parent, size_t index, ACSChunkRef& child) {
    parent.EnsureContainer();
    child.EnsureContainer();
    parent->AddChild(Kiv::PString(std::to_string(index)), child);
}

// The soup in the text form, as bytes.
std::string TextOf(const ACSChunkRef& soup) {
    BufferStream buffer;
    ACSText::Write(soup, buffer.Stream());
    const Kiv::DynamicBuffer& bytes = buffer.Buffer();
    return std::string(reinterpret_cast<const char*>(bytes.GetData()), bytes.GetDataLength());
}

// The soup of the text; a null handle when it holds nothing.
ACSChunkRef SoupOf(const std::string& text) {
    BufferStream buffer;
    buffer.Stream().WriteBytes(text.data(), text.size());
    buffer.Stream().Rewind();
    ACSChunkRef soup;
    ACSText::Parse(soup, buffer.Stream(), true);
    return soup;
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

bool AssetTable::SaveRecordLocked(const AssetRecord& record, std::string& error) {
    ACSChunkRef change;
    change.EnsureContainer();
    ACSChunkRef soup = RecordSoup(record);
    change.SetNamedSoup(Name("put"), soup);
    if (!journal_.Append(generation_, TextOf(change), error)) return false;
    CompactLocked();
    return true;
}

bool AssetTable::SaveForgottenLocked(const KUID& kuid, std::string& error) {
    ACSChunkRef change;
    change.SetNamedTagKUID(Name("forget"), kuid);
    if (!journal_.Append(generation_, TextOf(change), error)) return false;
    CompactLocked();
    return true;
}

void AssetTable::CompactLocked() {
    if (journal_.Size() < std::max(tableFileBytes_, kMinJournalBytes)) return;
    std::string ignored;
    // A failure leaves the journal, which still holds every change.
    SaveAllLocked(ignored);
}

bool AssetTable::SaveAllLocked(std::string& error) {
    ACSChunkRef table;
    table.EnsureContainer();
    table.SetNamedTagInt(Name("localuser"), localUser_);
    table.SetNamedTagInt(Name("nextcontent"), nextContent_);
    table.SetNamedTagInt(Name("generation"), static_cast<int32_t>(generation_ + 1));
    SetText(table, "builds", buildList_);
    ACSChunkRef assets;
    assets.EnsureContainer();
    size_t index = 0;
    for (const AssetRecord& record : records_) {
        ACSChunkRef soup = RecordSoup(record);
        AddChild(assets, index++, soup);
    }
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
    authors.EnsureContainer();
    index = 0;
    for (const auto& [id, author] : authors_) {
        ACSChunkRef soup;
        soup.SetNamedTagInt(Name("id"), id);
        soup.SetNamedTagInt(Name("account"), author.account);
        SetText(soup, "name", author.name);
        AddChild(authors, index++, soup);
    }
    table.SetNamedSoup(Name("authors"), authors);
    ACSChunkRef urls;
    urls.EnsureContainer();
    index = 0;
    for (const auto& [url, entry] : urls_) {
        ACSChunkRef soup;
        SetText(soup, "url", url);
        SetText(soup, "file", entry.file);
        soup.SetNamedTagInt(Name("status"), entry.status);
        SetText(soup, "text", entry.text);
        AddChild(urls, index++, soup);
    }
    table.SetNamedSoup(Name("urls"), urls);
    const std::string text = TextOf(table);
    if (!WriteFileAtomically(UserData() / kTableFileName, text, error)) return false;
    ++generation_;
    tableFileBytes_ = text.size();
    // The journal's entries are of the older generation now, whatever becomes of the file.
    std::string ignored;
    journal_.Clear(ignored);
    return true;
}

void AssetTable::ApplyChangeLocked(const ACSChunkRef& change) {
    const KUID forgotten = change.GetNamedTagAsKUID(Name("forget"), KUID::Null());
    if (!forgotten.IsNull()) {
        Parked parked;
        ParkLocked(forgotten, parked);
        return;
    }
    AssetRecord record = RecordOf(change.GetNamedSoup(Name("put")));
    if (!IsUsable(record)) return;
    Parked replaced;
    ParkLocked(record.kuid, replaced);
    if (replaced.record.empty()) {
        InsertLocked(std::move(record));
        return;
    }
    replaced.record.front() = std::move(record);
    PutBackLocked(replaced);
}

bool AssetTable::LoadLocked(std::string& error) {
    const fs::path path = UserData() / kTableFileName;
    std::error_code failure;
    if (fs::exists(path, failure)) {
        ACSChunkRef table;
        if (!table.LoadFromFile("", path.string().c_str(), "txt", true)) {
            error = "cannot read the asset table " + path.string();
            return false;
        }
        tableFileBytes_ = fs::file_size(path, failure);
        ReadTableLocked(table);
    }
    TableJournal::Contents changes;
    if (!journal_.Read(generation_, changes, error)) return false;
    for (const std::string& text : changes.entries) ApplyChangeLocked(SoupOf(text));
    // A journal with stale or cut-off entries is folded into a new table file, so later
    // entries never follow a damaged one.
    if (!changes.extra) return true;
    std::string cause;
    if (SaveAllLocked(cause)) return true;
    error = "cannot save the asset table: " + cause;
    return false;
}

void AssetTable::ReadTableLocked(const ACSChunkRef& table) {
    localUser_ = table.GetNamedTagAsInt(Name("localuser"), -1);
    nextContent_ = table.GetNamedTagAsInt(Name("nextcontent"), 1);
    generation_ = static_cast<uint64_t>(std::max(table.GetNamedTagAsInt(Name("generation"), 0), 0));
    buildList_ = Text(table, "builds");
    const ACSChunkRef assets = table.GetNamedSoup(Name("assets"));
    Kiv::PString name;
    ACSChunkRef child;
    for (int32_t i = 0; !assets.IsNull() && assets->GetIndexedChild(i, name, child); ++i) {
        AssetRecord record = RecordOf(child);
        if (IsUsable(record) && !FindLocked(record.kuid)) InsertLocked(std::move(record));
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
}
