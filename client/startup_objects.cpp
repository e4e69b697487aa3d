// The process-wide start-up objects and the download-service marker.
#include "client/startup_objects.h"

#include <atomic>

#include "client/startup_state.h"

namespace KodrinUtil {

namespace {

std::atomic<bool> g_downloadServiceMarker{false};

}  // namespace

StartupObjects& GetStartupObjects() {
    static StartupObjects objects;
    return objects;
}

void CreateDownloadServiceMarker() {
    g_downloadServiceMarker.store(true);
}

void FreeDownloadServiceMarker() {
    g_downloadServiceMarker.store(false);
}

bool DownloadServiceAvailable() {
    return g_downloadServiceMarker.load();
}

}  // namespace KodrinUtil
