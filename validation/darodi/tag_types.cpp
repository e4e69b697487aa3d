// The type-word table.
#include "validation/darodi/tag_types.h"

#include <array>

#include "validation/darodi/keywords.h"

namespace DAROdi {

namespace {

// Columns: the type word, its type code.
struct TypeWord {
    Kiv::PString Keywords::*word;
    int32_t code;
};

constexpr std::array<TypeWord, 20> kTypeWords{{
    {&Keywords::floatWord, TagType::kFloat},
    {&Keywords::string, TagType::kString},
    {&Keywords::intWord, TagType::kInt},
    {&Keywords::boolWord, TagType::kBool},
    {&Keywords::vector2, TagType::kVector2},
    {&Keywords::vector3, TagType::kVector3},
    {&Keywords::rgb, TagType::kVector3},
    {&Keywords::vector4, TagType::kVector4},
    {&Keywords::vector5, TagType::kVector5},
    {&Keywords::floatlist, TagType::kFloatList},
    {&Keywords::combobox, TagType::kComboBox},
    {&Keywords::intcombobox, TagType::kIntComboBox},
    {&Keywords::listbox, TagType::kListBox},
    {&Keywords::doublestring, TagType::kDoubleString},
    {&Keywords::kuidWord, TagType::kKUID},
    {&Keywords::filepath, TagType::kFilePath},
    {&Keywords::filepathedit, TagType::kFilePathEdit},
    {&Keywords::stringkuid, TagType::kStringKUID},
    {&Keywords::kuidbrowser, TagType::kKUIDBrowser},
    {&Keywords::stringkuidbrowser, TagType::kStringKUIDBrowser},
}};

} // namespace

int32_t TagTypeOf(const Kiv::PString& typeWord) {
    if (typeWord.IsNull()) return TagType::kUnknown;
    for (const TypeWord& entry : kTypeWords) {
        if (Words().*entry.word == typeWord) return entry.code;
    }
    return TagType::kUnknown;
}

bool IsKnownTagType(const Kiv::PString& typeWord) {
    return TagTypeOf(typeWord) != TagType::kUnknown;
}

} // namespace DAROdi
