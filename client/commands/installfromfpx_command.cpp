// `installfromfpx`: the argument must be a KUID; the installation from the download
// service is a road not built yet (unbuilt_roads.h).
#include "client/commands/road_commands.h"
#include "client/commands/unbuilt_roads.h"

namespace KodrinUtil {

int CommandInstallFromFPX(CommandContext& context) {
    if (context.ArgumentKUID().IsNull()) {
        AddError(context.log, "Missing AssetID parameter.");
        return -1;
    }
    return CommandUnbuiltRoad(context);
}

}  // namespace KodrinUtil
