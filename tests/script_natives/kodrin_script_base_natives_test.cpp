// The KodrinScriptBase natives through script calls in a context whose host records its
// hooks, against the in-process stand-in daemon: the filter of each asset query compared
// with groups built by hand, the arrays they give, argument refusals, the library look-up,
// the system call, URL opening, the script log and the clock.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "daemon_rig.h"
#include "engine_log_capture.h"
#include "foundation/jobs/job_timing.h"
#include "link/kav/kav_filter_bool.h"
#include "link/kav/kav_filter_group.h"
#include "link/kav/kav_filter_string.h"
#include "native_script_support.h"
#include "script_natives/gso_asset.h"
#include "script_natives/gso_kuid.h"
#include "script_natives/gso_soup.h"
#include "script_natives/kodrin_script_context.h"
#include "script_natives/native_arguments.h"
#include "script_runtime/gs_array.h"
#include "script_runtime/gs_router.h"

namespace {

constexpr const char* kScript = R"(include "kodrin.gs"
include "constructors.gs"
class Test {
  public Asset[] List(string k) { return KodrinScriptBase.GetAssetList(k); }
  public Asset[] ListTokens(string k, string t) { return KodrinScriptBase.GetAssetList(k, t); }
  public KUID[] Search(string t, bool l) { return KodrinScriptBase.SearchAssets(t, l); }
  public Asset[] Updated() { return KodrinScriptBase.FindUpdatedAssets(); }
  public Library Lib(KUID k) { return KodrinScriptBase.GetLibrary(k); }
  public Asset Find(KUID k) { return KodrinScriptBase.FindAsset(k); }
  public int SystemCall(string n) {
    Soup s = ConstructorsBase.NewSoup();
    s.SetNamedTag("sent", 1);
    Soup r = KodrinScriptBase.KodrinSystemCall(n, s);
    int locked = 0;
    if (r.IsLocked()) locked = 1;
    return locked * 10 + r.CountTags();
  }
  public bool Open(string u) { return KodrinScriptBase.OpenURL(u); }
  public void Log(string t) { KodrinScriptBase.Log(t); }
  public float Seconds() { return KodrinScriptBase.GetSeconds(); }
};
)";

// A host that records its hooks; with answerCalls it answers system calls itself.
class RecordingHost : public KodrinScriptContext {
  public:
    RecordingHost() : KodrinScriptContext(std::make_unique<GSRouter>(), nullptr) {}
    ACSChunkRef SystemCall(const Kiv::PString& name, const ACSChunkRef& soup) override {
        if (!answerCalls) return KodrinScriptContext::SystemCall(name, soup);
        calls.push_back(std::string(name.View()) + ":" + std::to_string(soup.CountTags()));
        ACSChunkRef answer;
        answer.SetNamedTagString(Kiv::PString("one"), "1");
        answer.SetNamedTagString(Kiv::PString("two"), "2");
        return answer;
    }
    bool OpenURL(const Kiv::PString& url) override {
        urls.emplace_back(url.View());
        return true;
    }

    bool answerCalls = false;
    std::vector<std::string> calls;
    std::vector<std::string> urls;
};

// The filter conditions by their type numbers.
namespace condition {
constexpr int32_t kLocal = 0, kLocallyAvailable = 3, kUpToDate = 4, kObsolete = 5, kLocallyEnabled = 10, kFaulty = 13,
                  kListingPrivilege = 16, kCompatible = 19, kCategoryList = 1;
}

// A filter group written by hand: Is appends a condition, Not a negated subgroup holding it.
class HandGroup {
  public:
    HandGroup& Is(int32_t type) {
        group_->Append(std::make_unique<KAVFilterElementBool>(type));
        return *this;
    }
    HandGroup& Not(int32_t type) {
        KAVFilterElementGroup::OpenSubgroup(*group_, std::make_unique<KAVFilterElementBool>(type));
        return *this;
    }
    HandGroup& Categories(const char* text) {
        group_->Append(std::make_unique<KAVFilterElementString>(condition::kCategoryList, Kiv::PString(text)));
        return *this;
    }
    // The payload of request 2 that carries the group.
    Bytes Payload() const {
        BufferStream stream;
        KAVFilterElement::Write(stream.Stream(), group_.get());
        const Kiv::DynamicBuffer& buffer = stream.Buffer();
        return Bytes(buffer.GetData(), buffer.GetData() + buffer.GetDataLength());
    }

