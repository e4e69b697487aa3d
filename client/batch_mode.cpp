// Batch mode: every line of a text file runs as one command with its own results log,
// printed right after it, followed by an empty line. A line that holds no text runs nothing,
// and the part of a line beyond the 512-byte line buffer is dropped, never run as a line of
// its own. A line with a double quote left open does not run: an error names the line,
// since running it without the open argument could do what the user never asked. A batch
// file that does not exist is named in a printed results log as well as on standard error.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "client/batch_tokenizer.h"
#include "client/kodrin_util.h"
#include "engine/file.h"
#include "foundation/console/console.h"
#include "foundation/results/results_log.h"

namespace KodrinUtil {

namespace {

constexpr size_t kLineBuffer = 512;

// One line of at most 511 bytes; when the line was longer, the rest is read and dropped.
std::string ReadBatchLine(Kiv::File& file) {
    char buffer[kLineBuffer];
    size_t length = file.ReadLine(buffer, sizeof buffer);
    std::string line(buffer, length);
    bool cut = length == kLineBuffer - 1 && buffer[length - 1] != '\n';
    while (cut && !file.Eof()) {
        size_t more = file.ReadLine(buffer, sizeof buffer);
        cut = more > 0 && buffer[more - 1] != '\n';
    }
    return line;
}

// Prints a results log holding the one error, as a command's log is printed.
void PrintError(const std::string& text) {
    ResultsLog log;
    log.AddEntry(ResultsLogKind::Error, nullptr, Kiv::String(text));
    PrintResults(log);
}

int RunBatchLine(StartupRecord& record, const char* programPath, const std::string& line,
                 int lineNumber) {
    std::string text = StripBatchLineBreaks(line);
    bool openQuote = false;
    std::vector<std::string> tokens = TokenizeBatchLine(text, &openQuote);
    if (IsEmptyBatchLine(text, tokens)) return 0;
    if (openQuote) {
        PrintError("Line " + std::to_string(lineNumber) +
                   " of the batch file was not run: a double quote is not closed: " + text);
        WriteConsoleText("");
        return -1;
    }

    std::vector<char*> argv{const_cast<char*>(programPath)};
    for (std::string& token : tokens) argv.push_back(token.data());
    argv.push_back(nullptr);

    ResultsLog log;
    int result = RunCommandGuarded(log, record, static_cast<int>(argv.size() - 1), argv.data());
    PrintResults(log);
    WriteConsoleText("");
    return result;
}

}  // namespace

bool RunBatch(StartupRecord& record, const char* programPath, const char* fileName,
              int& result) {
    if (!Kiv::File::Exists(fileName)) {
        std::fprintf(stderr,
                     "-The file \"%s\" does not exist, please specify a valid filename\n",
                     fileName);
        std::fflush(stderr);
        PrintError("The batch file \"" + std::string(fileName) + "\" does not exist.");
        return false;
    }
    Kiv::File file;
    file.Open(fileName, Kiv::File::kOpenRead);
    result = 0;
    int lineNumber = 0;
    do {
        if (RunBatchLine(record, programPath, ReadBatchLine(file), ++lineNumber) != 0) result = -1;
    } while (!file.Eof());
    file.Close();
    return true;
}

}  // namespace KodrinUtil
