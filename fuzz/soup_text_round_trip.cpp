// Text soups round trip: whatever the reader makes of the bytes, the writer writes, and
// from then on the text is settled: it reads back to a tree whose values read as the same
// texts, and that tree writes and reads again the same. (The first write may normalise:
// names are lower-cased, double quotes inside values become single ones, an empty text is
// written as an empty tag, and the text form keeps no types.)
#include "foundation/soup/acs_text.h"
#include "fuzz_support.h"

namespace {

ACSChunkRef WrittenAndRead(const ACSChunkRef& soup, bool utf8) {
    BufferStream written;
    ACSText::Write(soup, written.Stream());
    written.Stream().Rewind();
    ACSChunkRef again;
    ACSText::Parse(again, written.Stream(), utf8);
    return again;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const bool utf8 = (data[0] & 1) != 0;
    fuzz::InputStream input(data + 1, size - 1);
    ACSChunkRef soup;
    ACSText::Parse(soup, input.Stream(), utf8);
    if (!soup.Get()) return 0;
    const ACSChunkRef settled = WrittenAndRead(soup, utf8);
    const ACSChunkRef again = WrittenAndRead(settled, utf8);
    fuzz::Require(fuzz::DescribeText(again) == fuzz::DescribeText(settled),
                  "written text reads back to the same tree");
    return 0;
}
