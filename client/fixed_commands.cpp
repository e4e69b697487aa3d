// The daemon-free commands.
#include "client/fixed_commands.h"

#include <string>

#include "foundation/build_identity.h"
#include "foundation/console/console.h"

namespace KodrinUtil {

using BuildIdentity::kBuildNumber;
using BuildIdentity::kVersion;

int CommandVersion(CommandContext&) {
    PrintConsoleText("Build %d", kBuildNumber);
    return 0;
}

int CommandEcho(CommandContext& context) {
    std::string line;
    for (int i = 2; i < context.argc; ++i) {
        line += context.argv[i] ? context.argv[i] : "";
        line += ' ';
    }
    WriteConsoleText(line);
    return 0;
}

int CommandInstalledVersion(CommandContext&) { return kVersion; }
int CommandInstalledVersionLo(CommandContext&) { return kVersion & 0xFF; }
int CommandInstalledVersionHi(CommandContext&) { return (kVersion >> 8) & 0xFF; }
int CommandInstalledBuildNumber(CommandContext&) { return kBuildNumber; }
int CommandInstalledBuildNumberLo(CommandContext&) { return kBuildNumber & 0xFF; }
int CommandInstalledBuildNumberHi(CommandContext&) { return (kBuildNumber >> 8) & 0xFF; }

}  // namespace KodrinUtil
