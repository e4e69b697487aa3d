// `status` and `validate` against the in-process stand-in daemon: the record requests and
// the seven flag letters (M and F from their own requests, upper case when those fail),
// the unknown asset, and validation's open, details, request and release.
#include "command_test_support.h"

namespace {

const KUID kAsset(1234, 56, 2);
const Bytes kAssetBytes = KuidWire(kAsset);
const Bytes kHandleBytes = Le64(0x0000000700000005ull);
const Bytes kEveryDetail = Le32(0xFFFFFFFF);

bool AsksEveryDetail(const DaemonRequest& request) {
    return LoadLe32(request.payload, 8) == 0xFFFFFFFFu;
}

struct StatusCase {
    const char* name;
    uint8_t first;
    uint8_t second;
    uint8_t flagReplySecond;  // the second flag byte in the replies to the M and F requests
    const char* letters;
};

TEST_F(CommandTest, StatusPrintsTheFlagLettersOfThreeRecordRequests) {
    const StatusCase cases[] = {
        {"nothing set", 0x00, 0x00, 0x00, "eiadlmf"},
        {"open for edit, installed", 0x08 | 0x40, 0x01, 0x00, "EIaDlmf"},
        {"archived, modified, missing, faulty", 0x80 | 0x04, 0x00, 0x08 | 0x02, "eiAdLMF"},
        {"every letter", 0xCC, 0x01, 0x0A, "EIADLMF"},
        {"other bits only", 0x33, 0xFE, 0xF5, "eiadlmf"},
    };
    for (const StatusCase& c : cases) {
        ForgetPayloads();
        AnswerEach(21, [&c](const DaemonRequest& request, DaemonResponse& response) {
            response.reply = AsksEveryDetail(request)
                                 ? AssetRecord({kAsset, "Coal wagon", "Rolling stock", c.first, c.second})
                                 : AssetRecord({kAsset, "", "", 0, c.flagReplySecond});
        });
        EXPECT_EQ(Run({"status", "<kuid2:1234:56:2>"}), 0) << c.name;
        EXPECT_EQ(out_, std::string("+ <kuid2:1234:56:2> : ") + c.letters +
                            " : Rolling stock : Coal wagon\n")
            << c.name;
        EXPECT_TRUE(LogLines().empty()) << c.name;
        EXPECT_EQ(Payloads(21), (std::vector<Bytes>{Concat({kAssetBytes, kEveryDetail}),
                                                    Concat({kAssetBytes, Le32(8)}),
                                                    Concat({kAssetBytes, Le32(8)})}))
            << c.name;
    }
}

// The link drops at the M request, so the F request fails too: both count as set.
TEST_F(CommandTest, StatusCountsMissingAndFaultyAsSetWhenTheirRequestsFail) {
    AnswerEach(21, [](const DaemonRequest& request, DaemonResponse& response) {
        if (!AsksEveryDetail(request)) response.fault = DaemonFault::kDropLink;
        response.reply = AssetRecord({kAsset, "Coal wagon", "Rolling stock", 0x08, 0x01});
    });
    EXPECT_EQ(Run({"status", "<kuid2:1234:56:2>"}), 0);
    EXPECT_EQ(out_, "+ <kuid2:1234:56:2> : EIadlMF : Rolling stock : Coal wagon\n");
}

TEST_F(CommandTest, StatusOfAnUnknownAssetNamesItAndPrintsNothing) {
    Answer(21, AssetRecord({kAsset, "Coal wagon", "Rolling stock", 0x08, 0x01, 0, false}));
    EXPECT_EQ(Run({"status", "<kuid2:1234:56:2>"}), -1);
    EXPECT_EQ(out_, "");
    EXPECT_EQ(LogLines(), std::vector<std::string>{"- <kuid2:1234:56:2> : Unknown AssetID."});
    EXPECT_EQ(OnlyPayload(21), Concat({kAssetBytes, kEveryDetail}));
    TakeLinkDown();
    EXPECT_EQ(Run({"status", "<kuid2:1234:56:2>"}), -1);
    EXPECT_EQ(LogLines(), std::vector<std::string>{"- <kuid2:1234:56:2> : Unknown AssetID."});
}

// The daemon's findings arrive in the command's log; the handle is released once.
TEST_F(CommandTest, ValidateSendsTheOpenAssetsFolderAndKeepsTheFindings) {
    Answer(30, Concat({kHandleBytes, PStr("local"), Str("/ud/local/wagon")}));
    Answer(31, {});
    AnswerEach(38, [](const DaemonRequest& request, DaemonResponse& response) {
        // A results log of one error about the asset: version 0, count 1, kind 3, text,
        // subject "AssetID" with its KUID tag.
        const Bytes entries = Concat({Le32(0), Le32(1), Le32(3), Str("Mesh missing."), Le32(8),
                                      PStr("AssetID"), PStr("<kuid2:1234:56:2>")});
        response.notes.push_back({3, Concat({Le32(request.transactionId), entries}), {}});
        response.reply = Byte(0);
    });
    EXPECT_EQ(Run({"validate", "<kuid2:1234:56:2>"}), 0);
    EXPECT_EQ(OnlyPayload(30), Concat({kAssetBytes, Byte(0)}));
    EXPECT_EQ(OnlyPayload(38), Concat({PStr("local"), Str("/ud/local/wagon")}));
    EXPECT_EQ(LogLines(), std::vector<std::string>{"- <kuid2:1234:56:2> : Mesh missing."});
    KAVClient::GenerateKUID();  // a later request: 31 arrived before it
    EXPECT_EQ(OnlyPayload(31), kHandleBytes);
    // The asset was the log's context only while the request ran.
    log_->AddEntry(ResultsLogKind::Warning, nullptr, "later");
    EXPECT_EQ(LogLines().back(), "! <NULL> : later");
}

TEST_F(CommandTest, ValidateOfAnAssetThatDoesNotOpenFailsQuietly) {
    Answer(30, Concat({Le64(~0ull), PStr(""), Str("")}));
    RecordOnly({31, 32, 38});
    EXPECT_EQ(Run({"validate", "<kuid2:1234:56:2>"}), -1);
    EXPECT_TRUE(LogLines().empty());
    KAVClient::GenerateKUID();
    EXPECT_EQ(RequestsSent({31, 32, 38}), 0u);
}

// An asset whose folder the daemon does not give is not validated; its handle still goes.
TEST_F(CommandTest, ValidateWithoutAFolderReleasesTheHandle) {
    Answer(30, Concat({kHandleBytes, PStr(""), Str("")}));
    Answer(31, {});
    Answer(32, Concat({PStr(""), Str("")}));
    RecordOnly({38});
    EXPECT_EQ(Run({"validate", "<kuid2:1234:56:2>"}), -1);
    KAVClient::GenerateKUID();
    EXPECT_EQ(OnlyPayload(31), kHandleBytes);
    EXPECT_TRUE(Payloads(38).empty());
}

} // namespace
