// CRC-32 checksums (ISO 3309 / IEEE 802.3: reflected polynomial 0xEDB88320, initial value
// 0xFFFFFFFF, final complement). Compiled script libraries are named by the CRC of their
// source and the CRC of their lower-cased file name.
#pragma once

#include <cstddef>
#include <cstdint>

uint32_t ComputeCrc32(const void* bytes, size_t length);

// The CRC of a NUL-terminated text with A-Z lower-cased first (the "C" locale's tolower);
// null text gives the CRC of no bytes, 0.
uint32_t ComputeCrc32LowerCase(const char* text);
