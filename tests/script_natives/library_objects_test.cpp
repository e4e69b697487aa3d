// Library objects in a script context: one object per library and context, taken from the
// parent context when the spec asks, none while the list is locked, none (and nothing left
// behind) when the script fails; their properties through the list's stream, the icon's
// click, and the natives that issue and check tokens and reach the host's icon.
#include <gtest/gtest.h>

#include "library_support.h"
#include "script_natives/gso_asset.h"
#include "script_natives/gso_kuid.h"
#include "script_natives/gso_security_token.h"
#include "world_list_support.h"

namespace {

using librarytest::LibraryTest;
using librarytest::TestContext;

constexpr const char* kSource = R"(include "library.gs"
include "kodrin.gs"
include "constructors.gs"
class TestLibrary isclass Library {
  int inits;
  int clicks;
  Soup props;
  public void Init(Asset asset) {
    inits = inits + 1;
    AddHandler(me, "Interface", "ClickSystemButton", "OnClick");
  }
  void OnClick(Message msg) { clicks = clicks + 1; }
  public void SetProperties(Soup soup) { props = ConstructorsBase.NewSoup(); props.Copy(soup); }
  public Soup GetProperties() { return props; }
  public int Inits() { return inits; }
  public int Clicks() { return clicks; }
  public void Keep() { props = ConstructorsBase.NewSoup(); props.SetNamedTag("value", "kept"); }
  public bool CheckNoLibrary(SecurityToken token, KUID kuid) { return Validate(token, kuid, "read"); }
  public bool CheckNoToken(KUID kuid) { SecurityToken none; return Validate(none, kuid, "read"); }
  public SecurityToken Issue(KUID kuid) {
    string[] rights = new string[1];
    rights[0] = "read";
    return IssueSecurityToken(kuid, rights);
  }
  public bool Check(SecurityToken token) { return Validate(token, me, "read"); }
  public Library Lib(KUID kuid) { return KodrinScriptBase.GetLibrary(kuid); }
  public void NoIcon() { RemoveSystemMenuIcon(); }
  Library kept;
  public bool KeepLib(KUID kuid) { kept = KodrinScriptBase.GetLibrary(kuid); return kept != null; }
};
class FailingLibrary isclass Library {
  Soup missing;
  public void Init(Asset asset) { missing.Clear(); }
};
class SelfHeldLibrary isclass Library {
  Library held;
  Soup missing;
  public void Init(Asset asset) { held = me; missing.Clear(); }
};
)";

const KUID kLibraryKUID(414100, 50, 0);

TEST_F(LibraryTest, TheSameLibraryTwiceIsOneObjectInitialisedOnce) {
    SetUpLibrary("objectlib", kSource);
    Spec(kLibraryKUID, "TestLibrary");
    TestContext& context = NewContext();
    GSOLibrary* first = context.GetScriptLibrary(kLibraryKUID);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(context.GetScriptLibrary(kLibraryKUID), first);
    EXPECT_EQ(CallInt(first, "$int@TestLibrary::Inits()"), 1);
    EXPECT_TRUE(first->IsInitialised());
    EXPECT_EQ(context.PendingCount(), 0) << "initialised libraries leave the pending list";
    EXPECT_EQ(first->GetList(), &context.Libraries());
    GSOKUID* kuid = GSOKUID::Create(kLibraryKUID, &context);
    GSSlot found{};
    ASSERT_TRUE(first->CallScript("$Library@TestLibrary::Lib(KUID)", {kuid->GetInstance()}, &found));
    GSReleaseReference(kuid->GetInstance());
    EXPECT_EQ(NativeObjectAs<GSOLibrary>(static_cast<GSSlot*>(found.p)), first) << "the script sees the same object";
    GSReleaseReference(static_cast<GSSlot*>(found.p));
    EXPECT_EQ(context.GetScriptLibrary(KUID(414100, 51, 0)), nullptr) << "no spec";
}

