// The two handlers nvtt reports through while it compresses one image. OurOutputHandler
// gathers each mip level into a raw engine bitmap of the byte size nvtt announces and hands
// finished levels to its TextureCompress; the level still being filled is its own until
// TakeLast, so a failed compression frees it with the handler. OurErrorHandler keeps the
// text of the last nvtt error of this one compression.
#pragma once

#include <nvtt/nvtt.h>

#include <cstddef>
#include <memory>
#include <string>

#include "engine/bitmap.h"

class TextureCompress;

class OurOutputHandler final : public nvtt::OutputHandler {
public:
    explicit OurOutputHandler(TextureCompress& target) : target_(target) {}

    void beginImage(int size, int width, int height, int depth, int face, int miplevel) override;
    // Copies a block at the write position; false for a block that would pass the level's
    // byte size, or when the level could not be made.
    bool writeData(const void* data, int size) override;

    // Appends the level being filled, if any, to the target.
    void TakeLast();
    // Whether any level could not be made or a block was refused.
    bool HasFailed() const { return failed_; }

private:
    TextureCompress& target_;
    std::unique_ptr<Kiv::Bitmap> bitmap_;
    size_t capacity_ = 0;
    size_t position_ = 0;
    bool failed_ = false;
};

class OurErrorHandler final : public nvtt::ErrorHandler {
public:
    void error(nvtt::Error e) override;
    const std::string& GetText() const { return text_; }

private:
    std::string text_;
};
