// Answers about settings sections (100 to 103), user names of authors (90: every author has
// one, a stand-in made from the id when none is known), URL fetches from
// the table's URL map (230 to 232), the installed build list (253), and the requests the
// stand-in answers with a fixed reply: repair progress (4: done), CUDA (181: disabled), the
// online profile (240: empty) and the login credential (242: empty; the record masks it).
#include "daemon/asset_requests_answers.h"
#include "daemon/asset_table_names.h"
#include "foundation/soup/binary_file.h"

namespace {

std::string Read(TStream& in) {
    Kiv::PString text;
    in.ReadPString(text);
    return std::string(text.View());
}

} // namespace

void AnswerUserName(AssetRequests& assets, AssetCall& call) {
    int32_t author = 0;
    call.In().ReadInt32(author, 0);
    const std::optional<AssetAuthor> known =
        call.Short() ? std::nullopt : std::optional(assets.Table().AuthorOrStandIn(author));
    call.Out().WriteInt32(known ? known->account : -1);
    call.Out().WritePString(Kiv::PString(known ? known->name : std::string()));
}

// Stores the section; a table that cannot be saved is reported, the section as it was.
void SaveSettings(AssetRequests& assets, AssetCall& call, const std::string& section,
                  const ACSChunkRef& soup) {
    std::string error;
    if (!assets.Table().SetSettings(section, soup, &error)) {
        call.Log().Error(KUID::Null(), TableFailure(error));
    }
}

void AnswerReadSettings(AssetRequests& assets, AssetCall& call) {
    const std::string section = Read(call.In());
    ACSChunkRef soup = assets.Table().Settings(section);
    soup.EnsureContainer();
    TDBBinaryFile::WriteSoup(call.Out(), soup);
}

void AnswerWriteSettings(AssetRequests& assets, AssetCall& call) {
    const std::string section = Read(call.In());
    ACSChunkRef soup;
    if (call.Short() || section.empty() || !TDBBinaryFile::ReadSoup(soup, call.In())) return;
    soup.EnsureContainer();
    SaveSettings(assets, call, section, soup);
}

void AnswerReadSetting(AssetRequests& assets, AssetCall& call) {
    const std::string section = Read(call.In());
    const std::string key = Read(call.In());
    const ACSChunkRef soup = assets.Table().Settings(section);
    if (call.Short() || key.empty()) {
        call.Out().WritePString(Kiv::PString());
        return;
    }
    call.Out().WritePString(Kiv::PString(soup.GetNamedTag(Kiv::PString(key)).View()));
}

void AnswerWriteSetting(AssetRequests& assets, AssetCall& call) {
    const std::string section = Read(call.In());
    const std::string key = Read(call.In());
    const std::string value = Read(call.In());
    if (call.Short() || section.empty() || key.empty()) return;
    ACSChunkRef soup;
    soup.CopyFrom(assets.Table().Settings(section));
    soup.SetNamedTagString(Kiv::PString(key), value.c_str());
    SaveSettings(assets, call, section, soup);
}

void AnswerStartUrlFetch(AssetRequests& assets, AssetCall& call) {
    bool first = false;
    call.In().ReadBool(first, false);
    const std::string url = Read(call.In());
    call.Out().WriteInt64(call.Short() ? kNoHandle : assets.StartFetch(url));
}

void AnswerReleaseUrlFetch(AssetRequests& assets, AssetCall& call) {
    int64_t handle = kNoHandle;
    call.In().ReadInt64(handle, kNoHandle);
    assets.EndFetch(handle);
}

// A URL the map does not hold is done with status 404 and no file.
void AnswerPollUrlFetch(AssetRequests& assets, AssetCall& call) {
    int64_t handle = kNoHandle;
    call.In().ReadInt64(handle, kNoHandle);
    const std::optional<std::string> url = assets.Fetch(handle);
    const std::optional<UrlEntry> entry = url ? assets.Table().Url(*url) : std::nullopt;
    call.Out().WriteBool(true);
    call.Out().WriteInt32(0);
    call.Out().WriteInt32(entry ? entry->status : 404);
    call.Out().WriteInt32(0);
    call.Out().WriteString(Kiv::String(entry ? entry->file : std::string()));
    call.Out().WritePString(Kiv::PString(entry ? entry->text : std::string()));
}

void AnswerBuildList(AssetRequests& assets, AssetCall& call) {
    call.Out().WritePString(Kiv::PString(assets.Table().BuildList()));
}

void AnswerCudaDisabled(AssetRequests&, AssetCall& call) {
    call.Out().WriteBool(true);
}

void AnswerOnlineProfile(AssetRequests&, AssetCall& call) {
    for (int i = 0; i < 3; ++i)
        call.Out().WriteString(Kiv::String());
    call.Out().WriteBytes("\0\0", 2);
    call.Out().WriteString(Kiv::String());
    call.Out().WriteBytes("\0\0", 2);
}

void AnswerLoginCredential(AssetRequests&, AssetCall& call) {
    call.Out().WriteString(Kiv::String());
}

void AnswerNothing(AssetRequests&, AssetCall&) {}
