// The KUID and KUIDList natives through script calls: one KUID object per KUID and context,
// base KUIDs and their texts, lists without duplicates, locked lists, indexes and copies.
#include <gtest/gtest.h>

#include "native_script_support.h"
#include "script_natives/gso_kuid.h"
#include "script_natives/gso_kuid_list.h"

namespace {

using nativetest::Int;

constexpr const char* kScript = R"(include "kuidlist.gs"
include "constructors.gs"
class Test {
  public int SameObject(KUID a) {
    KUIDList l = ConstructorsBase.NewKUIDList(); l.AddKUID(a);
    KUID b = l.GetIndexedKUID(0);
    if (a == b) return 1;
    return 0;
  }
  public string Base(KUID k) { KUID b = k.GetBaseKUID(); if (b == null) return "null object"; return b.GetHTMLString(); }
  public string Texts(KUID k) { return k.GetHTMLString() + " " + k.GetLogString() + " " + k.GetBaseString(); }
  public int Edits(KUID a, KUID b) {
    KUIDList l = ConstructorsBase.NewKUIDList();
    l.AddKUID(a); l.AddKUID(b); l.AddKUID(a);
    int count = l.CountKUIDs();
    l.RemoveKUID(a);
    int has = 0; if (l.HasKUID(b)) has = 1;
    int hadA = 0; if (l.HasKUID(a)) hadA = 1;
    int locked = 0; if (l.IsLocked()) locked = 1;
    return count * 1000 + l.CountKUIDs() * 100 + has * 10 + hadA + locked * 10000;
  }
  public int CopyOntoItself(KUID a, KUID b) {
    KUIDList l = ConstructorsBase.NewKUIDList(); l.AddKUID(a); l.AddKUID(b);
    l.Copy(l);
    return l.CountKUIDs();
  }
  public void CopyInto(KUIDList into, KUIDList from) { into.Copy(from); }
  public int Index(KUIDList l, int i) { KUID k = l.GetIndexedKUID(i); return 1; }
  public void Change(KUIDList l, KUID k, int which) {
    KUIDList free = ConstructorsBase.NewKUIDList();
    KUIDList none;
    KUID nothing;
    switch (which) {
      case 0: l.AddKUID(k); break;
      case 1: l.RemoveKUID(k); break;
      case 2: l.Copy(free); break;
      case 3: l.Clear(); break;
      case 4: free.AddKUID(nothing); break;
      case 5: free.Copy(none); break;
      default: break;
    }
  }
};
)";

class KUIDNativesTest : public nativetest::ScriptCallTest {
  protected:
    void SetUp() override { LoadScript(kScript); }

    // The KUID object for the call; its count goes to the call.
    GSSlot Kuid(const KUID& kuid) { return GSPointerSlot(GSOKUID::Create(kuid, &context_)->GetInstance()); }
    GSSlot LockedList(const GSOKUIDList::List& list) {
        return GSPointerSlot(GSOKUIDList::ConstructLocked(&context_, list)->GetInstance());
    }
};

TEST_F(KUIDNativesTest, OneObjectPerKUIDAndContextWhichTheCacheDoesNotKeep) {
    EXPECT_EQ(CallInt("$int@Test::SameObject(KUID)", {Kuid(KUID(7, 8, 0))}), 1);
    EXPECT_EQ(GSOKUID::CachedCount(), 0u) << "the objects are gone with their last reference";

    GSContext other;
    GSOKUID* first = GSOKUID::Create(KUID(7, 8, 0), &context_);
    GSOKUID* again = GSOKUID::Create(KUID(7, 8, 0), &context_);
    GSOKUID* elsewhere = GSOKUID::Create(KUID(7, 8, 0), &other);
    EXPECT_EQ(first, again);
    EXPECT_NE(first, elsewhere);
    EXPECT_EQ(GSInstanceOf(first->GetInstance())->ReferenceCount(), 2);
    for (GSOKUID* kuid : {first, again, elsewhere}) GSReleaseReference(kuid->GetInstance());
    EXPECT_EQ(GSOKUID::CachedCount(), 0u);
}

