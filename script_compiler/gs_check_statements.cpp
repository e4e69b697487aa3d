// Statements after their parts are checked: returns against the current function, the end
// of blocks (scopes closed, the implicit return of a void function), jumps linked to the
// statement they leave, conditions, and the label chains of switch and wait statements.
#include "script_compiler/compile_arena.h"
#include "script_compiler/gs_check_support.h"
#include "script_compiler/gs_compiler.h"
#include "script_compiler/gs_symbol_table.h"

namespace {

bool IsStatement(const GSCNode* node, int32_t kind) { return node->category == GS_STATEMENT && node->kind == kind; }

// The nearest enclosing statement of one of the kinds (bit per kind), reached through the
// back-links from parents only, never from a previous list element.
GSCNode* Enclosing(GSCNode* node, uint32_t kinds) {
    for (GSCNode* from = node; from->backLink; from = from->backLink) {
        GSCNode* parent = from->backLink;
        if (parent->next == from) continue;
        if (parent->category == GS_STATEMENT && parent->kind >= 0 && parent->kind < 32 && (kinds & (1u << parent->kind)))
            return parent;
    }
    return nullptr;
}

constexpr uint32_t Kind(int32_t kind) { return 1u << kind; }

bool IsVoidLike(const GSCNode* condition) {
    if (!condition) return true;
    const int32_t type = GSLastOf(const_cast<GSCNode*>(condition))->valueType;
    return type == GS_TYPE_VOID || type == GS_TYPE_ARRAY || type == GS_TYPE_NONE;
}

void LinkLabel(GSCNode* label, GSCNode* statement) {
    label->jumpTarget = statement;
    label->labelChain = statement->labelChain;
    statement->labelChain = label;
}

bool CheckReturn(GSAnalyseState& state, GSCNode* node) {
    const GSFunctionSymbol* function = state.function;
    if (!function) return GSCheck::Fail(state, node, "Internal compiler error.");
    const GSCNode* value = node->child[0] ? GSLastOf(node->child[0]) : nullptr;
    const std::string expected = GSCheck::TypeText(function->typeCode, function->returnClassName);
    if (!value) {
        if (function->typeCode == GS_TYPE_VOID) return true;
        return GSCheck::Fail(state, node, "return type mismatch, expecting %s, line %d.", expected.c_str(), node->line);
    }
    if (value->valueType == GS_TYPE_OBJECT && function->typeCode == GS_TYPE_OBJECT && value->className &&
        function->returnClassName) {
        GSClassSymbol* valueClass = GSCheck::FindClass(state, value->className);
        GSAncestor entry{};
        if (valueClass && valueClass->FindAncestor(function->returnClassName, entry)) return true;
        return GSCheck::Fail(state, node, "cannot cast from object<%s> to object<%s>, line %d.", value->className,
                             function->returnClassName, node->line);
    }
    if (GSCompiler::SameType(value->valueType, value->className, function->typeCode, function->returnClassName))
        return true;
    return GSCheck::Fail(state, node, "return type mismatch, expecting %s, line %d.", expected.c_str(), node->line);
}

// The end of a function body: a final return, the implicit one of a void function, or an
// error for a function that must return a value.
bool EndBody(GSAnalyseState& state, GSCNode* block) {
    const GSFunctionSymbol* function = state.function;
    if (!function) return true;
    GSCNode* last = GSLastOf(block->child[0]);
    if (last && IsStatement(last, GS_STMT_RETURN)) return true;
    if (function->typeCode != GS_TYPE_VOID)
        return GSCheck::Fail(state, block, "expecting return type of %s, line %d.",
                             GSCheck::TypeText(function->typeCode, function->returnClassName).c_str(), block->line);
    GSCNode* implicit = GSCompiler::NewNode(*state.arena, GS_STATEMENT, GS_STMT_RETURN, block->line, -1);
    if (!implicit) return GSCheck::Fail(state, block, "Internal compiler error.");
    implicit->backLink = last ? last : block;
    (last ? last->next : block->child[0]) = implicit;
    return true;
}

bool CheckBlock(GSAnalyseState& state, GSCNode* node) {
    state.table->CloseScope();
    return (node->flags & GS_FLAG_BODY) ? EndBody(state, node) : true;
}

bool CheckJump(GSAnalyseState& state, GSCNode* node, uint32_t kinds, const char* message) {
    node->jumpTarget = Enclosing(node, kinds);
    return node->jumpTarget ? true : GSCheck::Fail(state, node, message, node->line);
}

bool CheckSwitch(GSAnalyseState& state, GSCNode* node) {
    bool hasCase = false;
    bool hasDefault = false;
    for (const GSCNode* statement = node->child[1] ? node->child[1]->child[0] : nullptr; statement;
         statement = statement->next) {
        hasCase = hasCase || IsStatement(statement, GS_STMT_CASE);
        hasDefault = hasDefault || IsStatement(statement, GS_STMT_DEFAULT);
    }
    bool passed = true;
    if (!hasCase) passed = GSCheck::Fail(state, node, "switch statement without case, line %d.", node->line);
    if (!hasDefault) passed = GSCheck::Fail(state, node, "switch statement without default, line %d.", node->line);
    const GSCNode* selector = GSLastOf(node->child[0]);
    if (!selector || selector->valueType != GS_TYPE_INT)
        passed = GSCheck::Fail(state, node, "switch expression not integral, line %d.", node->line);
    return passed;
}

bool CheckDefault(GSAnalyseState& state, GSCNode* node) {
    GSCNode* statement = Enclosing(node, Kind(GS_STMT_SWITCH));
    if (!statement) return GSCheck::Fail(state, node, "illegal default, line %d.", node->line);
    if (statement->flags & GS_FLAG_HAS_DEFAULT)
        return GSCheck::Fail(state, node, "switch already has default, line %d.", node->line);
    LinkLabel(node, statement);
    statement->flags |= GS_FLAG_HAS_DEFAULT;
    return true;
}

bool CheckCase(GSAnalyseState& state, GSCNode* node) {
    GSCNode* statement = Enclosing(node, Kind(GS_STMT_SWITCH));
    if (!statement) return GSCheck::Fail(state, node, "illegal case, line %d.", node->line);
    LinkLabel(node, statement);
    const GSCNode* value = node->child[0];
    if (value->category != GS_EXPRESSION || value->kind != GS_EXPR_CONSTANT || value->valueType != GS_TYPE_INT)
        return GSCheck::Fail(state, node, "case expression not constant or integral, line %d.", node->line);
    return true;
}

bool IsStringConstant(const GSCNode* node) {
    return node && node->category == GS_EXPRESSION && node->kind == GS_EXPR_CONSTANT && node->sub == GS_CONST_STRING;
}

bool CheckOn(GSAnalyseState& state, GSCNode* node) {
    if (GSCNode* wait = Enclosing(node, Kind(GS_STMT_WAIT))) LinkLabel(node, wait);
    if (!IsStringConstant(node->child[0]) || !IsStringConstant(node->child[1]))
        return GSCheck::Fail(state, node, "on statement requires string constant for major and minor message types, line %d",
                             node->line);
    const GSCNode* message = node->child[2];
    if (message && (message->valueType != GS_TYPE_OBJECT || !(message->flags & GS_FLAG_LVALUE)))
        return GSCheck::Fail(state, node, "on statement requires object type for third parameter, line %d", node->line);
    return true;
}

}  // namespace

