// The blob of one file in an asset's "files" tree as this program writes it for an archive
// entry: 4 bytes of the file's length, little-endian, then an LZSS stream of its bytes at
// the codec's default level, with "compression" "LZSS" on the entry. Extraction skips the
// 4 bytes. An empty file is written as a flag-word stream without items (its header alone),
// not as a stored stream without data bytes, which strict readers refuse as damaged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// The entry's "compression" text for blobs of this form.
inline constexpr char kCDPFileCompression[] = "LZSS";
// Bytes in front of the LZSS stream.
inline constexpr size_t kCDPFileLengthPrefix = 4;

std::vector<uint8_t> MakeCDPFileBlob(std::span<const uint8_t> bytes);
