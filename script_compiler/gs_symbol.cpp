// Symbols: ordering in the hash tables, dumps, and a class's members, ancestors and slots.
#include "script_compiler/gs_symbol.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/alloc.h"
#include "script_compiler/compile_arena.h"
#include "script_compiler/gs_compile_log.h"
#include "script_compiler/gs_compiler.h"
#include "script_compiler/gs_symbol_table.h"

namespace {

int32_t CompareCaseBlind(const char* a, const char* b) {
    for (;; ++a, ++b) {
        const int ca = std::tolower(static_cast<unsigned char>(*a));
        const int cb = std::tolower(static_cast<unsigned char>(*b));
        if (ca != cb || ca == 0) return ca - cb;
    }
}

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
    char text[512];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    return text;
}

void DumpTyped(GSCompileLog& log, const GSSymbol& symbol, const char* className) {
    const std::string words = GSCompiler::FlagsText(symbol.flags);
    if (className)
        log.Append(Format("%d:%d:%s<%s> %s %s", symbol.index, symbol.level,
                          GSTypeName(symbol.typeCode), className, symbol.name, words.c_str()).c_str());
    else
        log.Append(Format("%d:%d:%s %s %s", symbol.index, symbol.level,
                          GSTypeName(symbol.typeCode), symbol.name, words.c_str()).c_str());
}

}  // namespace

uint32_t GSSymbol::Hash() const {
    uint32_t h = 0;
    for (const char* p = name; *p; ++p) {
        char c = *p;
        if (kind == GS_SYMBOL_DEPENDENCY) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        h = h * 3 + static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(c)));
    }
    return h;
}

int32_t GSSymbol::Compare(const Utils::IHashNode& node) const {
    const auto& other = static_cast<const GSSymbol&>(node);
    const bool bothDependencies = kind == GS_SYMBOL_DEPENDENCY && other.kind == GS_SYMBOL_DEPENDENCY;
    const int32_t byName = bothDependencies ? CompareCaseBlind(name, other.name)
                                            : std::strcmp(name, other.name);
    if (byName != 0 || level == -1 || other.level == -1) return byName;
    if (level == other.level) return 0;
    return level > other.level ? -1 : 1;
}

void GSDependentSymbol::Dump(GSCompileLog& log) const {
    log.Append(Format("\nDependent \"%s\", crc 0x%X, filename crc 0x%X\n", name, id1, id2).c_str());
}

void GSVariableSymbol::Dump(GSCompileLog& log) const { DumpTyped(log, *this, className); }

void GSFunctionSymbol::Dump(GSCompileLog& log) const { DumpTyped(log, *this, returnClassName); }

GSClassSymbol::GSClassSymbol(const char* className) : GSSymbol(GS_SYMBOL_CLASS, className) {
    typeCode = GS_TYPE_OBJECT;
    members_.Init(kMemberBuckets, true);
}

GSClassSymbol::~GSClassSymbol() { Clear(); }

void GSClassSymbol::Dump(GSCompileLog& log) const {
    const std::string rule(40, '=');
    log.Append(rule.c_str());
    std::string line = Format("%d:%s %s (%s)::", level, name, GSCompiler::FlagsText(flags).c_str(),
                              dependency ? dependency->name : "");
    for (const auto* node = ancestors_.Begin(); node != ancestors_.End(); node = node->next) {
        const auto* entry = static_cast<const GSAncestor*>(node->value);
        line += Format("%d:%s,", entry->variableOffset, entry->symbol->name);
    }
    log.Append(line.c_str());
    log.Append(rule.c_str());
    Utils::HashTable::Iterator it;
    for (bool more = members_.Begin(it); more; more = it.Next())
        static_cast<const GSSymbol*>(it.Current())->Dump(log);
}

void GSClassSymbol::Clear() {
    ancestors_.ClearDeletingValues<GSAncestor>();
    pendingParents_.ClearDeletingValues<GSPendingParent>();
    members_.Release();
    byName_.clear();
}

bool GSClassSymbol::RemoveChild(GSSymbol* member) {
    if (!members_.Remove(member)) return false;
    UnindexMember(member);
    return true;
}

void GSClassSymbol::IndexMember(GSSymbol* symbol) { byName_.emplace(symbol->name, symbol); }

void GSClassSymbol::UnindexMember(const GSSymbol* symbol) {
    for (auto [at, end] = byName_.equal_range(symbol->name); at != end; ++at) {
        if (at->second != symbol) continue;
        byName_.erase(at);
        return;
    }
}

// What the member table's Find gives for a key of that name and level -1 (the symbol of the
// highest level, which the chain keeps first) or 0. Dependency symbols, whose order ignores
// case, are never members.
GSSymbol* GSClassSymbol::FindOwn(const char* memberName, bool membersOnly) {
    GSSymbol* found = nullptr;
    for (auto [at, end] = byName_.equal_range(memberName); at != end; ++at) {
        GSSymbol* symbol = at->second;
        if (membersOnly ? symbol->level == 0 : !found || symbol->level > found->level) found = symbol;
    }
    return found;
}

