// The image's drawing natives: points, boxes, lines, circles, triangles and copies of other
// images (or of itself). Corner pairs from scripts are turned into rectangles in 64-bit
// arithmetic and brought into the int range without moving any edge that could be seen.
#include <algorithm>
#include <cstdint>

#include "script_natives/gso_image.h"
#include "script_natives/native_arguments.h"

namespace {

int32_t IntArgument(GSStack* stack, int index) { return ArgumentValue(stack, index).i; }

// A coordinate moved into [-1, side + 1]: beyond those it lies outside the bitmap, as
// before, so edges keep their visibility.
int64_t Near(int64_t value, uint32_t side) { return std::clamp<int64_t>(value, -1, int64_t{side} + 1); }

// The rectangle from corner (x1, y1) to (x2, y2), with an edge beyond the bitmap brought
// near it; a non-positive size stays non-positive.
Kiv::BitmapRect RectFromCorners(int64_t x1, int64_t y1, int64_t x2, int64_t y2, const Kiv::Bitmap& bitmap) {
    if (x2 <= x1 || y2 <= y1) return Kiv::BitmapRect{0, 0, 0, 0};
    const int64_t left = Near(x1, bitmap.GetWidth()), top = Near(y1, bitmap.GetHeight());
    return Kiv::BitmapRect{static_cast<int32_t>(left), static_cast<int32_t>(top),
                           static_cast<int32_t>(Near(x2, bitmap.GetWidth()) - left),
                           static_cast<int32_t>(Near(y2, bitmap.GetHeight()) - top)};
}

int32_t Saturated(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

}  // namespace

void GSOImage::DrawPoint(GSStack* stack) {
    if (!bitmap_) return;
    bitmap_->BlendPixel({IntArgument(stack, 1), IntArgument(stack, 2)}, Colour(lineColor_));
    ++changeCount_;
}

void GSOImage::DrawRect(GSStack* stack) {
    if (!bitmap_) return;
    const Kiv::BitmapRect rect =
        RectFromCorners(IntArgument(stack, 1), IntArgument(stack, 2), IntArgument(stack, 3), IntArgument(stack, 4), *bitmap_);
    bitmap_->Box(rect, Colour(fillColor_), Kiv::Bitmap::kDrawFill);
    bitmap_->Box(rect, Colour(lineColor_), Kiv::Bitmap::kDrawReplace);
    ++changeCount_;
}

void GSOImage::DrawLine(GSStack* stack) {
    if (!bitmap_) return;
    bitmap_->Line({IntArgument(stack, 1), IntArgument(stack, 2)}, {IntArgument(stack, 3), IntArgument(stack, 4)},
                  Colour(lineColor_), Kiv::Bitmap::kDrawOutline);
    ++changeCount_;
}

void GSOImage::DrawCircle(GSStack* stack) {
    if (!bitmap_) return;
    const Kiv::BitmapPoint centre{IntArgument(stack, 1), IntArgument(stack, 2)};
    const int32_t radius = IntArgument(stack, 3);
    bitmap_->Circle(centre, radius, Colour(fillColor_), Kiv::Bitmap::kDrawFill);
    bitmap_->Circle(centre, radius, Colour(lineColor_), Kiv::Bitmap::kDrawOutline);
    ++changeCount_;
}

// Both passes use the fill colour: the outline is drawn in it too.
void GSOImage::DrawTriangle(GSStack* stack) {
    if (!bitmap_) return;
    const Kiv::BitmapPoint a{IntArgument(stack, 1), IntArgument(stack, 2)};
    const Kiv::BitmapPoint b{IntArgument(stack, 3), IntArgument(stack, 4)};
    const Kiv::BitmapPoint c{IntArgument(stack, 5), IntArgument(stack, 6)};
    bitmap_->Triangle(a, b, c, Colour(fillColor_), Kiv::Bitmap::kDrawFill);
    bitmap_->Triangle(a, b, c, Colour(fillColor_), Kiv::Bitmap::kDrawOutline);
    ++changeCount_;
}

void GSOImage::DrawImageAt(GSStack* stack) {
    GSOImage* source;
    if (!CheckObjectArgument(stack, 3, source) || !bitmap_ || !source->bitmap_) return;
    const int64_t width = source->bitmap_->GetWidth(), height = source->bitmap_->GetHeight();
    CopyImage(*source, IntArgument(stack, 1), IntArgument(stack, 2), width, height, CopyRect{0, 0, width, height});
}

void GSOImage::DrawImageInRect(GSStack* stack) {
    GSOImage* source;
    if (!CheckObjectArgument(stack, 5, source) || !bitmap_ || !source->bitmap_) return;
    const int64_t x1 = IntArgument(stack, 1), y1 = IntArgument(stack, 2);
    CopyImage(*source, x1, y1, IntArgument(stack, 3) - x1, IntArgument(stack, 4) - y1,
              CopyRect{0, 0, source->bitmap_->GetWidth(), source->bitmap_->GetHeight()});
}

void GSOImage::DrawImagePart(GSStack* stack) {
    GSOImage* source;
    if (!CheckObjectArgument(stack, 5, source) || !bitmap_ || !source->bitmap_) return;
    const int64_t x1 = IntArgument(stack, 1), y1 = IntArgument(stack, 2);
    const int64_t sx1 = IntArgument(stack, 6), sy1 = IntArgument(stack, 7);
    CopyImage(*source, x1, y1, IntArgument(stack, 3) - x1, IntArgument(stack, 4) - y1,
              CopyRect{sx1, sy1, IntArgument(stack, 8) - sx1, IntArgument(stack, 9) - sy1});
}

// The source rectangle is clipped to the source first and the corner moved with it, so
// the engine gets int rectangles whatever the script gave.
void GSOImage::CopyImage(const GSOImage& source, int64_t x, int64_t y, int64_t width, int64_t height,
                         const CopyRect& from) {
    if (&source == this && (width != from.width || height != from.height)) return;
    const int64_t left = std::max<int64_t>(from.x, 0), top = std::max<int64_t>(from.y, 0);
    const int64_t right = std::min<int64_t>(from.x + from.width, source.bitmap_->GetWidth());
    const int64_t bottom = std::min<int64_t>(from.y + from.height, source.bitmap_->GetHeight());
    if (from.width > 0 && from.height > 0 && left < right && top < bottom)
        bitmap_->Image(*source.bitmap_, {Saturated(x + left - from.x), Saturated(y + top - from.y)},
                       {static_cast<int32_t>(left), static_cast<int32_t>(top), static_cast<int32_t>(right - left),
                        static_cast<int32_t>(bottom - top)},
                       Kiv::Bitmap::kDrawBlendCopy);
    ++changeCount_;
}
