// The binary "ACS$" chump reader: the file read and validated, its lazy views walked to the
// last value byte, edited through the overlay, and walked again.
#include "foundation/soup/binary_file.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InputStream input(data, size);
    ACSChunkRef soup;
    TDBBinaryFile::ReadSoup(soup, input.Stream());
    if (!soup.Get()) return 0;
    fuzz::Walk(soup);
    if (soup->CountChildren() > 0) {
        Kiv::PString name;
        ACSChunkRef first;
        if (soup->GetIndexedChild(0, name, first)) soup.RemoveNamedTag(name);
    }
    soup.SetNamedTagInt("fuzz added", 3);
    ACSChunkRef sub = soup.GetIndexedSoup(0);
    if (sub.Get()) sub.SetNamedTagString("added", "x");
    fuzz::Walk(soup);
    return 0;
}
