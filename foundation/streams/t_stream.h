// TStream: the program's byte streams. Reads go through a 4096-byte buffer whose first 16
// bytes keep the bytes before each refill (look-behind), so a reader may step back a little
// without a seek; writes are unbuffered and always land at the logical position. Values are
// little-endian, assembled byte by byte. Typed reads take a default and report a short read
// through a sticky error code: only the first error stays. Positions are 64-bit; the
// formats built on top store 32-bit fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "engine/pstring.h"
#include "engine/string.h"

class TStream {
  public:
    static constexpr int32_t kBufferSize = 4096;
    static constexpr int32_t kLookBehind = 16;
    // Reads of this many bytes or more go straight to the destination.
    static constexpr size_t kDirectRead = kBufferSize - kLookBehind;
    // Strings whose stream length word would exceed this are written as length 0.
    static constexpr uint32_t kMaxStringLength = 65535;
    static constexpr uint32_t kPlaceholderMarker = 0xFEEDCEEB;

    // The error codes; 0 is none.
    static constexpr int32_t kErrorIO = 1;
    static constexpr int32_t kErrorMemory = 3; // out of memory, or a string too long
    static constexpr int32_t kErrorShortRead = 4;

    TStream() = default;
    TStream(const TStream&) = delete;
    TStream& operator=(const TStream&) = delete;
    virtual ~TStream() = default;

    virtual void Reopen() = 0;
    // The logical position: the underlying position less the read-ahead.
    virtual int64_t Tell() const = 0;
    virtual bool IsOpen() const = 0;
    // The length of the data; the read-ahead is dropped and the position kept.
    virtual int64_t Size();
    virtual bool Eof() const = 0;

    int32_t GetError() const { return error_; }
    // Stores code only while no error is set.
    void SetError(int32_t code) {
        if (error_ == 0) error_ = code;
    }
    // Bytes read into the buffer and not yet consumed.
    int32_t ReadAheadCount() const { return count_; }

    // Typed reads: true when the whole value arrived; otherwise out takes the default and
    // error 4 is set.
    bool ReadUInt32(uint32_t& out, uint32_t defaultValue);
    bool ReadInt32(int32_t& out, int32_t defaultValue);
    bool ReadFloat(float& out, float defaultValue);
    bool ReadInt64(int64_t& out, int64_t defaultValue);
    bool ReadBool(bool& out, bool defaultValue);
    // n values one by one; a short one becomes 0. True when all arrived.
    bool ReadInt32Array(int32_t* destination, size_t n);
    // Up to n bytes; no error is set. Returns the bytes obtained.
    size_t ReadBytes(void* destination, size_t n) {
        // The first test lets the compiler see that the copy stays inside the buffer.
        if (n <= kBufferSize && n <= static_cast<size_t>(count_))
            return TakeFromBuffer(destination, n);
        return BufferedRead(destination, n);
    }

    // Typed writes drop the read-ahead first and ignore the result of Write.
    void WriteByte(uint8_t value);
    void WriteBool(bool value);
    void WriteInt32(int32_t value);
    void WriteUInt32(uint32_t value);
    void WriteFloat(float value);
    void WriteInt64(int64_t value);
    void WriteInt32Array(const int32_t* source, size_t n);
    size_t WriteBytes(const void* source, size_t n);

    // Moves the underlying object back to the logical position and empties the buffer.
    void DropReadAhead();
    // Absolute move; inside the buffer (look-behind included) only the cursor moves.
    void MoveTo(int64_t target);
    void Rewind() { MoveTo(0); }
    // Writes the marker EB CE ED FE and returns the position it was written at.
    int64_t WritePlaceholder();
    // Stores at the placeholder the number of bytes written after it; the position stays.
    void PatchLength(int64_t placeholder);
    void WriteInt32At(int64_t position, int32_t value);

    // The string forms. A Kiv::PString is written as int32 (length + 1), the text and a NUL
    // (int32 0 alone for a null string); a Kiv::String as int32 length and the text. A text
    // too long for the form is written as int32 0 alone.
    void WritePString(const Kiv::PString& text);
    void WriteString(const Kiv::String& text);
    // Either reader takes either form: the text runs to the first NUL of the body. True on
    // success. A body cut short by the end of the data is zero-filled and sets error 4; a
    // missing length word gives the empty text and error 4; a negative or too large length
    // gives the empty text and error 3 (a too large body is skipped, a negative one not).
    bool ReadPString(Kiv::PString& out);
    bool ReadString(Kiv::String& out);

  protected:
    // Unbuffered write at the underlying position; returns the bytes written. Reached only
    // through the writes above, which drop the read-ahead first.
    virtual size_t Write(const void* source, size_t n) = 0;
    // Unbuffered read at the underlying position; returns the bytes obtained.
    virtual size_t Read(void* destination, size_t n) = 0;
    // Moves the underlying object: origin 0 from the start, 1 from the logical position,
    // 2 from the end. The buffer is left alone: callers empty it right after.
    virtual void Seek(int64_t offset, int origin) = 0;

    void EmptyBuffer() {
        count_ = 0;
        cursor_ = 0;
    }
    void ClearError() { error_ = 0; }
    // Fills destination from the read-ahead, refilling the buffer or reading directly.
    size_t BufferedRead(void* destination, size_t n);

  private:
    size_t TakeFromBuffer(void* destination, size_t n) {
        if (n == 0) return 0;
        std::memcpy(destination, buffer_ + cursor_, n);
        cursor_ += static_cast<int32_t>(n);
        count_ -= static_cast<int32_t>(n);
        return n;
    }
    // Keeps the look-behind and reads the rest of the buffer.
    void Refill();
    // Reads exactly n bytes of a value (the buffer's common case inline).
    bool ReadValue(uint8_t* bytes, size_t n);
    // Skips n bytes forward, inside the buffer when they are all there.
    void SkipForward(int64_t n);
    template <class Take> bool ReadStringForm(Take take);

    int32_t count_ = 0;
    int32_t cursor_ = 0;
    uint8_t buffer_[kBufferSize] = {};
    int32_t error_ = 0;
};
