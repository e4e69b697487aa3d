// `createcdp` against the in-process stand-in daemon: an archive of local assets that the
// archive reader opens again, the same KUID given twice, and every way an asset can be
// refused, each stopping the command before any file is written; an archive that cannot be
// written says why and keeps the old one.
#include <filesystem>
#include <fstream>
#include <iterator>

#include "command_test_support.h"
#include "foundation/cdp/cdp_archive.h"
#include "foundation/soup/binary_file.h"
#include "write_failure.h"

namespace {

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// An archive entry as the daemon hands it over: the config with the asset's KUID.
Bytes ArchivedAsset(const KUID& kuid, const char* name) {
    ACSChunkRef config;
    config.SetNamedTagKUID("kuid", kuid);
    config.SetNamedTagString("kind", "scenery");
    config.SetNamedTagString("username", name);
    config.SetNamedTagString("compression", "LZSS");
    return SoupBytes(config);
}

class CreateCDPTest : public CommandTest {
protected:
    // Assets 1 and 2 of user 1234 are local; 3 is only on the download service; 4 is
    // unknown. Request 48 hands over the local ones.
    void SetUp() override {
        CommandTest::SetUp();
        AnswerEach(21, [](const DaemonRequest& request, DaemonResponse& response) {
            const KUID kuid = PayloadKUID(request.payload);
            const uint8_t first = kuid.contentId == 3 ? 0x40 : 0x08;
            response.reply = AssetRecord({kuid, "", "", first, 0, 0, kuid.contentId != 4});
        });
        AnswerEach(48, [](const DaemonRequest& request, DaemonResponse& response) {
            const KUID kuid = PayloadKUID(request.payload);
            response.reply = ArchivedAsset(kuid, kuid.contentId == 1 ? "Shed" : "Barn");
        });
    }

    std::string Output() const { return folder_.Path("out.cdp"); }

