// `installfromfpx`, `fpxparse` and `fpxdeleteall`: the argument checks of the download
// service's words. Installing from the service succeeds once the KUID parsed; what the
// installation did is in the log.
#include "client/commands/fpx_commands.h"
#include "client/commands/road_commands.h"

namespace KodrinUtil {

int CommandInstallFromFPX(CommandContext& context) {
    const KUID kuid = context.ArgumentKUID();
    if (kuid.IsNull()) {
        AddError(context.log, "Missing AssetID parameter.");
        return -1;
    }
    InstallFromFPX(kuid, &context.log);
    return 0;
}

int CommandFPXParse(CommandContext& context) {
    return ParseFPXArchive(context.Element(2), context.log) ? 0 : -1;
}

int CommandFPXDeleteAll(CommandContext& context) {
    return DeleteAllFPXAssets(context.log) ? 0 : -1;
}

}  // namespace KodrinUtil
