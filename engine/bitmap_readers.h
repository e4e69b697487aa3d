// The image readers behind Kiv::Bitmap::Decode, one per format, each a function of the
// file's bytes. They treat the bytes as hostile: sides beyond 16384 are refused before
// anything is allocated, every byte count is checked against the bytes there are (for
// compressed formats: the image may not claim more pixels than its data could encode), and
// a truncated or damaged file fails with a reason instead of giving a partial picture.
// Results are 32-bit BGRA: format 2 when the file carries alpha, else format 3 with alpha
// 0xFF.
#pragma once

#include <memory>
#include <span>
#include <string>

#include "engine/bitmap.h"

namespace Kiv::BitmapReaders {

// TGA types 2 and 10 (24- or 32-bit true colour, plain or run-length) and 3 and 11 (8-bit
// grey); colour-mapped images are refused. Bottom-up unless the descriptor says top-down.
std::unique_ptr<Bitmap> ReadTga(std::span<const uint8_t> bytes, std::string& error);
// Uncompressed BMP of 8 (palette), 24 or 32 bits, or 32-bit with the standard BGRA
// bit-fields; bottom-up or top-down (negative height). A 32-bit image whose alpha bytes
// are all 0 has no alpha.
std::unique_ptr<Bitmap> ReadBmp(std::span<const uint8_t> bytes, std::string& error);
// Any PNG libpng reads (palette, grey, 16-bit and interlaced images converted).
std::unique_ptr<Bitmap> ReadPng(std::span<const uint8_t> bytes, std::string& error);
// Grey, RGB and YCbCr JPEG; any libjpeg warning (such as data ending early) fails the read.
std::unique_ptr<Bitmap> ReadJpeg(std::span<const uint8_t> bytes, std::string& error);

}  // namespace Kiv::BitmapReaders
