// `fpxparse` as a process of the installed tool against its own stand-in daemon: a
// delivered archive is taken in and described, with each asset's own archive and the
// thumbnail beside it; an archive with an asset that cannot be installed is reverted whole
// and the command exits 255; one with an asset whose KUID does not read installs nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "daemon/asset_install_test_support.h"
#include "tool_process.h"

namespace {

namespace fs = std::filesystem;
using e2e::Installation;
using e2e::ToolResult;

const std::string kThumbnail("\xFF\xD8\xFF\xE0" "delivered", 13);

std::string FileText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class FPXParseE2E : public testing::Test {
protected:
    void SetUp() override {
        folder_ = install_.FilesFolder() / "Delivered";
        fs::create_directories(folder_);
        install_.RecordDaemon();
    }

    ToolResult Parse(const fs::path& archive) {
        const ToolResult result = install_.Run({"fpxparse", archive.string()});
        EXPECT_FALSE(result.timedOut);
        return result;
    }

    Installation install_;
    fs::path folder_;
};

TEST_F(FPXParseE2E, AnArchiveIsTakenInAndDescribed) {
    ACSChunkRef shed =
        install_test::ArchivedAsset(KUID(1000, 1, 0), "Shed", {{"notes.txt", "roof"}});
    shed.SetNamedTagString("kind", "scenery");
    shed.SetNamedTagString("description", "Tin roof\nwooden walls");
    shed.SetNamedTagString("category-class", "BS");
    CDPAsset(shed).SetChecksum();
    const fs::path archive = folder_ / "Shed delivery.cdp";
    ASSERT_EQ(install_test::SaveArchive(archive.string(), {shed}, kThumbnail), "");

    const ToolResult result = Parse(archive);
    EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
    const std::string described = "; <kuid:1000:1> : Name: Shed\n"
                                  "; <kuid:1000:1> : Description: Tin roof\\nwooden walls\n"
                                  "; <kuid:1000:1> : Kodrin-build: 0.0\n"
                                  "; <kuid:1000:1> : Dependencies: \n"
                                  "; <kuid:1000:1> : Obsoletes: \n"
                                  "; <kuid:1000:1> : kind: scenery\n"
                                  "; <kuid:1000:1> : alias-kuid: <NULL>\n"
                                  "; <kuid:1000:1> : category-region: \n"
                                  "; <kuid:1000:1> : category-era: \n"
                                  "; <kuid:1000:1> : category-class: BS\n"
                                  "OK (0 Errors, 0 Warnings)\n";
    ASSERT_GE(result.out.size(), described.size()) << result.out;
    EXPECT_EQ(result.out.substr(result.out.size() - described.size()), described) << result.out;
    EXPECT_EQ(FileText(folder_ / "kuid 1000 1.jpg"), kThumbnail);
    EXPECT_TRUE(fs::is_regular_file(folder_ / "kuid 1000 1.cdp"));
    EXPECT_EQ(install_.DaemonRequestCount(34), 1);

    const ToolResult status = install_.Run({"status", "<kuid:1000:1>"});
    EXPECT_EQ(status.out.rfind("+ <kuid:1000:1> : eI", 0), 0u) << status.out;
}

TEST_F(FPXParseE2E, AnAssetThatCannotBeInstalledRevertsTheArchiveAndExits255) {
    const ACSChunkRef shed =
        install_test::ArchivedAsset(KUID(1000, 1, 0), "Shed", {{"notes.txt", "roof"}});
    ACSChunkRef broken =
        install_test::ArchivedAsset(KUID(1000, 2, 0), "Broken", {{"notes.txt", "xy"}});
    broken.SetNamedTagString("compression", "LZSS");  // "xy" does not decode
    const fs::path archive = folder_ / "Two.cdp";
    ASSERT_EQ(install_test::SaveArchive(archive.string(), {shed, broken}), "");

    const ToolResult result = Parse(archive);
    EXPECT_EQ(result.exitCode, 255) << result.out << result.err;
    EXPECT_NE(result.out.find("- <NULL> : Aborted processing\nOK (2 Errors, 0 Warnings)\n"),
              std::string::npos)
        << result.out;
    EXPECT_EQ(install_.DaemonRequestCount(33), 2);
    EXPECT_EQ(install_.DaemonRequestCount(34), 0);
    EXPECT_FALSE(fs::exists(folder_ / "kuid 1000 1.cdp"));

    const ToolResult status = install_.Run({"status", "<kuid:1000:1>"});
    EXPECT_EQ(status.out, "- <kuid:1000:1> : Unknown AssetID.\nOK (1 Errors, 0 Warnings)\n");
}

// Three assets, the second with a "kuid" that does not read: nothing is installed, nothing
// is left open, and the command says why.
TEST_F(FPXParseE2E, AnArchiveWithADamagedKUIDInstallsNothing) {
    CDPArchive three;
    ACSChunkRef damaged = install_test::ArchivedAsset(KUID(1000, 2, 0), "Van", {{"notes.txt", "v"}});
    ASSERT_TRUE(three.AddAsset(install_test::ArchivedAsset(KUID(1000, 1, 0), "Shed", {})).IsEmpty());
    ASSERT_TRUE(three.AddAsset(damaged).IsEmpty());
    ASSERT_TRUE(three.AddAsset(install_test::ArchivedAsset(KUID(1000, 3, 0), "Hut", {})).IsEmpty());
    damaged.SetNamedTagString("kuid", "damaged");
    const fs::path archive = folder_ / "Three.cdp";
    ASSERT_TRUE(three.Save(archive.c_str()).IsEmpty());

    const ToolResult result = Parse(archive);
    EXPECT_EQ(result.exitCode, 255);
    EXPECT_EQ(result.out, "- <NULL> : Asset 2 of the archive has no valid \"kuid\": nothing of the "
                          "archive was installed.\n- <NULL> : Aborted processing\nOK (2 Errors, 0 Warnings)\n");
    for (int id : {30, 33, 34, 35}) EXPECT_EQ(install_.DaemonRequestCount(id), 0) << id;
    const ToolResult list = install_.Run({"status", "<kuid:1000:1>"});
    EXPECT_EQ(list.out, "- <kuid:1000:1> : Unknown AssetID.\nOK (1 Errors, 0 Warnings)\n");
}

}  // namespace
