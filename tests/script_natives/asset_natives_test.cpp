// The Asset natives through script calls against the in-process stand-in daemon and specs
// of the test's own: one object per context and resolved KUID, the record fetched once and
// again after a favourite change, the "kuid-table" look-ups and their refusal text, the
// shared locked config, and image loading that stays inside the asset's folder and always
// closes the handle it opened.
#include <gtest/gtest.h>

#include <limits>
#include <map>

#include "daemon_rig.h"
#include "native_script_support.h"
#include "script_natives/gso_asset.h"
#include "script_natives/gso_image.h"
#include "script_natives/gso_kuid.h"
#include "script_natives/gso_kuid_list.h"
#include "script_natives/native_arguments.h"
#include "script_natives/native_spec_access.h"

namespace {

constexpr const char* kScript = R"(include "asset.gs"
class Test {
  public KUID Lookup(Asset a, string n) { return a.LookupKUIDTable(n); }
  public Asset Find(Asset a, string n) { return a.FindAsset(n); }
  public bool Supports(Asset a, float f) { return a.SupportsKodrinBuildVersion(f); }
  public bool Favourite(Asset a) { return a.GetIsFavorite(); }
  public void SetFavourite(Asset a, bool b) { a.SetIsFavorite(b); }
  public int ConfigTags(Asset a) { return a.GetConfigSoup().CountTags(); }
  public void ChangeConfig(Asset a) { a.GetConfigSoup().SetNamedTag("x", 1); }
  public Image Load(Asset a, string n) { return a.LoadImage(n); }
  public string Texts(Asset a) {
    return a.GetLocalisedName() + "|" + a.GetCreatorName() + "|" + a.GetCategoryEra() + "|" + a.GetCategoryRegion();
  }
  public Asset Parent(Asset a) { return a.GetParent(); }
  public StringTable Table(Asset a) { return a.GetStringTable(); }
  public KUID Kuid(Asset a) { return a.GetKUID(); }
  public string Asked(Asset a) {
    string modified = "no";
    if (a.IsLocallyModified()) modified = "yes";
    return a.GetLocalisedDescription() + "|" + a.GetInfoURL() + "|" + modified;
  }
  public KUIDList Dependencies(Asset a) { return a.GetDependencyList(); }
};
)";

// Specs of the test's own: a KUID with a config has a spec; uses are counted.
class ConfigSpecs : public NativeSpecAccess {
  public:
    KodrinBaseSpec* GetKodrinBaseSpec(const KUID& kuid) override {
        auto found = configs.find(kuid);
        if (found == configs.end()) return nullptr;
        KodrinBaseSpec* spec = Handle(kuid);
        ++uses[spec];
        return spec;
    }
    void AddUse(KodrinBaseSpec* spec) override { ++uses[spec]; }
    void ReleaseUse(KodrinBaseSpec* spec) override { --uses[spec]; }
    ACSChunkRef GetConfig(KodrinBaseSpec* spec) override {
        for (auto& [kuid, config] : configs)
            if (Handle(kuid) == spec) return config;
        return ACSChunkRef();
    }
    bool IsLocallyModified(KodrinBaseSpec*) override { return false; }

    std::map<KUID, ACSChunkRef> configs;
    std::map<KodrinBaseSpec*, int> uses;

  private:
    // An opaque handle per KUID, never dereferenced.
    KodrinBaseSpec* Handle(const KUID& kuid) { return reinterpret_cast<KodrinBaseSpec*>(&tokens_[kuid]); }
    std::map<KUID, char> tokens_;
};

const KUID kAsset(100, 1, 0);
const KUID kOther(100, 2, 0);

// A KUID answered in the stream form of request 26.
Bytes KuidReply(const KUID& kuid) { return KuidBytes(kuid.userId, kuid.contentId, kuid.version); }

class AssetNativesTest : public nativetest::ScriptCallTest {
  protected:
    void SetUp() override {
        GSOAsset::ForgetResolutions();
        daemon_.Start();
        daemon_.Echo(26);
        LoadScript(kScript);
        SetNativeSpecs(&specs_);
    }
    void TearDown() override {
        for (GSSlot* held : held_) GSReleaseReference(held);
        ScriptCallTest::TearDown();
        SetNativeSpecs(nullptr);
        for (const auto& [spec, uses] : specs_.uses) EXPECT_EQ(uses, 0) << "every spec use is given back";
        daemon_.Stop();
        GSOAsset::ForgetResolutions();
    }

