// The registry behind the program managers' built-in texts: texts filed by name, with a
// count of registrations per name, and the reader of one named "{ }" block of such a text.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace Kiv {

class BuiltInTexts {
public:
    void Register(const std::string& name, const char* text);
    std::string Get(const std::string& name) const;
    int GetRegistrationCount(const std::string& name) const;

private:
    mutable std::mutex lock_;
    std::map<std::string, std::string> texts_;
    std::map<std::string, int> counts_;
};

// The trimmed, non-empty lines between a line reading blockName, the "{" line after it and
// the first "}" line; false when the text has no such complete block.
bool ReadTextBlock(const std::string& text, const std::string& blockName,
                   std::vector<std::string>& lines);

// The blank-separated words of a line.
std::vector<std::string> SplitWords(const std::string& line);

}  // namespace Kiv
