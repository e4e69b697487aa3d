// The PNG reader over libpng. libpng reports errors by longjmp, so the decoding runs in one
// function whose state lives in a caller-owned struct and which holds no C++ object of its
// own; the caller frees libpng's structures either way.
#include <png.h>

#include <csetjmp>
#include <cstring>

#include "engine/bitmap_readers.h"

namespace Kiv::BitmapReaders {

namespace {

// Deflate expands at most about 1032 times; a file claiming more pixel bytes than its
// size could encode is refused before anything is allocated.
constexpr uint64_t kMaxExpansion = 1100;
constexpr uint64_t kExpansionAllowance = 1 << 16;

struct PngState {
    std::span<const uint8_t> bytes;
    size_t position = 0;
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::unique_ptr<Bitmap> bitmap;
    std::vector<png_bytep> rows;
    char error[256] = "PNG data damaged";
};

void Fail(png_structp png, const char* message) {
    auto* state = static_cast<PngState*>(png_get_error_ptr(png));
    std::snprintf(state->error, sizeof state->error, "PNG: %s", message);
    png_longjmp(png, 1);
}

void OnError(png_structp png, png_const_charp message) { Fail(png, message); }

void OnWarning(png_structp, png_const_charp) {}

void OnRead(png_structp png, png_bytep out, size_t length) {
    auto* state = static_cast<PngState*>(png_get_io_ptr(png));
    if (length > state->bytes.size() - state->position) Fail(png, "data truncated");
    std::memcpy(out, state->bytes.data() + state->position, length);
    state->position += length;
}

// Grey, palette, 16-bit and transparency forms all become 8-bit B, G, R, A.
bool SetTransforms(PngState& s) {
    const png_byte colourType = png_get_color_type(s.png, s.info);
    const bool hasAlpha = (colourType & PNG_COLOR_MASK_ALPHA) != 0 ||
                          png_get_valid(s.png, s.info, PNG_INFO_tRNS) != 0;
    png_set_expand(s.png);
    png_set_strip_16(s.png);
    png_set_gray_to_rgb(s.png);
    png_set_bgr(s.png);
    if (!hasAlpha) png_set_filler(s.png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(s.png);
    png_read_update_info(s.png, s.info);
    return hasAlpha;
}

bool Decode(PngState& s) {
    s.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &s, OnError, OnWarning);
    if (!s.png) return false;
    s.info = png_create_info_struct(s.png);
    if (!s.info) return false;
    if (setjmp(png_jmpbuf(s.png))) return false;
    png_set_user_limits(s.png, Bitmap::kMaxSide, Bitmap::kMaxSide);
    png_set_read_fn(s.png, &s, OnRead);
    png_read_info(s.png, s.info);
    const png_uint_32 width = png_get_image_width(s.png, s.info);
    const png_uint_32 height = png_get_image_height(s.png, s.info);
    const uint64_t rawBytes = uint64_t{png_get_rowbytes(s.png, s.info)} * height;
    if (rawBytes > kMaxExpansion * s.bytes.size() + kExpansionAllowance)
        Fail(s.png, "image larger than its data can hold");
    const bool hasAlpha = SetTransforms(s);
    if (png_get_rowbytes(s.png, s.info) != size_t{width} * 4) Fail(s.png, "unexpected row layout");
    s.bitmap = Bitmap::Create(width, height, hasAlpha ? Bitmap::kFormatBGRA : Bitmap::kFormatBGRX);
    if (!s.bitmap) Fail(s.png, "size out of range");
    s.rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y) s.rows[y] = s.bitmap->PixelAt(0, y);
    png_read_image(s.png, s.rows.data());
    png_read_end(s.png, nullptr);
    return true;
}

}  // namespace

std::unique_ptr<Bitmap> ReadPng(std::span<const uint8_t> bytes, std::string& error) {
    PngState state;
    state.bytes = bytes;
    const bool decoded = Decode(state);
    png_destroy_read_struct(&state.png, &state.info, nullptr);
    if (decoded) return std::move(state.bitmap);
    error = state.error;
    return nullptr;
}

}  // namespace Kiv::BitmapReaders