// A script's GetLibrary of a library not made yet makes it and runs its Init nested in the
// running call; the caller gets it back and goes on.
TEST_F(LibraryTest, ALibraryMadeFromAScriptCallIsInitialisedAndHandedBack) {
    SetUpLibrary("objectlib", kSource);
    const KUID other(414100, 54, 0);
    Spec(kLibraryKUID, "TestLibrary");
    Spec(other, "TestLibrary");
    TestContext& context = NewContext();
    GSOLibrary* first = context.GetScriptLibrary(kLibraryKUID);
    ASSERT_NE(first, nullptr);
    GSOKUID* kuid = GSOKUID::Create(other, &context);
    GSSlot found{};
    ASSERT_TRUE(first->CallScript("$Library@TestLibrary::Lib(KUID)", {kuid->GetInstance()}, &found)) << LogText();
    GSReleaseReference(kuid->GetInstance());
    GSOLibrary* second = NativeObjectAs<GSOLibrary>(static_cast<GSSlot*>(found.p));
    ASSERT_NE(second, nullptr) << LogText();
    EXPECT_NE(second, first);
    EXPECT_EQ(CallInt(second, "$int@TestLibrary::Inits()"), 1);
    EXPECT_EQ(CallInt(first, "$int@TestLibrary::Inits()"), 1);
    GSReleaseReference(static_cast<GSSlot*>(found.p));
}

// One whose script fails gives null there, and the calling script goes on.
TEST_F(LibraryTest, ALibraryFailingWhenAScriptCallMakesItGivesNullAndTheCallGoesOn) {
    SetUpLibrary("objectlib", kSource);
    const KUID other(414100, 56, 0);
    Spec(kLibraryKUID, "TestLibrary");
    Spec(other, "FailingLibrary");
    TestContext& context = NewContext();
    GSOLibrary* first = context.GetScriptLibrary(kLibraryKUID);
    ASSERT_NE(first, nullptr);
    GSOKUID* kuid = GSOKUID::Create(other, &context);
    GSSlot found{};
    found.p = &found;  // not null before the call
    EXPECT_TRUE(first->CallScript("$Library@TestLibrary::Lib(KUID)", {kuid->GetInstance()}, &found)) << LogText();
    GSReleaseReference(kuid->GetInstance());
    EXPECT_EQ(found.p, nullptr);
    EXPECT_EQ(CallInt(first, "$int@TestLibrary::Inits()"), 1);
}

TEST_F(LibraryTest, AParentContextFlagTakesTheLibraryFromTheParent) {
    SetUpLibrary("objectlib", kSource);
    Spec(kLibraryKUID, "TestLibrary", nullptr, true);
    TestContext& parent = NewContext();
    TestContext& child = NewContext(&parent);
    GSOLibrary* library = child.GetScriptLibrary(kLibraryKUID);
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(library->Context(), &parent);
    EXPECT_EQ(parent.GetScriptLibrary(kLibraryKUID), library);
    EXPECT_EQ(child.Libraries().GetItem(0), nullptr);
}

// A parent whose objects may be kept by other contexts lets a child's script keep the
// shared library in a member, not only on its stack.
TEST_F(LibraryTest, AChildsScriptKeepsTheParentsLibraryWhenTheParentSharesItsObjects) {
    SetUpLibrary("objectlib", kSource);
    const KUID local(414100, 55, 0);
    Spec(kLibraryKUID, "TestLibrary", nullptr, true);
    Spec(local, "TestLibrary");
    TestContext& parent = NewContext(nullptr, true);
    TestContext& child = NewContext(&parent);
    GSOLibrary* own = child.GetScriptLibrary(local);
    ASSERT_NE(own, nullptr);
    GSOKUID* shared = GSOKUID::Create(kLibraryKUID, &child);
    ASSERT_NE(shared, nullptr);
    GSSlot kept{};
    ASSERT_TRUE(own->CallScript("$bool@TestLibrary::KeepLib(KUID)", {shared->GetInstance()}, &kept)) << LogText();
    GSReleaseReference(shared->GetInstance());
    EXPECT_EQ(kept.i, 1);
    EXPECT_TRUE(parent.AllowsCrossContext());
    EXPECT_FALSE(child.AllowsCrossContext());
    contexts_.pop_back();
}

TEST_F(LibraryTest, ALockedListLogsAndGivesNull) {
    SetUpLibrary("objectlib", kSource);
    Spec(kLibraryKUID, "TestLibrary");
    TestContext& context = NewContext();
    context.SetListLocked(true);
    std::string log;
    {
        nativetest::EngineLogCapture capture;
        EXPECT_EQ(context.GetScriptLibrary(kLibraryKUID), nullptr);
        log = capture.Text();
    }
    EXPECT_NE(log.find("KodrinScriptContext::GetScriptLibrary> attempted while list is locked"), std::string::npos)
        << log;
}

