// CopyFileChunked: copies a file through byte streams in pieces of at most 16 MB, so a large
// file never needs one block of its own size. Any failing read or write makes it false.
#pragma once

#include <cstddef>

#include "engine/file_path.h"

constexpr size_t kCopyChunkBytes = 0x1000000;

// Creates or replaces destination with the bytes of source. True when both files opened and
// every byte was read and written (also for an empty source); false otherwise, in which case
// the destination may hold a partial copy.
bool CopyFileChunked(const Kiv::File::Path& source, const Kiv::File::Path& destination);
