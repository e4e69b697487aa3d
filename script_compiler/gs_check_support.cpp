// Shared helpers of the semantic checks.
#include "script_compiler/gs_check_support.h"

#include <cstdarg>
#include <cstdio>

#include "script_compiler/compile_arena.h"
#include "script_compiler/gs_symbol_table.h"

namespace GSCheck {

bool Fail(GSAnalyseState& state, const GSCNode* node, const char* format, ...) {
    char text[256];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    GSCompiler::ReportError(*state.arena, true, false, node->line, "%s", text);
    return false;
}

std::string TypeText(int32_t type, const char* className) {
    if (className && type == GS_TYPE_OBJECT) return className;
    if (className && type == GS_TYPE_OBJECT + GS_TYPE_ARRAY) return std::string(className) + "[]";
    return GSTypeName(type);
}

bool IsArrayType(int32_t type) { return type >= GS_TYPE_ARRAY && type < GS_TYPE_NONE; }

bool IsOperator(const GSCNode* node, int32_t op) {
    return node->category == GS_EXPRESSION && node->kind == GS_EXPR_OPERATOR && node->sub == op;
}

bool HasReferenceElements(int32_t arrayType) {
    return arrayType == GS_TYPE_STRING + GS_TYPE_ARRAY || arrayType == GS_TYPE_OBJECT + GS_TYPE_ARRAY;
}

bool IsValueArray(int32_t type) { return type > GS_TYPE_ARRAY && type < GS_TYPE_NONE; }

bool IsReference(int32_t type) {
    return type == GS_TYPE_STRING || type == GS_TYPE_OBJECT || IsArrayType(type) || type == GS_TYPE_NULL;
}

bool IsCalledPart(const GSCNode* node) {
    const GSCNode* parent = node->backLink;
    return parent && parent->category == GS_EXPRESSION && parent->kind == GS_EXPR_CALL &&
           parent->child[0] == node;
}

GSClassSymbol* FindClass(GSAnalyseState& state, const char* name) {
    if (!name) return nullptr;
    GSSymbol* symbol = state.table->Find(name, nullptr, false, false);
    return symbol && symbol->kind == GS_SYMBOL_CLASS ? static_cast<GSClassSymbol*>(symbol) : nullptr;
}

void MakeConstant(GSCNode* node, int32_t constantType, GSCValue value) {
    for (GSCNode*& child : node->child) child = nullptr;
    node->kind = GS_EXPR_CONSTANT;
    node->sub = constantType;
    node->value = value;
    node->valueType = TypeOfConstant(constantType);
    node->className = nullptr;
    node->flags &= ~GS_FLAG_LVALUE;
}

int32_t TypeOfConstant(int32_t constantType) {
    switch (constantType) {
        case GS_CONST_BOOL: return GS_TYPE_BOOL;
        case GS_CONST_INT: return GS_TYPE_INT;
        case GS_CONST_FLOAT: return GS_TYPE_FLOAT;
        case GS_CONST_STRING: return GS_TYPE_STRING;
        default: return GS_TYPE_NONE;
    }
}

int32_t ConstantOfType(int32_t type) {
    switch (type) {
        case GS_TYPE_BOOL: return GS_CONST_BOOL;
        case GS_TYPE_INT: return GS_CONST_INT;
        case GS_TYPE_FLOAT: return GS_CONST_FLOAT;
        case GS_TYPE_STRING: return GS_CONST_STRING;
        default: return -1;
    }
}

}  // namespace GSCheck
