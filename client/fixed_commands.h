// Commands that need no daemon: `version`, `echo` and the installed-version words, which
// only return the build identity's bytes as the process result.
#pragma once

#include "client/command_context.h"

namespace KodrinUtil {

int CommandVersion(CommandContext& context);
int CommandEcho(CommandContext& context);
int CommandInstalledVersion(CommandContext& context);
int CommandInstalledVersionLo(CommandContext& context);
int CommandInstalledVersionHi(CommandContext& context);
int CommandInstalledBuildNumber(CommandContext& context);
int CommandInstalledBuildNumberLo(CommandContext& context);
int CommandInstalledBuildNumberHi(CommandContext& context);

}  // namespace KodrinUtil
