// Little-endian field helpers of the daemon's link code: a writer that appends int32,
// uint32 and byte runs to a byte vector, and a reader over received bytes whose error is
// sticky (a short read gives 0 and fails every later read), so a hostile payload never
// reads out of bounds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

using WireBytes = std::vector<uint8_t>;

class WireWriter {
public:
    explicit WireWriter(WireBytes& out) : out_(out) {}

    WireWriter& Int32(int32_t value) { return UInt32(static_cast<uint32_t>(value)); }
    WireWriter& UInt32(uint32_t value);
    WireWriter& Bytes(const void* data, size_t size);
    WireWriter& Bytes(const WireBytes& bytes) { return Bytes(bytes.data(), bytes.size()); }
    // The PString stream form: int32 length + 1, the bytes, a zero; just 0 when empty.
    WireWriter& PString(std::string_view text);

private:
    WireBytes& out_;
};

class WireReader {
public:
    WireReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    explicit WireReader(const WireBytes& bytes) : WireReader(bytes.data(), bytes.size()) {}

    int32_t Int32() { return static_cast<int32_t>(UInt32()); }
    uint32_t UInt32();
    bool Failed() const { return failed_; }
    size_t Left() const { return failed_ ? 0 : size_ - position_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
    bool failed_ = false;
};

// Decodes the four bytes at data (at least four) as a little-endian 32-bit value.
uint32_t LoadLittleEndian32(const uint8_t* data);
