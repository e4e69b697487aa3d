// `edit`, `commit`, `revert`, `delete` and `printconfig` against the in-process stand-in
// daemon: the payload of each request, the lines printed, the result, and every handle
// opened released exactly once.
#include "command_test_support.h"

#include "foundation/soup/binary_file.h"

namespace {

const Bytes kAssetBytes = KuidBytes(1234, 56, 2);
const Bytes kHandleBytes = Le64(0x0000000700000005ull);
const Bytes kNoHandle = Le64(~0ull);

class EditCommandTest : public CommandTest {
protected:
    // Request 31, once the requests before it have surely arrived (a later request
    // follows them on the same link).
    std::vector<Bytes> Closes() {
        KAVClient::GenerateKUID();
        return Payloads(31);
    }
};

TEST_F(EditCommandTest, EditPrintsTheFolderOfTheAssetOpenedForEditing) {
    Answer(30, Concat({kHandleBytes, PStr("editing"), Str("/ud/editing/wagon")}));
    Answer(31, {});
    EXPECT_EQ(Run({"edit", "<kuid2:1234:56:2>"}), 0);
    EXPECT_EQ(out_, "+ <kuid2:1234:56:2> : /ud/editing/wagon\n");
    EXPECT_TRUE(LogLines().empty());
    EXPECT_EQ(OnlyPayload(30), Concat({kAssetBytes, Byte(1)}));
    EXPECT_EQ(Closes(), std::vector<Bytes>{kHandleBytes});
}

TEST_F(EditCommandTest, EditOfAnAssetThatDoesNotOpenNamesIt) {
    Answer(30, Concat({kNoHandle, PStr(""), Str("")}));
    RecordOnly({31});
    EXPECT_EQ(Run({"edit", "<kuid2:1234:56:2>"}), -1);
    EXPECT_EQ(out_, "");
    EXPECT_EQ(LogLines(), std::vector<std::string>{"- <kuid2:1234:56:2> : Unknown AssetID."});
    EXPECT_TRUE(Closes().empty());
}

struct HandleCommandCase {
    const char* word;
    bool forEdit;        // the for-edit byte of request 30
    int32_t request;     // the request that does the work
    Bytes payload;       // its payload
    Bytes successReply;  // a reply that reports success
    Bytes failureReply;  // a reply that reports failure
};

// Commit and revert open the asset without a log and answer the work request's truth
// value; the daemon's notes about the work reach the command's log.
TEST_F(EditCommandTest, CommitAndRevertAnswerTheirRequestAndReleaseTheHandle) {
    const HandleCommandCase cases[] = {
        {"commit", true, 34, Concat({kHandleBytes, Le32(0)}), Concat({Byte(1), Byte(0)}),
         Concat({Byte(0), Byte(1)})},
        {"revert", false, 33, kHandleBytes, Byte(1), Byte(0)},
    };
    for (const HandleCommandCase& c : cases) {
        for (const bool succeeds : {true, false}) {
            ForgetPayloads();
            Answer(30, Concat({kHandleBytes, PStr("editing"), Str("/ud/editing/wagon")}));
            Answer(31, {});
            const Bytes reply = succeeds ? c.successReply : c.failureReply;
            AnswerEach(c.request, [reply](const DaemonRequest& request, DaemonResponse& response) {
                const Bytes entries = Concat({Le32(0), Le32(1), Le32(2), Str("noted"), Le32(0)});
                response.notes.push_back({3, Concat({Le32(request.transactionId), entries}), {}});
                response.reply = reply;
            });
            EXPECT_EQ(Run({c.word, "<kuid2:1234:56:2>"}), succeeds ? 0 : -1) << c.word;
            EXPECT_EQ(OnlyPayload(30), Concat({kAssetBytes, Byte(c.forEdit ? 1 : 0)})) << c.word;
            EXPECT_EQ(OnlyPayload(c.request), c.payload) << c.word;
            EXPECT_EQ(LogLines(), std::vector<std::string>{"! <NULL> : noted"}) << c.word;
            EXPECT_EQ(Closes(), std::vector<Bytes>{kHandleBytes}) << c.word;
            EXPECT_EQ(out_, "") << c.word;
        }
    }
}

// Without a handle there is nothing to commit or revert: no request, -1.
TEST_F(EditCommandTest, CommitAndRevertWithoutAHandleSendNothing) {
    Answer(30, Concat({kNoHandle, PStr(""), Str("")}));
    RecordOnly({31, 33, 34});
    EXPECT_EQ(Run({"commit", "<kuid2:1234:56:2>"}), -1);
    EXPECT_EQ(Run({"revert", "<kuid2:1234:56:2>"}), -1);
    KAVClient::GenerateKUID();
    EXPECT_EQ(RequestsSent({31, 33, 34}), 0u);
}

TEST_F(EditCommandTest, DeleteAnswersTheDaemonsTruthValue) {
    for (const bool succeeds : {true, false}) {
        ForgetPayloads();
        Answer(36, Byte(succeeds ? 1 : 0));
        EXPECT_EQ(Run({"delete", "<kuid2:1234:56:2>"}), succeeds ? 0 : -1);
        EXPECT_EQ(OnlyPayload(36), Concat({kAssetBytes, Byte(1)}));
        EXPECT_TRUE(LogLines().empty());
    }
    TakeLinkDown();
    EXPECT_EQ(Run({"delete", "<kuid2:1234:56:2>"}), -1);
}

// The text form: byte-order mark and CR LF, then one line per tag with the value at
// column 40, strings in double quotes; the console adds a line end after it.
TEST_F(EditCommandTest, PrintConfigWritesTheTextFormBetweenItsStartAndEndLines) {
    ACSChunkRef config;
    config.SetNamedTagString("username", "Coal wagon");
    config.SetNamedTagInt("kodrin-build", 3);
    Answer(20, SoupBytes(config));
    EXPECT_EQ(Run({"printconfig", "<kuid2:1234:56:2>"}), 0);
    EXPECT_EQ(OnlyPayload(20), kAssetBytes);
    EXPECT_EQ(out_, "+ Start of <kuid2:1234:56:2> dump\n"
                    "\xEF\xBB\xBF\r\n"
                    "username                                \"Coal wagon\"\r\n"
                    "kodrin-build                            3\r\n"
                    "\n"
                    "+ End of <kuid2:1234:56:2> dump\n");
    EXPECT_TRUE(LogLines().empty());
}

TEST_F(EditCommandTest, PrintConfigOfAnAssetWithoutConfigNamesIt) {
    Answer(20, {});
    EXPECT_EQ(Run({"printconfig", "<kuid2:1234:56:2>"}), -1);
    EXPECT_EQ(out_, "");
    EXPECT_EQ(LogLines(), std::vector<std::string>{"- <kuid2:1234:56:2> : Asset is not local."});
    TakeLinkDown();
    EXPECT_EQ(Run({"printconfig", "<kuid2:1234:56:2>"}), -1);
    EXPECT_EQ(LogLines(), std::vector<std::string>{"- <kuid2:1234:56:2> : Asset is not local."});
}

} // namespace
