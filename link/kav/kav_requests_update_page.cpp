// The update-page check over the daemon's URL fetch: see kav_requests_update_page.h.
#include "link/kav/kav_requests_update_page.h"

#include "link/kav/kav_client.h"
#include "link/kav/kav_requests_wire.h"

namespace {

constexpr int32_t kUpdatePageMode = 2;

} // namespace

bool FetchUpdatePage(const std::function<void(float)>& reportProgress,
                     const std::function<void(int64_t)>& sleepMs) {
    UrlRecord url;
    UrlRecord::Parse(kUpdatePageAddress, url);
    KAVUrlFetch* fetch = KAVClient::StartUrlFetch(url, kUpdatePageMode);
    bool done = false;
    while (fetch->Handle() != kNoDaemonHandle && KAVClient::IsConnected()) {
        if ((done = fetch->IsDone())) break;
        sleepMs(kUpdatePagePollMs);
    }
    const bool fetched = done && fetch->LastStatus().status == 0;
    KAVUrlFetch::Close(fetch);
    if (fetched) reportProgress(1.0f);
    return fetched;
}
