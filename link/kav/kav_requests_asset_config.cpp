// The config soup of an asset (20), taken from the process's spec registry when that holds
// the asset, and the script information read from it; the asset's local data soups under
// a key (121, 122); soups travel in the binary "ACS$" form.
#include "link/kav/kav_requests_asset.h"
#include "link/kav/kav_requests_wire.h"
#include "foundation/soup/binary_file.h"
#include "link/kav/kav_upward_seams.h"

namespace {

ACSChunkRef ReadReplySoup(TStream& reply) {
    ACSChunkRef soup;
    if (!TDBBinaryFile::ReadSoup(soup, reply)) return ACSChunkRef();
    return soup;
}

// The spec registry's config of the asset, when it holds a spec of it.
bool FindCachedConfig(const KUID& kuid, ACSChunkRef& config) {
    KAVSpecRegistrySeam* specs = KAVUpwardSeams::SpecRegistry();
    return specs != nullptr && specs->FindConfig(kuid, config);
}

// The first non-empty text of the two tags.
Kiv::String EitherTag(const ACSChunkRef& soup, const char* first, const char* second) {
    Kiv::String text = soup.GetNamedTag(first);
    if (text.IsEmpty()) text = soup.GetNamedTag(second);
    return text;
}

} // namespace

ACSChunkRef KAVAssetRequests::GetAssetConfig(const KUID& kuid, int32_t) {
    ACSChunkRef config;
    if (FindCachedConfig(kuid, config)) return config;
    KAVRequest request;
    kuid.WriteBinary(request.Payload());
    if (!request.Send(kReqAssetConfig)) return ACSChunkRef();
    return ReadReplySoup(request.Reply());
}

bool KAVAssetRequests::GetAssetScriptInfo(const KUID& kuid, Kiv::File::Path& scriptPath,
                                          Kiv::String& className) {
    const ACSChunkRef config = GetAssetConfig(kuid, 0);
    if (config.IsNull()) return false;
    scriptPath = Kiv::File::Path(EitherTag(config, "script", "scriptlibrary"));
    if (!scriptPath.IsEmpty()) scriptPath.SetExt("gs");
    className = EitherTag(config, "class", "scriptclass");
    if (className.IsEmpty()) {
        Kiv::File::Path bare = scriptPath;
        bare.SetExt("");
        className = Kiv::String(bare.View());
    }
    return !scriptPath.IsEmpty() && !className.IsEmpty();
}

ACSChunkRef KAVAssetRequests::GetLocalData(const KUID& kuid, const Kiv::PString& key) {
    const Kiv::PString lowerKey = key.ToLower();
    if (lowerKey.IsEmpty()) return ACSChunkRef();
    KAVRequest request;
    kuid.WriteBinary(request.Payload());
    request.Payload().WritePString(lowerKey);
    if (!request.Send(kReqGetLocalData)) return ACSChunkRef();
    return ReadReplySoup(request.Reply());
}

void KAVAssetRequests::SetLocalData(const KUID& kuid, const Kiv::PString& key,
                                    const ACSChunkRef& soup) {
    const Kiv::PString lowerKey = key.ToLower();
    if (lowerKey.IsEmpty()) return;
    KAVRequest request;
    kuid.WriteBinary(request.Payload());
    request.Payload().WritePString(lowerKey);
    TDBBinaryFile::WriteSoup(request.Payload(), soup);
    request.Send(kReqSetLocalData);
}
