// Made on first use and never destroyed, so a late user at exit still finds it. Seeded from
// the system's entropy when it is made: processes that run side by side (tests, a command
// host beside the tool) must never draw the same temporary names.
#include "foundation/files/process_random.h"

Kiv::Rand& ProcessRandom() {
    static auto* random = [] {
        auto* made = new Kiv::Rand;
        made->Randomise();
        return made;
    }();
    return *random;
}
