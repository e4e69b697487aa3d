// Declarations met by the semantic walk: classes (entered globally, parents resolved at once
// in the top source), functions (keyed by their parameter types, prototypes completed by
// their definitions, parameters in the argument slots after "me"), and variable lists
// (members with slots after the parents' instances, locals after the arguments).
#include <cstdio>
#include <cstring>

#include "script_compiler/compile_arena.h"
#include "script_compiler/gs_check_support.h"
#include "script_compiler/gs_compiler.h"
#include "script_compiler/gs_symbol_table.h"

namespace {


const char* ClassNameOf(const GSCNode* type) {
    if (type->sub != GS_TYPE_OBJECT && type->sub != GS_TYPE_OBJECT + GS_TYPE_ARRAY) return nullptr;
    return type->child[0] ? type->child[0]->value.text : nullptr;
}

// A type naming a class must name a declared one (an include takes any name).
bool CheckClassOfType(GSAnalyseState& state, const GSCNode* type) {
    const char* className = ClassNameOf(type);
    if (!className || state.include || GSCheck::FindClass(state, className)) return true;
    return GSCheck::Fail(state, type, "object<%s> not declared, line %d.", className, type->line);
}

// `existing` is what the class's members and ancestors hold under the function's key.
bool OverridesFinal(GSAnalyseState& state, const GSSymbol* existing) {
    return existing && existing->kind == GS_SYMBOL_FUNCTION && (existing->flags & GS_FLAG_FINAL) &&
           existing->owner != state.currentClass;
}

// Enters a new function symbol, or completes the prototype of the same key; null (after
// the message, with the walk aborted where the rules say so) when neither is possible.
// `existing` is the class's own member of that key, or null when it has none.
GSFunctionSymbol* EnterFunction(GSAnalyseState& state, GSCNode* node, const char* key, GSSymbol* existing,
                                uint32_t specifiers, bool& passed) {
    GSSymbolTable& table = *state.table;
    if (!existing) {
        GSFunctionSymbol* function = table.NewFunction(key);
        if (!function) {
            state.abort = true;
            GSCheck::Fail(state, node, "Internal compiler error.");
            return nullptr;
        }
        if (table.Add(state.currentClass, function, true, true)) return function;
        table.FreeSymbol(function);
    }
    if (!existing || existing->kind != GS_SYMBOL_FUNCTION || !(existing->flags & GS_SYMBOL_PROTOTYPE)) {
        state.abort = true;
        GSCheck::Fail(state, node, "Function %s already declared, line %d.", key, node->line);
        return nullptr;
    }
    auto* prototype = static_cast<GSFunctionSymbol*>(existing);
    prototype->flags &= ~GS_SYMBOL_PROTOTYPE;
    prototype->argumentCount = 1;
    const GSCNode* type = node->child[0];
    if (!GSCompiler::SameType(prototype->typeCode, prototype->returnClassName, type->sub, ClassNameOf(type))) {
        state.abort = true;
        GSCheck::Fail(state, node, "Function differs only by return type, line %d.", node->line);
        return nullptr;
    }
    if ((prototype->flags & GSCheck::kSpecifierBits) != specifiers)
        passed = GSCheck::Fail(state, node, "Function specifiers differ from prototype, line %d.", node->line);
    table.currentFunction = prototype;
    return prototype;
}

// The function's linkage name: its key after "$<return type>@<class>", as BuildSignature
// writes it with the return type; empty when it does not fit.
void LinkageFromKey(const char* className, const GSCNode* node, const char* key, char* destination,
                    size_t capacity) {
    char typeName[GSCompiler::kLiteralChars];
    GSCompiler::TypeNodeName(node->child[0], true, typeName, sizeof typeName);
    const int written = std::snprintf(destination, capacity, "$%s@%s%s", typeName, className ? className : "", key);
    if (written < 0 || static_cast<size_t>(written) >= capacity) destination[0] = '\0';
}

bool DeclareParameters(GSAnalyseState& state, GSCNode* node, GSFunctionSymbol* function, bool bodyChecked) {
    bool passed = true;
    for (GSCNode* parameter = node->child[2]; parameter; parameter = parameter->next) {
        GSCNode* name = parameter->child[1];
        const int32_t slot = function->argumentCount++;
        name->slot = static_cast<int16_t>(slot);
        if (!bodyChecked) continue;
        GSVariableSymbol* variable = state.table->NewVariable(name->value.text);
        if (!variable) return GSCheck::Fail(state, name, "Internal compiler error.");
        variable->typeCode = parameter->child[0]->sub;
        variable->className = state.table->CopyName(ClassNameOf(parameter->child[0]));
        variable->index = slot;
        if (!state.table->Add(state.currentClass, variable, false)) {
            state.table->FreeSymbol(variable);
            passed = GSCheck::Fail(state, name, "Variable %s already declared in this scope, line %d.",
                                   name->value.text, name->line);
        }
    }
    return passed;
}

}  // namespace

