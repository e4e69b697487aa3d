// Bitmap shapes: clear, points, boxes, lines, circles and triangles. Each shape is defined
// by the pixels it covers (engine/README.md) and walks only those inside the bitmap, each
// once, so a blended outline never blends a pixel twice.
#include <cstdlib>
#include <cstring>
#include <set>
#include <utility>

#include "engine/bitmap.h"
#include "engine/bitmap_paint.h"

namespace Kiv {

namespace {

using BitmapPaint::Area;

bool Blends(int32_t mode) { return mode != Bitmap::kDrawReplace; }
bool Fills(int32_t mode) { return mode == Bitmap::kDrawFill; }

Area Whole(const Bitmap& bitmap) {
    return {0, 0, int64_t{bitmap.GetWidth()}, int64_t{bitmap.GetHeight()}};
}

// The pixels of the line from a to b along its major axis: step i covers the major
// coordinate a + i and the minor one rounded from the exact line (halves away from a).
// Only the steps whose major coordinate lies in [lowMajor, highMajor) are visited.
template <class Visit>
void WalkLine(int64_t ax, int64_t ay, int64_t bx, int64_t by, int64_t limitX, int64_t limitY, Visit visit) {
    const int64_t dx = bx - ax, dy = by - ay;
    const bool xMajor = std::llabs(dx) >= std::llabs(dy);
    const int64_t major = xMajor ? std::llabs(dx) : std::llabs(dy);
    const int64_t minor = xMajor ? std::llabs(dy) : std::llabs(dx);
    const int64_t majorStart = xMajor ? ax : ay, minorStart = xMajor ? ay : ax;
    const int64_t majorStep = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const int64_t minorStep = (xMajor ? dy : dx) < 0 ? -1 : 1;
    const int64_t limit = xMajor ? limitX : limitY;
    // Steps i in [0, major] with majorStart + i * majorStep in [0, limit).
    int64_t first = majorStep > 0 ? -majorStart : majorStart - (limit - 1);
    int64_t last = majorStep > 0 ? limit - 1 - majorStart : majorStart;
    first = std::max<int64_t>(first, 0);
    last = std::min(last, major);
    for (int64_t i = first; i <= last; ++i) {
        const int64_t along =
            major == 0 ? 0 : static_cast<int64_t>((__int128{2} * i * minor + major) / (2 * major));
        const int64_t m = majorStart + i * majorStep, n = minorStart + along * minorStep;
        if (xMajor)
            visit(m, n);
        else
            visit(n, m);
    }
}

// Whether (x, y) lies in the disc of radius r about (cx, cy): squared distance <= r * r.
bool InDisc(int64_t x, int64_t y, int64_t cx, int64_t cy, int64_t r) {
    const uint64_t dx = static_cast<uint64_t>(std::llabs(x - cx));
    const uint64_t dy = static_cast<uint64_t>(std::llabs(y - cy));
    return dx * dx + dy * dy <= static_cast<uint64_t>(r) * static_cast<uint64_t>(r);
}

// Twice the signed area of (a, b, p), with p a doubled pixel centre and a, b doubled.
__int128 Edge(const BitmapPoint& a, const BitmapPoint& b, int64_t px, int64_t py) {
    const __int128 abx = 2 * (int64_t{b.x} - a.x), aby = 2 * (int64_t{b.y} - a.y);
    const __int128 apx = px - 2 * int64_t{a.x}, apy = py - 2 * int64_t{a.y};
    return abx * apy - aby * apx;
}

}  // namespace

void Bitmap::Clear(BitmapColor colour) {
    if (format_ == kFormatRaw) return;
    for (size_t at = 0; at + 4 <= pixels_.size(); at += 4)
        std::memcpy(&pixels_[at], colour.bytes, 4);
}

void Bitmap::BlendPixel(BitmapPoint at, BitmapColor colour) {
    if (format_ == kFormatRaw || at.x < 0 || at.y < 0) return;
    if (static_cast<uint32_t>(at.x) >= width_ || static_cast<uint32_t>(at.y) >= height_) return;
    BitmapPaint::Blend(PixelAt(static_cast<uint32_t>(at.x), static_cast<uint32_t>(at.y)), colour.bytes);
}

void Bitmap::Box(BitmapRect rect, BitmapColor colour, int32_t mode) {
    if (format_ == kFormatRaw) return;
    const Area box = BitmapPaint::AreaOf(rect.x, rect.y, rect.width, rect.height);
    const Area visible = BitmapPaint::Intersect(box, Whole(*this));
    for (int64_t y = visible.y0; y < visible.y1; ++y) {
        const bool edgeRow = y == box.y0 || y == box.y1 - 1;
        for (int64_t x = visible.x0; x < visible.x1; ++x) {
            if (!Fills(mode) && !edgeRow && x != box.x0 && x != box.x1 - 1) {
                x = std::max(x, box.x1 - 2);
                continue;
            }
            BitmapPaint::Put(PixelAt(static_cast<uint32_t>(x), static_cast<uint32_t>(y)), colour.bytes,
                             Blends(mode));
        }
    }
}

void Bitmap::Line(BitmapPoint from, BitmapPoint to, BitmapColor colour, int32_t mode) {
    if (format_ == kFormatRaw) return;
    WalkLine(from.x, from.y, to.x, to.y, width_, height_, [&](int64_t x, int64_t y) {
        if (x < 0 || y < 0 || x >= int64_t{width_} || y >= int64_t{height_}) return;
        BitmapPaint::Put(PixelAt(static_cast<uint32_t>(x), static_cast<uint32_t>(y)), colour.bytes, Blends(mode));
    });
}

void Bitmap::Circle(BitmapPoint centre, int32_t radius, BitmapColor colour, int32_t mode) {
    if (format_ == kFormatRaw || radius < 0) return;
    const int64_t cx = centre.x, cy = centre.y, r = radius;
    const Area visible = BitmapPaint::Intersect({cx - r, cy - r, cx + r + 1, cy + r + 1}, Whole(*this));
    for (int64_t y = visible.y0; y < visible.y1; ++y) {
        for (int64_t x = visible.x0; x < visible.x1; ++x) {
            if (!InDisc(x, y, cx, cy, r)) continue;
            const bool edge = !InDisc(x - 1, y, cx, cy, r) || !InDisc(x + 1, y, cx, cy, r) ||
                              !InDisc(x, y - 1, cx, cy, r) || !InDisc(x, y + 1, cx, cy, r);
            if (Fills(mode) || edge)
                BitmapPaint::Put(PixelAt(static_cast<uint32_t>(x), static_cast<uint32_t>(y)), colour.bytes,
                                 Blends(mode));
        }
    }
}

void Bitmap::Triangle(BitmapPoint a, BitmapPoint b, BitmapPoint c, BitmapColor colour, int32_t mode) {
    if (format_ == kFormatRaw) return;
    if (!Fills(mode)) {
        std::set<std::pair<int64_t, int64_t>> outline;
        const auto keep = [&](int64_t x, int64_t y) {
            if (x >= 0 && y >= 0 && x < int64_t{width_} && y < int64_t{height_}) outline.insert({x, y});
        };
        WalkLine(a.x, a.y, b.x, b.y, width_, height_, keep);
        WalkLine(b.x, b.y, c.x, c.y, width_, height_, keep);
        WalkLine(c.x, c.y, a.x, a.y, width_, height_, keep);
        for (const auto& [x, y] : outline)
            BitmapPaint::Put(PixelAt(static_cast<uint32_t>(x), static_cast<uint32_t>(y)), colour.bytes, Blends(mode));
        return;
    }
    const Area bounds{std::min({int64_t{a.x}, int64_t{b.x}, int64_t{c.x}}),
                      std::min({int64_t{a.y}, int64_t{b.y}, int64_t{c.y}}),
                      std::max({int64_t{a.x}, int64_t{b.x}, int64_t{c.x}}) + 1,
                      std::max({int64_t{a.y}, int64_t{b.y}, int64_t{c.y}}) + 1};
    const Area visible = BitmapPaint::Intersect(bounds, Whole(*this));
    for (int64_t y = visible.y0; y < visible.y1; ++y) {
        for (int64_t x = visible.x0; x < visible.x1; ++x) {
            const __int128 e0 = Edge(a, b, 2 * x + 1, 2 * y + 1), e1 = Edge(b, c, 2 * x + 1, 2 * y + 1),
                           e2 = Edge(c, a, 2 * x + 1, 2 * y + 1);
            const bool inside = (e0 >= 0 && e1 >= 0 && e2 >= 0) || (e0 <= 0 && e1 <= 0 && e2 <= 0);
            const bool degenerate = e0 == 0 && e1 == 0 && e2 == 0;
            if (inside && !degenerate)
                BitmapPaint::Put(PixelAt(static_cast<uint32_t>(x), static_cast<uint32_t>(y)), colour.bytes, true);
        }
    }
}

}  // namespace Kiv
