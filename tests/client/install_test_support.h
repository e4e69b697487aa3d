// Support of the install command tests: a command line run through the dispatcher, which
// lower-cases the word and its argument and refuses a missing argument, and a log's
// entries as "<kind> <text>" lines.
#pragma once

#include <string>
#include <vector>

#include "client/dispatcher.h"
#include "foundation/results/results_log.h"

namespace install_test {

// Runs "KodrinUtil <word> [<argument>]" and answers the command's result.
inline int Run(const char* word, const char* argument, ResultsLog& log) {
    KodrinUtil::StartupRecord record;
    std::vector<std::string> words = {"KodrinUtil", word};
    if (argument) words.push_back(argument);
    std::vector<char*> argv;
    for (std::string& text : words)
        argv.push_back(text.data());
    return KodrinUtil::RunCommand(log, record, static_cast<int>(argv.size()), argv.data());
}

inline std::vector<std::string> EntryLines(const ResultsLog& log) {
    std::vector<std::string> lines;
    for (const ResultsLogEntry& entry : log.Entries()) {
        lines.push_back(std::to_string(entry.kind) + " " + entry.text.Std());
    }
    return lines;
}

} // namespace install_test
