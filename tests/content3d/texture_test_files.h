// Small texture sources for the conversion tests: 32-bit TGA images (top-down, with alpha)
// written byte by byte, so no image code of the program makes its own test input.
#pragma once

#include <cstdint>
#include <string>

namespace texture_test {

// A width x height TGA whose pixel (x, y) is B = x, G = y, R = x + y and the given alpha.
inline std::string Tga(uint16_t width, uint16_t height, uint8_t alpha) {
    std::string file(18, '\0');
    file[2] = 2;  // uncompressed colour
    file[12] = static_cast<char>(width & 0xFF);
    file[13] = static_cast<char>(width >> 8);
    file[14] = static_cast<char>(height & 0xFF);
    file[15] = static_cast<char>(height >> 8);
    file[16] = 32;
    file[17] = 0x28;  // 8 alpha bits, top-down
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            file += static_cast<char>(x);
            file += static_cast<char>(y);
            file += static_cast<char>(x + y);
            file += static_cast<char>(alpha);
        }
    }
    return file;
}

}  // namespace texture_test
