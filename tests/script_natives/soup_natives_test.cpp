// The Soup natives through script calls: reading and writing tags, sub-soups shared between
// parents, locked soups refusing every change, and copies.
#include <gtest/gtest.h>

#include "native_script_support.h"
#include "script_natives/gso_kuid.h"
#include "script_natives/gso_soup.h"

namespace {

using nativetest::Int;

constexpr const char* kScript = R"(include "soup.gs"
include "constructors.gs"
class Test {
  Soup New() { return ConstructorsBase.NewSoup(); }
  public int ClearThenSet() {
    Soup s = New(); s.SetNamedTag("a", 1); s.Clear();
    int n = s.CountTags(); s.SetNamedTag("b", 2);
    return n * 10 + s.CountTags();
  }
  public int MixedCaseName() { Soup s = New(); s.SetNamedTag("MiXed", 7); return s.GetNamedTagAsInt("MIXED"); }
  public string StoredName() { Soup s = New(); s.SetNamedTag("MiXed", 7); return s.GetIndexedTagName(0); }
  public string NegativeIndexName() { Soup s = New(); s.SetNamedTag("a", 7); return s.GetIndexedTagName(-1); }
  public int MissingSubSoup() {
    Soup s = New(); Soup t = s.GetNamedSoup("none");
    int locked = 0; if (t.IsLocked()) locked = 1;
    return t.CountTags() * 10 + locked;
  }
  public void SetOnMissingSubSoup() { Soup s = New(); Soup t = s.GetNamedSoup("none"); t.SetNamedTag("x", 1); }
  public int SharedSubSoup() {
    Soup p = New(); Soup c = New(); p.SetNamedSoup("c", c); c.SetNamedTag("v", 5);
    return p.GetNamedSoup("c").GetNamedTagAsInt("v");
  }
  public int CopyFromLocked(Soup locked) {
    Soup s = New(); s.Copy(locked); s.SetNamedTag("extra", 1);
    return s.CountTags() * 10 + locked.CountTags();
  }
  public int CopyOntoItself() { Soup s = New(); s.SetNamedTag("a", 1); s.SetNamedTag("b", 2); s.Copy(s); return s.GetNamedTagAsInt("b") * 10 + s.CountTags(); }
  public int TextAsKUID() { Soup s = New(); s.SetNamedTag("n", "no kuid"); KUID k = s.GetNamedTagAsKUID("n"); if (k == null) return 1; return 0; }
  public string UniqueName() {
    Soup s = New(); s.SetNamedTag("0", 1); s.SetNamedTag("1", 1); s.AddUniqueNamedSoup(New());
    return s.GetIndexedTagName(2);
  }
  public int IndexOf(string name) { Soup s = New(); s.SetNamedTag("a", 1); s.SetNamedTag("b", 2); return s.GetIndexForNamedTag(name); }
  public float Floats() { Soup s = New(); s.SetNamedTag("f", 2.5); return s.GetNamedTagAsFloat("F") + s.GetNamedTagAsFloat("none", 10.0); }
  public int IntDefault() { Soup s = New(); s.SetNamedTag("t", "text"); return s.GetNamedTagAsInt("t", 4) + s.GetNamedTagAsInt("none"); }
  public string Text() { Soup s = New(); s.SetNamedTag("t", "text"); s.SetNamedTag("i", 12); return s.GetNamedTag("T") + s.GetNamedTag("i") + s.GetNamedTag("none"); }
  public int Removed() { Soup s = New(); s.SetNamedTag("a", 1); s.SetNamedTag("b", 2); s.RemoveNamedTag("A"); return s.CountTags() * 10 + s.GetIndexForNamedTag("b"); }
  public string KUIDRoundTrip(KUID k) {
    Soup s = New(); s.SetNamedTag("k", k);
    KUID r = s.GetNamedTagAsKUID("K");
    if (r == k) return r.GetHTMLString();
    return "another object";
  }
  public void Change(Soup s, int which) {
    Soup free = New();
    KUID k;
    Soup none;
    switch (which) {
      case 0: s.SetNamedTag("", 1); break;
      case 1: s.SetNamedTag("a", "b"); break;
      case 2: s.SetNamedTag("a", k); break;
      case 3: s.SetNamedSoup("a", free); break;
      case 4: s.RemoveNamedTag("a"); break;
      case 5: s.Copy(free); break;
      case 6: s.Clear(); break;
      case 7: s.AddUniqueNamedSoup(free); break;
      case 8: free.SetNamedSoup("a", s); break;
      case 9: free.AddUniqueNamedSoup(s); break;
      case 10: free.SetNamedTag("", 1); break;
      case 11: free.Copy(none); break;
      default: break;
    }
  }
};
)";

