// Field by field, byte by byte: no struct or host word order ever reaches the wire.
#include "daemon/wire_bytes.h"

WireWriter& WireWriter::UInt32(uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out_.push_back(static_cast<uint8_t>(value >> shift));
    }
    return *this;
}

WireWriter& WireWriter::Bytes(const void* data, size_t size) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    out_.insert(out_.end(), bytes, bytes + size);
    return *this;
}

WireWriter& WireWriter::PString(std::string_view text) {
    if (text.empty()) return Int32(0);
    Int32(static_cast<int32_t>(text.size() + 1));
    Bytes(text.data(), text.size());
    out_.push_back(0);
    return *this;
}

uint32_t WireReader::UInt32() {
    if (failed_ || size_ - position_ < 4) {
        failed_ = true;
        return 0;
    }
    const uint32_t value = LoadLittleEndian32(data_ + position_);
    position_ += 4;
    return value;
}

uint32_t LoadLittleEndian32(const uint8_t* data) {
    return static_cast<uint32_t>(data[0]) | static_cast<uint32_t>(data[1]) << 8 |
           static_cast<uint32_t>(data[2]) << 16 | static_cast<uint32_t>(data[3]) << 24;
}
