// Copies between bitmaps: unscaled (a source rectangle placed at a point) and scaled (a
// source rectangle sampled onto a target rectangle as Bitmap::Scale samples, inside a clip
// rectangle). Both rectangles are clipped to both bitmaps first; a copy of a bitmap onto
// itself reads from a snapshot, so overlapping rectangles copy what was there before.
#include <memory>

#include "engine/bitmap.h"
#include "engine/bitmap_footprint.h"
#include "engine/bitmap_paint.h"

namespace Kiv {

namespace {

using BitmapPaint::Area;

Area Whole(const Bitmap& bitmap) {
    return {0, 0, int64_t{bitmap.GetWidth()}, int64_t{bitmap.GetHeight()}};
}

// The source as it is now: itself, or a snapshot when it is the target.
const Bitmap& Stable(const Bitmap& source, const Bitmap* target, std::unique_ptr<Bitmap>& snapshot) {
    if (&source != target) return source;
    snapshot = source.Clone();
    return *snapshot;
}

}  // namespace

void Bitmap::Image(const Bitmap& source, BitmapPoint at, BitmapRect sourceRect, int32_t mode) {
    if (format_ == kFormatRaw || source.format_ == kFormatRaw) return;
    Area from = BitmapPaint::AreaOf(sourceRect.x, sourceRect.y, sourceRect.width, sourceRect.height);
    // Where the source rectangle's corner lands.
    const int64_t shiftX = int64_t{at.x} - from.x0, shiftY = int64_t{at.y} - from.y0;
    from = BitmapPaint::Intersect(from, Whole(source));
    const Area to = BitmapPaint::Intersect({from.x0 + shiftX, from.y0 + shiftY, from.x1 + shiftX, from.y1 + shiftY},
                                           Whole(*this));
    if (from.Empty() || to.Empty()) return;
    std::unique_ptr<Bitmap> snapshot;
    const Bitmap& pixels = Stable(source, this, snapshot);
    for (int64_t y = to.y0; y < to.y1; ++y)
        for (int64_t x = to.x0; x < to.x1; ++x)
            BitmapPaint::Put(PixelAt(static_cast<uint32_t>(x), static_cast<uint32_t>(y)),
                             pixels.PixelAt(static_cast<uint32_t>(x - shiftX), static_cast<uint32_t>(y - shiftY)),
                             mode != kDrawReplace);
}

void Bitmap::Image(const Bitmap& source, BitmapRect target, BitmapRect sourceRect, int32_t mode, BitmapRect clip) {
    if (format_ == kFormatRaw || source.format_ == kFormatRaw) return;
    const Area from = BitmapPaint::Intersect(
        BitmapPaint::AreaOf(sourceRect.x, sourceRect.y, sourceRect.width, sourceRect.height), Whole(source));
    const Area onto = BitmapPaint::AreaOf(target.x, target.y, target.width, target.height);
    if (from.Empty() || onto.Empty() || target.width > int32_t{kMaxSide} || target.height > int32_t{kMaxSide}) return;
    const Area clipArea = BitmapPaint::AreaOf(clip.x, clip.y, clip.width, clip.height);
    const Area to = BitmapPaint::Intersect(BitmapPaint::Intersect(onto, clipArea), Whole(*this));
    if (to.Empty()) return;
    std::unique_ptr<Bitmap> snapshot;
    const Bitmap& pixels = Stable(source, this, snapshot);
    const uint32_t fromWidth = static_cast<uint32_t>(from.x1 - from.x0), fromHeight = static_cast<uint32_t>(from.y1 - from.y0);
    const auto pixelAt = [&pixels](uint32_t x, uint32_t y) { return pixels.PixelAt(x, y); };
    for (int64_t y = to.y0; y < to.y1; ++y) {
        const auto rows = Footprint(static_cast<uint64_t>(y - onto.y0), static_cast<uint64_t>(target.height), fromHeight);
        for (int64_t x = to.x0; x < to.x1; ++x) {
            uint8_t colour[4];
            BoxMean(pixelAt, static_cast<uint32_t>(from.x0), static_cast<uint32_t>(from.y0),
                    Footprint(static_cast<uint64_t>(x - onto.x0), static_cast<uint64_t>(target.width), fromWidth), rows,
                    colour);
            BitmapPaint::Put(PixelAt(static_cast<uint32_t>(x), static_cast<uint32_t>(y)), colour, mode != kDrawReplace);
        }
    }
}

}  // namespace Kiv
