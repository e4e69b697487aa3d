// The LinkedList and ConstructorsBase natives through script calls: sorting by key,
// adding without duplicates, and the new empty objects scripts make.
#include <gtest/gtest.h>

#include "native_script_support.h"
#include "script_natives/gso_image.h"

namespace {

constexpr const char* kScript = R"(include "linkedlist.gs"
include "constructors.gs"
class Other { public string key; };
class Test {
  LinkedData Item(string key, int value, object data) {
    LinkedData d = new LinkedData(); d.key = key; d.value = value; d.data = data; return d;
  }
  string Keys(LinkedData[] a) {
    string keys = "";
    int i;
    for (i = 0; i < a.size(); i++) keys = keys + a[i].key + a[i].value;
    return keys;
  }
  public string Sorted(string high) {
    LinkedData[] a = new LinkedData[0];
    LinkedList.AddInternal(a, Item("b", 1, null), false);
    LinkedList.AddInternal(a, Item("a", 2, null), false);
    LinkedList.AddInternal(a, Item("b", 3, null), false);
    if (high) {
      LinkedList.AddInternal(a, Item(high, 4, null), false);
      LinkedList.AddInternal(a, Item("B", 5, null), false);
    }
    LinkedList.SortInternal(a);
    return Keys(a);
  }
  public int SortEmpty() { LinkedData[] a = new LinkedData[0]; LinkedList.SortInternal(a); return a.size(); }
  public int Added(int flag) {
    Other shared = new Other();
    LinkedData[] a = new LinkedData[0];
    LinkedList.AddInternal(a, Item("k", 1, shared), false);
    LinkedData equal = Item("k", 1, shared);
    LinkedData otherInt = Item("k", 2, shared);
    LinkedData otherObject = Item("k", 1, new Other());
    LinkedData none;
    bool unique = flag != 0;
    LinkedList.AddInternal(a, equal, unique);
    int n = a.size();
    LinkedList.AddInternal(a, otherInt, true);
    LinkedList.AddInternal(a, otherObject, true);
    LinkedList.AddInternal(a, none, true);
    return n * 10 + a.size();
  }
  public void SortNull() { LinkedData[] a; LinkedList.SortInternal(a); }
  public int NewObjects() {
    Soup s = ConstructorsBase.NewSoup();
    KUIDList l = ConstructorsBase.NewKUIDList();
    Image i = ConstructorsBase.NewImage();
    int flags = 0;
    if (!s.IsLocked()) flags = flags + 1;
    if (!l.IsLocked()) flags = flags + 10;
    if (i != null) flags = flags + 100;
    return flags + s.CountTags() * 1000 + l.CountKUIDs() * 1000;
  }
};
)";

class ListAndConstructorNativesTest : public nativetest::ScriptCallTest {
  protected:
    void SetUp() override { LoadScript(kScript); }
};

TEST_F(ListAndConstructorNativesTest, SortsByKeyKeepingTheFirstOfEqualKeys) {
    EXPECT_EQ(CallString("$string@Test::Sorted(string)", {GSPointerSlot(nullptr)}), "a2b1b3");
    // The swaps of a selection sort move b1 behind b3; bytes compare unsigned, so "\xe9" is
    // last and "B" first.
    auto* high = new GSString(&context_, "\xe9");
    EXPECT_EQ(CallString("$string@Test::Sorted(string)", {GSPointerSlot(high->GetReference())}), "B5a2b3b1\xe9" "4");
    EXPECT_EQ(CallInt("$int@Test::SortEmpty()"), 0);
    ExpectStopped("$void@Test::SortNull()", "null object at parameter 1");
}

TEST_F(ListAndConstructorNativesTest, AddsWithoutDuplicatesOnlyWhenAsked) {
    EXPECT_EQ(CallInt("$int@Test::Added(int)", {nativetest::Int(0)}), 24)
        << "an equal item appended; then one differing in its integer, one in its object; null never";
    EXPECT_EQ(CallInt("$int@Test::Added(int)", {nativetest::Int(1)}), 13);
}

TEST_F(ListAndConstructorNativesTest, NewObjectsAreEmptyAndUnlocked) {
    EXPECT_EQ(CallInt("$int@Test::NewObjects()"), 111);
    GSOImage* image = GSOImage::Construct(&context_);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->Bitmap(), nullptr);
    EXPECT_EQ(image->LineColor(), (GSOImage::PackedColor{255, 255, 255, 255}));
    EXPECT_EQ(image->FillColor(), (GSOImage::PackedColor{0, 0, 0, 0}));
    EXPECT_EQ(image->FontName().View(), "swiss");
    EXPECT_EQ(image->FontSize(), 12);
    EXPECT_EQ(image->ChangeCount(), 0);
    GSReleaseReference(image->GetInstance());
}

}  // namespace
