// The face fontconfig chooses for a font request: family, weight and slant as asked, and
// the language of the request's character set, which the face must cover. Part of the
// FreeType rasteriser (its mapping is written in freetype_rasteriser.h).
#pragma once

#include <string>

#include "content3d/fonts/glyph_rasteriser.h"

struct FaceMatch {
    std::string file;
    int index = 0;
    bool needsEmbolden = false;  // bold was asked and the face is lighter
    bool needsOblique = false;   // italic was asked and the face is upright
};

// False when no face matches, or the matched one lacks the character set's language.
bool MatchFace(const RasterFontRequest& request, FaceMatch& match);

// The language fontconfig is asked to cover for a character set; null for none.
const char* CharSetLanguage(int32_t charSet);
