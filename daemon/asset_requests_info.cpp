// Answers to the queries about assets and the small changes of their records (favourite,
// keywords, local data). An unknown asset or a short payload gets the reply a client reads
// as "not known": the record's defaults with the valid byte clear, empty texts, the given
// KUID back, an empty list, no soup. The dependency (42) and obsolete (43) lists of an
// asset open for editing come from its edit copy's config.
#include <algorithm>
#include <filesystem>
#include <string>

#include "daemon/asset_requests_answers.h"
#include "daemon/filter_reader.h"
#include "engine/ascii.h"
#include "foundation/soup/binary_file.h"

namespace fs = std::filesystem;

namespace {

void WriteFlagBits(TStream& out, uint8_t flags, int count) {
    for (int bit = 0; bit < count; ++bit)
        out.WriteBool((flags >> bit & 1) != 0);
}

std::string AuthorName(AssetRequests& assets, int32_t author) {
    const std::optional<AssetAuthor> known = assets.Table().Author(author);
    return known ? known->name : std::string();
}

// The record's fields in the order of the reply of request 21.
void WriteAssetInfo(TStream& out, const AssetRecord& record, const std::string& creator,
                    bool valid) {
    record.kuid.WriteBinary(out);
    out.WriteString(Kiv::String(record.name));
    out.WriteString(Kiv::String(record.region));
    out.WriteString(Kiv::String(record.keywords));
    WriteFlagBits(out, record.flags[0], 8);
    WriteFlagBits(out, record.flags[1], 8);
    WriteFlagBits(out, record.flags[2], 2);
    out.WriteInt32(record.author);
    out.WritePString(Kiv::PString(creator));
    out.WriteString(Kiv::String(record.era));
    out.WriteInt32(-1);
    out.WritePString(Kiv::PString());
    out.WriteString(Kiv::String(record.category));
    WriteFlagBits(out, record.flags[3], 3);
    out.WriteInt32(record.rating);
    out.WriteFloat(record.build);
    out.WriteInt64(0);
    out.WriteInt64(0);
    record.parent.WriteBinary(out);
    out.WriteBool(valid);
}

// The KUID a request starts with and its record; none when short or unknown.
std::optional<AssetRecord> AssetOf(AssetRequests& assets, AssetCall& call, KUID& kuid) {
    kuid = KUID::ReadBinary(call.In());
    if (call.Short()) return std::nullopt;
    return assets.Table().Find(kuid);
}

// "editing" for the edit copy, else the record's location.
std::string LocationName(const AssetRecord& record, bool editCopy) {
    const bool inEditing = record.editing && (editCopy || record.location.empty());
    return inEditing ? "editing" : record.location;
}

// The record as the asset's config holds it now: an asset open for editing answers from
// its edit copy, so one installed but not committed yet already lists what it needs.
AssetRecord Current(AssetRequests& assets, AssetRecord record) {
    if (!record.editing) return record;
    const ACSChunkRef config = assets.Table().Config(record.kuid, true);
    if (config.IsNull()) return record;
    const KUID kuid = record.kuid;
    ReadAssetConfig(config, record);
    record.kuid = kuid;
    return record;
}

// The image of the config's first thumbnail of that width, relative to the asset's folder;
// empty when there is none or when its name would lead out of the folder.
fs::path ThumbnailImage(const ACSChunkRef& config, int32_t width) {
    const ACSChunkRef thumbnails = config.GetNamedSoup(Kiv::PString("thumbnails"));
    for (int32_t i = 0; i < thumbnails.CountTags(); ++i) {
        const ACSChunkRef entry = thumbnails.GetNamedSoup(thumbnails.GetIndexedTagName(i));
        if (entry.GetNamedTagAsInt(Kiv::PString("width"), 0) != width) continue;
        std::string name(entry.GetNamedTag(Kiv::PString("image")).View());
        std::replace(name.begin(), name.end(), '\\', '/');
        const fs::path image = fs::path(name).lexically_normal();
        if (image.empty() || image.is_absolute() || *image.begin() == "..") return {};
        return image;
    }
    return {};
}

std::string LowerKey(const Kiv::PString& key) {
    std::string text(key.View());
    for (char& c : text)
        c = Kiv::Ascii::ToLower(c);
    return text;
}

} // namespace

