// Bounded little-endian reading and writing.
#include "engine/byte_reader.h"

namespace Kiv {

uint64_t ByteReader::Take(size_t width) {
    if (failed_ || Remaining() < width) {
        failed_ = true;
        return 0;
    }
    uint64_t value = 0;
    for (size_t i = 0; i < width; ++i) value |= uint64_t{bytes_[position_ + i]} << (8 * i);
    position_ += width;
    return value;
}

std::span<const uint8_t> ByteReader::Bytes(size_t count) {
    if (failed_ || Remaining() < count) {
        failed_ = true;
        return {};
    }
    std::span<const uint8_t> view = bytes_.subspan(position_, count);
    position_ += count;
    return view;
}

void ByteReader::Seek(size_t offset) {
    if (failed_ || offset > bytes_.size()) {
        failed_ = true;
        return;
    }
    position_ = offset;
}

namespace {

void Put(std::string& out, uint64_t value, size_t width) {
    for (size_t i = 0; i < width; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}  // namespace

void PutU16(std::string& out, uint16_t value) { Put(out, value, 2); }
void PutU32(std::string& out, uint32_t value) { Put(out, value, 4); }
void PutU64(std::string& out, uint64_t value) { Put(out, value, 8); }

}  // namespace Kiv
