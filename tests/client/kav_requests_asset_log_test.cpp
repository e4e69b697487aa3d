// The requests that carry the caller's results log receive the daemon's log notes sent
// before their reply; one row per wrapper.
#include "kav_requests_test_support.h"

#include <functional>

#include "foundation/results/results_log.h"

namespace {

const KUID kAsset(1234, 56, 2);

struct LogCase {
    int32_t id;
    std::function<void(ResultsLog*)> run;
};

TEST_F(KAVRequestsTest, LogCarryingRequestsReceiveTheDaemonsNotes) {
    const Bytes handle = Le64(5);
    const LogCase cases[] = {
        {3, [](ResultsLog* log) { KAVClient::StartRepair(100, log); }},
        {30, [](ResultsLog* log) { KAVClient::OpenAsset(kAsset, false, log); }},
        {35, [](ResultsLog* log) { KAVClient::CreateAsset(kAsset, false, "", log); }},
        {36, [](ResultsLog* log) { KAVClient::DeleteAsset(kAsset, false, log); }},
        {38, [](ResultsLog* log) { KAVClient::ValidateAsset("l", "/p", log); }},
        {39, [](ResultsLog* log) {
             bool result = false;
             KAVClient::InstallFromFolder("/f", 0, log, result, nullptr);
         }},
        {40, [](ResultsLog* log) {
             bool result = false;
             KAVClient::InstallArchiveFile("/a.cdp", 0, log, result, nullptr);
         }},
        {48, [](ResultsLog* log) { KAVClient::GetArchivedAsset(kAsset, log, 0); }},
    };
    for (const LogCase& c : cases) {
        server_->SetHook(c.id, [](const DaemonRequest& request, DaemonResponse& response) {
            const Bytes note = Concat({Le32(0), Le32(1), Le32(2), Le32(4), Text("slow"), Le32(0)});
            response.notes.push_back({3, Concat({Le32(request.transactionId), note}), {}});
            response.reply = Le64(~0ull);
        });
        ResultsLog log;
        c.run(&log);
        EXPECT_EQ(log.WarningCount(), 1) << "request " << c.id;
    }
}

} // namespace
