// `setlanguage` and `registeraccount` against the in-process stand-in daemon: the
// settings requests and their payloads, and the failures of reading and writing.
#include "command_test_support.h"

#include "foundation/soup/binary_file.h"

namespace {

// The code is stored lower-cased whatever case it was typed in.
TEST_F(CommandTest, SetLanguageStoresTheLowerCasedCode) {
    const std::pair<const char*, const char*> cases[] = {
        {"FR", "fr"}, {"us", "us"}, {"Hu", "hu"}, {"uK", "uk"}};
    for (const auto& [typed, stored] : cases) {
        ForgetPayloads();
        Answer(103, {});
        EXPECT_EQ(Run({"setlanguage", typed}), 0) << typed;
        EXPECT_EQ(OnlyPayload(103), Concat({PStr("internet"), PStr("language"), PStr(stored)}));
        EXPECT_TRUE(LogLines().empty());
    }
    TakeLinkDown();
    EXPECT_EQ(Run({"setlanguage", "DE"}), 0);
}

// The other tags of the section survive; name and password keep their case.
TEST_F(CommandTest, RegisterAccountWritesNameAndPasswordIntoTheSection) {
    ACSChunkRef stored;
    stored.SetNamedTagString("language", "de");
    stored.SetNamedTagString("password", "old");
    Answer(100, SoupBytes(stored));
    Answer(101, {});
    EXPECT_EQ(Run({"registeraccount", "Alice", "S3cret Word"}), 0);
    EXPECT_EQ(OnlyPayload(100), PStr("internet"));
    ACSChunkRef expected;
    expected.SetNamedTagString("language", "de");
    expected.SetNamedTagString("username", "Alice");
    expected.SetNamedTagString("password", "S3cret Word");
    EXPECT_EQ(OnlyPayload(101), Concat({PStr("internet"), SoupBytes(expected)}));
    EXPECT_TRUE(LogLines().empty());
}

TEST_F(CommandTest, RegisterAccountReportsTheSettingsRequestThatFailed) {
    AnswerEach(100, [](const DaemonRequest&, DaemonResponse& response) {
        response.reply = SoupBytes(ACSChunkRef());
    });
    AnswerEach(101, [](const DaemonRequest&, DaemonResponse& response) {
        response.fault = DaemonFault::kDropLink;
    });
    EXPECT_EQ(Run({"registeraccount", "alice", "secret"}), -1);
    EXPECT_EQ(LogLines(), std::vector<std::string>{"- <NULL> : Unable to write internet settings."});
    ASSERT_TRUE(WaitUntilDisconnected());
    EXPECT_EQ(Run({"registeraccount", "alice", "secret"}), -1);
    EXPECT_EQ(LogLines(), std::vector<std::string>{"- <NULL> : Unable to read internet settings."});
    EXPECT_EQ(Payloads(101).size(), 1u);
}

} // namespace
