// Wire forms of the online-access messages.
#include "link/online/online_messages.h"

#include "foundation/soup/binary_file.h"

namespace {

bool ReadBody(TStream& stream, ACSChunkRef& body) {
    return TDBBinaryFile::ReadSoup(body, stream) && stream.GetError() == 0;
}

} // namespace

void OnlineAccessMessage::Write(TStream& stream) const {
    kuid.WriteBinary(stream);
    stream.WriteString(name);
    TDBBinaryFile::WriteSoup(stream, body);
}

bool OnlineAccessMessage::Read(TStream& stream) {
    kuid = KUID::ReadBinary(stream);
    return stream.ReadString(name) && ReadBody(stream, body);
}

void OnlineAccessVersionedMessage::Write(TStream& stream) const {
    OnlineAccessMessage::Write(stream);
    stream.WriteInt32(version);
    stream.WriteByte(flag);
}

bool OnlineAccessVersionedMessage::Read(TStream& stream) {
    if (!OnlineAccessMessage::Read(stream) || !stream.ReadInt32(version, 0)) return false;
    uint8_t byte = 0;
    if (stream.ReadBytes(&byte, 1) != 1) return false;
    flag = byte;
    return true;
}

void OnlineGroupMessage::Write(TStream& stream) const {
    kuid.WriteBinary(stream);
    stream.WriteString(text);
    stream.WritePString(group);
    TDBBinaryFile::WriteSoup(stream, body);
}

bool OnlineGroupMessage::Read(TStream& stream) {
    kuid = KUID::ReadBinary(stream);
    return stream.ReadString(text) && stream.ReadPString(group) && ReadBody(stream, body);
}