    // The asset object of the KUID, held by the test until it ends.
    GSOAsset* Asset(const KUID& kuid) {
        GSOAsset* asset = GSOAsset::Create(&context_, kuid);
        if (asset) held_.push_back(asset->GetInstance());
        return asset;
    }
    // The asset kAsset, its config holding a kuid-table of "alpha" (kOther) and "beta".
    GSOAsset* AssetWithKuidTable() {
        ACSChunkRef table;
        table.SetNamedTagKUID(Kiv::PString("alpha"), kOther);
        table.SetNamedTagKUID(Kiv::PString("beta"), KUID(7, 7, 0));
        specs_.configs[kAsset].SetNamedSoup(Kiv::PString("kuid-table"), table);
        return Asset(kAsset);
    }
    // The object as a call argument (the call takes its own count).
    static GSSlot Arg(GSObject* object) {
        GSAddReference(object->GetInstance());
        return GSPointerSlot(object->GetInstance());
    }
    // The object a call answered, held by the test until it ends; null for a null answer.
    template <class T> T* CallObject(const std::string& signature, std::vector<GSSlot> arguments) {
        GSSlot result{};
        EXPECT_TRUE(Call(signature, &result, std::move(arguments))) << signature << LogText();
        auto* reference = static_cast<GSSlot*>(result.p);
        if (!reference) return nullptr;
        held_.push_back(reference);
        return NativeObjectAs<T>(reference);
    }
    // A record reply for kAsset.
    template <class Fill> void AnswerRecord(Fill fill) {
        nativetest::AssetRecordReply record;
        fill(record);
        daemon_.Answer(21, nativetest::RecordBytes(kAsset, record));
    }
    // A script string as a call argument.
    GSSlot Text(const char* text) { return GSPointerSlot((new GSString(&context_, Kiv::String(text)))->GetReference()); }
    static GSSlot Float(float value) {
        GSSlot slot{};
        slot.f = value;
        return slot;
    }

    nativetest::DaemonRig daemon_;
    ConfigSpecs specs_;
    std::vector<GSSlot*> held_;
};

TEST_F(AssetNativesTest, OneObjectPerContextAndResolvedKUIDAfterOneResolution) {
    daemon_.Answer(26, KuidReply(kOther));
    GSOAsset* asset = Asset(kAsset);
    ASSERT_NE(asset, nullptr);
    EXPECT_EQ(asset->GetAssetKUID(), kOther) << "the object is the resolved KUID's";
    EXPECT_EQ(Asset(kOther), asset);
    EXPECT_EQ(Asset(kAsset), asset);
    EXPECT_EQ(daemon_.Count(26), 1u);
    EXPECT_EQ(daemon_.OnlyPayload(26), KuidReply(kAsset));

    GSContext other;
    GSOAsset* elsewhere = GSOAsset::Create(&other, kAsset);
    ASSERT_NE(elsewhere, nullptr);
    EXPECT_NE(elsewhere, asset) << "another context has its own object";
    GSReleaseReference(elsewhere->GetInstance());
    EXPECT_EQ(GSOAsset::Create(&context_, KUID()), nullptr);
}

TEST_F(AssetNativesTest, AKUIDResolvingToTheNullKUIDGivesNoObjectAndIsNotAskedAgain) {
    daemon_.Answer(26, KuidReply(KUID()));
    EXPECT_EQ(Asset(kAsset), nullptr);
    EXPECT_EQ(Asset(kAsset), nullptr);
    EXPECT_EQ(daemon_.Count(26), 1u);
}

