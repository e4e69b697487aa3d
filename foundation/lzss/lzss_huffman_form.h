// The Huffman form of LZSS streams (levels 7-9): the same literals and matches as the
// flag-word form, coded with two adaptive Huffman trees (literals, length codes and the
// end symbol in one; the high part of distances in the other) in a bit stream packed
// least significant bit first and written 16 bits at a time, low byte first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "foundation/lzss/adaptive_huffman_tree.h"
#include "foundation/lzss/lzss_encode_buffer.h"
#include "foundation/lzss/lzss_match_finder.h"

namespace Kiv {

// A literal is its byte's symbol. A match is symbol 256 + length code and the code's extra
// bits, then distance >> low bits in the distance tree and the low bits raw. The end is
// symbol 272 followed by zero bits up to a multiple of 16. Each coded symbol except the
// end updates its tree right after it is coded.
class LZSSHuffmanWriter final : public LZSSItemSink {
public:
    LZSSHuffmanWriter(int windowClass, LZSSEncodeBuffer& out);

    void Literals(const uint8_t* bytes, size_t count) override;
    void Match(int length, int distance) override;
    bool Failed() const override { return out_.Full(); }
    // Codes the end symbol and pads the bit stream.
    void Finish();

private:
    void Bits(uint32_t value, int count);
    void Symbol(AdaptiveHuffmanTree& tree, int symbol);

    int lowDistanceBits_;
    AdaptiveHuffmanTree literals_;
    AdaptiveHuffmanTree distances_;
    LZSSEncodeBuffer& out_;
    uint64_t bits_ = 0;
    int bitCount_ = 0;
};

// Decodes the bit stream after the header byte up to the end symbol, into an
// LZSSDecodeOutput or an LZSSWindowOutput. False when the bits run out first, for the
// unused 274th leaf, a match reaching before the output, or output its object refuses
// (beyond its limit, or a failed write).
template <class Output>
bool DecodeLZSSHuffman(std::span<const uint8_t> bits, int windowClass, Output out);

}  // namespace Kiv
