// Kiv::LZSSCompress: the block codec of archive file entries and protected script files.
// A stream is one header byte (window class << 4 | level) and then the stored bytes
// (level 0), the flag-word form (levels 1-6) or the Huffman form (levels 7-9). Streams
// carry no length: the flag-word form ends with the input, the Huffman form at its end
// symbol. Streams are whole blocks in memory; decoded data goes to a block, or to an
// IOSlave (a file) through a buffer of the window's size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace Kiv {

class IOSlave;

class LZSSCompress {
public:
    static constexpr int kDefaultLevel = 5;
    // The largest block the program hands around (a blob's signed 32-bit length): the
    // default bound of a decoded block.
    static constexpr size_t kMaxBlock = 0x7FFFFFFF;

    int Level() const { return level_; }
    void SetLevel(int level) { level_ = level; }

    // A complete stream of the input at the object's level.
    std::vector<uint8_t> Compress(std::span<const uint8_t> input) const {
        return Compress(input, level_);
    }
    // A complete stream of the input. Levels above 9 count as 9, below 0 as 0. The result
    // is never longer than the stored form (input size + 1): when the coded form would be,
    // the stored form is written instead.
    std::vector<uint8_t> Compress(std::span<const uint8_t> input, int level) const;

    // Decodes a whole stream into output. False, with output empty, for a damaged stream:
    // no header, a class or level that does not exist, an item or bit stream cut short,
    // a match reaching before the start, or more than maxOutput bytes of output. A stream
    // that decodes to no bytes gives an empty output and true.
    bool Decompress(std::span<const uint8_t> stream, std::vector<uint8_t>& output,
                    size_t maxOutput = kMaxBlock) const;

    // Decodes a whole stream to the output's write cursor, holding only the window's
    // history and one chunk of decoded bytes (kLZSSOutputChunk) in memory, whatever the
    // stream decodes to. False for a damaged stream as above, more than maxOutput bytes of
    // output, or a write the output refuses (an IOSlaveFile reports late write failures at
    // its Flush); the bytes decoded before a failure may have reached the output.
    bool Decompress(std::span<const uint8_t> stream, IOSlave& output,
                    size_t maxOutput = kMaxBlock) const;

    // The same through the engine's byte slaves: `size` bytes from the input's read cursor
    // to the output's write cursor. False also when the input holds fewer bytes or the
    // output refuses any (an IOSlaveFile reports late write failures at its Flush).
    bool Compress(IOSlave& output, IOSlave& input, size_t size, int level) const;
    bool Decompress(IOSlave& output, IOSlave& input, size_t size) const;

private:
    int level_ = kDefaultLevel;
};

}  // namespace Kiv