// The library whose script fails is logged, leaves the list and goes at once (nothing
// waits for the router's next pump); so does one whose class is not in the library.
TEST_F(LibraryTest, AFailingScriptIsLoggedRemovedAndDeletedAtOnce) {
    SetUpLibrary("objectlib", kSource);
    const KUID missing(414100, 52, 0);
    Spec(kLibraryKUID, "FailingLibrary");
    Spec(missing, "NoSuchClass");
    TestContext& context = NewContext();
    for (const KUID& kuid : {kLibraryKUID, missing}) {
        std::string log;
        {
            nativetest::EngineLogCapture capture;
            EXPECT_EQ(context.GetScriptLibrary(kuid), nullptr);
            log = capture.Text();
        }
        EXPECT_NE(log.find(std::string("KodrinScriptContext::GetScriptLibrary> script failure on Library ") + kuid.ToTag().c_str()),
                  std::string::npos)
            << log;
        EXPECT_FALSE(context.added) << "the library is gone";
        EXPECT_EQ(context.Libraries().GetItem(0), nullptr);
        EXPECT_EQ(context.GetRouter()->NodeCount(), 0u);
    }
}

// A failed library that holds itself lives on, off the list, until its context's objects
// are torn down; by then the context's own part is gone and it removes no icon.
TEST_F(LibraryTest, AFailedLibraryKeptAliveByItselfGoesWithItsContext) {
    SetUpLibrary("objectlib", kSource);
    Spec(kLibraryKUID, "SelfHeldLibrary");
    TestContext& context = NewContext();
    EXPECT_EQ(context.GetScriptLibrary(kLibraryKUID), nullptr);
    const SafePointer<ScriptSource> failed = context.added;
    EXPECT_TRUE(failed) << "kept alive by its own member";
    EXPECT_EQ(context.Libraries().GetItem(0), nullptr);
    contexts_.clear();
    EXPECT_FALSE(failed) << "torn down with the context";
}

// Without a router no script function runs: the library fails, and the Asset object made
// for its Init keeps no count the call would have taken.
TEST_F(LibraryTest, WithoutARouterTheLibraryFailsAndItsAssetKeepsNoCallCount) {
    SetUpLibrary("objectlib", kSource);
    Spec(kLibraryKUID, "TestLibrary");
    KodrinScriptContext context(nullptr, nullptr);
    context.SetMachine(&GSMachine::Get());
    EXPECT_EQ(context.GetScriptLibrary(kLibraryKUID), nullptr);
    GSOAsset* asset = GSOAsset::Create(&context, kLibraryKUID);
    ASSERT_NE(asset, nullptr);
    EXPECT_EQ(GSInstanceOf(asset->GetInstance())->ReferenceCount(), 1);
    GSReleaseReference(asset->GetInstance());
}

// A library's properties travel as its item payload in the libraries list's stream: int32
// 0 and an "ACS$" soup, or nothing; the library at the same slot of another context takes
// them at once, since it is initialised.
TEST_F(LibraryTest, PropertiesRoundTripThroughTheListStream) {
    SetUpLibrary("objectlib", kSource);
    Spec(kLibraryKUID, "TestLibrary");
    TestContext& source = NewContext();
    GSOLibrary* library = source.GetScriptLibrary(kLibraryKUID);
    TestContext& target = NewContext();
    GSOLibrary* copy = target.GetScriptLibrary(kLibraryKUID);
    ASSERT_NE(library, nullptr);
    ASSERT_NE(copy, nullptr);

    worldtest::MemoryStream bare;
    library->WriteState(bare.Stream());
    EXPECT_TRUE(bare.Contents().empty()) << "no properties, no payload";
    worldtest::MemoryStream withoutList;
    source.Libraries().Write(withoutList.Stream(), 0, 0);
    worldtest::MemoryStream readWithout(withoutList.Contents());
    EXPECT_TRUE(target.Libraries().Read(readWithout.Stream(), false, 0));
    EXPECT_FALSE(copy->ArePropertiesPending());
    EXPECT_TRUE(copy->GetProperties().IsNull());

    ASSERT_TRUE(library->CallScript("$void@TestLibrary::Keep()", {}));
    worldtest::MemoryStream payload;
    library->WriteState(payload.Stream());
    const worldtest::Bytes bytes = payload.Contents();
    ASSERT_GT(bytes.size(), 8u);
    EXPECT_EQ(worldtest::Bytes(bytes.begin(), bytes.begin() + 8),
              worldtest::Join({worldtest::Words({0}), {'A', 'C', 'S', '$'}}));
    worldtest::MemoryStream withList;
    source.Libraries().Write(withList.Stream(), 0, 0);
    worldtest::MemoryStream readWith(withList.Contents());
    EXPECT_TRUE(target.Libraries().Read(readWith.Stream(), false, 0));
    EXPECT_FALSE(copy->ArePropertiesPending()) << "given to the running script at once";
    EXPECT_EQ(copy->GetProperties().GetNamedTag(Kiv::PString("value")).ToPString(), Kiv::PString("kept"));
}

