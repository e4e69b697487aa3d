// Editing operations of Kiv::AnsiString.
#include "engine/string.h"

#include "engine/ascii.h"
#include "engine/format.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace Kiv {

AnsiString& AnsiString::Setf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    text_ = FormatV(format, args);
    va_end(args);
    return *this;
}

AnsiString& AnsiString::Addf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    text_ += FormatV(format, args);
    va_end(args);
    return *this;
}

AnsiString& AnsiString::Ins(size_t position, const char* text) {
    text_.insert(std::min(position, text_.size()), text ? text : "");
    return *this;
}

AnsiString& AnsiString::Del(size_t position, size_t count) {
    if (position < text_.size()) text_.erase(position, count);
    return *this;
}

long AnsiString::Find(const char* text, size_t start) const {
    if (!text) return -1;
    size_t at = text_.find(text, start);
    return at == std::string::npos ? -1 : static_cast<long>(at);
}

long AnsiString::FindIgnoreCase(const char* text, size_t start) const {
    if (!text) return -1;
    std::string_view part(text);
    std::string_view whole(text_);
    for (size_t i = start; i <= whole.size() && part.size() <= whole.size() - i; ++i)
        if (Ascii::EqualsIgnoreCase(whole.substr(i, part.size()), part)) return static_cast<long>(i);
    return -1;
}

AnsiString& AnsiString::ToLower() {
    for (char& c : text_) c = Ascii::ToLower(c);
    return *this;
}

AnsiString& AnsiString::ToUpper() {
    for (char& c : text_) c = Ascii::ToUpper(c);
    return *this;
}

AnsiString AnsiString::Token(size_t index, const char* delimiters) const {
    if (!delimiters) delimiters = "";
    size_t position = 0;
    for (size_t i = 0;; ++i) {
        size_t begin = text_.find_first_not_of(delimiters, position);
        if (begin == std::string::npos) return {};
        size_t end = text_.find_first_of(delimiters, begin);
        if (end == std::string::npos) end = text_.size();
        if (i == index) return AnsiString(text_.substr(begin, end - begin));
        position = end;
    }
}

AnsiString AnsiString::Left(size_t count) const {
    return AnsiString(text_.substr(0, std::min(count, text_.size())));
}

int AnsiString::Compare(const char* text, bool ignoreCase) const {
    const char* other = text ? text : "";
    if (!ignoreCase) return std::strcmp(text_.c_str(), other);
    return Ascii::CompareIgnoreCase(text_.c_str(), other);
}

AnsiString& AnsiString::operator+=(const char* text) {
    if (text) text_ += text;
    return *this;
}

AnsiString& AnsiString::operator+=(const String& text) {
    text_ += text.Std();
    return *this;
}

AnsiString& AnsiString::operator+=(char c) {
    text_ += c;
    return *this;
}

}  // namespace Kiv
