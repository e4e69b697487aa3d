// The reading side of the multi-asset archive ('karc'): the header checks and the walk over
// its entries, kept apart from the installs so the walk can be tested and fuzzed alone.
// Every next-entry offset must lie after its entry's start and not past the end offset, so
// a damaged file can neither loop nor send the walk outside the archive.
//
//     KAVArchiveHeader header;
//     KAVArchiveRead read = ReadKAVArchive(stream, tag, header, [](const KUID& kuid, TStream& at)
//     {...});
#pragma once

#include <cstdint>
#include <functional>

#include "foundation/kuid/kuid.h"

class TStream;

struct KAVArchiveHeader {
    int32_t version = -1; // -1 when it could not be read
    bool thisBuild = false;
    int32_t endOffset = 0;
    int32_t tag = 0;
};

enum class KAVArchiveRead {
    kComplete,   // read to the terminator
    kVersion,    // the version is missing or neither 0 nor 1
    kUnreadable, // wrong magic, size, tag, or an entry that does not read whole
};

// Called for each entry with a stream over the entry's config soup (it ends where the next
// entry begins); the walk moves to the next entry itself afterwards.
using KAVArchiveVisit = std::function<void(const KUID& kuid, TStream& stream)>;

// Reads the header (its tag must be tag) and walks the entries in file order.
KAVArchiveRead ReadKAVArchive(TStream& stream, int32_t tag, KAVArchiveHeader& header,
                              const KAVArchiveVisit& visit);
