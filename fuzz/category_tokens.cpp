// Category token lists: the input is a pattern, a list and an added list, separated by NUL
// bytes. Every operation runs on them and must end inside its bytes; the results must keep
// the promises the operations make (inversion, the '#' tokens the builder adds, appending).
#include <string>

#include "fuzz_support.h"
#include "validation/darodi/category_tokens.h"

namespace {

using namespace DAROdi;

// The next NUL-separated piece of the input, or "" past its end.
std::string NextPiece(const std::string& input, size_t& at) {
    if (at > input.size()) return std::string();
    const size_t end = std::min(input.find('\0', at), input.size());
    std::string piece = input.substr(at, end - at);
    at = end + 1;
    return piece;
}

void CheckBuild(const std::string& base, const std::string& added) {
    const Kiv::String result = BuildCategoryTokenList(base.c_str(), added.c_str());
    fuzz::Require(result.View().substr(0, base.size()) == base, "the base list is kept");
    // Tokens after a '|' in the base are outside the list, so they may be added again.
    if (base.find('|') != std::string::npos) return;
    for (const char* at = added.c_str(); *at != '\0';) {
        const std::string hashed = "#" + CopyCategoryToken(at).Std();
        fuzz::Require(MatchCategoryToken(result.c_str(), hashed.c_str()), "each token added");
        at = CategoryTokenEnd(at);
        while (*at == ';' || *at == '|')
            ++at;
    }
}

void CheckAppend(const std::string& token, const std::string& list) {
    Kiv::String extended(list);
    AppendCategoryToken(token.c_str(), extended);
    const Kiv::String copied = CopyCategoryToken(token.c_str());
    fuzz::Require(extended.Length() <= list.size() + copied.Length() + 1, "append stays short");
    const bool plainToken = !copied.IsEmpty() && copied.c_str()[0] != '-';
    if (plainToken && list.find('|') == std::string::npos) {
        fuzz::Require(MatchCategoryToken(extended.c_str(), copied.c_str()), "appended token found");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    size_t at = 0;
    const std::string pattern = NextPiece(input, at);
    const std::string list = NextPiece(input, at);
    const std::string added = NextPiece(input, at);

    const bool holds = MatchCategoryToken(list.c_str(), pattern.c_str());
    const std::string inverted = "-" + pattern;
    fuzz::Require(MatchCategoryToken(list.c_str(), inverted.c_str()) == !holds, "'-' inverts");
    fuzz::Require(!MatchCategoryToken(nullptr, pattern.c_str()) || pattern[0] == '-',
                  "a null list holds only inverted terms");
    MatchCategoryPattern(pattern.c_str(), list.c_str());
    MatchCategoryPattern(pattern.c_str(), nullptr);
    CheckAppend(pattern, list);
    CheckBuild(list, added);
    LookupKindCategory(Kiv::PString(pattern.c_str()), Kiv::PString(list.c_str()));
    LookupLegacyCategory(pattern.c_str(), list.c_str());
    return 0;
}
