// KUID text: every form the parser reads, in both modes. A KUID that parses writes its tag
// form, which parses back (strictly) to the same KUID, and its other text forms.
#include <string>

#include "foundation/kuid/kuid.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (bool strict : {false, true}) {
        const KUID kuid = KUID::Parse(text.c_str(), strict);
        if (kuid.IsNull()) continue;
        fuzz::Require(KUID::Parse(kuid.ToTag().c_str(), true) == kuid, "tag form reads back");
        kuid.ToConfigString();
        kuid.ToDisplayString();
    }
    return 0;
}