class SoupNativesTest : public nativetest::ScriptCallTest {
  protected:
    void SetUp() override { LoadScript(kScript); }

    // A locked soup of the test's context holding one tag; its count goes to the call.
    GSSlot LockedSoup() {
        ACSChunkRef soup;
        soup.SetNamedTagInt(Kiv::PString("held"), 9);
        return GSPointerSlot(GSOSoup::CreateForSoup(&context_, soup)->GetInstance());
    }
};

TEST_F(SoupNativesTest, ReadsAndWritesTags) {
    const struct {
        const char* signature;
        int32_t expected;
    } cases[] = {
        {"$int@Test::ClearThenSet()", 1},    {"$int@Test::MixedCaseName()", 7},
        {"$int@Test::MissingSubSoup()", 1},  {"$int@Test::SharedSubSoup()", 5},
        {"$int@Test::CopyOntoItself()", 22}, {"$int@Test::TextAsKUID()", 1},
        {"$int@Test::IntDefault()", 4},      {"$int@Test::Removed()", 10},
    };
    for (const auto& c : cases) EXPECT_EQ(CallInt(c.signature), c.expected) << c.signature;
    EXPECT_EQ(CallString("$string@Test::StoredName()"), "mixed");
    EXPECT_EQ(CallString("$string@Test::NegativeIndexName()"), "");
    EXPECT_EQ(CallString("$string@Test::UniqueName()"), "2");
    EXPECT_EQ(CallString("$string@Test::Text()"), "text12");
    GSSlot result{};
    ASSERT_TRUE(Call("$float@Test::Floats()", &result));
    EXPECT_EQ(result.f, 12.5f);
    EXPECT_EQ(CallInt("$int@Test::IndexOf(string)", {GSPointerSlot((new GSString(&context_, "B"))->GetReference())}), 1);
    EXPECT_EQ(CallInt("$int@Test::IndexOf(string)", {GSPointerSlot((new GSString(&context_, "c"))->GetReference())}), -1);
    EXPECT_TRUE(gstest::LogLines().empty()) << LogText();
}

TEST_F(SoupNativesTest, ACopyOfALockedSoupIsFreeAndIndependent) {
    EXPECT_EQ(CallInt("$int@Test::CopyFromLocked(Soup)", {LockedSoup()}), 21);
}

TEST_F(SoupNativesTest, AKUIDTagGivesBackTheSameKUIDObject) {
    GSOKUID* kuid = GSOKUID::Create(KUID(1, 2, 3), &context_);
    ASSERT_NE(kuid, nullptr);
    EXPECT_EQ(CallString("$string@Test::KUIDRoundTrip(KUID)", {GSPointerSlot(kuid->GetInstance())}), "<kuid2:1:2:3>");
}

// Every change of a locked soup is refused with its method's text, the lock tested before
// the name; a locked soup cannot become part of another; required soups must not be null.
TEST_F(SoupNativesTest, LockedSoupsAndMissingArgumentsStopTheCall) {
    const struct {
        int32_t which;
        const char* line;
    } cases[] = {
        {0, "Soup.SetNamedTag> parent soup is locked"},
        {1, "Soup.SetNamedTag> parent soup is locked"},
        {2, "Soup.SetNamedKUID> parent soup is locked"},
        {3, "Soup.SetNamedTag> parent soup is locked"},
        {4, "Soup.RemoveNamedTag> parent soup is locked"},
        {5, "Soup.Copy> parent soup is locked"},
        {6, "Soup.Clear> parent soup is locked"},
        {7, "Soup.AddUniqueNamedSoup> parent soup is locked"},
        {8, "Soup.SetNamedTag> sub-soup parameter is locked"},
        {9, "Soup.AddUniqueNamedSoup> sub-soup parameter is locked"},
        {10, "empty string at parameter 1"},
        {11, "null object at parameter 1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.which);
        ExpectStopped("$void@Test::Change(Soup,int)", c.line, {LockedSoup(), Int(c.which)});
    }
    ExpectStopped("$void@Test::SetOnMissingSubSoup()", "Soup.SetNamedTag> parent soup is locked");
}

}  // namespace
