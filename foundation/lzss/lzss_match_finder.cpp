// The hash-chain match finder. Positions are kept relative to the span, in 16-bit table
// entries holding position + 1 (0 is empty, so sliding is a saturating subtraction that
// the compiler turns into vector code). Two chains link the positions: one by their first
// three bytes, one by their first kLongPrefix bytes. The result is the one a walk of the
// three-byte chain alone finds: the newest candidate of at least the nice length, else the
// newest of the longest. Every candidate that shares kLongPrefix bytes is on the second
// chain, so that chain is walked first, and the three-byte chain only when it held no
// match of that length; that walk ends at the first match of kLongPrefix - 1 bytes, the
// longest it can find. Text and repetitive data thus skip the many short candidates that
// lie before a long one.
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

// Hash bits: 9, 12, 14 or 15 as the span is under 2000 bytes, under 8000, up to 23999, or
// more. The bits change nothing in the result (a chain holds every earlier position of its
// prefix, with others that only hash alike); more of them keep fewer of those others, at
// the cost of larger tables to clear and slide.
int HashBits(size_t span) {
    if (span < 2000) return 9;
    if (span < 8000) return 12;
    if (span <= 23999) return 14;
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
        const auto by = static_cast<uint16_t>(d);  // below the span's length, so it fits
        Shift(heads.data(), heads.data(), heads.size(), by);
        Shift(next.data(), next.data() + d, next.size() - d, by);
        std::fill(next.end() - static_cast<ptrdiff_t>(d), next.end(), kEmpty);
    }

    static uint16_t Shifted(uint16_t entry, uint16_t by) {
        return static_cast<uint16_t>(entry > by ? entry - by : kEmpty);
    }

    // to[i] = Shifted(from[i]), in place or moving down: blocks of a fixed count through a
    // buffer, which the compiler turns into saturating vector subtractions.
    static void Shift(uint16_t* to, const uint16_t* from, size_t count, uint16_t by) {
        constexpr size_t kBlock = 32;
        size_t i = 0;
        for (; i + kBlock <= count; i += kBlock) {
            uint16_t block[kBlock];
            for (size_t j = 0; j < kBlock; ++j) block[j] = Shifted(from[i + j], by);
            std::memcpy(to + i, block, sizeof block);
        }
        for (; i < count; ++i) to[i] = Shifted(from[i], by);
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
    // The newest earlier positions of the two chains (each + 1, or kEmpty).
    struct Entries {
        uint16_t triple = kEmpty;
        uint16_t longer = kEmpty;
    };
    Entries Insert(size_t pos);
    size_t Search(size_t pos, const Entries& entries, size_t& matchPos) const;
    size_t Walk(size_t pos, uint16_t entry, const uint16_t* links, size_t best, size_t most,
                size_t& matchPos) const;
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
        const Entries entries = Insert(pos);
        const uint16_t entry = entries.triple;
        size_t matchPos = 0;
        const bool near = entry != kEmpty && entry - 1u + window_ > pos;
        const size_t length = near ? Search(pos, entries, matchPos) : 0;
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
// many are left); returns the previous entry of each chain with the same hash (empty
// where the position was not chained).
inline MatchFinder::Entries MatchFinder::Insert(size_t pos) {
    const size_t left = size_ - (base_ + pos);
    const uint64_t word = Word(Span() + pos, left);
    Entries entries;
    if (left >= kLongPrefix) entries.longer = longs_.Insert(pos, word & PrefixMask(kLongPrefix));
    entries.triple = triples_.Insert(pos, word & PrefixMask(3));
    return entries;
}

// The longest match along the chains (the comparison runs to the end of the input or the
// span; the nice length only ends the walk); of equally long matches the newest. Returns
// 2 or less when there is none.
size_t MatchFinder::Search(size_t pos, const Entries& entries, size_t& matchPos) const {
    const size_t longest = std::min(size_ - (base_ + pos), spanLength_ - pos);
    // A nice length below kLongPrefix takes the newest match of that length, short or long.
    if (nice_ < kLongPrefix) return Walk(pos, entries.triple, triples_.next.data(), 2, longest, matchPos);
    if (entries.longer != kEmpty && longest >= kLongPrefix) {
        const size_t best =
            Walk(pos, entries.longer, longs_.next.data(), kLongPrefix - 1, longest, matchPos);
        if (best >= kLongPrefix) return best;
    }
    return Walk(pos, entries.triple, triples_.next.data(), 2, std::min(longest, kLongPrefix - 1),
                matchPos);
}

// Walks one chain from entry for matches longer than best; a match of `most` bytes (or of
// the nice length) ends the walk.
size_t MatchFinder::Walk(size_t pos, uint16_t entry, const uint16_t* links, size_t best,
                         size_t most, size_t& matchPos) const {
    const uint8_t* span = Span();
    const uint8_t* current = span + pos;
    const size_t longest = std::min(size_ - (base_ + pos), spanLength_ - pos);
    const size_t enough = std::min(nice_, most);
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
