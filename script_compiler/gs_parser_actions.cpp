// The grammar's actions: nodes in the current arena stamped with the scanner's current
// line, list linking, literal conversion, and the parser's token source and messages.
#include "script_compiler/gs_parser_actions.h"

#include <cctype>
#include <string>

#include "script_compiler/compile_arena.h"
#include "script_compiler/gs_compiler.h"
#include "script_compiler/gs_literals.h"
#include "script_compiler/gs_scanner.h"
#include "gs_parser.hpp"

namespace {

std::string scannerError;
bool scannerFailed = false;

CompileArena& Arena() {
    return *GSCompiler::CurrentArena();
}

int Line() {
    const GSScanner* scanner = GSCompiler::CurrentScanner();
    return scanner ? scanner->lineno() : 0;
}

const char* TokenText() {
    return GSCompiler::CurrentScanner()->YYText();
}

GSCNode* Node(int32_t category, int32_t kind, int32_t sub) {
    return GSCompiler::NewNode(Arena(), category, kind, Line(), sub);
}

GSCNode* WithChildren(GSCNode* node, GSCNode* child0, GSCNode* child1, GSCNode* child2 = nullptr,
                      GSCNode* child3 = nullptr) {
    node->child[0] = child0;
    node->child[1] = child1;
    node->child[2] = child2;
    node->child[3] = child3;
    return node;
}

GSCNode* Constant(int32_t type) {
    return Node(GS_EXPRESSION, GS_EXPR_CONSTANT, type);
}

}  // namespace

int GSParserLex() {
    try {
        return GSCompiler::CurrentScanner()->yylex();
    } catch (const GSScannerError& error) {
        scannerError = error.what();
        scannerFailed = true;
        return GS_error;
    }
}

void GSParserError(const char* message) {
    const std::string text(message);
    const char* reported = text == "memory exhausted" ? "parser stack overflow" : "parse error";
    if (GSCompiler::CurrentScanner())
        GSCompiler::ReportError(Arena(), false, false, Line(), "%s, line %d", reported, Line());
    else
        GSCompiler::Message(Arena(), "%s", reported);
}

bool GSTakeScannerError(CompileArena& arena) {
    if (!scannerFailed) return false;
    scannerFailed = false;
    GSCompiler::ReportError(arena, true, false, Line(), "%s", scannerError.c_str());
    return true;
}

GSCNode* GSDecl(int32_t kind, int32_t sub, GSCNode* child0, GSCNode* child1) {
    return WithChildren(Node(GS_DECLARATION, kind, sub), child0, child1);
}

GSCNode* GSStmt(int32_t kind, GSCNode* child0, GSCNode* child1, GSCNode* child2) {
    return WithChildren(Node(GS_STATEMENT, kind, -1), child0, child1, child2);
}

GSCNode* GSExpr(int32_t kind, GSCNode* child0, GSCNode* child1) {
    return WithChildren(Node(GS_EXPRESSION, kind, -1), child0, child1);
}

GSCNode* GSOp(int32_t code, GSCNode* child0, GSCNode* child1, GSCNode* child2) {
    return WithChildren(Node(GS_EXPRESSION, GS_EXPR_OPERATOR, code), child0, child1, child2);
}

GSNodeList GSListOf(GSCNode* node) {
    return {node, GSLastOf(node)};
}

GSNodeList GSAppend(GSNodeList list, GSCNode* node) {
    if (!node) return list;
    if (!list.head) return GSListOf(node);
    list.tail->next = node;
    list.tail = GSLastOf(node);
    return list;
}

GSNodeList GSAppendDiscarding(GSNodeList list, GSCNode* node) {
    list.tail->flags |= GS_FLAG_DISCARD;
    return GSAppend(list, node);
}

GSCNode* GSSequence(GSNodeList list) {
    if (list.head == list.tail) return list.head;
    GSCNode* sequence = GSExpr(GS_EXPR_SEQUENCE, list.head);
    sequence->line = list.head->line;
    return sequence;
}

GSCNode* GSDiscardAll(GSCNode* chain) {
    for (GSCNode* node = chain; node; node = node->next) node->flags |= GS_FLAG_DISCARD;
    return chain;
}

GSCNode* GSClass(uint32_t flags, GSCNode* name, GSCNode* parents, GSCNode* members) {
    GSCNode* node = GSDecl(GS_DECL_CLASS, -1, GSName(name), parents);
    node->child[2] = members;
    node->flags = flags;
    return node;
}

GSCNode* GSFunction(int32_t kind, GSCNode* type, GSCNode* name, GSCNode* parameters,
                    GSCNode* body) {
    if (body) body->flags |= GS_FLAG_BODY;
    return WithChildren(Node(GS_DECLARATION, kind, -1), type, GSName(name), parameters, body);
}

GSCNode* GSFor(GSCNode* initial, GSCNode* condition, GSCNode* body, GSCNode* step) {
    if (GSCNode* last = GSLastOf(condition)) last->flags &= ~GS_FLAG_DISCARD;
    return WithChildren(Node(GS_STATEMENT, GS_STMT_FOR, -1), initial, condition, body,
                        GSDiscardAll(step));
}

GSCNode* GSLabel(GSCNode* label, GSCNode* statement) {
    label->next = statement;
    return label;
}

GSCNode* GSAddFlags(GSCNode* node, uint32_t flags) {
    node->flags |= flags;
    return node;
}

GSCNode* GSArrayOf(GSCNode* type) {
    type->sub += GS_TYPE_ARRAY;
    return type;
}

GSCNode* GSName(GSCNode* identifier) {
    identifier->category = GS_DECLARATION;
    identifier->kind = GS_DECL_NAME;
    return identifier;
}

GSCNode* GSMemberName(GSCNode* identifier) {
    identifier->kind = GS_EXPR_MEMBER;
    return identifier;
}

GSCNode* GSIdentifier() {
    GSCNode* node = Node(GS_EXPRESSION, GS_EXPR_IDENTIFIER, -1);
    node->value.text = Arena().CopyText(TokenText());
    return node;
}

GSCNode* GSConstant(int token) {
    const char* text = TokenText();
    GSCNode* node;
    switch (token) {
        case CONSTANT_HEX:
            node = Constant(GS_CONST_INT);
            node->value.integer = GSHexValue(text);
            break;
        case CONSTANT_INT:
            node = Constant(GS_CONST_INT);
            node->value.integer = GSDecimalValue(text);
            break;
        case CONSTANT_CHAR:
            node = Constant(GS_CONST_INT);
            node->value.integer = GSCharValue(text);
            break;
        case CONSTANT_FLOAT:
            node = Constant(GS_CONST_FLOAT);
            node->value.real = GSFloatValue(text);
            break;
        default: {
            char content[GSCompiler::kLiteralChars];
            GSCompiler::UnquoteLiteral(content, text, true);
            node = Constant(GS_CONST_STRING);
            node->value.text = Arena().CopyText(content);
        }
    }
    return node;
}

GSCNode* GSBoolConstant(int32_t value) {
    GSCNode* node = Constant(GS_CONST_BOOL);
    node->value.integer = value;
    return node;
}

GSCNode* GSIncludeName() {
    char content[GSCompiler::kLiteralChars];
    GSCompiler::UnquoteLiteral(content, TokenText(), false);
    for (char* p = content; *p; ++p) *p = static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
    GSCNode* node = Node(GS_DECLARATION, GS_DECL_NAME, -1);
    node->value.text = Arena().CopyText(content);
    return node;
}

void GSSetRoot(GSCNode* root) {
    Arena().root = root;
}
