// Parsing the configuration text and reading its values.
#include "engine/config_parser.h"

#include <charconv>
#include <fstream>
#include <iterator>

#include "engine/ascii.h"

namespace Kiv {

namespace {

std::string_view Trim(std::string_view s) {
    const size_t first = s.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) return {};
    const size_t last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') return value.substr(1, value.size() - 2);
    return value;
}

bool ParseFloat(std::string_view word, float& value) {
    if (!word.empty() && word.front() == '+') word.remove_prefix(1);
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    return error == std::errc() && end == word.data() + word.size();
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (Ascii::ToLower(a[i]) != Ascii::ToLower(b[i])) return false;
    }
    return true;
}

}  // namespace

const ConfigData& ConfigData::Missing() {
    static const ConfigData missing;
    return missing;
}

size_t ConfigData::Count(std::string_view name) const {
    size_t count = 0;
    for (const auto& child : children_) count += child->name_.View() == name ? 1 : 0;
    return count;
}

const ConfigData& ConfigData::Get(std::string_view name, size_t index) const {
    for (const auto& child : children_) {
        if (child->name_.View() != name) continue;
        if (index == 0) return *child;
        --index;
    }
    return Missing();
}

float ConfigData::AsFloat(float fallback) const {
    float value = 0;
    return ParseFloat(Trim(text_), value) ? value : fallback;
}

bool ConfigData::AsFloats(std::vector<float>& values) const {
    values.clear();
    std::string_view rest = text_;
    while (!(rest = Trim(rest)).empty()) {
        const size_t space = rest.find_first_of(" \t");
        float value = 0;
        if (!ParseFloat(rest.substr(0, space), value)) return false;
        values.push_back(value);
        rest = space == std::string_view::npos ? std::string_view() : rest.substr(space);
    }
    return true;
}

bool ConfigData::AsBool(bool fallback) const {
    const std::string_view v = Trim(text_);
    for (const char* yes : {"1", "true", "yes"}) {
        if (EqualsNoCase(v, yes)) return true;
    }
    for (const char* no : {"0", "false", "no"}) {
        if (EqualsNoCase(v, no)) return false;
    }
    return fallback;
}

int ConfigParser::ParseFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return kUnreadable;
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return kUnreadable;
    return ParseText(text);
}

int ConfigParser::ParseText(std::string_view text) {
    root_.reset();
    version_ = 0;
    errorLine_ = 0;
    auto root = std::make_unique<ConfigData>();
    std::vector<ConfigData*> open = {root.get()};
    bool versionSeen = false;
    int line = 0;
    while (!text.empty()) {
        const size_t newline = text.find('\n');
        const std::string_view raw = text.substr(0, newline);
        text = newline == std::string_view::npos ? std::string_view() : text.substr(newline + 1);
        ++line;
        const std::string_view content = Trim(raw);
        if (content.empty() || content.front() == '#') continue;
        const size_t space = content.find_first_of(" \t");
        const std::string_view key = content.substr(0, space);
        const std::string_view value = space == std::string_view::npos ? std::string_view() : Trim(content.substr(space));
        errorLine_ = line;
        if (!versionSeen) {
            int version = 0;
            const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), version);
            if (key != "version" || error != std::errc() || end != value.data() + value.size() || version < 1) {
                return kVersion;
            }
            version_ = version;
            versionSeen = true;
            continue;
        }
        if (key == "}") {
            if (open.size() == 1 || !value.empty()) return kSyntax;
            open.pop_back();
            continue;
        }
        auto item = std::make_unique<ConfigData>();
        item->name_ = PString(key);
        ConfigData* added = item.get();
        if (value == "{" || (value.size() > 2 && value.back() == '{' && (value[value.size() - 2] == ' ' || value[value.size() - 2] == '\t'))) {
            if (open.size() > kMaxDepth) return kSyntax;
            item->text_ = std::string(Unquote(Trim(value.substr(0, value.size() - 1))));
            open.back()->children_.push_back(std::move(item));
            open.push_back(added);
            continue;
        }
        item->text_ = std::string(Unquote(value));
        open.back()->children_.push_back(std::move(item));
    }
    errorLine_ = line;
    if (!versionSeen) return kVersion;
    if (open.size() != 1) return kSyntax;
    errorLine_ = 0;
    root_ = std::move(root);
    return kOk;
}

}  // namespace Kiv
