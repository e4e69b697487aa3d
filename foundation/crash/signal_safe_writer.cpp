// The signal-safe line builder: only write(2) and plain loops.
#include "foundation/crash/signal_safe_writer.h"

#include <cerrno>
#include <unistd.h>

bool WriteAllSignalSafe(int fd, const char* bytes, size_t count) {
    while (count > 0) {
        ssize_t written = write(fd, bytes, count);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes += written;
        count -= static_cast<size_t>(written);
    }
    return true;
}

void SignalSafeWriter::Put(char c) {
    if (used_ == sizeof buffer_) Flush();
    buffer_[used_++] = c;
}

void SignalSafeWriter::Flush() {
    WriteAllSignalSafe(fd_, buffer_, used_);
    used_ = 0;
}

SignalSafeWriter& SignalSafeWriter::Text(const char* text) {
    for (; text && *text; ++text) Put(*text);
    return *this;
}

SignalSafeWriter& SignalSafeWriter::Decimal(int64_t value) {
    // Negated as unsigned, so the smallest value does not overflow.
    uint64_t magnitude = static_cast<uint64_t>(value);
    if (value < 0) {
        magnitude = 0 - magnitude;
        Put('-');
    }
    char digits[20];
    size_t count = 0;
    do {
        digits[count++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    while (count > 0) Put(digits[--count]);
    return *this;
}

SignalSafeWriter& SignalSafeWriter::Hex(uintptr_t value) {
    static constexpr char kDigits[] = "0123456789abcdef";
    Text("0x");
    char digits[sizeof(uintptr_t) * 2];
    size_t count = 0;
    do {
        digits[count++] = kDigits[value & 0xF];
        value >>= 4;
    } while (value != 0);
    while (count > 0) Put(digits[--count]);
    return *this;
}
