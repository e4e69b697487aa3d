// Assignment and conversion: which source types a target type accepts, the derivation rule
// between classes, and the cast nodes inserted where a call's argument needs a conversion.
#include <cstring>

#include "script_compiler/compile_arena.h"
#include "script_compiler/gs_check_support.h"
#include "script_compiler/gs_compiler.h"
#include "script_compiler/gs_symbol_table.h"

namespace {

constexpr uint32_t Bit(int32_t type) { return 1u << type; }

constexpr uint32_t kNumbers = Bit(GS_TYPE_BOOL) | Bit(GS_TYPE_INT) | Bit(GS_TYPE_FLOAT);
constexpr uint32_t kNull = Bit(GS_TYPE_NULL);

// The sources a target type accepts (the array types accept their own code and null).
bool Accepts(int32_t target, int32_t source) {
    if (source < 0 || source > GS_TYPE_NULL) return false;
    const uint32_t s = Bit(source);
    switch (target) {
        case GS_TYPE_BOOL:
        case GS_TYPE_INT:
        case GS_TYPE_FLOAT: return s & kNumbers;
        case GS_TYPE_STRING: return s & (kNumbers | Bit(GS_TYPE_STRING) | kNull);
        case GS_TYPE_OBJECT: return s & (Bit(GS_TYPE_OBJECT) | kNull);
        case GS_TYPE_NULL: return source == GS_TYPE_STRING || source == GS_TYPE_OBJECT || GSCheck::IsArrayType(source);
        default: return GSCheck::IsValueArray(target) && (source == target || source == GS_TYPE_NULL);
    }
}

const char* ClassOrNone(const char* className) {
    return className && std::strcmp(className, "object") != 0 ? className : nullptr;
}

bool Derives(GSAnalyseState& state, const char* derived, const char* base) {
    GSClassSymbol* symbol = GSCheck::FindClass(state, derived);
    GSAncestor entry{};
    return symbol && symbol->FindAncestor(base, entry);
}

}  // namespace

bool GSCompiler::CheckAssignable(GSAnalyseState& state, GSCNode* target, GSCNode* source) {
    const int32_t targetType = target->valueType;
    const int32_t sourceType = source->valueType;
    if (!Accepts(targetType, sourceType))
        return GSCheck::Fail(state, source, "cannot cast from %s to %s, line %d.",
                             GSCheck::TypeText(sourceType, source->className).c_str(),
                             GSCheck::TypeText(targetType, target->className).c_str(), source->line);
    if (targetType != GS_TYPE_OBJECT || sourceType != GS_TYPE_OBJECT || !target->className || !source->className)
        return true;
    GSClassSymbol* sourceClass = GSCheck::FindClass(state, source->className);
    if (!sourceClass) return GSCheck::Fail(state, source, "class %s not defined, line %d.", source->className, source->line);
    GSAncestor entry{};
    if (!sourceClass->FindAncestor(target->className, entry))
        return GSCheck::Fail(state, source, "cannot cast from object<%s> to object<%s>, line %d.", source->className,
                             target->className, source->line);
    return true;
}

bool GSCompiler::CanConvert(GSAnalyseState& state, int32_t targetType, const char* targetClass, int32_t sourceType,
                            const char* sourceClass, bool& needed) {
    targetClass = ClassOrNone(targetClass);
    sourceClass = ClassOrNone(sourceClass);
    needed = false;
    if (!Accepts(targetType, sourceType)) return false;
    if (targetType == GS_TYPE_OBJECT && sourceType == GS_TYPE_OBJECT && targetClass && sourceClass &&
        !Derives(state, sourceClass, targetClass) && !Derives(state, targetClass, sourceClass))
        return false;
    const bool sameClass = (!targetClass && !sourceClass) ||
                           (targetClass && sourceClass && std::strcmp(targetClass, sourceClass) == 0);
    needed = targetType != sourceType || !sameClass;
    return true;
}

bool GSCompiler::InsertCast(GSAnalyseState& state, GSCNode** link, int32_t type, const char* className) {
    GSCNode* argument = *link;
    CompileArena& arena = *state.arena;
    GSCNode* cast = NewNode(arena, GS_EXPRESSION, GS_EXPR_OPERATOR, argument->line, GS_OP_CAST);
    GSCNode* typeNode = NewNode(arena, GS_DECLARATION, GS_DECL_TYPE, argument->line, type);
    if (!cast || !typeNode) return false;
    typeNode->valueType = type;
    if (className && (type == GS_TYPE_OBJECT || type == GS_TYPE_OBJECT + GS_TYPE_ARRAY)) {
        GSCNode* name = NewNode(arena, GS_DECLARATION, GS_DECL_NAME, argument->line, -1);
        if (!name) return false;
        name->value.text = arena.CopyText(className);
        typeNode->child[0] = name;
        typeNode->className = name->value.text;
    }
    cast->child[0] = argument;
    cast->child[1] = typeNode;
    cast->next = argument->next;
    cast->backLink = argument->backLink;
    cast->parent = argument->parent;
    cast->flags = argument->flags & GS_FLAG_DISCARD;
    cast->valueType = type;
    cast->className = typeNode->className;
    argument->next = nullptr;
    argument->backLink = cast;
    argument->parent = cast;
    *link = cast;
    return true;
}
