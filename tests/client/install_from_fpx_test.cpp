// Installing from the download service against the in-process stand-in daemon, whose URL
// map stands in for the service: the search result's entries become one download per
// missing latest version (sizes and latest versions told to the daemon for every entry),
// each download installed by the daemon (request 40, options 6); an asset already here
// sends nothing after its check; failed fetches are named in the log.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "client/commands/fpx_query.h"
#include "client/commands/install_from_fpx.h"
#include "client/startup_objects.h"
#include "host_test_support.h"

namespace {

using KodrinUtil::InstallFromFPX;

const std::string kSearch =
    "https://fetchport.kodrin.example/kodrin/FPXT_Search_Text.php?Banners=1&SearchCriteria=12:80"
    "&textsearchID=1&DependencyLevel=5";
const std::string kDownload = "https://dl.example/wagon.cdp";

// Entries 0 and 1 share their latest version, 2 is installed here, 4 lies beyond the gap.
constexpr const char* kResult = R"(0
{
  requires <kuid:12:80>
  latest-version <kuid:12:81>
  latest-version-size 1234
  latest-version-path "https://dl.example/wagon.cdp"
  asset-name "Wagon"
}
1
{
  requires <kuid:12:79>
  latest-version <kuid:12:81>
  latest-version-size 99
  latest-version-path "https://dl.example/wagon.cdp"
}
2
{
  requires <kuid:12:1>
  latest-version <kuid:12:1>
  latest-version-size 5
  latest-version-path "https://dl.example/old.cdp"
}
4
{
  requires <kuid:12:90>
  latest-version <kuid:12:91>
  latest-version-path "https://dl.example/far.cdp"
}
)";

std::string Seed(const std::string& searchFile, const std::string& downloadFile) {
    std::string urls;
    int n = 0;
    if (!searchFile.empty()) {
        urls += std::to_string(n++) + " { url \"" + kSearch + "\" file \"" + searchFile +
                "\" status 200 }\n";
    }
    if (!downloadFile.empty()) {
        urls += std::to_string(n++) + " { url \"" + kDownload + "\" file \"" + downloadFile +
                "\" status 200 }\n";
    }
    return "assets { 0 { folder \"coal_wagon\" config { kuid <kuid:12:1> username \"Coal\" } } }\n"
           "urls {\n" +
           urls + "}\n";
}

class InstallFromFPXTest : public HostDaemonTest {
  protected:
    void SetUp() override {
        HostDaemonTest::SetUp();
        KodrinUtil::CreateDownloadServiceMarker();
    }
    void TearDown() override {
        KodrinUtil::FreeDownloadServiceMarker();
        HostDaemonTest::TearDown();
    }
    std::string Messages(const ResultsLog& log) {
        std::string text;
        for (const ResultsLogEntry& entry : log.Entries())
            text += entry.text.Std() + "\n";
        return text;
    }
};

TEST_F(InstallFromFPXTest, AnAssetAlreadyHereSendsNothingAfterItsCheck) {
    StartDaemon(Seed("", ""));
    const size_t mark = Mark();
    ResultsLog log;
    EXPECT_FALSE(InstallFromFPX(KUID(12, 1, 0), &log));
    EXPECT_EQ(RequestIdsSince(mark), (std::vector<int>{27, 21}));
    EXPECT_EQ(log.EntryCount(), 0);

    KodrinUtil::FreeDownloadServiceMarker(); // without the service nothing is asked
    const size_t second = Mark();
    EXPECT_FALSE(InstallFromFPX(KUID(12, 80, 0), &log));
    EXPECT_TRUE(RequestIdsSince(second).empty());
}

TEST_F(InstallFromFPXTest, AFailedSearchIsReportedAndReleased) {
    StartDaemon(Seed("", ""));
    const size_t mark = Mark();
    ResultsLog log;
    EXPECT_FALSE(InstallFromFPX(KUID(12, 80, 0), &log));
    EXPECT_EQ(Messages(log), "Failed to query FPX for <kuid:12:80>\n");
    const std::vector<int> ids = RequestIdsSince(mark);
    ASSERT_GE(ids.size(), 5u);
    EXPECT_EQ(std::vector<int>(ids.begin(), ids.begin() + 3), (std::vector<int>{27, 21, 230}));
    EXPECT_EQ(ids.back(), 231);
}

