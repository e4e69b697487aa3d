// The natives of "Str" and "Math" and GSObject's GetGSClassName, each found in the machine by
// its signature and called on a stack prepared by hand: edits of string arguments in place,
// the conversions, tokens and unpacking, search, the random generator from state 1 (values
// worked out from its formula), the result every value native pushes even when there is
// nothing to convert, and a result that does not fit refused without a leak.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <ctime>
#include <string>
#include <vector>

#include "gs_native_call_support.h"
#include "script_runtime/gs_array.h"
#include "script_runtime/gs_math_natives.h"

namespace {

using gstest::NativeResult;

class StrMathNatives : public gstest::NativeTest {
  protected:
    NativeResult CallStr(const char* signature, std::vector<GSSlot> arguments) {
        return Call("Str", signature, std::move(arguments));
    }
    NativeResult CallMath(const char* signature, std::vector<GSSlot> arguments) {
        return Call("Math", signature, std::move(arguments));
    }
    // Tokens' array as texts, checking that the array and every string hold one count and
    // belong to the test's context; the array is released.
    std::vector<std::string> TakeTokens(const NativeResult& result) {
        std::vector<std::string> texts;
        auto* reference = static_cast<GSSlot*>(result.value.p);
        EXPECT_NE(reference, nullptr);
        GSScriptInstance* header = GSInstanceOf(reference);
        if (!header) return texts;
        auto* array = static_cast<GSArray*>(header->NativeObject());
        EXPECT_EQ(array->ReferenceKind(), GS_REFERENCE_ARRAY);
        EXPECT_EQ(array->ElementKind(), GSArray::kReferences);
        EXPECT_EQ(header->ReferenceCount(), 1);
        EXPECT_EQ(GSContextOf(reference), &context_);
        for (int32_t i = 0; i < array->Count(); ++i) {
            auto* element = static_cast<GSSlot*>(array->Elements()[i].p);
            EXPECT_EQ(GSInstanceOf(element)->ReferenceCount(), 1);
            EXPECT_EQ(GSContextOf(element), &context_);
            texts.emplace_back(GSStringOf(element)->View());
        }
        GSReleaseReference(reference);
        return texts;
    }
};

TEST_F(StrMathNatives, EveryNativeIsAPlainFunctionUnderItsOwnClass) {
    const char* const str[] = {
        "$void@Str::TrimLeft(string,string)", "$void@Str::TrimRight(string,string)",
        "$int@Str::ToInt(string)",            "$float@Str::ToFloat(string)",
        "$void@Str::ToUpper(string)",         "$void@Str::ToLower(string)",
        "$string[]@Str::Tokens(string,string)", "$int@Str::UnpackInt(string)",
        "$float@Str::UnpackFloat(string)",    "$string@Str::UnpackString(string)",
        "$int@Str::Find(string,string,int)",
    };
    const char* const math[] = {"$float@Math::Rand(float,float)", "$int@Math::Rand(int,int)",
                                "$float@Math::Sqrt(float)"};
    auto check = [this](const char* signature, const char* className, const char* otherClass) {
        GSNativeFunction* binding = machine_.FindNative(Kiv::PString(signature), Kiv::PString(className));
        EXPECT_NE(dynamic_cast<GSCNativeFunction*>(binding), nullptr) << signature;
        EXPECT_EQ(machine_.FindNative(Kiv::PString(signature), Kiv::PString(otherClass)), nullptr) << signature;
    };
    for (const char* signature : str) check(signature, "Str", "Math");
    for (const char* signature : math) check(signature, "Math", "Str");
}

TEST_F(StrMathNatives, TrimsEditTheTextInPlaceAndPushNothing) {
    struct Case {
        const char* signature;
        std::string text;
        const char* separators;  // null: a null argument
        std::string expected;
    };
    const std::string left = "$void@Str::TrimLeft(string,string)";
    const std::string right = "$void@Str::TrimRight(string,string)";
    const Case cases[] = {
        {left.c_str(), " \tab c ", nullptr, "ab c "},
        {left.c_str(), "\r\n\v x", "", "x"},
        {left.c_str(), "xxyxx", "x", "yxx"},
        {left.c_str(), "yxyz", "xy", "z"},
        {left.c_str(), "xxx", "x", ""},
        {left.c_str(), "  ", "x", "  "},
        {right.c_str(), "xxyxx", "x", "xxy"},
        {right.c_str(), "xxx", "x", ""},
        {right.c_str(), " ab \t\r\n\v", nullptr, " ab"},
        {right.c_str(), "a.,", ",.", "a"},
        // A zero byte is never a separator, in the text or in the set.
        {right.c_str(), std::string("ab\0", 3), nullptr, std::string("ab\0", 3)},
        {right.c_str(), std::string("ab\0z", 4), "z", std::string("ab\0", 3)},
        {left.c_str(), "", nullptr, ""},
    };
    for (const Case& c : cases) {
        GSString* text = String(c.text);
        GSString* separators = c.separators ? String(c.separators) : nullptr;
        const NativeResult result = CallStr(c.signature, {Arg(text), Arg(separators)});
        EXPECT_FALSE(result.pushed) << c.signature << " '" << c.text << "'";
        EXPECT_EQ(std::string(text->View()), c.expected) << c.signature << " '" << c.text << "'";
    }
    EXPECT_FALSE(CallStr(left.c_str(), {Arg(nullptr), Arg(nullptr)}).pushed);
    EXPECT_FALSE(CallStr(right.c_str(), {Arg(nullptr), Arg(String("x"))}).pushed);
}

TEST_F(StrMathNatives, ToIntAndToFloatFollowTheLibraryRulesAndAlwaysPush) {
    struct IntCase {
        const char* text;  // null: a null argument
        int32_t expected;
    };
    const IntCase ints[] = {
        {"42", 42},           {"  \t\n-17xyz", -17}, {"+8", 8},
        {"abc", 0},           {"", 0},               {"0x1A", 0},
        {"2147483647", INT32_MAX}, {"99999999999", INT32_MAX}, {"-99999999999", INT32_MIN},
        {"3.9", 3},           {nullptr, 0},
    };
    for (const IntCase& c : ints) {
        const NativeResult result = CallStr("$int@Str::ToInt(string)", {Arg(c.text ? String(c.text) : nullptr)});
        ASSERT_TRUE(result.pushed) << (c.text ? c.text : "null");
        EXPECT_EQ(result.value.i, c.expected) << (c.text ? c.text : "null");
    }

    struct FloatCase {
        const char* text;
        float expected;
    };
    const FloatCase floats[] = {
        {"3.5", 3.5f}, {" -2.25e2xyz", -225.0f}, {"0.1", 0.1f}, {"abc", 0.0f},
        {"", 0.0f},    {"1e400", INFINITY},      {nullptr, 0.0f},
    };
    for (const FloatCase& c : floats) {
        const NativeResult result = CallStr("$float@Str::ToFloat(string)", {Arg(c.text ? String(c.text) : nullptr)});
        ASSERT_TRUE(result.pushed) << (c.text ? c.text : "null");
        EXPECT_EQ(result.value.f, c.expected) << (c.text ? c.text : "null");
    }
}

TEST_F(StrMathNatives, CaseChangesTouchOnlyAsciiLetters) {
    GSString* upper = String("Hello, World 1! \xe9t\xc9");
    GSString* lower = String("Hello, World 1! \xe9t\xc9");
    EXPECT_FALSE(CallStr("$void@Str::ToUpper(string)", {Arg(upper)}).pushed);
    EXPECT_FALSE(CallStr("$void@Str::ToLower(string)", {Arg(lower)}).pushed);
    EXPECT_EQ(std::string(upper->View()), "HELLO, WORLD 1! \xe9T\xc9");
    EXPECT_EQ(std::string(lower->View()), "hello, world 1! \xe9t\xc9");
    EXPECT_FALSE(CallStr("$void@Str::ToUpper(string)", {Arg(nullptr)}).pushed);
    EXPECT_FALSE(CallStr("$void@Str::ToLower(string)", {Arg(nullptr)}).pushed);
}

TEST_F(StrMathNatives, TokensAreTheRunsBetweenSeparatorsInANewArray) {
    struct Case {
        const char* text;  // null: a null argument
        const char* separators;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"a b  c", nullptr, {"a", "b", "c"}},
        {" \tlead\r\ntrail\v ", "", {"lead", "trail"}},
        {"a,,b;c", ",;", {"a", "b", "c"}},
        {"x y", ",", {"x y"}},
        {",,,", ",", {}},
        {"", nullptr, {}},
        {nullptr, nullptr, {}},
    };
    for (const Case& c : cases) {
        GSString* text = c.text ? String(c.text) : nullptr;
        GSString* separators = c.separators ? String(c.separators) : nullptr;
        const NativeResult result = CallStr("$string[]@Str::Tokens(string,string)", {Arg(text), Arg(separators)});
        ASSERT_TRUE(result.pushed) << (c.text ? c.text : "null");
        EXPECT_EQ(TakeTokens(result), c.expected) << (c.text ? c.text : "null");
        if (text) {
            EXPECT_EQ(std::string(text->View()), c.text);
        }
    }
}

