// Math: the standard library's static class of numeric natives: two random ranges and the
// square root. Both Rand natives draw from one process-wide generator, a linear
// congruential one modulo 100000000 whose multiplication is split so that every product
// fits in 32 bits. Its state is 1 in a fresh process and is seeded from the calendar time
// when the natives are registered.
#pragma once

#include <cstdint>

class GSMachine;

namespace Math {

// Seeds the generator, then registers the three natives under the class name "Math".
void RegisterNatives(GSMachine& machine);

// Advances the generator and returns the new state.
int32_t NextRandom();
int32_t RandomState();
void SetRandomState(int32_t state);

}  // namespace Math
