// Kiv::ByteReader and the little-endian put helpers: the one way the engine's file readers
// (archives, images) take numbers out of bytes they do not trust. A read past the end sets
// a sticky failure and yields zeros, so a reader checks Failed() once after a group of
// fields instead of before each one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace Kiv {

class ByteReader {
public:
    explicit ByteReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    uint8_t U8() { return static_cast<uint8_t>(Take(1)); }
    uint16_t U16() { return static_cast<uint16_t>(Take(2)); }
    uint32_t U32() { return static_cast<uint32_t>(Take(4)); }
    int32_t I32() { return static_cast<int32_t>(U32()); }
    uint64_t U64() { return Take(8); }
    // count bytes as a view into the input; empty (and failed) when fewer remain.
    std::span<const uint8_t> Bytes(size_t count);
    void Skip(size_t count) { Bytes(count); }
    // Moves to an absolute offset; failed when it lies past the end.
    void Seek(size_t offset);

    size_t Position() const { return position_; }
    size_t Remaining() const { return bytes_.size() - position_; }
    bool Failed() const { return failed_; }

private:
    uint64_t Take(size_t width);

    std::span<const uint8_t> bytes_;
    size_t position_ = 0;
    bool failed_ = false;
};

void PutU16(std::string& out, uint16_t value);
void PutU32(std::string& out, uint32_t value);
void PutU64(std::string& out, uint64_t value);

}  // namespace Kiv
