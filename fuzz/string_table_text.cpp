// String-table texts: an arbitrary table text and up to ten parameters (the input's pieces
// between zero bytes, text first) are expanded and the result escaped into an HTML buffer.
// The expansion ends, puts in nothing but the parameters and the text's own bytes (so with
// empty parameters the text can only shrink), and the escaped text holds no line end and no
// markup character outside its entities.
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "script_natives/html_buffer.h"
#include "script_natives/string_table_text.h"

namespace {

bool EntitiesOnly(std::string_view html) {
    for (size_t at = 0; at < html.size(); ++at) {
        const char c = html[at];
        if (c == '\r' || c == '\n' || c == '>') return false;
        if (c == '<' && html.substr(at, 4) != "<br>") return false;
        if (c == '&' && html.substr(at, 5) != "&amp;" && html.substr(at, 4) != "&lt;" && html.substr(at, 4) != "&gt;")
            return false;
        if (c == '<') at += 3;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t end = input.find('\0');
    const std::string_view text = input.substr(0, end);
    StringTableParameters parameters;
    size_t total = 0;
    for (size_t at = end, i = 0; at != std::string_view::npos && i < parameters.size(); ++i) {
        const size_t next = input.find('\0', at + 1);
        const std::string_view piece = input.substr(at + 1, next == std::string_view::npos ? next : next - at - 1);
        parameters[i] = Kiv::PString(piece);
        total += parameters[i].Length();
        at = next;
    }
    const std::string expanded = ExpandStringTableText(text, parameters);
    fuzz::Require(expanded.size() <= text.size() + total * (text.size() / 2 + 1), "expansion is bounded");
    fuzz::Require(expanded.size() <= text.size() || total > 0, "empty parameters only shrink the text");

    HTMLBuffer buffer;
    buffer.AppendEscaped(expanded);
    const Kiv::PString html = buffer.GetText();
    fuzz::Require(EntitiesOnly(html.View()), "escaped text holds only entities");
    fuzz::Require(buffer.IsEmpty() == expanded.empty(), "escaping some text clears the empty flag");
    return 0;
}
