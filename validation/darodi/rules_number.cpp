// The tag rules on the numbers of a value: sign, zero, range and count.
#include <string>

#include "validation/darodi/keywords.h"
#include "validation/darodi/number_list.h"
#include "validation/darodi/report.h"
#include "validation/darodi/rules.h"
#include "validation/darodi/tag.h"

namespace DAROdi::Rules {

namespace {

// The numbers of the value; empty for an empty value.
std::vector<float> Numbers(const Tag& tag) {
    if (tag.value.IsEmpty()) return {};
    return ParseNumberList(tag.value.View());
}

template <typename Pass> bool EveryNumber(const Tag& tag, Pass pass) {
    const std::vector<float> numbers = Numbers(tag);
    if (numbers.empty()) return false;
    bool passed = true;
    for (float number : numbers)
        passed = pass(number) && passed;
    return passed;
}

} // namespace

bool IsPositive(Tag& tag, const ACSChunkRef&) {
    if (tag.value.IsEmpty()) return false;
    if (EveryNumber(tag, [](float n) { return !(n < 0.0f); })) return true;
    Report::ErrorInTag(&tag, FormatFinding("$tet_val_notpositive", tag.name));
    return false;
}

bool IsNotZero(Tag& tag, const ACSChunkRef&) {
    if (tag.value.IsEmpty()) return false;
    if (EveryNumber(tag, [](float n) { return n != 0.0f; })) return true;
    Report::ErrorInTag(&tag, FormatFinding("$tet_val_notzero", tag.name));
    return false;
}

bool Range(Tag& tag, const ACSChunkRef& arguments) {
    if (tag.value.IsEmpty()) return false;
    const float min = arguments.GetNamedTagAsFloat(Words().min, 0.0f);
    const float max = arguments.GetNamedTagAsFloat(Words().max, 0.0f);
    if (EveryNumber(tag, [&](float n) { return min <= n && n <= max; })) return true;
    Report::ErrorInTag(&tag, FormatFinding("$tet_val_notwithinrange", tag.name,
                                           static_cast<double>(min), static_cast<double>(max)));
    return false;
}

bool ArraySize(Tag& tag, const ACSChunkRef& arguments) {
    if (!arguments.HasTag(Words().size)) return false;
    const std::string size(arguments.GetNamedTag(Words().size).View());
    return CheckArraySize(&tag, ParseIntC(size));
}

} // namespace DAROdi::Rules
