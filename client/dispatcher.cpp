// The command table and the dispatch loop. The table is the compare order: the first word
// equal to the lower-cased command word runs. A row may ask for a least argument count;
// with fewer arguments the row is passed over and the search goes on.
//
// The words that need the asset-database daemon, the script compiler or texture
// conversion join the table as those subsystems are built; until then they end in the
// invalid-argument error like any unknown word.
#include "client/dispatcher.h"

#include "client/command_context.h"
#include "client/fixed_commands.h"
#include "foundation/results_log.h"

namespace KodrinUtil {

namespace {

using CommandFunction = int (*)(CommandContext&);

struct CommandWord {
    const char* word;
    int leastArgc;  // the row matches only with at least this many elements
    CommandFunction run;
};

// Compare order of the command words.
const CommandWord kCommandWords[] = {
    {"version", 0, CommandVersion},
    {"installedversionlo", 0, CommandInstalledVersionLo},
    {"installedversionhi", 0, CommandInstalledVersionHi},
    {"installedbuildnumberlo", 0, CommandInstalledBuildNumberLo},
    {"installedbuildnumberhi", 0, CommandInstalledBuildNumberHi},
    {"echo", 0, CommandEcho},
    {"installedversion", 0, CommandInstalledVersion},
    {"installedbuildnumber", 0, CommandInstalledBuildNumber},
};

Kiv::PString LowerElement(int argc, char** argv, int index) {
    if (index >= argc || !argv[index]) return {};
    return Kiv::PString(argv[index]).ToLower();
}

}  // namespace

void AddError(ResultsLog& log, const char* text) {
    log.AddEntry(ResultsLogKind::Error, nullptr, Kiv::String(text));
}

int RunCommand(ResultsLog& log, StartupRecord& record, int argc, char** argv) {
    CommandContext context{log, record, argc, argv, LowerElement(argc, argv, 1),
                           LowerElement(argc, argv, 2)};
    for (const CommandWord& command : kCommandWords) {
        if (argc < command.leastArgc) continue;
        if (context.keyword == Kiv::PString(command.word)) return command.run(context);
    }
    AddError(log, "Invalid argument, please check the help for the list of valid argument\n");
    return -1;
}

}  // namespace KodrinUtil
