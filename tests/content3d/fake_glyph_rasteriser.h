// A glyph rasteriser for tests of the font code: every answer is programmable (metrics,
// subset bits, character set, the widths and ink of chosen code points), any step can be
// made to fail, and every font request and draw is recorded. Header-only, so the font fuzz
// target uses it too.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "content3d/fonts/glyph_rasteriser.h"
#include "engine/bitmap.h"

struct FakeGlyph {
    GlyphMetrics widths;
    // Rows of the glyph's body from its top-left (pen x + A, cell top): '.' untouched,
    // '#' full coverage (255), 'o' half coverage (128).
    std::vector<std::string> ink;
};

struct FakeDraw {
    int32_t font;  // which font drew, in the order the rasteriser made them
    int32_t x;
    int32_t y;
    char16_t unit;
};

class FakeGlyphRasteriser : public GlyphRasteriser {
  public:
    // What the fonts answer.
    RasterTextMetrics metrics{12, 10};
    bool metricsFail = false;
    int32_t charSetAnswer = 0;
    UnicodeSubsetBits bits = BasicLatin();
    std::map<uint32_t, FakeGlyph> glyphs;  // code points the face has
    GlyphMetrics missingWidths{1, 5, 1};   // the missing glyph's
    int32_t failWidthsCall = -1;           // the GetCharWidths call (from 0) that fails
    std::set<int32_t> refusedCharSets;     // font creation fails for these
    bool refuseAll = false;
    std::set<char16_t> failedDraws;

    // What happened.
    std::vector<RasterFontRequest> requests;
    std::vector<FakeDraw> draws;
    int32_t fontsMade = 0;

    static UnicodeSubsetBits BasicLatin() {
        UnicodeSubsetBits basicLatin;
        basicLatin.Set(0);
        return basicLatin;
    }

    std::unique_ptr<RasterFont> CreateFont(const RasterFontRequest& request) override {
        requests.push_back(request);
        if (refuseAll || refusedCharSets.count(request.charSet)) return nullptr;
        return std::make_unique<Font>(*this, fontsMade++);
    }

  private:
    class Font : public RasterFont {
      public:
        Font(FakeGlyphRasteriser& owner, int32_t id) : owner_(owner), id_(id) {}

        bool GetTextMetrics(RasterTextMetrics& metrics) override {
            metrics = owner_.metrics;
            return !owner_.metricsFail;
        }
        int32_t GetTextCharsetInfo(UnicodeSubsetBits& bits) override {
            bits = owner_.bits;
            return owner_.charSetAnswer;
        }
        bool GetCharWidths(uint32_t first, uint32_t last, GlyphMetrics* widths) override {
            if (widthCalls_++ == owner_.failWidthsCall) return false;
            for (uint32_t c = first; c <= last; ++c) {
                const auto glyph = owner_.glyphs.find(c);
                widths[c - first] = glyph != owner_.glyphs.end() ? glyph->second.widths
                                                                 : owner_.missingWidths;
            }
            return true;
        }
        uint32_t GetGlyphIndex(uint32_t codePoint) override {
            return owner_.glyphs.count(codePoint) ? codePoint : 0;
        }
        bool DrawChar(Kiv::Bitmap& atlas, int32_t x, int32_t y, char16_t unit) override {
            owner_.draws.push_back({id_, x, y, unit});
            if (owner_.failedDraws.count(unit)) return false;
            const auto glyph = owner_.glyphs.find(unit);
            if (glyph == owner_.glyphs.end()) return true;
            const int64_t left = int64_t{x} + glyph->second.widths.a;
            for (size_t row = 0; row < glyph->second.ink.size(); ++row) {
                const std::string& line = glyph->second.ink[row];
                for (size_t column = 0; column < line.size(); ++column)
                    Put(atlas, left + int64_t(column), int64_t{y} + int64_t(row), line[column]);
            }
            return true;
        }

      private:
        static void Put(Kiv::Bitmap& atlas, int64_t x, int64_t y, char ink) {
            if (ink == '.' || x < 0 || y < 0 || x >= atlas.GetWidth() || y >= atlas.GetHeight())
                return;
            uint8_t* pixel = atlas.PixelAt(static_cast<uint32_t>(x), static_cast<uint32_t>(y));
            pixel[0] = pixel[1] = pixel[2] = ink == 'o' ? 128 : 255;
        }

        FakeGlyphRasteriser& owner_;
        int32_t id_;
        int32_t widthCalls_ = 0;
    };
};
