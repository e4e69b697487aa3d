// GSOImage: the native object behind the script class "Image", a 32-bit bitmap that scripts
// draw into with points, boxes, lines, circles, triangles, other images and text, in a line
// colour, a fill colour and a font. It starts without a bitmap (white opaque line colour,
// transparent black fill, the "swiss" font at 12 pixels); every drawing native is a no-op
// until Clear, Resize or a load gives it one. The change counter goes up with every change
// of the picture. Drawing rules behind the mode numbers are the engine's (engine/README.md).
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "engine/bitmap.h"
#include "engine/pstring.h"
#include "script_runtime/gs_object.h"

class GSStack;

class GSOImage : public GSObject {
  public:
    // Bytes in memory: the third, second, first and fourth script component (B, G, R, A).
    using PackedColor = std::array<uint8_t, 4>;

    // The initial state, attached to the "Image" class; null when it cannot be made.
    static GSOImage* Construct(GSContext* context);
    // An image of the file path under the location (Kiv::Bitmap::Load); null when the file
    // does not load.
    static GSOImage* CreateFromFile(GSContext* context, const char* location, const char* path);
    // Each component clamped to [0, 255], times 255, plus 0.5, truncated; the low byte kept.
    // NaN gives 0.
    static PackedColor PackColor(float c1, float c2, float c3, float c4);

    const Kiv::Bitmap* Bitmap() const { return bitmap_.get(); }
    const PackedColor& LineColor() const { return lineColor_; }
    const PackedColor& FillColor() const { return fillColor_; }
    const Kiv::PString& FontName() const { return fontName_; }
    int32_t FontSize() const { return fontSize_; }
    int32_t ChangeCount() const { return changeCount_; }

    void Clear(GSStack* stack);
    void Resize(GSStack* stack);
    void GetWidth(GSStack* stack);
    void GetHeight(GSStack* stack);
    void SetLineColor(GSStack* stack);
    void SetFillColor(GSStack* stack);
    void DrawPoint(GSStack* stack);
    void DrawRect(GSStack* stack);
    void DrawLine(GSStack* stack);
    void DrawCircle(GSStack* stack);
    void DrawTriangle(GSStack* stack);
    void DrawImageAt(GSStack* stack);
    void DrawImageInRect(GSStack* stack);
    void DrawImagePart(GSStack* stack);
    void SetTextFont(GSStack* stack);
    void MeasureTextWidth(GSStack* stack);
    void DrawText(GSStack* stack);
    void ExportImage(GSStack* stack);
    void ImportImage(GSStack* stack);

  private:
    GSOImage() = default;
    // Deletes the bitmap; a w x h one cleared to the fill colour when both are positive.
    void ReplaceBitmap(int32_t width, int32_t height);
    // A rectangle as scripts give it, before clipping.
    struct CopyRect {
        int64_t x, y, width, height;
    };
    // The unscaled copy of the source rectangle to the corner (x, y), blended; width and
    // height are the target's and matter only for the self-copy rule (a copy of an image
    // onto itself happens only between rectangles of one size).
    void CopyImage(const GSOImage& source, int64_t x, int64_t y, int64_t width, int64_t height, const CopyRect& from);
    static Kiv::BitmapColor Colour(const PackedColor& packed);

    std::unique_ptr<Kiv::Bitmap> bitmap_;
    PackedColor lineColor_{255, 255, 255, 255};
    PackedColor fillColor_{0, 0, 0, 0};
    Kiv::PString fontName_{"swiss"};
    int32_t fontSize_ = 12;
    int32_t changeCount_ = 0;
};
