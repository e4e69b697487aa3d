// The decoders' output: the caller's vector, grown geometrically and never past the
// caller's limit. Matches are checked against the bytes written so far before anything is
// copied, so a hostile stream can neither read before the output nor grow it unbounded.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace Kiv {

class LZSSDecodeOutput {
public:
    LZSSDecodeOutput(std::vector<uint8_t>& bytes, size_t limit, size_t sizeHint)
        : bytes_(bytes), limit_(limit) {
        bytes_.resize(std::min(sizeHint, limit_) + kSlack);
        data_ = bytes_.data();
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

    // Copies length bytes from distance bytes back; an overlapping copy repeats the
    // pattern. Fails for a distance of 0 or beyond the bytes written.
    bool Match(size_t distance, size_t length) {
        if (distance == 0 || distance > size_ || !Room(length)) return false;
        uint8_t* to = data_ + size_;
        const uint8_t* from = to - distance;
        if (distance >= 8) {
            // Whole words, up to 7 bytes past the end (inside the slack); with a distance
            // of 8 or more every word reads bytes already written.
            for (size_t i = 0; i < length; i += 8) std::memcpy(to + i, from + i, 8);
        } else if (distance == 1) {
            std::memset(to, *from, length);
        } else {
            for (size_t i = 0; i < length; ++i) to[i] = from[i];
        }
        size_ += length;
        return true;
    }

    void Finish() { bytes_.resize(size_); }

private:
    static constexpr size_t kSlack = 16;

    bool Room(size_t count) { return size_ + count + kSlack <= bytes_.size() || Grow(count); }

    bool Grow(size_t count) {
        if (count > limit_ - size_) return false;
        const size_t wanted = std::max(bytes_.size() * 2, size_ + count + kSlack);
        bytes_.resize(std::min(wanted, limit_ + kSlack));
        data_ = bytes_.data();
        return true;
    }

    std::vector<uint8_t>& bytes_;
    uint8_t* data_;
    size_t size_ = 0;
    size_t limit_;
};

}  // namespace Kiv
