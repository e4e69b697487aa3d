// Text edits of Kiv::File::Path.
#include "engine/file_path.h"

#include <vector>

#include "engine/ascii.h"

namespace Kiv {

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

size_t LastSeparator(std::string_view text) { return text.find_last_of("/\\"); }

// The separator an edit adds: the kind text uses last, else the kind of added, else "/".
char SeparatorFor(std::string_view text, std::string_view added) {
    size_t at = LastSeparator(text);
    if (at != std::string_view::npos) return text[at];
    at = added.find_first_of("/\\");
    return at != std::string_view::npos ? added[at] : '/';
}

// Offset of the extension's dot in the file name, or npos.
size_t ExtensionDot(std::string_view text) {
    size_t nameStart = LastSeparator(text);
    nameStart = nameStart == std::string_view::npos ? 0 : nameStart + 1;
    size_t dot = text.rfind('.');
    return dot != std::string_view::npos && dot >= nameStart ? dot : std::string_view::npos;
}

std::string_view WithoutDot(const char* extension) {
    std::string_view text(extension ? extension : "");
    if (!text.empty() && text[0] == '.') text.remove_prefix(1);
    return text;
}

std::vector<std::string_view> Components(std::string_view text) {
    std::vector<std::string_view> parts;
    size_t position = 0;
    while (position < text.size()) {
        size_t end = text.find_first_of("/\\", position);
        if (end == std::string_view::npos) end = text.size();
        if (end > position) parts.push_back(text.substr(position, end - position));
        position = end + 1;
    }
    return parts;
}

}  // namespace

bool File::Path::IsAbsolute() const { return !text_.empty() && IsSeparator(text_[0]); }

File::Path& File::Path::AddPath(const char* name) {
    std::string_view added(name ? name : "");
    if (added.empty()) return *this;
    if (text_.empty()) {
        text_ = added;
        return *this;
    }
    char separator = SeparatorFor(text_, added);
    while (!added.empty() && IsSeparator(added[0])) added.remove_prefix(1);
    if (!IsSeparator(text_.back())) text_ += separator;
    text_ += added;
    return *this;
}

File::Path& File::Path::SetExt(const char* extension) {
    std::string_view wanted = WithoutDot(extension);
    size_t dot = ExtensionDot(text_);
    if (dot != std::string::npos) text_.erase(dot);
    if (!wanted.empty()) (text_ += '.') += wanted;
    return *this;
}

String File::Path::GetExt() const {
    size_t dot = ExtensionDot(text_);
    return dot == std::string::npos ? String() : String(text_.substr(dot + 1));
}

bool File::Path::IsExt(const char* extension) const {
    return Ascii::EqualsIgnoreCase(GetExt().View(), WithoutDot(extension));
}

File::Path& File::Path::DelName(bool keepSlash) {
    size_t at = LastSeparator(text_);
    if (at == std::string::npos) {
        text_.clear();
        return *this;
    }
    text_.resize(at == 0 || keepSlash ? at + 1 : at);
    return *this;
}

File::Path& File::Path::DelSlash() {
    while (text_.size() > 1 && IsSeparator(text_.back())) text_.pop_back();
    return *this;
}

bool File::Path::PrevDir() {
    std::string trimmed = text_;
    while (trimmed.size() > 1 && IsSeparator(trimmed.back())) trimmed.pop_back();
    size_t at = LastSeparator(trimmed);
    if (at == std::string::npos || trimmed.size() == 1) return false;
    text_ = trimmed.substr(0, at + 1);
    return true;
}

File::Path& File::Path::Normalize() {
    if (text_.empty()) return *this;
    bool absolute = IsAbsolute();
    bool trailing = text_.size() > 1 && IsSeparator(text_.back());
    std::vector<std::string_view> kept;
    for (std::string_view part : Components(text_)) {
        if (part == ".") continue;
        if (part != "..") {
            kept.push_back(part);
        } else if (!kept.empty() && kept.back() != "..") {
            kept.pop_back();
        } else if (!absolute) {
            kept.push_back(part);
        }
    }
    std::string result = absolute ? "/" : "";
    for (size_t i = 0; i < kept.size(); ++i) {
        if (i > 0) result += '/';
        result += kept[i];
    }
    if (trailing && !kept.empty()) result += '/';
    if (result.empty()) result = ".";
    text_ = std::move(result);
    return *this;
}

File::Path& File::Path::ToLower() {
    for (char& c : text_) c = Ascii::ToLower(c);
    return *this;
}

File::Path& File::Path::ReplaceForwardSlashes() {
    for (char& c : text_)
        if (c == '/') c = '\\';
    return *this;
}

File::Path& File::Path::ReplaceBackSlashes() {
    for (char& c : text_)
        if (c == '\\') c = '/';
    return *this;
}

bool File::Path::MakeRelativeTo(const char* full) {
    std::string_view whole(full ? full : "");
    if (text_.empty() || whole.empty()) return false;
    if (IsAbsolute() != (IsSeparator(whole[0]))) return false;
    std::vector<std::string_view> base = Components(text_);
    size_t position = 0;
    for (std::string_view part : base) {
        while (position < whole.size() && IsSeparator(whole[position])) ++position;
        size_t end = whole.find_first_of("/\\", position);
        if (end == std::string_view::npos) end = whole.size();
        if (!Ascii::EqualsIgnoreCase(part, whole.substr(position, end - position))) return false;
        position = end;
    }
    while (position < whole.size() && IsSeparator(whole[position])) ++position;
    text_ = whole.substr(position);
    return true;
}

String File::Path::GetFileName() const {
    size_t at = LastSeparator(text_);
    return String(at == std::string::npos ? text_ : text_.substr(at + 1));
}

bool File::Path::ExtractFirstPath(String& first) {
    size_t start = text_.find_first_not_of("/\\");
    if (start == std::string::npos) return false;
    size_t end = text_.find_first_of("/\\", start);
    if (end == std::string::npos) end = text_.size();
    first = String(text_.substr(start, end - start));
    size_t rest = text_.find_first_not_of("/\\", end);
    text_ = rest == std::string::npos ? std::string() : text_.substr(rest);
    return true;
}

}  // namespace Kiv
