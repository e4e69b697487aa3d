// installcdp against the real stand-in daemon process: a daemon script seeds an asset, an
// archive is written with the project's archive code from that asset's folder (once as
// itself with a changed file, once under a new KUID), and the command has the daemon
// install it through request 40. The path reaches the daemon as typed. With the link
// dropped by the daemon's scripted fault, every folder or archive left out is named in an
// error and the command fails.
#include <gtest/gtest.h>

#include <signal.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "client/commands/install_commands.h"
#include "link/kav/kav_client.h"
#include "daemon/asset_install_test_support.h"
#include "install_test_support.h"
#include "kav_daemon_process_support.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kSeed = R"(assets
{
  0
  {
    folder "coal_wagon"
    config
    {
      kuid <kuid:12:1>
      username "Coal wagon"
    }
    files
    {
      0
      {
        name "notes.txt"
        text "first"
      }
    }
  }
}
)";

constexpr const char* kDaemonSettings[] = {"KAVDAEMON_SCRIPT", "KAVDAEMON_RECORD",
                                           "KAVDAEMON_IDLE_MS"};

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class InstallProcessTest : public KAVDaemonProcessFixture {
  protected:
    void SetUp() override {
        KAVDaemonProcessFixture::SetUp();
        if (HasFatalFailure()) return;
        std::ofstream(install_.Root() + "/script.txt", std::ios::binary) << Script();
        setenv("KAVDAEMON_SCRIPT", (install_.Root() + "/script.txt").c_str(), 1);
        setenv("KAVDAEMON_RECORD", (install_.Root() + "/record.txt").c_str(), 1);
        // A daemon that outlives its test ends by itself soon.
        setenv("KAVDAEMON_IDLE_MS", "60000", 1);
        KAVClientStartOptions options;
        options.relaunch = false;
        ASSERT_TRUE(KAVClient::Start(options));
    }
    void TearDown() override {
        KAVClient::CloseDaemon();
        EXPECT_TRUE(WaitUntilGone());
        KAVDaemonProcessFixture::TearDown();
        for (const char* name : kDaemonSettings)
            unsetenv(name);
    }

    virtual std::string Script() const { return kSeed; }

    fs::path UserData(const std::string& relative) const {
        return fs::path(install_.Path("UserData/" + relative));
    }

    // The seeded asset as an archive entry: its config with the KUID given, its notes.
    ACSChunkRef EntryOfSeededAsset(const KUID& kuid, const std::string& notes) {
        ACSChunkRef config;
        EXPECT_TRUE(
            config.LoadFromFile("", UserData("local/coal_wagon/config.txt").c_str(), "txt", true));
        config.SetNamedTagKUID("kuid", kuid);
        config.SetNamedTagString("compression", "");
        ACSChunkRef files;
        install_test::AddBlob(files, "notes.txt", notes);
        config.SetNamedSoup("files", files);
        CDPAsset(config).SetChecksum();
        return config;
    }
};

TEST_F(InstallProcessTest, ArchiveOfTheSeededAssetInstallsThroughTheDaemon) {
    ASSERT_EQ(ReadFile(UserData("local/coal_wagon/notes.txt")), "first");
    const std::string archive = install_.Path("Packs/Coal.cdp");
    fs::create_directories(install_.Path("Packs"));
    ASSERT_EQ(install_test::SaveArchive(archive, {EntryOfSeededAsset(KUID(12, 1, 0), "second"),
                                                  EntryOfSeededAsset(KUID(12, 9, 0), "copy")}),
              "");

    ResultsLog log;
    EXPECT_EQ(install_test::Run("installcdp", archive.c_str(), log), 0);
    EXPECT_EQ(
        install_test::EntryLines(log),
        (std::vector<std::string>{"4 Installed, replacing the earlier copy.", "4 Installed."}));
    EXPECT_EQ(ReadFile(UserData("local/kuid_12_1_0/notes.txt")), "second");
    EXPECT_EQ(ReadFile(UserData("trash/coal_wagon/notes.txt")), "first");
    EXPECT_EQ(ReadFile(UserData("local/kuid_12_9_0/notes.txt")), "copy");
    EXPECT_TRUE(fs::exists(UserData("local/kuid_12_9_0/config.txt")));
    EXPECT_TRUE(KAVClient::IsAssetLocal(KUID(12, 9, 0)));
    EXPECT_EQ(KAVClient::GetAssetName(KUID(12, 9, 0)).Std(), "Coal wagon");
}

