// The hash-chain match finder. Positions are kept relative to the span, in 16-bit table
// entries holding position + 1 (0 is empty, so sliding is a saturating subtraction that
// the compiler turns into vector code). Two chains link the positions: one by their first three bytes,
// one by their first kLongPrefix bytes. The walk starts on the first and, once the best
// match is kLongPrefix bytes long, goes on along the second: a candidate that does not
// share that many bytes cannot give a longer match, so the result is the one a walk of
// the three-byte chain alone finds, with far fewer candidates on repetitive data.
#include "foundation/lzss/lzss_match_finder.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "foundation/lzss/lzss_tables.h"

namespace Kiv {
namespace {

constexpr uint16_t kEmpty = 0;
constexpr size_t kMaxLiteralStretch = 258;
constexpr size_t kSpanTail = 258;
constexpr size_t kLongPrefix = 6;

// Hash bits: 9, 12 or 15 as the span is under 2000 bytes, up to 23999, or more.
int HashBits(size_t span) {
    if (span < 2000) return 9;
    if (span <= 23999) return 12;
    return 15;
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

// Up to eight bytes at p as a little-endian number; `left` bytes are readable.
uint64_t Word(const uint8_t* p, size_t left) {
    uint64_t word = 0;
    if (left >= 8) {
        std::memcpy(&word, p, 8);
        return word;
    }
    for (size_t i = 0; i < left; ++i) word |= uint64_t{p[i]} << (8 * i);
    return word;
}

constexpr uint64_t PrefixMask(size_t bytes) { return ~uint64_t{0} >> (64 - 8 * bytes); }

// Positions whose prefixes hash alike, newest first: a head per hash value and a link
// per span position, each the position + 1 or kEmpty.
struct HashChain {
    HashChain(int bits, size_t span)
        : heads(size_t{1} << bits, kEmpty), next(span, kEmpty), shift(64 - bits) {}

    // Chains the position; returns the previous entry of its hash.
    uint16_t Insert(size_t pos, uint64_t prefix) {
        const size_t h = static_cast<size_t>((prefix * 0x9E3779B97F4A7C15ULL) >> shift);
        const uint16_t old = heads[h];
        next[pos] = old;
        heads[h] = static_cast<uint16_t>(pos + 1);
        return old;
    }

    // The span moved d bytes on: entries that would point before it become empty, and
    // the links of the new end are emptied.
    void Slide(size_t d) {
        const auto shifted = [d](uint16_t entry) {
            return static_cast<uint16_t>(entry > d ? entry - d : kEmpty);
        };
        for (uint16_t& head : heads) head = shifted(head);
        for (size_t i = 0; i + d < next.size(); ++i) next[i] = shifted(next[i + d]);
        std::fill(next.end() - static_cast<ptrdiff_t>(d), next.end(), kEmpty);
    }

    std::vector<uint16_t> heads;
    std::vector<uint16_t> next;
    int shift;
};

class MatchFinder {
public:
    MatchFinder(std::span<const uint8_t> input, int distanceBits, int niceLength,
                LZSSItemSink& sink)
        : input_(input.data()),
          size_(input.size()),
          window_(size_t{1} << distanceBits),
          nice_(static_cast<size_t>(niceLength)),
          spanLength_(std::min(size_, 2 * window_ + kSpanTail)),
          triples_(HashBits(spanLength_), spanLength_),
          longs_(HashBits(spanLength_), spanLength_),
          sink_(sink) {}

    void Run();

private:
    const uint8_t* Span() const { return input_ + base_; }
    uint16_t Insert(size_t pos);
    size_t Search(size_t pos, uint16_t entry, size_t& matchPos) const;
    size_t SendMatch(size_t length, size_t distance);
    void Slide(size_t pos);
    void AddLiteral(size_t at);
    void FlushLiterals();

    const uint8_t* input_;
    size_t size_;
    size_t window_;
    size_t nice_;
    size_t spanLength_;
    HashChain triples_;
    HashChain longs_;
    LZSSItemSink& sink_;
    size_t base_ = 0;  // input offset of the span
    size_t literalStart_ = 0;
    size_t literalCount_ = 0;
};

void MatchFinder::Run() {
    size_t pos = 0;
    while (base_ + pos < size_) {
        const size_t left = size_ - (base_ + pos);
        // Checked at the last two positions too, so no stretch passes 258 literals.
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
        const uint16_t entry = Insert(pos);  // the newest earlier position + 1, or empty
        size_t matchPos = 0;
        const bool near = entry != kEmpty && entry - 1u + window_ > pos;
        const size_t length = near ? Search(pos, entry, matchPos) : 0;
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

// Chains the position by its three bytes (and by its first kLongPrefix bytes when that
// many are left); returns the previous entry with the same three-byte hash.
inline uint16_t MatchFinder::Insert(size_t pos) {
    const size_t left = size_ - (base_ + pos);
    const uint64_t word = Word(Span() + pos, left);
    if (left >= kLongPrefix) longs_.Insert(pos, word & PrefixMask(kLongPrefix));
    return triples_.Insert(pos, word & PrefixMask(3));
}

// The longest match along the chains (the comparison runs to the end of the input or the
// span; the nice length only ends the walk); of equally long matches the newest. Returns
// 2 or less when there is none.
size_t MatchFinder::Search(size_t pos, uint16_t entry, size_t& matchPos) const {
    const uint8_t* span = Span();
    const uint8_t* current = span + pos;
    const size_t longest = std::min(size_ - (base_ + pos), spanLength_ - pos);
    const size_t enough = std::min(nice_, longest);
    const uint16_t* links = triples_.next.data();
    size_t best = 2;
    for (uint16_t next = entry; next != kEmpty; next = links[next - 1]) {
        const size_t c = next - 1u;
        if (c + window_ <= pos) break;
        const uint8_t* other = span + c;
        if (other[best] != current[best] || other[0] != current[0] ||
            other[1] != current[1] || other[2] != current[2]) {
            continue;
        }
        const size_t length = MatchEnd(other, current, 3, longest);
        if (length <= best) continue;
        best = length;
        matchPos = c;
        if (best >= enough) break;
        if (best >= kLongPrefix) links = longs_.next.data();
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

// Moves the span on so that `pos` becomes `window_`.
void MatchFinder::Slide(size_t pos) {
    const size_t d = pos - window_;
    base_ += d;
    triples_.Slide(d);
    longs_.Slide(d);
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
