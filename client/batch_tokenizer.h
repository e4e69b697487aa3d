// Cutting one batch-file line into arguments. A working line is the text with a blank in
// front (unless it starts with one) and a blank at the end; arguments are separated by
// blanks, double quotes hold an argument with blanks, and two adjacent blanks give an empty
// argument between them. A quoted token still open at the end of the line is dropped, and
// the caller is told so: such a line must not run with an argument missing.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace KodrinUtil {

// Removes the line-break characters of a line read from a batch file (every carriage return
// or line feed after the first character becomes the end of the text).
std::string StripBatchLineBreaks(std::string_view line);

// The tokens of the line; openQuote, when given, tells whether a double quote was left
// without its closing one.
std::vector<std::string> TokenizeBatchLine(std::string_view text, bool* openQuote = nullptr);

// True when a tokenised line runs nothing: its last token begins with a carriage return,
// a line feed or a blank, or the line holds no text at all.
bool IsEmptyBatchLine(std::string_view text, const std::vector<std::string>& tokens);

}  // namespace KodrinUtil
