// What a context's arrays and strings hold: a run that fails part-way gives back what its
// evaluation stacks held (at every frame, whatever the failure), a context stops a script
// past its memory budget with the exception of the instruction that asked, and strings that
// grow in place never change what another holder of the string sees and grow their storage
// geometrically.
#include <string>
#include <vector>

#include "gs_compiled_script_support.h"

namespace {

constexpr const char* kHolder =
    "class Holder {\n"
    "    string name = \"n\";\n"
    "    int[] Make() { return new int[4096]; }\n"
    "    string[] Texts() { string[] t = new string[8]; t[0] = \"x\"; return t; }\n"
    "    string Text() { string s = \"text\"; int i; for (i = 0; i < 10; i++) s = s + s; return s; }\n"
    "    int Bad() { int[] none; return none[0]; }\n"
    "    string BadText() { string none; return none + none[0]; }\n"
    "    int Spin() { int i; for (;;) i++; return i; }\n"
    "    int Take(int[] a, int b) { return b; }\n"
    "    Holder Other() { return new Holder(); }\n"
    "    public void StoreIntoTemporary() { Make()[-1] = 1; }\n"
    "    public void StoreObjectIntoTemporary() { Texts()[-1] = Text(); }\n"
    "    public void PendingArgument() { Take(Make(), Bad()); }\n"
    "    public void PendingArgumentTimedOut() { Take(Make(), Spin()); }\n"
    "    public void PendingConcatenation() { string s = Text() + BadText(); }\n"
    "    public void ReceiverOfCallToCome() { Other().Take(Make(), Bad()); }\n"
    "};\n";

class GSContextMemoryTest : public gstest::CompiledScriptTest {};

// Whether a line of the log begins with the text.
bool LoggedStart(const std::string& start) {
    for (const std::string& line : gstest::LogLines())
        if (line.compare(0, start.size(), start) == 0) return true;
    return false;
}

TEST_F(GSContextMemoryTest, AFailedRunGivesBackWhatItsStacksHeld) {
    ASSERT_NE(Load("holder", kHolder), nullptr);
    GSObject* object = New("Holder");
    ASSERT_NE(object, nullptr);
    for (const char* function :
         {"$void@Holder::StoreIntoTemporary()", "$void@Holder::StoreObjectIntoTemporary()",
          "$void@Holder::PendingArgument()", "$void@Holder::PendingArgumentTimedOut()",
          "$void@Holder::PendingConcatenation()", "$void@Holder::ReceiverOfCallToCome()"}) {
        const size_t before = context_.Memory().InUse();
        EXPECT_FALSE(Call(object, "Holder", function, nullptr)) << function;
        EXPECT_EQ(context_.Memory().InUse(), before) << function;
    }
    delete object;
}

constexpr const char* kGreedy =
    "class Greedy {\n"
    "    int[] kept;\n"
    "    string text;\n"
    "    public int Create(int n) { int[] a = new int[n]; return a.size(); }\n"
    "    public int Grow(int n) { int[] a = new int[0]; a[n] = 1; return a.size(); }\n"
    "    public int Keep(int n) { kept = new int[n]; return kept.size(); }\n"
    "    public int Concatenate(int n) {\n"
    "        string s = \"0123456789abcdef\"; string t;\n"
    "        while (s.size() < n) { t = s; s = s + t; }\n"
    "        return s.size();\n"
    "    }\n"
    "    public int SetChar(int n) { string s = \"\"; s[n] = 'x'; return s.size(); }\n"
    "};\n";

TEST_F(GSContextMemoryTest, AContextPastItsBudgetStopsTheScript) {
    EXPECT_EQ(GSContext().Memory().Limit(), size_t{256} << 20);
    ASSERT_NE(Load("greedy", kGreedy), nullptr);
    GSObject* object = New("Greedy");
    ASSERT_NE(object, nullptr);
    context_.Memory().SetLimit(size_t{1} << 20);
    struct Case {
        const char* function;
        int32_t fits;      // an argument that stays inside 1 MB
        int32_t passes;    // one that does not
        const char* exception;
    } cases[] = {
        {"$int@Greedy::Create(int)", 60000, 200000, "ER_ArrayOutOfBounds"},
        {"$int@Greedy::Grow(int)", 60000, 200000, "ER_ArrayOutOfBounds"},
        {"$int@Greedy::Concatenate(int)", 200000, 1000000, "ER_ArrayOutOfBounds"},
        {"$int@Greedy::SetChar(int)", 400000, 2000000, "ER_StringOutOfBounds"},
    };
    for (const Case& c : cases) {
        const size_t before = context_.Memory().InUse();
        EXPECT_GE(CallInt(object, "Greedy", c.function, {gstest::Int(c.fits)}), c.fits) << c.function;
        gstest::LogLines().clear();
        EXPECT_FALSE(Call(object, "Greedy", c.function, nullptr, {gstest::Int(c.passes)})) << c.function;
        EXPECT_TRUE(LoggedStart(std::string("Thread Exception: ") + c.exception + ",")) << c.function;
        EXPECT_EQ(context_.Memory().InUse(), before) << c.function;
    }
    // Arrays and strings count together: what one keeps is not there for the next.
    EXPECT_EQ(CallInt(object, "Greedy", "$int@Greedy::Keep(int)", {gstest::Int(80000)}), 80000);
    EXPECT_FALSE(Call(object, "Greedy", "$int@Greedy::Create(int)", nullptr, {gstest::Int(60000)}));
    EXPECT_FALSE(Call(object, "Greedy", "$int@Greedy::Concatenate(int)", nullptr, {gstest::Int(400000)}));
    delete object;
    EXPECT_EQ(context_.Memory().InUse(), 0u);
}

// Each case returns what another holder saw and what the grown string became.
constexpr const char* kAppends =
    "class Appends {\n"
    "    string name = \"a\";\n"
    "    public string Local() { string s = \"a\"; string t = s; s = s + \"b\"; return t + \"|\" + s; }\n"
    "    public string Member() { string t = name; name = name + \"b\"; return t + \"|\" + name; }\n"
    "    public string Chain() { string s = \"a\"; string r = s + \"b\" + \"c\"; return s + \"|\" + r; }\n"
    "    public string Itself() { string s = \"ab\"; s = s + s; return s + \"|\" + s; }\n"
    "    public string Kept() { string s = \"a\"; string u; u = s = s + \"b\"; u = u + \"c\"; return s + \"|\" + u; }\n"
    "    public string ChainBack() { string s = \"a\"; string t = \"t\"; s = s + 1 + t + \"!\"; return s; }\n"
    "    public string ChainReads() { string s = \"a\"; s = s + \"b\" + s; return s; }\n"
    "    public string ChainSize() { string s = \"ab\"; s = s + \"c\" + s.size(); return s; }\n"
    "    public string Pieces() { string s = \"\"; int i; for (i = 0; i < 3; i++) s = s + i + \",\"; return s; }\n"
    "    public string Loop() {\n"
    "        string s = \"\"; string held = s; int i;\n"
    "        for (i = 0; i < 2000; i++) { s = s + \"xy\"; if (i == 10) held = s; }\n"
    "        return held.size() + \"|\" + s.size() + s[3999];\n"
    "    }\n"
    "};\n";

TEST_F(GSContextMemoryTest, AppendingInPlaceLeavesOtherHoldersAlone) {
    ASSERT_NE(Load("appends", kAppends), nullptr);
    GSObject* object = New("Appends");
    ASSERT_NE(object, nullptr);
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"$string@Appends::Local()", "a|ab"},
        {"$string@Appends::Member()", "a|ab"},
        {"$string@Appends::Chain()", "a|abc"},
        {"$string@Appends::Itself()", "abab|abab"},
        {"$string@Appends::Kept()", "ab|abc"},
        {"$string@Appends::ChainBack()", "a1t!"},
        {"$string@Appends::ChainReads()", "aba"},
        {"$string@Appends::ChainSize()", "abc2"},
        {"$string@Appends::Pieces()", "0,1,2,"},
        {"$string@Appends::Loop()", "22|4000121"},
    };
    for (const auto& [function, expected] : cases) EXPECT_EQ(CallString(object, "Appends", function), expected) << function;
    delete object;
}

