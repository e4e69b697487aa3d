// Reader of the Huffman form: walks each tree from the root and updates it exactly as the
// writer did, along the path just walked. Every bit is taken from the input through one
// reader that fails, instead of inventing bits, when the input is used up.
#include <cstring>

#include "foundation/lzss/lzss_decode_output.h"
#include "foundation/lzss/lzss_huffman_form.h"
#include "foundation/lzss/lzss_tables.h"
#include "foundation/lzss/lzss_window_output.h"

namespace Kiv {
namespace {

class BitReader {
public:
    explicit BitReader(std::span<const uint8_t> bytes)
        : in_(bytes.data()), end_(bytes.data() + bytes.size()) {}

    bool Bits(int count, uint32_t& value) {
        if (count_ < count && !Fill(count)) return false;
        value = static_cast<uint32_t>(bits_ & ((uint64_t{1} << count) - 1));
        bits_ >>= count;
        count_ -= count;
        return true;
    }

    // Tops the pending bits up to at least 32 (56 at most) where the input allows.
    void Prefetch() {
        if (count_ < 32) Fill(32);
    }
    uint64_t Pending() const { return bits_; }  // bits past the input's end are zero
    int Count() const { return count_; }
    void Skip(int count) {
        bits_ >>= count;
        count_ -= count;
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

// The next symbol of the tree and the path to its leaf. A code is shorter than 32 bits,
// so the walk reads the pending bits without a check each; a code longer than what was
// left of the input fails.
[[gnu::always_inline]] inline bool NextSymbol(const AdaptiveHuffmanTree& tree,
                                              BitReader& reader, AdaptiveHuffmanTree::Path& path,
                                              int& symbol) {
    reader.Prefetch();
    symbol = tree.Walk(reader.Pending(), path);
    if (path.length > reader.Count()) return false;
    reader.Skip(path.length);
    return true;
}

}  // namespace

template <class Output>
bool DecodeLZSSHuffman(std::span<const uint8_t> bits, int windowClass, Output out) {
    const LZSSWindowClass& window = kLZSSWindowClasses[windowClass];
    AdaptiveHuffmanTree literals(kLZSSLiteralSymbols);
    AdaptiveHuffmanTree distances(window.highDistanceSymbols);
    BitReader reader(bits);
    AdaptiveHuffmanTree::Path path;
    for (;;) {
        int symbol;
        if (!NextSymbol(literals, reader, path, symbol)) return false;
        if (symbol == kLZSSEndSymbol) return out.Finish();
        if (symbol > kLZSSEndSymbol) return false;
        literals.UpdateAlong(path);
        if (symbol < kLZSSFirstLengthSymbol) {
            if (!out.Literal(static_cast<uint8_t>(symbol))) return false;
            continue;
        }
        const LZSSLengthCode& code = kLZSSLengthCodes[symbol - kLZSSFirstLengthSymbol];
        uint32_t extra, low;
        int high;
        if (!reader.Bits(code.extraBits, extra)) return false;
        if (!NextSymbol(distances, reader, path, high)) return false;
        distances.UpdateAlong(path);
        if (!reader.Bits(window.lowDistanceBits, low)) return false;
        const size_t distance = static_cast<size_t>(high) << window.lowDistanceBits | low;
        if (!out.Match(distance, code.base + extra + kLZSSMinMatch)) return false;
    }
}

template bool DecodeLZSSHuffman(std::span<const uint8_t>, int, LZSSDecodeOutput);
template bool DecodeLZSSHuffman(std::span<const uint8_t>, int, LZSSWindowOutput);

}  // namespace Kiv
