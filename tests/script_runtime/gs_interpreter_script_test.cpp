// The interpreter end to end on sources compiled by our compiler: instances made with their
// member initialisers (ancestors first), script functions called from native code for int,
// float, string and array results, overrides and inherited calls, objects made by scripts,
// and the error exit's report for a division by zero, a runaway loop and unbounded recursion.
#include <cstring>

#include "gs_compiled_script_support.h"
#include "script_runtime/gs_context_heap.h"
#include "script_runtime/gs_interpreter_state.h"
#include "script_runtime/gs_router.h"

namespace {

using gstest::Int;

// Line numbers matter to the error tests: Divide's division is on line 22, Outer's call on
// line 25, Spin's loop on line 27, Deep's call on line 28 and MakeBroken's "new" on line 30.
constexpr const char* kShapes =
    "class Broken { int zero; int x = 1 / zero; };\n"                                     // 1
    "class Base {\n"                                                                      // 2
    "    int baseValue = 7;\n"                                                            // 3
    "    string label = \"base\";\n"                                                      // 4
    "    public int Twice(int x) { return 2 * x; }\n"                                     // 5
    "    int Describe() { return 1; }\n"                                                  // 6
    "};\n"                                                                                // 7
    "class Shape isclass Base {\n"                                                        // 8
    "    int sides = baseValue + 1;\n"                                                    // 9
    "    float area = 2.5;\n"                                                             // 10
    "    int Describe() { return 10 + inherited(); }\n"                                   // 11
    "    int Sum(int n) { int total; int i; for (i = 1; i <= n; i++) total = total + i; return total; }\n" // 12
    "    float Scale(float f) { return area * f; }\n"                                     // 13
    "    string Greet(string who) { return label + \", \" + who + \"!\"; }\n"             // 14
    "    int[] Squares(int n) {\n"                                                        // 15
    "        int[] out = new int[n]; int i;\n"                                            // 16
    "        for (i = 0; i < n; i++) out[i] = i * i;\n"                                   // 17
    "        return out;\n"                                                               // 18
    "    }\n"                                                                             // 19
    "    int Fib(int n) { if (n < 2) return n; return Fib(n - 1) + Fib(n - 2); }\n"       // 20
    "    int Divide(int a, int b) {\n"                                                    // 21
    "        return a / b;\n"                                                             // 22
    "    }\n"                                                                             // 23
    "    int Outer(int a) {\n"                                                            // 24
    "        return Divide(a, 0);\n"                                                      // 25
    "    }\n"                                                                             // 26
    "    void Spin() { while (true) { } }\n"                                              // 27
    "    int Deep(int n) { return Deep(n + 1) + 1; }\n"                                   // 28
    "    int MakeAndRead() { Shape s = new Shape(); return s.sides * 100 + s.Twice(3); }\n" // 29
    "    int MakeBroken() { Broken b = new Broken(); return 1; }\n"                       // 30
    "};\n";                                                                               // 31


class GSInterpreterScriptTest : public gstest::CompiledScriptTest {
  protected:
    void SetUp() override {
        ASSERT_NE(Load("shapes", kShapes), nullptr);
        heapBefore_ = GSContextNamedHeap().BytesInUse();
        shape_ = New("Shape");
        ASSERT_NE(shape_, nullptr);
    }
    // Every count a run takes is given back, whether it ends well or not: once the object
    // goes, the context heap holds what it held before it was made.
    void TearDown() override {
        if (!shape_) return;
        EXPECT_EQ(GSInstanceOf(shape_->GetInstance())->ReferenceCount(), 1);
        GSReleaseReference(shape_->GetInstance());
        EXPECT_EQ(GSContextNamedHeap().BytesInUse(), heapBefore_);
    }

    int32_t MemberSlot(const char* className, const char* member) const {
        for (const GSMember& m : Class(className)->Members())
            if (std::strcmp(m.name, member) == 0) return m.slot;
        ADD_FAILURE() << member;
        return 0;
    }
    static float FloatOf(const GSSlot& slot) { return slot.f; }

