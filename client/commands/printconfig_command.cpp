// `printconfig`: an asset's config soup in its text form between a start and an end line.
#include <string>

#include "client/commands/asset_commands.h"
#include "link/kav/kav_client.h"
#include "foundation/console/console.h"

namespace KodrinUtil {

namespace {

void WriteDumpLine(const char* what, const KUID& kuid) {
    std::string line = what;
    line += kuid.ToTag().View();
    line += " dump";
    WriteConsoleText(line);
}

}  // namespace

int CommandPrintConfig(CommandContext& context) {
    const KUID kuid = context.ArgumentKUID();
    const ACSChunkRef soup = KAVClient::GetAssetConfig(kuid, 0);
    if (soup.IsNull()) {
        AddAssetError(context.log, kuid, "Asset is not local.");
        return -1;
    }
    WriteDumpLine("+ Start of ", kuid);
    soup.Print();
    WriteDumpLine("+ End of ", kuid);
    return 0;
}

}  // namespace KodrinUtil