TEST_F(LibraryTest, AClickWithTheIconIdReachesTheScriptAtOnce) {
    SetUpLibrary("objectlib", kSource);
    Spec(kLibraryKUID, "TestLibrary");
    TestContext& context = NewContext();
    GSOLibrary* library = context.GetScriptLibrary(kLibraryKUID);
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(library->ForwardMessage(NuMessageData(Kiv::PString("click"), 7)), 1) << "no icon id yet";
    library->SetIconMessageId(7);
    EXPECT_EQ(library->ForwardMessage(NuMessageData(Kiv::PString("click"), 8)), 1);
    EXPECT_EQ(library->ForwardMessage(NuMessageData(Kiv::PString("other"), 7)), 1);
    EXPECT_EQ(CallInt(library, "$int@TestLibrary::Clicks()"), 0);
    EXPECT_EQ(library->ForwardMessage(NuMessageData(Kiv::PString("click"), 7)), 0);
    EXPECT_EQ(CallInt(library, "$int@TestLibrary::Clicks()"), 1);
}

// Validate by KUID may make the KUID's library (and run its script): a null token is
// refused first, as parameter 1, and makes none.
TEST_F(LibraryTest, ValidateByKUIDRefusesANullTokenBeforeMakingTheLibrary) {
    SetUpLibrary("objectlib", kSource);
    const KUID other(414100, 53, 0);
    Spec(kLibraryKUID, "TestLibrary");
    Spec(other, "TestLibrary");
    TestContext& context = NewContext();
    GSOLibrary* library = context.GetScriptLibrary(kLibraryKUID);
    ASSERT_NE(library, nullptr);
    GSOKUID* kuid = GSOKUID::Create(other, &context);
    ASSERT_NE(kuid, nullptr);
    gstest::LogLines().clear();
    GSSlot result{};
    library->CallScript("$bool@TestLibrary::CheckNoToken(KUID)", {kuid->GetInstance()}, &result);
    GSReleaseReference(kuid->GetInstance());
    EXPECT_TRUE(Logged("null object at parameter 1")) << LogText();
    EXPECT_EQ(context.added.Get(), library) << "no library was made for the KUID";
}

TEST_F(LibraryTest, TokensValidateOnlyWithTheirIssuerAndTheIconGoesWithTheNullKUID) {
    SetUpLibrary("objectlib", kSource);
    Spec(kLibraryKUID, "TestLibrary");
    TestContext& context = NewContext();
    GSOLibrary* library = context.GetScriptLibrary(kLibraryKUID);
    ASSERT_NE(library, nullptr);
    GSOSecurityToken* token = GSOSecurityToken::Issue(kLibraryKUID, &context, library, nullptr);
    GSOKUID* nobody = GSOKUID::Create(KUID(414100, 99, 0), &context);
    ASSERT_NE(token, nullptr);
    ASSERT_NE(nobody, nullptr);
    GSSlot result{};
    EXPECT_TRUE(library->CallScript("$bool@TestLibrary::CheckNoLibrary(SecurityToken,KUID)",
                                    {token->GetInstance(), nobody->GetInstance()}, &result));
    EXPECT_EQ(result.i, 0);
    GSReleaseReference(token->GetInstance());
    GSReleaseReference(nobody->GetInstance());

    // An issued token comes with the one count the caller holds, and its issuer validates it.
    GSOKUID* own = GSOKUID::Create(kLibraryKUID, &context);
    ASSERT_TRUE(library->CallScript("$SecurityToken@TestLibrary::Issue(KUID)", {own->GetInstance()}, &result));
    GSReleaseReference(own->GetInstance());
    auto* issued = static_cast<GSSlot*>(result.p);
    ASSERT_NE(NativeObjectAs<GSOSecurityToken>(issued), nullptr);
    EXPECT_EQ(GSInstanceOf(issued)->ReferenceCount(), 1);
    EXPECT_TRUE(library->CallScript("$bool@TestLibrary::Check(SecurityToken)", {issued}, &result));
    EXPECT_EQ(result.i, 1);
    GSReleaseReference(issued);

    context.icons.clear();
    EXPECT_TRUE(library->CallScript("$void@TestLibrary::NoIcon()", {}));
    EXPECT_EQ(context.icons, std::vector<std::string>{"-1:-1:127||"});
}

} // namespace
