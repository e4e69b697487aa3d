// The image's text natives: the font by face name and pixel height from the program's font
// cache, text measured and drawn glyph by glyph in the line colour.
#include <string_view>

#include "content3d/fonts/font_cache.h"
#include "content3d/fonts/tt_font.h"
#include "content3d/fonts/utf8_char.h"
#include "script_natives/gso_image.h"
#include "script_natives/native_arguments.h"
#include "script_runtime/gs_stack.h"

namespace {

TTFont* FontOf(const Kiv::PString& face, int32_t size) {
    return FontCache::Instance().GetFont(0, 0, 0, 0, 0, 0, size, Kiv::PString(), face);
}

}  // namespace

void GSOImage::SetTextFont(GSStack* stack) {
    Kiv::PString face;
    if (!CheckStringArgument(stack, 1, false, face)) return;
    fontName_ = face.ToLower();
    fontSize_ = ArgumentValue(stack, 2).i;
}

void GSOImage::MeasureTextWidth(GSStack* stack) {
    Kiv::PString text;
    if (!CheckStringArgument(stack, 1, false, text)) return;
    TTFont* font = FontOf(fontName_, fontSize_);
    stack->PushInt(font ? font->MeasureText(text.View()) : 0);
}

void GSOImage::DrawText(GSStack* stack) {
    Kiv::PString text;
    if (!CheckStringArgument(stack, 3, false, text) || !bitmap_) return;
    TTFont* font = FontOf(fontName_, fontSize_);
    if (!font) return;
    const std::string_view bytes = text.View();
    const int32_t y = ArgumentValue(stack, 2).i;
    int64_t pen = ArgumentValue(stack, 1).i;
    for (size_t at = 0; at < bytes.size();) {
        size_t length = 0;
        const uint32_t codePoint =
            DecodeUtf8Char(reinterpret_cast<const uint8_t*>(bytes.data()) + at, bytes.size() - at, &length);
        if (length == 0) break;
        at += length;
        GlyphPlacement glyph;
        if (!font->GetGlyph(codePoint, glyph)) continue;
        const int64_t x = pen + glyph.a;
        if (x >= INT32_MIN && x <= INT32_MAX)
            TTFont::DrawGlyph(font, *bitmap_, glyph.u, glyph.v, lineColor_.data(), glyph.width, glyph.height,
                              static_cast<int32_t>(x), y);
        pen += int64_t{glyph.a} + glyph.b + glyph.c;
    }
    font->ReleaseDC();
    ++changeCount_;
}
