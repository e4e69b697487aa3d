// The hash-chain match finder. Positions are kept relative to the span (16-bit table
// entries, 0xFFFF empty); the hash of a position mixes its three bytes in 3 x shift bits,
// so two positions on one chain that agree in their first two bytes agree in the third
// too, and candidates are compared from the fourth byte on.
#include "foundation/lzss/lzss_match_finder.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "foundation/lzss/lzss_tables.h"

namespace Kiv {
namespace {

constexpr uint16_t kEmpty = 0xFFFF;
constexpr size_t kMaxLiteralStretch = 258;
constexpr size_t kSpanTail = 258;

int HashShift(size_t span) {
    if (span < 2000) return 3;
    if (span <= 23999) return 4;
    return 5;
}

// Bytes a and b agree in [from, limit): the first place they differ, else limit.
size_t MatchEnd(const uint8_t* a, const uint8_t* b, size_t from, size_t limit) {
    size_t i = from;
    while (i + 8 <= limit) {
        uint64_t x, y;
        std::memcpy(&x, a + i, 8);
        std::memcpy(&y, b + i, 8);
        if (x != y) return i + (__builtin_ctzll(x ^ y) >> 3);
        i += 8;
    }
    while (i < limit && a[i] == b[i]) ++i;
    return i;
}

class MatchFinder {
public:
    MatchFinder(std::span<const uint8_t> input, int distanceBits, int niceLength,
                LZSSItemSink& sink)
        : input_(input.data()),
          size_(input.size()),
          window_(size_t{1} << distanceBits),
          nice_(static_cast<size_t>(niceLength)),
          spanLength_(std::min(size_, 2 * window_ + kSpanTail)),
          shift_(HashShift(spanLength_)),
          mask_((1u << (3 * shift_)) - 1),
          heads_(size_t{1} << (3 * shift_), kEmpty),
          chain_(spanLength_, kEmpty),
          sink_(sink) {}

    void Run();

private:
    const uint8_t* Span() const { return input_ + base_; }
    uint16_t Insert(size_t pos);
    size_t Search(size_t pos, uint16_t candidate, size_t& matchPos) const;
    size_t SendMatch(size_t length, size_t distance);
    void Slide(size_t pos);
    void AddLiteral(size_t at);
    void FlushLiterals();

    const uint8_t* input_;
    size_t size_;
    size_t window_;
    size_t nice_;
    size_t spanLength_;
    int shift_;
    uint32_t mask_;
    std::vector<uint16_t> heads_;
    std::vector<uint16_t> chain_;
    LZSSItemSink& sink_;
    size_t base_ = 0;  // input offset of the span
    uint32_t hash_ = 0;
    size_t literalStart_ = 0;
    size_t literalCount_ = 0;
};

void MatchFinder::Run() {
    hash_ = ((uint32_t{input_[0]} << shift_) ^ input_[1]) & mask_;
    size_t pos = 0;
    while (base_ + pos < size_) {
        const size_t left = size_ - (base_ + pos);
        if (literalCount_ >= kMaxLiteralStretch) {
            FlushLiterals();
            if (sink_.Failed()) return;
        }
        if (left <= 2) {
            AddLiteral(base_ + pos++);
            continue;
        }
        if (pos >= 2 * window_) {
            Slide(pos);
            pos = window_;
        }
        const uint16_t candidate = Insert(pos);
        size_t matchPos = 0;
        const bool near = candidate != kEmpty && candidate + window_ > pos;
        const size_t length = near ? Search(pos, candidate, matchPos) : 0;
        if (length < kLZSSMinMatch) {
            AddLiteral(base_ + pos++);
            continue;
        }
        FlushLiterals();
        const size_t sent = SendMatch(length, pos - matchPos);
        if (sink_.Failed()) return;
        for (size_t i = 1; i < sent && size_ - (base_ + pos + i) > 2; ++i) Insert(pos + i);
        pos += sent;
    }
    FlushLiterals();
}

// Chains the position under the hash of its three bytes; returns the previous head.
uint16_t MatchFinder::Insert(size_t pos) {
    hash_ = ((hash_ << shift_) ^ Span()[pos + 2]) & mask_;
    const uint16_t old = heads_[hash_];
    chain_[pos] = old;
    heads_[hash_] = static_cast<uint16_t>(pos);
    return old;
}

// The longest match along the chain (the comparison runs to the end of the input or the
// span; the nice length only ends the walk). Returns 2 or less when there is none.
size_t MatchFinder::Search(size_t pos, uint16_t candidate, size_t& matchPos) const {
    const uint8_t* span = Span();
    const uint8_t* current = span + pos;
    const size_t longest = std::min(size_ - (base_ + pos), spanLength_ - pos);
    const size_t enough = std::min(nice_, longest);
    size_t best = 2;
    for (size_t c = candidate; c != kEmpty && c + window_ > pos; c = chain_[c]) {
        const uint8_t* other = span + c;
        if (other[0] != current[0] || other[best] != current[best] || other[1] != current[1]) {
            continue;
        }
        const size_t length = MatchEnd(other, current, 3, longest);
        if (length <= best) continue;
        best = length;
        matchPos = c;
        if (best >= enough) break;
    }
    return best;
}

// Sends a match as pieces of at most 258 bytes; a tail under 3 bytes is left to be coded
// afresh. Returns the bytes sent.
size_t MatchFinder::SendMatch(size_t length, size_t distance) {
    size_t sent = 0;
    while (length - sent >= kLZSSMinMatch) {
        const size_t piece = std::min(length - sent, size_t{kLZSSMaxMatch});
        sink_.Match(static_cast<int>(piece), static_cast<int>(distance));
        sent += piece;
    }
    return sent;
}

// Moves the span on so that `pos` becomes `window_`; table entries that would point
// before the new span become empty.
void MatchFinder::Slide(size_t pos) {
    const size_t d = pos - window_;
    base_ += d;
    const auto shifted = [d](uint16_t entry) {
        return entry == kEmpty || entry < d ? kEmpty : static_cast<uint16_t>(entry - d);
    };
    for (uint16_t& head : heads_) head = shifted(head);
    for (size_t i = 0; i + d < spanLength_; ++i) chain_[i] = shifted(chain_[i + d]);
    std::fill(chain_.end() - static_cast<ptrdiff_t>(d), chain_.end(), kEmpty);
}

void MatchFinder::AddLiteral(size_t at) {
    if (literalCount_ == 0) literalStart_ = at;
    ++literalCount_;
}

void MatchFinder::FlushLiterals() {
    if (literalCount_ == 0) return;
    sink_.Literals(input_ + literalStart_, literalCount_);
    literalCount_ = 0;
}

}  // namespace

void FindLZSSMatches(std::span<const uint8_t> input, int distanceBits, int niceLength,
                     LZSSItemSink& sink) {
    if (input.size() < 3) {
        if (!input.empty()) sink.Literals(input.data(), input.size());
        return;
    }
    MatchFinder(input, distanceBits, niceLength, sink).Run();
}

}  // namespace Kiv