void WriteAssetLocation(AssetRequests& assets, TStream& out, const AssetRecord& record,
                        bool editCopy) {
    out.WritePString(Kiv::PString(LocationName(record, editCopy)));
    out.WriteString(Kiv::String(assets.Table().FolderOf(record, editCopy).string()));
}

void WriteKUIDList(TStream& out, const std::vector<KUID>& kuids) {
    out.WriteUInt32(static_cast<uint32_t>(kuids.size()));
    for (const KUID& kuid : kuids)
        kuid.WriteBinary(out);
}

void AnswerQueryAssets(AssetRequests& assets, AssetCall& call) {
    FilterNode filter;
    std::string error;
    const std::string client = std::to_string(call.Request().client);
    if (!ReadFilter(call.Request().payload, filter, error)) {
        assets.Record().Line("filter " + client + " refused reason=" + error);
        WriteKUIDList(call.Out(), {});
        return;
    }
    std::vector<KUID> found;
    std::vector<std::string> unevaluated;
    for (const AssetRecord& record : assets.Table().All()) {
        if (FilterMatches(filter, record, unevaluated)) found.push_back(record.kuid);
    }
    for (const std::string& node : unevaluated) {
        assets.Record().Line("filter " + client + " unevaluated " + node);
    }
    WriteKUIDList(call.Out(), found);
}

void AnswerAssetConfig(AssetRequests& assets, AssetCall& call) {
    const KUID kuid = KUID::ReadBinary(call.In());
    ACSChunkRef config;
    if (!call.Short()) config = assets.Table().Config(kuid);
    TDBBinaryFile::WriteSoup(call.Out(), config);
}

void AnswerAssetInfo(AssetRequests& assets, AssetCall& call) {
    KUID kuid;
    const std::optional<AssetRecord> record = AssetOf(assets, call, kuid);
    int32_t mask = 0;
    call.In().ReadInt32(mask, 0); // every field is sent whatever the mask asks
    if (!record) {
        WriteAssetInfo(call.Out(), AssetRecord(), std::string(), false);
        return;
    }
    WriteAssetInfo(call.Out(), *record, AuthorName(assets, record->author), true);
}

void AnswerLocateAsset(AssetRequests& assets, AssetCall& call) {
    KUID kuid;
    const std::optional<AssetRecord> record = AssetOf(assets, call, kuid);
    bool editCopy = false;
    call.In().ReadBool(editCopy, false);
    if (!record) {
        call.Out().WritePString(Kiv::PString());
        call.Out().WriteString(Kiv::String());
        return;
    }
    WriteAssetLocation(assets, call.Out(), *record, editCopy);
}

void AnswerResolveKUID(AssetRequests& assets, AssetCall& call) {
    KUID kuid;
    const std::optional<AssetRecord> record = AssetOf(assets, call, kuid);
    (record ? record->kuid : kuid).WriteBinary(call.Out());
}

void AnswerResolveLatest(AssetRequests& assets, AssetCall& call) {
    const KUID kuid = KUID::ReadBinary(call.In());
    (call.Short() ? kuid : assets.Table().Latest(kuid)).WriteBinary(call.Out());
}

void AnswerDescription(AssetRequests& assets, AssetCall& call) {
    KUID kuid;
    const std::optional<AssetRecord> record = AssetOf(assets, call, kuid);
    call.Out().WriteString(Kiv::String(record ? record->description : std::string()));
}

