// Float instructions (IEEE single precision, held in a slot by their bits) and the two
// conversions between ints and floats. A float that is NaN or outside the int range
// converts to -2147483648, decided before the C++ conversion is reached.
#include <cmath>

#include "script_runtime/gs_interpreter.h"
#include "script_runtime/gs_opcode.h"

namespace GSInterpreter {

namespace {

template <float (*Op)(float, float)>
bool Binary(GSRun& run) {
    const float b = FloatOf(*run.sp);
    --run.sp;
    PutFloat(*run.sp, Op(FloatOf(*run.sp), b));
    return true;
}

template <float (*Op)(float)>
bool Unary(GSRun& run) {
    PutFloat(*run.sp, Op(FloatOf(*run.sp)));
    return true;
}

float Add(float a, float b) { return a + b; }
float Sub(float a, float b) { return a - b; }
float Mul(float a, float b) { return a * b; }
float Div(float a, float b) { return a / b; }
float Mod(float a, float b) { return static_cast<float>(std::fmod(static_cast<double>(a), static_cast<double>(b))); }
float Neg(float a) { return -0.0f - a; }
float Inc(float a) { return a + 1.0f; }
float Dec(float a) { return a - 1.0f; }

// Only +0.0 (all bits zero) divides by zero; -0.0 divides normally.
template <float (*Op)(float, float)>
bool Dividing(GSRun& run) {
    if (static_cast<uint32_t>(run.sp->word) == 0) return run.Fail(ER_DivideByZero);
    return Binary<Op>(run);
}

bool IntToFloat(GSRun& run) {
    PutFloat(*run.sp, static_cast<float>(run.sp->i));
    return true;
}

int32_t Truncated(float value) {
    if (!(value >= -2147483648.0f && value < 2147483648.0f)) return INT32_MIN;
    return static_cast<int32_t>(value);
}

bool FloatToInt(GSRun& run) {
    PutInt(*run.sp, Truncated(FloatOf(*run.sp)));
    return true;
}

bool FloatCompare(GSRun& run) {
    const float b = FloatOf(*run.sp);
    --run.sp;
    const float d = FloatOf(*run.sp) - b;
    PutInt(*run.sp, d > 0.0f ? 1 : (d < 0.0f ? -1 : 0));
    return true;
}

bool FloatNot(GSRun& run) {
    PutInt(*run.sp, static_cast<uint32_t>(run.sp->word) == 0 ? 1 : 0);
    return true;
}

}  // namespace

void FillFloatHandlers(GSOpHandler* table) {
    table[OP_IntToFloat] = IntToFloat;
    table[OP_FloatAdd] = Binary<Add>;
    table[OP_FloatSub] = Binary<Sub>;
    table[OP_FloatMul] = Binary<Mul>;
    table[OP_FloatDiv] = Dividing<Div>;
    table[OP_FloatMod] = Dividing<Mod>;
    table[OP_FloatNeg] = Unary<Neg>;
    table[OP_FloatInc] = Unary<Inc>;
    table[OP_FloatDec] = Unary<Dec>;
    table[OP_FloatToInt] = FloatToInt;
    table[OP_FloatCompare] = FloatCompare;
    table[OP_FloatNot] = FloatNot;
}

}  // namespace GSInterpreter