  private:
    std::unique_ptr<KAVFilterElementGroup> group_ = std::make_unique<KAVFilterElementGroup>();
};

// The listed conditions that both asset lists start with.
HandGroup ListedAssets() {
    using namespace condition;
    HandGroup group;
    group.Is(kLocal).Is(kLocallyAvailable).Is(kLocallyEnabled).Is(kListingPrivilege).Not(kObsolete).Is(kCompatible);
    return group;
}

Bytes KuidReply(const KUID& kuid) { return KuidBytes(kuid.userId, kuid.contentId, kuid.version); }

Bytes KuidListReply(const std::vector<KUID>& kuids) {
    Bytes reply = Le32(static_cast<uint32_t>(kuids.size()));
    for (const KUID& kuid : kuids) reply = Concat({reply, KuidReply(kuid)});
    return reply;
}

class KodrinScriptBaseTest : public nativetest::ScriptCallTestOn<RecordingHost> {
  protected:
    void SetUp() override {
        GSOAsset::ForgetResolutions();
        daemon_.Start();
        daemon_.Echo(26, {{KuidReply(kGone), KuidReply(KUID())}});
        LoadScript(kScript);
        GSLibrary* library = machine_.GetLibraryByName("kodrin.gsl");
        GSClass* base = library ? library->FindClass("KodrinScriptBase") : nullptr;
        ASSERT_NE(base ? context_.GetStaticInstance(base) : nullptr, nullptr);
        heapBefore_ = GSContextNamedHeap().BytesInUse();
    }
    void TearDown() override {
        for (GSSlot* held : held_) GSReleaseReference(held);
        ScriptCallTest::TearDown();
        daemon_.Stop();
        GSOAsset::ForgetResolutions();
    }

    // The array a call answered, held by the test until it ends.
    GSArray* CallArray(const std::string& signature, std::vector<GSSlot> arguments = {}) {
        GSSlot result{};
        EXPECT_TRUE(Call(signature, &result, std::move(arguments))) << signature << LogText();
        auto* reference = static_cast<GSSlot*>(result.p);
        if (!reference) return nullptr;
        held_.push_back(reference);
        return NativeObjectAs<GSArray>(reference);
    }
    // The KUIDs of the array's Asset or KUID objects, in order.
    static std::vector<KUID> KUIDsOf(const GSArray* array) {
        std::vector<KUID> kuids;
        for (int32_t i = 0; array && i < array->Count(); ++i) {
            GSSlot* element = static_cast<GSSlot*>(array->Elements()[i].p);
            if (const auto* asset = NativeObjectAs<GSOAsset>(element)) kuids.push_back(asset->GetAssetKUID());
            if (const auto* kuid = NativeObjectAs<GSOKUID>(element)) kuids.push_back(kuid->Value());
        }
        return kuids;
    }
    GSSlot Text(const char* text) { return GSPointerSlot((new GSString(&context_, Kiv::String(text)))->GetReference()); }
    GSSlot KuidArg(const KUID& kuid) { return GSPointerSlot(GSOKUID::Create(kuid, &context_)->GetInstance()); }

    static inline const KUID kA{100, 1, 0};
    static inline const KUID kB{100, 2, 0};
    static inline const KUID kGone{100, 3, 0};  // resolves to the null KUID
    nativetest::DaemonRig daemon_;
    std::vector<GSSlot*> held_;
};

