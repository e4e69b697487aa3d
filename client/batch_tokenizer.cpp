// The batch-line tokenizer: a single scan with a start index and an inside-quotes flag.
#include "client/batch_tokenizer.h"

namespace KodrinUtil {

std::string StripBatchLineBreaks(std::string_view line) {
    // The first character is never examined, so a line that is only a line break keeps it
    // and is then skipped by IsEmptyBatchLine.
    return std::string(line.substr(0, line.find_first_of("\r\n", 1)));
}

std::vector<std::string> TokenizeBatchLine(std::string_view text, bool* openQuote) {
    std::string line;
    if (text.empty() || text[0] != ' ') line += ' ';
    line += text;
    line += ' ';

    std::vector<std::string> tokens;
    constexpr size_t kNone = std::string::npos;
    size_t start = kNone;
    bool inQuotes = false;
    for (size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (c == '"' && !inQuotes) {
            start = i + 1;
            inQuotes = true;
        } else if (c == '"') {
            tokens.emplace_back(line.substr(start, i - start));
            inQuotes = false;
            start = kNone;
        } else if (c == ' ' && !inQuotes && start == kNone) {
            start = i + 1;
        } else if (c == ' ' && !inQuotes) {
            tokens.emplace_back(line.substr(start, i - start));
            start = i + 1;  // the same blank opens the next token
        }
    }
    if (openQuote) *openQuote = inQuotes;
    return tokens;
}

bool IsEmptyBatchLine(std::string_view text, const std::vector<std::string>& tokens) {
    if (text.find_first_not_of(" \r\n") == std::string_view::npos) return true;
    if (tokens.empty()) return false;
    const std::string& last = tokens.back();
    return !last.empty() && (last[0] == '\r' || last[0] == '\n' || last[0] == ' ');
}

}  // namespace KodrinUtil
