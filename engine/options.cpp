// Option text parsing of Kiv::Options.
#include "engine/options.h"

#include "engine/ascii.h"

namespace Kiv {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

void Options::ProcessRaw(const char* text) {
    std::string_view rest(text ? text : "");
    size_t position = 0;
    while (position < rest.size()) {
        while (position < rest.size() && IsBlank(rest[position])) ++position;
        std::string word;
        bool quoted = false;
        for (; position < rest.size() && (quoted || !IsBlank(rest[position])); ++position) {
            if (rest[position] == '"') {
                quoted = !quoted;
            } else {
                word += rest[position];
            }
        }
        Add(word);
    }
}

void Options::Add(std::string_view word) {
    if (word.size() < 2 || word[0] != '-') return;
    word.remove_prefix(1);
    size_t equals = word.find('=');
    std::string_view name = word.substr(0, equals);
    std::string_view value = equals == std::string_view::npos ? "" : word.substr(equals + 1);
    if (name.empty()) return;
    for (Option& option : options_) {
        if (!Ascii::EqualsIgnoreCase(option.name, name)) continue;
        option.value = value;
        return;
    }
    options_.push_back({std::string(name), std::string(value)});
}

const Options::Option* Options::Find(const char* name) const {
    std::string_view wanted(name ? name : "");
    if (!wanted.empty() && wanted[0] == '-') wanted.remove_prefix(1);
    for (const Option& option : options_)
        if (Ascii::EqualsIgnoreCase(option.name, wanted)) return &option;
    return nullptr;
}

bool Options::Has(const char* name) const { return Find(name) != nullptr; }

const char* Options::Get(const char* name) const {
    const Option* option = Find(name);
    return option ? option->value.c_str() : nullptr;
}

}  // namespace Kiv
