// The JPEG (through libjpeg) image reader: any bytes either fail with a reason or give a bitmap whose
// sides are within 1..16384 and whose pixel bytes are exactly width * height * 4.
#include <cstdio>
#include <cstdlib>

#include "engine/bitmap_readers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string error;
    std::unique_ptr<Kiv::Bitmap> bitmap = Kiv::BitmapReaders::ReadJpeg({data, size}, error);
    if (!bitmap) {
        if (error.empty()) std::abort();
        return 0;
    }
    const bool sound = bitmap->GetWidth() >= 1 && bitmap->GetWidth() <= Kiv::Bitmap::kMaxSide &&
                       bitmap->GetHeight() >= 1 && bitmap->GetHeight() <= Kiv::Bitmap::kMaxSide &&
                       bitmap->GetByteCount() == size_t{bitmap->GetWidth()} * bitmap->GetHeight() * 4 &&
                       (bitmap->GetFormat() == Kiv::Bitmap::kFormatBGRA ||
                        bitmap->GetFormat() == Kiv::Bitmap::kFormatBGRX);
    if (!sound) {
        std::fprintf(stderr, "fuzz: the bitmap breaks its own bounds\n");
        std::abort();
    }
    return 0;
}
