// Text soups round trip: whatever the reader makes of the bytes, the writer writes, and the
// reader reads that text back to a tree that writes the same text again. (The first write
// may normalise: names are lower-cased, double quotes inside values become single ones and
// an empty text is written as an empty tag.)
#include "foundation/soup/acs_text.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const bool utf8 = (data[0] & 1) != 0;
    fuzz::InputStream input(data + 1, size - 1);
    ACSChunkRef soup;
    ACSText::Parse(soup, input.Stream(), utf8);
    if (!soup.Get()) return 0;
    BufferStream written;
    ACSText::Write(soup, written.Stream());
    written.Stream().Rewind();
    ACSChunkRef again;
    ACSText::Parse(again, written.Stream(), utf8);
    BufferStream rewritten;
    ACSText::Write(again, rewritten.Stream());
    fuzz::Require(fuzz::Contents(rewritten.Stream()) == fuzz::Contents(written.Stream()),
                  "written text reads back to the same tree");
    return 0;
}
