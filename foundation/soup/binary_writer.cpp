// Writing the binary form, field by field in little-endian order, and the stream entry
// point that sends the built bytes out.
#include "foundation/soup/binary_writer.h"

#include <cstdint>

#include "foundation/soup/binary_file.h"
#include "foundation/soup/binary_format.h"
#include "foundation/soup/soup_depth.h"
#include "foundation/streams/little_endian.h"

bool BinarySoupWriter::Build(const ACSChunkRef& root) {
    bytes_.clear();
    PutInt32(static_cast<int32_t>(BinarySoupFormat::kMagic));
    PutInt32(BinarySoupFormat::kVersionWritten);
    PutInt32(0);
    const size_t bodySize = BeginLength();
    if (!root.IsNull() && !WriteChildren(*root.Get(), 0)) return false;
    return EndLength(bodySize);
}

bool BinarySoupWriter::WriteChildren(const ACSChunk& container, int level) {
    const int32_t count = container.CountChildren();
    for (int32_t i = 0; i < count; ++i) {
        Kiv::PString name;
        ACSChunkRef child;
        if (!container.GetIndexedChild(i, name, child)) continue;
        if (level > kMaxSoupDepth || !WriteEntry(child, name, level)) return false;
    }
    return true;
}

bool BinarySoupWriter::WriteEntry(const ACSChunkRef& chunk, const Kiv::PString& name, int level) {
    const size_t nameLength = name.Length();
    if (nameLength > BinarySoupFormat::kMaxNameLength) return true;
    const size_t length = BeginLength();
    const uint8_t nameField = nameLength == 0 ? 0 : static_cast<uint8_t>(nameLength + 1);
    PutBytes(&nameField, 1);
    if (nameLength != 0) {
        PutBytes(name.Text(), nameLength);
        PutBytes("", 1);
    }
    const ACSTagType type = chunk.Get() ? chunk->GetType() : ACSTagType::Null;
    const auto fileType = static_cast<uint8_t>(FileTagTypeFor(type));
    PutBytes(&fileType, 1);
    if (type == ACSTagType::Container) {
        if (!WriteChildren(*chunk.Get(), level + 1)) return false;
    } else if (type != ACSTagType::Null) {
        PutBytes(chunk->GetData(), chunk->GetDataSize());
    }
    return EndLength(length);
}

void BinarySoupWriter::PutInt32(int32_t value) {
    uint8_t bytes[4];
    StoreLittleEndian(static_cast<uint32_t>(value), bytes, sizeof bytes);
    PutBytes(bytes, sizeof bytes);
}

void BinarySoupWriter::PutBytes(const void* source, size_t size) {
    if (size == 0) return;
    const auto* bytes = static_cast<const uint8_t*>(source);
    bytes_.insert(bytes_.end(), bytes, bytes + size);
}

size_t BinarySoupWriter::BeginLength() {
    const size_t at = bytes_.size();
    PutInt32(-1);
    return at;
}

bool BinarySoupWriter::EndLength(size_t at) {
    const size_t length = bytes_.size() - at - 4;
    if (length > static_cast<size_t>(INT32_MAX)) return false;
    StoreLittleEndian(length, bytes_.data() + at, 4);
    return true;
}

void TDBBinaryFile::WriteSoup(TStream& stream, const ACSChunkRef& root) {
    BinarySoupWriter writer;
    if (!writer.Build(root)) {
        stream.SetError(TStream::kErrorIO);
        return;
    }
    stream.WriteBytes(writer.Bytes().data(), writer.Bytes().size());
}
