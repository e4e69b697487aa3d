// Support of the install command tests: a command run with a hand-made context (the word
// and its argument lower-cased as the dispatcher hands them over), and a log's entries as
// "<kind> <text>" lines.
#pragma once

#include <string>
#include <vector>

#include "client/command_context.h"
#include "foundation/results_log.h"

namespace install_test {

using Command = int (*)(KodrinUtil::CommandContext&);

// Runs the command as the dispatcher would for "KodrinUtil <word> [<argument>]".
inline int RunCommand(Command command, const char* word, const char* argument, ResultsLog& log) {
    KodrinUtil::StartupRecord record;
    std::vector<std::string> words = {"KodrinUtil", word};
    if (argument) words.push_back(argument);
    std::vector<char*> argv;
    for (std::string& text : words)
        argv.push_back(text.data());
    KodrinUtil::CommandContext context{log,
                                       record,
                                       static_cast<int>(argv.size()),
                                       argv.data(),
                                       Kiv::PString(word).ToLower(),
                                       argument ? Kiv::PString(argument).ToLower()
                                                : Kiv::PString()};
    return command(context);
}

inline std::vector<std::string> EntryLines(const ResultsLog& log) {
    std::vector<std::string> lines;
    for (const ResultsLogEntry& entry : log.Entries()) {
        lines.push_back(std::to_string(entry.kind) + " " + entry.text.Std());
    }
    return lines;
}

} // namespace install_test
