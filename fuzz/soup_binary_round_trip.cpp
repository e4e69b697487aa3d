// Binary soups round trip: a soup read from a chump file (or, when the bytes hold none,
// parsed as text) is written in the binary form, which reads back to the same tree and
// writes again to the same bytes.
#include "foundation/soup/acs_text.h"
#include "foundation/soup/binary_file.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ACSChunkRef soup;
    {
        fuzz::InputStream input(data, size);
        TDBBinaryFile::ReadSoup(soup, input.Stream());
    }
    if (!soup.Get()) {
        fuzz::InputStream input(data, size);
        ACSText::Parse(soup, input.Stream(), false);
    }
    if (!soup.Get()) return 0;
    BufferStream written;
    TDBBinaryFile::WriteSoup(written.Stream(), soup);
    if (written.Stream().GetError() != 0) return 0;
    const fuzz::Bytes bytes = fuzz::Contents(written.Stream());
    written.Stream().Rewind();
    ACSChunkRef again;
    fuzz::Require(TDBBinaryFile::ReadSoup(again, written.Stream()), "written file reads");
    fuzz::Require(fuzz::Describe(again) == fuzz::Describe(soup), "written file holds the tree");
    BufferStream rewritten;
    TDBBinaryFile::WriteSoup(rewritten.Stream(), again);
    fuzz::Require(fuzz::Contents(rewritten.Stream()) == bytes, "rewritten file is the same");
    return 0;
}