TEST_F(KodrinScriptBaseTest, TheAssetListOfAKindLeavesOutFaultyAssetsAndKeepsNoGaps) {
    daemon_.Answer(2, KuidListReply({kA, kGone, kB}));
    const GSArray* assets = CallArray("$Asset[]@Test::List(string)", {Text("Library")});
    ASSERT_NE(assets, nullptr);
    EXPECT_EQ(KUIDsOf(assets), (std::vector<KUID>{kA, kB}));
    EXPECT_EQ(assets->Count(), 2);
    EXPECT_EQ(daemon_.OnlyPayload(2), ListedAssets().Not(condition::kFaulty).Categories("SLIB").Payload());
}

TEST_F(KodrinScriptBaseTest, TheAssetListWithTokensExtendsTheCategoriesAndKeepsFaultyAssets) {
    daemon_.Answer(2, KuidListReply({kB}));
    const GSArray* assets = CallArray("$Asset[]@Test::ListTokens(string,string)", {Text("LIBRARY"), Text("abc")});
    EXPECT_EQ(KUIDsOf(assets), std::vector<KUID>{kB});
    EXPECT_EQ(daemon_.OnlyPayload(2), ListedAssets().Categories("SLIB;#ABC").Payload());
}

TEST_F(KodrinScriptBaseTest, AKindWithoutCategoryMakesNoQueryAndGivesAnEmptyArrayWithAWarning) {
    daemon_.Answer(2, KuidListReply({kA}));
    nativetest::EngineLogCapture log;
    const GSArray* assets = CallArray("$Asset[]@Test::List(string)", {Text("Nonsense")});
    ASSERT_NE(assets, nullptr) << "an empty array, not null";
    EXPECT_EQ(assets->Count(), 0);
    EXPECT_EQ(daemon_.Count(2), 0u);
    EXPECT_EQ(log.Text(), "World.GetAssetList> warning: found zero assets of type 'nonsense'\n");
}

TEST_F(KodrinScriptBaseTest, SearchAssetsRestrictsToLocalAssetsOnlyWhenAsked) {
    using namespace condition;
    daemon_.Answer(2, KuidListReply({kA, kB}));
    nativetest::EngineLogCapture log;
    const GSArray* everywhere = CallArray("$KUID[]@Test::Search(string,bool)", {Text("tr;loco"), nativetest::Int(0)});
    EXPECT_EQ(KUIDsOf(everywhere), (std::vector<KUID>{kA, kB}));
    const GSArray* local = CallArray("$KUID[]@Test::Search(string,bool)", {Text("tr;loco"), nativetest::Int(1)});
    EXPECT_EQ(KUIDsOf(local), (std::vector<KUID>{kA, kB}));
    const std::vector<Bytes> payloads = daemon_.Payloads(2);
    ASSERT_EQ(payloads.size(), 2u);
    EXPECT_EQ(payloads[0], HandGroup().Is(kListingPrivilege).Not(kObsolete).Is(kCompatible).Categories("TR;LOCO").Payload());
    EXPECT_EQ(payloads[1], ListedAssets().Categories("TR;LOCO").Payload());
    EXPECT_EQ(daemon_.Count(26), 0u) << "KUID objects need no resolution";
    daemon_.Answer(2, KuidListReply({}));
    EXPECT_EQ(CallArray("$KUID[]@Test::Search(string,bool)", {Text("x"), nativetest::Int(0)})->Count(), 0);
    EXPECT_EQ(log.Text(), "") << "an empty search is not a warning";
}

TEST_F(KodrinScriptBaseTest, UpdatedAssetsAreLocalAndNeitherObsoleteNorUpToDate) {
    using namespace condition;
    daemon_.Answer(2, KuidListReply({kB, kA}));
    EXPECT_EQ(KUIDsOf(CallArray("$Asset[]@Test::Updated()")), (std::vector<KUID>{kB, kA}));
    EXPECT_EQ(daemon_.OnlyPayload(2), HandGroup().Is(kLocal).Not(kObsolete).Not(kUpToDate).Payload());
}