TEST_F(AssetNativesTest, TheKuidTableGivesKUIDsAndOneAssetObjectPerEntry) {
    GSOAsset* asset = AssetWithKuidTable();
    ASSERT_NE(asset, nullptr);
    const auto* kuid = CallObject<GSOKUID>("$KUID@Test::Lookup(Asset,string)", {Arg(asset), Text("ALPHA")});
    ASSERT_NE(kuid, nullptr);
    EXPECT_EQ(kuid->Value(), kOther);
    GSOAsset* first = CallObject<GSOAsset>("$Asset@Test::Find(Asset,string)", {Arg(asset), Text("alpha")});
    GSOAsset* second = CallObject<GSOAsset>("$Asset@Test::Find(Asset,string)", {Arg(asset), Text("Alpha")});
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_EQ(first->GetAssetKUID(), kOther);
}

TEST_F(AssetNativesTest, ANameMissingFromTheKuidTableStopsTheScriptListingTheNames) {
    GSOAsset* asset = AssetWithKuidTable();
    ASSERT_NE(asset, nullptr);
    const std::string text = "Asset.FindKUID> unable to find 'gamma' in kuid-table\nAvailable kuids are: \"alpha\" \"beta\" ";
    ExpectStopped("$Asset@Test::Find(Asset,string)", text, {Arg(asset), Text("Gamma")});
    ExpectStopped("$KUID@Test::Lookup(Asset,string)", text, {Arg(asset), Text("gamma")});
    ExpectStopped("$KUID@Test::Lookup(Asset,string)", "empty string at parameter 1", {Arg(asset), Text("")});
}

TEST_F(AssetNativesTest, AnAssetWithoutSpecHasNoTableEntriesAndNoStringTable) {
    GSOAsset* asset = Asset(kAsset);
    ASSERT_NE(asset, nullptr);
    EXPECT_EQ(CallObject<GSOKUID>("$KUID@Test::Lookup(Asset,string)", {Arg(asset), Text("alpha")}), nullptr);
    EXPECT_EQ(CallObject<GSOAsset>("$Asset@Test::Find(Asset,string)", {Arg(asset), Text("alpha")}), nullptr);
    EXPECT_EQ(CallObject<GSObject>("$StringTable@Test::Table(Asset)", {Arg(asset)}), nullptr);
    specs_.configs[kOther] = ACSChunkRef();
    GSOAsset* scripted = Asset(kOther);
    EXPECT_NE(CallObject<GSObject>("$StringTable@Test::Table(Asset)", {Arg(scripted)}), nullptr);
}

TEST_F(AssetNativesTest, TheRecordIsFetchedOnceWithAllDetailsAndServesEveryField) {
    AnswerRecord([](nativetest::AssetRecordReply& r) { r.name = "Wagon"; r.region = "UK"; r.creator = "ann"; r.era = "1950s"; r.build = 3.3f; });
    GSOAsset* asset = Asset(kAsset);
    ASSERT_NE(asset, nullptr);
    EXPECT_EQ(CallString("$string@Test::Texts(Asset)", {Arg(asset)}), "Wagon|ann|1950s|UK");
    EXPECT_EQ(CallInt("$bool@Test::Supports(Asset,float)", {Arg(asset), Float(3.3f)}), 1);
    EXPECT_EQ(CallInt("$bool@Test::Supports(Asset,float)", {Arg(asset), Float(3.31f)}), 0);
    EXPECT_EQ(CallInt("$bool@Test::Supports(Asset,float)", {Arg(asset), Float(2.0f)}), 1);
    EXPECT_EQ(CallInt("$bool@Test::Supports(Asset,float)", {Arg(asset), Float(std::numeric_limits<float>::quiet_NaN())}), 1)
        << "NaN counts as build 0";
    EXPECT_EQ(daemon_.OnlyPayload(21), Concat({KuidReply(kAsset), Le32(0xFFFFFFFFu)}));
    const auto* kuid = CallObject<GSOKUID>("$KUID@Test::Kuid(Asset)", {Arg(asset)});
    ASSERT_NE(kuid, nullptr);
    EXPECT_EQ(kuid->Value(), kAsset);
}

