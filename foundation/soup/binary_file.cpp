// Not built yet: the binary reader and writer come with the binary soup format. Until then
// ReadSoup reads nothing and fails, and WriteSoup writes nothing and marks the stream
// failed, so no caller takes a missing format for an empty soup.
#include "foundation/soup/binary_file.h"

bool TDBBinaryFile::ReadSoup(ACSChunkRef& handle, TStream&) {
    handle.Release();
    return false;
}

void TDBBinaryFile::WriteSoup(TStream& stream, const ACSChunkRef&) {
    stream.SetError(TStream::kErrorIO);
}
