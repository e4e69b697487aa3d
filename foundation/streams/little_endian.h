// Little-endian byte order, assembled one byte at a time: the order of every value in the
// program's files and messages, whatever the machine.
#pragma once

#include <cstddef>
#include <cstdint>

// The low n bytes of value, least significant first.
inline void StoreLittleEndian(uint64_t value, uint8_t* bytes, size_t n) {
    for (size_t i = 0; i < n; ++i)
        bytes[i] = static_cast<uint8_t>(value >> (8 * i));
}

inline uint64_t LoadLittleEndian(const uint8_t* bytes, size_t n) {
    uint64_t value = 0;
    for (size_t i = 0; i < n; ++i)
        value |= static_cast<uint64_t>(bytes[i]) << (8 * i);
    return value;
}
