// `importconsists`: the consist list is read in the working folder the process started in
// and must load; the import itself is a road not built yet (unbuilt_roads.h).
#include "client/commands/road_commands.h"
#include "client/commands/startup_folder_scope.h"
#include "client/commands/unbuilt_roads.h"
#include "foundation/soup/chunk_ref.h"

namespace KodrinUtil {

int CommandImportConsists(CommandContext& context) {
    StartupFolderScope folder;
    ACSChunkRef list;
    if (!list.LoadFromFile(nullptr, context.Element(2), nullptr, false)) {
        AddError(context.log, "Invalid input path.");
        return -1;
    }
    return CommandUnbuiltRoad(context);
}

}  // namespace KodrinUtil