TEST_F(StrMathNatives, UnpackTakesOneTokenAtATimeAndPushesZeroOrNullAtTheEnd) {
    GSString* ints = String("  12 34");
    const char* unpackInt = "$int@Str::UnpackInt(string)";
    NativeResult result = CallStr(unpackInt, {Arg(ints)});
    EXPECT_EQ(result.value.i, 12);
    EXPECT_EQ(std::string(ints->View()), " 34");
    result = CallStr(unpackInt, {Arg(ints)});
    EXPECT_EQ(result.value.i, 34);
    EXPECT_EQ(std::string(ints->View()), "");
    result = CallStr(unpackInt, {Arg(ints)});
    EXPECT_TRUE(result.pushed);
    EXPECT_EQ(result.value.i, 0);

    GSString* floats = String(" 1.5\t-2e1");
    const char* unpackFloat = "$float@Str::UnpackFloat(string)";
    EXPECT_EQ(CallStr(unpackFloat, {Arg(floats)}).value.f, 1.5f);
    EXPECT_EQ(std::string(floats->View()), "\t-2e1");
    EXPECT_EQ(CallStr(unpackFloat, {Arg(floats)}).value.f, -20.0f);
    result = CallStr(unpackFloat, {Arg(floats)});
    EXPECT_TRUE(result.pushed);
    EXPECT_EQ(result.value.f, 0.0f);

    // Only the default separators cut; the separator after the token stays in front.
    GSString* strings = String("\v alpha,beta\ngamma");
    const char* unpackString = "$string@Str::UnpackString(string)";
    EXPECT_EQ(TakeString(CallStr(unpackString, {Arg(strings)})), "alpha,beta");
    EXPECT_EQ(std::string(strings->View()), "\ngamma");
    EXPECT_EQ(TakeString(CallStr(unpackString, {Arg(strings)})), "gamma");
    result = CallStr(unpackString, {Arg(strings)});
    EXPECT_TRUE(result.pushed);
    EXPECT_EQ(TakeString(result), "<null>");

    // A text of separators only gives an empty token and becomes empty.
    GSString* blank = String(" \t ");
    EXPECT_EQ(TakeString(CallStr(unpackString, {Arg(blank)})), "");
    EXPECT_EQ(std::string(blank->View()), "");
    GSString* blankInt = String("\r\n");
    EXPECT_EQ(CallStr(unpackInt, {Arg(blankInt)}).value.i, 0);
    EXPECT_EQ(std::string(blankInt->View()), "");

    EXPECT_EQ(CallStr(unpackInt, {Arg(nullptr)}).value.i, 0);
    EXPECT_EQ(CallStr(unpackFloat, {Arg(nullptr)}).value.f, 0.0f);
    EXPECT_EQ(TakeString(CallStr(unpackString, {Arg(nullptr)})), "<null>");
}

