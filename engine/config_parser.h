// Kiv::ConfigParser and Kiv::ConfigData: the engine's small configuration text, a version
// line and then a tree of named items that may repeat (engine/README.md shows the form):
//
//   version 1
//   position 0 1.5 0
//   chunk {
//       name "body paint"
//   }
//
// A value is the rest of its line (quotes around it removed), read as a float, a bool, an
// interned or an owned text. Asking for an item that is not there gives the missing-item
// marker, whose values are the fallbacks. Blocks nest at most 512 deep. Parse results: 0
// parsed, 2 unreadable, 3 syntax, 4 no or bad version line, 1 anything else.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/pstring.h"

namespace Kiv {

class ConfigData {
public:
    // The node every absent item gives.
    static const ConfigData& Missing();
    bool IsMissing() const { return this == &Missing(); }

    const PString& GetName() const { return name_; }
    size_t Count(std::string_view name) const;
    // The index-th item of that name, or Missing().
    const ConfigData& Get(std::string_view name, size_t index = 0) const;
    const std::vector<std::unique_ptr<ConfigData>>& GetChildren() const { return children_; }

    float AsFloat(float fallback = 0) const;
    // The value's numbers, separated by spaces; false when a word is not a number.
    bool AsFloats(std::vector<float>& values) const;
    // "1", "true", "yes" and "0", "false", "no" (any case); else the fallback.
    bool AsBool(bool fallback = false) const;
    PString AsPString() const { return PString(text_); }
    const std::string& AsText() const { return text_; }

private:
    friend class ConfigParser;
    PString name_;
    std::string text_;
    std::vector<std::unique_ptr<ConfigData>> children_;
};

class ConfigParser {
public:
    enum Result : int { kOk = 0, kOther = 1, kUnreadable = 2, kSyntax = 3, kVersion = 4 };
    static constexpr int kMaxDepth = 512;

    int ParseText(std::string_view text);
    int ParseFile(const char* path);
    int GetVersion() const { return version_; }
    // The line of the first fault (1-based), 0 when none.
    int GetErrorLine() const { return errorLine_; }
    // The parsed tree; null before a successful parse.
    const ConfigData* GetRoot() const { return root_.get(); }

private:
    std::unique_ptr<ConfigData> root_;
    int version_ = 0;
    int errorLine_ = 0;
};

}  // namespace Kiv
