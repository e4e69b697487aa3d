// The texts of the download service's result lines: escaping and KUID lists.
#include <string>

#include "client/commands/fpx_commands.h"

namespace KodrinUtil {

namespace {

bool IsLineBreak(char c) { return c == '\n' || c == '\r'; }

}  // namespace

Kiv::String EscapeText(const char* text) {
    std::string out;
    if (text == nullptr) return Kiv::String();
    for (const char* at = text; *at != '\0'; ++at) {
        if (IsLineBreak(*at)) {
            out += "\\n";
            // The other character of a CR LF or LF CR pair belongs to the same break.
            if (IsLineBreak(at[1]) && at[1] != at[0]) ++at;
            continue;
        }
        if (*at == '\\') out += '\\';
        out += *at;
    }
    return Kiv::String(out);
}

Kiv::PString JoinKUIDTags(const KUIDList& list) {
    std::string out;
    for (const KUID& kuid : list) {
        if (!out.empty()) out += ", ";
        out += kuid.ToTag().View();
    }
    return Kiv::PString(out.c_str());
}

}  // namespace KodrinUtil
