// Texture objects of the null display: surfaces kept as their size, format and creation
// arguments, uploads kept as copies of the bitmaps, and mip-level counts.
#include "engine/display_texture.h"

#include <atomic>
#include <bit>

#include "engine/bitmap.h"
#include "engine/display.h"

namespace Kiv {

namespace {

std::atomic<int> g_liveTextures{0};

bool ValidSide(uint32_t side) {
    return side >= 1 && side <= Bitmap::kMaxSide;
}

uint32_t LevelSide(uint32_t side, uint32_t level) {
    const uint32_t halved = side >> level;
    return halved == 0 ? 1 : halved;
}

}  // namespace

uint32_t DisplayTexture::GetNumMipLevels(const Display*, uint32_t width, uint32_t height) {
    const uint32_t larger = width > height ? width : height;
    return larger == 0 ? 0 : static_cast<uint32_t>(std::bit_width(larger));
}

int DisplayTexture::GetLiveCount() {
    return g_liveTextures.load();
}

DisplayTexture::DisplayTexture(Display* display, int id) : display_(display), id_(id) {
    g_liveTextures.fetch_add(1);
}

DisplayTexture::~DisplayTexture() {
    g_liveTextures.fetch_sub(1);
}

bool DisplayTexture::CreateSurface(uint32_t width, uint32_t height, int32_t format,
                                   const CreationArgs& args) {
    display_->Record("CreateSurface %d %u %u %d %d %d %d %d %d %d %d %d %d %d %d", id_, width,
                     height, format, args[0], args[1], args[2], args[3], args[4], args[5],
                     args[6], args[7], args[8], args[9], args[10]);
    if (display_->GetTextureSurfaceFailure() || HasSurface()) return false;
    if (!ValidSide(width) || !ValidSide(height)) return false;
    width_ = width;
    height_ = height;
    format_ = format;
    args_ = args;
    return true;
}

bool DisplayTexture::Upload(uint32_t level, const Bitmap& bitmap, int32_t format) {
    display_->Record("UploadTexture %d %u %d", id_, level, format);
    if (display_->GetTextureUploadFailure() || !HasSurface()) return false;
    if (level >= GetNumMipLevels(display_, width_, height_)) return false;
    if (bitmap.GetFormat() == Bitmap::kFormatRaw) return false;
    if (bitmap.GetWidth() != LevelSide(width_, level) ||
        bitmap.GetHeight() != LevelSide(height_, level))
        return false;
    levels_[level] = bitmap.Clone();
    return true;
}

const Bitmap* DisplayTexture::GetLevel(uint32_t level) const {
    const auto found = levels_.find(level);
    return found == levels_.end() ? nullptr : found->second.get();
}

}  // namespace Kiv