bool GSCompiler::DeclareClass(GSAnalyseState& state, GSCNode* node) {
    const char* name = node->child[0]->value.text;
    if (node->flags & (GS_FLAG_PUBLIC | GS_FLAG_NATIVE | GS_FLAG_THREAD | GS_FLAG_DEFINE)) {
        state.abort = true;
        return GSCheck::Fail(state, node, "Class has illegal declaration specifiers, line %d.", node->line);
    }
    if (state.table->FindGlobal(name)) {
        state.abort = true;
        return GSCheck::Fail(state, node, "Class %s has already been declared, line %d.", name, node->line);
    }
    GSClassSymbol* symbol = state.table->NewClass(name);
    if (symbol) symbol->flags = node->flags & GSCheck::kSpecifierBits;
    if (!symbol || !state.table->Add(nullptr, symbol, false)) {
        state.table->FreeSymbol(symbol);
        state.abort = true;
        return GSCheck::Fail(state, node, "Internal compiler error.");
    }
    state.currentClass = symbol;
    for (const GSCNode* parent = node->child[1]; parent; parent = parent->next)
        symbol->AddParentName(state.table->CopyName(parent->value.text), node->line);
    return state.include || symbol->ResolveParents();
}

bool GSCompiler::DeclareFunction(GSAnalyseState& state, GSCNode* node) {
    if (!state.currentClass) {
        state.abort = true;
        return GSCheck::Fail(state, node, "Internal compiler error.");
    }
    bool passed = true;
    const uint32_t specifiers = node->flags & GSCheck::kSpecifierBits;
    if ((specifiers & (GS_FLAG_STATIC | GS_FLAG_GAME | GS_FLAG_DEFINE | GS_FLAG_SECURED)) ||
        ((specifiers & GS_FLAG_NATIVE) && (specifiers & GS_FLAG_THREAD)))
        passed = GSCheck::Fail(state, node, "Function has illegal declaration specifiers, line %d.", node->line);
    passed = CheckClassOfType(state, node->child[0]) && passed;
    for (const GSCNode* parameter = node->child[2]; parameter; parameter = parameter->next)
        passed = CheckClassOfType(state, parameter->child[0]) && passed;

    char key[kSignatureChars];
    if (!BuildSignature(state.currentClass->name, node, key, sizeof key, false, true)) {
        state.abort = true;
        return GSCheck::Fail(state, node, "Internal compiler error.");
    }
    GSSymbol* existing = state.currentClass->FindMember(key, false, true);
    if (OverridesFinal(state, existing))
        passed = GSCheck::Fail(state, node, "Cannot override final function, line %d.", node->line);
    GSSymbol* own = existing && existing->owner == state.currentClass ? existing : nullptr;
    GSFunctionSymbol* function = EnterFunction(state, node, key, own, specifiers, passed);
    if (!function) return false;
    node->function = function;

    const bool prototype = node->kind == GS_DECL_PROTOTYPE;
    function->typeCode = node->child[0]->sub;
    function->flags = specifiers | (prototype ? GS_SYMBOL_PROTOTYPE : 0);
    function->returnClassName = state.table->CopyName(ClassNameOf(node->child[0]));
    if (specifiers & GS_FLAG_THREAD) {
        state.currentClass->flags |= GS_FLAG_GAME;
        if (function->typeCode != GS_TYPE_VOID)
            passed = GSCheck::Fail(state, node, "thread function must return void, line %d.", node->line);
    }
    char linkage[kSignatureChars];
    LinkageFromKey(state.currentClass->name, node, key, linkage, sizeof linkage);
    function->linkageName = state.table->CopyName(linkage);

    const bool bodyChecked = !prototype && !state.include;
    if (state.include) state.skip = true;
    if (bodyChecked) {
        state.function = function;
        state.table->currentFunction = function;
        state.table->OpenScope();
    }
    return DeclareParameters(state, node, function, bodyChecked) && passed;
}

