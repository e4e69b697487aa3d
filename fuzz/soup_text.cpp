// The "config.txt" text soup reader: the first byte chooses the code page (odd: UTF-8), the
// rest is the file. Whatever it reads is walked to the last value byte.
#include "foundation/soup/acs_text.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    fuzz::InputStream input(data + 1, size - 1);
    ACSChunkRef soup;
    ACSText::Parse(soup, input.Stream(), (data[0] & 1) != 0);
    fuzz::Walk(soup);
    return 0;
}
