// Kiv::Rand: the engine's random numbers (xorshift64*; not for secrets). A default-made
// generator has a fixed seed; Randomise seeds it from the system's entropy, Seed(n) makes
// a repeatable sequence for tests. Safe to share between threads.
#pragma once

#include <cstdint>
#include <mutex>

namespace Kiv {

class Rand {
public:
    Rand() { Seed(1); }
    void Randomise();
    void Seed(uint64_t seed);
    // Uniform in [low, high], both included; the bounds may come in either order.
    int32_t NextInt(int32_t low, int32_t high);
    // The next raw 64-bit draw.
    uint64_t Next();

private:
    // Next without the lock; the caller holds it.
    uint64_t Draw();

    std::mutex mutex_;
    uint64_t state_ = 0;
};

}  // namespace Kiv