TEST_F(InstallProcessTest, ADamagedArchiveFailsTheCommandWithTheDaemonsMessage) {
    install_.WriteFile("bad.cdp", "not an archive");
    ResultsLog log;
    EXPECT_EQ(install_test::Run("installcdp", install_.Path("bad.cdp").c_str(), log), -1);
    EXPECT_EQ(
        install_test::EntryLines(log),
        std::vector<std::string>{"3 Content could not be read, as the file is not a valid CDP"});
    EXPECT_EQ(ReadFile(UserData("local/coal_wagon/notes.txt")), "first");
}

// The daemon drops the link at the second folder's request and at the archive's: what the
// link did not carry is named as not installed, and both commands fail. With start-up's
// options a request after a lost link fails once (the dead link is dropped), so the third
// folder is named too.
class InstallLinkLostProcessTest : public InstallProcessTest {
  protected:
    std::string Script() const override {
        return R"(requests
{
  0
  {
    request 39
    daemon-reply 1
    times 1
  }
  1
  {
    request 39
    fault "drop-link"
    times 1
  }
  2
  {
    request 40
    fault "drop-link"
    times 1
  }
}
)";
    }

    // The archive's dropped link is found dead by the next request, which drops it, so the
    // close reaches the daemon.
    void TearDown() override {
        KAVClient::IsAssetLocal(KUID(12, 21, 0));
        InstallProcessTest::TearDown();
    }

    static std::string Config(int number) {
        return "kuid <kuid:12:" + std::to_string(number) + ">\nusername \"Shed " +
               std::to_string(number) + "\"\n";
    }
};

TEST_F(InstallLinkLostProcessTest, EveryFolderOrArchiveLeftOutIsNamedAndTheCommandFails) {
    for (int number = 21; number <= 23; ++number)
        install_.WriteFile("Sheds/S" + std::to_string(number) + "/config.txt", Config(number));
    ResultsLog log;
    EXPECT_EQ(install_test::Run("installfrompath", install_.Path("Sheds").c_str(), log), -1);

    // Each folder is installed or named as left out, never both. The dropped request is
    // named, and so is the one after it, which finds the link dead and drops it.
    const std::vector<std::string> lines = install_test::EntryLines(log);
    const std::string cause = " was not installed: the connection to the asset database was lost.";
    int named = 0;
    for (int number = 21; number <= 23; ++number) {
        const std::string folder = install_.Path("Sheds") + "/S" + std::to_string(number);
        const bool left = std::count(lines.begin(), lines.end(),
                                     "3 The asset folder " + folder + cause) == 1;
        EXPECT_NE(KAVClient::IsAssetLocal(KUID(12, number, 0)), left) << folder;
        named += left ? 1 : 0;
    }
    EXPECT_EQ(named, 2) << testing::PrintToString(lines);
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) { return line.rfind("3 ", 0) == 0; }),
              named);

    install_.WriteFile("Packs/Any.cdp", "never read");
    ResultsLog archiveLog;
    EXPECT_EQ(install_test::Run("installcdp", install_.Path("Packs/Any.cdp").c_str(), archiveLog),
              -1);
    EXPECT_EQ(install_test::EntryLines(archiveLog),
              std::vector<std::string>{"3 The archive " + install_.Path("Packs/Any.cdp") + cause});
}

} // namespace
