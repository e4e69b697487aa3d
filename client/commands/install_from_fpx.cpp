// The fetch waits have no time-out (the daemon finishes or fails every fetch), but they end
// when the link to the daemon is gone, which could never report the fetch done.
#include "client/commands/install_from_fpx.h"

#include <memory>
#include <string>

#include "client/commands/fpx_query.h"
#include "link/kav/kav_client.h"
#include "link/kav/kav_url_fetch.h"
#include "client/startup_state.h"
#include "foundation/jobs/worker_job_queue.h"
#include "foundation/results/results_log.h"

namespace KodrinUtil {

namespace {

constexpr int32_t kFetchSearch = 2;
constexpr int32_t kFetchDownload = 0;
// Options of the daemon's archive install: checksum verified, configs compiled, committed.
constexpr int32_t kInstallDownloaded = 6;
constexpr int64_t kFetchWaitMs = 50;

struct FetchCloser {
    void operator()(KAVUrlFetch* fetch) const { KAVUrlFetch::Close(fetch); }
};
using FetchHandle = std::unique_ptr<KAVUrlFetch, FetchCloser>;

std::string SearchAddress(const KUID& kuid) {
    return std::string("https://") + kDownloadServiceWebHost +
           "/kodrin/FPXT_Search_Text.php?Banners=1&SearchCriteria=" +
           std::string(kuid.ToDisplayString().View()) + "&textsearchID=1&DependencyLevel=5";
}

// Starts the fetch and waits, pumping the main thread's jobs, until it is done or the link
// is gone.
FetchHandle Fetch(const char* address, int32_t mode) {
    UrlRecord url;
    UrlRecord::Parse(address, url);
    FetchHandle fetch(KAVClient::StartUrlFetch(url, mode));
    WorkerJobQueue& queue = WorkerJobQueue::Singleton();
    while (!fetch->IsDone() && KAVClient::IsConnected()) {
        queue.WaitMainThreadEvent(kFetchWaitMs);
        KAVClient::PumpMainThread();
    }
    return fetch;
}

void AddAssetIdError(ResultsLog* log, const char* text, const KUID& kuid) {
    if (!log) return;
    const ResultsLogParameters parameters = {{"assetid", Kiv::String(kuid.ToTag())}};
    log->AddEntry(ResultsLogKind::Error, nullptr, Kiv::String(text), &parameters);
}

// True when the item's archive was downloaded and installed.
bool InstallItem(const FPXQueryItem& item, ResultsLog* log) {
    const Kiv::PString address = UrlRecord::ToString(item.downloadLocation);
    FetchHandle fetch = Fetch(address.c_str(), kFetchDownload);
    Kiv::File::Path path;
    Kiv::PString archive;
    if (!fetch->GetResult(path, archive)) {
        AddAssetIdError(log, "Failed to resolve download path for $(assetid)", item.latestVersion);
        return false;
    }
    if (!archive.IsEmpty()) {
        if (log) {
            log->AddEntry(ResultsLogKind::Error, nullptr,
                          Kiv::String("Internal error: GetFilePath returned archive"));
        }
        return false;
    }
    ResultsLog own;
    bool result = false;
    return KAVClient::InstallArchiveFile(Kiv::String(path.View()), kInstallDownloaded,
                                         log ? log : &own, result, nullptr) != 0;
}

} // namespace

bool InstallFromFPX(const KUID& requested, ResultsLog* log) {
    if (!DownloadServiceAvailable()) return false;
    const KUID kuid = KAVClient::ResolveKUIDLatest(requested);
    if (KAVClient::IsAssetLocal(kuid)) return false;

    FPXQueryResultList items;
    {
        FetchHandle search = Fetch(SearchAddress(kuid).c_str(), kFetchSearch);
        Kiv::File::Path path;
        Kiv::PString archive;
        if (!search->GetResult(path, archive)) {
            AddAssetIdError(log, "Failed to query FPX for $(assetid)", kuid);
            return false;
        }
        ACSChunkRef soup;
        soup.LoadFromFile("", path.c_str(), "txt", false);
        FPXQuery::ParseResult(soup, items);
    }
    bool installed = false;
    for (const FPXQueryItem& item : items) {
        if (!item.downloadLocation.IsValid()) continue;
        if (KAVClient::IsAssetLocal(item.latestVersion)) continue;
        if (InstallItem(item, log)) installed = true;
    }
    return installed;
}

} // namespace KodrinUtil
