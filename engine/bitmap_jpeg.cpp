// The JPEG reader over libjpeg. libjpeg reports errors through a callback that must not
// return, so the decoding longjmps out of one function whose state lives in a caller-owned
// struct; warnings (data ending early, corrupt entropy data) fail the read as well, so a
// damaged file never gives a partly grey picture.
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>

#include "engine/bitmap_readers.h"

namespace Kiv::BitmapReaders {

namespace {

// The densest baseline JPEG still needs a few bits per block of 8 x 8 pixels: a file
// claiming far more pixels than its size could encode is refused before decoding.
constexpr uint64_t kMaxPixelsPerByte = 1024;
constexpr uint64_t kPixelAllowance = 1 << 16;
// Progressive files may hold many scans; this many is far beyond any real encoder.
constexpr int kMaxScans = 1000;

struct JpegState {
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    jpeg_progress_mgr progress{};
    std::jmp_buf jump{};
    bool created = false;
    std::unique_ptr<Bitmap> bitmap;
    char error[JMSG_LENGTH_MAX + 8] = "JPEG data damaged";
};

JpegState& StateOf(j_common_ptr info) {
    return *static_cast<JpegState*>(info->client_data);
}

void OnError(j_common_ptr info) {
    JpegState& state = StateOf(info);
    char message[JMSG_LENGTH_MAX];
    (*info->err->format_message)(info, message);
    std::snprintf(state.error, sizeof state.error, "JPEG: %s", message);
    std::longjmp(state.jump, 1);
}

void OnMessage(j_common_ptr info, int level) {
    if (level < 0) OnError(info);
}

void OnProgress(j_common_ptr info) {
    auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (decompress->input_scan_number > kMaxScans) {
        std::snprintf(StateOf(info).error, sizeof StateOf(info).error, "JPEG: too many scans");
        std::longjmp(StateOf(info).jump, 1);
    }
}

void CheckHeader(JpegState& s, size_t fileSize) {
    const uint64_t pixels = uint64_t{s.info.image_width} * s.info.image_height;
    const bool colourOk = s.info.jpeg_color_space == JCS_GRAYSCALE ||
                          s.info.jpeg_color_space == JCS_YCbCr || s.info.jpeg_color_space == JCS_RGB;
    const char* problem = nullptr;
    if (s.info.image_width > Bitmap::kMaxSide || s.info.image_height > Bitmap::kMaxSide)
        problem = "JPEG: size out of range";
    else if (pixels > kMaxPixelsPerByte * fileSize + kPixelAllowance)
        problem = "JPEG: image larger than its data can hold";
    else if (!colourOk)
        problem = "JPEG: colour space is not supported";
    if (!problem) return;
    std::snprintf(s.error, sizeof s.error, "%s", problem);
    std::longjmp(s.jump, 1);
}

bool Decode(JpegState& s, std::span<const uint8_t> bytes) {
    s.info.err = jpeg_std_error(&s.errors);
    s.errors.error_exit = OnError;
    s.errors.emit_message = OnMessage;
    s.info.client_data = &s;
    if (setjmp(s.jump)) return false;
    jpeg_create_decompress(&s.info);
    s.created = true;
    s.progress.progress_monitor = OnProgress;
    s.info.progress = &s.progress;
    jpeg_mem_src(&s.info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&s.info, TRUE);
    CheckHeader(s, bytes.size());
    s.info.out_color_space = JCS_EXT_BGRA;
    jpeg_start_decompress(&s.info);
    s.bitmap = Bitmap::Create(s.info.output_width, s.info.output_height, Bitmap::kFormatBGRX);
    if (!s.bitmap || s.info.output_components != 4) return false;
    while (s.info.output_scanline < s.info.output_height) {
        JSAMPROW row = s.bitmap->PixelAt(0, s.info.output_scanline);
        if (jpeg_read_scanlines(&s.info, &row, 1) != 1) return false;
    }
    jpeg_finish_decompress(&s.info);
    return true;
}

}  // namespace

std::unique_ptr<Bitmap> ReadJpeg(std::span<const uint8_t> bytes, std::string& error) {
    auto state = std::make_unique<JpegState>();
    const bool decoded = !bytes.empty() && Decode(*state, bytes);
    if (state->created) jpeg_destroy_decompress(&state->info);
    if (decoded) return std::move(state->bitmap);
    error = state->error;
    return nullptr;
}

}  // namespace Kiv::BitmapReaders
