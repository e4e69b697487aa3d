// The bounded reading of a ".gsl" image.
#include "script_runtime/gs_image_reader.h"

uint32_t GSImageReader::Word() {
    if (Failed()) return 0;
    uint32_t value = 0;
    image_.ReadUInt32(value);
    return Failed() ? 0 : value;
}

bool GSImageReader::SeekTo(uint64_t position) {
    if (Failed()) return false;
    if (position > image_.Length()) return Fail();
    image_.Seek(position);
    return !Failed();
}

bool GSImageReader::OpenChunk(uint32_t tag, Chunk& chunk, uint32_t limit) {
    chunk.start = Position();
    const uint32_t size = Word();
    const uint32_t found = Word();
    if (Failed()) return false;
    if (found != tag || size < 8 || uint64_t{chunk.start} + size > limit) return Fail();
    chunk.end = chunk.start + size;
    return true;
}

bool GSImageReader::CloseChunk(const Chunk& chunk) {
    if (Failed()) return false;
    if (Position() > chunk.end) return Fail();
    return SeekTo(chunk.end);
}

bool GSImageReader::Fits(uint32_t count, uint32_t bytesEach, uint32_t end) {
    if (Failed()) return false;
    if (Position() > end || uint64_t{count} * bytesEach > end - Position()) return Fail();
    return true;
}