TEST_F(KUIDNativesTest, BaseKUIDsAndTexts) {
    const struct {
        KUID kuid;
        const char* base;
    } bases[] = {
        {KUID(5, 6, 5), "<kuid:5:6>"},
        {KUID(-5, 6, 5), "<kuid:-5:6>"},
        {KUID(1 << 25, 6, 0), "<NULL>"},  // an object holding the null KUID, not null
        {KUID(-(1 << 25) - 1, 6, 3), "<NULL>"},
    };
    for (const auto& b : bases) EXPECT_EQ(CallString("$string@Test::Base(KUID)", {Kuid(b.kuid)}), b.base);
    EXPECT_EQ(GSOKUID::BaseKUID(KUID(-5, 6, 5)), KUID(-5, 6, 127));
    EXPECT_EQ(CallString("$string@Test::Texts(KUID)", {Kuid(KUID(1, 2, 0))}), "<kuid:1:2> <kuid:1:2> <kuid:1:2>");
    EXPECT_EQ(CallString("$string@Test::Texts(KUID)", {Kuid(KUID(1, 2, 3))}), "<kuid2:1:2:3> <kuid2:1:2:3> <kuid:1:2>");
}

TEST_F(KUIDNativesTest, ListsKeepOneOfEachKUID) {
    EXPECT_EQ(CallInt("$int@Test::Edits(KUID,KUID)", {Kuid(KUID(1, 1, 0)), Kuid(KUID(1, 1, 1))}), 2110)
        << "2 after adding a twice, 1 after removing it, b kept, a gone, unlocked";
    EXPECT_EQ(CallInt("$int@Test::CopyOntoItself(KUID,KUID)", {Kuid(KUID(1, 1, 0)), Kuid(KUID(2, 2, 0))}), 2);
}

TEST_F(KUIDNativesTest, IndexesAreCheckedUnsigned) {
    GSOKUIDList::List list;
    list.PushBack(KUID(3, 4, 0));
    EXPECT_EQ(CallInt("$int@Test::Index(KUIDList,int)", {LockedList(list), Int(0)}), 1);
    for (int32_t index : {-1, 1, INT32_MIN}) {
        SCOPED_TRACE(index);
        ExpectStopped("$int@Test::Index(KUIDList,int)", "KUIDList.GetIndexedKUID> index out of range",
                      {LockedList(list), Int(index)});
    }
}

TEST_F(KUIDNativesTest, LockedListsAndMissingArgumentsStopTheCall) {
    const struct {
        int32_t which;
        const char* line;
    } cases[] = {
        {0, "KUIDList.Copy> list is locked"}, {1, "KUIDList.Copy> list is locked"},
        {2, "KUIDList.Copy> list is locked"}, {3, "KUIDList.Clear> list is locked"},
        {4, "null object at parameter 1"},    {5, "null object at parameter 1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.which);
        ExpectStopped("$void@Test::Change(KUIDList,KUID,int)", c.line,
                      {LockedList(GSOKUIDList::List()), Kuid(KUID(1, 2, 0)), Int(c.which)});
    }
}

// A copy takes the source's blocks as they are: a first block that lost an item keeps its
// 127 items, so the copy's 128th item starts a block of its own.
TEST_F(KUIDNativesTest, CopiesKeepTheSourceBlocks) {
    GSOKUIDList::List source;
    for (int32_t i = 0; i < 130; ++i) source.PushBack(KUID(i, 1, 0));
    source.Erase(source.At(5));
    GSOKUIDList* into = GSOKUIDList::Construct(&context_);
    ASSERT_NE(into, nullptr);
    GSAddReference(into->GetInstance());
    ASSERT_TRUE(Call("$void@Test::CopyInto(KUIDList,KUIDList)", nullptr,
                     {GSPointerSlot(into->GetInstance()), LockedList(source)}));
    ASSERT_EQ(into->Items().Count(), 129);
    EXPECT_EQ(into->Items().At(127).Slot(), 0);
    EXPECT_EQ(*into->Items().At(127), KUID(128, 1, 0));
    GSReleaseReference(into->GetInstance());
}

}  // namespace
