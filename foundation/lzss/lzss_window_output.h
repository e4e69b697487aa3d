// The decoders' output when the decoded bytes go to an IOSlave instead of one block: a
// buffer of the window's history plus one chunk, emptied into the slave whenever an item
// no longer fits, so memory stays proportional to the window whatever the stream decodes
// to. Matches are checked against the bytes decoded so far exactly as in memory (a
// distance never exceeds the window, and the history kept is the whole window), and the
// total stays within the caller's limit. Same interface as LZSSDecodeOutput, so the
// decoders take either.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/io_slave.h"
#include "foundation/lzss/lzss_decode_output.h"

namespace Kiv {

// Decoded bytes handed to the slave at once: at most this many while decoding, at most
// this plus the window at the end.
inline constexpr size_t kLZSSOutputChunk = 32 * 1024;

class LZSSWindowOutput {
public:
    // buffer is the caller's scratch block, sized here; it outlives every copy of this
    // object, which the decoders keep locally.
    LZSSWindowOutput(IOSlave& sink, std::vector<uint8_t>& buffer, size_t window, size_t limit)
        : sink_(&sink), window_(window), limit_(limit) {
        buffer.resize(window + kLZSSOutputChunk + kSlack);
        data_ = buffer.data();
        room_ = buffer.size() - kSlack;
        SetCapacity();
    }

    bool Literal(uint8_t byte) {
        if (!Room(1)) return false;
        data_[size_++] = byte;
        return true;
    }

    bool Literals(const uint8_t* bytes, size_t count) {
        if (!Room(count)) return false;
        std::memcpy(data_ + size_, bytes, count);
        size_ += count;
        return true;
    }

    // As LZSSDecodeOutput::Match, over the history in the buffer. The distance is checked
    // after the room is made, against the history that remains.
    [[gnu::always_inline]] bool Match(size_t distance, size_t length) {
        if (distance == 0 || !Room(length) || distance > size_) return false;
        CopyLZSSMatch(data_ + size_, distance, length);
        size_ += length;
        return true;
    }

    // Hands the bytes still held to the slave; false when it refuses any.
    bool Finish() { return Hand(size_); }

private:
    static constexpr size_t kSlack = 16;  // room for CopyLZSSMatch's last block

    bool Room(size_t count) { return count <= capacity_ - size_ || Drain(count); }

    // Hands all but the window's history to the slave and moves the history to the front.
    [[gnu::noinline]] bool Drain(size_t count) {
        const size_t keep = std::min(size_, window_);
        if (!Hand(size_ - keep)) return false;
        std::memmove(data_, data_ + size_ - keep, keep);
        size_ = keep;
        SetCapacity();
        return count <= capacity_ - size_;
    }

    bool Hand(size_t count) {
        if (count != 0 && sink_->Write(data_, count) != count) return false;
        handed_ += count;
        return true;
    }

    // The buffer's room, less what would pass the limit.
    void SetCapacity() { capacity_ = std::min(room_, limit_ - handed_); }

    IOSlave* sink_;
    uint8_t* data_ = nullptr;
    size_t size_ = 0;       // bytes in the buffer, history first
    size_t capacity_ = 0;   // bytes the buffer may hold now
    size_t room_ = 0;       // bytes the buffer holds before its slack
    size_t handed_ = 0;     // bytes given to the slave so far
    size_t window_;
    size_t limit_;
};

}  // namespace Kiv
