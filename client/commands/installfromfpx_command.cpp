// `installfromfpx`: the argument must be a KUID; the download service's install
// (install_from_fpx.h) then runs, and the command succeeds whatever it reports: the log
// shows what happened.
#include "client/commands/install_from_fpx.h"
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

}  // namespace KodrinUtil
