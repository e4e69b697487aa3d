// `importconsists` against the in-process stand-in daemon: the filter it queries with and
// the consist config it writes (both bytes written out by hand), the trains it leaves out
// (a gap in the numbering, a missing name or list, an existing consist of that name, an
// asset the daemon did not create or whose folder it did not name) and the working folder,
// which is the start-up folder during the command and the program folder after it.
#include <fstream>
#include <sstream>

#include "client/startup_state.h"
#include "command_test_support.h"

namespace {

using Lines = std::vector<std::string>;

const Bytes kHandle = Le64(0x0000000300000009ull);
const Bytes kNoHandle = Le64(~0ull);

// The query every train makes: group (mode 1, not negated, 5 children): category-list "CN",
// local, locally-available, listing-privilege, and a negated group holding obsolete.
const Bytes kConsistFilter = {
    0x70, 0x75, 0x72, 0x67, 0x01, 0x00, 0x05, 0x00, 0x00, 0x00,              // grup 1 0 5
    0x6E, 0x72, 0x74, 0x73, 0x01, 0x00, 0x00, 0x00,                          // strn type 1
    0x03, 0x00, 0x00, 0x00, 'C',  'N',  0x00, 0x00,                          // "CN", quoted 0
    0x6C, 0x6F, 0x6F, 0x62, 0x00, 0x00, 0x00, 0x00,                          // bool local
    0x6C, 0x6F, 0x6F, 0x62, 0x03, 0x00, 0x00, 0x00,                          // bool 3
    0x6C, 0x6F, 0x6F, 0x62, 0x10, 0x00, 0x00, 0x00,                          // bool 16
    0x70, 0x75, 0x72, 0x67, 0x01, 0x01, 0x01, 0x00, 0x00, 0x00,              // grup 1 1 1
    0x6C, 0x6F, 0x6F, 0x62, 0x05, 0x00, 0x00, 0x00,                          // bool obsolete
};

std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A line of the text soup form: the indentation, the name, blanks up to column 40, the
// value, CR LF.
std::string Line(int depth, const std::string& name, const std::string& value) {
    const std::string head = std::string(2 * depth, ' ') + name;
    return head + std::string(head.size() < 40 ? 40 - head.size() : 1, ' ') + value + "\r\n";
}
std::string Open(int depth, const std::string& name) {
    const std::string indent(2 * depth, ' ');
    return indent + name + "\r\n" + indent + "{\r\n";
}
std::string Close(int depth) { return std::string(2 * depth, ' ') + "}\r\n"; }
std::string Gap(int depth) { return std::string(2 * depth, ' ') + "\r\n"; }

// A train of the consist list with one car; no name tag for an empty name.
std::string Train(int t, const std::string& name, bool withList) {
    std::string text = "train-" + std::to_string(t) + "\r\n{\r\n";
    if (!name.empty()) text += "  name \"" + name + "\"\r\n";
    if (withList) text += "  list\r\n  {\r\n    car-0 <kuid:1:1>\r\n  }\r\n";
    return text + "}\r\n";
}

class ImportConsistsTest : public CommandTest {
protected:
    void SetUp() override {
        CommandTest::SetUp();
        saved_ = KodrinUtil::GetStartupState().startupWorkingFolder;
        before_ = CurrentFolder();
        ASSERT_EQ(chdir(programFolder_.Path().c_str()), 0);
        KodrinUtil::GetStartupState().startupWorkingFolder = startFolder_.Path();
        Answer(2, Le32(0));
        Answer(34, Concat({Byte(1), Byte(0)}));
        RecordOnly({31});
    }
    void TearDown() override {
        KodrinUtil::GetStartupState().startupWorkingFolder = saved_;
        EXPECT_EQ(chdir(before_.c_str()), 0);
        CommandTest::TearDown();
    }

    void WriteList(const std::string& text) const {
        std::ofstream(startFolder_.Path("consists.txt"), std::ios::binary) << text;
    }
    // Request 35 creates assets in numbered folders of assetFolder_.
    void CreateAssetsIn() {
        AnswerEach(35, [this](const DaemonRequest&, DaemonResponse& response) {
            const std::string folder = assetFolder_.Path(std::to_string(++created_));
            std::filesystem::create_directories(folder);
            response.reply =
                Concat({kHandle, KuidBytes(12, 100 + created_, 0), PStr("editing"), Str(folder)});
        });
    }
    bool LeftNoConfigBehind() const {
        return !std::filesystem::exists(startFolder_.Path("config.txt")) &&
               !std::filesystem::exists(programFolder_.Path("config.txt"));
    }

