// The value types of template tags: a definition's "type" word selects the type code by
// which a tag is checked and exported. Any other word, or none, gives the plain-string code
// 20; code 2 is never given.
#pragma once

#include <cstdint>

#include "engine/pstring.h"

namespace DAROdi {

namespace TagType {
constexpr int32_t kFloat = 0;
constexpr int32_t kString = 1;
constexpr int32_t kInt = 3;
constexpr int32_t kBool = 4;
constexpr int32_t kVector2 = 5;
constexpr int32_t kVector3 = 6;
constexpr int32_t kVector4 = 7;
constexpr int32_t kVector5 = 8;
constexpr int32_t kFloatList = 9;
constexpr int32_t kComboBox = 10;
constexpr int32_t kIntComboBox = 11;
constexpr int32_t kListBox = 12;
constexpr int32_t kDoubleString = 13;
constexpr int32_t kKUID = 14;
constexpr int32_t kFilePath = 15;
constexpr int32_t kFilePathEdit = 16;
constexpr int32_t kStringKUID = 17;
constexpr int32_t kKUIDBrowser = 18;
constexpr int32_t kStringKUIDBrowser = 19;
constexpr int32_t kUnknown = 20;
} // namespace TagType

// The type code of a type word (interned, exact).
int32_t TagTypeOf(const Kiv::PString& typeWord);
// Whether the word names a type of the table.
bool IsKnownTagType(const Kiv::PString& typeWord);

} // namespace DAROdi
