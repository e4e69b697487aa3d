// The dispatcher's words whose work is done by a road of its own: the daemon link's close
// and command host, texture conversion, the download service, keywords and consists.
// These functions check the arguments and translate the road's answer into the process
// result (0 success, -1 failure unless noted).
#pragma once

#include "client/command_context.h"
#include "engine/file_path.h"

namespace KodrinUtil {

int CommandCloseKAVDaemon(CommandContext& context);   // always 0
int CommandKAVCommandHost(CommandContext& context);   // 0 once the host returns
int CommandCompressTexture(CommandContext& context);
int CommandInstallFromFPX(CommandContext& context);   // 0 once the KUID parsed
int CommandImportConsists(CommandContext& context);
int CommandFPXParse(CommandContext& context);
int CommandFPXDeleteAll(CommandContext& context);
int CommandBackupKeywords(CommandContext& context);
int CommandImportKeywords(CommandContext& context);

// The folder compresstexture works on: a drive-qualified path ("c:\...") or an absolute
// path as given, anything else below the current working folder, normalised.
Kiv::File::Path CompressTexturePath(const char* argument);

}  // namespace KodrinUtil
