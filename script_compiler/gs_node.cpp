// The display names of the type and operator codes of syntax-tree nodes.
#include "script_compiler/gs_node.h"

#include <array>

namespace {

constexpr std::array<const char*, 14> kTypeNames = {
    "void", "bool", "int", "float", "string", "object", "void[]",
    "bool[]", "int[]", "float[]", "string[]", "object[]", "", "null",
};

constexpr std::array<const char*, 35> kOperatorNames = {
    "--", "++", ".", "+", "-", "!", "~", "--", "++", "[,]", "[]", "()", "*", "/", "%", "+", "-",
    "<<", ">>", "<", ">", "<=", ">=", "==", "!=", "&", "^", "|", "and", "or", "=", "size",
    "isclass", "copy", "new",
};

}  // namespace

const char* GSTypeName(int32_t code) {
    if (code < 0 || code >= static_cast<int32_t>(kTypeNames.size())) return "illegal type";
    return kTypeNames[code];
}

const char* GSOperatorName(int32_t code) {
    if (code < 0 || code >= static_cast<int32_t>(kOperatorNames.size())) return "";
    return kOperatorNames[code];
}

GSCNode* GSLastOf(GSCNode* node) {
    while (node && node->next) node = node->next;
    return node;
}
