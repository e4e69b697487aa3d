// The interpreter on byte code made by hand: each instruction group's results and faults as
// tables of snippets (integer division at its edges, float conversions, shifts, switches,
// arrays, strings, objects), the run's entry and exits (no frame, a null receiver, a function
// without code, undefined opcodes, a sleeping or waiting thread, the execution switch), the
// run budget counted to the byte, and native calls: results, a sleep that resumes after the
// call, a native that stops its thread, one that fails or has no binding, and a wait on the
// static thread. Snippets run as the only frame of a thread of their own, with a compiled
// library lending its class references and its source name.
#include <bit>
#include <climits>
#include <cmath>
#include <cstring>
#include <deque>
#include <initializer_list>

#include "gs_compiled_script_support.h"
#include "gs_frame_test_support.h"
#include "script_runtime/gs_interpreter_state.h"
#include "script_runtime/gs_native_function.h"
#include "script_runtime/gs_opcode.h"
#include "script_runtime/gs_thread.h"

namespace {

// One piece of hand-made code: an opcode byte or a little-endian operand.
class Piece {
  public:
    Piece(GSOpcode opcode) : bytes_{opcode} {}
    static Piece Byte(uint8_t value) { return Piece(std::vector<uint8_t>{value}); }
    static Piece I32(int32_t value) { return Word(static_cast<uint32_t>(value), 4); }
    static Piece U16(uint16_t value) { return Word(value, 2); }
    static Piece F32(float value) { return Word(std::bit_cast<uint32_t>(value), 4); }
    const std::vector<uint8_t>& Bytes() const { return bytes_; }

  private:
    explicit Piece(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
    static Piece Word(uint32_t value, int width) {
        std::vector<uint8_t> bytes;
        for (int i = 0; i < width; ++i) bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
        return Piece(std::move(bytes));
    }
    std::vector<uint8_t> bytes_;
};

Piece I32(int32_t value) { return Piece::I32(value); }
Piece U16(uint16_t value) { return Piece::U16(value); }
Piece F32(float value) { return Piece::F32(value); }

void Append(std::vector<uint8_t>& code, const Piece& piece) {
    code.insert(code.end(), piece.Bytes().begin(), piece.Bytes().end());
}

std::vector<uint8_t> Code(std::initializer_list<Piece> pieces) {
    std::vector<uint8_t> code;
    for (const Piece& piece : pieces) code.insert(code.end(), piece.Bytes().begin(), piece.Bytes().end());
    return code;
}

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInfinity = std::numeric_limits<float>::infinity();

int32_t Bits(float value) { return std::bit_cast<int32_t>(value); }

// The natives of class Nat in kHelpers.
int32_t FrameArgument(GSStack* stack, int index) { return GSFrame::ArgumentBase(stack->TopFrame())[index].i; }
void Twice(GSContext*, GSStack* stack) { gstest::Push(*stack, GSIntSlot(2 * FrameArgument(stack, 1))); }
void LeavesTwo(GSContext*, GSStack* stack) {
    gstest::Push(*stack, GSIntSlot(1));
    gstest::Push(*stack, GSIntSlot(2));
}
void Stops(GSContext*, GSStack*) { g_gsCurrentThread->Exception("stopped here", false); }
// Sleeps half a second and answers 41.
void Sleeps(GSContext*, GSStack* stack) {
    g_gsCurrentThread->SetState(GSThread::kWaiting);
    g_gsCurrentThread->SetSleepTime(0.5f);
    gstest::Push(*stack, GSIntSlot(41));
}

class RefusedNative : public GSNativeFunction {
  public:
    RefusedNative() : GSNativeFunction(Kiv::PString("Nat"), Kiv::PString("$int@Nat::Refused()")) {}
    bool Call(GSObject*, GSStack*) override { return false; }
};

constexpr const char* kHelpers =
    "class Base { int b = 1; };\n"
    "class Kid isclass Base { int k = 5; };\n"
    "class Nat {\n"
    "    native int Twice(int x);\n"
    "    native void LeavesTwo();\n"
    "    native int Refused();\n"
    "    native int Unbound();\n"
    "    native int Stops();\n"
    "    native int Sleeps();\n"
    "    int UseTwice() { return Twice(21); }\n"
    "    void UseLeavesTwo() { LeavesTwo(); }\n"
    "    int UseRefused() { return Refused(); }\n"
    "    int UseUnbound() { return Unbound(); }\n"
    "    int UseStops() { return Stops() + 1; }\n"
    "    int UseSleeps() { int r = Sleeps(); return r + 1; }\n"
    "    void Waits() { wait() { on \"A\", \"b\": break; } }\n"
    "};\n";

class GSInterpreterBytecodeTest : public gstest::CompiledScriptTest {
  protected:
    void SetUp() override {
        auto bind = [this](const char* signature, GSCNativeFunction::Function function) {
            machine_.RegisterNative(new GSCNativeFunction(Kiv::PString("Nat"), Kiv::PString(signature), function));
        };
        bind("$int@Nat::Twice(int)", Twice);
        bind("$void@Nat::LeavesTwo()", LeavesTwo);
        bind("$int@Nat::Stops()", Stops);
        bind("$int@Nat::Sleeps()", Sleeps);
        machine_.RegisterNative(new RefusedNative());
        ASSERT_NE(Load("helpers", kHelpers), nullptr);
        gstest::LogLines().clear();
        kid_ = New("Kid");
        ASSERT_NE(kid_, nullptr);
    }
    void TearDown() override {
        thread_.Stack().Reset();
        if (kid_) GSReleaseReference(kid_->GetInstance());
    }