GSSymbolTable* GSClassSymbol::Table() const { return static_cast<GSSymbolTable*>(owner); }

// The member the table's Compare finds equal to the symbol: the same name, and the same
// level unless either level is -1.
bool GSClassSymbol::HasEqualMember(const GSSymbol& symbol) const {
    for (auto [at, end] = byName_.equal_range(symbol.name); at != end; ++at) {
        const int32_t level = at->second->level;
        if (level == symbol.level || level == -1 || symbol.level == -1) return true;
    }
    return false;
}

// The name index answers whether an equal member is there, so the table may place the new
// one later (dependencies, ordered without case, are never members but would go in at once).
bool GSClassSymbol::InsertMember(GSSymbol* symbol, bool assignIndex, bool absent) {
    const bool entered = symbol->kind == GS_SYMBOL_DEPENDENCY
                             ? members_.Insert(symbol)
                             : (absent || !HasEqualMember(*symbol)) && members_.InsertNew(symbol);
    if (!entered) return false;
    IndexMember(symbol);
    symbol->owner = this;
    if (symbol->level > 0) {
        symbol->flags |= GS_SYMBOL_LOCAL;
    } else if (assignIndex && symbol->kind == GS_SYMBOL_VARIABLE) {
        symbol->index = ownVariableCount++;
    } else if (assignIndex && symbol->kind == GS_SYMBOL_FUNCTION) {
        symbol->index = ownFunctionCount++;
    }
    return true;
}

GSSymbol* GSClassSymbol::FindMember(const char* memberName, bool searchOuter, bool membersOnly) {
    if (GSSymbol* own = FindOwn(memberName, membersOnly)) return own;
    for (const auto* node = ancestors_.Begin(); node != ancestors_.End(); node = node->next) {
        GSClassSymbol* ancestor = static_cast<const GSAncestor*>(node->value)->symbol;
        if (GSSymbol* found = ancestor->FindOwn(memberName, membersOnly)) return found;
    }
    if (searchOuter && Table()) return Table()->FindGlobal(memberName);
    return nullptr;
}

bool GSClassSymbol::AddParentName(const char* parentName, int32_t line) {
    auto* pending = Kiv::Alloc::New<GSPendingParent>(GSPendingParent{parentName, line});
    return pendingParents_.PushBack(pending) || (Kiv::Alloc::Delete(pending), false);
}

void GSClassSymbol::ReportParentError(int32_t line, const char* format, const char* first,
                                      const char* second) {
    GSSymbolTable* table = Table();
    if (!table || !table->arena) return;
    const char* file = dependency ? dependency->name : table->arena->fileName;
    if (second)
        GSCompiler::ReportErrorAt(*table->arena, true, false, file, line, format, first, second, line);
    else
        GSCompiler::ReportErrorAt(*table->arena, true, false, file, line, format, first, line);
}

bool GSClassSymbol::ResolveParent(const GSPendingParent& pending) {
    GSSymbol* found = FindMember(pending.name, true, false);
    if (!found || found->kind != GS_SYMBOL_CLASS) {
        ReportParentError(pending.line, "Class %s has not been declared, line %d.", pending.name, nullptr);
        return false;
    }
    auto* parent = static_cast<GSClassSymbol*>(found);
    if (parent->flags & GS_FLAG_STATIC) {
        ReportParentError(pending.line, "Cannot extend static class %s, line %d.", pending.name, nullptr);
        return false;
    }
    if (parent->flags & GS_FLAG_FINAL) {
        ReportParentError(pending.line, "Cannot extend final class %s, line %d.", pending.name, nullptr);
        return false;
    }
    const char* repeated = nullptr;
    if (parent == this || parent->resolving_) {
        repeated = parent->name;
    } else {
        if (!parent->ResolveParents()) return false;
        if (AddAncestor(parent, true, variableBase, functionBase, repeated)) return true;
    }
    ReportParentError(pending.line, "Class %s and %s causes cyclic derivation, line %d.",
                      pending.name, repeated);
    return false;
}

bool GSClassSymbol::ResolveParents() {
    if (pendingParents_.Count() == 0) return true;
    resolving_ = true;
    bool resolved = true;
    for (const auto* node = pendingParents_.Begin(); resolved && node != pendingParents_.End();
         node = node->next)
        resolved = ResolveParent(*static_cast<const GSPendingParent*>(node->value));
    resolving_ = false;
    if (resolved) {
        pendingParents_.ClearDeletingValues<GSPendingParent>();
        return true;
    }
    // All or nothing, so the next request starts from an empty layout again.
    ancestors_.ClearDeletingValues<GSAncestor>();
    variableBase = kHeaderSlots;
    functionBase = 0;
    return false;
}

