// The reading steps of the text soup format: the window over the stream, bytes, blanks, names,
// the guess of a value's kind and the value readers. Text values grow as needed; number tokens
// go through fixed buffers that drop what does not fit. Numbers are scanned with
// std::from_chars, which ignores the locale and reports values that do not fit.
#include <algorithm>
#include <charconv>
#include <cstring>
#include <system_error>

#include "foundation/soup/acs_text.h"

#include "engine/ascii.h"

namespace {

bool IsDigit(uint8_t c) {
    return c >= '0' && c <= '9';
}

bool IsLineEnd(uint8_t c) {
    return c == '\r' || c == '\n';
}

bool IsBlank(uint8_t c) {
    return c == ' ' || c == '\t';
}

// Bytes that may follow the leading digits of a number list.
bool IsListByte(uint8_t c) {
    return IsDigit(c) || IsBlank(c) || c == ',' || c == '-' || c == '.';
}

// Where a value's text goes: nowhere, for a value that is skipped...
struct DroppingSink {
    void Put(uint8_t) {}
};

// ... the growing text of a string value...
struct GrowingSink {
    std::string& text;
    void Put(uint8_t c) { text.push_back(static_cast<char>(c)); }
};

// ... or a token's fixed buffer, which keeps size - 1 bytes and a zero byte.
struct FixedSink {
    char* buffer;
    size_t size;
    size_t length = 0;
    void Put(uint8_t c) {
        if (length + 1 < size) buffer[length++] = static_cast<char>(c);
    }
};

// A float at the start of text; false when none is there or it is beyond the float range.
bool ScanFloat(const char* begin, const char* end, float& value) {
    const std::from_chars_result result = std::from_chars(begin, end, value);
    return result.ec == std::errc() && result.ptr != begin;
}

} // namespace

void ACSText::EnterStream() {
    window_.resize(kWindowSize);
    windowStart_ = stream_.Tell();
    windowLength_ = 0;
    cursor_ = 0;
}

void ACSText::LeaveStream() {
    stream_.MoveTo(Position());
}

bool ACSText::Refill() {
    const size_t keep = std::min(cursor_, kWindowLookBehind);
    std::memmove(window_.data(), window_.data() + cursor_ - keep, keep);
    windowStart_ += static_cast<int64_t>(cursor_ - keep);
    cursor_ = keep;
    const size_t got = stream_.ReadBytes(window_.data() + keep, window_.size() - keep);
    windowLength_ = keep + got;
    return got > 0;
}

void ACSText::UnreadByte() {
    if (cursor_ > 0)
        --cursor_;
    else
        SeekTo(Position() - 1);
}

void ACSText::SeekTo(int64_t position) {
    const int64_t offset = position - windowStart_;
    if (offset >= 0 && offset <= static_cast<int64_t>(windowLength_)) {
        cursor_ = static_cast<size_t>(offset);
        return;
    }
    stream_.MoveTo(position);
    windowStart_ = position;
    windowLength_ = 0;
    cursor_ = 0;
}

uint8_t ACSText::SkipBlanks(bool lineEnds) {
    for (;;) {
        const uint8_t c = NextByte();
        if (IsBlank(c) || (lineEnds && IsLineEnd(c))) continue;
        if (c != 0) UnreadByte();
        return c;
    }
}

bool ACSText::ReadByteOrderMark() {
    static constexpr uint8_t kMark[3] = {0xEF, 0xBB, 0xBF};
    for (uint8_t expected : kMark) {
        if (NextByte() != expected) {
            SeekTo(0);
            return false;
        }
    }
    return true;
}

bool ACSText::ReadTagName(Kiv::PString& name) {
    size_t length = 0;
    if (!ScanTagName(length)) return false;
    name = Kiv::PString(name_, length);
    return true;
}

bool ACSText::ScanTagName(size_t& length) {
    const uint8_t first = SkipBlanks(true);
    if (first == 0 || first == '}') return false;
    length = 0;
    for (uint8_t c = NextByte();; c = NextByte()) {
        if (c == 0) break;
        if (IsBlank(c) || IsLineEnd(c) || c == '}') {
            UnreadByte();
            break;
        }
        if (length < kReadNameLength) name_[length++] = Kiv::Ascii::ToLower(static_cast<char>(c));
    }
    return true;
}

