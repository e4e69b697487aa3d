// BinarySoupWriter: builds the "ACS$" form of a soup in memory, walking any soup through
// the node interface, so an edited binary view is written with its edits. Each length is
// patched once its content is written; building in memory lets the file form go out in one
// write to any stream, seekable or not.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/pstring.h"
#include "foundation/soup/chunk.h"

class BinarySoupWriter {
  public:
    // The header and the entries of the root's children. False, with the bytes unusable,
    // when a tag lies more than kMaxSoupDepth containers below the root (a cycle does) or
    // a length passes the form's 32 bits.
    bool Build(const ACSChunkRef& root);
    const std::vector<uint8_t>& Bytes() const { return bytes_; }

  private:
    // The children of container, which lie at level (the root's children at 0), as entries.
    bool WriteChildren(const ACSChunk& container, int level);
    // One entry; a name of 255 bytes or more leaves the entry and its subtree out.
    bool WriteEntry(const ACSChunkRef& chunk, const Kiv::PString& name, int level);

    void PutInt32(int32_t value);
    void PutBytes(const void* source, size_t size);
    // A length word of -1 to be patched; returns its position.
    size_t BeginLength();
    // Patches the word at `at` with the bytes written after it; false past 32 bits.
    bool EndLength(size_t at);

    std::vector<uint8_t> bytes_;
};
