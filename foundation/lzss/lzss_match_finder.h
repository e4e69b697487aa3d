// The LZSS encoder's hash-chain match finder. It walks the input once, chaining every
// position by its next bytes, and hands literal stretches (at most 258 bytes) and matches
// (3 to 258 bytes, distance below the window) to a coding form; of the longest matches it
// takes the newest. Memory stays proportional to the window: the tables cover a span of
// 2 x window + 258 bytes that slides on by one window.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace Kiv {

// The receiver of the finder's items, in input order.
class LZSSItemSink {
public:
    virtual ~LZSSItemSink() = default;
    virtual void Literals(const uint8_t* bytes, size_t count) = 0;
    virtual void Match(int length, int distance) = 0;
    // True once the sink has given up (its output is full); the finder then stops.
    virtual bool Failed() const = 0;
};

// Finds the matches of the whole input and hands every byte to the sink, as a literal or
// inside a match.
void FindLZSSMatches(std::span<const uint8_t> input, int distanceBits, int niceLength,
                     LZSSItemSink& sink);

}  // namespace Kiv
