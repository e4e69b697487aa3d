// Parsing numbers of tag values and the size check of vector values.
#include "validation/darodi/number_list.h"

#include <cfloat>
#include <climits>
#include <limits>
#include <cstdlib>
#include <locale.h>
#include <stdlib.h>
#include <string>

#include "validation/darodi/data_manager.h"
#include "validation/darodi/report.h"
#include "validation/darodi/tag.h"

namespace DAROdi {

namespace {

constexpr float kArraySizeBuild = 2.89f;

// Out-of-range doubles become infinities rather than undefined conversions.
float ToFloat(double value) {
    if (value > static_cast<double>(FLT_MAX)) return std::numeric_limits<float>::infinity();
    if (value < -static_cast<double>(FLT_MAX)) return -std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}

} // namespace

double ParseFloatC(std::string_view text) {
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    const std::string copy(text);
    return strtod_l(copy.c_str(), nullptr, cLocale);
}

float ParseFloatToFloatC(std::string_view text) {
    return ToFloat(ParseFloatC(text));
}

int ParseIntC(std::string_view text) {
    const std::string copy(text);
    const long value = std::strtol(copy.c_str(), nullptr, 10);
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

std::vector<float> ParseNumberList(std::string_view text) {
    std::vector<float> numbers;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != ' ' && text[i] != ',') continue;
        numbers.push_back(ToFloat(ParseFloatC(text.substr(start, i - start))));
        start = i + 1;
    }
    numbers.push_back(ToFloat(ParseFloatC(text.substr(start))));
    return numbers;
}

bool CheckArraySize(Tag* tag, int size) {
    if (!tag || tag->value.IsEmpty()) return false;
    if (DataManager::Instance().buildStamp < kArraySizeBuild) return true;
    const int count = static_cast<int>(ParseNumberList(tag->value.View()).size());
    if (count == size) return true;
    Report::ErrorInTag(tag, FormatFinding("$tet_val_arraywrongsize", tag->name, size, count));
    return false;
}

} // namespace DAROdi
