// The name rules of assets: cleaning a name of blanks and one pair of quotes, and the
// display name of a config soup. Names are bytes in either CP1252 or UTF-8, so a CP1252
// curly quote counts only beside an ASCII byte, where it cannot be part of a UTF-8 letter.
#include <cmath>
#include <string>

#include "link/kav/kav_asset_info.h"
#include "foundation/text/interface_text.h"
#include "foundation/soup/chunk_ref.h"

namespace {

// Below this build (times 100) content wrote blanks in names as underscores.
constexpr double kUnderscoreBlanksBefore = 290.0;

bool IsTrimmed(char c) { return c == '\t' || c == '\n' || c == '\r' || c == ' '; }
bool IsAsciiQuote(unsigned char c) { return c == 0x27 || c == 0x22; }
bool IsCp1252Quote(unsigned char c) { return c >= 0x91 && c <= 0x94; }

void Trim(std::string& text) {
    size_t start = 0;
    while (start < text.size() && IsTrimmed(text[start])) ++start;
    text.erase(0, start);
    while (!text.empty() && IsTrimmed(text.back())) text.pop_back();
}

// How many leading bytes form an opening quote.
size_t OpeningQuote(const std::string& text) {
    if (text.empty()) return 0;
    const auto first = static_cast<unsigned char>(text[0]);
    if (IsAsciiQuote(first)) return 1;
    if (IsCp1252Quote(first) && text.size() >= 2 && static_cast<unsigned char>(text[1]) < 0x80)
        return 1;
    if (text.starts_with("\xE2\x80\x98") || text.starts_with("\xE2\x80\x9C")) return 3;
    return 0;
}

// How many trailing bytes form a closing quote.
size_t ClosingQuote(const std::string& text) {
    if (text.empty()) return 0;
    const auto last = static_cast<unsigned char>(text.back());
    if (IsAsciiQuote(last)) return 1;
    if (IsCp1252Quote(last) && text.size() >= 2 &&
        static_cast<unsigned char>(text[text.size() - 2]) < 0x80)
        return 1;
    if (text.ends_with("\xE2\x80\x99") || text.ends_with("\xE2\x80\x9D")) return 3;
    return 0;
}

} // namespace

Kiv::String KAVAssetInfo::CleanName(const Kiv::String& name) {
    std::string text(name.View());
    Trim(text);
    text.erase(0, OpeningQuote(text));
    text.erase(text.size() - ClosingQuote(text));
    // The interface text holds the resource lock shared while it looks the text up.
    if (text.empty()) return GetInterfaceText("$cd_general_untitled");
    return Kiv::String(std::move(text));
}

Kiv::String KAVAssetInfo::DisplayName(const ACSChunkRef& soup) {
    Kiv::String text = soup.GetNamedTag("username");
    if (text.IsEmpty()) text = soup.GetNamedTag("name");
    if (text.IsEmpty()) text = soup.GetNamedTag("asset-filename");
    const double build = soup.GetNamedTagAsFloat("kodrin-build", 0.0f);
    if (std::trunc((build + 0.005) * 100.0) < kUnderscoreBlanksBefore) {
        for (char& c : text.Std())
            if (c == '_') c = ' ';
    }
    return CleanName(text);
}
