// Token copying and appending, the '#'-token builder and the kind-table lookups, all on the
// shared category matcher. Table order decides every lookup: the first row that fits wins.
#include "validation/darodi/category_tokens.h"

#include "engine/ascii.h"
#include "validation/darodi/category_tables.h"

namespace DAROdi {

namespace {

std::string_view TextOrEmpty(const char* text) {
    return text ? std::string_view(text) : std::string_view();
}

}  // namespace

Kiv::String CopyCategoryToken(const char* text) {
    if (text == nullptr) return Kiv::String();
    return Kiv::String(text, static_cast<size_t>(CategoryTokenEnd(text) - text));
}

void AppendCategoryToken(const char* token, Kiv::String& list) {
    const char* end = CategoryTokenEnd(token);
    if (end == token) return;
    if (!list.IsEmpty()) list.Std() += ';';
    list.Std().append(token, end);
}

Kiv::String BuildCategoryTokenList(const char* base, const char* added) {
    Kiv::String result(base);
    const char* at = added ? added : "";
    while (*at != '\0') {
        const Kiv::String hashed("#" + CopyCategoryToken(at).Std());
        if (!MatchCategoryToken(result.c_str(), hashed.c_str())) {
            AppendCategoryToken(hashed.c_str(), result);
        }
        at = CategoryTokenEnd(at);
        while (*at == ';' || *at == '|')
            ++at;
    }
    return result;
}

Kiv::String LookupKindCategory(const Kiv::PString& kind, const Kiv::PString& qualifier) {
    for (const KindCategoryRow& row : KindCategoryTable) {
        if (row.kind.IsNull()) break;
        if (row.kind != kind) continue;
        if (row.qualifier.IsNull() || MatchCategoryPattern(row.qualifier.Text(), qualifier.Text())) {
            return row.category;
        }
    }
    return Kiv::String();
}

Kiv::String LookupLegacyCategory(const char* kind, const char* code) {
    const std::string_view wantedKind = TextOrEmpty(kind);
    const std::string_view wantedCode = TextOrEmpty(code);
    for (const LegacyKindCodeRow& row : LegacyKindCodeTable) {
        if (row.category.IsEmpty()) break;
        const bool kindFits = wantedKind.empty() || *row.kind == '\0' ||
                              Kiv::Ascii::EqualsIgnoreCase(wantedKind, row.kind);
        if (kindFits && Kiv::Ascii::EqualsIgnoreCase(wantedCode, row.code)) return row.category;
    }
    return Kiv::String();
}

}  // namespace DAROdi
