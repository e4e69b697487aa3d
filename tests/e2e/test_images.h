// Image files the end-to-end tests write into installations.
#pragma once

#include <cstdint>
#include <string>

namespace e2e {

// A top-down 32-bit TGA, every pixel the same opaque grey-blue.
inline std::string SolidTga(uint16_t width, uint16_t height) {
    std::string file(18, '\0');
    file[2] = 2;
    file[12] = static_cast<char>(width & 0xFF);
    file[13] = static_cast<char>(width >> 8);
    file[14] = static_cast<char>(height & 0xFF);
    file[15] = static_cast<char>(height >> 8);
    file[16] = 32;
    file[17] = 0x28;
    for (uint32_t i = 0; i < uint32_t{width} * height; ++i) file += std::string("\x90\x60\x30\xFF", 4);
    return file;
}

}  // namespace e2e
