// Method tables (parents' tables first, then the class's own functions by slot, overrides
// replacing the entries they override) and the numbering of everything the class section
// refers to, done before the reference sections are written.
#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <vector>

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

// The table's entries by function name, so an override finds the entries it replaces
// without a pass over the whole table.
using NameSlots = std::unordered_multimap<std::string_view, size_t>;

bool Override(GSMethodTable& table, NameSlots& names, const GSFunctionSymbolExt& entry, GSCompileLog* log) {
    const std::string_view name = entry.function->name;
    for (auto [slot, end] = names.equal_range(name); slot != end; ++slot) {
        GSFunctionSymbolExt& existing = table[slot->second];
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
    names.emplace(name, table.size());
    table.push_back(entry);
    return true;
}

bool AddEntries(GSClassSymbol* target, GSClassSymbol* adding, GSMethodTable& table, NameSlots& names,
                GSCompileLog* log) {
    for (const auto* node = adding->Ancestors().Begin(); node != adding->Ancestors().End(); node = node->next) {
        const auto& ancestor = *static_cast<const GSAncestor*>(node->value);
        if (ancestor.direct && !AddEntries(target, ancestor.symbol, table, names, log)) return false;
    }
    int32_t offset = 0;
    if (adding != target) {
        GSAncestor entry{};
        if (!target->FindAncestor(adding->name, entry)) return false;
        offset = entry.variableOffset;
    }
    for (GSFunctionSymbol* function : OwnFunctions(adding)) {
        const GSFunctionSymbolExt entry{function, offset};
        if (!Override(table, names, entry, log)) return false;
    }
    return true;
}

}  // namespace

bool GSLibraryWriter::BuildMethodTable(GSClassSymbol* target, GSClassSymbol* adding, GSMethodTable& table,
                                       GSCompileLog* log) {
    NameSlots names;
    for (size_t slot = 0; slot < table.size(); ++slot) names.emplace(table[slot].function->name, slot);
    return AddEntries(target, adding, table, names, log);
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