// 1 MB built 16 bytes at a time keeps one string whose storage doubles as it goes, so the
// build takes time in proportion to its length: the storage the context counts for it is
// well past its length (a new string of exactly the joined length at every step, which
// copies the whole text each time, would count the length alone), and at most twice it.
TEST_F(GSContextMemoryTest, AStringBuiltByAppendsGrowsItsStorageGeometrically) {
    constexpr const char* kBuilder =
        "class Builder {\n"
        "    string s = \"\";\n"
        "    public int Build(int total) {\n"
        "        string chunk = \"0123456789abcdef\";\n"
        "        while (s.size() < total) s = s + chunk;\n"
        "        return s.size();\n"
        "    }\n"
        "};\n";
    ASSERT_NE(Load("builder", kBuilder), nullptr);
    const size_t before = context_.Memory().InUse();
    GSObject* object = New("Builder");
    ASSERT_NE(object, nullptr);
    constexpr int32_t kTotal = (1 << 20) + 16;
    EXPECT_EQ(CallInt(object, "Builder", "$int@Builder::Build(int)", {gstest::Int(kTotal)}), kTotal);
    const size_t storage = context_.Memory().InUse() - before;
    EXPECT_GT(storage, size_t{kTotal} + kTotal / 4);
    EXPECT_LE(storage, 2 * size_t{kTotal});
    delete object;
    EXPECT_EQ(context_.Memory().InUse(), before);
}

}  // namespace
