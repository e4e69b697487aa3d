// The dispatcher's words whose work is done by a road of its own: the daemon link's close,
// the download service, the command host, the consist import and texture conversion. These
// functions check the arguments and translate the road's answer into the process result
// (0 success, -1 failure unless noted).
#pragma once

#include "client/command_context.h"

namespace KodrinUtil {

int CommandCloseKAVDaemon(CommandContext& context);   // always 0
int CommandInstallFromFPX(CommandContext& context);   // 0 once the KUID parsed
int CommandKAVCommandHost(CommandContext& context);   // always 0
int CommandImportConsists(CommandContext& context);
int CommandCompressTexture(CommandContext& context);

}  // namespace KodrinUtil
