// Names in expressions: identifiers resolved in the current class (its locals, members and
// ancestors) and the global scope, "me", and the "." operator's member access.
#include "script_compiler/compile_arena.h"
#include "script_compiler/gs_check_support.h"
#include "script_compiler/gs_compiler.h"
#include "script_compiler/gs_symbol_table.h"

namespace {

// A define's stored value as a constant of its type.
void MakeDefineConstant(GSCNode* node, const GSSymbol& symbol) {
    const int32_t constantType = GSCheck::ConstantOfType(symbol.typeCode);
    if (constantType < 0) return;
    GSCheck::MakeConstant(node, constantType, symbol.value);
}

bool IsStaticClass(const GSSymbol* symbol) { return symbol && (symbol->flags & GS_FLAG_STATIC); }

// The left operand of "." names a class rather than an object.
bool IsClassName(const GSCNode* node) {
    return node->category == GS_EXPRESSION && node->kind == GS_EXPR_IDENTIFIER && (node->flags & GS_FLAG_STATIC);
}

bool IsLeftOfMember(const GSCNode* node) {
    const GSCNode* parent = node->backLink;
    return parent && parent->kind == GS_EXPR_OPERATOR && parent->category == GS_EXPRESSION &&
           parent->sub == GS_OP_MEMBER && parent->child[0] == node;
}

}  // namespace

bool GSCompiler::CheckIdentifier(GSAnalyseState& state, GSCNode* node) {
    const char* name = node->value.text;
    GSSymbol* symbol = state.table->Find(name, state.currentClass, true, false);
    if (!symbol) {
        if (GSCheck::IsCalledPart(node)) return true;
        return GSCheck::Fail(state, node, "variable %s not declared, line %d.", name, node->line);
    }
    if (symbol->kind == GS_SYMBOL_VARIABLE) {
        node->valueType = symbol->typeCode;
        node->flags |= symbol->flags & GSCheck::kSpecifierBits;
        node->className = static_cast<GSVariableSymbol*>(symbol)->className;
        if (symbol->flags & GS_FLAG_DEFINE) {
            MakeDefineConstant(node, *symbol);
            return true;
        }
        node->flags |= GS_FLAG_LVALUE;
        if (symbol->level > 0) node->flags |= GS_FLAG_LOCAL;
        int32_t slot = -1;
        if (state.currentClass && state.currentClass->GetSlot(*symbol, slot)) node->slot = static_cast<int16_t>(slot);
        return true;
    }
    if (symbol->kind == GS_SYMBOL_CLASS) {
        node->valueType = GS_TYPE_OBJECT;
        node->className = symbol->name;
        node->flags |= GS_FLAG_STATIC;
        if (IsStaticClass(symbol) || IsLeftOfMember(node)) return true;
        return GSCheck::Fail(state, node, "class %s is not static, line %d.", name, node->line);
    }
    return true;
}

bool GSCompiler::CheckMe(GSAnalyseState& state, GSCNode* node) {
    if (!state.currentClass)
        return GSCheck::Fail(state, node, "me keyword invalid in static, line %d.", node->line);
    node->valueType = GS_TYPE_OBJECT;
    node->className = state.currentClass->name;
    return true;
}

bool GSCompiler::CheckMemberAccess(GSAnalyseState& state, GSCNode* node) {
    GSCNode* left = node->child[0];
    GSCNode* member = node->child[1];
    if (!GSCheck::IsReference(left->valueType))
        return GSCheck::Fail(state, node, ". operator cannot be used on a non-reference type, line %d.", node->line);
    if (!left->className)
        return GSCheck::Fail(state, node, "unknown object class for '.' operator, line %d.", node->line);
    GSClassSymbol* objectClass = GSCheck::FindClass(state, left->className);
    if (!objectClass) return GSCheck::Fail(state, node, "Internal compiler error");
    const bool staticAccess = IsClassName(left) && !IsStaticClass(objectClass);
    GSSymbol* symbol = state.table->Find(member->value.text, objectClass, false, true);
    if (!symbol) {
        if (staticAccess)
            return GSCheck::Fail(state, node, "%s is not a static class or variable within this class, line %d.",
                                 objectClass->name, node->line);
        if (!GSCheck::IsCalledPart(node))
            return GSCheck::Fail(state, node, "member %s does not exist in object %s, line %d.",
                                 member->value.text, objectClass->name, node->line);
        node->backLink->flags |= GS_FLAG_MEMBER_CALL;
        node->className = objectClass->name;
        return true;
    }
    if (!(symbol->flags & GS_FLAG_PUBLIC) && symbol->owner != state.currentClass)
        return GSCheck::Fail(state, node, "member %s not public in object %s, line %d.", member->value.text,
                             objectClass->name, node->line);
    if (symbol->kind == GS_SYMBOL_VARIABLE && (symbol->flags & GS_FLAG_DEFINE)) {
        MakeDefineConstant(node, *symbol);
        return true;
    }
    if (staticAccess)
        return GSCheck::Fail(state, node, "%s is not a static class or variable within this class, line %d.",
                             objectClass->name, node->line);
    node->valueType = symbol->typeCode;
    if (symbol->kind == GS_SYMBOL_VARIABLE) node->className = static_cast<GSVariableSymbol*>(symbol)->className;
    node->flags |= (symbol->flags & GSCheck::kSpecifierBits) | GS_FLAG_LVALUE;
    int32_t slot = -1;
    if (objectClass->GetSlot(*symbol, slot)) member->slot = static_cast<int16_t>(slot);
    return true;
}
