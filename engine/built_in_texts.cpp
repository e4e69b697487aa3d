// Built-in text registry and block reader.
#include "engine/built_in_texts.h"

#include <sstream>

namespace Kiv {

namespace {

std::string Trim(const std::string& line) {
    const size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    const size_t last = line.find_last_not_of(" \t\r");
    return line.substr(first, last - first + 1);
}

}  // namespace

void BuiltInTexts::Register(const std::string& name, const char* text) {
    const std::lock_guard<std::mutex> hold(lock_);
    texts_[name] = text ? text : "";
    ++counts_[name];
}

std::string BuiltInTexts::Get(const std::string& name) const {
    const std::lock_guard<std::mutex> hold(lock_);
    const auto found = texts_.find(name);
    return found == texts_.end() ? std::string() : found->second;
}

int BuiltInTexts::GetRegistrationCount(const std::string& name) const {
    const std::lock_guard<std::mutex> hold(lock_);
    const auto found = counts_.find(name);
    return found == counts_.end() ? 0 : found->second;
}

bool ReadTextBlock(const std::string& text, const std::string& blockName,
                   std::vector<std::string>& lines) {
    std::istringstream in(text);
    std::string line;
    enum { kSeeking, kOpening, kInside } state = kSeeking;
    lines.clear();
    while (std::getline(in, line)) {
        line = Trim(line);
        if (line.empty()) continue;
        if (state == kSeeking) {
            if (line == blockName) state = kOpening;
        } else if (state == kOpening) {
            if (line != "{") return false;
            state = kInside;
        } else if (line == "}") {
            return true;
        } else {
            lines.push_back(line);
        }
    }
    return false;
}

std::vector<std::string> SplitWords(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    std::string word;
    while (in >> word) words.push_back(word);
    return words;
}

}  // namespace Kiv