    // A function of the helper library's records, with hand-made code: `me` only, `locals`
    // locals (those listed in objectSlots hold references) and room for eight values.
    const GSFunction& Snippet(std::vector<uint8_t> code, int32_t locals = 2, std::vector<uint32_t> objectSlots = {}) {
        codes_.push_back(std::move(code));
        functions_.push_back(gstest::FrameFunction("$int@Kid::Snippet()", 1, locals, 0, 8, std::move(objectSlots)));
        GSFunction& function = functions_.back();
        function.library = library_;
        function.returnType = 2;
        function.code = codes_.back();
        return function;
    }

    // Runs the function as the only frame of the test's thread, with `me` the Kid.
    GSExecResult Run(const GSFunction& function, GSSlot* me = nullptr, float timeStep = 0.0f) {
        thread_.Stack().Reset();
        thread_.SetState(GSThread::kRunning);
        thread_.SetResumePosition(0);
        GSSlot* receiver = me ? me : kid_->GetInstance();
        GSAddReference(receiver);
        gstest::Push(thread_.Stack(), GSPointerSlot(receiver));
        EXPECT_TRUE(thread_.Stack().PushFrame(&function, 0));
        return thread_.Execute(timeStep);
    }

    int32_t Top() const { return thread_.Stack().Top()->i; }

    // The text of the string a snippet returned (its count released).
    std::string TopText() {
        auto* reference = static_cast<GSSlot*>(thread_.Stack().Top()->p);
        if (!reference) return "<null>";
        std::string text(static_cast<GSString*>(GSInstanceOf(reference)->NativeObject())->View());
        GSReleaseReference(reference);
        *thread_.Stack().Top() = GSSlot{};
        return text;
    }

    uint16_t ClassRef(const char* name) const {
        const auto& refs = library_->ClassRefs();
        for (size_t i = 0; i < refs.size(); ++i)
            if (std::strcmp(refs[i].name, name) == 0) return static_cast<uint16_t>(i);
        ADD_FAILURE() << name;
        return 0;
    }

    std::string ExceptionLine(const char* name, int line) const {
        return std::string("Thread Exception: ") + name + ", line " + std::to_string(line) + ", file " +
               library_->GetSourceName().c_str();
    }

