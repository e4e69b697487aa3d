// Kiv::Time: the engine clock. Ms and GetSeconds read the monotonic clock (they never go
// back when the wall clock is set), counted from the first call in the process.
#pragma once

#include <cstdint>

namespace Kiv {

class Time {
public:
    static int64_t Ms();
    static double GetSeconds();
    // Sleeps the calling thread; 0 or less only yields.
    static void Delay(int64_t ms);
};

}  // namespace Kiv