ACSText::ValueKind ACSText::ClassifyValue() {
    const int64_t start = Position();
    const ValueKind kind = LookAtValue();
    if (kind != ValueKind::Container) SeekTo(start);
    return kind;
}

ACSText::ValueKind ACSText::LookAtValue() {
    uint8_t c = SkipBlanks(false);
    if (IsLineEnd(c)) {
        if (SkipBlanks(true) != '{') return ValueKind::Empty;
        NextByte();
        return ValueKind::Container;
    }
    if (c == 0 || c == '}') return ValueKind::Empty;
    NextByte();
    if (c == '{') return ValueKind::Container;
    if (c == '"') return ValueKind::String;
    if (c != '-' && c != '.' && !IsDigit(c)) return ValueKind::String;
    if (c == '-') c = NextByte();
    bool point = false;
    for (; IsDigit(c) || c == '.'; c = NextByte())
        point = point || c == '.';
    while (IsBlank(c))
        c = NextByte();
    if (c == 0 || IsLineEnd(c)) return point ? ValueKind::Float : ValueKind::Integer;
    while (IsListByte(c))
        c = NextByte();
    return (c == 0 || IsLineEnd(c)) ? ValueKind::NumberList : ValueKind::String;
}

// A line end of CR, LF, CR LF or LF CR becomes CR LF; first was read already.
template <class Sink> void ACSText::ReadLineEnd(uint8_t first, Sink& sink) {
    sink.Put('\r');
    sink.Put('\n');
    const uint8_t partner = first == '\r' ? '\n' : '\r';
    const uint8_t next = NextByte();
    if (next != partner && next != 0) UnreadByte();
}

// A quoted value runs to the next double quote, across lines, with no escape; an unquoted
// one to the next CR, LF or "}" (left unread), turning backslash-n into CR LF.
template <class Sink> void ACSText::ReadValueText(Sink& sink) {
    const uint8_t first = SkipBlanks(false);
    if (first == 0 || IsLineEnd(first) || first == '}') return;
    NextByte();
    if (first == '"') {
        for (uint8_t c = NextByte(); c != 0 && c != '"'; c = NextByte()) {
            if (IsLineEnd(c))
                ReadLineEnd(c, sink);
            else
                sink.Put(c);
        }
        return;
    }
    for (uint8_t c = first; c != 0; c = NextByte()) {
        if (IsLineEnd(c) || c == '}') {
            UnreadByte();
            return;
        }
        if (c != '\\') {
            sink.Put(c);
            continue;
        }
        const uint8_t next = NextByte();
        if (next == 'n') {
            sink.Put('\r');
            sink.Put('\n');
            continue;
        }
        sink.Put('\\');
        if (next != 0) UnreadByte();
    }
}

void ACSText::ReadStringValue() {
    text_.clear();
    GrowingSink sink{text_};
    ReadValueText(sink);
}

void ACSText::SkipValue() {
    DroppingSink sink;
    ReadValueText(sink);
}

size_t ACSText::ReadToken(char* buffer, size_t size) {
    FixedSink sink{buffer, size};
    ReadValueText(sink);
    buffer[sink.length] = '\0';
    return sink.length;
}

bool ACSText::ReadInt(int32_t& value) {
    char token[32];
    const size_t length = ReadToken(token, sizeof token);
    const std::from_chars_result result = std::from_chars(token, token + length, value);
    return result.ec == std::errc() && result.ptr != token;
}

bool ACSText::ReadFloat(float& value) {
    char token[32];
    const size_t length = ReadToken(token, sizeof token);
    return ScanFloat(token, token + length, value);
}

void ACSText::ReadFloatList(std::vector<float>& floats) {
    char token[256];
    const size_t length = ReadToken(token, sizeof token);
    floats.clear();
    const char* const end = token + length;
    for (const char* piece = token; piece < end;) {
        const char* stop = piece;
        while (stop < end && *stop != ' ' && *stop != ',')
            ++stop;
        float value = 0;
        if (ScanFloat(piece, stop, value)) floats.push_back(value);
        piece = stop + 1;
    }
}

void ACSText::ExpectCloseBrace() {
    const int64_t start = Position();
    if (SkipBlanks(true) == '}')
        NextByte();
    else
        SeekTo(start);
}