TEST_F(KodrinScriptBaseTest, EmptyOrNullTextsAndObjectsAreRefused) {
    ExpectStopped("$Asset[]@Test::List(string)", "empty string at parameter 1", {Text("")});
    ExpectStopped("$Asset[]@Test::ListTokens(string,string)", "empty string at parameter 2", {Text("library"), Text("")});
    ExpectStopped("$Library@Test::Lib(KUID)", "null object at parameter 1", {GSPointerSlot(nullptr)});
    ExpectStopped("$Asset@Test::Find(KUID)", "null object at parameter 1", {GSPointerSlot(nullptr)});
    ExpectStopped("$bool@Test::Open(string)", "null string at parameter 1", {GSPointerSlot(nullptr)});
    EXPECT_EQ(daemon_.Count(2), 0u);
}

TEST_F(KodrinScriptBaseTest, GetLibraryOfTheNullKUIDIsSilentAndAnUnknownLibraryIsLogged) {
    nativetest::EngineLogCapture log;
    GSSlot result{};
    EXPECT_TRUE(Call("$Library@Test::Lib(KUID)", &result, {KuidArg(KUID())}));
    EXPECT_EQ(result.p, nullptr);
    EXPECT_EQ(log.Text(), "");
    nativetest::EngineLogCapture second;
    EXPECT_TRUE(Call("$Library@Test::Lib(KUID)", &result, {KuidArg(kA)}));
    EXPECT_EQ(result.p, nullptr);
    EXPECT_EQ(second.Text(), "KodrinScriptContext::GetScriptLibrary> unable to find Library <kuid:100:1>\n");
}

TEST_F(KodrinScriptBaseTest, FindAssetGivesTheContextsAssetObject) {
    GSSlot result{};
    ASSERT_TRUE(Call("$Asset@Test::Find(KUID)", &result, {KuidArg(kA)}));
    auto* reference = static_cast<GSSlot*>(result.p);
    held_.push_back(reference);
    GSOAsset* asset = NativeObjectAs<GSOAsset>(reference);
    ASSERT_NE(asset, nullptr);
    GSOAsset* again = GSOAsset::Create(&context_, kA);
    EXPECT_EQ(again, asset);
    GSReleaseReference(again->GetInstance());
}

TEST_F(KodrinScriptBaseTest, TheDefaultSystemCallLogsTheSoupAndGivesALockedEmptySoup) {
    nativetest::EngineLogCapture log;
    EXPECT_EQ(CallInt("$int@Test::SystemCall(string)", {Text("save")}), 10);
    EXPECT_NE(log.Text().find("sent"), std::string::npos) << "the argument soup is written to the engine log";
}

TEST_F(KodrinScriptBaseTest, AHostsSystemCallAnswerIsLocked) {
    context_.answerCalls = true;
    EXPECT_EQ(CallInt("$int@Test::SystemCall(string)", {Text("Save")}), 12);
    EXPECT_EQ(context_.calls, std::vector<std::string>{"Save:1"});
    ExpectStopped("$int@Test::SystemCall(string)", "empty string at parameter 1", {Text("")});
    EXPECT_EQ(context_.calls.size(), 1u);
}

TEST_F(KodrinScriptBaseTest, OpenURLAsksTheHost) {
    EXPECT_EQ(CallInt("$bool@Test::Open(string)", {Text("http://x/%s%n")}), 1);
    EXPECT_EQ(context_.urls, std::vector<std::string>{"http://x/%s%n"});
}

TEST_F(KodrinScriptBaseTest, LogPassesTheTextAsTheArgumentOfItsFormat) {
    EXPECT_TRUE(Call("$void@Test::Log(string)", nullptr, {Text("100% %s %n")}));
    EXPECT_TRUE(Call("$void@Test::Log(string)", nullptr, {Text("")}));
    EXPECT_TRUE(Call("$void@Test::Log(string)", nullptr, {GSPointerSlot(nullptr)}));
    EXPECT_EQ(gstest::LogLines(), (std::vector<std::string>{"100% %s %n", "", ""}));
}

TEST_F(KodrinScriptBaseTest, GetSecondsReadsTheJobClock) {
    SetJobClock(12.5f);
    GSSlot result{};
    EXPECT_TRUE(Call("$float@Test::Seconds()", &result));
    EXPECT_EQ(result.f, 12.5f);
    SetJobClock(0.0f);
}

}  // namespace
