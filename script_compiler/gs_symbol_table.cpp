// GSSymbolTable: pools, global scope, nesting levels and reference numbering.
#include "script_compiler/gs_symbol_table.h"

#include <algorithm>
#include <new>

#include "script_compiler/gs_compile_log.h"

namespace {

constexpr uint32_t kSymbolBlockBytes = static_cast<uint32_t>(std::max(
    {sizeof(GSDependentSymbol), sizeof(GSVariableSymbol), sizeof(GSFunctionSymbol), sizeof(GSClassSymbol)}));

}  // namespace

GSSymbolTable::GSSymbolTable() : GSSymbol(0, "") { ResetGlobalScope(); }

GSSymbolTable::~GSSymbolTable() { Clear(); }

void GSSymbolTable::Dump(GSCompileLog& log) const {
    log.Append("Symbol Table");
    Utils::HashTable::Iterator it;
    for (bool more = globals_.Begin(it); more; more = it.Next())
        static_cast<const GSSymbol*>(it.Current())->Dump(log);
}

void GSSymbolTable::Clear() {
    // Every symbol goes: the classes drop their member tables first, so that no member is
    // taken out of a table one search at a time.
    for (int32_t level = kMaxLevel; level >= 0; --level)
        for (GSSymbol* symbol = levelHeads_[level]; symbol; symbol = symbol->scopeLink)
            if (symbol->kind == GS_SYMBOL_CLASS) symbol->Clear();
    for (int32_t level = kMaxLevel; level >= 0; --level) ReleaseLevel(level);
    level_ = 0;
    currentFunction = nullptr;
    currentDependency = nullptr;
    blocks_.FreeAll();
    names_.Release();
    globals_.Release();
}

void GSSymbolTable::ResetGlobalScope() {
    Clear();
    blocks_.Init(0, kSymbolBlockBytes, kSymbolsPerChunk);
    names_.Init(kNameChunkBytes);
    globals_.Init(kGlobalBuckets);
    classReferenceCount = 0;
    functionReferenceCount = 0;
}

void GSSymbolTable::DestroySymbol(GSSymbol* symbol) {
    symbol->~GSSymbol();
    blocks_.Free(symbol);
}

void GSSymbolTable::ReleaseLevel(int32_t level) {
    for (GSSymbol* symbol = levelHeads_[level]; symbol;) {
        GSSymbol* next = symbol->scopeLink;
        if (symbol->owner) symbol->owner->RemoveChild(symbol);
        symbol->Clear();
        DestroySymbol(symbol);
        symbol = next;
    }
    levelHeads_[level] = nullptr;
}

template <class S> S* GSSymbolTable::NewSymbol(const char* symbolName) {
    const char* copy = names_.StrDup(symbolName ? symbolName : "");
    if (!copy) return nullptr;
    void* block = blocks_.Alloc();
    return block ? new (block) S(copy) : nullptr;
}

GSDependentSymbol* GSSymbolTable::NewDependency(const char* symbolName) {
    return NewSymbol<GSDependentSymbol>(symbolName);
}

GSVariableSymbol* GSSymbolTable::NewVariable(const char* symbolName) {
    return NewSymbol<GSVariableSymbol>(symbolName);
}

GSFunctionSymbol* GSSymbolTable::NewFunction(const char* symbolName) {
    return NewSymbol<GSFunctionSymbol>(symbolName);
}

GSClassSymbol* GSSymbolTable::NewClass(const char* symbolName) {
    GSClassSymbol* symbol = NewSymbol<GSClassSymbol>(symbolName);
    if (symbol) symbol->dependency = currentDependency;
    return symbol;
}

const char* GSSymbolTable::CopyName(const char* text) { return text ? names_.StrDup(text) : nullptr; }

void GSSymbolTable::FreeSymbol(GSSymbol* symbol) {
    if (!symbol) return;
    symbol->Clear();
    DestroySymbol(symbol);
}

bool GSSymbolTable::Add(GSClassSymbol* inClass, GSSymbol* symbol, bool assignIndex, bool searched) {
    if (symbol->owner) return false;
    symbol->level = level_;
    if (inClass) {
        if (!inClass->InsertMember(symbol, assignIndex, searched && level_ == 0)) return false;
    } else {
        if (!globals_.Insert(symbol)) return false;
        symbol->owner = this;
    }
    symbol->scopeLink = levelHeads_[level_];
    levelHeads_[level_] = symbol;
    if (symbol->kind == GS_SYMBOL_FUNCTION) currentFunction = static_cast<GSFunctionSymbol*>(symbol);
    return true;
}

GSSymbol* GSSymbolTable::FindGlobal(const char* symbolName) {
    GSSymbol key(0, symbolName);
    key.level = -1;
    Utils::HashTable::Iterator it;
    return globals_.Find(key, it) ? static_cast<GSSymbol*>(it.Current()) : nullptr;
}

GSDependentSymbol* GSSymbolTable::FindDependency(const char* fileName) {
    GSSymbol key(GS_SYMBOL_DEPENDENCY, fileName);
    key.level = -1;
    Utils::HashTable::Iterator it;
    if (!globals_.Find(key, it)) return nullptr;
    auto* found = static_cast<GSSymbol*>(it.Current());
    return found->kind == GS_SYMBOL_DEPENDENCY ? static_cast<GSDependentSymbol*>(found) : nullptr;
}

GSSymbol* GSSymbolTable::Find(const char* symbolName, GSClassSymbol* inClass, bool searchOuter,
                              bool membersOnly) {
    GSSymbol* found = inClass ? inClass->FindMember(symbolName, searchOuter, membersOnly)
                              : FindGlobal(symbolName);
    if (found) NumberReference(found);
    return found;
}

void GSSymbolTable::NumberReference(GSSymbol* symbol) {
    if (symbol->kind == GS_SYMBOL_CLASS) {
        if (symbol->referenceNumber < 0) symbol->referenceNumber = classReferenceCount++;
        return;
    }
    if (symbol->kind != GS_SYMBOL_FUNCTION) return;
    if (symbol->referenceNumber < 0) symbol->referenceNumber = functionReferenceCount++;
    if (symbol->owner) NumberReference(symbol->owner);
}

void GSSymbolTable::ResetReferenceNumbers() {
    Utils::HashTable::Iterator it;
    for (bool more = globals_.Begin(it); more; more = it.Next()) {
        auto* symbol = static_cast<GSSymbol*>(it.Current());
        if (symbol->kind != GS_SYMBOL_CLASS) continue;
        symbol->referenceNumber = -1;
        Utils::HashTable::Iterator member;
        auto& members = static_cast<GSClassSymbol*>(symbol)->Members();
        for (bool next = members.Begin(member); next; next = member.Next()) {
            auto* memberSymbol = static_cast<GSSymbol*>(member.Current());
            if (memberSymbol->kind == GS_SYMBOL_FUNCTION) memberSymbol->referenceNumber = -1;
        }
    }
    classReferenceCount = 0;
    functionReferenceCount = 0;
}

bool GSSymbolTable::OpenScope() {
    if (level_ >= kMaxLevel) return false;
    ++level_;
    return true;
}

void GSSymbolTable::CloseScope() {
    if (level_ == 0) return;  // level 0 holds the classes and members of the whole compile
    ReleaseLevel(level_--);
}