TEST_F(AssetNativesTest, SettingTheFavouriteFetchesTheRecordAgain) {
    AnswerRecord([](nativetest::AssetRecordReply& r) { r.favourite = 4; });
    GSOAsset* asset = Asset(kAsset);
    ASSERT_NE(asset, nullptr);
    EXPECT_EQ(CallInt("$bool@Test::Favourite(Asset)", {Arg(asset)}), 1);
    daemon_.Answer(50, {});
    AnswerRecord([](nativetest::AssetRecordReply& r) { r.favourite = 3; });
    Call("$void@Test::SetFavourite(Asset,bool)", nullptr, {Arg(asset), nativetest::Int(1)});
    EXPECT_EQ(daemon_.OnlyPayload(50), Concat({KuidReply(kAsset), Byte(1)}));
    EXPECT_EQ(CallInt("$bool@Test::Favourite(Asset)", {Arg(asset)}), 0);
    EXPECT_EQ(daemon_.Count(21), 2u);
    AnswerRecord([](nativetest::AssetRecordReply& r) { r.favourite = 5; });
    Call("$void@Test::SetFavourite(Asset,bool)", nullptr, {Arg(asset), nativetest::Int(1)});
    EXPECT_EQ(CallInt("$bool@Test::Favourite(Asset)", {Arg(asset)}), 1);
}

TEST_F(AssetNativesTest, AFailedRecordFetchCountsAsLoadedAndAnswersFalse) {
    AnswerRecord([](nativetest::AssetRecordReply& r) { r.favourite = 4; r.build = 3.3f; r.valid = false; });
    GSOAsset* asset = Asset(kAsset);
    ASSERT_NE(asset, nullptr);
    EXPECT_EQ(CallInt("$bool@Test::Supports(Asset,float)", {Arg(asset), Float(1.0f)}), 0);
    daemon_.Answer(21, {});
    Call("$void@Test::SetFavourite(Asset,bool)", nullptr, {Arg(asset), nativetest::Int(0)});
    EXPECT_EQ(CallInt("$bool@Test::Favourite(Asset)", {Arg(asset)}), 0);
    EXPECT_EQ(CallInt("$bool@Test::Supports(Asset,float)", {Arg(asset), Float(1.0f)}), 0);
    EXPECT_EQ(daemon_.Count(21), 2u) << "a failed fetch is not repeated";
}

TEST_F(AssetNativesTest, TheParentIsTheAssetOfTheRecordsParentKUID) {
    AnswerRecord([](nativetest::AssetRecordReply& r) { r.parent = kOther; });
    GSOAsset* asset = Asset(kAsset);
    ASSERT_NE(asset, nullptr);
    GSOAsset* parent = CallObject<GSOAsset>("$Asset@Test::Parent(Asset)", {Arg(asset)});
    ASSERT_NE(parent, nullptr);
    EXPECT_EQ(parent->GetAssetKUID(), kOther);
    EXPECT_EQ(Asset(kOther), parent);
}

TEST_F(AssetNativesTest, TheConfigSoupIsFetchedOnceSharedAndLocked) {
    ACSChunkRef config;
    config.SetNamedTagString(Kiv::PString("kind"), "scenery");
    config.SetNamedTagString(Kiv::PString("info-url"), "http://x");
    daemon_.Answer(20, SoupBytes(config));
    GSOAsset* asset = Asset(kAsset);
    ASSERT_NE(asset, nullptr);
    EXPECT_EQ(CallInt("$int@Test::ConfigTags(Asset)", {Arg(asset)}), 2);
    EXPECT_EQ(CallInt("$int@Test::ConfigTags(Asset)", {Arg(asset)}), 2);
    EXPECT_EQ(daemon_.Count(20), 1u);
    ExpectStopped("$void@Test::ChangeConfig(Asset)", "Soup.SetNamedTag> parent soup is locked", {Arg(asset)});
}

TEST_F(AssetNativesTest, DescriptionInfoURLAndModificationAreAskedOnEveryCall) {
    ACSChunkRef config;
    config.SetNamedTagString(Kiv::PString("info-url"), "http://x");
    daemon_.Answer(20, SoupBytes(config));
    daemon_.Answer(28, Str("A wagon"));
    daemon_.Answer(21, nativetest::RecordBytes(kAsset, {}));
    GSOAsset* asset = Asset(kAsset);
    ASSERT_NE(asset, nullptr);
    EXPECT_EQ(CallString("$string@Test::Asked(Asset)", {Arg(asset)}), "A wagon|http://x|no");
    EXPECT_EQ(CallString("$string@Test::Asked(Asset)", {Arg(asset)}), "A wagon|http://x|no");
    EXPECT_EQ(daemon_.Count(20), 2u);
    EXPECT_EQ(daemon_.Count(28), 2u);
    const std::vector<Bytes> records = daemon_.Payloads(21);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0], Concat({KuidReply(kAsset), Le32(8)})) << "the flags only";
}

