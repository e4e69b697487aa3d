// Calls: the overload of the called name and argument count that needs the fewest
// conversions (the first found on a tie), "inherited" calls of the current function's
// ancestor version, and cast nodes around the arguments that need a conversion.
#include <cstring>

#include "script_compiler/compile_arena.h"
#include "script_compiler/gs_check_support.h"
#include "script_compiler/gs_compiler.h"
#include "script_compiler/gs_symbol_table.h"

namespace {

constexpr int32_t kMaxCandidates = 1024;
constexpr size_t kTypeChars = 256;

// The class a parameter type names, none for the built-in types and plain objects.
const char* ParameterClass(int32_t code, const char* type) {
    if (code != GS_TYPE_OBJECT && code != GS_TYPE_OBJECT + GS_TYPE_ARRAY) return nullptr;
    return std::strcmp(type, "object") == 0 || std::strcmp(type, "object[]") == 0 ? nullptr : type;
}

// The conversions the arguments need for the key's parameters, or -1 when one cannot be
// converted (or the counts differ).
int32_t Conversions(GSAnalyseState& state, const char* key, GSCNode* arguments) {
    char type[kTypeChars];
    int32_t conversions = 0;
    const char* cursor = GSCompiler::FirstParameterType(key, type, sizeof type);
    GSCNode* argument = arguments;
    for (; cursor && argument; cursor = GSCompiler::NextParameterType(cursor, type, sizeof type), argument = argument->next) {
        const int32_t code = GSCompiler::TypeCodeOfName(type);
        const char* className = ParameterClass(code, type);
        bool needed = false;
        if (!GSCompiler::CanConvert(state, code, className, argument->valueType, argument->className, needed)) return -1;
        conversions += needed ? 1 : 0;
    }
    return cursor || argument ? -1 : conversions;
}

// Wraps every argument that needs a conversion in a cast; false after "Error in expression".
bool ConvertArguments(GSAnalyseState& state, GSCNode* call, const char* key) {
    char type[kTypeChars];
    const char* cursor = GSCompiler::FirstParameterType(key, type, sizeof type);
    GSCNode** link = &call->child[1];
    for (; cursor || *link; link = &(*link)->next) {
        if (!cursor || !*link) return GSCheck::Fail(state, call, "Error in expression, line %d.", call->line);
        const int32_t code = GSCompiler::TypeCodeOfName(type);
        const char* className = ParameterClass(code, type);
        bool needed = false;
        if (!GSCompiler::CanConvert(state, code, className, (*link)->valueType, (*link)->className, needed))
            return GSCheck::Fail(state, call, "Error in expression, line %d.", call->line);
        if (needed && !GSCompiler::InsertCast(state, link, code, className))
            return GSCheck::Fail(state, call, "Internal compiler error.");
        cursor = GSCompiler::NextParameterType(cursor, type, sizeof type);
    }
    return true;
}

void TakeFunction(GSCNode* call, GSClassSymbol* inClass, GSFunctionSymbol* function) {
    int32_t slot = -1;
    if (inClass->GetSlot(*function, slot)) call->slot = static_cast<int16_t>(slot);
    call->argumentSlots = function->argumentCount;
    call->flags |= function->flags & GSCheck::kSpecifierBits;
    if (inClass->flags & (GS_FLAG_STATIC | GS_FLAG_FINAL)) call->flags |= GS_FLAG_FINAL;
    call->valueType = function->typeCode;
    call->className = function->returnClassName;
}

// Whether an earlier candidate overrides candidate: the same key, declared in a class that
// derives from candidate's class.
bool Overridden(GSFunctionSymbol* const* earlier, int32_t count, const GSFunctionSymbol* candidate) {
    for (int32_t i = 0; i < count; ++i) {
        if (std::strcmp(earlier[i]->name, candidate->name) != 0) continue;
        auto* owner = static_cast<GSClassSymbol*>(earlier[i]->owner);
        GSAncestor ancestor{};
        if (owner && candidate->owner && owner->FindAncestor(candidate->owner->name, ancestor)) return true;
    }
    return false;
}

// Drops the ancestors' versions of functions that a nearer class overrides (candidates come
// nearest class first), so a call reaches the nearest override, as the method table does.
// The number of candidates left.
int32_t DropOverridden(GSFunctionSymbol** candidates, int32_t found) {
    int32_t kept = 0;
    for (int32_t i = 0; i < found; ++i)
        if (!Overridden(candidates, kept, candidates[i])) candidates[kept++] = candidates[i];
    return kept;
}

bool CheckInherited(GSAnalyseState& state, GSCNode* call, bool memberCall) {
    if (memberCall)
        return GSCheck::Fail(state, call, "'inherited' can only be used on current function, line %d.", call->line);
    GSFunctionSymbol* function = state.function;
    if (!function || !state.currentClass)
        return GSCheck::Fail(state, call, "internal compiler error while parsing 'inherited', line %d.", call->line);
    if (function->flags & (GS_FLAG_NATIVE | GS_FLAG_THREAD))
        return GSCheck::Fail(state, call, "'inherited' can not be used on native or thread function, line %d.", call->line);
    TakeFunction(call, state.currentClass, function);
    return ConvertArguments(state, call, function->name);
}

}  // namespace

