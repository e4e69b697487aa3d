// The six value converters and the choice among them. The table lists them in the order the
// lookup tries them. Numbers are scanned with range checks in the "C" locale: a text that
// passes the numeric test but holds no number that fits gives null.
#include "foundation/soup/converter.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "foundation/kuid/kuid.h"

namespace {

// Builds an owned block of the text, with or without its zero byte.
ACSRawDataRef TextBlock(const std::string& text, bool withZero) {
    return ACSRawDataRef::CopyBytes(static_cast<uint32_t>(text.size() + (withZero ? 1 : 0)),
                                    text.c_str());
}

template <class T> T ReadItem(const ACSRawDataRef& value, uint32_t index) {
    T item;
    std::memcpy(&item, value.Data() + index * sizeof(T), sizeof(T));
    return item;
}

class ACSConverter_TextInt : public ACSConverter {
  public:
    constexpr ACSConverter_TextInt() : ACSConverter(ACSTagType::String, ACSTagType::IntArray) {}
    void Convert(const ACSRawDataRef& source, ACSRawDataRef& target) const override {
        target.Release();
        const std::string text(source.Text());
        if (!IsNumericText(text)) return;
        char* end = nullptr;
        errno = 0;
        const long value = std::strtol(text.c_str(), &end, 10);
        if (end == text.c_str() || errno == ERANGE || value < INT32_MIN || value > INT32_MAX)
            return;
        const auto number = static_cast<int32_t>(value);
        target = ACSRawDataRef::CopyBytes(sizeof number, &number);
    }
};

class ACSConverter_TextFloat : public ACSConverter {
  public:
    constexpr ACSConverter_TextFloat() : ACSConverter(ACSTagType::String, ACSTagType::FloatArray) {}
    void Convert(const ACSRawDataRef& source, ACSRawDataRef& target) const override {
        target.Release();
        const std::string text(source.Text());
        if (!IsNumericText(text)) return;
        char* end = nullptr;
        const float number = std::strtof(text.c_str(), &end);
        if (end == text.c_str() || std::isinf(number)) return;
        target = ACSRawDataRef::CopyBytes(sizeof number, &number);
    }
};

class ACSConverter_TextKUID : public ACSConverter {
  public:
    constexpr ACSConverter_TextKUID() : ACSConverter(ACSTagType::String, ACSTagType::KUIDArray) {}
    void Convert(const ACSRawDataRef& source, ACSRawDataRef& target) const override {
        const std::string text(source.Text());
        const PackedKUID packed = KUID::Parse(text.c_str(), false).Pack();
        const uint32_t words[2] = {packed.word0, packed.word1};
        target = ACSRawDataRef::CopyBytes(sizeof words, words);
    }
};

class ACSConverter_IntText : public ACSConverter {
  public:
    constexpr ACSConverter_IntText() : ACSConverter(ACSTagType::IntArray, ACSTagType::String) {}
    void Convert(const ACSRawDataRef& source, ACSRawDataRef& target) const override {
        target.Release();
        const uint32_t count = source.Size() / 4;
        if (count == 0) return;
        std::string text;
        char item[16];
        for (uint32_t i = 0; i < count; ++i) {
            std::snprintf(item, sizeof item, i ? ",%d" : "%d", ReadItem<int32_t>(source, i));
            text += item;
        }
        target = TextBlock(text, false);
    }
};

class ACSConverter_FloatText : public ACSConverter {
  public:
    constexpr ACSConverter_FloatText() : ACSConverter(ACSTagType::FloatArray, ACSTagType::String) {}
    void Convert(const ACSRawDataRef& source, ACSRawDataRef& target) const override {
        target.Release();
        const uint32_t count = source.Size() / 4;
        if (count == 0) return;
        std::string text;
        char item[32];
        for (uint32_t i = 0; i < count; ++i) {
            std::snprintf(item, sizeof item, i ? ",%g" : "%g",
                          static_cast<double>(ReadItem<float>(source, i)));
            text += item;
        }
        target = TextBlock(text, false);
    }
};

class ACSConverter_KUIDText : public ACSConverter {
  public:
    constexpr ACSConverter_KUIDText() : ACSConverter(ACSTagType::KUIDArray, ACSTagType::String) {}
    void Convert(const ACSRawDataRef& source, ACSRawDataRef& target) const override {
        target.Release();
        if (source.Size() < sizeof(PackedKUID)) return;
        const PackedKUID packed{ReadItem<uint32_t>(source, 0), ReadItem<uint32_t>(source, 1)};
        target = TextBlock(std::string(KUID::Unpack(packed).ToTag().View()), true);
    }
};

constinit const ACSConverter_TextInt kTextInt;
constinit const ACSConverter_TextFloat kTextFloat;
constinit const ACSConverter_TextKUID kTextKUID;
constinit const ACSConverter_IntText kIntText;
constinit const ACSConverter_FloatText kFloatText;
constinit const ACSConverter_KUIDText kKUIDText;

// Lookup order: the converters from the last made to the first.
const ACSConverter* const kConverters[] = {&kKUIDText, &kFloatText, &kIntText,
                                           &kTextKUID, &kTextFloat, &kTextInt};

const ACSConverter* FindConverter(ACSTagType source, ACSTagType target) {
    for (const ACSConverter* converter : kConverters)
        if (converter->Source() == source && converter->Target() == target) return converter;
    return nullptr;
}

// The value of source in targetType; null when no converter (or pair) gives one.
ACSRawDataRef Converted(ACSTagType sourceType, const ACSRawDataRef& source, ACSTagType targetType) {
    ACSRawDataRef result;
    if (sourceType == targetType) return source;
    if (sourceType == ACSTagType::Null) return result;
    if (const ACSConverter* direct = FindConverter(sourceType, targetType)) {
        direct->Convert(source, result);
        return result;
    }
    for (const ACSConverter* first : kConverters) {
        if (first->Source() != sourceType) continue;
        const ACSConverter* second = FindConverter(first->Target(), targetType);
        if (!second) continue;
        ACSRawDataRef between;
        first->Convert(source, between);
        second->Convert(between, result);
        return result;
    }
    return result;
}

} // namespace

void ACSConverter::Convert(ACSTagType sourceType, const ACSRawDataRef& source,
                           ACSTagType targetType, ACSRawDataRef& target) {
    target = Converted(sourceType, source, targetType);
}

bool ACSConverter::IsNumericText(std::string_view text) {
    size_t at = text.starts_with('-') ? 1 : 0;
    size_t end = text.size();
    while (end > at && (text[end - 1] == ' ' || text[end - 1] == '\t'))
        --end;
    if (end == at) return false;
    bool seenPoint = false;
    bool seenExponent = false;
    while (at < end) {
        const char c = text[at];
        if (c >= '0' && c <= '9') {
            ++at;
        } else if (c == '.' && !seenPoint) {
            seenPoint = true;
            ++at;
        } else if (c == 'e' && seenPoint && !seenExponent) {
            seenExponent = true;
            if (at + 2 >= end || (text[at + 1] != '-' && text[at + 1] != '+')) return false;
            at += 2;
        } else {
            return false;
        }
    }
    return true;
}
