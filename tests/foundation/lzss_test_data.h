// Seeded inputs for the LZSS codec tests: text made of words, binary records, bytes of a
// skewed distribution (few long matches, many literals) and random bytes. The same seed
// gives the same bytes on every machine (std::mt19937 is fully specified; the
// distributions are done by hand for that reason).
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace lzss_test {

inline std::vector<uint8_t> Bytes(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

inline std::vector<uint8_t> Text(size_t size, uint32_t seed) {
    static const char* const kWords[] = {
        "the", "track", "signal", "train", "station", "of", "and", "a", "to", "junction",
        "carriage", "locomotive", "platform", "timetable", "freight", "passenger", "is",
        "speed", "limit", "bridge", "tunnel", "points", "buffer", "coupler", "route"};
    std::mt19937 random(seed);
    std::string text;
    while (text.size() < size) {
        text += kWords[random() % std::size(kWords)];
        const uint32_t r = random() % 16;
        text += r == 0 ? ".\n" : r == 1 ? ", " : " ";
        if (r == 2) text += std::to_string(random() % 1000);
    }
    text.resize(size);
    return Bytes(text);
}

// Records of a counter, a small value, a slowly changing 32-bit field and a noise byte.
inline std::vector<uint8_t> Binary(size_t size, uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<uint8_t> bytes;
    uint32_t slow = random();
    for (uint32_t counter = 0; bytes.size() < size; ++counter) {
        if (random() % 8 == 0) slow += random() % 64;
        const uint8_t record[] = {
            static_cast<uint8_t>(counter), static_cast<uint8_t>(counter >> 8),
            static_cast<uint8_t>(random() % 4), 0,
            static_cast<uint8_t>(slow), static_cast<uint8_t>(slow >> 8),
            static_cast<uint8_t>(slow >> 16), static_cast<uint8_t>(slow >> 24),
            static_cast<uint8_t>(random())};
        bytes.insert(bytes.end(), std::begin(record), std::end(record));
    }
    bytes.resize(size);
    return bytes;
}

// Byte b of a fixed alphabet appears with probability about 2^-(b+1).
inline std::vector<uint8_t> Skewed(size_t size, uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<uint8_t> bytes(size);
    for (uint8_t& byte : bytes) {
        const uint32_t r = random() | 0x80000000u;
        byte = static_cast<uint8_t>(0x41 + __builtin_ctz(r) * 7);
    }
    return bytes;
}

inline std::vector<uint8_t> Random(size_t size, uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<uint8_t> bytes(size);
    for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(random());
    return bytes;
}

}  // namespace lzss_test
