// Requests that ask about one asset: its record (21) and the thin wrappers over it, where
// it lives (23, 29), which KUID the daemon holds for it (26, 27), its description (28),
// and a new KUID (58).
#include "link/kav/kav_client.h"
#include "link/kav/kav_requests_asset.h"
#include "link/kav/kav_requests_wire.h"

namespace {

// A fresh record filled with the parts of mask; false when the request failed.
bool AskInfo(const KUID& kuid, int32_t mask, KAVAssetInfo& info) {
    KAVRequest request;
    kuid.WriteBinary(request.Payload());
    request.Payload().WriteInt32(mask);
    if (!request.Send(kReqAssetInfo)) return false;
    info.Read(request.Reply());
    return true;
}

// A flag question: whether bit is set in the chosen byte; true when the request failed.
bool AskFlag(const KUID& kuid, uint8_t KAVAssetInfo::*byte, uint8_t bit) {
    KAVAssetInfo info;
    if (!AskInfo(kuid, kAssetDetailFlags, info)) return true;
    return (info.*byte & bit) != 0;
}

// A text question: one text of the record; empty when the request failed.
Kiv::String AskText(const KUID& kuid, int32_t mask, Kiv::String KAVAssetInfo::*text) {
    KAVAssetInfo info;
    if (!AskInfo(kuid, mask, info)) return Kiv::String();
    return info.*text;
}

// A request of one KUID answered by one KUID; the given one on failure.
KUID AskKUID(int32_t requestId, const KUID& kuid) {
    KAVRequest request;
    kuid.WriteBinary(request.Payload());
    if (!request.Send(requestId)) return kuid;
    return KUID::ReadBinary(request.Reply());
}

} // namespace

bool KAVAssetRequests::GetAssetInfo(const KUID& kuid, KAVAssetInfo& info, int32_t mask) {
    if (!AskInfo(kuid, mask, info)) return false;
    return info.valid;
}

Kiv::String KAVAssetRequests::GetAssetName(const KUID& kuid) {
    return AskText(kuid, kAssetDetailName, &KAVAssetInfo::name);
}

Kiv::String KAVAssetRequests::GetAssetRegionCategory(const KUID& kuid) {
    return AskText(kuid, kAssetDetailCategories, &KAVAssetInfo::regionCategory);
}

Kiv::String KAVAssetRequests::GetAssetEraCategory(const KUID& kuid) {
    return AskText(kuid, kAssetDetailCategories, &KAVAssetInfo::eraCategory);
}

Kiv::String KAVAssetRequests::GetAssetKeywords(const KUID& kuid) {
    return AskText(kuid, kAssetDetailCategories, &KAVAssetInfo::keywords);
}

bool KAVAssetRequests::IsAssetLocallyModified(const KUID& kuid) {
    return AskFlag(kuid, &KAVAssetInfo::flags1, KAVAssetFlags::kLocallyModified);
}

bool KAVAssetRequests::IsAssetLocal(const KUID& kuid) {
    return AskFlag(kuid, &KAVAssetInfo::flags1, KAVAssetFlags::kInstalledLocally);
}

bool KAVAssetRequests::IsAssetFaulty(const KUID& kuid) {
    return AskFlag(kuid, &KAVAssetInfo::flags2, KAVAssetFlags::kFaulty);
}

bool KAVAssetRequests::HasMissingDependencies(const KUID& kuid, bool checkLocal) {
    KAVAssetInfo info;
    if (!AskInfo(kuid, kAssetDetailFlags, info)) return true;
    if (info.flags2 & KAVAssetFlags::kMissingDependencies) return true;
    return checkLocal && !(info.flags1 & KAVAssetFlags::kInstalledLocally);
}

void KAVAssetRequests::LocateAsset(const KUID& kuid, bool flag, Kiv::PString& location,
                                   Kiv::File::Path& path) {
    location = Kiv::PString();
    path = Kiv::File::Path();
    KAVRequest request;
    kuid.WriteBinary(request.Payload());
    request.Payload().WriteBool(flag);
    if (request.Send(kReqLocateAsset)) ReadAssetLocation(request.Reply(), location, path);
}

KUID KAVAssetRequests::ResolveKUID(const KUID& kuid) {
    return AskKUID(kReqResolveKUID, kuid);
}

KUID KAVAssetRequests::ResolveKUIDLatest(const KUID& kuid) {
    return AskKUID(kReqResolveKUIDLatest, kuid);
}

Kiv::String KAVAssetRequests::GetAssetDescription(const KUID& kuid) {
    KAVRequest request;
    kuid.WriteBinary(request.Payload());
    Kiv::String description;
    if (request.Send(kReqAssetDescription)) request.Reply().ReadString(description);
    return description;
}

uint32_t KAVAssetRequests::LocateAssetFile(const KUID& kuid, int32_t value,
                                           Kiv::PString& location, Kiv::File::Path& path) {
    location = Kiv::PString();
    path = Kiv::File::Path();
    KAVRequest request;
    kuid.WriteBinary(request.Payload());
    request.Payload().WriteInt32(value);
    if (!request.Send(kReqLocateAssetFile)) return 0;
    ReadAssetLocation(request.Reply(), location, path);
    uint32_t result = 0;
    request.Reply().ReadUInt32(result, 0);
    return result;
}

KUID KAVAssetRequests::GenerateKUID() {
    KAVRequest request;
    if (!request.Send(kReqGenerateKUID)) return KUID::Null();
    return KUID::ReadBinary(request.Reply());
}
