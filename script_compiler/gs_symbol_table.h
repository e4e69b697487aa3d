// GSSymbolTable: the global scope of one compile (dependencies and classes), the pools every
// symbol and name lives in, the nesting levels of the function under analysis, and the
// reference numbering. The numbering decides the library's class- and function-reference
// sections: after ResetReferenceNumbers, every class and function gets its number at its
// first successful lookup, in that order.
#pragma once

#include <cstdint>

#include "foundation/utils/block_memory.h"
#include "foundation/utils/frame_memory.h"
#include "foundation/utils/hash_table.h"
#include "script_compiler/gs_symbol.h"

class CompileArena;

class GSSymbolTable : public GSSymbol {
  public:
    static constexpr int32_t kMaxLevel = 63;
    static constexpr uint32_t kGlobalBuckets = 61;
    static constexpr uint32_t kSymbolsPerChunk = 128;
    static constexpr uint32_t kNameChunkBytes = 4096;

    GSSymbolTable();
    ~GSSymbolTable() override;
    void Dump(GSCompileLog& log) const override;
    // Releases every symbol of every level (each removed from its owner and cleared), then
    // the blocks, names and buckets; ResetGlobalScope makes the table usable again.
    void Clear() override;
    bool RemoveChild(GSSymbol* symbol) override { return globals_.Remove(symbol); }

    void ResetGlobalScope();

    // A new symbol with its name copied, or null when the pools are exhausted. A class
    // records the current dependency as its declaring one.
    GSDependentSymbol* NewDependency(const char* symbolName);
    GSVariableSymbol* NewVariable(const char* symbolName);
    GSFunctionSymbol* NewFunction(const char* symbolName);
    GSClassSymbol* NewClass(const char* symbolName);
    // A copy of text in the name frames (null for null), kept until the table is cleared.
    const char* CopyName(const char* text);
    // Returns a symbol that was never added (or failed to be) to the blocks.
    void FreeSymbol(GSSymbol* symbol);

    // Enters the symbol at the current level in the class's members (or the global scope)
    // and links it into the level's chain; false when it already has an owner or an equal
    // symbol is there. A function becomes the current function. `searched` says the caller
    // found no level-0 member of that name in the class's own table, so at level 0 the class
    // need not look again.
    bool Add(GSClassSymbol* inClass, GSSymbol* symbol, bool assignIndex, bool searched = false);

    // In a class (its members, ancestors, then with searchOuter the global scope) or in the
    // global scope only. A symbol found is numbered.
    GSSymbol* Find(const char* symbolName, GSClassSymbol* inClass, bool searchOuter, bool membersOnly);
    // The global scope at every level, not numbered.
    GSSymbol* FindGlobal(const char* symbolName);
    GSDependentSymbol* FindDependency(const char* fileName);

    void NumberReference(GSSymbol* symbol);
    void ResetReferenceNumbers();

    // One level deeper; false (level unchanged) beyond kMaxLevel.
    bool OpenScope();
    // Releases the current level's symbols and goes one level up (never below 0).
    void CloseScope();
    int32_t Level() const { return level_; }
    // The global scope (dependencies and classes), for the library writer's walks.
    const Utils::HashTable& Globals() const { return globals_; }

    GSFunctionSymbol* currentFunction = nullptr;
    GSDependentSymbol* currentDependency = nullptr;
    CompileArena* arena = nullptr;  // where messages go
    int32_t classReferenceCount = 0;
    int32_t functionReferenceCount = 0;

  private:
    template <class S> S* NewSymbol(const char* symbolName);
    void ReleaseLevel(int32_t level);
    void DestroySymbol(GSSymbol* symbol);

    Utils::BlockMemory blocks_;
    Utils::FrameMemory names_;
    int32_t level_ = 0;
    GSSymbol* levelHeads_[kMaxLevel + 1] = {};
    Utils::HashTable globals_;
};
