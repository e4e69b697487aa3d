// installcdp: the daemon installs the archive's assets (request 40) and streams its
// messages into the command's log; the command succeeds when the daemon's result is not 0.
// A request the link did not carry names the archive in an error. The dispatcher has
// refused a missing path already.
#include <string>

#include "client/commands/install_archived_asset.h"
#include "client/commands/install_commands.h"
#include "link/kav/kav_client.h"

namespace KodrinUtil {

int CommandInstallCDP(CommandContext& context) {
    const Kiv::File::Path path = AbsoluteArgumentPath(context.Element(2));
    bool result = false;
    bool answered = false;
    const uint32_t installed = KAVClient::InstallArchiveFile(
        Kiv::String(path.View()), kInstallCommitted, &context.log, result, nullptr, &answered);
    if (!answered) {
        const std::string text =
            "The archive " + std::string(path.View()) + " was not installed: " + kLinkLost;
        AddError(context.log, text.c_str());
    }
    return installed != 0 ? 0 : -1;
}

} // namespace KodrinUtil