TEST_F(StrMathNatives, FindSearchesFromTheStartOrPushesMinusOne) {
    struct Case {
        const char* text;  // null: a null argument
        const char* part;
        int32_t start;
        int32_t expected;
    };
    const Case cases[] = {
        {"hello world", "o", 0, 4},   {"hello world", "o", 5, 7},  {"hello world", "o", 8, -1},
        {"hello world", "world", 0, 6}, {"hello", "", 5, 5},       {"hello", "l", 6, -1},
        {"hello", "l", -1, -1},       {"hello", "l", INT32_MIN, -1}, {"abc", "abcd", 0, -1},
        {nullptr, "a", 0, -1},        {"abc", nullptr, 0, -1},
    };
    for (const Case& c : cases) {
        GSString* text = c.text ? String(c.text) : nullptr;
        GSString* part = c.part ? String(c.part) : nullptr;
        const NativeResult result = CallStr("$int@Str::Find(string,string,int)", {Arg(text), Arg(part), Arg(c.start)});
        ASSERT_TRUE(result.pushed);
        EXPECT_EQ(result.value.i, c.expected)
            << (c.text ? c.text : "null") << " / " << (c.part ? c.part : "null") << " from " << c.start;
    }
}

TEST_F(StrMathNatives, TheGeneratorFromStateOne) {
    // state' = ((p0*3141 + p1*5821) mod 10^4 * 10^4 + p0*5821) mod 10^8 + 1) mod 10^8
    EXPECT_EQ(Math::NextRandom(), 31415822);  // the multiplier plus one
    EXPECT_EQ(Math::NextRandom(), 40519863);
    EXPECT_EQ(Math::NextRandom(), 62952524);
    EXPECT_EQ(Math::RandomState(), 62952524);
    // Signed division: a negative state gives negative parts.
    Math::SetRandomState(-1);
    EXPECT_EQ(Math::NextRandom(), -31415820);
}

