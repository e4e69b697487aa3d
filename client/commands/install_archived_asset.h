// KodrinUtil::InstallArchivedAsset: installs one asset entry of an archive through the
// daemon (create or open for edit, write the files, write the config, commit), asking the
// question handler first when the asset is installed already. The install options are a
// bit set; the command host and the archive readers pass them.
#pragma once

#include <cstdint>

#include "client/commands/install_conflict_handler.h"
#include "foundation/cdp/cdp_asset.h"
#include "foundation/kuid/kuid.h"

class ResultsLog;

namespace KodrinUtil {

// Install options.
constexpr int32_t kInstallCommitted = 2; // "config.chump" and commit; else "config.txt", open
constexpr int32_t kInstallChecksumVerified = 4; // set or cleared by the installer from "dsid"
constexpr int32_t kInstallCommitPassOn = 8;     // passed on to the commit (flag 8)

// The KUID installed, or the null KUID (the reason is in the log, or the handler's answer
// kept the installed asset). committed receives the commit's second answer.
KUID InstallArchivedAsset(const CDPAsset& asset, ResultsLog& log, int32_t options, bool& committed,
                          ConflictQuestionHandler* handler);

} // namespace KodrinUtil
