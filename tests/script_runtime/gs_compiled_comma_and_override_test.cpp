// Compiled code run by the interpreter for two forms the compiler once got wrong: a
// parenthesised comma list, whose elements all run in order and whose value is the last
// one's (also as one argument of a call), and a call of an inherited function that a class
// between the caller and the declaring class overrides, which reaches the nearest override.
#include "gs_compiled_script_support.h"

namespace {

using gstest::Int;

constexpr const char* kSource =
    "class Root {\n"
    "    public int F(int a) { return 1; }\n"
    "};\n"
    "class Middle isclass Root {\n"
    "    public int F(int a) { return 20 + a; }\n"
    "};\n"
    "class Leaf isclass Middle {\n"
    "    int calls;\n"
    "    int Count() { calls = calls + 1; return calls * 7; }\n"
    "    int Pair(int a, int b) { return a * 10 + b; }\n"
    "    string Tag(string s) { return s; }\n"
    "    int StoreLast() { int x = (1, Count()); return x * 100 + calls; }\n"
    "    int InOrder() { int x = (calls = 5, calls = calls * 3, calls + 1); return x * 100 + calls; }\n"
    "    int AsOneArgument() { return Pair((1, 2), 3); }\n"
    "    string LastType() { return Tag((1, \"last\")); }\n"
    "    int Discarded() { (Count(), Count()); return calls; }\n"
    "    int Nearest() { return F(1); }\n"
    "    int NearestThrough(Leaf other) { return other.F(2); }\n"
    "};\n";

class GSCompiledCommaAndOverrideTest : public gstest::CompiledScriptTest {
  protected:
    void SetUp() override {
        ASSERT_NE(Load("comma", kSource), nullptr);
        leaf_ = New("Leaf");
        ASSERT_NE(leaf_, nullptr);
    }
    void TearDown() override {
        if (leaf_) GSReleaseReference(leaf_->GetInstance());
    }
    GSObject* leaf_ = nullptr;
};

TEST_F(GSCompiledCommaAndOverrideTest, ACommaListRunsEveryElementAndGivesTheLast) {
    const struct {
        const char* function;
        int32_t result;
    } cases[] = {
        {"$int@Leaf::StoreLast()", 7 * 100 + 1},      // the call ran once and its value was stored
        {"$int@Leaf::InOrder()", 16 * 100 + 15},     // left to right: 5, then 15, then 16
        {"$int@Leaf::AsOneArgument()", 2 * 10 + 3},  // (1, 2) is one argument
        {"$int@Leaf::Discarded()", 2},               // a discarded list still runs both calls
    };
    for (const auto& c : cases) {
        GSReleaseReference(leaf_->GetInstance());
        leaf_ = New("Leaf");
        ASSERT_NE(leaf_, nullptr);
        EXPECT_EQ(CallInt(leaf_, "Leaf", c.function), c.result) << c.function;
    }
    EXPECT_EQ(CallString(leaf_, "Leaf", "$string@Leaf::LastType()"), "last");
}

TEST_F(GSCompiledCommaAndOverrideTest, AnInheritedCallReachesTheNearestOverride) {
    EXPECT_EQ(CallInt(leaf_, "Leaf", "$int@Leaf::Nearest()"), 21);
    GSAddReference(leaf_->GetInstance());  // the call consumes the argument's count
    EXPECT_EQ(CallInt(leaf_, "Leaf", "$int@Leaf::NearestThrough(Leaf)", {GSPointerSlot(leaf_->GetInstance())}), 22);
}

}  // namespace