bool GSCompiler::CheckTypeNode(GSAnalyseState& state, GSCNode* type) {
    type->valueType = type->sub;
    type->className = ClassNameOf(type);
    return CheckClassOfType(state, type);
}

bool GSCompiler::DeclareVariables(GSAnalyseState& state, GSCNode* node) {
    GSCNode* type = node->child[0];
    bool passed = CheckTypeNode(state, type);
    const uint32_t specifiers = node->flags & GSCheck::kSpecifierBits;
    const bool member = node->flags & GS_FLAG_MEMBER;
    if (member && (specifiers & ~(GS_FLAG_PUBLIC | GS_FLAG_DEFINE)))
        passed = GSCheck::Fail(state, node, "member declaration has invalid specifiers, line %d.", node->line);
    if (!member && specifiers)
        passed = GSCheck::Fail(state, node, "variable declaration has illegal specifiers, line %d.", node->line);
    if (!state.currentClass) {
        state.abort = true;
        return GSCheck::Fail(state, node, "Internal compiler error.");
    }
    const bool define = specifiers & GS_FLAG_DEFINE;
    for (GSCNode* declarator = node->child[1]; declarator; declarator = declarator->next) {
        GSCNode* name = declarator->child[0];
        GSVariableSymbol* variable = state.table->NewVariable(name->value.text);
        if (!variable) {
            state.abort = true;
            return GSCheck::Fail(state, node, "Internal compiler error.");
        }
        variable->typeCode = type->sub;
        variable->className = state.table->CopyName(type->className);
        variable->flags = specifiers;
        GSFunctionSymbol* function = member ? nullptr : state.function;
        if (function) variable->index = function->argumentCount + function->localCount;
        if (!state.table->Add(state.currentClass, variable, member && !define)) {
            state.table->FreeSymbol(variable);
            passed = GSCheck::Fail(state, name, "Variable %s already declared in this scope, line %d.",
                                   name->value.text, name->line);
            continue;
        }
        if (function) ++function->localCount;
        name->flags |= variable->flags & GSCheck::kSpecifierBits;
        name->valueType = variable->typeCode;
        name->className = variable->className;
        int32_t slot = -1;
        if (!state.include && variable->index >= 0) state.currentClass->GetSlot(*variable, slot);
        name->slot = static_cast<int16_t>(slot);
    }
    if (!state.include || define) {
        const bool include = state.include;
        state.include = false;
        passed = AnalyseTree(state, node->child[1], *state.arena) && passed;
        state.include = include;
    }
    state.skip = true;
    return passed;
}

bool GSCompiler::CheckDeclarator(GSAnalyseState& state, GSCNode* node) {
    GSCNode* name = node->child[0];
    GSCNode* initial = node->child[1];
    const bool define = name->flags & GS_FLAG_DEFINE;
    if (!initial && !define) return true;
    const bool passed = !initial || CheckAssignable(state, name, initial);
    if (!define) return passed;
    if (!initial || initial->kind != GS_EXPR_CONSTANT || initial->category != GS_EXPRESSION)
        return GSCheck::Fail(state, node, "define variable must have a const assignment, line %d.", node->line);
    GSSymbol* symbol = state.table->Find(name->value.text, state.currentClass, false, true);
    if (!symbol || symbol->kind != GS_SYMBOL_VARIABLE) return passed;
    if (symbol->typeCode != GS_TYPE_STRING)
        symbol->value = initial->value;
    else if (initial->sub == GS_CONST_STRING)
        symbol->value.text = state.table->CopyName(initial->value.text);
    else
        symbol->value.text = state.table->CopyName("");
    return passed;
}
