// nvtt's output and error handlers.
#include "content3d/textures/nvtt_handlers.h"

#include <cstring>

#include "content3d/textures/texture_compress.h"

void OurOutputHandler::beginImage(int size, int width, int height, int, int, int) {
    TakeLast();
    position_ = 0;
    capacity_ = 0;
    if (size <= 0 || width <= 0 || height <= 0) {
        failed_ = true;
        return;
    }
    bitmap_ = Kiv::Bitmap::Create(static_cast<uint32_t>(width), static_cast<uint32_t>(height),
                                  Kiv::Bitmap::kFormatRaw, static_cast<size_t>(size));
    if (!bitmap_) {
        failed_ = true;
        return;
    }
    capacity_ = static_cast<size_t>(size);
}

bool OurOutputHandler::writeData(const void* data, int size) {
    if (!bitmap_ || size < 0 || static_cast<size_t>(size) > capacity_ - position_) {
        failed_ = true;
        return false;
    }
    std::memcpy(bitmap_->GetPixels() + position_, data, static_cast<size_t>(size));
    position_ += static_cast<size_t>(size);
    return true;
}

void OurOutputHandler::TakeLast() {
    if (bitmap_) target_.AddLevel(std::move(bitmap_));
}

void OurErrorHandler::error(nvtt::Error e) {
    const char* text = nvtt::errorString(e);
    text_ = text ? text : "";
}
