// Kiv::Options: the engine's option text ("-NullRender -LogFile=/dev/null -render=OpenGL")
// parsed into flags and values. Words are separated by blanks; a double-quoted part may hold
// blanks ("-LogFile=\"my logs/a.txt\""). Words that do not begin with "-" are not options and
// are skipped. Names ignore ASCII case; a later option of the same name replaces the value.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace Kiv {

class Options {
public:
    void ProcessRaw(const char* text);
    // name with or without its leading "-".
    bool Has(const char* name) const;
    // The value after "="; "" for a flag without one; null when the option is absent.
    const char* Get(const char* name) const;

private:
    struct Option {
        std::string name;
        std::string value;
    };
    const Option* Find(const char* name) const;
    void Add(std::string_view word);

    std::vector<Option> options_;
};

}  // namespace Kiv
