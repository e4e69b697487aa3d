// ACSText: the text form of a config soup ("config.txt"): one tag per line, containers in
// braces, UTF-8 after a byte-order mark. Parse reads a stream into a handle; Write writes a
// soup's children after the byte-order mark and CR LF (nothing at all for a null root).
#pragma once

#include "foundation/soup/chunk_ref.h"
#include "foundation/streams/t_stream.h"

class ACSText {
  public:
    // Releases the handle, then fills it from the stream's position; a stream holding no
    // tag leaves it null. False when the stream could not be read at all.
    static bool Parse(ACSChunkRef& handle, TStream& stream, bool utf8);
    // Write problems are left in the stream's error.
    static void Write(const ACSChunkRef& root, TStream& stream);
};
