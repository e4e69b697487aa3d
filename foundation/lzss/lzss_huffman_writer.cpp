// Writer of the Huffman form. Codes are collected leaf to root and sent root first; a
// 64-bit buffer holds them with the pending bits, as a code stays under 32 bits.
#include <array>

#include "foundation/lzss/lzss_huffman_form.h"
#include "foundation/lzss/lzss_tables.h"

namespace Kiv {
namespace {

// For length - 3 = v: the largest code whose base is at most v.
constexpr std::array<uint8_t, 256> MakeLengthCodeOf() {
    std::array<uint8_t, 256> codeOf{};
    int code = 0;
    for (int v = 0; v < 256; ++v) {
        while (code + 1 < static_cast<int>(kLZSSLengthCodes.size()) &&
               kLZSSLengthCodes[code + 1].base <= v) {
            ++code;
        }
        codeOf[v] = static_cast<uint8_t>(code);
    }
    return codeOf;
}

constexpr std::array<uint8_t, 256> kLengthCodeOf = MakeLengthCodeOf();

}  // namespace

LZSSHuffmanWriter::LZSSHuffmanWriter(int windowClass, LZSSEncodeBuffer& out)
    : lowDistanceBits_(kLZSSWindowClasses[windowClass].lowDistanceBits),
      literals_(kLZSSLiteralSymbols),
      distances_(kLZSSWindowClasses[windowClass].highDistanceSymbols),
      out_(out) {}

void LZSSHuffmanWriter::Bits(uint32_t value, int count) {
    bits_ |= uint64_t{value} << bitCount_;
    bitCount_ += count;
    while (bitCount_ >= 16) {
        out_.Put16(static_cast<uint32_t>(bits_));
        bits_ >>= 16;
        bitCount_ -= 16;
    }
}

void LZSSHuffmanWriter::Symbol(AdaptiveHuffmanTree& tree, int symbol) {
    int length = 0;
    const uint32_t code = tree.Code(symbol, length);
    Bits(code, length);
    tree.Update(symbol);
}

void LZSSHuffmanWriter::Literals(const uint8_t* bytes, size_t count) {
    for (size_t i = 0; i < count && out_.CheckRoom(); ++i) Symbol(literals_, bytes[i]);
    out_.CheckRoom();
}

void LZSSHuffmanWriter::Match(int length, int distance) {
    const int value = length - kLZSSMinMatch;
    const int code = kLengthCodeOf[value];
    Symbol(literals_, kLZSSFirstLengthSymbol + code);
    Bits(static_cast<uint32_t>(value - kLZSSLengthCodes[code].base),
         kLZSSLengthCodes[code].extraBits);
    Symbol(distances_, distance >> lowDistanceBits_);
    Bits(static_cast<uint32_t>(distance) & ((1u << lowDistanceBits_) - 1), lowDistanceBits_);
    out_.CheckRoom();
}

void LZSSHuffmanWriter::Finish() {
    if (out_.Full()) return;
    int length = 0;
    const uint32_t code = literals_.Code(kLZSSEndSymbol, length);
    Bits(code, length);
    if (bitCount_ > 0) Bits(0, 16 - bitCount_);
    out_.CheckRoom();
}

}  // namespace Kiv
