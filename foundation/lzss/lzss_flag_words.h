// The flag-word form of LZSS streams (levels 1-6): blocks of a 32-bit little-endian flag
// word followed by the bytes of the items whose flags it holds. An item's flags may
// straddle two words: both sides are lazy, the writer starts a new block only when a 33rd
// flag arrives and the reader fetches a word only when it needs the next flag. So the
// bytes of an item always follow the word that holds its last flag, also when that flag
// is bit 31 of a word.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "foundation/lzss/lzss_encode_buffer.h"
#include "foundation/lzss/lzss_match_finder.h"

namespace Kiv {

// Items by window class:
//   class 0:    literal 0 + byte; match 1 + 3 flags of length - 3 (low bit first), where
//               all ones means a byte length - 3 follows, then a byte distance.
//   class 1, 2: literal 0 0 + byte; run of 6-258 literals 0 1 + byte n - 3 + the bytes;
//               match 1 + 16-bit distance | (length - 3) << distance bits, where a field of
//               all ones means a byte length - 3 follows.
// The length field escapes whenever length - 3 is its all-ones value or more, so the
// value all ones itself also goes out as the extra byte.
class LZSSFlagWordWriter final : public LZSSItemSink {
public:
    LZSSFlagWordWriter(int windowClass, LZSSEncodeBuffer& out);

    void Literals(const uint8_t* bytes, size_t count) override;
    void Match(int length, int distance) override;
    bool Failed() const override { return out_.Full(); }
    // Writes the last block when it holds any flag.
    void Finish();

private:
    void Flag(uint32_t bit);
    void StartBlock();

    int windowClass_;
    int distanceBits_;
    uint32_t lengthField_;  // all-ones value of the length field (classes 1 and 2)
    LZSSEncodeBuffer& out_;
    size_t flagWordAt_ = 0;
    uint32_t flags_ = 0;
    int flagCount_ = 0;
};

// Decodes the items after the header byte until the input ends, into an LZSSDecodeOutput
// or an LZSSWindowOutput. False for an item cut short, a match reaching before the output,
// or output its object refuses (beyond its limit, or a failed write).
template <class Output>
bool DecodeLZSSFlagWords(std::span<const uint8_t> items, int windowClass, Output out);

}  // namespace Kiv