bool GSCompiler::CheckStatement(GSAnalyseState& state, GSCNode* node) {
    switch (node->kind) {
        case GS_STMT_RETURN: return CheckReturn(state, node);
        case GS_STMT_BREAK:
            return CheckJump(state, node, Kind(GS_STMT_FOR) | Kind(GS_STMT_WHILE) | Kind(GS_STMT_SWITCH) | Kind(GS_STMT_WAIT),
                             "illegal break, line %d.");
        case GS_STMT_CONTINUE:
            return CheckJump(state, node, Kind(GS_STMT_FOR) | Kind(GS_STMT_WHILE) | Kind(GS_STMT_WAIT),
                             "illegal continue, line %d.");
        case GS_STMT_FOR:
            if (node->child[1] && IsVoidLike(node->child[1]))
                return GSCheck::Fail(state, node, "invalid for expression, line %d.", node->line);
            return true;
        case GS_STMT_WHILE:
            return IsVoidLike(node->child[0]) ? GSCheck::Fail(state, node, "invalid while expression, line %d.", node->line) : true;
        case GS_STMT_IF:
            return IsVoidLike(node->child[0]) ? GSCheck::Fail(state, node, "invalid if expression, line %d.", node->line) : true;
        case GS_STMT_SWITCH: return CheckSwitch(state, node);
        case GS_STMT_DEFAULT: return CheckDefault(state, node);
        case GS_STMT_CASE: return CheckCase(state, node);
        case GS_STMT_BLOCK: return CheckBlock(state, node);
        case GS_STMT_WAIT:
            if (node->labelChain) return true;
            return GSCheck::Fail(state, node, "wait statement must have at least 1 on statement, line %d.", node->line);
        case GS_STMT_ON: return CheckOn(state, node);
        case GS_STMT_GOTO:
        case GS_STMT_LABEL: return true;
        default: return GSCheck::Fail(state, node, "Internal compiler error.");
    }
}
