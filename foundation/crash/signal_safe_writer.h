// A line builder for signal handlers: text, decimal and hexadecimal numbers gathered in a
// fixed buffer and written to a descriptor with write(2) alone, so the crash report can be
// made after a fault without touching the heap, stdio or locks. Text beyond the buffer is
// flushed early; write errors are ignored, since nobody is left to report them to.
#pragma once

#include <cstddef>
#include <cstdint>

class SignalSafeWriter {
public:
    explicit SignalSafeWriter(int fd) : fd_(fd) {}
    ~SignalSafeWriter() { Flush(); }
    SignalSafeWriter(const SignalSafeWriter&) = delete;
    SignalSafeWriter& operator=(const SignalSafeWriter&) = delete;

    SignalSafeWriter& Text(const char* text);
    SignalSafeWriter& Decimal(int64_t value);
    // "0x" and the lower-case digits without leading zeros ("0x0" for zero).
    SignalSafeWriter& Hex(uintptr_t value);
    SignalSafeWriter& Line(const char* text) { return Text(text).Text("\n"); }
    void Flush();

private:
    void Put(char c);

    int fd_;
    size_t used_ = 0;
    char buffer_[512];
};

// Writes all of the bytes, retrying short writes and EINTR; false on an error.
bool WriteAllSignalSafe(int fd, const char* bytes, size_t count);
