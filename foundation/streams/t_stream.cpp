// TStream buffering, positions, placeholders and the typed values. The buffer always holds
// the bytes just before the underlying position: [0, cursor) were consumed (the look-behind)
// and [cursor, cursor + count) are the read-ahead. Every write and every seek empties it,
// so that mapping never goes stale.
#include "foundation/streams/t_stream.h"

#include <algorithm>
#include <bit>

#include "foundation/streams/little_endian.h"

size_t TStream::BufferedRead(void* destination, size_t n) {
    auto* out = static_cast<uint8_t*>(destination);
    if (n <= static_cast<size_t>(count_)) return TakeFromBuffer(out, n);
    size_t copied = TakeFromBuffer(out, static_cast<size_t>(count_));
    n -= copied;
    if (n >= kDirectRead) {
        size_t got = Read(out + copied, n);
        EmptyBuffer();
        return copied + std::min(got, n);
    }
    Refill();
    return copied + TakeFromBuffer(out + copied, std::min(n, static_cast<size_t>(count_)));
}

void TStream::Refill() {
    int32_t keep = std::min(cursor_, kLookBehind);
    std::memmove(buffer_, buffer_ + cursor_ - keep, static_cast<size_t>(keep));
    size_t room = static_cast<size_t>(kBufferSize - keep);
    size_t got = std::min(Read(buffer_ + keep, room), room);
    cursor_ = keep;
    count_ = static_cast<int32_t>(got);
}

bool TStream::ReadValue(uint8_t* bytes, size_t n) {
    if (n <= static_cast<size_t>(count_)) return TakeFromBuffer(bytes, n) == n;
    return BufferedRead(bytes, n) == n;
}

bool TStream::ReadUInt32(uint32_t& out, uint32_t defaultValue) {
    uint8_t bytes[4];
    if (!ReadValue(bytes, sizeof bytes)) {
        out = defaultValue;
        SetError(kErrorShortRead);
        return false;
    }
    out = static_cast<uint32_t>(LoadLittleEndian(bytes, sizeof bytes));
    return true;
}

bool TStream::ReadInt32(int32_t& out, int32_t defaultValue) {
    uint32_t bits = 0;
    bool whole = ReadUInt32(bits, static_cast<uint32_t>(defaultValue));
    out = static_cast<int32_t>(bits);
    return whole;
}

bool TStream::ReadFloat(float& out, float defaultValue) {
    uint32_t bits = 0;
    bool whole = ReadUInt32(bits, std::bit_cast<uint32_t>(defaultValue));
    out = std::bit_cast<float>(bits);
    return whole;
}

bool TStream::ReadInt64(int64_t& out, int64_t defaultValue) {
    uint8_t bytes[8];
    if (!ReadValue(bytes, sizeof bytes)) {
        out = defaultValue;
        SetError(kErrorShortRead);
        return false;
    }
    out = static_cast<int64_t>(LoadLittleEndian(bytes, sizeof bytes));
    return true;
}

bool TStream::ReadBool(bool& out, bool defaultValue) {
    uint8_t byte = 0;
    if (!ReadValue(&byte, 1)) {
        out = defaultValue;
        SetError(kErrorShortRead);
        return false;
    }
    out = byte != 0;
    return true;
}

bool TStream::ReadInt32Array(int32_t* destination, size_t n) {
    bool all = true;
    for (size_t i = 0; i < n; ++i)
        all = ReadInt32(destination[i], 0) && all;
    return all;
}

namespace {

// The low n bytes of value, in stream order.
struct LittleEndianBytes {
    LittleEndianBytes(uint64_t value, size_t n) : size(n) { StoreLittleEndian(value, bytes, n); }
    uint8_t bytes[8];
    size_t size;
};

} // namespace

void TStream::WriteByte(uint8_t value) {
    WriteBytes(&value, 1);
}

void TStream::WriteBool(bool value) {
    WriteByte(value ? 1 : 0);
}

void TStream::WriteInt32(int32_t value) {
    WriteUInt32(static_cast<uint32_t>(value));
}

void TStream::WriteUInt32(uint32_t value) {
    LittleEndianBytes le(value, 4);
    WriteBytes(le.bytes, le.size);
}

void TStream::WriteFloat(float value) {
    WriteUInt32(std::bit_cast<uint32_t>(value));
}

void TStream::WriteInt64(int64_t value) {
    LittleEndianBytes le(static_cast<uint64_t>(value), 8);
    WriteBytes(le.bytes, le.size);
}

void TStream::WriteInt32Array(const int32_t* source, size_t n) {
    for (size_t i = 0; i < n; ++i)
        WriteInt32(source[i]);
}

size_t TStream::WriteBytes(const void* source, size_t n) {
    DropReadAhead();
    return Write(source, n);
}

// The look-behind goes too: after a write, the bytes before the cursor would no longer be
// the bytes before the underlying position.
void TStream::DropReadAhead() {
    if (count_ != 0) Seek(0, 1);
    EmptyBuffer();
}

void TStream::MoveTo(int64_t target) {
    int64_t d = 0;
    bool representable = !__builtin_sub_overflow(target, Tell(), &d);
    if (representable && d <= count_ && cursor_ + d >= 0) {
        cursor_ += static_cast<int32_t>(d);
        count_ -= static_cast<int32_t>(d);
        return;
    }
    Seek(target, 0);
    EmptyBuffer();
}

void TStream::SkipForward(int64_t n) {
    if (n <= count_) {
        cursor_ += static_cast<int32_t>(n);
        count_ -= static_cast<int32_t>(n);
        return;
    }
    Seek(n, 1);
    EmptyBuffer();
}

int64_t TStream::Size() {
    int64_t remembered = Tell();
    Seek(0, 2);
    EmptyBuffer();
    int64_t length = Tell();
    MoveTo(remembered);
    return length;
}

int64_t TStream::WritePlaceholder() {
    int64_t position = Tell();
    WriteUInt32(kPlaceholderMarker);
    return position;
}

void TStream::PatchLength(int64_t placeholder) {
    int64_t position = Tell();
    MoveTo(placeholder);
    WriteUInt32(static_cast<uint32_t>(position - placeholder - 4));
    MoveTo(position);
}

void TStream::WriteInt32At(int64_t position, int32_t value) {
    int64_t back = Tell();
    MoveTo(position);
    WriteInt32(value);
    MoveTo(back);
}
