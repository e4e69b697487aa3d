// The install commands and what they share with other subsystems. installcdp has the
// daemon install an archive file (request 40); installfrompath sends every asset folder
// found at or below a folder as request 39, the daemon doing the copying. Paths are made
// absolute here, because the daemon runs in a working folder of its own; the dispatcher
// has refused a missing one before a command runs.
// LoadAssetConfigSoup (validation/specs/asset_config_soup.h) reads an asset's config.
#pragma once

#include <cstdint>

#include "client/command_context.h"
#include "client/commands/install_conflict_handler.h"
#include "engine/file_path.h"
#include "engine/pstring.h"
#include "foundation/soup/chunk_ref.h"
#include "validation/specs/asset_config_soup.h"

class ResultsLog;

namespace KodrinUtil {

int CommandInstallCDP(CommandContext& context);
int CommandInstallFromPath(CommandContext& context);

// Sends each asset folder (one holding "config.txt" or "config.chump") at or below path as
// request 39 with the option, the log, the out byte and the handler, and answers how many
// it sent. An asset folder is not searched further. Folders reached through a symbolic
// link are sent when they are asset folders but never searched, so a link loop ends; the
// walk stops after an entry when the handler has been cancelled. A folder whose request got
// no answer because the link is gone adds an error naming it and counts in lost (when
// given).
int32_t InstallFromPath(const Kiv::File::Path& path, ResultsLog& log, int32_t option, bool& result,
                        ConflictQuestionHandler* handler, int32_t* lost = nullptr);

// The cause named when a request got no answer because the link to the daemon is gone.
inline constexpr const char* kLinkLost = "the connection to the asset database was lost.";

// A command's path argument as typed, made absolute against the current working folder.
Kiv::File::Path AbsoluteArgumentPath(const char* argument);

} // namespace KodrinUtil

