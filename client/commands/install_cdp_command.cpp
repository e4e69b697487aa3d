// installcdp: the daemon installs the archive's assets (request 40) and streams its
// messages into the command's log; the command succeeds when the daemon's result is not 0.
// The dispatcher has refused a missing path already.
#include "client/commands/install_commands.h"
#include "client/kav/kav_client.h"

namespace KodrinUtil {

namespace {

// Save the configs as "config.chump" and commit the assets.
constexpr int32_t kInstallCommitted = 2;

} // namespace

int CommandInstallCDP(CommandContext& context) {
    const Kiv::File::Path path = AbsoluteArgumentPath(context.argument);
    bool result = false;
    const uint32_t installed = KAVClient::InstallArchiveFile(
        Kiv::String(path.View()), kInstallCommitted, &context.log, result, nullptr);
    return installed != 0 ? 0 : -1;
}

} // namespace KodrinUtil
