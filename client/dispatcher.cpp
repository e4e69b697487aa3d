// The command table and the dispatch loop. The table is the compare order: the first word
// equal to the lower-cased command word runs. A row may ask for a least argument count;
// with fewer arguments the row is passed over and the search goes on. A row may name the
// error for a missing argument: the dispatcher then adds it and answers -1 before the
// command runs, so no command is reached without its required argument. Every other check
// lives in its command.
#include "client/dispatcher.h"

#include "client/command_context.h"
#include "client/commands/asset_commands.h"
#include "client/commands/database_commands.h"
#include "client/commands/fpx_commands.h"
#include "client/commands/install_commands.h"
#include "client/commands/road_commands.h"
#include "client/commands/script_commands.h"
#include "client/fixed_commands.h"
#include "foundation/results/results_log.h"

namespace KodrinUtil {

namespace {

using CommandFunction = int (*)(CommandContext&);

struct CommandWord {
    const char* word;
    int leastArgc;              // the row matches only with at least this many elements
    const char* missingError;   // the error when the argument is missing; null: optional
    CommandFunction run;
};

constexpr const char* kMissingAssetID = "Missing AssetID parameter.";
constexpr const char* kMissingPath = "Missing input path parameter.";
constexpr const char* kInvalidFilePath = "Invalid file path.";

// Compare order of the command words.
const CommandWord kCommandWords[] = {
    {"version", 0, nullptr, CommandVersion},
    {"installedversionlo", 0, nullptr, CommandInstalledVersionLo},
    {"installedversionhi", 0, nullptr, CommandInstalledVersionHi},
    {"installedbuildnumberlo", 0, nullptr, CommandInstalledBuildNumberLo},
    {"installedbuildnumberhi", 0, nullptr, CommandInstalledBuildNumberHi},
    {"echo", 0, nullptr, CommandEcho},
    {"installedversion", 0, nullptr, CommandInstalledVersion},
    {"installedbuildnumber", 0, nullptr, CommandInstalledBuildNumber},
    {"setlanguage", 0, "Missing input langauge id parameter.", CommandSetLanguage},
    {"registeraccount", 4, nullptr, CommandRegisterAccount},
    {"closekavdaemon", 0, nullptr, CommandCloseKAVDaemon},
    {"installcdp", 0, "Missing input filepath parameter.", CommandInstallCDP},
    {"installfrompath", 0, kMissingPath, CommandInstallFromPath},
    {"installfromfpx", 0, nullptr, CommandInstallFromFPX},
    {"importconsists", 0, kMissingPath, CommandImportConsists},
    {"edit", 0, kMissingAssetID, CommandEdit},
    {"printconfig", 0, kMissingAssetID, CommandPrintConfig},
    {"compile", 0, kInvalidFilePath, CommandCompile},
    {"kavcommandhost", 0, nullptr, CommandKAVCommandHost},
    {"encrypt", 0, kInvalidFilePath, CommandEncrypt},
    {"listbuilds", 0, "Missing path parameter.", CommandListBuilds},
    {"commit", 0, kMissingAssetID, CommandCommit},
    {"revert", 0, kMissingAssetID, CommandRevert},
    {"delete", 0, kMissingAssetID, CommandDelete},
    {"generatekuid", 0, nullptr, CommandGenerateKUID},
    {"repairdatabase", 0, nullptr, CommandRepairDatabase},
    {"compresstexture", 0, kMissingAssetID, CommandCompressTexture},
    {"authors", 0, nullptr, CommandAuthors},
    {"searchbycategory", 0, nullptr, CommandSearchByCategory},
    {"status", 0, kMissingAssetID, CommandStatus},
    {"validate", 0, kMissingAssetID, CommandValidate},
    {"createcdp", 0, "Missing output path parameter.", CommandCreateCDP},
    {"fpxparse", 0, "Missing CDP filepath.", CommandFPXParse},
    {"fpxdeleteall", 0, nullptr, CommandFPXDeleteAll},
    {"backupkeywords", 0, nullptr, CommandBackupKeywords},
    {"importkeywords", 0, nullptr, CommandImportKeywords},
};

Kiv::PString LowerElement(int argc, char** argv, int index) {
    if (index >= argc || !argv[index]) return {};
    return Kiv::PString(argv[index]).ToLower();
}

int RunWord(const CommandWord& command, CommandContext& context) {
    if (command.missingError && context.ArgumentMissing()) {
        AddError(context.log, command.missingError);
        return -1;
    }
    return command.run(context);
}

}  // namespace

int RunCommand(ResultsLog& log, StartupRecord& record, int argc, char** argv) {
    CommandContext context{log, record, argc, argv, LowerElement(argc, argv, 1),
                           LowerElement(argc, argv, 2)};
    for (const CommandWord& command : kCommandWords) {
        if (argc < command.leastArgc) continue;
        if (context.keyword == Kiv::PString(command.word)) return RunWord(command, context);
    }
    AddError(log, "Invalid argument, please check the help for the list of valid argument\n");
    return -1;
}

}  // namespace KodrinUtil