bool GSClassSymbol::HasAncestor(const GSClassSymbol* symbol) const {
    for (const auto* node = ancestors_.Begin(); node != ancestors_.End(); node = node->next)
        if (static_cast<const GSAncestor*>(node->value)->symbol == symbol) return true;
    return false;
}

bool GSClassSymbol::AddAncestor(GSClassSymbol* parent, bool direct, int32_t variableOffset,
                                int32_t functionOffset, const char*& repeated) {
    if (HasAncestor(parent) || parent == this) {
        repeated = parent->name;
        return false;
    }
    if (direct) {
        variableBase += parent->variableBase + parent->ownVariableCount;
        functionBase += parent->functionBase + parent->ownFunctionCount;
    }
    auto* entry = Kiv::Alloc::New<GSAncestor>(GSAncestor{parent, variableOffset, functionOffset, direct});
    if (!ancestors_.PushBack(entry)) {
        Kiv::Alloc::Delete(entry);
        repeated = parent->name;
        return false;
    }
    if (GSSymbolTable* table = Table()) {
        Utils::HashTable::Iterator it;
        for (bool more = parent->members_.Begin(it); more; more = it.Next()) {
            auto* member = static_cast<GSSymbol*>(it.Current());
            if (member->kind == GS_SYMBOL_CLASS || member->kind == GS_SYMBOL_FUNCTION)
                table->NumberReference(member);
        }
    }
    for (const auto* node = parent->ancestors_.Begin(); node != parent->ancestors_.End(); node = node->next) {
        const auto* inherited = static_cast<const GSAncestor*>(node->value);
        if (!inherited->direct) continue;
        if (!AddAncestor(inherited->symbol, false, inherited->variableOffset + variableOffset,
                         inherited->functionOffset + functionOffset, repeated))
            return false;
    }
    return true;
}

bool GSClassSymbol::FindAncestor(const char* className, GSAncestor& found) {
    ResolveParents();
    if (std::strcmp(className, name) == 0) {
        found = {this, 0, 0, false};
        return true;
    }
    for (const auto* node = ancestors_.Begin(); node != ancestors_.End(); node = node->next) {
        const auto* entry = static_cast<const GSAncestor*>(node->value);
        if (std::strcmp(entry->symbol->name, className) == 0) {
            found = *entry;
            return true;
        }
    }
    return false;
}

bool GSClassSymbol::GetSlot(const GSSymbol& symbol, int32_t& slot) {
    if (symbol.level > 0) {
        slot = symbol.index;
        return true;
    }
    if (symbol.kind != GS_SYMBOL_VARIABLE && symbol.kind != GS_SYMBOL_FUNCTION) return false;
    if (!symbol.owner || symbol.owner->kind != GS_SYMBOL_CLASS) return false;
    const auto* owner = static_cast<const GSClassSymbol*>(symbol.owner);
    GSAncestor entry{};
    if (!FindAncestor(owner->name, entry) || entry.symbol != owner) return false;
    if (symbol.kind == GS_SYMBOL_VARIABLE)
        slot = owner->variableBase + symbol.index + entry.variableOffset;
    else
        slot = owner->functionBase + symbol.index + entry.functionOffset;
    return true;
}

int32_t GSClassSymbol::FindOwnFunctions(const char* plainName, GSFunctionSymbol** result,
                                        int32_t capacity, int32_t argumentCount) {
    int32_t count = 0;
    Utils::HashTable::Iterator it;
    for (bool more = members_.Begin(it); more && count < capacity; more = it.Next()) {
        auto* symbol = static_cast<GSSymbol*>(it.Current());
        if (symbol->kind != GS_SYMBOL_FUNCTION) continue;
        auto* function = static_cast<GSFunctionSymbol*>(symbol);
        if (function->argumentCount != argumentCount + 1) continue;
        char plain[kMaxNameChars];
        GSCompiler::PlainFunctionName(plain, sizeof plain, function->name);
        if (std::strcmp(plain, plainName) == 0) result[count++] = function;
    }
    return count;
}

int32_t GSClassSymbol::FindFunctions(const char* plainName, GSFunctionSymbol** result,
                                     int32_t capacity, int32_t argumentCount, bool searchAncestors) {
    int32_t count = FindOwnFunctions(plainName, result, capacity, argumentCount);
    if (count != 0 || !searchAncestors) return count;
    for (const auto* node = ancestors_.Begin(); node != ancestors_.End() && count < capacity; node = node->next) {
        GSClassSymbol* ancestor = static_cast<const GSAncestor*>(node->value)->symbol;
        count += ancestor->FindFunctions(plainName, result + count, capacity - count, argumentCount, false);
    }
    return count;
}
