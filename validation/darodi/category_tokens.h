// Operations on category token lists ("TR;TV;LOCO", "TO;?WA") and category patterns
// ("TR;TV|TO", "BD;-ACTV"): the syntax and the matcher are foundation's (one matcher for the
// whole program, the daemon's category filter included); this adds copying and appending
// tokens, the '#'-token extension of a list, and the two lookups of the kind tables.
#pragma once

#include "engine/pstring.h"
#include "engine/string.h"
#include "foundation/text/category_pattern.h"

namespace DAROdi {

using ::MatchCategoryPattern;
using ::MatchCategoryToken;

// The token at the start of text, up to its first ';', '|' or NUL; empty for null text.
Kiv::String CopyCategoryToken(const char* text);

// Appends the token at token (up to its first ';', '|' or NUL) to list, after a ';' when
// the list is not empty. An empty token appends nothing.
void AppendCategoryToken(const char* token, Kiv::String& list);

// The base list extended by "#" and each token of the added list, unless that '#' token is
// already an element. A '|' in the added list separates tokens as ';' does.
Kiv::String BuildCategoryTokenList(const char* base, const char* added);

// The category code of the first row of KindCategoryTable whose kind is this interned kind
// and whose qualifier pattern is empty or holds for the qualifier (null: no list); else "".
Kiv::String LookupKindCategory(const Kiv::PString& kind, const Kiv::PString& qualifier);

// The category code of the first row of LegacyKindCodeTable whose code equals code and whose
// kind fits kind, both ignoring case (an empty kind on either side fits); else "".
Kiv::String LookupLegacyCategory(const char* kind, const char* code);

}  // namespace DAROdi
