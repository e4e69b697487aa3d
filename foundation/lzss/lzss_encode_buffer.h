// The encoder's output: a byte buffer with a limit (the stored form's size), allocated
// once with some slack so that writers put bytes without a check each and look at the
// limit after every item. Past the limit the buffer is full and the encoder falls back
// to the stored form.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace Kiv {

class LZSSEncodeBuffer {
public:
    // More than any one item writes between two checks (a run of 258 literals with its
    // flags, or one Huffman code of at most 32 bits with its extra bits).
    static constexpr size_t kSlack = 1024;

    explicit LZSSEncodeBuffer(size_t limit) : bytes_(limit + kSlack), limit_(limit) {}

    void Put(uint8_t byte) { bytes_[size_++] = byte; }
    void Put16(uint32_t value) {
        Put(static_cast<uint8_t>(value));
        Put(static_cast<uint8_t>(value >> 8));
    }
    void PutBytes(const uint8_t* bytes, size_t count) {
        std::memcpy(bytes_.data() + size_, bytes, count);
        size_ += count;
    }
    void Put32At(size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i) bytes_[at + i] = static_cast<uint8_t>(value >> (8 * i));
    }
    size_t Size() const { return size_; }
    void Truncate(size_t size) { size_ = size; }

    // Called after each item; once past the limit the buffer stays full.
    bool CheckRoom() {
        if (size_ > limit_) full_ = true;
        return !full_;
    }
    bool Full() const { return full_; }

    std::vector<uint8_t> Take() {
        bytes_.resize(size_);
        return std::move(bytes_);
    }

private:
    std::vector<uint8_t> bytes_;
    size_t limit_;
    size_t size_ = 0;
    bool full_ = false;
};

}  // namespace Kiv