    GSThread thread_{nullptr, 0};
    GSObject* kid_ = nullptr;
    std::deque<std::vector<uint8_t>> codes_;
    std::deque<GSFunction> functions_;
};

struct ValueCase {
    const char* name;
    std::vector<uint8_t> code;  // leaves one int (or a float's bits) for OP_ReturnValue
    int32_t expected;
};

std::vector<uint8_t> Binary(int32_t a, int32_t b, GSOpcode op) {
    return Code({OP_PushInt, I32(a), OP_PushInt, I32(b), op, OP_ReturnValue});
}
std::vector<uint8_t> Unary(int32_t a, GSOpcode op) { return Code({OP_PushInt, I32(a), op, OP_ReturnValue}); }
std::vector<uint8_t> FloatBinary(float a, float b, GSOpcode op) {
    return Code({OP_PushInt, F32(a), OP_PushInt, F32(b), op, OP_ReturnValue});
}
std::vector<uint8_t> FloatUnary(float a, GSOpcode op) { return Code({OP_PushInt, F32(a), op, OP_ReturnValue}); }

TEST_F(GSInterpreterBytecodeTest, IntegerResults) {
    const ValueCase cases[] = {
        {"-7 / 2", Binary(-7, 2, OP_IntDiv), -3},
        {"-7 % 2", Binary(-7, 2, OP_IntMod), -1},
        {"7 % -2", Binary(7, -2, OP_IntMod), 1},
        {"INT_MIN / -1", Binary(INT_MIN, -1, OP_IntDiv), INT_MIN},
        {"INT_MIN % -1", Binary(INT_MIN, -1, OP_IntMod), 0},
        {"INT_MIN / 1", Binary(INT_MIN, 1, OP_IntDiv), INT_MIN},
        {"INT_MAX + 1", Binary(INT_MAX, 1, OP_IntAdd), INT_MIN},
        {"INT_MIN - 1", Binary(INT_MIN, 1, OP_IntSub), INT_MAX},
        {"65536 * 65536", Binary(65536, 65536, OP_IntMul), 0},
        {"-INT_MIN", Unary(INT_MIN, OP_IntNeg), INT_MIN},
        {"INT_MAX + 1 by inc", Unary(INT_MAX, OP_IntInc), INT_MIN},
        {"1 << 33", Binary(1, 33, OP_IntShiftLeft), 2},
        {"-1 >> 28 is logical", Binary(-1, 28, OP_IntShiftRight), 15},
        {"INT_MIN compared with 1 wraps", Binary(INT_MIN, 1, OP_IntCompare), INT_MAX},
        {"~0", Unary(0, OP_IntComplement), -1},
        {"!0", Unary(0, OP_IntNot), 1},
        {"!5", Unary(5, OP_IntNot), 0},
        {"bool of -3", Unary(-3, OP_IntToBool), 1},
        {"0 is not positive", Unary(0, OP_IsNotPositive), 1},
        {"0 is not negative", Unary(0, OP_IsNotNegative), 1},
        {"0 is positive", Unary(0, OP_IsPositive), 0},
        {"-1 is negative", Unary(-1, OP_IsNegative), 1},
    };
    for (const ValueCase& c : cases) {
        EXPECT_EQ(Run(Snippet(c.code)), ER_Done) << c.name;
        EXPECT_EQ(Top(), c.expected) << c.name;
    }
}

TEST_F(GSInterpreterBytecodeTest, FloatResults) {
    const ValueCase cases[] = {
        {"1 / -0.0", FloatBinary(1.0f, -0.0f, OP_FloatDiv), Bits(-kInfinity)},
        {"5.5 % 2", FloatBinary(5.5f, 2.0f, OP_FloatMod), Bits(1.5f)},
        {"-5.5 % 2", FloatBinary(-5.5f, 2.0f, OP_FloatMod), Bits(-1.5f)},
        {"-(0.0)", FloatUnary(0.0f, OP_FloatNeg), Bits(-0.0f)},
        {"1.5 + 1", FloatUnary(1.5f, OP_FloatInc), Bits(2.5f)},
        {"3.9 to int", FloatUnary(3.9f, OP_FloatToInt), 3},
        {"-3.9 to int", FloatUnary(-3.9f, OP_FloatToInt), -3},
        {"1e10 to int", FloatUnary(1.0e10f, OP_FloatToInt), INT_MIN},
        {"-1e10 to int", FloatUnary(-1.0e10f, OP_FloatToInt), INT_MIN},
        {"NaN to int", FloatUnary(kNaN, OP_FloatToInt), INT_MIN},
        {"infinity to int", FloatUnary(kInfinity, OP_FloatToInt), INT_MIN},
        {"2^31 to int", FloatUnary(2147483648.0f, OP_FloatToInt), INT_MIN},
        {"largest float below 2^31", FloatUnary(2147483520.0f, OP_FloatToInt), 2147483520},
        {"-2^31 to int", FloatUnary(-2147483648.0f, OP_FloatToInt), INT_MIN},
        {"NaN compared", FloatBinary(kNaN, 1.0f, OP_FloatCompare), 0},
        {"2 compared with 1", FloatBinary(2.0f, 1.0f, OP_FloatCompare), 1},
        {"1 compared with 2", FloatBinary(1.0f, 2.0f, OP_FloatCompare), -1},
        {"!-0.0", FloatUnary(-0.0f, OP_FloatNot), 0},
        {"!0.0", FloatUnary(0.0f, OP_FloatNot), 1},
        {"16777217 to float", Unary(16777217, OP_IntToFloat), Bits(16777216.0f)},
    };
    for (const ValueCase& c : cases) {
        EXPECT_EQ(Run(Snippet(c.code)), ER_Done) << c.name;
        EXPECT_EQ(Top(), c.expected) << c.name;
    }
}

TEST_F(GSInterpreterBytecodeTest, DivisionsByZero) {
    const std::vector<uint8_t> cases[] = {
        Binary(5, 0, OP_IntDiv), Binary(5, 0, OP_IntMod),
        FloatBinary(1.0f, 0.0f, OP_FloatDiv), FloatBinary(1.0f, 0.0f, OP_FloatMod),
    };
    for (const auto& code : cases) {
        gstest::LogLines().clear();
        EXPECT_EQ(Run(Snippet(code)), ER_DivideByZero);
        EXPECT_EQ(gstest::LogLines().at(0), ExceptionLine("ER_DivideByZero", -1)) << "a function without lines";
        EXPECT_EQ(thread_.State(), GSThread::kStopped);
        EXPECT_EQ(thread_.Stack().TopFrame(), nullptr);
    }
}

// Switch tables: n, the case values ascending, their targets, the default.
TEST_F(GSInterpreterBytecodeTest, SwitchTakesTheCaseOrTheDefault) {
    auto switched = [](int32_t key, std::initializer_list<int32_t> values) {
        const auto n = static_cast<uint16_t>(values.size());
        const int32_t tableEnd = 5 + 1 + 2 + 8 * n + 4;
        std::vector<uint8_t> code = Code({OP_PushInt, I32(key), OP_Switch, U16(n)});
        for (int32_t value : values) Append(code, I32(value));
        for (size_t i = 0; i < values.size(); ++i) Append(code, I32(tableEnd + 6 * static_cast<int32_t>(i + 1)));
        Append(code, I32(tableEnd));
        // At tableEnd + 6i: push i (0 for the default), return it.
        for (int32_t i = 0; i <= static_cast<int32_t>(values.size()); ++i) {
            const std::vector<uint8_t> arm = Code({OP_PushInt, I32(i), OP_ReturnValue});
            code.insert(code.end(), arm.begin(), arm.end());
        }
        return code;
    };
    const ValueCase cases[] = {
        {"below every case", switched(-100, {-5, 0, 7}), 0},
        {"no cases", switched(3, {}), 0},
        {"the first", switched(-5, {-5, 0, 7}), 1},
        {"the middle", switched(0, {-5, 0, 7}), 2},
        {"the last", switched(7, {-5, 0, 7}), 3},
        {"between", switched(3, {-5, 0, 7}), 0},
        {"INT_MIN among four", switched(INT_MIN, {INT_MIN, -1, 1, INT_MAX}), 1},
    };
    for (const ValueCase& c : cases) {
        EXPECT_EQ(Run(Snippet(c.code)), ER_Done) << c.name;
        EXPECT_EQ(Top(), c.expected) << c.name;
    }
}

// Local 1 holds the array or string under test (listed as a reference slot).
TEST_F(GSInterpreterBytecodeTest, Arrays) {
    const ValueCase cases[] = {
        {"a new array of -5 is empty", Code({OP_PushInt, I32(-5), OP_ArrayNew, OP_ArraySize, OP_ReturnValue}), 0},
        {"a store 3 past the end grows it",
         Code({OP_PushInt, I32(2), OP_ArrayNew, OP_LocalStoreObject, U16(1), OP_LocalLoadObject, U16(1), OP_PushInt,
               I32(5), OP_PushInt, I32(9), OP_ArrayStore, OP_LocalLoadObject, U16(1), OP_ArraySize, OP_ReturnValue}),
         6},
        {"the grown cells are 0",
         Code({OP_PushInt, I32(2), OP_ArrayNew, OP_LocalStoreObject, U16(1), OP_LocalLoadObject, U16(1), OP_PushInt,
               I32(5), OP_PushInt, I32(9), OP_ArrayStore, OP_LocalLoadObject, U16(1), OP_PushInt, I32(4), OP_ArrayLoad,
               OP_ReturnValue}),
         0},
        {"a kept store leaves the value",
         Code({OP_PushOne, OP_ArrayNew, OP_PushZero, OP_PushInt, I32(17), OP_ArrayStoreKeep, OP_ReturnValue}), 17},
        {"a range with both bounds open copies all",
         Code({OP_PushInt, I32(4), OP_ArrayNew, OP_PushInt, I32(-1), OP_PushInt, I32(-3), OP_ArrayRange, OP_ArraySize,
               OP_ReturnValue}),
         4},
    };
    for (const ValueCase& c : cases) {
        EXPECT_EQ(Run(Snippet(c.code, 2, {1})), ER_Done) << c.name;
        EXPECT_EQ(Top(), c.expected) << c.name;
    }
}

struct FaultCase {
    const char* name;
    std::vector<uint8_t> code;
    GSExecResult expected;
};

TEST_F(GSInterpreterBytecodeTest, ArrayAndStringFaults) {
    const FaultCase cases[] = {
        {"load from null", Code({OP_PushZero, OP_PushZero, OP_ArrayLoad, OP_ReturnValue}), ER_NullArrayReference},
        {"size of null", Code({OP_PushZero, OP_ArraySize, OP_ReturnValue}), ER_NullArrayReference},
        {"load past the end", Code({OP_PushOne, OP_ArrayNew, OP_PushOne, OP_ArrayLoad, OP_ReturnValue}), ER_ArrayOutOfBounds},
        {"store below 0", Code({OP_PushOne, OP_ArrayNew, OP_PushInt, I32(-1), OP_PushZero, OP_ArrayStore, OP_PushZero,
                                OP_ReturnValue}),
         ER_ArrayOutOfBounds},
        {"storage that cannot be had", Code({OP_PushInt, I32(INT_MAX), OP_ArrayNew, OP_ReturnValue}), ER_ArrayOutOfBounds},
        {"a range ending before it starts",
         Code({OP_PushInt, I32(4), OP_ArrayNew, OP_PushOne, OP_PushInt, I32(3), OP_ArrayRange, OP_ReturnValue}),
         ER_ArrayOutOfBounds},
        {"length of null", Code({OP_PushZero, OP_StringLength, OP_ReturnValue}), ER_NullStringReference},
        {"character past the end", Code({OP_StringNew, OP_PushZero, OP_StringCharAt, OP_ReturnValue}), ER_StringOutOfBounds},
        {"set a character below 0",
         Code({OP_StringNew, OP_PushInt, I32(-1), OP_PushInt, I32(65), OP_StringSetChar, OP_PushZero, OP_ReturnValue}),
         ER_StringOutOfBounds},
        {"set a character at a huge index",
         Code({OP_StringNew, OP_PushInt, I32(INT_MAX), OP_PushInt, I32(65), OP_StringSetChar, OP_PushZero, OP_ReturnValue}),
         ER_StringOutOfBounds},
        {"a string range ending before it starts",
         Code({OP_StringNew, OP_PushOne, OP_PushInt, I32(2), OP_StringRange, OP_ReturnValue}), ER_ArrayOutOfBounds},
    };
    for (const FaultCase& c : cases) {
        gstest::LogLines().clear();
        EXPECT_EQ(Run(Snippet(c.code)), c.expected) << c.name;
        EXPECT_EQ(gstest::LogLines().at(0), ExceptionLine(GSExecResultName(c.expected), -1)) << c.name;
    }
}

struct TextCase {
    const char* name;
    std::vector<uint8_t> code;  // leaves a string for OP_ReturnObject
    const char* expected;
};

// Builds "ab" in local 1, then runs `then` on it.
std::vector<uint8_t> OnAB(std::initializer_list<Piece> then) {
    std::vector<uint8_t> code = Code({OP_StringNew, OP_LocalStoreObject, U16(1), OP_LocalLoadObject, U16(1), OP_PushZero,
                                      OP_PushInt, I32('a'), OP_StringSetChar, OP_LocalLoadObject, U16(1), OP_PushOne,
                                      OP_PushInt, I32('b'), OP_StringSetChar});
    const std::vector<uint8_t> rest = Code(then);
    code.insert(code.end(), rest.begin(), rest.end());
    return code;
}

TEST_F(GSInterpreterBytecodeTest, Strings) {
    const TextCase texts[] = {
        {"a character at 4 of two pads with blanks",
         OnAB({OP_LocalLoadObject, U16(1), OP_PushInt, I32(4), OP_PushInt, I32('X'), OP_StringSetChar, OP_LocalLoadObject,
               U16(1), OP_ReturnObject}),
         "ab  X"},
        {"only the low 8 bits are stored",
         OnAB({OP_LocalLoadObject, U16(1), OP_PushZero, OP_PushInt, I32(0x141), OP_StringSetChar, OP_LocalLoadObject,
               U16(1), OP_ReturnObject}),
         "Ab"},
        {"an open start", OnAB({OP_LocalLoadObject, U16(1), OP_PushOne, OP_PushInt, I32(-1), OP_StringRange, OP_ReturnObject}),
         "a"},
        {"an end past the length", OnAB({OP_LocalLoadObject, U16(1), OP_PushInt, I32(9), OP_PushOne, OP_StringRange,
                                         OP_ReturnObject}),
         "b"},
        {"an empty range inserts",
         OnAB({OP_LocalLoadObject, U16(1), OP_PushOne, OP_PushOne, OP_LocalLoadObject, U16(1), OP_StringRangeStore,
               OP_LocalLoadObject, U16(1), OP_ReturnObject}),
         "aabb"},
        {"a null source removes",
         OnAB({OP_LocalLoadObject, U16(1), OP_PushOne, OP_PushZero, OP_PushZero, OP_StringRangeStore, OP_LocalLoadObject,
               U16(1), OP_ReturnObject}),
         "b"},
        {"concatenation", OnAB({OP_LocalLoadObject, U16(1), OP_LocalLoadObject, U16(1), OP_StringConcat, OP_ReturnObject}),
         "abab"},
        {"null and null concatenate to empty", Code({OP_PushZero, OP_PushZero, OP_StringConcat, OP_ReturnObject}), ""},
        {"a copy of null is null", Code({OP_PushZero, OP_StringCopy, OP_ReturnObject}), "<null>"},
        {"-12 as text", Code({OP_PushInt, I32(-12), OP_IntToString, OP_ReturnObject}), "-12"},
        {"5 as a bool", Code({OP_PushInt, I32(5), OP_BoolToString, OP_ReturnObject}), "true"},
        {"1.5 as text", Code({OP_PushInt, F32(1.5f), OP_FloatToString, OP_ReturnObject}), "1.500000"},
        {"the largest float as text", Code({OP_PushInt, F32(3.4028234663852886e38f), OP_FloatToString, OP_ReturnObject}),
         "340282346638528859811704183484516925440.000000"},
    };
    for (const TextCase& c : texts) {
        EXPECT_EQ(Run(Snippet(c.code, 2, {1})), ER_Done) << c.name;
        EXPECT_EQ(TopText(), c.expected) << c.name;
    }

    const ValueCase values[] = {
        {"byte 233 reads as -23",
         Code({OP_StringNew, OP_LocalStoreObject, U16(1), OP_LocalLoadObject, U16(1), OP_PushZero, OP_PushInt, I32(233),
               OP_StringSetChar, OP_LocalLoadObject, U16(1), OP_PushZero, OP_StringCharAt, OP_ReturnValue}),
         -23},
        {"a kept character stays", Code({OP_StringNew, OP_PushZero, OP_PushInt, I32(66), OP_StringSetCharKeep, OP_ReturnValue}),
         66},
        {"null against empty", Code({OP_PushZero, OP_StringNew, OP_StringCompare, OP_ReturnValue}), 0},
        {"empty against null", Code({OP_StringNew, OP_PushZero, OP_StringCompare, OP_ReturnValue}), 0},
        {"null against null", Code({OP_PushZero, OP_PushZero, OP_StringCompare, OP_ReturnValue}), 0},
        {"null against text", Code({OP_PushZero, OP_PushOne, OP_IntToString, OP_StringCompare, OP_ReturnValue}), -1},
        {"text against null", Code({OP_PushOne, OP_IntToString, OP_PushZero, OP_StringCompare, OP_ReturnValue}), 1},
        {"1 against 2", Code({OP_PushOne, OP_IntToString, OP_PushInt, I32(2), OP_IntToString, OP_StringCompare,
                              OP_ReturnValue}),
         -1},
        {"concatenation with null is the other string itself",
         Code({OP_StringNew, OP_LocalStoreObjectKeep, U16(1), OP_PushZero, OP_StringConcat, OP_LocalLoadObject, U16(1),
               OP_ObjectCompare, OP_ReturnValue}),
         0},
    };
    for (const ValueCase& c : values) {
        EXPECT_EQ(Run(Snippet(c.code, 2, {1})), ER_Done) << c.name;
        EXPECT_EQ(Top(), c.expected) << c.name;
    }
}

TEST_F(GSInterpreterBytecodeTest, Objects) {
    const uint16_t base = ClassRef("Base");
    const uint16_t kid = ClassRef("Kid");
    const auto k = static_cast<uint16_t>([this] {
        for (const GSMember& m : Class("Kid")->Members())
            if (std::strcmp(m.name, "k") == 0) return m.slot;
        return 0;
    }());
    ASSERT_GE(k, 2);
    const ValueCase cases[] = {
        {"two views of one instance are one object",
         Code({OP_LocalLoadObject, U16(0), OP_ObjectCast, U16(base), OP_LocalLoadObject, U16(0), OP_ObjectCompare,
               OP_ReturnValue}),
         0},
        {"a kid is a base", Code({OP_LocalLoadObject, U16(0), OP_ObjectIsA, U16(base), OP_ReturnValue}), 1},
        {"a new base is no kid", Code({OP_ObjectNew, U16(base), OP_ObjectIsA, U16(kid), OP_ReturnValue}), 0},
        {"a cast to an unrelated class is null",
         Code({OP_ObjectNew, U16(base), OP_ObjectCast, U16(kid), OP_ObjectIsNull, OP_ReturnValue}), 1},
        {"a cast of null stays null", Code({OP_PushZero, OP_ObjectCast, U16(kid), OP_ObjectIsNull, OP_ReturnValue}), 1},
        {"a new object's initialiser ran", Code({OP_ObjectNew, U16(kid), OP_MemberLoad, U16(k), OP_ReturnValue}), 5},
        {"a member store through the object",
         Code({OP_LocalLoadObject, U16(0), OP_PushInt, I32(9), OP_MemberStoreKeep, U16(k), OP_SelfLoad, U16(k),
               OP_IntAdd, OP_ReturnValue}),
         18},
        {"a class that is not static has no static instance",
         Code({OP_ObjectStatic, U16(base), OP_ObjectIsNull, OP_ReturnValue}), 1},
        {"null is null", Code({OP_PushZero, OP_ObjectIsNotNull, OP_ReturnValue}), 0},
        {"null equals null", Code({OP_PushZero, OP_PushZero, OP_ObjectCompare, OP_ReturnValue}), 0},
    };
    for (const ValueCase& c : cases) {
        EXPECT_EQ(Run(Snippet(c.code)), ER_Done) << c.name;
        EXPECT_EQ(Top(), c.expected) << c.name;
    }
    EXPECT_EQ(gstest::CountOf(kid_), 1) << "every count taken was given back";
}

TEST_F(GSInterpreterBytecodeTest, MemberAccessOnNullAndOutsideTheObject) {
    const FaultCase cases[] = {
        {"a member of null", Code({OP_PushZero, OP_MemberLoad, U16(2), OP_ReturnValue}), ER_NullReference},
        {"a store into null", Code({OP_PushZero, OP_PushOne, OP_MemberStore, U16(2), OP_PushZero, OP_ReturnValue}),
         ER_NullReference},
        {"a member past the object",
         Code({OP_LocalLoadObject, U16(0), OP_MemberLoad, U16(500), OP_ReturnValue}), ER_IllegalInstruction},
        {"a member of a string",
         Code({OP_StringNew, OP_MemberLoad, U16(2), OP_ReturnValue}), ER_IllegalInstruction},
        {"a receiver member after me was cleared",
         Code({OP_PushZero, OP_LocalStore, U16(0), OP_SelfLoad, U16(2), OP_ReturnValue}), ER_NullReference},
    };
    for (const FaultCase& c : cases) EXPECT_EQ(Run(Snippet(c.code)), c.expected) << c.name;
}

TEST_F(GSInterpreterBytecodeTest, UndefinedOpcodesReportTheirLine) {
    // Line pairs {offset, line}: offsets 0-1 on line 7, 2 on line 9.
    static const uint8_t lines[] = {0, 0, 0, 0, 7, 0, 0, 0, 2, 0, 0, 0, 9, 0, 0, 0};
    // 136 is a fused step of verified code's run copy, never an instruction of its own.
    for (const uint8_t opcode : {uint8_t{116}, uint8_t{136}, uint8_t{255}}) {
        gstest::LogLines().clear();
        std::vector<uint8_t> code = Code({OP_PushZero, OP_Pop, Piece::Byte(opcode), OP_Return});
        GSFunction& function = const_cast<GSFunction&>(Snippet(code));
        function.lineCount = 2;
        function.lines = lines;
        EXPECT_EQ(Run(function), ER_IllegalInstruction);
        EXPECT_EQ(gstest::LogLines().at(0), ExceptionLine("ER_IllegalInstruction", 9)) << int{opcode};
    }
}

TEST_F(GSInterpreterBytecodeTest, RunsThatCannotStart) {
    gstest::LogLines().clear();
    EXPECT_EQ(thread_.Execute(0.0f), ER_NoStackFrame);
    const std::vector<std::string> noFrame = {"Thread Exception: ER_NoStackFrame, line -1, file ", "Stack Dump..."};
    EXPECT_EQ(gstest::LogLines(), noFrame);

    GSFunction& empty = const_cast<GSFunction&>(Snippet({}));
    empty.code = {};
    EXPECT_EQ(Run(empty), ER_IllegalInstruction) << "a function without code";

    EXPECT_EQ(thread_.Stack().TopFrame(), nullptr);
    gstest::Push(thread_.Stack(), GSSlot{});
    ASSERT_TRUE(thread_.Stack().PushFrame(&Snippet(Code({OP_Return})), 0));
    EXPECT_EQ(thread_.Execute(0.0f), ER_NullReference) << "a null receiver";
}

// A function whose code is one jump to itself: each jump runs one byte, so the budget of
// 2^24 bytes ends the run on the 16,777,217th jump.
TEST_F(GSInterpreterBytecodeTest, TheBudgetEndsAOneJumpLoopOnItsJumpPastTheLimit) {
    EXPECT_EQ(Run(Snippet(Code({OP_Jump, I32(0)}))), ER_Timeout);
    EXPECT_EQ(GSRunBudgetUsed(), kGSRunBudget + 1);
    EXPECT_EQ(GSRunDepth(), 0);
}

// The initialiser a run's object creation starts counts against that run: the outer code is
// one straight run of 6 bytes, the initialiser one of its whole code.
TEST_F(GSInterpreterBytecodeTest, InitialisersCountAgainstTheRunThatCreates) {
    const uint16_t kid = ClassRef("Kid");
    EXPECT_EQ(Run(Snippet(Code({OP_ObjectNew, U16(kid), OP_PopObject, OP_PushZero, OP_ReturnValue}))), ER_Done);
    const size_t initialisers = Class("Kid")->Initialiser()->code.size() + Class("Base")->Initialiser()->code.size();
    EXPECT_EQ(GSRunBudgetUsed(), 6 + initialisers);
}

TEST_F(GSInterpreterBytecodeTest, SleepingAndWaitingThreads) {
    const GSFunction& function = Snippet(Code({OP_PushInt, I32(3), OP_ReturnValue}));
    EXPECT_EQ(Run(function), ER_Done);
    EXPECT_EQ(thread_.State(), GSThread::kStopped);
    EXPECT_EQ(thread_.Stack().Top(), thread_.Stack().Slots()) << "the result sits where the receiver was pushed";
    EXPECT_EQ(Top(), 3);
    const uint64_t budget = GSRunBudgetUsed();

    // Waiting for a message: nothing runs and nothing changes.
    thread_.SetState(GSThread::kWaiting);
    thread_.SetSleepTime(0.0f);
    EXPECT_EQ(thread_.Execute(10.0f), ER_Blocked);
    EXPECT_EQ(thread_.State(), GSThread::kWaiting);
    EXPECT_EQ(GSRunBudgetUsed(), budget);
    EXPECT_EQ(g_gsCurrentThread, nullptr);

    // Switched off, every run is blocked.
    GSSetExecutionEnabled(false);
    EXPECT_EQ(Run(function), ER_Blocked);
    GSSetExecutionEnabled(true);
}

// A native that puts its thread to sleep for 0.5 s: the run ends blocked after the call, and
// steps of 0.2 s wake it on the third, which goes on after the call with its result.
TEST_F(GSInterpreterBytecodeTest, ANativeSleepResumesAfterTheCall) {
    GSObject* nat = New("Nat");
    ASSERT_NE(nat, nullptr);
    const GSFunction& useSleeps =
        Class("Nat")->Functions()[static_cast<size_t>(Class("Nat")->FindFunctionIndex("$int@Nat::UseSleeps()"))];
    EXPECT_EQ(Run(useSleeps, nat->GetInstance()), ER_Blocked);
    EXPECT_EQ(thread_.State(), GSThread::kWaiting);
    EXPECT_EQ(thread_.Execute(0.2f), ER_Blocked);
    EXPECT_EQ(thread_.Execute(0.2f), ER_Blocked);
    EXPECT_EQ(thread_.Execute(0.2f), ER_Done);
    EXPECT_EQ(Top(), 42);
    EXPECT_EQ(thread_.SleepTime(), 0.0f);
    thread_.Stack().SetTop(thread_.Stack().Top() - 1);
    GSReleaseReference(nat->GetInstance());
}

TEST_F(GSInterpreterBytecodeTest, NativeCalls) {
    // Calls from native code run on the machine's static thread: no owner, flag bit 0.
    ASSERT_NE(machine_.StaticThread(), nullptr);
    EXPECT_EQ(machine_.StaticThread()->ThreadFlags(), GSThread::kStaticThread);
    EXPECT_EQ(machine_.StaticThread()->Owner(), nullptr);
    GSObject* nat = New("Nat");
    ASSERT_NE(nat, nullptr);
    GSSlot result{};
    auto call = [&](const char* name) {
        gstest::LogLines().clear();
        return Call(nat, "Nat", name, &result);
    };
    ASSERT_TRUE(call("$int@Nat::UseTwice()"));
    EXPECT_EQ(result.i, 42);

    const struct {
        const char* function;
        const char* error;
        int line;
    } failures[] = {
        // A native that fails leaves its own frame on top, whose function has no lines.
        {"$void@Nat::UseLeavesTwo()", "ER_StackReturnError", -1},
        {"$int@Nat::UseRefused()", "ER_NativeCallError", -1},
        {"$int@Nat::UseUnbound()", "ER_NativeCallError", -1},
        {"$int@Nat::UseStops()", "ER_Exception", 14},
        {"$void@Nat::Waits()", "ER_ThreadError", 16},
    };
    for (const auto& failure : failures) {
        EXPECT_FALSE(call(failure.function)) << failure.function;
        EXPECT_TRUE(gstest::Logged(ExceptionLine(failure.error, failure.line))) << failure.function;
    }
    EXPECT_FALSE(call("$int@Nat::UseRefused()"));
    const std::vector<std::string> refused = {ExceptionLine("ER_NativeCallError", -1), "Stack Dump...",
                                              "function $int@Nat::Refused(), line -1",
                                              "function $int@Nat::UseRefused(), line 12"};
    EXPECT_EQ(gstest::LogLines(), refused);
    EXPECT_TRUE(call("$int@Nat::UseStops()") == false &&
                gstest::LogLines().at(0) == std::string("stopped here (file ") + library_->GetSourceName().c_str() + ")");
    EXPECT_EQ(gstest::CountOf(nat), 1);
    EXPECT_EQ(machine_.StaticThread()->Stack().TopFrame(), nullptr) << "every nested run was undone";
    GSReleaseReference(nat->GetInstance());
}

}  // namespace