TEST_F(StrMathNatives, RandScalesTheDrawIntoTheRangeWithoutReachingItsEnd) {
    const char* randInt = "$int@Math::Rand(int,int)";
    const char* randFloat = "$float@Math::Rand(float,float)";
    struct IntCase {
        int32_t state;  // before the draw
        int32_t a, b;
        int32_t expected;
    };
    // From state 1 the draw is 31415822 mod 65535 = 24557; state 7658673 is followed by 65534
    // (the largest draw), state 35707254 by 65535 (a draw of 0); -1 by -31415820 (24555).
    const IntCase ints[] = {
        {1, 0, 10, 3},        {1, 10, 0, 7},        {1, 5, 5, 5},         {1, -10, 10, -3},
        {7658673, 0, 10, 9},  {7658673, 10, 0, 1},  {35707254, 0, 10, 0}, {35707254, 10, 0, 10},
        {-1, 0, 100, 37},
    };
    for (const IntCase& c : ints) {
        Math::SetRandomState(c.state);
        const NativeResult result = CallMath(randInt, {Arg(c.a), Arg(c.b)});
        ASSERT_TRUE(result.pushed);
        EXPECT_EQ(result.value.i, c.expected) << c.state << ": " << c.a << ", " << c.b;
    }

    // The widest range is scaled, not wrapped: 24557/65535 of the way up from INT_MIN.
    Math::SetRandomState(1);
    EXPECT_NEAR(CallMath(randInt, {Arg(INT32_MIN), Arg(INT32_MAX)}).value.i, -538091539, 2000);

    struct FloatCase {
        int32_t state;
        float a, b;
        float expected;
    };
    const FloatCase floats[] = {
        {1, 0.0f, 1.0f, 24557.0f / 65535.0f},
        {1, 2.0f, 4.0f, 2.0f + 2.0f * 24557.0f / 65535.0f},
        {7658673, 0.0f, 1.0f, 65534.0f / 65535.0f},
        {35707254, 3.0f, 7.0f, 3.0f},
    };
    for (const FloatCase& c : floats) {
        Math::SetRandomState(c.state);
        const NativeResult result = CallMath(randFloat, {Arg(c.a), Arg(c.b)});
        ASSERT_TRUE(result.pushed);
        EXPECT_NEAR(result.value.f, c.expected, 1e-6f) << c.state;
    }
    Math::SetRandomState(7658673);
    EXPECT_LT(CallMath(randFloat, {Arg(0.0f), Arg(1.0f)}).value.f, 1.0f);

    // Over many draws the integer range [0, 10) and its reverse (10, 0] hold.
    Math::SetRandomState(1);
    for (int i = 0; i < 2000; ++i) {
        const int32_t up = CallMath(randInt, {Arg(0), Arg(10)}).value.i;
        const int32_t down = CallMath(randInt, {Arg(10), Arg(0)}).value.i;
        ASSERT_TRUE(up >= 0 && up <= 9) << up;
        ASSERT_TRUE(down >= 1 && down <= 10) << down;
    }
}

