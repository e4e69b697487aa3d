// Helpers of the text soup tests: text parsed from and written to memory streams, and a
// compact one-line description of a soup (names, type letters, values) to compare against.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "engine/dynamic_buffer.h"
#include "foundation/soup/acs_text.h"
#include "foundation/soup/chunk.h"
#include "foundation/soup/converter.h"
#include "foundation/streams/t_buffer.h"

namespace soup_text_test {

// The soup that text holds (read from position 0).
inline ACSChunkRef Parse(std::string_view text, bool utf8 = false) {
    Kiv::DynamicBuffer memory;
    TBuffer stream(&memory, false);
    stream.WriteBytes(text.data(), text.size());
    stream.Rewind();
    ACSChunkRef soup;
    soup.SetNamedTagInt("left over", 1); // Parse must release what the handle held
    ACSText::Parse(soup, stream, utf8);
    return soup;
}

inline std::string Write(const ACSChunkRef& soup) {
    Kiv::DynamicBuffer memory;
    TBuffer stream(&memory, false);
    ACSText::Write(soup, stream);
    return std::string(reinterpret_cast<const char*>(memory.GetData()), memory.GetDataLength());
}

// One letter per type: e empty, c container, b blob, f float array, s string, i integer
// array, k KUID array.
inline char TypeLetter(ACSTagType type) {
    static constexpr char kLetters[] = "ecbfs?ik";
    const auto code = static_cast<size_t>(type);
    return code < std::strlen(kLetters) ? kLetters[code] : '?';
}

// "name=letter:text" per child, joined by blanks; containers as "name{...}". Values are
// their text conversion (floats as "%g").
inline std::string Describe(const ACSChunkRef& soup) {
    std::string out;
    if (!soup.Get()) return "null";
    Kiv::PString name;
    ACSChunkRef child;
    for (int32_t i = 0; soup->GetIndexedChild(i, name, child); ++i) {
        if (i > 0) out += ' ';
        out += name.View();
        const ACSTagType type = child->GetType();
        if (type == ACSTagType::Container) {
            out += '{' + Describe(child) + '}';
            continue;
        }
        ACSRawDataRef text;
        ACSConverter::Convert(type, ACSChunk::GetRawData(child), ACSTagType::String, text);
        out += '=';
        out += TypeLetter(type);
        out += ':';
        out += text.Text();
    }
    return out;
}

inline std::string Describe(std::string_view text, bool utf8 = false) {
    return Describe(Parse(text, utf8));
}

} // namespace soup_text_test
