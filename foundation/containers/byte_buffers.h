// Growable byte buffers with coarse granularity: ByteBuffer grows in steps of 4096 bytes,
// CharBuffer (text built one character at a time) in steps of 128. Growing copies the
// contents into new storage rounded up to the granularity; setting a length grows first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

class GranularBuffer {
  public:
    GranularBuffer(const GranularBuffer&) = delete;
    GranularBuffer& operator=(const GranularBuffer&) = delete;

    uint8_t* Data() { return data_.get(); }
    const uint8_t* Data() const { return data_.get(); }
    size_t Length() const { return length_; }
    size_t Capacity() const { return capacity_; }
    size_t Granularity() const { return granularity_; }

    // Grows the capacity when needed, then sets the length; new bytes are zero.
    void SetLength(size_t length);
    // Appends count bytes at the end.
    void Append(const void* bytes, size_t count);

  protected:
    explicit GranularBuffer(size_t granularity) : granularity_(granularity) {}

  private:
    // Makes room for needed bytes, rounded up to the granularity.
    void Reserve(size_t needed);

    std::unique_ptr<uint8_t[]> data_;
    size_t capacity_ = 0;
    size_t length_ = 0;
    size_t granularity_;
};

class ByteBuffer : public GranularBuffer {
  public:
    ByteBuffer() : GranularBuffer(4096) {}
};

class CharBuffer : public GranularBuffer {
  public:
    CharBuffer() : GranularBuffer(128) {}

    void AppendChar(char c) { Append(&c, 1); }
    std::string_view View() const { return {reinterpret_cast<const char*>(Data()), Length()}; }
};
