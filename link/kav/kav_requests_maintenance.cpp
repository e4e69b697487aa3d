// Requests about the database as a whole: repair (3, 4) with the patcher step (256), the
// daemon's CUDA setting (181) and the list of installed builds (253).
#include "link/kav/kav_requests_asset.h"
#include "link/kav/kav_requests_wire.h"

bool KAVAssetRequests::StartRepair(int32_t mode, ResultsLog* log) {
    KAVRequest request;
    request.Payload().WriteInt32(mode);
    return request.Send(kReqStartRepair, nullptr, log, true);
}

bool KAVAssetRequests::PollRepair(float& progress, Kiv::String& text, bool* answered) {
    KAVRequest request;
    const bool sent = request.Send(kReqPollRepair);
    if (answered) *answered = sent;
    if (!sent) return false;
    bool more = false;
    request.Reply().ReadBool(more, false);
    request.Reply().ReadFloat(progress, 0.0f);
    request.Reply().ReadString(text);
    return more;
}

void KAVAssetRequests::RunPatcher() {
    KAVRequest request;
    request.Send(kReqRunPatcher);
}

bool KAVAssetRequests::IsCudaDisabled() {
    KAVRequest request;
    if (!request.Send(kReqCudaDisabled)) return true;
    bool disabled = true;
    request.Reply().ReadBool(disabled, true);
    return disabled;
}

Kiv::PString KAVAssetRequests::ListInstalledBuilds() {
    KAVRequest request;
    Kiv::PString list;
    if (request.Send(kReqListInstalledBuilds)) request.Reply().ReadPString(list);
    return list;
}
