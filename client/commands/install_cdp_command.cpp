// installcdp: the daemon installs the archive's assets (request 40) and streams its
// messages into the command's log. The command succeeds only when every asset of the
// archive was installed: the daemon's count is not 0 and its out byte says the install is
// complete; otherwise the daemon's entries say which asset failed and why (an error of our
// own stands in when it gave none). A request the link did not carry names the archive in
// an error. The dispatcher has refused a missing path already.
#include <string>

#include "client/commands/install_archived_asset.h"
#include "client/commands/install_commands.h"
#include "link/kav/kav_client.h"
#include "foundation/results/results_log.h"

namespace KodrinUtil {

int CommandInstallCDP(CommandContext& context) {
    const Kiv::File::Path path = AbsoluteArgumentPath(context.Element(2));
    bool complete = false;
    bool answered = false;
    const int32_t errorsBefore = context.log.ErrorCount();
    const uint32_t installed = KAVClient::InstallArchiveFile(
        Kiv::String(path.View()), kInstallCommitted, &context.log, complete, nullptr, &answered);
    if (!answered) {
        const std::string text =
            "The archive " + std::string(path.View()) + " was not installed: " + kLinkLost;
        AddError(context.log, text.c_str());
        return -1;
    }
    if (installed != 0 && complete) return 0;
    if (context.log.ErrorCount() == errorsBefore) {
        const std::string text = "Not every asset of the archive " + std::string(path.View()) +
                                 " was installed.";
        AddError(context.log, text.c_str());
    }
    return -1;
}

} // namespace KodrinUtil
