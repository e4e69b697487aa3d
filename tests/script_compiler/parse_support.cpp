// Parsing into a test arena and the text form of syntax trees (see parse_support.h).
#include "parse_support.h"

#include <cstdio>
#include <sstream>

#include "script_compiler/gs_parser_actions.h"

namespace {

const char* const kDeclarationNames[] = {"function", "prototype", "include", "class", "vars",
                                         "declarator", "type", "param", "name"};
const char* const kStatementNames[] = {"return", "break", "continue", "goto", "for",
                                       "while", "switch", "if", "default", "case",
                                       "label", "block", "wait", "on"};
const char* const kExpressionNames[] = {"op", "const", "id", "call", "member", "me", "null", "seq"};

const char* const kFlagNames[] = {"public", "native", "static", "final", "thread", "0x20",
                                  "game", "define", "secured"};

std::string OperatorText(int32_t code) {
    switch (code) {
        case GS_OP_POST_DEC: return "post--";
        case GS_OP_POST_INC: return "post++";
        case GS_OP_PLUS: return "unary+";
        case GS_OP_NEGATE: return "unary-";
        case GS_OP_PRE_DEC: return "pre--";
        case GS_OP_PRE_INC: return "pre++";
        default: return GSOperatorName(code);
    }
}

std::string Quoted(const char* text) {
    std::string out = "\"";
    for (const char* p = text; *p; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += *p;
        } else if (c < 0x20 || c >= 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            out += escaped;
        } else {
            out += *p;
        }
    }
    return out + "\"";
}

std::string ConstantText(const GSCNode& node) {
    switch (node.sub) {
        case GS_CONST_BOOL: return node.value.integer ? "true" : "false";
        case GS_CONST_INT: return std::to_string(node.value.integer);
        case GS_CONST_FLOAT: {
            char text[64];
            std::snprintf(text, sizeof text, "%.9gf", static_cast<double>(node.value.real));
            return text;
        }
        default: return Quoted(node.value.text);
    }
}

std::string Label(const GSCNode& node) {
    switch (node.category) {
        case GS_DECLARATION:
            if (node.kind == GS_DECL_NAME) return std::string("name:") + node.value.text;
            if (node.kind == GS_DECL_TYPE) return std::string("type:") + GSTypeName(node.sub);
            return kDeclarationNames[node.kind];
        case GS_STATEMENT:
            return kStatementNames[node.kind];
        default:
            if (node.kind == GS_EXPR_OPERATOR) return "op:" + OperatorText(node.sub);
            if (node.kind == GS_EXPR_CONSTANT) return ConstantText(node);
            if (node.kind == GS_EXPR_IDENTIFIER || node.kind == GS_EXPR_MEMBER)
                return std::string(kExpressionNames[node.kind]) + ":" + node.value.text;
            return kExpressionNames[node.kind];
    }
}

std::string Flags(uint32_t flags) {
    std::vector<std::string> names;
    for (int bit = 0; bit < 9; ++bit)
        if (flags & (1u << bit)) names.push_back(kFlagNames[bit]);
    if (flags & GS_FLAG_MEMBER) names.push_back("member");
    if (flags & GS_FLAG_BODY) names.push_back("body");
    if (flags & GS_FLAG_DISCARD) names.push_back("d");
    if (names.empty()) return "";
    std::string text = "{";
    for (size_t i = 0; i < names.size(); ++i) text += (i ? "," : "") + names[i];
    return text + "}";
}

std::string DumpNode(const GSCNode& node) {
    std::string text = Label(node) + Flags(node.flags);
    int last = 3;
    while (last >= 0 && !node.child[last]) --last;
    if (last < 0) return text;
    text += "(";
    for (int i = 0; i <= last; ++i) {
        if (i) text += ", ";
        text += node.child[i] ? DumpChain(node.child[i]) : "-";
    }
    return text + ")";
}

}  // namespace

std::string DumpChain(const GSCNode* node) {
    if (!node) return "-";
    if (!node->next) return DumpNode(*node);
    std::string text = "[";
    for (const GSCNode* element = node; element; element = element->next)
        text += (element == node ? "" : "; ") + DumpNode(*element);
    return text + "]";
}

std::vector<std::string> TakeMessages(GSCompileLog& log) {
    std::vector<std::string> messages;
    std::string message;
    while (log.Take(message)) messages.push_back(message);
    return messages;
}

std::unique_ptr<ParsedText> ParseText(const std::string& text) {
    auto parsed = std::make_unique<ParsedText>();
    parsed->arena->Reset(nullptr, &parsed->log);
    parsed->arena->fileName = "test.gs";
    std::istringstream input(text);
    parsed->result = GSScanAndParse(*parsed->arena, input);
    parsed->messages = TakeMessages(parsed->log);
    return parsed;
}
