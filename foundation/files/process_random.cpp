// Made on first use and never destroyed, so a late user at exit still finds it.
#include "foundation/files/process_random.h"

Kiv::Rand& ProcessRandom() {
    static auto* random = new Kiv::Rand;
    return *random;
}
