// Value converters between tag types. Six converters exist, all to or from text (type 4):
// text to integer, float and KUID, and integer, float and KUID arrays to text. Convert
// chains two of them through text when no direct one exists, so integers, floats and KUIDs
// convert into each other by way of their text. Every read of a value is bounded by its size;
// a text that names no number converts to nothing, which callers take as their default.
#pragma once

#include <string_view>

#include "foundation/soup/raw_data.h"
#include "foundation/soup/tag_type.h"

class ACSConverter {
  public:
    constexpr ACSConverter(ACSTagType source, ACSTagType target)
        : source_(source), target_(target) {}
    virtual ~ACSConverter() = default;

    ACSTagType Source() const { return source_; }
    ACSTagType Target() const { return target_; }

    // The conversion itself; a value it cannot convert gives null.
    virtual void Convert(const ACSRawDataRef& source, ACSRawDataRef& target) const = 0;

    // Same types share the block; type 0 gives null; else a direct converter, else two
    // chained through an intermediate type, else null.
    static void Convert(ACSTagType sourceType, const ACSRawDataRef& source, ACSTagType targetType,
                        ACSRawDataRef& target);

    // The test a text must pass before it is scanned as a number: an optional leading "-",
    // digits, at most one ".", after it at most one "e" followed by "-" or "+" and more,
    // and trailing spaces or tabs. "12", "-3.5", "1.5e-3" pass; "1e5", "+1", " 1" do not.
    static bool IsNumericText(std::string_view text);

  private:
    ACSTagType source_;
    ACSTagType target_;
};
