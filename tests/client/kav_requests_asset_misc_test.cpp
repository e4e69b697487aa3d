// The remaining asset wrappers against the in-process stand-in daemon, one table row each:
// the payload bytes a call sends, what it makes of a reply written by hand, and what it
// answers with the link down. Also the KUID lists whose count the daemon may overstate.
#include "kav_requests_test_support.h"

#include <functional>

#include "foundation/soup/binary_file.h"

namespace {

const KUID kAsset(1234, 56, 2);
const Bytes kAssetBytes = KuidBytes(1234, 56, 2);
const Bytes kOtherBytes = KuidBytes(77, 8, 0);

struct WrapperCase {
    const char* name;
    int32_t id;
    Bytes reply;
    Bytes payload;
    // Runs the wrapper; linkUp tells which answer to expect.
    std::function<void(bool linkUp)> run;
};

std::vector<WrapperCase> Cases() {
    return {
        {"resolve", 26, kOtherBytes, kAssetBytes,
         [](bool up) { EXPECT_EQ(KAVClient::ResolveKUID(kAsset), up ? KUID(77, 8, 0) : kAsset); }},
        {"resolve latest", 27, kOtherBytes, kAssetBytes,
         [](bool up) {
             EXPECT_EQ(KAVClient::ResolveKUIDLatest(kAsset), up ? KUID(77, 8, 0) : kAsset);
         }},
        {"description", 28, Str("A wagon"), kAssetBytes,
         [](bool up) { EXPECT_EQ(KAVClient::GetAssetDescription(kAsset), up ? "A wagon" : ""); }},
        {"locate", 23, Concat({PStr("local"), Str("/l/w")}), Concat({kAssetBytes, Byte(1)}),
         [](bool up) {
             Kiv::PString location("old");
             Kiv::File::Path path("old");
             KAVClient::LocateAsset(kAsset, true, location, path);
             EXPECT_EQ(location, Kiv::PString(up ? "local" : ""));
             EXPECT_EQ(path, Kiv::File::Path(up ? "/l/w" : ""));
         }},
        {"locate file", 29, Concat({PStr("local"), Str("/l/w"), Le32(42)}),
         Concat({kAssetBytes, Le32(5)}),
         [](bool up) {
             Kiv::PString location;
             Kiv::File::Path path;
             EXPECT_EQ(KAVClient::LocateAssetFile(kAsset, 5, location, path), up ? 42u : 0u);
             EXPECT_EQ(path, Kiv::File::Path(up ? "/l/w" : ""));
         }},
        {"generate", 58, kOtherBytes, {},
         [](bool up) { EXPECT_EQ(KAVClient::GenerateKUID(), up ? KUID(77, 8, 0) : KUID::Null()); }},
        {"delete", 36, Byte(1), Concat({kAssetBytes, Byte(0)}),
         [](bool up) { EXPECT_EQ(KAVClient::DeleteAsset(kAsset, false, nullptr), up); }},
        {"validate", 38, Byte(1), Concat({PStr("local"), Str("/l/w")}),
         [](bool up) { EXPECT_EQ(KAVClient::ValidateAsset("local", "/l/w", nullptr), up); }},
        {"install folder", 39, Concat({kOtherBytes, Byte(1)}),
         Concat({Str("/in/wagon"), Le32(2), Byte(0)}),
         [](bool up) {
             bool result = false;
             EXPECT_EQ(KAVClient::InstallFromFolder("/in/wagon", 2, nullptr, result, nullptr),
                       up ? KUID(77, 8, 0) : KUID::Null());
             EXPECT_EQ(result, up);
         }},
        {"install archive", 40, Concat({Le32(3), Byte(1)}), Concat({Str("/in/a.cdp"), Le32(1), Byte(0)}),
         [](bool up) {
             bool result = false;
             EXPECT_EQ(KAVClient::InstallArchiveFile("/in/a.cdp", 1, nullptr, result, nullptr),
                       up ? 3u : 0u);
             EXPECT_EQ(result, up);
         }},
        {"download size", 41, {}, Concat({kAssetBytes, Le32(4096)}),
         [](bool) { KAVClient::RecordDownloadSize(kAsset, 4096); }},
        {"latest version", 47, {}, Concat({kAssetBytes, kOtherBytes}),
         [](bool) { KAVClient::RecordLatestVersion(kAsset, KUID(77, 8, 0)); }},
        {"favourite", 50, {}, Concat({kAssetBytes, Byte(1)}),
         [](bool) { KAVClient::SetAssetFavorite(kAsset, true); }},
        {"keywords", 54, {}, Concat({kAssetBytes, Str("coal")}),
         [](bool) { KAVClient::SetAssetKeywords(kAsset, "coal"); }},
        {"repair", 3, {}, Le32(150), [](bool) { KAVClient::StartRepair(150, nullptr); }},
        {"poll repair", 4, Concat({Byte(1), Le32(0x3F000000), Str("step")}), {},
         [](bool up) {
             float progress = 0;
             Kiv::String text;
             EXPECT_EQ(KAVClient::PollRepair(progress, text), up);
             EXPECT_EQ(progress, up ? 0.5f : 0.0f);
             EXPECT_EQ(text, up ? "step" : "");
         }},
        {"patcher", 256, {}, {}, [](bool) { KAVClient::RunPatcher(); }},
        {"cuda", 181, Byte(0), {}, [](bool up) { EXPECT_EQ(KAVClient::IsCudaDisabled(), !up); }},
        {"builds", 253, PStr("2.9\n3.0"), {},
         [](bool up) {
             EXPECT_EQ(KAVClient::ListInstalledBuilds(), Kiv::PString(up ? "2.9\n3.0" : ""));
         }},
        {"dependencies of one", 43, Concat({Le32(2), kOtherBytes, kAssetBytes}), kAssetBytes,
         [](bool up) {
             KUIDList out;
             EXPECT_TRUE(KAVClient::GetAssetDependencies(kAsset, out));
             EXPECT_EQ(out.Count(), up ? 2 : 0);
         }},
        {"dependencies of a list", 42, Concat({Le32(1), kOtherBytes}),
         Concat({Le32(1), kAssetBytes}),
         [](bool up) {
             KUIDList out;
             EXPECT_TRUE(KAVClient::GetDependencyListOf(kAsset, out));
             EXPECT_EQ(out.Count(), up ? 1 : 0);
         }},
    };
}

TEST_F(KAVRequestsTest, EachWrapperSendsItsPayloadAndReadsItsReply) {
    for (const WrapperCase& c : Cases()) {
        Answer(c.id, c.reply);
        c.run(true);
        EXPECT_EQ(OnlyPayload(c.id), c.payload) << c.name;
    }
}

TEST_F(KAVRequestsTest, EachWrapperAnswersItsFailureValueWithTheLinkDown) {
    TakeLinkDown();
    for (const WrapperCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        c.run(false);
    }
}

TEST_F(KAVRequestsTest, LatestVersionIsNotSentForEqualOrNullKuids) {
    Answer(47, {});
    KAVClient::RecordLatestVersion(kAsset, kAsset);
    KAVClient::RecordLatestVersion(KUID::Null(), kAsset);
    KAVClient::RecordLatestVersion(kAsset, KUID::Null());
    KAVClient::GenerateKUID();
    EXPECT_TRUE(Payloads(47).empty());
}

// A count of four billion followed by two KUIDs gives two KUIDs, not billions of nulls.
TEST_F(KAVRequestsTest, KuidListsStopAtTheFirstShortRead) {
    const Bytes hostile = Concat({Le32(0xFFFFFFFF), kOtherBytes, kAssetBytes, Bytes{1, 2, 3}});
    Answer(42, hostile);
    Answer(43, hostile);
    KUIDList fromList, fromOne;
    KAVClient::GetDependencyList(KUIDList(), fromList);
    KAVClient::GetAssetDependencies(kAsset, fromOne);
    for (const KUIDList* list : {&fromList, &fromOne}) {
        ASSERT_EQ(list->Count(), 2);
        EXPECT_EQ(*list->begin(), KUID(77, 8, 0));
    }
    EXPECT_EQ(OnlyPayload(42), Le32(0));
}

TEST_F(KAVRequestsTest, LocalDataKeysAreLowerCasedAndEmptyKeysSendNothing) {
    Answer(121, {});
    Answer(122, {});
    EXPECT_TRUE(KAVClient::GetLocalData(kAsset, "").IsNull());
    KAVClient::SetLocalData(kAsset, "", ACSChunkRef());
    KAVClient::GenerateKUID();
    EXPECT_TRUE(Payloads(121).empty());
    EXPECT_TRUE(Payloads(122).empty());
    EXPECT_TRUE(KAVClient::GetLocalData(kAsset, "Route-Notes").IsNull());
    EXPECT_EQ(OnlyPayload(121), Concat({kAssetBytes, PStr("route-notes")}));
}

TEST_F(KAVRequestsTest, ConfigAndArchivedAssetTravelAsBinarySoups) {
    ACSChunkRef config;
    config.SetNamedTagString("script", "wagon.gsl");
    config.SetNamedTagString("class", "Wagon");
    BufferStream soup;
    TDBBinaryFile::WriteSoup(soup.Stream(), config);
    const Kiv::DynamicBuffer& buffer = soup.Buffer();
    const Bytes soupBytes(buffer.GetData(), buffer.GetData() + buffer.GetDataLength());
    Answer(20, soupBytes);
    Answer(48, soupBytes);

    Kiv::File::Path script;
    Kiv::String className;
    EXPECT_TRUE(KAVClient::GetAssetScriptInfo(kAsset, script, className));
    EXPECT_EQ(script, Kiv::File::Path("wagon.gs"));
    EXPECT_EQ(className, "Wagon");
    EXPECT_EQ(OnlyPayload(20), kAssetBytes);

    const CDPAsset archived = KAVClient::GetArchivedAsset(kAsset, nullptr, 2);
    EXPECT_EQ(archived.GetConfig().GetNamedTag("class"), "Wagon");
    EXPECT_EQ(OnlyPayload(48), Concat({kAssetBytes, Le32(2)}));
}

TEST_F(KAVRequestsTest, ScriptInfoFallsBackToTheLibraryAndTheFileName) {
    ACSChunkRef config;
    config.SetNamedTagString("scriptlibrary", "lib/Shunter.gs");
    BufferStream soup;
    TDBBinaryFile::WriteSoup(soup.Stream(), config);
    const Kiv::DynamicBuffer& buffer = soup.Buffer();
    Answer(20, Bytes(buffer.GetData(), buffer.GetData() + buffer.GetDataLength()));
    Kiv::File::Path script;
    Kiv::String className;
    EXPECT_TRUE(KAVClient::GetAssetScriptInfo(kAsset, script, className));
    EXPECT_EQ(script, Kiv::File::Path("lib/Shunter.gs"));
    EXPECT_EQ(className, "lib/Shunter");
}

TEST_F(KAVRequestsTest, ConfigFailuresGiveNone) {
    Answer(20, Text("not a soup"));
    Kiv::File::Path script;
    Kiv::String className;
    EXPECT_TRUE(KAVClient::GetAssetConfig(kAsset, 0).IsNull());
    EXPECT_FALSE(KAVClient::GetAssetScriptInfo(kAsset, script, className));
    TakeLinkDown();
    EXPECT_TRUE(KAVClient::GetAssetConfig(kAsset, 0).IsNull());
    const CDPAsset archived = KAVClient::GetArchivedAsset(kAsset, nullptr, 0);
    EXPECT_EQ(archived.GetCompression(), Kiv::PString("LZSS"));
}

} // namespace
