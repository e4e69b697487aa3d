// `fpxparse` through the dispatcher against the in-process stand-in daemon over a real
// asset table: an archive whose assets are installed, committed and described in the
// printed log, with each asset's own archive and thumbnail beside it; an archive with an
// asset that fails to install, reverted whole; a commit that fails, which fails the command
// and leaves nothing open; an asset with a damaged KUID, which installs nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "client/kodrin_util.h"
#include "client/startup_objects.h"
#include "daemon/asset_install_test_support.h"
#include "foundation/cdp/cdp_archive.h"
#include "host_test_support.h"
#include "install_test_support.h"

namespace {

namespace fs = std::filesystem;

const KUID kCoal(1000, 1, 0);
const KUID kVan(1000, 2, 0);
const KUID kBroken(1000, 3, 0);
const std::string kOwnThumbnail("\xFF\xD8\xFF\xE0" "own", 7);
const std::string kArchiveThumbnail("\xFF\xD8\xFF\xE0" "archive", 11);

void SetKUIDTable(ACSChunkRef& config, const char* name, const std::vector<KUID>& kuids) {
    ACSChunkRef table;
    table.EnsureContainer();
    for (size_t i = 0; i < kuids.size(); ++i)
        table.SetNamedTagKUID(Kiv::PString(std::to_string(i).c_str()), kuids[i]);
    config.SetNamedSoup(Kiv::PString(name), table);
}

// <kuid:1000:1>: a name and description with line breaks, categories, an alias, one
// dependency the service would have to deliver (<kuid:12:80>), one installed here, an
// obsolete asset, and its own 240-wide thumbnail.
ACSChunkRef CoalWagon() {
    ACSChunkRef config = install_test::ArchivedAsset(kCoal, "Coal\nwagon",
                                                     {{"art/thumb.jpg", kOwnThumbnail}});
    config.SetNamedTagString("kind", "scenery");
    config.SetNamedTagString("description", "First line\r\nsecond \\ line");
    config.SetNamedTagFloat("kodrin-build", 3.5f);
    config.SetNamedTagString("category-class", "XC");
    config.SetNamedTagString("category-region", "AU");
    config.SetNamedTagString("category-era", "1950s;1960s");
    config.SetNamedTagKUID("alias", KUID(12, 2, 0));
    SetKUIDTable(config, "kuid-table", {KUID(12, 80, 0), KUID(12, 1, 0)});
    SetKUIDTable(config, "obsolete-table", {KUID(1000, 9, 0)});
    ACSChunkRef size;
    size.SetNamedTagString("image", "art/thumb.jpg");
    size.SetNamedTagInt("width", 240);
    size.SetNamedTagInt("height", 180);
    ACSChunkRef thumbnails;
    thumbnails.SetNamedSoup("0", size);
    config.SetNamedSoup("thumbnails", thumbnails);
    CDPAsset(config).SetChecksum();
    return config;
}

// <kuid:1000:2>: nothing but a name and a file.
ACSChunkRef BoxVan() {
    ACSChunkRef config = install_test::ArchivedAsset(kVan, "Box van", {{"notes.txt", "van"}});
    config.SetNamedTagString("kind", "scenery");
    CDPAsset(config).SetChecksum();
    return config;
}

// <kuid:1000:3>: a file stored as LZSS that does not decode, so it cannot be written.
ACSChunkRef BrokenAsset() {
    ACSChunkRef config = install_test::ArchivedAsset(kBroken, "Broken", {{"notes.txt", "xy"}});
    config.SetNamedTagString("compression", "LZSS");
    return config;
}

class FPXParseTest : public HostDaemonTest {
protected:
    void SetUp() override {
        HostDaemonTest::SetUp();
        KodrinUtil::CreateDownloadServiceMarker();
        StartDaemon(kTwoWagonsSeed);
        fs::create_directories(Delivered(""));
    }
    void TearDown() override {
        KodrinUtil::FreeDownloadServiceMarker();
        HostDaemonTest::TearDown();
    }

