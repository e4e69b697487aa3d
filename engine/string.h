// Owned text of the engine layer. Kiv::String is plain owned text (what callers store and
// pass by value); Kiv::AnsiString adds the editing operations (printf-style Setf/Addf,
// insert, delete, search, case changes, tokens). Both hold bytes: no code page is implied.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "engine/pstring.h"

namespace Kiv {

class String {
public:
    String() = default;
    String(const char* text) : text_(text ? text : "") {}
    String(const char* text, size_t length) : text_(text ? std::string(text, length) : "") {}
    String(std::string text) : text_(std::move(text)) {}
    explicit String(std::string_view text) : text_(text) {}
    String(const PString& text) : text_(text.View()) {}

    const char* c_str() const { return text_.c_str(); }
    size_t Length() const { return text_.size(); }
    bool IsEmpty() const { return text_.empty(); }
    std::string_view View() const { return text_; }
    const std::string& Std() const { return text_; }
    std::string& Std() { return text_; }
    PString ToPString() const { return PString(text_.data(), text_.size()); }

    bool operator==(const String& other) const { return text_ == other.text_; }
    bool operator==(const char* other) const { return other && text_ == other; }
    bool operator<(const String& other) const { return text_ < other.text_; }

protected:
    std::string text_;
};

class AnsiString : public String {
public:
    using String::String;
    AnsiString(const String& text) : String(text) {}

    AnsiString& Setf(const char* format, ...) __attribute__((format(printf, 2, 3)));
    AnsiString& Addf(const char* format, ...) __attribute__((format(printf, 2, 3)));
    AnsiString& Ins(size_t position, const char* text);
    AnsiString& Del(size_t position, size_t count);
    // Position of the first occurrence at or after start, or -1.
    long Find(const char* text, size_t start = 0) const;
    long FindIgnoreCase(const char* text, size_t start = 0) const;
    AnsiString& ToLower();
    AnsiString& ToUpper();
    // The index-th token (from 0) separated by any of the delimiters; empty when none.
    AnsiString Token(size_t index, const char* delimiters) const;
    AnsiString Left(size_t count) const;
    // <0, 0, >0 as strcmp; ignoring ASCII case when asked.
    int Compare(const char* text, bool ignoreCase = false) const;
    AnsiString& operator+=(const char* text);
    AnsiString& operator+=(const String& text);
    AnsiString& operator+=(char c);
};

}  // namespace Kiv
