// A faulty reply keeps the shape of a real one where it can, so the client sees exactly the
// one thing that is wrong.
#include "daemon/link_frames.h"

#include "daemon/link_format.h"

WireBytes HandshakeReplyFrame(int32_t word0, int32_t word1) {
    WireBytes frame;
    WireWriter(frame).Int32(DaemonLink::kDaemonHandshakeTag).Int32(word0).Int32(word1);
    return frame;
}

WireBytes ReplyFrame(uint32_t transactionId, const WireBytes& reply, DaemonFault fault) {
    WireBytes frame;
    WireWriter writer(frame);
    writer.Int32(fault == DaemonFault::kBadFrameTag ? DaemonLink::kFaultTag
                                                    : DaemonLink::kReplyTag);
    // The top bit flipped: never the id sent, and never 0.
    writer.UInt32(fault == DaemonFault::kWrongTransactionId ? transactionId ^ 0x80000000u
                                                            : transactionId);
    if (fault == DaemonFault::kNegativeLength) {
        writer.Int32(-1);
        return frame;
    }
    writer.Int32(static_cast<int32_t>(reply.size())).Bytes(reply);
    return frame;
}

WireBytes NoteFrame(int32_t kind, const WireBytes& payload) {
    WireBytes frame;
    WireWriter(frame)
        .Int32(DaemonLink::kNoteTag)
        .Int32(kind)
        .Int32(static_cast<int32_t>(payload.size()))
        .Bytes(payload);
    return frame;
}

WireBytes QuestionPayload(uint32_t transactionId, std::string_view promptKey, const KUID& kuid) {
    const PackedKUID packed = kuid.Pack();
    WireBytes payload;
    WireWriter(payload)
        .UInt32(transactionId)
        .PString(promptKey)
        .Int32(static_cast<int32_t>(packed.word1))
        .UInt32(packed.word0);
    return payload;
}

HandshakeHeader DecodeHandshakeHeader(const uint8_t* data) {
    WireReader reader(data, DaemonLink::kHandshakeHeaderSize);
    HandshakeHeader header;
    header.tag = reader.Int32();
    header.version = reader.Int32();
    header.build = reader.Int32();
    header.flag = reader.Int32();
    header.pathLength = reader.Int32();
    return header;
}
