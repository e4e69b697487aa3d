// Looking values up in the data manager's value lists.
#include "validation/darodi/value_lists.h"

#include <string_view>

#include "engine/ascii.h"
#include "validation/darodi/data_manager.h"
#include "validation/darodi/keywords.h"

namespace DAROdi {

namespace {

bool IsKeyOf(std::string_view value, const ACSChunkRef& definition) {
    const Kiv::PString source = definition.GetNamedTag(Words().source).ToPString();
    const ValueList* list = DataManager::Instance().FindValueList(source);
    if (!list) return false;
    for (const ValueListRecord& record : *list)
        if (Kiv::Ascii::EqualsIgnoreCase(record.key.View(), value)) return true;
    return false;
}

} // namespace

bool IsListedComboBoxValue(const Kiv::PString& value, const ACSChunkRef& definition) {
    return IsKeyOf(value.View(), definition);
}

bool IsListedIntComboBoxValue(const Kiv::PString& value, const ACSChunkRef& definition) {
    return IsKeyOf(value.View(), definition);
}

bool IsListedListBoxValue(const Kiv::PString& value, const ACSChunkRef& definition) {
    std::string_view rest = value.View();
    while (true) {
        const size_t cut = rest.find(';');
        if (IsKeyOf(rest.substr(0, cut), definition)) return true;
        if (cut == std::string_view::npos) return false;
        rest.remove_prefix(cut + 1);
    }
}

} // namespace DAROdi
