// The download-service roads, waiting for the service client: they do nothing.
#include "client/commands/fpx_commands.h"

namespace KodrinUtil {

bool InstallFromFPX(const KUID&, ResultsLog*) {
    return false;
}

bool ParseFPXArchive(const char*, ResultsLog&) {
    return false;
}

bool DeleteAllFPXAssets(ResultsLog&) {
    return false;
}

}  // namespace KodrinUtil
