// The finding formatter walks the text itself and hands snprintf only a conversion it built
// from checked parts, with an argument of the type that conversion expects.
#include "validation/darodi/finding_format.h"

#include <algorithm>
#include <cstdio>

#include "foundation/text/interface_text.h"

namespace DAROdi {

namespace {

// A parsed conversion: flags, width and precision (-1: none) already bounded.
struct Conversion {
    std::string flags;
    int width = -1;
    int precision = -1;
    char letter = 0;
};

constexpr std::string_view kFlags = "-+ #0";
constexpr std::string_view kLetters = "sdiuxfg";

// Reads decimal digits at position, bounded at the field maximum; -1 when there are none.
int ReadNumber(std::string_view format, size_t& position) {
    if (position >= format.size() || format[position] < '0' || format[position] > '9') return -1;
    int value = 0;
    while (position < format.size() && format[position] >= '0' && format[position] <= '9') {
        value = std::min(value * 10 + (format[position] - '0'), kMaxFindingFieldWidth);
        ++position;
    }
    return value;
}

// Parses the conversion that starts after a "%" at position; false (position unchanged)
// when it is not one this formatter renders.
bool ParseConversion(std::string_view format, size_t& position, Conversion& out) {
    size_t at = position;
    while (at < format.size() && kFlags.find(format[at]) != std::string_view::npos) {
        if (out.flags.find(format[at]) == std::string::npos) out.flags += format[at];
        ++at;
    }
    out.width = ReadNumber(format, at);
    if (at < format.size() && format[at] == '.') {
        ++at;
        out.precision = std::max(ReadNumber(format, at), 0);
    }
    if (at >= format.size() || kLetters.find(format[at]) == std::string_view::npos) return false;
    out.letter = format[at];
    position = at + 1;
    return true;
}

// "%" + the flags the letter allows + width + precision + length + letter.
std::string BuildSpec(const Conversion& conversion, std::string_view allowed, const char* tail) {
    std::string spec = "%";
    for (char flag : conversion.flags) {
        if (allowed.find(flag) != std::string_view::npos) spec += flag;
    }
    if (conversion.width >= 0) spec += std::to_string(conversion.width);
    if (conversion.precision >= 0) spec += "." + std::to_string(conversion.precision);
    return spec + tail;
}

std::string RenderText(const Conversion& conversion, std::string_view text) {
    if (conversion.precision >= 0)
        text = text.substr(0, static_cast<size_t>(conversion.precision));
    const size_t width = conversion.width > 0 ? static_cast<size_t>(conversion.width) : 0;
    const std::string padding(width > text.size() ? width - text.size() : 0, ' ');
    const bool left = conversion.flags.find('-') != std::string::npos;
    return left ? std::string(text) + padding : padding + std::string(text);
}

template <typename Value> std::string Print(const std::string& spec, Value value) {
    char buffer[512];
    const int written = std::snprintf(buffer, sizeof buffer, spec.c_str(), value);
    if (written < 0) return std::string();
    return std::string(buffer, std::min(static_cast<size_t>(written), sizeof buffer - 1));
}

// An integer keeps its letter when it is an integer letter, else prints as "%d"; "%u" and
// "%x" show the 32-bit pattern of a value that fits 32 bits.
std::string RenderInt(Conversion conversion, int64_t value) {
    if (conversion.letter == 'd' || conversion.letter == 'i' || conversion.letter == 's' ||
        conversion.letter == 'f' || conversion.letter == 'g') {
        return Print(BuildSpec(conversion, "-+ 0", "lld"), static_cast<long long>(value));
    }
    const bool fits = value >= INT32_MIN && value <= UINT32_MAX;
    const auto bits = static_cast<unsigned long long>(
        fits ? static_cast<uint64_t>(static_cast<uint32_t>(value)) : static_cast<uint64_t>(value));
    const char* tail = conversion.letter == 'x' ? "llx" : "llu";
    return Print(BuildSpec(conversion, conversion.letter == 'x' ? "-#0" : "-0", tail), bits);
}

// A float keeps "%f" or "%g", and prints as "%g" under any other letter.
std::string RenderFloat(const Conversion& conversion, double value) {
    const char* tail = conversion.letter == 'f' ? "f" : "g";
    return Print(BuildSpec(conversion, kFlags, tail), value);
}

std::string Render(const Conversion& conversion, const FindingArg& arg) {
    switch (arg.GetKind()) {
    case FindingArg::Kind::kText:
        return RenderText(conversion, arg.Text());
    case FindingArg::Kind::kInt:
        return RenderInt(conversion, arg.Int());
    case FindingArg::Kind::kFloat:
        return RenderFloat(conversion, arg.Float());
    }
    return std::string();
}

void AppendCapped(std::string& out, std::string_view piece) {
    const size_t room = kMaxFindingBytes - std::min(out.size(), kMaxFindingBytes);
    out.append(piece.substr(0, room));
}

} // namespace

std::string FormatFindingText(std::string_view format, std::initializer_list<FindingArg> args) {
    std::string out;
    const FindingArg* next = args.begin();
    size_t position = 0;
    while (position < format.size() && out.size() < kMaxFindingBytes) {
        const size_t percent = format.find('%', position);
        AppendCapped(out, format.substr(position, percent - position));
        if (percent == std::string_view::npos) break;
        position = percent + 1;
        if (position < format.size() && format[position] == '%') {
            AppendCapped(out, "%");
            ++position;
            continue;
        }
        Conversion conversion;
        if (!ParseConversion(format, position, conversion)) {
            AppendCapped(out, "%");
            continue;
        }
        if (next != args.end()) AppendCapped(out, Render(conversion, *next++));
    }
    return out;
}

Kiv::PString FormatFindingArgs(const char* key, std::initializer_list<FindingArg> args) {
    const Kiv::PString text = InterfaceTextDB::Instance().GetString(Kiv::PString(key), true);
    return Kiv::PString(FormatFindingText(text.View(), args));
}

} // namespace DAROdi