    std::string Delivered(const std::string& name) const {
        return folder_.Path("Delivered/" + name);
    }
    // Runs the command on the archive; the status lines it printed, then the log as printed.
    int Run(const std::string& archive) {
        ResultsLog log;
        testing::internal::CaptureStdout();
        const int result = install_test::Run("fpxparse", archive.c_str(), log);
        KodrinUtil::PrintResults(log);
        out_ = testing::internal::GetCapturedStdout();
        return result;
    }
    std::vector<std::string> InformationLines() const {
        std::vector<std::string> lines;
        size_t at = 0;
        for (size_t end; (end = out_.find('\n', at)) != std::string::npos; at = end + 1) {
            if (out_.compare(at, 2, "; ") == 0) lines.push_back(out_.substr(at, end - at));
        }
        return lines;
    }
    static size_t Count(const std::vector<int>& ids, int id) {
        return static_cast<size_t>(std::count(ids.begin(), ids.end(), id));
    }

    std::string out_;
};

TEST_F(FPXParseTest, AssetsAreCommittedAndDescribedWithTheirArchiveAndThumbnailBesideIt) {
    const std::string archive = Delivered("Delivery.cdp");
    ASSERT_EQ(install_test::SaveArchive(archive, {CoalWagon(), BoxVan()}, kArchiveThumbnail), "");
    const size_t mark = Mark();

    EXPECT_EQ(Run(archive), 0) << out_;
    EXPECT_EQ(InformationLines(), (std::vector<std::string>{
                                      "; <kuid:1000:1> : Name: Coal\\nwagon",
                                      "; <kuid:1000:1> : Description: First line\\nsecond \\\\ line",
                                      "; <kuid:1000:1> : Kodrin-build: 3.5",
                                      "; <kuid:1000:1> : Dependencies: <kuid:12:80>, <kuid:12:1>, "
                                      "<kuid:12:2>",
                                      "; <kuid:1000:1> : Obsoletes: <kuid:1000:9>",
                                      "; <kuid:1000:1> : kind: scenery",
                                      "; <kuid:1000:1> : alias-kuid: <kuid:12:2>",
                                      "; <kuid:1000:1> : category-region: AU",
                                      "; <kuid:1000:1> : category-era: 1950s;1960s",
                                      "; <kuid:1000:1> : category-class: XC",
                                      "; <kuid:1000:2> : Name: Box van",
                                      "; <kuid:1000:2> : Description: ",
                                      "; <kuid:1000:2> : Kodrin-build: 0.0",
                                      "; <kuid:1000:2> : Dependencies: ",
                                      "; <kuid:1000:2> : Obsoletes: ",
                                      "; <kuid:1000:2> : kind: scenery",
                                      "; <kuid:1000:2> : alias-kuid: <NULL>",
                                      "; <kuid:1000:2> : category-region: ",
                                      "; <kuid:1000:2> : category-era: ",
                                      "; <kuid:1000:2> : category-class: ",
                                  }));
    EXPECT_NE(out_.find("+ <kuid:1000:1> : eI"), std::string::npos) << out_;
    EXPECT_NE(out_.find("+ <kuid:1000:2> : eI"), std::string::npos) << out_;
    EXPECT_NE(out_.find("\nOK (0 Errors, 0 Warnings)\n"), std::string::npos) << out_;

    for (const KUID& kuid : {kCoal, kVan}) {
        const std::optional<AssetRecord> record = table_->Find(kuid);
        ASSERT_TRUE(record) << kuid.ToTag().c_str();
        EXPECT_EQ(record->location, "local");
        EXPECT_FALSE(record->editing);
    }
    // The asset's own thumbnail where it has one, else the archive's.
    EXPECT_EQ(folder_.ReadFile("Delivered/kuid 1000 1.jpg"), kOwnThumbnail);
    EXPECT_EQ(folder_.ReadFile("Delivered/kuid 1000 2.jpg"), kArchiveThumbnail);
    for (const KUID& kuid : {kCoal, kVan}) {
        CDPArchive own;
        const std::string name = "kuid 1000 " + std::to_string(kuid.contentId) + ".cdp";
        ASSERT_TRUE(own.Open("", Delivered(name).c_str()).IsEmpty()) << name;
        ASSERT_EQ(own.CountAssets(), 1);
        EXPECT_EQ(own.GetAsset(0).GetKUID(), kuid);
        EXPECT_TRUE(own.GetAsset(0).VerifyChecksum());
    }

    // The thumbnail is asked for as <kuid:1000:1> (content 1, user 1000 = 0x3e8) and 240.
    EXPECT_EQ(PayloadsSince(mark, 29).front(), "01000000e8030000f0000000");
    // The dependency missing here was searched for on the download service (230), the
    // installed one was not; the failed search adds nothing to the log.
    const std::vector<int> ids = RequestIdsSince(mark);
    EXPECT_EQ(Count(ids, 230), 1u);
    EXPECT_EQ(Count(ids, 34), 2u);
    EXPECT_EQ(Count(ids, 33), 0u);
    EXPECT_EQ(out_.find("Failed"), std::string::npos) << out_;
}

// An asset that fails to install reverts everything installed before it: a new asset is
// forgotten, an installed one that the archive replaced is as it was.
TEST_F(FPXParseTest, AnAssetThatFailsToInstallRevertsTheWholeArchive) {
    const std::string archive = Delivered("Delivery.cdp");
    ACSChunkRef replacement =
        install_test::ArchivedAsset(KUID(12, 1, 0), "Coal wagon", {{"notes.txt", "new"}});
    ASSERT_EQ(install_test::SaveArchive(archive, {replacement, BoxVan(), BrokenAsset()},
                                        kArchiveThumbnail),
              "");
    const size_t mark = Mark();

    EXPECT_EQ(Run(archive), -1);
    EXPECT_NE(out_.find("- <NULL> : Aborted processing\nOK (2 Errors, 0 Warnings)\n"),
              std::string::npos)
        << out_;
    const std::vector<int> ids = RequestIdsSince(mark);
    EXPECT_EQ(Count(ids, 33), 3u);  // the failed asset's own, then the two installed
    EXPECT_EQ(Count(ids, 34), 0u);
    EXPECT_TRUE(InformationLines().empty());
    EXPECT_FALSE(table_->Find(kVan));
    EXPECT_FALSE(table_->Find(kBroken));
    const std::optional<AssetRecord> coal = table_->Find(KUID(12, 1, 0));
    ASSERT_TRUE(coal);
    EXPECT_FALSE(coal->editing);
    EXPECT_FALSE(fs::exists(Inst("UserData/local/coal_wagon/notes.txt")));
    EXPECT_EQ(std::vector<fs::path>(fs::directory_iterator(Delivered("")), {}),
              std::vector<fs::path>{archive});
}

// A commit the daemon refuses fails the command, and the asset it left open for editing is
// reverted: nothing of the archive stays, nothing is described.
TEST_F(FPXParseTest, ACommitThatFailsFailsTheCommandAndLeavesNothingOpen) {
    const std::string archive = Delivered("Delivery.cdp");
    ASSERT_EQ(install_test::SaveArchive(archive, {BoxVan()}), "");
    server_->SetHook(34, [](const DaemonRequest&, DaemonResponse& response) {
        response.reply = {0, 0};
    });
    EXPECT_EQ(Run(archive), -1);
    EXPECT_NE(out_.find("- <NULL> : Aborted processing\n"), std::string::npos) << out_;
    EXPECT_TRUE(InformationLines().empty());
    EXPECT_FALSE(table_->Find(kVan));
    EXPECT_FALSE(fs::exists(Delivered("kuid 1000 2.cdp")));
}

// An asset whose "kuid" does not read refuses the whole archive before anything is
// installed: the daemon is never asked to make an asset of it under the user's KUIDs.
TEST_F(FPXParseTest, AnAssetWithADamagedKUIDInstallsNothing) {
    const std::string archive = Delivered("Delivery.cdp");
    CDPArchive three;
    ACSChunkRef damaged = BoxVan();
    ASSERT_TRUE(three.AddAsset(CoalWagon()).IsEmpty());
    ASSERT_TRUE(three.AddAsset(damaged).IsEmpty());
    ASSERT_TRUE(three.AddAsset(install_test::ArchivedAsset(KUID(1000, 4, 0), "Hut", {})).IsEmpty());
    damaged.SetNamedTagString("kuid", "damaged");
    ASSERT_TRUE(three.Save(archive.c_str()).IsEmpty());
    const size_t mark = Mark();

    EXPECT_EQ(Run(archive), -1);
    EXPECT_EQ(out_, "- <NULL> : Asset 2 of the archive has no valid \"kuid\": nothing of the archive "
                    "was installed.\n- <NULL> : Aborted processing\nOK (2 Errors, 0 Warnings)\n");
    const std::vector<int> ids = RequestIdsSince(mark);
    EXPECT_EQ(Count(ids, 30) + Count(ids, 35) + Count(ids, 34), 0u);
    EXPECT_FALSE(table_->Find(kCoal));
    EXPECT_FALSE(table_->Find(KUID(1000, 4, 0)));
}

}  // namespace
