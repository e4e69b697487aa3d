// The download service's roads that the dispatcher reaches: installing an asset from the
// service, and the service's own pipeline words `fpxparse` and `fpxdeleteall`. Not built
// yet: none of them contacts the daemon or the service.
#pragma once

#include "foundation/kuid/kuid.h"

class ResultsLog;

namespace KodrinUtil {

// Installs the asset and what it needs from the download service; true when at least one
// file was installed. Not built yet: always false, nothing logged.
bool InstallFromFPX(const KUID& kuid, ResultsLog* log);
// Installs, describes and splits a CDP archive that the service delivered; true when every
// asset was installed and described. Not built yet: always false, nothing logged.
bool ParseFPXArchive(const char* path, ResultsLog& log);
// Deletes every asset the daemon lists as local. Not built yet: deletes nothing and
// answers false.
bool DeleteAllFPXAssets(ResultsLog& log);

}  // namespace KodrinUtil