bool GSCompiler::CheckCall(GSAnalyseState& state, GSCNode* node) {
    GSCNode* callee = node->child[0];
    const bool memberCall = GSCheck::IsOperator(callee, GS_OP_MEMBER);
    const bool named = callee->category == GS_EXPRESSION && callee->kind == GS_EXPR_IDENTIFIER;
    // Only a name or a member can be called; the grammar also lets "1(2)" or "f()()" through.
    if (!memberCall && !named) return GSCheck::Fail(state, node, "Internal compiler error.");
    const char* name = memberCall ? callee->child[1]->value.text : callee->value.text;
    GSClassSymbol* inClass = state.currentClass;
    if (memberCall) {
        node->flags |= GS_FLAG_MEMBER_CALL;
        inClass = GSCheck::FindClass(state, callee->child[0]->className);
    }
    if (!inClass) return GSCheck::Fail(state, node, "Internal compiler error.");
    inClass->ResolveParents();
    if (std::strcmp(name, "inherited") == 0) return CheckInherited(state, node, memberCall);

    int32_t argumentCount = 0;
    for (const GSCNode* argument = node->child[1]; argument; argument = argument->next) ++argumentCount;
    GSFunctionSymbol* candidates[kMaxCandidates];
    const int32_t found =
        DropOverridden(candidates, inClass->FindFunctions(name, candidates, kMaxCandidates, argumentCount, true));
    GSFunctionSymbol* best = nullptr;
    int32_t fewest = -1;
    int32_t exact = 0;
    for (int32_t i = 0; i < found; ++i) {
        const int32_t conversions = Conversions(state, candidates[i]->name, node->child[1]);
        if (conversions < 0) continue;
        if (conversions == 0) ++exact;
        if (!best || conversions < fewest) {
            best = candidates[i];
            fewest = conversions;
        }
    }
    if (!best) {
        if (memberCall)
            return GSCheck::Fail(state, node, "function %s not declared in class %s or derivative, line %d.", name,
                                 inClass->name, node->line);
        return GSCheck::Fail(state, node, "function %s not declared, line %d.", name, node->line);
    }
    bool passed = true;
    if (exact > 1) passed = GSCheck::Fail(state, node, "function call %s is ambiguous, line %d.", name, node->line);
    TakeFunction(node, inClass, best);
    if (memberCall && !(best->flags & GS_FLAG_PUBLIC) && best->owner != state.currentClass)
        passed = GSCheck::Fail(state, node, "function %s not public in object %s, line %d.", name, inClass->name, node->line);
    if (fewest > 0) passed = ConvertArguments(state, node, best->name) && passed;
    return passed;
}
