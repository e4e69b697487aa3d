// Not built yet: the text reader and writer come with the text soup format. Until then
// Parse reads nothing and fails, and Write writes nothing and marks the stream failed, so
// no caller takes a missing format for an empty soup.
#include "foundation/soup/acs_text.h"

bool ACSText::Parse(ACSChunkRef& handle, TStream&, bool) {
    handle.Release();
    return false;
}

void ACSText::Write(const ACSChunkRef&, TStream& stream) {
    stream.SetError(TStream::kErrorIO);
}
