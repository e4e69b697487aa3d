// The HTML buffer's appends and its text.
#include "script_natives/html_buffer.h"

#include <cstring>

void HTMLBuffer::Append(const char* bytes, size_t n) {
    if (!bytes || n == 0) return;
    if (size_t{length_} + n > storage_.size()) storage_.resize(n + 2 * storage_.size());
    std::memcpy(storage_.data() + length_, bytes, n);
    length_ += static_cast<uint32_t>(n);
}

void HTMLBuffer::AppendText(const char* text) {
    if (text) Append(text, std::strlen(text));
}

void HTMLBuffer::AppendEscaped(std::string_view text) {
    if (text.empty()) return;
    empty_ = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n' || c == '\r') {
            AppendText("<br>");
            const char pair = c == '\n' ? '\r' : '\n';
            if (i + 1 < text.size() && text[i + 1] == pair) ++i;
        } else if (c == '&') {
            AppendText("&amp;");
        } else if (c == '<') {
            AppendText("&lt;");
        } else if (c == '>') {
            AppendText("&gt;");
        } else {
            Append(&c, 1);
        }
    }
}

Kiv::PString HTMLBuffer::GetText() const {
    if (length_ == 0) return Kiv::PString();
    const void* nul = std::memchr(storage_.data(), 0, length_);
    const size_t n = nul ? static_cast<size_t>(static_cast<const char*>(nul) - storage_.data()) : length_;
    return Kiv::PString(storage_.data(), n);
}

void HTMLBuffer::Clear() {
    storage_.clear();
    storage_.shrink_to_fit();
    length_ = 0;
    empty_ = true;
}
