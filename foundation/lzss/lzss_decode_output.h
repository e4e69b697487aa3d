// The decoders' output: the caller's vector, grown geometrically and never past the
// caller's limit. Matches are checked against the bytes written so far before anything is
// copied, so a hostile stream can neither read before the output nor grow it unbounded.
// Each decoder takes its output object by value and keeps it local, so the cursor stays in
// registers (stores of bytes could otherwise alias it and force a reload per byte).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace Kiv {

// Copies length bytes to `to` from distance bytes back; an overlapping copy repeats the
// pattern. With a distance of 16 or more, blocks of 16 are copied, up to 15 bytes past the
// end: the output keeps that much slack. Every block reads bytes already written.
[[gnu::always_inline]] inline void CopyLZSSMatch(uint8_t* to, size_t distance, size_t length) {
    const uint8_t* from = to - distance;
    if (distance >= 16) {
        for (size_t i = 0; i < length; i += 16) std::memcpy(to + i, from + i, 16);
    } else if (distance >= 8) {
        for (size_t i = 0; i < length; i += 8) std::memcpy(to + i, from + i, 8);
    } else if (distance == 1) {
        std::memset(to, *from, length);
    } else {
        for (size_t i = 0; i < length; ++i) to[i] = from[i];
    }
}

class LZSSDecodeOutput {
public:
    LZSSDecodeOutput(std::vector<uint8_t>& bytes, size_t limit, size_t sizeHint)
        : bytes_(bytes), limit_(limit) {
        bytes_.resize(std::min(sizeHint, limit_) + kSlack);
        Reload();
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
    [[gnu::always_inline]] bool Match(size_t distance, size_t length) {
        if (distance == 0 || distance > size_ || !Room(length)) return false;
        CopyLZSSMatch(data_ + size_, distance, length);
        size_ += length;
        return true;
    }

    // Trims the vector to the bytes written.
    bool Finish() {
        bytes_.resize(size_);
        return true;
    }

private:
    static constexpr size_t kSlack = 16;  // room for CopyLZSSMatch's last block

    bool Room(size_t count) {
        if (count <= capacity_ - size_) return true;
        if (!Grow(bytes_, size_ + count, limit_)) return false;
        Reload();
        return true;
    }

    void Reload() {
        data_ = bytes_.data();
        capacity_ = bytes_.size() - kSlack;
    }

    // Room for `needed` bytes plus the slack, doubling, never past limit + slack.
    [[gnu::noinline]] static bool Grow(std::vector<uint8_t>& bytes, size_t needed, size_t limit) {
        if (needed > limit) return false;
        const size_t wanted = std::max(bytes.size() * 2, needed + kSlack);
        bytes.resize(std::min(wanted, limit + kSlack));
        return true;
    }

    std::vector<uint8_t>& bytes_;
    uint8_t* data_ = nullptr;
    size_t size_ = 0;
    size_t capacity_ = 0;  // bytes the vector holds before its slack
    size_t limit_;
};

}  // namespace Kiv
