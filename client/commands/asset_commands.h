// The commands that work on single assets or on the daemon's asset list, and the two
// settings commands. None opens the asset database itself: each sends requests through
// the daemon link's wrappers and prints or logs what comes back. Each command returns the
// process result (0 success, -1 failure); the dispatcher has already checked that a
// required argument is present.
#pragma once

#include "client/command_context.h"
#include "engine/pstring.h"
#include "foundation/kuid/kuid.h"

class ResultsLog;

namespace KodrinUtil {

// "+ <kuid> : <flags> : <category> : <name>" on standard output; false, with the error
// "Unknown AssetID.", when the daemon does not know the asset.
bool PrintAssetStatus(const KUID& kuid, ResultsLog& log);
// Has the daemon validate the asset, its findings attributed to the asset in the log; true
// when the validation request was sent, whatever it found.
bool ValidateAsset(const KUID& kuid, ResultsLog& log);
// The user name of the asset's author; empty when there is none or the asset is unknown.
Kiv::PString GetAuthorOfAsset(const KUID& kuid);

int CommandStatus(CommandContext& context);
int CommandValidate(CommandContext& context);
int CommandEdit(CommandContext& context);
int CommandCommit(CommandContext& context);
int CommandRevert(CommandContext& context);
int CommandDelete(CommandContext& context);
int CommandPrintConfig(CommandContext& context);
int CommandGenerateKUID(CommandContext& context);
int CommandListBuilds(CommandContext& context);
int CommandAuthors(CommandContext& context);
int CommandSearchByCategory(CommandContext& context);
int CommandCreateCDP(CommandContext& context);
int CommandSetLanguage(CommandContext& context);
int CommandRegisterAccount(CommandContext& context);

}  // namespace KodrinUtil
