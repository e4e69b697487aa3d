// The string forms of TStream. Both readers share one body reader: the length word is
// untrusted, so a negative one is refused without moving, a too large one is skipped, and
// a body cut short never reads as a complete string.
#include "foundation/streams/t_stream.h"

#include <cstring>
#include <memory>

namespace {

// Bodies shorter than this are read on the stack.
constexpr size_t kLocalBody = 511;

} // namespace

void TStream::WritePString(const Kiv::PString& text) {
    if (text.IsNull() || text.Length() + 1 > kMaxStringLength) {
        WriteInt32(0);
        return;
    }
    size_t n = text.Length() + 1;
    WriteUInt32(static_cast<uint32_t>(n));
    WriteBytes(text.c_str(), n);
}

void TStream::WriteString(const Kiv::String& text) {
    size_t n = text.Length();
    if (n > kMaxStringLength) n = 0;
    WriteUInt32(static_cast<uint32_t>(n));
    if (n > 0) WriteBytes(text.c_str(), n);
}

// Hands take the text (pointer and length) that the destination receives; the empty text
// on failure.
template <class Take> bool TStream::ReadStringForm(Take take) {
    int32_t n = 0;
    if (!ReadInt32(n, 0)) {
        take("", 0);
        return false;
    }
    if (n == 0) {
        take("", 0);
        return true;
    }
    if (n < 0 || static_cast<uint32_t>(n) > kMaxStringLength) {
        SetError(kErrorMemory);
        if (n > 0) SkipForward(n);
        take("", 0);
        return false;
    }
    size_t length = static_cast<size_t>(n);
    char local[kLocalBody];
    std::unique_ptr<char[]> heap;
    char* body = local;
    if (length > sizeof local) {
        heap.reset(new char[length]);
        body = heap.get();
    }
    size_t got = ReadBytes(body, length);
    bool whole = got == length;
    if (!whole) {
        std::memset(body + got, 0, length - got);
        SetError(kErrorShortRead);
    }
    take(body, strnlen(body, length));
    return whole;
}

bool TStream::ReadPString(Kiv::PString& out) {
    return ReadStringForm(
        [&out](const char* text, size_t length) { out = Kiv::PString(text, length); });
}

bool TStream::ReadString(Kiv::String& out) {
    return ReadStringForm(
        [&out](const char* text, size_t length) { out = Kiv::String(text, length); });
}
