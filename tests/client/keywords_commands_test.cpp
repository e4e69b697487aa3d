// `backupkeywords` and `importkeywords` against the in-process stand-in daemon: the query
// for every asset (an empty filter group, its bytes written by hand), the keyword file
// written in the working folder (bytes by hand from the text soup form), and the request 54
// sent for each tag of "KeywordsDump.dat" in the installation folder. A backup that cannot
// be written keeps the old file and says why; an import without its file names the file.
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "link/kav/kav_user_data.h"
#include "command_test_support.h"
#include "write_failure.h"

namespace {

// 'grup', mode 1, not negated, no children.
const Bytes kEveryAsset = {0x70, 0x75, 0x72, 0x67, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00};

std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A request-21 reply whose keywords field (the fourth, after KUID, name and region) holds
// the text.
Bytes RecordWithKeywords(const KUID& kuid, const std::string& keywords) {
    AssetRecordFields fields;
    fields.kuid = kuid;
    const Bytes plain = AssetRecord(fields);
    const size_t keywordsAt = 8 + 4 + 4;  // KUID, empty name, empty region
    Bytes record(plain.begin(), plain.begin() + keywordsAt);
    const Bytes text = Str(keywords);
    record.insert(record.end(), text.begin(), text.end());
    record.insert(record.end(), plain.begin() + keywordsAt + 4, plain.end());
    return record;
}

class KeywordsTest : public CommandTest {
protected:
    void SetUp() override {
        CommandTest::SetUp();
        before_ = CurrentFolder();
        ASSERT_EQ(chdir(folder_.Path().c_str()), 0);
    }
    void TearDown() override {
        EXPECT_EQ(chdir(before_.c_str()), 0);
        KAVUserData::Clear();
        CommandTest::TearDown();
    }

    TemporaryFolder folder_;
    std::string before_;
};

TEST_F(KeywordsTest, BackupWritesEveryAssetsKeywordsUnderItsTag) {
    Answer(2, Concat({Le32(3), KuidBytes(5, 7, 0), KuidBytes(5, 8, 2), KuidBytes(-3, 9, 127)}));
    const std::map<int32_t, std::string> keywords = {{7, "coal,hopper"}, {8, ""}, {9, "say \"hi\""}};
    AnswerEach(21, [&keywords](const DaemonRequest& request, DaemonResponse& response) {
        const KUID kuid = PayloadKUID(request.payload);
        response.reply = RecordWithKeywords(kuid, keywords.at(kuid.contentId));
    });
    const std::string head = "\xEF\xBB\xBF\r\n";
    const std::string expected = head + "<kuid:5:7>" + std::string(30, ' ') + "\"coal,hopper\"\r\n" +
                                 "<kuid2:5:8:2>" + std::string(27, ' ') + "\r\n" +
                                 "<kuid:-3:9>" + std::string(29, ' ') + "\"say 'hi'\"\r\n";
    for (const char* name : {"", "Mine.DAT"}) {
        ForgetPayloads();
        std::vector<const char*> words = {"backupkeywords"};
        if (*name) words.push_back(name);
        EXPECT_EQ(Run(words), 0) << name;
        const std::string file = *name ? name : "KeywordsBackup.dat";
        EXPECT_EQ(FileText(folder_.Path(file)), expected) << file;
        EXPECT_EQ(OnlyPayload(2), kEveryAsset);
        const std::vector<Bytes> asked = Payloads(21);
        ASSERT_EQ(asked.size(), 3u);
        EXPECT_EQ(asked[0], Concat({KuidBytes(5, 7, 0), Le32(4)}));
        EXPECT_TRUE(LogLines().empty());
    }
}

TEST_F(KeywordsTest, BackupThatCannotBeSavedFailsSayingWhy) {
    Answer(2, Le32(0));
    EXPECT_EQ(Run({"backupkeywords", "no/such/folder/k.dat"}), -1);
    ASSERT_EQ(LogLines().size(), 1u);
    EXPECT_EQ(LogLines()[0].rfind("- <NULL> : Unable to write the keyword backup 'no/such/folder/k.dat': ", 0), 0u)
        << LogLines()[0];
    EXPECT_NE(LogLines()[0].find("No such file or directory"), std::string::npos) << LogLines()[0];
}

// A disk that fills midway through the backup: the old backup stays whole.
TEST_F(KeywordsTest, BackupOnAFullDiskKeepsTheOldFile) {
    Answer(2, Concat({Le32(1), KuidBytes(5, 7, 0)}));
    AnswerEach(21, [](const DaemonRequest& request, DaemonResponse& response) {
        response.reply = RecordWithKeywords(PayloadKUID(request.payload), std::string(200, 'k'));
    });
    const std::string old = "<kuid:5:7> \"the old keywords\"\r\n";
    std::ofstream(folder_.Path("KeywordsBackup.dat"), std::ios::binary) << old;
    int result = 0;
    {
        const FileSizeLimit fullDisk(64);
        result = Run({"backupkeywords"});
    }
    EXPECT_EQ(result, -1);
    EXPECT_EQ(FileText(folder_.Path("KeywordsBackup.dat")), old);
    ASSERT_EQ(LogLines().size(), 1u);
    EXPECT_EQ(LogLines()[0].rfind("- <NULL> : Unable to write the keyword backup 'KeywordsBackup.dat': ", 0), 0u)
        << LogLines()[0];
    EXPECT_NE(LogLines()[0].find("File too large"), std::string::npos) << LogLines()[0];
    size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder_.Path())) ++files;
    EXPECT_EQ(files, 1u);  // no temporary file left behind
}

// Tag names are parsed leniently: a KUID text without angle brackets names its asset, and
// a name that is no KUID at all reaches the daemon as the null KUID.
TEST_F(KeywordsTest, ImportSendsEachTagsKeywordsToItsAsset) {
    ASSERT_TRUE(KAVUserData::SetInstallPath(Kiv::File::Path(folder_.Path().c_str())));
    std::ofstream(folder_.Path("KeywordsDump.dat"), std::ios::binary)
        << "<kuid:5:7> \"coal,hopper\"\r\n5:8 \"tank\"\r\nkuid2:5:8:2 \"tender\"\r\n"
        << "wagon \"x\"\r\n<kuid:5:9>\r\n";
    RecordOnly({54});
    EXPECT_EQ(Run({"importkeywords"}), 0);
    EXPECT_EQ(Payloads(54), (std::vector<Bytes>{
                                Concat({KuidBytes(5, 7, 0), Str("coal,hopper")}),
                                Concat({KuidBytes(5, 8, 0), Str("tank")}),
                                Concat({KuidBytes(5, 8, 2), Str("tender")}),
                                Concat({KuidBytes(-1, -1, 127), Str("x")}),
                                Concat({KuidBytes(5, 9, 0), Str("")}),
                            }));
    EXPECT_TRUE(LogLines().empty());

    ForgetPayloads();
    std::filesystem::remove(folder_.Path("KeywordsDump.dat"));
    EXPECT_EQ(Run({"importkeywords"}), -1);
    EXPECT_TRUE(Payloads(54).empty());
    EXPECT_EQ(LogLines(), std::vector<std::string>{"- <NULL> : Unable to read the keyword file '" +
                                                   folder_.Path("KeywordsDump.dat") + "'"});
}

}  // namespace
