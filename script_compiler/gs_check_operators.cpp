// Operators: the table-driven ones (typed by gs_operator_types, folded when their operands
// are constants) and those with checks of their own: indexing, ranges, casts, assignment,
// size, isclass, copy and new.
#include "script_compiler/compile_arena.h"
#include "script_compiler/gs_check_support.h"
#include "script_compiler/gs_compiler.h"
#include "script_compiler/gs_operator_types.h"
#include "script_compiler/gs_symbol_table.h"

namespace {

bool IsConstant(const GSCNode* node) { return node->category == GS_EXPRESSION && node->kind == GS_EXPR_CONSTANT; }

bool Foldable(int32_t op) {
    return op == GS_OP_PLUS || op == GS_OP_NEGATE || op == GS_OP_NOT || op == GS_OP_COMPLEMENT;
}

bool IsIncrement(int32_t op) {
    return op == GS_OP_POST_DEC || op == GS_OP_POST_INC || op == GS_OP_PRE_DEC || op == GS_OP_PRE_INC;
}

// A string, an array other than void[], or null.
bool IsSequence(int32_t type) {
    return type == GS_TYPE_STRING || GSCheck::IsValueArray(type) || type == GS_TYPE_NULL;
}

void SetType(GSCNode* node, int32_t type, const char* className = nullptr) {
    node->valueType = type;
    node->className = className;
}

bool CheckUnary(GSAnalyseState& state, GSCNode* node) {
    const GSCNode* operand = node->child[0];
    const char* name = GSOperatorName(node->sub);
    const int32_t result = GSOperatorTypes::UnaryResult(node->sub, operand->valueType);
    if (result < 0) return GSCheck::Fail(state, node, "illegal types for unary operand %s, line %d", name, node->line);
    if (IsIncrement(node->sub) && !(operand->flags & GS_FLAG_LVALUE))
        return GSCheck::Fail(state, node, "expression not an l-value for %s operator, line %d", name, node->line);
    SetType(node, result);
    if (Foldable(node->sub) && IsConstant(operand)) GSCompiler::FoldUnary(node);
    return true;
}

bool CheckBinary(GSAnalyseState& state, GSCNode* node) {
    const GSCNode* left = node->child[0];
    const GSCNode* right = node->child[1];
    const int32_t result = GSOperatorTypes::BinaryResult(node->sub, left->valueType, right->valueType);
    if (result < 0)
        return GSCheck::Fail(state, node, "illegal types for operand %s, line %d", GSOperatorName(node->sub), node->line);
    SetType(node, result);
    if (IsConstant(left) && IsConstant(right)) GSCompiler::FoldBinary(node);
    return true;
}

bool CheckRange(GSAnalyseState& state, GSCNode* node) {
    const GSCNode* operand = node->child[0];
    if (!IsSequence(operand->valueType))
        return GSCheck::Fail(state, node, "%s not an array type for [,] operator, line %d",
                             GSCheck::TypeText(operand->valueType, operand->className).c_str(), node->line);
    if (node->child[1] && node->child[1]->valueType != GS_TYPE_INT)
        return GSCheck::Fail(state, node, "left index not integral for [,] operator, line %d", node->line);
    if (node->child[2] && node->child[2]->valueType != GS_TYPE_INT)
        return GSCheck::Fail(state, node, "right index not integral for [,] operator, line %d", node->line);
    SetType(node, operand->valueType, operand->className);
    node->flags |= GS_FLAG_LVALUE;
    return true;
}

bool CheckIndex(GSAnalyseState& state, GSCNode* node) {
    const GSCNode* operand = node->child[0];
    if (!IsSequence(operand->valueType))
        return GSCheck::Fail(state, node, "%s not an array type for [] operator, line %d",
                             GSCheck::TypeText(operand->valueType, operand->className).c_str(), node->line);
    if (node->child[1]->valueType != GS_TYPE_INT)
        return GSCheck::Fail(state, node, "index not integral for [] operator, line %d", node->line);
    if (operand->valueType == GS_TYPE_STRING)
        SetType(node, GS_TYPE_INT);
    else if (operand->valueType != GS_TYPE_NULL)
        SetType(node, operand->valueType - GS_TYPE_ARRAY, operand->className);
    node->flags |= GS_FLAG_LVALUE;
    return true;
}

bool CheckCast(GSAnalyseState& state, GSCNode* node) {
    const GSCNode* operand = node->child[0];
    const GSCNode* type = node->child[1];
    bool needed = false;
    if (!GSCompiler::CanConvert(state, type->valueType, type->className, operand->valueType, operand->className, needed))
        return GSCheck::Fail(state, node, "cannot cast from %s to %s, line %d.",
                             GSCheck::TypeText(operand->valueType, operand->className).c_str(),
                             GSCheck::TypeText(type->valueType, type->className).c_str(), node->line);
    SetType(node, type->valueType, type->className);
    return true;
}

bool CheckAssignment(GSAnalyseState& state, GSCNode* node) {
    GSCNode* target = node->child[0];
    if (!GSCompiler::CheckAssignable(state, target, node->child[1])) return false;
    if (!(target->flags & GS_FLAG_LVALUE)) {
        SetType(node, GS_TYPE_NONE);
        return GSCheck::Fail(state, node, "illegal l-value for assignment, line %d.", node->line);
    }
    SetType(node, target->valueType, target->className);
    return true;
}

bool CheckSize(GSAnalyseState& state, GSCNode* node) {
    if (!IsSequence(node->child[0]->valueType))
        return GSCheck::Fail(state, node, ".size operator requires an array type, line %d.", node->line);
    SetType(node, GS_TYPE_INT);
    return true;
}

bool CheckIsClass(GSAnalyseState& state, GSCNode* node) {
    if (node->child[0]->valueType != GS_TYPE_OBJECT)
        return GSCheck::Fail(state, node, ".isclass operator requires an object type, line %d.", node->line);
    const char* name = node->child[1]->value.text;
    if (!GSCheck::FindClass(state, name))
        return GSCheck::Fail(state, node, "class %s not declared for .isclass operator, line %d.", name, node->line);
    SetType(node, GS_TYPE_BOOL);
    return true;
}

bool CheckCopy(GSAnalyseState& state, GSCNode* node) {
    if (!IsSequence(node->child[0]->valueType))
        return GSCheck::Fail(state, node, ".copy operator requires an array type, line %d.", node->line);
    if (!IsSequence(node->child[1]->valueType))
        return GSCheck::Fail(state, node, ".copy expression must be an array type, line %d.", node->line);
    if (!GSCompiler::SameNodeType(node->child[0], node->child[1]))
        return GSCheck::Fail(state, node, "left and right types incompatible for .copy operator, line %d.", node->line);
    SetType(node, GS_TYPE_VOID);
    return true;
}

bool CheckNew(GSAnalyseState& state, GSCNode* node) {
    const GSCNode* type = node->child[0];
    const int32_t code = type->sub;
    const bool classType = code == GS_TYPE_OBJECT || code == GS_TYPE_OBJECT + GS_TYPE_ARRAY;
    const char* className = type->child[0] ? type->child[0]->value.text : nullptr;
    if (classType && !className) return GSCheck::Fail(state, node, "cannot new unnamed object, line %d.", node->line);
    if (node->child[1] && node->child[1]->valueType != GS_TYPE_INT)
        return GSCheck::Fail(state, node, "non-integral expression for new[], line %d.", node->line);
    if (node->child[2]) return GSCheck::Fail(state, node, "constructors not yet supported, line %d.", node->line);
    if (classType) {
        GSClassSymbol* symbol = GSCheck::FindClass(state, className);
        if (!symbol)
            return GSCheck::Fail(state, node, "cannot find class %s in this translation unit, line %d.", className, node->line);
        if (symbol->flags & (GS_FLAG_STATIC | GS_FLAG_GAME))
            return GSCheck::Fail(state, node, "cannot new static or game class, line %d.", node->line);
    }
    if (code != GS_TYPE_STRING && code != GS_TYPE_OBJECT && !GSCheck::IsValueArray(code))
        return GSCheck::Fail(state, node, "cannot new type %s, line %d.", GSTypeName(code), node->line);
    SetType(node, code, classType ? className : nullptr);
    return true;
}

}  // namespace

bool GSCompiler::CheckOperator(GSAnalyseState& state, GSCNode* node) {
    const int32_t op = node->sub;
    if (GSOperatorTypes::IsUnary(op)) return CheckUnary(state, node);
    if (GSOperatorTypes::IsBinary(op)) return CheckBinary(state, node);
    switch (op) {
        case GS_OP_MEMBER: return CheckMemberAccess(state, node);
        case GS_OP_RANGE: return CheckRange(state, node);
        case GS_OP_INDEX: return CheckIndex(state, node);
        case GS_OP_CAST: return CheckCast(state, node);
        case GS_OP_ASSIGN: return CheckAssignment(state, node);
        case GS_OP_SIZE: return CheckSize(state, node);
        case GS_OP_ISCLASS: return CheckIsClass(state, node);
        case GS_OP_COPY: return CheckCopy(state, node);
        case GS_OP_NEW: return CheckNew(state, node);
        default: return GSCheck::Fail(state, node, "Internal compiler error.");
    }
}