    TemporaryFolder folder_;
};

TEST_F(CreateCDPTest, ArchiveOfLocalAssetsOpensWithEveryAsset) {
    EXPECT_EQ(Run({"createcdp", Output().c_str(), "<kuid:1234:1>", "1234:2", "<KUID:1234:1>"}), 0);
    EXPECT_TRUE(LogLines().empty());
    EXPECT_EQ(err_, "");
    EXPECT_EQ(Payloads(48), (std::vector<Bytes>{Concat({KuidBytes(1234, 1, 0), Le32(3)}),
                                                Concat({KuidBytes(1234, 2, 0), Le32(3)}),
                                                Concat({KuidBytes(1234, 1, 0), Le32(3)})}));
    CDPArchive archive;
    ASSERT_TRUE(archive.Open(folder_.Path().c_str(), "out.cdp").IsEmpty());
    ASSERT_EQ(archive.CountAssets(), 2);
    EXPECT_EQ(archive.GetAsset(0).GetKUID(), KUID(1234, 1, 0));
    EXPECT_EQ(archive.GetAsset(0).GetConfig().GetNamedTag("username"), "Shed");
    EXPECT_EQ(archive.GetAsset(1).GetKUID(), KUID(1234, 2, 0));
}

TEST_F(CreateCDPTest, NoAssetsGivesAnEmptyArchiveThatOpens) {
    EXPECT_EQ(Run({"createcdp", Output().c_str()}), 0);
    CDPArchive archive;
    ASSERT_TRUE(archive.Open(folder_.Path().c_str(), "out.cdp").IsEmpty());
    EXPECT_EQ(archive.CountAssets(), 0);
}

struct RefusalCase {
    const char* name;
    std::vector<const char*> kuids;
    std::string line;
    size_t archiveRequests;
};

TEST_F(CreateCDPTest, RefusedAssetStopsTheCommandBeforeAnythingIsWritten) {
    const RefusalCase cases[] = {
        {"only on the download service", {"<kuid:1234:1>", "<kuid:1234:3>", "<kuid:1234:2>"},
         "- <kuid:1234:3> : Asset is not local.", 1},
        {"unknown", {"<kuid:1234:4>"}, "- <kuid:1234:4> : Asset is not local.", 0},
        {"no KUID", {"<kuid:1234:1>", "wagon"}, "- <NULL> : Invalid AssetID.", 1},
        {"null KUID", {"<NULL>"}, "- <NULL> : Invalid AssetID.", 0},
    };
    for (const RefusalCase& c : cases) {
        ForgetPayloads();
        std::vector<const char*> words = {"createcdp", nullptr};
        const std::string output = Output();
        words[1] = output.c_str();
        words.insert(words.end(), c.kuids.begin(), c.kuids.end());
        EXPECT_EQ(Run(words), -1) << c.name;
        EXPECT_EQ(LogLines(), std::vector<std::string>{c.line}) << c.name;
        EXPECT_EQ(Payloads(48).size(), c.archiveRequests) << c.name;
        EXPECT_FALSE(std::filesystem::exists(output)) << c.name;
    }
}

// The daemon could not hand the asset over: the entry carries no KUID and the archive
// refuses it. The command names the asset and writes nothing.
TEST_F(CreateCDPTest, AssetTheDaemonCouldNotHandOverStopsTheCommand) {
    AnswerEach(48, [](const DaemonRequest& request, DaemonResponse& response) {
        if (PayloadKUID(request.payload).contentId == 2) {
            response.fault = DaemonFault::kDropLink;
            return;
        }
        response.reply = ArchivedAsset(PayloadKUID(request.payload), "Shed");
    });
    EXPECT_EQ(Run({"createcdp", Output().c_str(), "<kuid:1234:1>", "<kuid:1234:2>"}), -1);
    EXPECT_EQ(LogLines(),
              std::vector<std::string>{
                  "- <kuid:1234:2> : Unable to add content as it doesnt not contain a valid KUID"});
    EXPECT_FALSE(std::filesystem::exists(Output()));
}

// The error names the archive and the system's reason, on standard error and in the log.
TEST_F(CreateCDPTest, ArchiveThatCannotBeSavedSaysWhy) {
    const struct {
        std::string output;
        const char* reason;
    } cases[] = {
        {folder_.Path("missing/out.cdp"), "No such file or directory"},
        {folder_.Path(std::string(300, 'n') + ".cdp"), "File name too long"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        EXPECT_EQ(Run({"createcdp", c.output.c_str(), "<kuid:1234:1>"}), -1);
        const std::string head = "Unable to write archive file '" + c.output + "': ";
        EXPECT_EQ(err_.rfind(head, 0), 0u) << err_;
        EXPECT_NE(err_.find(c.reason), std::string::npos) << err_;
        EXPECT_EQ(LogLines(), std::vector<std::string>{"- <NULL> : " + err_.substr(0, err_.size() - 1)});
    }
}

// A disk that fills midway through the archive: the old archive stays whole.
TEST_F(CreateCDPTest, ArchiveOnAFullDiskKeepsTheOldOne) {
    ASSERT_EQ(Run({"createcdp", Output().c_str(), "<kuid:1234:1>"}), 0);
    const std::string old = FileBytes(Output());
    int result = 0;
    {
        const FileSizeLimit fullDisk(old.size());  // the new archive holds one asset more
        result = Run({"createcdp", Output().c_str(), "<kuid:1234:1>", "<kuid:1234:2>"});
    }
    EXPECT_EQ(result, -1);
    ASSERT_EQ(LogLines().size(), 1u);
    EXPECT_NE(LogLines()[0].find("File too large"), std::string::npos) << LogLines()[0];
    EXPECT_EQ(FileBytes(Output()), old);
    size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder_.Path())) ++files;
    EXPECT_EQ(files, 1u);  // no temporary file left behind
}

} // namespace
