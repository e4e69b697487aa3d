// The parameter expansion of string-table texts.
#include "script_natives/string_table_text.h"

std::string ExpandStringTableText(std::string_view text, const StringTableParameters& parameters) {
    std::string out(text);
    size_t at = 0;
    while ((at = out.find('$', at)) != std::string::npos && at + 1 < out.size()) {
        const char next = out[at + 1];
        if (next == '$') {
            out.erase(at, 1);
            at += 1;
        } else if (next >= '0' && next <= '9') {
            const std::string_view parameter = parameters[static_cast<size_t>(next - '0')].View();
            out.replace(at, 2, parameter);
            at += parameter.size();
        } else {
            at += 1;
        }
    }
    return out;
}