TEST_F(AssetNativesTest, TheDependencyListIsALockedListOfTheDaemonsAnswer) {
    daemon_.Answer(42, Concat({Le32(2), KuidReply(kOther), KuidReply(KUID(7, 7, 0))}));
    GSOAsset* asset = Asset(kAsset);
    ASSERT_NE(asset, nullptr);
    const auto* list = CallObject<GSOKUIDList>("$KUIDList@Test::Dependencies(Asset)", {Arg(asset)});
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(list->Locked());
    ASSERT_EQ(list->Items().Count(), 2);
    EXPECT_EQ(daemon_.OnlyPayload(42), Concat({Le32(1), KuidReply(kAsset)}));
}

class AssetImageTest : public AssetNativesTest {
  protected:
    void SetUp() override {
        AssetNativesTest::SetUp();
        const std::vector<uint8_t> tga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 32, 0x28, 1, 2, 3, 4};
        folder_.Write("asset/pic.tga", tga);
        folder_.Write("secret.tga", tga);
        daemon_.Answer(30, Concat({Le64(9), PStr(folder_.Path()), Str("asset")}));
        daemon_.Answer(31, {});
        daemon_.Answer(32, Concat({PStr(folder_.Path()), Str("asset")}));
        asset_ = Asset(kAsset);
        ASSERT_NE(asset_, nullptr);
    }
    GSOImage* Load(const char* name) {
        return CallObject<GSOImage>("$Image@Test::Load(Asset,string)", {Arg(asset_), Text(name)});
    }
    GSOAsset* asset_ = nullptr;
};

TEST_F(AssetImageTest, AnImageOfTheAssetIsLoadedByItsLowerCasedNameAndTheHandleClosed) {
    GSOImage* image = Load("PIC.TGA");
    ASSERT_NE(image, nullptr);
    ASSERT_NE(image->Bitmap(), nullptr);
    EXPECT_EQ(image->Bitmap()->GetWidth(), 1u);
    EXPECT_EQ(daemon_.OnlyPayload(30), Concat({KuidReply(kAsset), Byte(0)}));
    EXPECT_EQ(daemon_.OnlyPayload(31), Le64(9));
}

TEST_F(AssetImageTest, AFileThatDoesNotLoadGivesNullAndStillClosesTheHandle) {
    EXPECT_EQ(Load("none.tga"), nullptr);
    EXPECT_EQ(daemon_.Count(30), 1u);
    EXPECT_EQ(daemon_.Count(31), 1u);
}

TEST_F(AssetImageTest, ANameLeavingTheAssetsFolderGivesNullWithoutOpeningTheAsset) {
    for (const char* name : {"../secret.tga", "asset/../../secret.tga", "..\\secret.tga", "/etc/secret.tga",
                             "\\secret.tga", "x/.."}) {
        EXPECT_EQ(Load(name), nullptr) << name;
    }
    EXPECT_EQ(daemon_.Count(30), 0u);
}

TEST_F(AssetImageTest, AnOpenAssetWithoutAFolderGivesNullAndIsClosed) {
    daemon_.Answer(30, Concat({Le64(9), PStr(""), Str("")}));
    EXPECT_EQ(Load("pic.tga"), nullptr);
    EXPECT_EQ(daemon_.OnlyPayload(31), Le64(9));
}

TEST_F(AssetImageTest, AnAssetTheDaemonCannotOpenGivesNullAndClosesNothing) {
    daemon_.Answer(30, Concat({Le64(static_cast<uint64_t>(-1)), PStr(""), Str("")}));
    EXPECT_EQ(Load("pic.tga"), nullptr);
    EXPECT_EQ(daemon_.Count(31), 0u);
}

}  // namespace