TEST_F(StrMathNatives, SqrtOfFloats) {
    const char* sqrt = "$float@Math::Sqrt(float)";
    EXPECT_EQ(CallMath(sqrt, {Arg(16.0f)}).value.f, 4.0f);
    EXPECT_EQ(CallMath(sqrt, {Arg(2.0f)}).value.f, 1.41421354f);
    EXPECT_EQ(CallMath(sqrt, {Arg(0.0f)}).value.f, 0.0f);
    EXPECT_TRUE(std::isnan(CallMath(sqrt, {Arg(-1.0f)}).value.f));
}

TEST_F(StrMathNatives, RegistrationSeedsTheGeneratorWithTheTime) {
    const auto before = static_cast<int32_t>(static_cast<uint32_t>(std::time(nullptr)));
    GSMachine machine;
    machine.Init();
    const auto after = static_cast<int32_t>(static_cast<uint32_t>(std::time(nullptr)));
    EXPECT_TRUE(Math::RandomState() == before || Math::RandomState() == after) << Math::RandomState();
}

TEST_F(StrMathNatives, GetGSClassNameNamesTheWholeObjectsClass) {
    const char* signature = "$string@GSObject::GetGSClassName()";
    auto* object = new GSObject();
    ASSERT_TRUE(object->Attach(Class("Derived"), &context_));
    GSSlot* whole = object->GetInstance();
    GSSlot* baseView = GSScriptInstance::CastTo(Class("Base"), GSInstanceOf(whole));
    ASSERT_NE(baseView, whole);
    EXPECT_EQ(TakeString(Call("GSObject", signature, {}, whole)), "Derived");
    EXPECT_EQ(TakeString(Call("GSObject", signature, {}, baseView)), "Derived");
    EXPECT_EQ(GSInstanceOf(whole)->ReferenceCount(), 1);
    delete object;

    // A string's header has no class.
    EXPECT_EQ(TakeString(Call("GSObject", signature, {}, String("text")->GetReference())), "void");
    EXPECT_EQ(TakeString(Call("GSObject", signature, {}, nullptr)), "void");
}

// A native's frame does not count its result: with the frame at the very top of the stack
// every value native is refused, the overflow mark is set, and what it made is freed (the
// fixture checks the heap) while its arguments keep their counts.
TEST_F(StrMathNatives, AResultThatDoesNotFitIsRefusedWithoutALeak) {
    struct Case {
        const char* className;
        const char* signature;
        int arguments;   // how many of text, part, start
        bool reference;  // the result is a string or an array
    };
    const Case cases[] = {
        {"Str", "$int@Str::ToInt(string)", 1, false},
        {"Str", "$float@Str::ToFloat(string)", 1, false},
        {"Str", "$string[]@Str::Tokens(string,string)", 2, true},
        {"Str", "$int@Str::UnpackInt(string)", 1, false},
        {"Str", "$float@Str::UnpackFloat(string)", 1, false},
        {"Str", "$string@Str::UnpackString(string)", 1, true},
        {"Str", "$int@Str::Find(string,string,int)", 3, false},
        {"Math", "$float@Math::Rand(float,float)", 2, false},
        {"Math", "$int@Math::Rand(int,int)", 2, false},
        {"Math", "$float@Math::Sqrt(float)", 1, false},
        {"GSObject", "$string@GSObject::GetGSClassName()", 0, true},
    };
    GSString* text = String("one two three");
    GSString* part = String("two");
    for (const Case& c : cases) {
        const std::vector<GSSlot> all = {Arg(text), Arg(part), Arg(0)};
        const std::vector<GSSlot> arguments(all.begin(), all.begin() + c.arguments);
        const NativeResult refused = Call(c.className, c.signature, arguments, nullptr, kFillToTop);
        EXPECT_FALSE(refused.pushed) << c.signature;
        EXPECT_TRUE(refused.overflowed) << c.signature;
        EXPECT_EQ(GSInstanceOf(text->GetReference())->ReferenceCount(), 1) << c.signature;
        EXPECT_EQ(GSInstanceOf(part->GetReference())->ReferenceCount(), 1) << c.signature;
        // With one slot more the same call pushes its result.
        text->SetText("one two three");
        const NativeResult fits = Call(c.className, c.signature, arguments, nullptr,
                                       GSStack::kCapacity - static_cast<int32_t>(arguments.size()) - 6);
        EXPECT_TRUE(fits.pushed) << c.signature;
        EXPECT_FALSE(fits.overflowed) << c.signature;
        if (c.reference) GSReleaseReference(static_cast<GSSlot*>(fits.value.p));
    }
}

}  // namespace
