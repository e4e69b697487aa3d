// Parsing the text soup format: one level of tags at a time, each stored with the handle's
// setters, so a later tag of a name replaces the earlier one and moves to the end. A number
// the scan cannot read (a lone minus sign, an integer beyond 32 bits, a list without one
// float) is kept as its text rather than lost. A container at the deepest level the soup
// nesting limit allows is kept empty: its contents are read past up to its closing brace,
// and the reading goes on after it.
#include <cstring>
#include <string_view>

#include "foundation/console/log_message.h"
#include "foundation/kuid/kuid.h"
#include "foundation/soup/acs_text.h"
#include "foundation/soup/soup_depth.h"
#include "foundation/text/code_pages.h"
#include "foundation/text/text_helpers.h"

namespace {

// Prefixes (ASCII case ignored) that make a text value a KUID.
constexpr std::string_view kKUIDPrefixes[] = {"<KUID:", "<KUID2:", "<NULL>"};
// Tag texts counted (case-sensitive) to tell one KUID from a list of them.
constexpr std::string_view kKUIDTagTexts[] = {"<kuid:", "<kuid2:"};

size_t CountOccurrences(std::string_view text, std::string_view part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string_view::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

bool IsKUIDText(std::string_view text) {
    size_t tags = 0;
    for (std::string_view tag : kKUIDTagTexts)
        tags += CountOccurrences(text, tag);
    if (tags > 1) return false;
    for (std::string_view prefix : kKUIDPrefixes)
        if (MatchesPrefix(prefix, text)) return true;
    return false;
}

bool HasHighByte(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return true;
    return false;
}

// The text (which holds no zero byte) from the ANSI code page to UTF-8; the empty text
// when the conversion fails.
void ConvertToUTF8(std::string& text) {
    text.push_back('\0');
    int result = ConvertAnsiToUTF8(text.data(), text.size());
    if (result > 0) {
        text.resize(static_cast<size_t>(result));
        result = ConvertAnsiToUTF8(text.data(), text.size());
    }
    if (result != 0) {
        text.clear();
        return;
    }
    text.resize(std::strlen(text.c_str()));
}

} // namespace

bool ACSText::Parse(ACSChunkRef& handle, TStream& stream, bool utf8) {
    handle.Release();
    if (!stream.IsOpen()) return false;
    ACSText reader(stream);
    reader.EnterStream();
    if (reader.Position() == 0 && reader.ReadByteOrderMark()) utf8 = true;
    reader.ParseLevel(handle, utf8, 0);
    reader.LeaveStream();
    if (reader.skippedBodies_ > 0)
        LogMessage("ACSText::Parse> Skipped tags nested more than %d containers deep (%d "
                   "container(s), the first at byte %lld)",
                   kMaxSoupDepth, reader.skippedBodies_,
                   static_cast<long long>(reader.firstSkipped_));
    return true;
}

void ACSText::ParseLevel(ACSChunkRef& handle, bool utf8, int depth) {
    Kiv::PString name;
    while (ReadTagName(name)) {
        const ValueKind kind = ClassifyValue();
        if (kind == ValueKind::Container)
            ParseContainer(handle, name, utf8, depth);
        else
            StoreValue(handle, name, kind, utf8);
    }
}

void ACSText::ParseContainer(ACSChunkRef& handle, const Kiv::PString& name, bool utf8,
                             int depth) {
    ACSChunkRef body;
    if (depth < kMaxSoupDepth) {
        ParseLevel(body, utf8, depth + 1);
    } else {
        const int64_t start = Position();
        if (SkipContainerBody() && skippedBodies_++ == 0) firstSkipped_ = start;
    }
    handle.SetNamedSoup(name, body);
    ExpectCloseBrace();
}

bool ACSText::SkipContainerBody() {
    bool skipped = false;
    size_t length = 0;
    for (int64_t open = 0;;) {
        if (!ScanTagName(length)) {
            if (open == 0 || SkipBlanks(true) != '}') return skipped;
            NextByte();
            --open;
            continue;
        }
        skipped = true;
        const ValueKind kind = ClassifyValue();
        if (kind == ValueKind::Container)
            ++open;
        else if (kind != ValueKind::Empty)
            SkipValue();
    }
}

void ACSText::StoreValue(ACSChunkRef& handle, const Kiv::PString& name, ValueKind kind,
                         bool utf8) {
    if (kind == ValueKind::Empty) {
        handle.SetNamedTagEmpty(name);
        return;
    }
    const int64_t start = Position();
    if (StoreNumber(handle, name, kind)) return;
    SeekTo(start);
    ReadStringValue();
    StoreString(handle, name, utf8);
}

bool ACSText::StoreNumber(ACSChunkRef& handle, const Kiv::PString& name, ValueKind kind) {
    int32_t integer = 0;
    float real = 0;
    switch (kind) {
    case ValueKind::Integer:
        if (!ReadInt(integer)) return false;
        handle.SetNamedTagInt(name, integer);
        return true;
    case ValueKind::Float:
        if (!ReadFloat(real)) return false;
        handle.SetNamedTagFloat(name, real);
        return true;
    case ValueKind::NumberList:
        ReadFloatList(floats_);
        if (floats_.empty()) return false;
        handle.SetNamedTagFloatArray(name, floats_);
        return true;
    default:
        return false;
    }
}

void ACSText::StoreString(ACSChunkRef& handle, const Kiv::PString& name, bool utf8) {
    if (!text_.empty() && IsKUIDText(text_))
        return handle.SetNamedTagKUID(name, KUID::Parse(text_.c_str(), false));
    if (!utf8 && HasHighByte(text_)) ConvertToUTF8(text_);
    handle.SetNamedTagString(name, text_.c_str());
}