    std::string File() const { return library_->GetSourceName().c_str(); }
    // The log lines from the first one that starts with `prefix` on.
    std::vector<std::string> LogFrom(const std::string& prefix) const {
        const auto& lines = gstest::LogLines();
        for (size_t i = 0; i < lines.size(); ++i)
            if (lines[i].rfind(prefix, 0) == 0) return std::vector<std::string>(lines.begin() + static_cast<long>(i), lines.end());
        return {};
    }

    GSObject* shape_ = nullptr;
    int64_t heapBefore_ = 0;
};

TEST_F(GSInterpreterScriptTest, InitialisersRunAncestorsFirst) {
    GSSlot* whole = shape_->GetInstance();
    const GSClass* shape = Class("Shape");
    ASSERT_EQ(shape->Ancestors().size(), 1u);
    GSSlot* base = whole + shape->Ancestors()[0].offset;
    EXPECT_EQ(base[MemberSlot("Base", "baseValue")].i, 7);
    auto* label = static_cast<GSSlot*>(base[MemberSlot("Base", "label")].p);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(static_cast<GSString*>(GSInstanceOf(label)->NativeObject())->View(), "base");
    EXPECT_EQ(whole[MemberSlot("Shape", "sides")].i, 8) << "the ancestor's member was set before the class's initialiser";
    EXPECT_EQ(FloatOf(whole[MemberSlot("Shape", "area")]), 2.5f);
    EXPECT_EQ(GSInstanceOf(whole)->ReferenceCount(), 1);
}

TEST_F(GSInterpreterScriptTest, CallScriptFunctionResults) {
    EXPECT_EQ(CallInt(shape_, "Shape", "$int@Shape::Sum(int)", {Int(100)}), 5050);
    EXPECT_EQ(CallInt(shape_, "Shape", "$int@Shape::Fib(int)", {Int(20)}), 6765);
    EXPECT_EQ(CallInt(shape_, "Base", "$int@Base::Twice(int)", {Int(-21)}), -42);

    GSSlot result{};
    GSSlot factor{};
    factor.f = 4.0f;
    ASSERT_TRUE(Call(shape_, "Shape", "$float@Shape::Scale(float)", &result, {factor}));
    EXPECT_EQ(result.f, 10.0f);

    auto* who = new GSString(&context_, "world");
    EXPECT_EQ(CallString(shape_, "Shape", "$string@Shape::Greet(string)", {GSPointerSlot(who->GetReference())}),
              "base, world!");

    ASSERT_TRUE(Call(shape_, "Shape", "$int[]@Shape::Squares(int)", &result, {Int(5)}));
    auto* squares = static_cast<GSSlot*>(result.p);
    ASSERT_NE(squares, nullptr);
    const auto* array = static_cast<GSArray*>(GSInstanceOf(squares)->NativeObject());
    ASSERT_EQ(array->Count(), 5);
    for (int32_t i = 0; i < 5; ++i) EXPECT_EQ(array->Elements()[i].i, i * i);
    EXPECT_EQ(GSInstanceOf(squares)->ReferenceCount(), 1) << "the result's count is the caller's";
    GSReleaseReference(squares);
    EXPECT_TRUE(gstest::LogLines().empty());
}

// A caller that gives no result address gets nothing: a reference result is let go, so the
// heap check of the teardown finds the strings and arrays it made gone.
TEST_F(GSInterpreterScriptTest, AResultNobodyTakesIsReleased) {
    auto* who = new GSString(&context_, "world");
    EXPECT_TRUE(Call(shape_, "Shape", "$string@Shape::Greet(string)", nullptr, {GSPointerSlot(who->GetReference())}));
    EXPECT_TRUE(Call(shape_, "Shape", "$int[]@Shape::Squares(int)", nullptr, {Int(5)}));
    EXPECT_TRUE(Call(shape_, "Shape", "$int@Shape::Sum(int)", nullptr, {Int(3)}));
}

// The call through Base's function runs Shape's override, whose inherited call reaches
// Base's own.
TEST_F(GSInterpreterScriptTest, OverridesAndInheritedCalls) {
    EXPECT_EQ(CallInt(shape_, "Base", "$int@Base::Describe()"), 11);
    EXPECT_EQ(CallInt(shape_, "Shape", "$int@Shape::Describe()"), 11);
}

TEST_F(GSInterpreterScriptTest, ScriptsCreateObjectsWithTheirInitialisers) {
    EXPECT_EQ(CallInt(shape_, "Shape", "$int@Shape::MakeAndRead()"), 806);
    EXPECT_EQ(New("Broken"), nullptr) << "an initialiser that fails fails the creation";
    GSSlot result{};
    EXPECT_FALSE(Call(shape_, "Shape", "$int@Shape::MakeBroken()", &result));
    EXPECT_EQ(LogFrom("Thread Exception: ER_ClassCreateError").at(0),
              "Thread Exception: ER_ClassCreateError, line 30, file " + File());
}

TEST_F(GSInterpreterScriptTest, ADivisionByZeroReportsTheExceptionAndTheStack) {
    GSSlot result{};
    EXPECT_FALSE(Call(shape_, "Shape", "$int@Shape::Outer(int)", &result, {Int(5)}));
    const std::vector<std::string> expected = {
        "Thread Exception: ER_DivideByZero, line 22, file " + File(),
        "Stack Dump...",
        "function $int@Shape::Divide(int,int), line -1",
        "function $int@Shape::Outer(int), line 25",
    };
    EXPECT_EQ(gstest::LogLines(), expected);
    // The static thread is as it was: the next call runs normally.
    EXPECT_EQ(CallInt(shape_, "Shape", "$int@Shape::Sum(int)", {Int(3)}), 6);
    EXPECT_EQ(GSInstanceOf(shape_->GetInstance())->ReferenceCount(), 1) << "the reset released each frame once";
}

TEST_F(GSInterpreterScriptTest, ARunawayLoopEndsWithTheTimeout) {
    GSSlot result{};
    EXPECT_FALSE(Call(shape_, "Shape", "$void@Shape::Spin()", &result));
    EXPECT_EQ(LogFrom("Thread Exception").at(0), "Thread Exception: ER_Timeout, line 27, file " + File());
    EXPECT_GT(GSRunBudgetUsed(), kGSRunBudget);
    EXPECT_EQ(GSInstanceOf(shape_->GetInstance())->ReferenceCount(), 1);
}

TEST_F(GSInterpreterScriptTest, UnboundedRecursionOverflowsTheStack) {
    GSSlot result{};
    EXPECT_FALSE(Call(shape_, "Shape", "$int@Shape::Deep(int)", &result, {Int(0)}));
    const std::vector<std::string> overflow = LogFrom("GSStack overflow...");
    ASSERT_FALSE(overflow.empty());
    size_t frames = 1;
    while (frames < overflow.size() && overflow[frames] == "function $int@Shape::Deep(int)") ++frames;
    frames -= 1;
    EXPECT_GT(frames, 100u);
    ASSERT_GE(overflow.size(), 1 + frames + 2 + frames);
    EXPECT_EQ(overflow[1 + frames], "Thread Exception: ER_StackOverflow, line 28, file " + File());
    EXPECT_EQ(overflow[2 + frames], "Stack Dump...");
    EXPECT_EQ(overflow[3 + frames], "function $int@Shape::Deep(int), line -1");
    EXPECT_EQ(overflow[4 + frames], "function $int@Shape::Deep(int), line 28");
    EXPECT_EQ(overflow.size(), 3 + 2 * frames);
    EXPECT_EQ(GSInstanceOf(shape_->GetInstance())->ReferenceCount(), 1);
}

TEST_F(GSInterpreterScriptTest, CallsThatCannotStartFail) {
    GSSlot result{};
    EXPECT_FALSE(Call(shape_, "Shape", "$int@Shape::Missing()", &result));
    EXPECT_FALSE(Call(shape_, "Shape", "$int@Shape::Sum(int)", &result)) << "an argument short";
    EXPECT_FALSE(GSRuntime::CallScriptFunction(nullptr, Class("Shape"), shape_->GetInstance(), "$int@Shape::Sum(int)",
                                               &result, std::vector<GSSlot>{Int(1)}));
    GSContext withoutRouter(false, nullptr);
    EXPECT_FALSE(GSRuntime::CallScriptFunction(&withoutRouter, Class("Shape"), shape_->GetInstance(),
                                               "$int@Shape::Sum(int)", &result, std::vector<GSSlot>{Int(1)}))
        << "a context without a router";
    EXPECT_TRUE(Call(shape_, "Shape", "$int@Shape::Sum(int)", &result, {Int(1)})) << "the same call with one";
    EXPECT_TRUE(gstest::LogLines().empty());
}

// Constructs whose byte code goes beyond plain arithmetic: compound stores into array
// elements and members of other objects, string edits and ranges, a switch, float
// arithmetic and the static class of a context.
constexpr const char* kConstructs =
    "static class Counter { int calls; public int Next() { calls++; return calls; } };\n"
    "class Cell { public int value; };\n"
    "class Mix {\n"
    "    int Elements() { int[] a = new int[3]; a[1] = 4; a[1] = a[1] + 5; a[2]++; return a[1] * 10 + a[2] + a.size() * 100; }\n"
    "    int Members() { Cell c = new Cell(); c.value = 6; c.value = c.value * 7; c.value++; return c.value; }\n"
    "    string Edit() { string s = \"cat\"; s[0] = 'b'; s[3,] = \"s!\"; return s[1, 4] + s.size(); }\n"
    "    int Pick(int x) { switch (x) { case 1: return 10; case 5: return 50; case 9: return 90; default: return -1; } return -2; }\n"
    "    float Average(float[] f) { float sum; int i; for (i = 0; i < f.size(); i++) sum = sum + f[i]; return sum / f.size(); }\n"
    "    int Statics() { Counter.Next(); Counter.Next(); return Counter.Next(); }\n"
    "    int Objects() { Cell[] list = new Cell[2]; list[0] = new Cell(); object o = list[0]; Cell c = cast<Cell> o;\n"
    "                    c.value = 3; Cell d = list[0]; int n; if (list[1] == null) n = 1; return d.value + n; }\n"
    "};\n";

class GSInterpreterConstructsTest : public gstest::CompiledScriptTest {};

TEST_F(GSInterpreterConstructsTest, CompiledConstructsComputeTheirResults) {
    ASSERT_NE(Load("constructs", kConstructs), nullptr);
    const int64_t heapBefore = GSContextNamedHeap().BytesInUse();
    GSObject* mix = New("Mix");
    ASSERT_NE(mix, nullptr);
    EXPECT_EQ(CallInt(mix, "Mix", "$int@Mix::Elements()"), 391);
    EXPECT_EQ(CallInt(mix, "Mix", "$int@Mix::Members()"), 43);
    EXPECT_EQ(CallString(mix, "Mix", "$string@Mix::Edit()"), "ats5") << "bats! cut to 1..3, then its length";
    const int32_t picks[][2] = {{1, 10}, {5, 50}, {9, 90}, {0, -1}, {6, -1}, {10, -1}};
    for (const auto& pick : picks) EXPECT_EQ(CallInt(mix, "Mix", "$int@Mix::Pick(int)", {Int(pick[0])}), pick[1]);
    EXPECT_EQ(CallInt(mix, "Mix", "$int@Mix::Statics()"), 3);
    EXPECT_EQ(CallInt(mix, "Mix", "$int@Mix::Statics()"), 6) << "one static instance per context";
    EXPECT_EQ(CallInt(mix, "Mix", "$int@Mix::Objects()"), 4);

    auto* values = new GSArray(&context_, GSArray::kValues);
    for (int32_t i = 0; i < 4; ++i) {
        GSSlot cell{};
        cell.f = static_cast<float>(i) + 0.5f;
        values->SetInt(i, cell.i);
    }
    GSSlot result{};
    ASSERT_TRUE(Call(mix, "Mix", "$float@Mix::Average(float[])", &result, {GSPointerSlot(values->GetReference())}));
    EXPECT_EQ(result.f, 2.0f);
    EXPECT_TRUE(gstest::LogLines().empty());
    GSReleaseReference(mix->GetInstance());
    EXPECT_GT(GSContextNamedHeap().BytesInUse(), heapBefore) << "the static instance stays with the context";
}

}  // namespace
