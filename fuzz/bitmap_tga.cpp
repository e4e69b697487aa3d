// The TGA image reader, held to what every image reader promises (bitmap_fuzz.h).
#include "bitmap_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzBitmapReader(Kiv::BitmapReaders::ReadTga, data, size);
}
