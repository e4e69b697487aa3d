// `setlanguage`: the interface language for the next start of the tool, stored with the
// daemon's settings as the lower-cased code under "internet" / "language".
#include "client/commands/asset_commands.h"
#include "link/kav/kav_client.h"

namespace KodrinUtil {

namespace {

// The language codes the tool accepts, compared without regard to case.
const char* const kLanguageCodes[] = {"US", "UK", "CN", "CZ", "NL", "FR", "DE",
                                      "IT", "KR", "PL", "RU", "ES", "HU"};

bool IsKnownLanguage(const Kiv::PString& code) {
    for (const char* known : kLanguageCodes)
        if (code.EqualsIgnoreCase(known)) return true;
    return false;
}

}  // namespace

int CommandSetLanguage(CommandContext& context) {
    if (!IsKnownLanguage(context.argument)) {
        AddError(context.log, "Unknown language code.");
        return -1;
    }
    KAVClient::WriteSetting("internet", "language", context.argument);
    return 0;
}

}  // namespace KodrinUtil
