// TDBBinaryFile: the binary form of a config soup ("ACS$" files with the extensions "chump",
// "cdp" and "cdp2"): nested length-prefixed entries after a 16-byte header.
#pragma once

#include "foundation/soup/chunk_ref.h"
#include "foundation/streams/t_stream.h"

class TDBBinaryFile {
  public:
    // Reads a file into the handle (null when it holds no soup). False for a header that
    // is not this form's.
    static bool ReadSoup(ACSChunkRef& handle, TStream& stream);
    // Write problems are left in the stream's error.
    static void WriteSoup(TStream& stream, const ACSChunkRef& root);
};