TEST_F(InstallFromFPXTest, EachMissingLatestVersionIsDownloadedOnceAndInstalled) {
    folder_.WriteFile("result.txt", kResult);
    folder_.WriteFile("wagon.cdp", "archive bytes");
    StartDaemon(Seed(folder_.Path("result.txt"), folder_.Path("wagon.cdp")));
    std::vector<Bytes> installs;
    std::mutex lock;
    server_->SetHook(40, [&](const DaemonRequest& request, DaemonResponse& response) {
        std::lock_guard<std::mutex> hold(lock);
        installs.push_back(request.payload);
        response.reply = Concat({Le32(1), {1}});
    });
    const size_t mark = Mark();
    ResultsLog log;
    EXPECT_TRUE(InstallFromFPX(KUID(12, 80, 0), &log));
    EXPECT_EQ(Messages(log), "");
    // The sizes of both entries of <kuid:12:81> (content 0x51, user 12), none for the
    // installed one.
    EXPECT_EQ(PayloadsSince(mark, 41),
              (std::vector<std::string>{"510000000c000000d2040000", "510000000c00000063000000"}));
    // Latest versions differing from what was asked: 80 -> 81 and 79 -> 81.
    EXPECT_EQ(PayloadsSince(mark, 47).size(), 2u);
    EXPECT_EQ(PayloadsSince(mark, 230).size(), 2u); // the search, one download
    std::lock_guard<std::mutex> hold(lock);
    const std::string path = folder_.Path("wagon.cdp");
    EXPECT_EQ(installs,
              std::vector<Bytes>{Concat({Le32(static_cast<uint32_t>(path.size())),
                                         Bytes(path.begin(), path.end()), Le32(6), Bytes{0}})});
}

TEST_F(InstallFromFPXTest, ADownloadThatFailsIsNamedAndSkipped) {
    folder_.WriteFile("result.txt", kResult);
    StartDaemon(Seed(folder_.Path("result.txt"), ""));
    ResultsLog log;
    EXPECT_FALSE(InstallFromFPX(KUID(12, 80, 0), &log));
    EXPECT_EQ(Messages(log), "Failed to resolve download path for <kuid:12:81>\n");
}

// A fetch is waited for without a time-out, but not past the end of the link: a daemon
// gone before it reported the search done leaves a failed search, not a hang.
TEST_F(InstallFromFPXTest, TheWaitForAFetchEndsWithTheLink) {
    StartDaemon(Seed("", ""));
    std::atomic<int> polls{0};
    server_->SetHook(232, [&](const DaemonRequest&, DaemonResponse& response) {
        polls.fetch_add(1);
        response.reply = Concat({Bytes{0}, Le32(0), Le32(0), Le32(0), Le32(0), Le32(0)});
    });
    std::thread stopper([&] {
        WaitUntil([&] { return polls.load() >= 2; });
        server_->Stop();
    });
    ResultsLog log;
    EXPECT_FALSE(InstallFromFPX(KUID(12, 80, 0), &log));
    stopper.join();
    EXPECT_EQ(Messages(log), "Failed to query FPX for <kuid:12:80>\n");
}

TEST_F(InstallFromFPXTest, ASearchThatFoundNothingYieldsNoItem) {
    StartDaemon(Seed("", ""));
    ACSChunkRef none;
    none.EnsureContainer();
    none.SetNamedTagString("none", "");
    FPXQueryResultList items;
    const size_t mark = Mark();
    FPXQuery::ParseResult(none, items);
    EXPECT_TRUE(items.IsEmpty());
    EXPECT_TRUE(RequestIdsSince(mark).empty());
}

} // namespace
