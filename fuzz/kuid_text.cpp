// KUID text: every form the parser reads, in both modes. A KUID that parses writes its tag
// form, which parses back to the same KUID (strictly too unless the content id is negative,
// which the strict shapes do not take), and its other text forms.
#include <string>

#include "foundation/kuid/kuid.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    for (bool strict : {false, true}) {
        const KUID kuid = KUID::Parse(text.c_str(), strict);
        if (kuid.IsNull()) continue;
        const Kiv::PString tag = kuid.ToTag();
        fuzz::Require(KUID::Parse(tag.c_str(), false) == kuid, "tag form reads back");
        // The strict shapes take no sign before the content id.
        fuzz::Require(kuid.contentId < 0 || KUID::Parse(tag.c_str(), true) == kuid,
                      "tag form reads back strictly");
        kuid.ToConfigString();
        kuid.ToDisplayString();
    }
    return 0;
}
