// Binary soups round trip: a soup read from a chump file (or, when the bytes hold none,
// parsed as text) is written in the binary form, which reads back to the same tree (less
// the children with names of 255 bytes or more, which the form cannot hold) and writes
// again to the same bytes.
#include "foundation/soup/acs_text.h"
#include "foundation/soup/binary_file.h"
#include "fuzz_support.h"

namespace {

bool HasLongName(const ACSChunkRef& soup, int maxDepth = 600) {
    if (!soup.Get() || maxDepth == 0) return false;
    for (int32_t i = 0; i < soup->CountChildren(); ++i) {
        Kiv::PString name;
        ACSChunkRef child;
        if (!soup->GetIndexedChild(i, name, child)) continue;
        if (name.View().size() >= 255 || HasLongName(child, maxDepth - 1)) return true;
    }
    return false;
}

} // namespace

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
    fuzz::Require(HasLongName(soup) || fuzz::Describe(again) == fuzz::Describe(soup),
                  "written file holds the tree");
    BufferStream rewritten;
    TDBBinaryFile::WriteSoup(rewritten.Stream(), again);
    fuzz::Require(fuzz::Contents(rewritten.Stream()) == bytes, "rewritten file is the same");
    return 0;
}
