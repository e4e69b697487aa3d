// Settings, downloads and the online profile against the in-process stand-in daemon: the
// payload bytes written by hand, replies read back, and answers with the link down.
#include "kav_requests_test_support.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/log.h"
#include "foundation/soup/binary_file.h"

namespace {

TEST_F(KAVRequestsTest, SingleSettingsTravelAsPStrings) {
    Answer(102, PStr("de"));
    Answer(103, {});
    EXPECT_EQ(KAVClient::ReadSetting("internet", "language"), Kiv::PString("de"));
    EXPECT_EQ(OnlyPayload(102), Concat({PStr("internet"), PStr("language")}));
    EXPECT_TRUE(KAVClient::WriteSetting("internet", "language", "fr"));
    EXPECT_EQ(OnlyPayload(103), Concat({PStr("internet"), PStr("language"), PStr("fr")}));
    Answer(102, PStr(""));
    EXPECT_TRUE(KAVClient::ReadSetting("internet", "missing").IsEmpty());
    TakeLinkDown();
    EXPECT_TRUE(KAVClient::ReadSetting("internet", "language").IsEmpty());
    EXPECT_TRUE(KAVClient::WriteSetting("internet", "language", "fr"));
}

TEST_F(KAVRequestsTest, SettingsSectionsTravelAsBinarySoups) {
    ACSChunkRef stored;
    stored.SetNamedTagString("username", "alice");
    Answer(100, SoupBytes(stored));
    Answer(101, {});
    ACSChunkRef read;
    EXPECT_TRUE(KAVClient::ReadSettings(read, "internet"));
    EXPECT_EQ(OnlyPayload(100), PStr("internet"));
    EXPECT_EQ(read.GetNamedTag("username"), "alice");

    auto held = std::make_unique<ACSChunkRef>();
    held->SetNamedTagString("password", "x");
    EXPECT_TRUE(KAVClient::WriteSettingsSoup("internet", std::move(held)));
    EXPECT_TRUE(KAVClient::WriteSettingsSoup("internet", std::make_unique<ACSChunkRef>()));
    EXPECT_TRUE(KAVClient::WriteSettingsSoup("internet", nullptr));
    ACSChunkRef expected;
    expected.SetNamedTagString("password", "x");
    const Bytes none = Concat({PStr("internet"), SoupBytes(ACSChunkRef())});
    EXPECT_EQ(Payloads(101), (std::vector<Bytes>{Concat({PStr("internet"), SoupBytes(expected)}),
                                                  none, none}));
}

TEST_F(KAVRequestsTest, SettingsSectionsFailWithTheLinkDown) {
    TakeLinkDown();
    ACSChunkRef read;
    EXPECT_FALSE(KAVClient::ReadSettings(read, "internet"));
    EXPECT_TRUE(read.IsNull());
    EXPECT_FALSE(KAVClient::WriteSettings("internet"));
    auto held = std::make_unique<ACSChunkRef>();
    held->SetNamedTagString("password", "x");
    EXPECT_FALSE(KAVClient::WriteSettingsSoup("internet", std::move(held)));
}

const Bytes kFetchHandle = Le64(0x0000000200000001ull);

TEST_F(KAVRequestsTest, DownloadIsPolledUntilDoneThenAnsweredFromTheRecord) {
    UrlRecord url;
    ASSERT_TRUE(UrlRecord::Parse("http://example.test/page", url));
    Answer(230, kFetchHandle);
    Answer(231, {});
    Answer(232, Concat({Byte(0), Le32(1), Le32(0), Le32(3), Str(""), PStr("")}));
    KAVUrlFetch* fetch = KAVClient::StartUrlFetch(url, 2);
    EXPECT_EQ(OnlyPayload(230), Concat({Byte(0), PStr(std::string(UrlRecord::ToString(url).View())),
                                        Le32(2), Le32(0xFFFFFFFF), SoupBytes(ACSChunkRef())}));
    EXPECT_FALSE(fetch->IsDone());
    Answer(232, Concat({Byte(1), Le32(1), Le32(200), Le32(3), Str("/tmp/page"), PStr("OK")}));
    EXPECT_TRUE(fetch->IsDone());
    EXPECT_EQ(fetch->GetStatus(), 200);
    Kiv::File::Path path;
    Kiv::PString text;
    EXPECT_TRUE(fetch->GetResult(path, text));
    EXPECT_EQ(path, Kiv::File::Path("/tmp/page"));
    EXPECT_EQ(text, Kiv::PString("OK"));
    EXPECT_EQ(Payloads(232), (std::vector<Bytes>{kFetchHandle, kFetchHandle}));
    KAVUrlFetch::Close(fetch);
    EXPECT_EQ(OnlyPayload(231), kFetchHandle);
    KAVUrlFetch::Close(nullptr);
}

// A short poll reply reads as done, so a broken daemon cannot keep the caller polling.
TEST_F(KAVRequestsTest, ShortPollReplyReadsAsDone) {
    Answer(230, kFetchHandle);
    Answer(231, {});
    Answer(232, {});
    KAVUrlFetch* fetch = KAVClient::StartUrlFetch(UrlRecord(), 2);
    EXPECT_TRUE(fetch->IsDone());
    KAVUrlFetch::Close(fetch);
}

TEST_F(KAVRequestsTest, DownloadStartedWithTheLinkDownCarriesNoHandle) {
    TakeLinkDown();
    KAVUrlFetch* fetch = KAVClient::StartUrlFetch(UrlRecord(), 2);
    EXPECT_EQ(fetch->Handle(), -1);
    EXPECT_FALSE(fetch->IsDone());
    EXPECT_EQ(fetch->GetStatus(), 0);
    KAVUrlFetch::Close(fetch);
}

TEST_F(KAVRequestsTest, OnlineProfileAndCredential) {
    Answer(240, Concat({Str("main"), Str("a"), Str("b"), Le16(7), Str("c"), Le16(9)}));
    Answer(241, {});
    Answer(242, Str("s3cret"));
    EXPECT_EQ(KAVClient::GetOnlineProfile(), "main");
    KAVClient::NotifyLoginFailed();
    EXPECT_EQ(KAVClient::GetLoginCredential(), "s3cret");
    EXPECT_EQ(OnlyPayload(240), Bytes{});
    EXPECT_EQ(OnlyPayload(241), Bytes{});
    EXPECT_EQ(OnlyPayload(242), Bytes{});
    TakeLinkDown();
    EXPECT_EQ(KAVClient::GetOnlineProfile(), "");
    EXPECT_EQ(KAVClient::GetLoginCredential(), "");
}

// The credential is the user's secret: asking for it, and a refused login, log nothing of it.
TEST_F(KAVRequestsTest, CredentialIsNeverLogged) {
    const std::string logPath =
        (std::filesystem::temp_directory_path() / "kav_requests_credential.log").string();
    std::filesystem::remove(logPath);
    Kiv::Options options;
    options.ProcessRaw(("-LogFile=" + logPath).c_str());
    ASSERT_TRUE(Kiv::Log::Init(options));
    Answer(241, {});
    Answer(242, Str("s3cret-Word"));
    EXPECT_EQ(KAVClient::GetLoginCredential(), "s3cret-Word");
    KAVClient::NotifyLoginFailed();
    Kiv::Log::Shutdown();
    std::ifstream in(logPath);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str().find("s3cret"), std::string::npos);
    std::filesystem::remove(logPath);
}

} // namespace