    TemporaryFolder programFolder_;
    TemporaryFolder startFolder_;
    TemporaryFolder assetFolder_;
    int created_ = 0;
    std::string saved_;
    std::string before_;
};

TEST_F(ImportConsistsTest, ATrainBecomesAConsistWithItsCarsAndAnOrderedKuidTable) {
    WriteList("train-0\r\n{\r\n  name \"Coal train\"\r\n  list\r\n  {\r\n"
              "    car-0 <kuid:12:5>\r\n    num-0 2\r\n"
              "    car-1 <kuid:12:5>\r\n    dir-1 1\r\n"
              "    car-2 \"junk\"\r\n"
              "    car-3 <kuid:3:9>\r\n    num-3 7\r\n    dir-3 0\r\n"
              "    car-4 <kuid2:12:5:1>\r\n"
              "    car-6 <kuid:12:6>\r\n  }\r\n}\r\n");
    CreateAssetsIn();
    EXPECT_EQ(Run({"importconsists", "consists.txt"}), 0);
    EXPECT_TRUE(LogLines().empty());
    EXPECT_EQ(OnlyPayload(2), kConsistFilter);
    EXPECT_EQ(OnlyPayload(35), Concat({KuidBytes(-1, -1, 127), Byte(1), Str("")}));
    EXPECT_EQ(OnlyPayload(34), Concat({kHandle, Le32(0)}));
    EXPECT_EQ(CurrentFolder(), programFolder_.Path());

    auto car = [](int n, const std::string& kuid, const std::string& num, const std::string& dir) {
        return (n == 0 ? "" : Gap(1)) + Open(1, "car-" + std::to_string(n)) +
               Line(2, "car-kuid", kuid) + Line(2, "car-num", num) + Line(2, "car-dir", dir) +
               Close(1);
    };
    const std::string expected =
        "\xEF\xBB\xBF\r\n" + Line(0, "kind", "\"consist\"") + Line(0, "username", "\"Coal train\"") +
        Line(0, "kodrin-build", "3.1") + Gap(0) + Open(0, "consist-list") +
        car(0, "<kuid:12:5>", "2", "0") + car(1, "<kuid:12:5>", "0", "1") +
        car(2, "<NULL>", "0", "0") + car(3, "<kuid:3:9>", "7", "0") +
        car(4, "<kuid2:12:5:1>", "0", "0") + Close(0) + Gap(0) + Open(0, "kuid-table") +
        Line(1, "0", "<kuid:3:9>") + Line(1, "1", "<kuid:12:5>") + Line(1, "2", "<kuid2:12:5:1>") +
        Line(1, "3", "<NULL>") + Close(0);
    EXPECT_EQ(FileText(assetFolder_.Path("1/config.txt")), expected);
}

// Trains 0, 1 and 3: the numbering stops at the gap; a train without a name or a list, and
// one named like an existing consist, are left out.
TEST_F(ImportConsistsTest, TrainsAreTakenUpToTheFirstGapAndSomeAreLeftOut) {
    WriteList(Train(0, "A", true) + Train(1, "Existing", true) + Train(2, "", true) +
              Train(3, "B", false) + Train(4, "C", true) + Train(6, "D", true));
    Answer(2, Concat({Le32(1), KuidBytes(12, 50, 0)}));
    AssetRecordFields existing;
    existing.kuid = KUID(12, 50, 0);
    existing.name = "Existing";
    Answer(21, AssetRecord(existing));
    CreateAssetsIn();
    EXPECT_EQ(Run({"importconsists", "consists.txt"}), 0);
    EXPECT_EQ(Payloads(2).size(), 3u) << "trains 0, 1 and 4 ask";
    EXPECT_EQ(Payloads(35).size(), 2u);
    EXPECT_EQ(Payloads(34).size(), 2u);
    EXPECT_NE(FileText(assetFolder_.Path("1/config.txt")).find("\"A\""), std::string::npos);
    EXPECT_NE(FileText(assetFolder_.Path("2/config.txt")).find("\"C\""), std::string::npos);
}

// Without an asset, or without its folder, there is nowhere to write: the train is left out
// and no config.txt lands in the working folder.
TEST_F(ImportConsistsTest, ATrainWithoutItsAssetOrFolderIsLeftOutAndWritesNothing) {
    WriteList(Train(0, "A", true));
    const Bytes replies[] = {
        Concat({kNoHandle, KuidBytes(-1, -1, 127), PStr(""), Str("")}),
        Concat({kHandle, KuidBytes(12, 101, 0), PStr("editing"), Str("")}),
        Bytes{},
    };
    for (const Bytes& reply : replies) {
        ForgetPayloads();
        Answer(35, reply);
        EXPECT_EQ(Run({"importconsists", "consists.txt"}), 0);
        EXPECT_EQ(Payloads(35).size(), 1u);
        EXPECT_TRUE(Payloads(34).empty());
        EXPECT_TRUE(LeftNoConfigBehind());
    }
}

TEST_F(ImportConsistsTest, AListThatDoesNotLoadFailsInTheProgramFolder) {
    EXPECT_EQ(Run({"importconsists", "missing.txt"}), -1);
    EXPECT_EQ(LogLines(), Lines{"- <NULL> : Invalid input path."});
    EXPECT_EQ(CurrentFolder(), programFolder_.Path());
    EXPECT_TRUE(Payloads(2).empty());
}

}  // namespace
