// CopyFileChunked: copies a file through byte streams in pieces of at most 16 MB, so a large
// file never needs one block of its own size. A destination that is the source itself (the
// same name, a hard link, or another spelling that reaches the same file) is refused before
// it is opened, since opening it for writing would empty the source.
#pragma once

#include <cstddef>

#include "engine/file.h"
#include "engine/file_path.h"

constexpr size_t kCopyChunkBytes = 0x1000000;

// Creates or replaces destination with the bytes of source. Success when both files opened
// and every byte was read and written (also for an empty source). Otherwise the reason:
// the source's open error, kSameFile (nothing was touched), the destination's open error,
// or kFailed for a failing read or write, in which case the destination may hold a partial
// copy.
Kiv::File::Result CopyFileChunked(const Kiv::File::Path& source,
                                  const Kiv::File::Path& destination);
