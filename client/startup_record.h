// The start-up record: six words filled by start-up and handed to the dispatcher and to
// shut-down. Word 0 is the resource system, word 1 the render kernel, word 4 the OS; the
// others stay empty. `main` itself reads nothing in it.
#pragma once

#include <cstdint>

namespace KodrinUtil {

struct StartupRecord {
    uintptr_t words[6] = {};
};

}  // namespace KodrinUtil
