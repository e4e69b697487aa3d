// KodrinUtil::InstallFromFPX: installs an asset and what it needs from the download service.
// The daemon performs the web fetches (requests 230 to 232): first the service's search for
// the asset, then one download per result item that is missing here, each downloaded
// archive installed by the daemon (request 40). The waits pump the main thread's jobs, so
// this runs on the main thread.
#pragma once

#include "foundation/kuid/kuid.h"

class ResultsLog;

namespace KodrinUtil {

// The web site of the download service; its search path and query are fixed.
inline constexpr const char* kDownloadServiceWebHost = "fetchport.kodrin.example";

// True when at least one downloaded archive was installed. log may be null.
bool InstallFromFPX(const KUID& kuid, ResultsLog* log);

} // namespace KodrinUtil
