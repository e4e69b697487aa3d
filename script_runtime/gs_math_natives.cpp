// The natives of class "Math" and the generator behind Rand. A draw r is |state| mod 65535
// (0 to 65534) scaled by k = 1/65535, so a range's upper end is never reached. The integer
// range is measured in 64 bits: a span wider than the int range (INT_MIN to INT_MAX) is
// scaled as it is instead of wrapping to a negative width.
#include "script_runtime/gs_math_natives.h"

#include <cmath>
#include <cstdlib>
#include <ctime>

#include "script_runtime/gs_native_arguments.h"
#include "script_runtime/gs_plain_native_table.h"

namespace {

int32_t g_randomState = 1;

constexpr int32_t kModulus = 100000000;
constexpr int32_t kHalfModulus = 10000;  // the split point of state and multiplier
constexpr int32_t kMultiplierHigh = 3141;  // 31415821 = 3141 * 10000 + 5821
constexpr int32_t kMultiplierLow = 5821;
constexpr int32_t kDrawRange = 65535;
constexpr float kDrawScale = 1.0f / 65535.0f;

float NextDraw() { return static_cast<float>(std::abs(Math::NextRandom()) % kDrawRange); }

void RandFloat(GSContext*, GSStack* stack) {
    const GSSlot* arguments = GSNativeArguments(stack);
    if (!arguments) return;
    const float a = arguments[1].f;
    const float b = arguments[2].f;
    stack->PushFloat(a + (b - a) * NextDraw() * kDrawScale);
}

void RandInt(GSContext*, GSStack* stack) {
    const GSSlot* arguments = GSNativeArguments(stack);
    if (!arguments) return;
    const int32_t a = arguments[1].i;
    const int64_t span = int64_t{arguments[2].i} - a;
    // |scaled| < |span| < 2^32, so truncation fits and a + it stays between a and b.
    const float scaled = NextDraw() * kDrawScale * static_cast<float>(span);
    stack->PushInt(static_cast<int32_t>(a + static_cast<int64_t>(scaled)));
}

void Sqrt(GSContext*, GSStack* stack) {
    const GSSlot* arguments = GSNativeArguments(stack);
    if (!arguments) return;
    stack->PushFloat(std::sqrt(arguments[1].f));
}

constexpr GSPlainNative kMathNatives[] = {
    {"$float@Math::Rand(float,float)", RandFloat},
    {"$int@Math::Rand(int,int)", RandInt},
    {"$float@Math::Sqrt(float)", Sqrt},
};

}  // namespace

int32_t Math::NextRandom() {
    const int32_t high = g_randomState / kHalfModulus;
    const int32_t low = g_randomState % kHalfModulus;
    const int32_t cross = (low * kMultiplierHigh + high * kMultiplierLow) % kHalfModulus;
    g_randomState = ((cross * kHalfModulus + low * kMultiplierLow) % kModulus + 1) % kModulus;
    return g_randomState;
}

int32_t Math::RandomState() { return g_randomState; }

void Math::SetRandomState(int32_t state) { g_randomState = state; }

void Math::RegisterNatives(GSMachine& machine) {
    SetRandomState(static_cast<int32_t>(static_cast<uint32_t>(std::time(nullptr))));
    GSRegisterPlainNatives(machine, "Math", kMathNatives);
}
