// `generatekuid`: a new KUID in the local user's range, printed in the three-number form
// whatever its version. The line is printed also when the daemon gave the null KUID.
#include <cstdint>

#include "client/commands/asset_commands.h"
#include "link/kav/kav_client.h"
#include "foundation/console/console.h"

namespace KodrinUtil {

int CommandGenerateKUID(CommandContext&) {
    const KUID kuid = KAVClient::GenerateKUID();
    PrintConsoleText("<KUID2:%d:%u:%u>", kuid.userId, static_cast<uint32_t>(kuid.contentId),
                     static_cast<uint32_t>(kuid.version));
    return kuid.IsNull() ? -1 : 0;
}

}  // namespace KodrinUtil
