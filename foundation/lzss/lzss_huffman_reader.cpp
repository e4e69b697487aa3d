// Reader of the Huffman form: walks each tree from the root one bit at a time and updates
// it exactly as the writer did. Every bit is taken from the input through one reader that
// fails, instead of inventing bits, when the input is used up.
#include <cstring>

#include "foundation/lzss/lzss_huffman_form.h"
#include "foundation/lzss/lzss_tables.h"

namespace Kiv {
namespace {

class BitReader {
public:
    explicit BitReader(std::span<const uint8_t> bytes)
        : in_(bytes.data()), end_(bytes.data() + bytes.size()) {}

    bool Bit(uint32_t& bit) {
        if (count_ == 0 && !Fill(1)) return false;
        bit = static_cast<uint32_t>(bits_ & 1);
        bits_ >>= 1;
        --count_;
        return true;
    }

    bool Bits(int count, uint32_t& value) {
        if (count_ < count && !Fill(count)) return false;
        value = static_cast<uint32_t>(bits_ & ((uint64_t{1} << count) - 1));
        bits_ >>= count;
        count_ -= count;
        return true;
    }

private:
    // At least `count` (at most 56) bits pending, or false when the input ends first.
    bool Fill(int count) {
        if (end_ - in_ >= 8) {
            uint64_t word;
            std::memcpy(&word, in_, 8);
            bits_ |= word << count_;
            in_ += (63 - count_) >> 3;
            count_ |= 56;
            return true;
        }
        while (count_ < count && in_ != end_) {
            bits_ |= uint64_t{*in_++} << count_;
            count_ += 8;
        }
        return count_ >= count;
    }

    const uint8_t* in_;
    const uint8_t* end_;
    uint64_t bits_ = 0;
    int count_ = 0;
};

bool DecodeSymbol(const AdaptiveHuffmanTree& tree, BitReader& reader, int& symbol) {
    int node = tree.Root();
    while (!tree.IsLeaf(node)) {
        uint32_t bit;
        if (!reader.Bit(bit)) return false;
        node = tree.Child(node) + static_cast<int>(bit);
    }
    symbol = tree.Child(node) & ~AdaptiveHuffmanTree::kLeafBit;
    return true;
}

}  // namespace

bool DecodeLZSSHuffman(std::span<const uint8_t> bits, int windowClass, LZSSDecodeOutput& out) {
    const LZSSWindowClass& window = kLZSSWindowClasses[windowClass];
    AdaptiveHuffmanTree literals(kLZSSLiteralSymbols);
    AdaptiveHuffmanTree distances(window.highDistanceSymbols);
    BitReader reader(bits);
    for (;;) {
        int symbol;
        if (!DecodeSymbol(literals, reader, symbol)) return false;
        if (symbol == kLZSSEndSymbol) return true;
        if (symbol > kLZSSEndSymbol) return false;
        literals.Update(symbol);
        if (symbol < kLZSSFirstLengthSymbol) {
            if (!out.Literal(static_cast<uint8_t>(symbol))) return false;
            continue;
        }
        const LZSSLengthCode& code = kLZSSLengthCodes[symbol - kLZSSFirstLengthSymbol];
        uint32_t extra, low;
        int high;
        if (!reader.Bits(code.extraBits, extra)) return false;
        if (!DecodeSymbol(distances, reader, high)) return false;
        distances.Update(high);
        if (!reader.Bits(window.lowDistanceBits, low)) return false;
        const size_t distance = static_cast<size_t>(high) << window.lowDistanceBits | low;
        if (!out.Match(distance, code.base + extra + kLZSSMinMatch)) return false;
    }
}

}  // namespace Kiv
