// Bitmap drawing with arbitrary numbers: two small bitmaps, then a sequence of shapes and
// copies (between the two, or of one onto itself) whose coordinates, sizes, colours and
// modes come from the input. Nothing may reach outside the pixels, and no bitmap changes
// its size.
#include <cstring>

#include "engine/bitmap.h"
#include "fuzz_support.h"

namespace {

class Input {
  public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool Empty() const { return at_ >= size_; }
    uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    int32_t Int() {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) value |= uint32_t{Byte()} << (8 * i);
        return static_cast<int32_t>(value);
    }
    Kiv::BitmapPoint Point() { return {Int(), Int()}; }
    Kiv::BitmapRect Rect() { return {Int(), Int(), Int(), Int()}; }
    Kiv::BitmapColor Colour() { return {{Byte(), Byte(), Byte(), Byte()}}; }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

void Draw(Input& in, Kiv::Bitmap& target, const Kiv::Bitmap& other) {
    const uint8_t op = in.Byte();
    const Kiv::Bitmap& source = op & 0x80 ? target : other;
    switch (op & 7) {
        case 0: target.BlendPixel(in.Point(), in.Colour()); break;
        case 1: target.Box(in.Rect(), in.Colour(), in.Byte() & 7); break;
        case 2: target.Line(in.Point(), in.Point(), in.Colour(), in.Byte() & 7); break;
        case 3: target.Circle(in.Point(), in.Int(), in.Colour(), in.Byte() & 7); break;
        case 4: target.Triangle(in.Point(), in.Point(), in.Point(), in.Colour(), in.Byte() & 7); break;
        case 5: target.Image(source, in.Point(), in.Rect(), in.Byte() & 7); break;
        case 6: target.Image(source, in.Rect(), in.Rect(), in.Byte() & 7, in.Rect()); break;
        default: target.Clear(in.Colour()); break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in(data, size);
    const uint32_t w1 = 1 + in.Byte() % 48, h1 = 1 + in.Byte() % 48;
    const uint32_t w2 = 1 + in.Byte() % 48, h2 = 1 + in.Byte() % 48;
    auto first = Kiv::Bitmap::Create(w1, h1, Kiv::Bitmap::kFormatBGRA);
    auto second = Kiv::Bitmap::Create(w2, h2, Kiv::Bitmap::kFormatBGRX);
    fuzz::Require(first && second, "small bitmaps are made");
    for (int ops = 0; ops < 64 && !in.Empty(); ++ops) {
        const bool onFirst = in.Byte() & 1;
        if (onFirst)
            Draw(in, *first, *second);
        else
            Draw(in, *second, *first);
    }
    fuzz::Require(first->GetWidth() == w1 && first->GetHeight() == h1 && second->GetWidth() == w2 &&
                      second->GetHeight() == h2 && first->GetByteCount() == size_t{w1} * h1 * 4,
                  "drawing keeps the bitmaps' sizes");
    return 0;
}
