// Method tables (parents' tables first, then the class's own functions by slot, overrides
// replacing the entries they override) and the numbering of everything the class section
// refers to, done before the reference sections are written.
#include <algorithm>
#include <cstring>

#include "script_compiler/gs_code_records.h"
#include "script_compiler/gs_compile_context.h"
#include "script_compiler/gs_compile_log.h"
#include "script_compiler/gs_library_writer.h"

namespace {

// The return-type part of a mangled name: from "$" up to "@".
std::string_view ReturnPart(const char* linkageName) {
    const std::string_view name = linkageName ? linkageName : "";
    return name.substr(0, name.find('@'));
}

// The class's own functions by index, which is their order in its part of the table.
std::vector<GSFunctionSymbol*> OwnFunctions(GSClassSymbol* symbol) {
    std::vector<GSFunctionSymbol*> functions;
    Utils::HashTable::Iterator it;
    for (bool more = symbol->Members().Begin(it); more; more = it.Next()) {
        auto* member = static_cast<GSSymbol*>(it.Current());
        if (member->kind == GS_SYMBOL_FUNCTION && member->level == 0)
            functions.push_back(static_cast<GSFunctionSymbol*>(member));
    }
    std::stable_sort(functions.begin(), functions.end(),
                     [](const GSFunctionSymbol* a, const GSFunctionSymbol* b) { return a->index < b->index; });
    return functions;
}

bool Override(GSMethodTable& table, const GSFunctionSymbolExt& entry, GSCompileLog* log) {
    for (GSFunctionSymbolExt& existing : table) {
        if (std::strcmp(existing.function->name, entry.function->name) != 0) continue;
        if (ReturnPart(existing.function->linkageName) != ReturnPart(entry.function->linkageName)) {
            if (log) {
                log->Append("Wrong return type on function: ");
                log->Append(entry.function->linkageName);
                log->Append("\n");
            }
            return false;
        }
        existing = entry;
    }
    return true;
}

}  // namespace

bool GSLibraryWriter::BuildMethodTable(GSClassSymbol* target, GSClassSymbol* adding, GSMethodTable& table,
                                       GSCompileLog* log) {
    for (const auto* node = adding->Ancestors().Begin(); node != adding->Ancestors().End(); node = node->next) {
        const auto& ancestor = *static_cast<const GSAncestor*>(node->value);
        if (ancestor.direct && !BuildMethodTable(target, ancestor.symbol, table, log)) return false;
    }
    int32_t offset = 0;
    if (adding != target) {
        GSAncestor entry{};
        if (!target->FindAncestor(adding->name, entry)) return false;
        offset = entry.variableOffset;
    }
    for (GSFunctionSymbol* function : OwnFunctions(adding)) {
        const GSFunctionSymbolExt entry{function, offset};
        if (!Override(table, entry, log)) return false;
        table.push_back(entry);
    }
    return true;
}

bool GSLibraryWriter::NumberReferences() {
    GSSymbolTable& symbols = context_.table;
    tables_.clear();
    for (auto* node = context_.classes.Begin(); node != context_.classes.End(); node = node->Next()) {
        GSCClass& record = *static_cast<GSCClass*>(node);
        GSClassSymbol* symbol = record.symbol;
        symbols.NumberReference(symbol);
        tables_.emplace_back();
        if (!BuildMethodTable(symbol, symbol, tables_.back(), log_)) return false;
        for (const GSFunctionSymbolExt& entry : tables_.back()) symbols.NumberReference(entry.function);
        for (const auto* a = symbol->Ancestors().Begin(); a != symbol->Ancestors().End(); a = a->next)
            symbols.NumberReference(static_cast<const GSAncestor*>(a->value)->symbol);
        Utils::HashTable::Iterator it;
        for (bool more = symbol->Members().Begin(it); more; more = it.Next()) {
            const auto* member = static_cast<const GSSymbol*>(it.Current());
            const char* className = member->kind == GS_SYMBOL_VARIABLE ? static_cast<const GSVariableSymbol*>(member)->className
                                    : member->kind == GS_SYMBOL_FUNCTION ? static_cast<const GSFunctionSymbol*>(member)->returnClassName
                                                                         : nullptr;
            if (GSSymbol* named = className ? symbols.FindGlobal(className) : nullptr)
                if (named->kind == GS_SYMBOL_CLASS) symbols.NumberReference(named);
        }
    }
    return true;
}
