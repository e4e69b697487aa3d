// Requests that open, create, change, install and remove assets (30 to 41, 47, 48, 50,
// 54). The handle requests send the daemon's 8-byte handle of the asset's record; a reply
// handle of all ones means the daemon opened nothing, and then no record is made.
#include "link/kav/kav_requests_asset.h"
#include "link/kav/kav_requests_wire.h"

namespace {

// A record for an opened or created asset; null for the daemon's "none".
KAVAssetRecord* MakeRecord(int64_t daemonHandle, const KUID& kuid, TStream& reply) {
    if (daemonHandle == kNoDaemonHandle) return nullptr;
    auto* record = new KAVAssetRecord;
    record->daemonHandle = daemonHandle;
    record->kuid = kuid;
    ReadAssetLocation(reply, record->location, record->path);
    return record;
}

// A request answered by one bool; false on failure.
bool AnswerOk(KAVRequest& request, int32_t requestId, ResultsLog* log,
              KAVQuestionHandler* handler = nullptr) {
    if (!request.Send(requestId, handler, log)) return false;
    bool ok = false;
    request.Reply().ReadBool(ok, false);
    return ok;
}

} // namespace

KAVAssetHandle KAVAssetRequests::OpenAsset(const KUID& kuid, bool forEdit, ResultsLog* log) {
    KAVRequest request;
    kuid.WriteBinary(request.Payload());
    request.Payload().WriteBool(forEdit);
    if (!request.Send(kReqOpenAsset, nullptr, log)) return KAVAssetHandle();
    int64_t daemonHandle = kNoDaemonHandle;
    request.Reply().ReadInt64(daemonHandle, kNoDaemonHandle);
    return KAVAssetHandle(MakeRecord(daemonHandle, kuid, request.Reply()), forEdit);
}

void KAVAssetRequests::CloseAssetHandle(KAVAssetRecord& record) {
    KAVRequest request;
    request.Payload().WriteInt64(record.daemonHandle);
    request.Send(kReqCloseAssetHandle);
    record.location = Kiv::PString();
}

bool KAVAssetRequests::RevertAsset(KAVAssetHandle handle, ResultsLog* log) {
    if (!handle.IsValid()) return false;
    KAVRequest request;
    request.Payload().WriteInt64(handle.Record()->daemonHandle);
    const bool ok = AnswerOk(request, kReqRevertAsset, log);
    handle.Record()->detailsKnown = false;
    return ok;
}

bool KAVAssetRequests::CommitAsset(KAVAssetHandle& handle, int32_t value, ResultsLog* log,
                                   bool& secondResult) {
    if (!handle.IsValid()) return false;
    KAVRequest request;
    request.Payload().WriteInt64(handle.Record()->daemonHandle);
    request.Payload().WriteInt32(value);
    const bool sent = request.Send(kReqCommitAsset, nullptr, log);
    handle.Record()->detailsKnown = false;
    if (!sent) return false;
    bool ok = false;
    request.Reply().ReadBool(ok, false);
    request.Reply().ReadBool(secondResult, false);
    handle.ClearForEdit();
    return ok;
}

KAVAssetHandle KAVAssetRequests::CreateAsset(const KUID& kuid, bool flag, const Kiv::String& text,
                                             ResultsLog* log) {
    KAVRequest request;
    kuid.WriteBinary(request.Payload());
    request.Payload().WriteBool(flag);
    request.Payload().WriteString(text);
    if (!request.Send(kReqCreateAsset, nullptr, log)) return KAVAssetHandle();
    int64_t daemonHandle = kNoDaemonHandle;
    request.Reply().ReadInt64(daemonHandle, kNoDaemonHandle);
    const KUID given = KUID::ReadBinary(request.Reply());
    return KAVAssetHandle(MakeRecord(daemonHandle, given, request.Reply()), true);
}

bool KAVAssetRequests::DeleteAsset(const KUID& kuid, bool flag, ResultsLog* log) {
    KAVRequest request;
    kuid.WriteBinary(request.Payload());
    request.Payload().WriteBool(flag);
    return AnswerOk(request, kReqDeleteAsset, log);
}

bool KAVAssetRequests::ValidateAsset(const Kiv::PString& location, const Kiv::File::Path& path,
                                     ResultsLog* log) {
    KAVRequest request;
    request.Payload().WritePString(location);
    request.Payload().WriteString(Kiv::String(path.View()));
    return AnswerOk(request, kReqValidateAsset, log);
}

KUID KAVAssetRequests::InstallFromFolder(const Kiv::String& folder, int32_t mode, ResultsLog* log,
                                         bool& result, KAVQuestionHandler* handler,
                                         bool* answered) {
    KAVRequest request;
    request.Payload().WriteString(folder);
    request.Payload().WriteInt32(mode);
    request.Payload().WriteBool(handler != nullptr);
    const bool sent = request.Send(kReqInstallFromFolder, handler, log);
    if (answered) *answered = sent;
    if (!sent) return KUID::Null();
    const KUID installed = KUID::ReadBinary(request.Reply());
    request.Reply().ReadBool(result, false);
    return installed;
}

uint32_t KAVAssetRequests::InstallArchiveFile(const Kiv::String& path, int32_t mode,
                                              ResultsLog* log, bool& result,
                                              KAVQuestionHandler* handler, bool* answered) {
    KAVRequest request;
    request.Payload().WriteString(path);
    request.Payload().WriteInt32(mode);
    request.Payload().WriteBool(handler != nullptr);
    const bool sent = request.Send(kReqInstallArchiveFile, handler, log);
    if (answered) *answered = sent;
    if (!sent) return 0;
    uint32_t answer = 0;
    request.Reply().ReadUInt32(answer, 0);
    request.Reply().ReadBool(result, false);
    return answer;
}

void KAVAssetRequests::RecordDownloadSize(const KUID& kuid, int32_t size) {
    KAVRequest request;
    kuid.WriteBinary(request.Payload());
    request.Payload().WriteInt32(size);
    request.Send(kReqRecordDownloadSize);
}

void KAVAssetRequests::RecordLatestVersion(const KUID& requested, const KUID& latest) {
    if (requested.IsNull() || latest.IsNull() || requested == latest) return;
    KAVRequest request;
    requested.WriteBinary(request.Payload());
    latest.WriteBinary(request.Payload());
    request.Send(kReqRecordLatestVersion);
}

CDPAsset KAVAssetRequests::GetArchivedAsset(const KUID& kuid, ResultsLog* log, int32_t mode) {
    CDPAsset asset;
    KAVRequest request;
    kuid.WriteBinary(request.Payload());
    request.Payload().WriteInt32(mode);
    if (request.Send(kReqArchivedAsset, nullptr, log)) asset.Read(request.Reply());
    return asset;
}

void KAVAssetRequests::SetAssetFavorite(const KUID& kuid, bool favorite) {
    KAVRequest request;
    kuid.WriteBinary(request.Payload());
    request.Payload().WriteBool(favorite);
    request.Send(kReqSetFavorite);
}

void KAVAssetRequests::SetAssetKeywords(const KUID& kuid, const Kiv::String& keywords) {
    KAVRequest request;
    kuid.WriteBinary(request.Payload());
    request.Payload().WriteString(keywords);
    request.Send(kReqSetKeywords);
}
