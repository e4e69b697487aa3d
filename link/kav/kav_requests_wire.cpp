// Request plumbing shared by the wrappers: see kav_requests_wire.h.
#include "link/kav/kav_requests_wire.h"

#include "link/kav/kav_client.h"

bool KAVRequest::Send(int32_t requestId, KAVQuestionHandler* handler, ResultsLog* log,
                      bool keepLog) {
    Payload().Rewind();
    if (!KAVClient::Transact(requestId, Payload(), Reply(), handler, log, keepLog)) return false;
    Reply().Rewind();
    return true;
}

void WriteKUIDList(TStream& stream, const KUIDList& list) {
    stream.WriteUInt32(static_cast<uint32_t>(list.Count()));
    for (const KUID& kuid : list) kuid.WriteBinary(stream);
}

void ReadKUIDList(TStream& stream, KUIDList& out) {
    uint32_t count = 0;
    if (!stream.ReadUInt32(count, 0)) return;
    for (uint32_t i = 0; i < count; ++i) {
        const KUID kuid = KUID::ReadBinary(stream);
        if (stream.GetError() != 0) return;
        out.PushBack(kuid);
    }
}

void ReadAssetLocation(TStream& stream, Kiv::PString& location, Kiv::File::Path& path) {
    Kiv::String pathText;
    stream.ReadPString(location);
    stream.ReadString(pathText);
    path = Kiv::File::Path(pathText);
}
