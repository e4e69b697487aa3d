// Web downloads made by the daemon on the tool's behalf (requests 230 to 232): start,
// poll until done, release. A start that failed keeps the all-ones handle; polling it
// still asks the daemon and keeps the zero status when that fails.
#include "link/kav/kav_requests_settings.h"
#include "link/kav/kav_requests_wire.h"
#include "foundation/soup/binary_file.h"

KAVUrlFetch* KAVSettingsRequests::StartUrlFetch(const UrlRecord& url, int32_t mode) {
    KAVRequest request;
    request.Payload().WriteByte(0);
    request.Payload().WritePString(UrlRecord::ToString(url));
    request.Payload().WriteInt32(mode);
    request.Payload().WriteInt32(-1);
    TDBBinaryFile::WriteSoup(request.Payload(), ACSChunkRef());
    int64_t handle = kNoDaemonHandle;
    if (request.Send(kReqStartUrlFetch)) request.Reply().ReadInt64(handle, kNoDaemonHandle);
    return new KAVUrlFetch(handle, url);
}

void KAVSettingsRequests::ReleaseUrlFetch(KAVUrlFetch* fetch) {
    KAVRequest request;
    request.Payload().WriteInt64(fetch->Handle());
    request.Send(kReqReleaseUrlFetch);
    fetch->ForgetText();
}

void KAVUrlFetch::Poll(KAVUrlFetch* fetch, KAVUrlFetchStatus& status) {
    if (fetch->last_.done) {
        fetch->last_.CopyTo(status);
        return;
    }
    status = KAVUrlFetchStatus();
    KAVRequest request;
    request.Payload().WriteInt64(fetch->handle_);
    if (!request.Send(kReqPollUrlFetch)) return;
    TStream& reply = request.Reply();
    Kiv::String pathText;
    reply.ReadBool(status.done, true);
    reply.ReadInt32(status.first, 0);
    reply.ReadInt32(status.status, 0);
    reply.ReadInt32(status.third, 0);
    reply.ReadString(pathText);
    reply.ReadPString(status.text);
    status.path = Kiv::File::Path(pathText);
    status.CopyTo(fetch->last_);
}

void KAVUrlFetch::Close(KAVUrlFetch* fetch) {
    if (!fetch) return;
    KAVSettingsRequests::ReleaseUrlFetch(fetch);
    delete fetch;
}

bool KAVUrlFetch::IsDone() {
    KAVUrlFetchStatus status;
    Poll(this, status);
    return status.done;
}

int32_t KAVUrlFetch::GetStatus() {
    KAVUrlFetchStatus status;
    Poll(this, status);
    return status.status;
}

bool KAVUrlFetch::GetResult(Kiv::File::Path& path, Kiv::PString& text) {
    KAVUrlFetchStatus status;
    Poll(this, status);
    path = status.path;
    text = status.text;
    return !path.IsEmpty();
}
