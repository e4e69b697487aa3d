// Table-driven CRC-32; the table of the 256 byte remainders is computed at compile time.
#include "foundation/text/crc32.h"

#include "engine/ascii.h"

#include <array>

namespace {

constexpr uint32_t kPolynomial = 0xEDB88320u;

constexpr std::array<uint32_t, 256> MakeTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t remainder = n;
        for (int bit = 0; bit < 8; ++bit) {
            remainder = (remainder & 1u) ? (remainder >> 1) ^ kPolynomial : remainder >> 1;
        }
        table[n] = remainder;
    }
    return table;
}

constexpr std::array<uint32_t, 256> kTable = MakeTable();

uint32_t Step(uint32_t crc, unsigned char byte) {
    return kTable[(crc ^ byte) & 0xFFu] ^ (crc >> 8);
}

}  // namespace

uint32_t ComputeCrc32(const void* bytes, size_t length) {
    const auto* p = static_cast<const unsigned char*>(bytes);
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < length; ++i) crc = Step(crc, p[i]);
    return ~crc;
}

uint32_t ComputeCrc32LowerCase(const char* text) {
    if (text == nullptr) return 0;
    uint32_t crc = 0xFFFFFFFFu;
    for (const char* p = text; *p != '\0'; ++p) {
        crc = Step(crc, static_cast<unsigned char>(Kiv::Ascii::ToLower(*p)));
    }
    return ~crc;
}
