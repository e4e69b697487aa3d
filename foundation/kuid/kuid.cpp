// KUID text forms, parser and packing. Numbers are read like "%d" fields (leading blanks
// and a sign allowed) but with range checks: a field that cannot be read, or whose digits
// do not fit 32 bits, keeps its starting value and ends the reading of the later fields.
#include "foundation/kuid/kuid.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <strings.h>
#include <tuple>

namespace {

// The prefixed text forms. shape is what the strict parse demands of the text after the
// prefix: '-' an optional minus, '#' one or more digits, '*' any number of digits, any
// other character itself; the text beyond the shape is not looked at. Two-field forms
// take the version by the short-form rule; three-field forms reject a user id that is
// negative or too large.
struct PrefixedForm {
    const char* prefix; // compared ignoring case
    const char* shape;
    int fields;
};

constexpr PrefixedForm kPrefixedForms[] = {
    {"<kuid:", "-*:*>", 2},
    {"<kuid2:", "#:#:#>", 3},
    {"kuid:", "-#:#", 2},
    {"kuid2:", "-#:#", 3},
};

constexpr const char kBareNumberChars[] = "0123456789-";
constexpr const char kBarePairChars[] = "0123456789-:";

bool StartsWithIgnoreCase(const char* text, const char* prefix) {
    return strncasecmp(text, prefix, std::strlen(prefix)) == 0;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool MatchesShape(const char* text, const char* shape) {
    for (; *shape; ++shape) {
        if (*shape == '-') {
            if (*text == '-') ++text;
        } else if (*shape == '#' || *shape == '*') {
            const char* start = text;
            while (IsDigit(*text))
                ++text;
            if (*shape == '#' && text == start) return false;
        } else if (*text++ != *shape) {
            return false;
        }
    }
    return true;
}

// Reads a decimal int32 at *at into field and moves past it. False, with the field
// unchanged, when there is no number or it does not fit.
bool ReadNumber(const char*& at, int32_t& field) {
    char* end = nullptr;
    errno = 0;
    long value = std::strtol(at, &end, 10);
    if (end == at) return false;
    at = end;
    if (errno == ERANGE || value < INT32_MIN || value > INT32_MAX) return false;
    field = static_cast<int32_t>(value);
    return true;
}

// Reads up to `count` colon-separated numbers into user, content and version, in order.
void ReadFields(const char* at, int count, KUID& kuid) {
    int32_t* fields[] = {&kuid.userId, &kuid.contentId, &kuid.version};
    for (int i = 0; i < count; ++i) {
        if (i > 0 && *at++ != ':') return;
        if (!ReadNumber(at, *fields[i])) return;
    }
}

void SetShortFormVersion(KUID& kuid) {
    kuid.version = kuid.userId >= 0 ? 0 : KUID::kMaxVersion;
}

// True when text is only characters of `allowed` and holds exactly `colons` colons.
bool IsMadeOf(std::string_view text, const char* allowed, size_t colons) {
    if (text.find_first_not_of(allowed) != std::string_view::npos) return false;
    return static_cast<size_t>(std::count(text.begin(), text.end(), ':')) == colons;
}

KUID ParsePrefixed(const char* rest, const PrefixedForm& form, bool strict) {
    KUID kuid;
    if (strict && !MatchesShape(rest, form.shape)) return KUID::Null();
    ReadFields(rest, form.fields, kuid);
    if (form.fields == 2) {
        SetShortFormVersion(kuid);
    } else if (kuid.userId < 0 || kuid.userId > KUID::kMaxUserId) {
        return KUID::Null();
    }
    return kuid;
}

// The bare forms of the lenient parse: "user:content", "<user:content>" (the closing
// bracket optional) and a content id alone under the reserved author -1.
KUID ParseBare(std::string_view text) {
    KUID kuid;
    if (IsMadeOf(text, kBarePairChars, 1)) {
        ReadFields(text.data(), 2, kuid);
        SetShortFormVersion(kuid);
        return kuid;
    }
    if (!text.empty() && text.front() == '<') {
        std::string_view body = text.substr(1);
        if (!body.empty() && body.back() == '>') body.remove_suffix(1);
        if (!IsMadeOf(body, kBarePairChars, 1)) return KUID::Null();
        ReadFields(body.data(), 2, kuid);
        SetShortFormVersion(kuid);
        return kuid;
    }
    if (!IsMadeOf(text, kBareNumberChars, 0)) return KUID::Null();
    const char* at = text.data();
    ReadNumber(at, kuid.contentId);
    return kuid;
}

bool IsValid(const KUID& kuid) {
    if (static_cast<uint32_t>(kuid.version) > KUID::kMaxVersion) return false;
    if (kuid.userId >= 0) return kuid.userId <= KUID::kMaxUserId;
    return kuid.userId >= KUID::kMinReservedUserId && kuid.version == KUID::kMaxVersion;
}

KUID ParseAnyForm(const char* text, bool strict) {
    if (StartsWithIgnoreCase(text, "<NULL>")) return KUID::Null();
    for (const PrefixedForm& form : kPrefixedForms)
        if (StartsWithIgnoreCase(text, form.prefix))
            return ParsePrefixed(text + std::strlen(form.prefix), form, strict);
    if (strict) return KUID::Null();
    return ParseBare(text);
}

} // namespace

bool KUID::operator<(const KUID& other) const {
    auto key = [](const KUID& k) {
        return std::make_tuple(static_cast<uint32_t>(k.userId), static_cast<uint32_t>(k.contentId),
                               static_cast<uint32_t>(k.version));
    };
    return key(*this) < key(other);
}

bool KUID::HasShortForm() const {
    return (version == 0 && userId >= 0) || (version == kMaxVersion && userId < 0);
}

Kiv::PString KUID::ToTag() const {
    if (IsNull()) return Kiv::PString("<NULL>");
    if (HasShortForm()) return Kiv::PString::Setf("<kuid:%d:%d>", userId, contentId);
    return Kiv::PString::Setf("<kuid2:%d:%d:%d>", userId, contentId, version);
}

Kiv::PString KUID::ToShortTag() const {
    if (IsNull()) return Kiv::PString("<NULL>");
    return Kiv::PString::Setf("<kuid:%d:%d>", userId, contentId);
}

Kiv::String KUID::ToConfigString() const {
    if (IsNull()) return Kiv::String("NULLKUID");
    Kiv::AnsiString text;
    if (HasShortForm()) return text.Setf("kuid %d %d", userId, contentId);
    return text.Setf("kuid2 %d %d %d", userId, contentId, version);
}

Kiv::String KUID::ToDisplayString() const {
    if (IsNull()) return Kiv::String("NULLKUID");
    Kiv::AnsiString text;
    if (HasShortForm()) return text.Setf("%d%c%d", userId, ':', contentId);
    return text.Setf("%d%c%d%c%d", userId, ':', contentId, ':', version);
}

KUID KUID::Parse(const char* text, bool strict) {
    if (!text) return Null();
    KUID kuid = ParseAnyForm(text, strict);
    return IsValid(kuid) ? kuid : Null();
}

PackedKUID KUID::Pack() const {
    return {static_cast<uint32_t>(version) << 25 | (static_cast<uint32_t>(userId) & 0x1FFFFFFu),
            static_cast<uint32_t>(contentId)};
}

KUID KUID::Unpack(const PackedKUID& packed) {
    // Sign-extend the low 25 bits: flip bit 24, then subtract it back.
    int32_t user = static_cast<int32_t>((packed.word0 & 0x1FFFFFFu) ^ 0x1000000u) - 0x1000000;
    return KUID(user, static_cast<int32_t>(packed.word1), static_cast<int32_t>(packed.word0 >> 25));
}
