// HTMLBuffer: a growable text buffer into which text is appended plain or HTML-escaped.
// When an append does not fit, the storage grows to the appended size plus twice the old
// storage size. The empty flag is cleared only by an escaped append of some text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/pstring.h"

class HTMLBuffer {
  public:
    void Append(const char* bytes, size_t n);
    // The text's bytes up to its NUL.
    void AppendText(const char* text);
    // Line ends (LF, CR, CR LF, LF CR) become "<br>"; "&", "<", ">" their entities.
    void AppendEscaped(std::string_view text);
    // The bytes up to the first NUL or the length, interned.
    Kiv::PString GetText() const;
    void Clear();

    bool IsEmpty() const { return empty_; }
    size_t Capacity() const { return storage_.size(); }
    uint32_t Length() const { return length_; }

  private:
    std::vector<char> storage_;
    uint32_t length_ = 0;
    bool empty_ = true;
};
