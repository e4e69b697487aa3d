// Parsing texture descriptions: lines, keys, and the value forms of each hint.
#include "engine/texture_description.h"

#include <cerrno>
#include <cstdlib>

#include "engine/ascii.h"

namespace Kiv {

namespace {

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

bool Is(std::string_view a, std::string_view b) { return Ascii::EqualsIgnoreCase(a, b); }

// A decimal integer within [low, high], the whole value.
bool ParseInt(std::string_view value, long low, long high, long& out) {
    const std::string text(value);
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    out = std::strtol(text.c_str(), &end, 10);
    return errno == 0 && end == text.c_str() + text.size() && out >= low && out <= high;
}

bool ParseAlphaKind(std::string_view value, int8_t& out) {
    static constexpr std::pair<std::string_view, int8_t> kWords[] = {
        {"none", 0}, {"full", 1}, {"onebit", 2}, {"auto", -1}};
    for (const auto& [word, kind] : kWords) {
        if (Is(value, word)) {
            out = kind;
            return true;
        }
    }
    long number = 0;
    if (!ParseInt(value, -1, 2, number)) return false;
    out = static_cast<int8_t>(number);
    return true;
}

bool ParseFilter(std::string_view value, std::string& out) {
    for (std::string_view word : {"none", "point", "linear", "anisotropic"}) {
        if (Is(value, word)) {
            out = std::string(word);
            return true;
        }
    }
    return false;
}

bool ParseTile(std::string_view value, int32_t& s, int32_t& t) {
    const bool st = Is(value, "st"), onlyS = Is(value, "s"), onlyT = Is(value, "t");
    if (!st && !onlyS && !onlyT && !Is(value, "none")) return false;
    s = (st || onlyS) ? TextureDescription::kWrapRepeat : TextureDescription::kWrapClamp;
    t = (st || onlyT) ? TextureDescription::kWrapRepeat : TextureDescription::kWrapClamp;
    return true;
}

}  // namespace

bool TextureDescription::UsesMipMaps() const { return mipFilter != "none"; }

bool TextureDescription::Apply(std::string_view key, std::string_view value, std::string& error) {
    long number = 0;
    bool ok = true;
    if (Is(key, "Hint")) {
        ok = ParseInt(value, -128, 127, number);
        compressionHint = static_cast<int8_t>(number);
    } else if (Is(key, "AlphaHint")) {
        ok = ParseAlphaKind(value, alphaKind);
    } else if (Is(key, "Anisotropy")) {
        ok = ParseInt(value, 0, 16, number);
        anisotropy = static_cast<int32_t>(number);
    } else if (Is(key, "AutoMip")) {
        autoMip = std::string(value);
    } else if (Is(key, "MagFilter")) {
        ok = ParseFilter(value, magFilter);
    } else if (Is(key, "MinFilter")) {
        ok = ParseFilter(value, minFilter);
    } else if (Is(key, "MipFilter")) {
        ok = ParseFilter(value, mipFilter);
    } else if (Is(key, "Tile")) {
        ok = ParseTile(value, wrapS, wrapT);
    } else if (Is(key, "NormalMap")) {
        ok = ParseInt(value, 0, 1, number);
        normalMap = number != 0;
    } else if (Is(key, "ModifyMap")) {
        ok = ParseInt(value, -2147483647L - 1, 2147483647L, number);
        modifyMap = static_cast<int32_t>(number);
    } else {
        error = "unknown key '" + std::string(key) + "'";
        return false;
    }
    if (!ok) error = "bad value '" + std::string(value) + "' for " + std::string(key);
    return ok;
}

bool TextureDescription::Parse(std::string_view text, std::string& error) {
    std::vector<Image> named;
    size_t lineNumber = 0;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = Trim(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++lineNumber;
        if (line.empty() || line.front() == ';' || line.front() == '#') continue;
        const size_t equals = line.find('=');
        const std::string where = "line " + std::to_string(lineNumber) + ": ";
        if (equals == std::string_view::npos) {
            error = where + "no '=' in the line";
            return false;
        }
        const std::string_view key = Trim(line.substr(0, equals));
        const std::string_view value = Trim(line.substr(equals + 1));
        if (Is(key, "Primary") || Is(key, "Alpha")) {
            const bool primary = Is(key, "Primary");
            if (value.empty() || (primary && named.size() == kMaxImages) ||
                (!primary && (named.empty() || !named.back().alpha.empty()))) {
                error = where + "misplaced, empty or one too many image";
                return false;
            }
            if (primary) named.push_back({std::string(value), {}});
            else named.back().alpha = std::string(value);
            continue;
        }
        if (!Apply(key, value, error)) {
            error = where + error;
            return false;
        }
    }
    if (!named.empty()) images = std::move(named);
    return true;
}

}  // namespace Kiv
