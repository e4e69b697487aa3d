// Category token lists and category patterns, the one matcher that every reader of asset
// categories shares: validation's templates and script-class rules, and the stand-in
// daemon's category filter. A list is tokens separated by ';' and ends at NUL or at its
// first '|'; a pattern is alternatives separated by '|', each a run of terms separated by
// ';', where each leading '-' inverts a term once. Tokens compare byte for byte ('?' and
// '#' are ordinary characters); a caller that wants case-blind matching folds both texts.
#pragma once

// The end of the token that starts at text: its first ';', '|' or NUL.
const char* CategoryTokenEnd(const char* text);

// True when the term (up to its first ';', '|' or NUL) is an element of the list, inverted
// once per leading '-'. A null list holds nothing; an empty term is in no list.
bool MatchCategoryToken(const char* list, const char* term);

// True when some alternative of the pattern holds for the list: all of its terms hold. A
// null or empty pattern holds, as does an alternative without terms; a '|' at the very end
// of the pattern adds no alternative.
bool MatchCategoryPattern(const char* pattern, const char* list);
