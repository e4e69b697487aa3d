// Parsing and printing of UrlRecord. Fields are written by one bounded copy and read back
// only up to their own size, so a record filled by hand without a terminator still prints
// safely.
#include "link/url_record.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

namespace {

constexpr uint32_t kMaxPort = 65535;
constexpr std::string_view kDelimiters = ":/@";

template <size_t N>
void CopyBounded(char (&field)[N], std::string_view text) {
    const size_t length = std::min(text.size(), N - 1);
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

template <size_t N>
std::string_view FieldText(const char (&field)[N]) {
    return std::string_view(field, strnlen(field, N));
}

// Consumes the decimal digits at the front of text; false when their value passes 65535.
bool TakePort(std::string_view& text, int32_t& port) {
    uint32_t value = 0;
    size_t used = 0;
    for (; used < text.size() && text[used] >= '0' && text[used] <= '9'; ++used) {
        value = value * 10 + static_cast<uint32_t>(text[used] - '0');
        if (value > kMaxPort) return false;
    }
    text.remove_prefix(used);
    port = static_cast<int32_t>(value);
    return true;
}

// Takes "user[:password]@" off the front of text when the delimiter at `delimiter` starts
// one: an "@" at or after it and before any "/".
void TakeUserInfo(std::string_view& text, size_t delimiter, UrlRecord& record) {
    if (delimiter == std::string_view::npos || text[delimiter] == '/') return;
    const size_t at = text.find('@', delimiter);
    if (at == std::string_view::npos || at > text.find('/', delimiter)) return;
    CopyBounded(record.userName, text.substr(0, delimiter));
    if (text[delimiter] == ':') {
        CopyBounded(record.password, text.substr(delimiter + 1, at - delimiter - 1));
    }
    text.remove_prefix(at + 1);
}

}  // namespace

bool UrlRecord::Parse(const char* text, UrlRecord& record) {
    record.Clear();
    if (!text) return false;
    std::string_view rest = text;
    size_t delimiter = rest.find_first_of(kDelimiters);
    if (delimiter != std::string_view::npos && rest.substr(delimiter, 3) == "://") {
        CopyBounded(record.scheme, rest.substr(0, delimiter));
        rest.remove_prefix(delimiter + 3);
        delimiter = rest.find_first_of(kDelimiters);
    }
    TakeUserInfo(rest, delimiter, record);
    const size_t hostEnd = std::min(rest.find_first_of(":/"), rest.size());
    CopyBounded(record.host, rest.substr(0, hostEnd));
    rest.remove_prefix(hostEnd);
    if (!rest.empty() && rest.front() == ':') {
        rest.remove_prefix(1);
        if (!TakePort(rest, record.port)) {
            record.Clear();
            return false;
        }
    }
    const size_t queryStart = std::min(rest.find('?'), rest.size());
    CopyBounded(record.path, rest.substr(0, queryStart));
    CopyBounded(record.query, rest.substr(queryStart));
    return true;
}

Kiv::PString UrlRecord::ToString(const UrlRecord& record) {
    const std::string_view scheme = FieldText(record.scheme);
    std::string text(scheme.empty() ? "http" : scheme);
    text += "://";
    if (record.userName[0] != '\0') {
        text += FieldText(record.userName);
        if (record.password[0] != '\0') {
            text += ':';
            text += FieldText(record.password);
        }
        text += '@';
    }
    text += FieldText(record.host);
    if (record.port != 0) text += ':' + std::to_string(record.port);
    text += FieldText(record.path);
    text += FieldText(record.query);
    return Kiv::PString(std::string_view(text));
}

bool UrlRecord::IsValid() const { return scheme[0] != '\0' && host[0] != '\0'; }

void UrlRecord::Clear() {
    std::memset(scheme, 0, sizeof scheme);
    std::memset(userName, 0, sizeof userName);
    std::memset(password, 0, sizeof password);
    std::memset(host, 0, sizeof host);
    port = 0;
    std::memset(path, 0, sizeof path);
    std::memset(query, 0, sizeof query);
}
