// FormatFinding: the one way the validation library fills a finding's interface text with
// the values it names. The texts are data the user may edit and the values come from the
// asset, so neither may reach printf as a format: the text is walked here, each argument
// is rendered by its own type (text, integer or float) whatever conversion letter stands
// in the text, a conversion without an argument left prints nothing, surplus arguments
// are ignored, and anything that is not one of %s %d %i %u %x %f %g (with flags, width and
// precision, each at most 64) or %% is copied as it stands. The result is at most 4 KiB.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "engine/pstring.h"
#include "engine/string.h"

namespace DAROdi {

// One value handed to a finding text. A text argument refers to the caller's characters,
// which must outlive the call.
class FindingArg {
  public:
    enum class Kind { kText, kInt, kFloat };

    FindingArg(const char* text) : kind_(Kind::kText), text_(text ? text : "") {}
    FindingArg(std::string_view text) : kind_(Kind::kText), text_(text) {}
    FindingArg(const std::string& text) : kind_(Kind::kText), text_(text) {}
    FindingArg(const Kiv::PString& text) : kind_(Kind::kText), text_(text.View()) {}
    FindingArg(const Kiv::String& text) : kind_(Kind::kText), text_(text.View()) {}
    FindingArg(int value) : kind_(Kind::kInt), int_(value) {}
    FindingArg(int64_t value) : kind_(Kind::kInt), int_(value) {}
    FindingArg(double value) : kind_(Kind::kFloat), float_(value) {}

    Kind GetKind() const { return kind_; }
    std::string_view Text() const { return text_; }
    int64_t Int() const { return int_; }
    double Float() const { return float_; }

  private:
    Kind kind_;
    std::string_view text_;
    int64_t int_ = 0;
    double float_ = 0.0;
};

constexpr size_t kMaxFindingBytes = 4096;
constexpr int kMaxFindingFieldWidth = 64;

// The format text filled with the arguments in order, by the rules above.
std::string FormatFindingText(std::string_view format, std::initializer_list<FindingArg> args);

// The interface text of key (misses logged) filled with the arguments, interned.
Kiv::PString FormatFindingArgs(const char* key, std::initializer_list<FindingArg> args);

template <typename... Args>
Kiv::PString FormatFinding(const char* key, const Args&... args) {
    return FormatFindingArgs(key, {FindingArg(args)...});
}

} // namespace DAROdi
