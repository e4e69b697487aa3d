// FreeTypeRasteriser::CreateFont: the face fontconfig matches, opened and sized.
#include "content3d/fonts/freetype_rasteriser.h"

#include "content3d/fonts/fontconfig_match.h"
#include "content3d/fonts/freetype_font.h"

namespace {

constexpr int32_t kMaxHeight = 16384;
constexpr int32_t kDefaultEmHeight = 12;

FT_Library Library() {
    static FT_Library library = [] {
        FT_Library made = nullptr;
        return FT_Init_FreeType(&made) == 0 ? made : nullptr;
    }();
    return library;
}

bool SetHeight(FT_Face face, int32_t height) {
    FT_Size_RequestRec size{};
    size.type = height > 0 ? FT_SIZE_REQUEST_TYPE_REAL_DIM : FT_SIZE_REQUEST_TYPE_NOMINAL;
    const int32_t pixels = height > 0 ? height : height < 0 ? -height : kDefaultEmHeight;
    size.height = FT_Long{pixels} * 64;
    return FT_Request_Size(face, &size) == 0;
}

}  // namespace

FreeTypeRasteriser& FreeTypeRasteriser::Instance() {
    static FreeTypeRasteriser* rasteriser = new FreeTypeRasteriser();
    return *rasteriser;
}

std::unique_ptr<RasterFont> FreeTypeRasteriser::CreateFont(const RasterFontRequest& request) {
    if (request.height > kMaxHeight || request.height < -kMaxHeight || !Library()) return nullptr;
    FaceMatch match;
    if (!MatchFace(request, match)) return nullptr;
    FT_Face face = nullptr;
    if (FT_New_Face(Library(), match.file.c_str(), match.index, &face) != 0) return nullptr;
    if (!SetHeight(face, request.height)) {
        FT_Done_Face(face);
        return nullptr;
    }
    FreeTypeFont::Style style;
    style.charSet = request.charSet;
    style.embolden = match.needsEmbolden;
    style.oblique = match.needsOblique;
    style.antiAliased = request.antiAliased;
    style.underline = request.underline;
    style.strikeOut = request.strikeOut;
    return std::make_unique<FreeTypeFont>(face, style);
}
