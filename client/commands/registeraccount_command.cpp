// `registeraccount`: the online user name and password, as typed, into the daemon's
// "internet" settings soup (read, changed, written back whole, so its other tags stay).
#include <memory>

#include "client/commands/asset_commands.h"
#include "link/kav/kav_client.h"

namespace KodrinUtil {

int CommandRegisterAccount(CommandContext& context) {
    auto settings = std::make_unique<ACSChunkRef>();
    if (!KAVClient::ReadSettings(*settings, "internet")) {
        AddError(context.log, "Unable to read internet settings.");
        return -1;
    }
    settings->SetNamedTagString("username", context.Element(2));
    settings->SetNamedTagString("password", context.Element(3));
    if (!KAVClient::WriteSettingsSoup("internet", std::move(settings))) {
        AddError(context.log, "Unable to write internet settings.");
        return -1;
    }
    return 0;
}

}  // namespace KodrinUtil