// The value 0 asks for the asset's folder, any other for its thumbnail image of that width
// (the download service's pipeline asks for 240).
void AnswerLocateAssetFile(AssetRequests& assets, AssetCall& call) {
    KUID kuid;
    const std::optional<AssetRecord> record = AssetOf(assets, call, kuid);
    int32_t width = 0;
    call.In().ReadInt32(width, 0);
    fs::path folder;
    if (record) folder = assets.Table().FolderOf(*record, false);
    if (record && width != 0) {
        const fs::path image = ThumbnailImage(assets.Table().Config(kuid), width);
        folder = image.empty() ? fs::path() : folder / image;
    }
    if (folder.empty()) {
        call.Out().WritePString(Kiv::PString());
        call.Out().WriteString(Kiv::String());
        call.Out().WriteUInt32(0);
        return;
    }
    call.Out().WritePString(Kiv::PString(LocationName(*record, false)));
    call.Out().WriteString(Kiv::String(folder.string()));
    call.Out().WriteUInt32(1);
}

void AnswerDependencyList(AssetRequests& assets, AssetCall& call) {
    uint32_t count = 0;
    call.In().ReadUInt32(count, 0);
    std::vector<KUID> found;
    // Each KUID takes eight bytes, so a count beyond the payload is cut to what is there.
    const uint32_t present = static_cast<uint32_t>(call.Request().payload.size() / 8);
    for (uint32_t i = 0; i < count && i < present && !call.Short(); ++i) {
        const KUID kuid = KUID::ReadBinary(call.In());
        if (call.Short()) break;
        if (const std::optional<AssetRecord> record = assets.Table().Find(kuid)) {
            const std::vector<KUID> listed = Current(assets, *record).dependencies;
            found.insert(found.end(), listed.begin(), listed.end());
        }
    }
    WriteKUIDList(call.Out(), found);
}

// The assets this one makes obsolete.
void AnswerDependencies(AssetRequests& assets, AssetCall& call) {
    KUID kuid;
    const std::optional<AssetRecord> record = AssetOf(assets, call, kuid);
    WriteKUIDList(call.Out(), record ? Current(assets, *record).obsoletes : std::vector<KUID>());
}

void AnswerSetFavorite(AssetRequests& assets, AssetCall& call) {
    const KUID kuid = KUID::ReadBinary(call.In());
    bool favourite = false;
    call.In().ReadBool(favourite, false);
    std::string why;
    if (!call.Short() && !assets.Table().SetRating(kuid, favourite ? 5 : 255, &why)) {
        call.Log().Error(kuid, why);
    }
}

void AnswerSetKeywords(AssetRequests& assets, AssetCall& call) {
    const KUID kuid = KUID::ReadBinary(call.In());
    Kiv::String keywords;
    call.In().ReadString(keywords);
    std::string why;
    if (!call.Short() && !assets.Table().SetKeywords(kuid, std::string(keywords.View()), &why)) {
        call.Log().Error(kuid, why);
    }
}

void AnswerGenerateKUID(AssetRequests& assets, AssetCall& call) {
    std::string why;
    const KUID kuid = assets.Table().GenerateKUID(&why);
    if (kuid.IsNull()) call.Log().Error(KUID::Null(), why);
    kuid.WriteBinary(call.Out());
}

void AnswerGetLocalData(AssetRequests& assets, AssetCall& call) {
    const KUID kuid = KUID::ReadBinary(call.In());
    Kiv::PString key;
    call.In().ReadPString(key);
    ACSChunkRef soup;
    if (!call.Short()) soup = assets.Table().LocalData(kuid, LowerKey(key));
    TDBBinaryFile::WriteSoup(call.Out(), soup);
}

void AnswerSetLocalData(AssetRequests& assets, AssetCall& call) {
    const KUID kuid = KUID::ReadBinary(call.In());
    Kiv::PString key;
    call.In().ReadPString(key);
    ACSChunkRef soup;
    if (call.Short() || !TDBBinaryFile::ReadSoup(soup, call.In())) return;
    std::string why;
    if (!assets.Table().SetLocalData(kuid, LowerKey(key), soup, &why)) call.Log().Error(kuid, why);
}
