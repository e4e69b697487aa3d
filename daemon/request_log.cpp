// The kind-3 note: the transaction id, then the log in its stream form.
#include "daemon/request_log.h"

#include "foundation/results/kodrin_property.h"
#include "foundation/streams/buffer_stream.h"

void RequestLog::Add(int32_t kind, const KUID& kuid, const std::string& text,
                     const ResultsLogParameters* parameters) {
    if (kuid.IsNull()) {
        log_.AddEntry(kind, nullptr, Kiv::String(text), parameters);
        return;
    }
    auto* asset = new KodrinPropertyAssetID(Kiv::PString("AssetID"), kuid);
    log_.AddEntry(kind, asset, Kiv::String(text), parameters);
    asset->Release();
}

void RequestLog::MoveTo(DaemonResponse& response, uint32_t transactionId) {
    if (log_.EntryCount() == 0) return;
    BufferStream stream;
    stream.Stream().WriteUInt32(transactionId);
    log_.Write(stream.Stream(), 0);
    const uint8_t* data = stream.Buffer().GetData();
    const auto length = static_cast<size_t>(stream.Stream().Tell());
    response.notes.push_back({kNoteResultsLog, WireBytes(data, data + length), {}});
}
