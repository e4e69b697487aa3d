// GSOImage: the native object behind the script class "Image", a 32-bit bitmap that scripts
// draw into. This holds the object and its initial state (no bitmap, white opaque line
// colour, transparent black fill, the "swiss" font at 12 pixels); its natives, which draw,
// load and export, are not built yet, so the "Image" declarations stay unbound.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "engine/bitmap.h"
#include "engine/pstring.h"
#include "script_runtime/gs_object.h"

class GSOImage : public GSObject {
  public:
    // Bytes in memory: blue, green, red, alpha.
    using PackedColor = std::array<uint8_t, 4>;

    // The initial state, attached to the "Image" class; null when it cannot be made.
    static GSOImage* Construct(GSContext* context);

    const Kiv::Bitmap* Bitmap() const { return bitmap_.get(); }
    const PackedColor& LineColor() const { return lineColor_; }
    const PackedColor& FillColor() const { return fillColor_; }
    const Kiv::PString& FontName() const { return fontName_; }
    int32_t FontSize() const { return fontSize_; }
    int32_t ChangeCount() const { return changeCount_; }

  private:
    GSOImage() = default;

    std::unique_ptr<Kiv::Bitmap> bitmap_;
    PackedColor lineColor_{255, 255, 255, 255};
    PackedColor fillColor_{0, 0, 0, 0};
    Kiv::PString fontName_{"swiss"};
    int32_t fontSize_ = 12;
    int32_t changeCount_ = 0;
};
