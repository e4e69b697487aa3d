// Face matching through fontconfig, whose configuration is loaded once and kept for the
// process. Fontconfig 2.14's configuration parser loses a few bytes while it loads the
// system's files; the leak checker is told to ignore what that one load allocates, so that
// a leak of ours still shows.
#include "content3d/fonts/fontconfig_match.h"

#include <fontconfig/fontconfig.h>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KODRIN_LEAK_CHECKS 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define KODRIN_LEAK_CHECKS 1
#endif
#ifdef KODRIN_LEAK_CHECKS
#include <sanitizer/lsan_interface.h>
#endif

#include "foundation/text/utf16_conversion.h"

namespace {

struct CharSetLanguageRow {
    int32_t charSet;
    const char* language;
};

// Character set and the language whose coverage it stands for.
constexpr CharSetLanguageRow kLanguages[] = {
    {0, "en"},   {77, "en"},  {255, "en"}, {186, "lt"},    {136, "zh-tw"}, {238, "pl"},
    {204, "ru"}, {222, "th"}, {134, "zh-cn"}, {161, "el"}, {129, "ko"},    {178, "ar"},
    {128, "ja"}, {162, "tr"}, {163, "vi"}, {130, "ko"},    {177, "he"},
};

bool LoadConfiguration() {
#ifdef KODRIN_LEAK_CHECKS
    __lsan::ScopedDisabler ignoreTheLoadsOwnLoss;
#endif
    return FcInit() == FcTrue;
}

bool FontconfigReady() {
    static const bool ready = LoadConfiguration();
    return ready;
}

FcPattern* RequestPattern(const RasterFontRequest& request, const char* language) {
    FcPattern* pattern = FcPatternCreate();
    if (!pattern) return nullptr;
    const std::string family = UTF16ToUTF8(request.face);
    if (!family.empty())
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(request.weight));
    FcPatternAddInteger(pattern, FC_SLANT, request.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_OUTLINE, FcTrue);
    if (language) {
        FcLangSet* languages = FcLangSetCreate();
        FcLangSetAdd(languages, reinterpret_cast<const FcChar8*>(language));
        FcPatternAddLangSet(pattern, FC_LANG, languages);
        FcLangSetDestroy(languages);
    }
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    return pattern;
}

bool CoversLanguage(FcPattern* face, const char* language) {
    FcLangSet* languages = nullptr;
    if (FcPatternGetLangSet(face, FC_LANG, 0, &languages) != FcResultMatch) return false;
    return FcLangSetHasLang(languages, reinterpret_cast<const FcChar8*>(language)) !=
           FcLangDifferentLang;
}

bool ReadMatch(FcPattern* face, const RasterFontRequest& request, FaceMatch& match) {
    FcChar8* file = nullptr;
    if (FcPatternGetString(face, FC_FILE, 0, &file) != FcResultMatch || !file) return false;
    match.file = reinterpret_cast<const char*>(file);
    match.index = 0;
    FcPatternGetInteger(face, FC_INDEX, 0, &match.index);
    int weight = FC_WEIGHT_REGULAR;
    FcPatternGetInteger(face, FC_WEIGHT, 0, &weight);
    int slant = FC_SLANT_ROMAN;
    FcPatternGetInteger(face, FC_SLANT, 0, &slant);
    match.needsEmbolden = request.weight >= 700 && weight < FC_WEIGHT_DEMIBOLD;
    match.needsOblique = request.italic && slant == FC_SLANT_ROMAN;
    return true;
}

}  // namespace

const char* CharSetLanguage(int32_t charSet) {
    for (const CharSetLanguageRow& row : kLanguages)
        if (row.charSet == charSet) return row.language;
    return nullptr;
}

bool MatchFace(const RasterFontRequest& request, FaceMatch& match) {
    if (!FontconfigReady()) return false;
    const char* language = request.charSet != 1 ? CharSetLanguage(request.charSet) : nullptr;
    FcPattern* pattern = RequestPattern(request, language);
    if (!pattern) return false;
    FcResult result = FcResultNoMatch;
    FcPattern* face = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!face) return false;
    const bool found = (!language || CoversLanguage(face, language)) && ReadMatch(face, request, match);
    FcPatternDestroy(face);
    return found;
}
