// The symbols of a script compile: one dependency per source file, the classes with their
// member tables and ancestors, their variables and functions, and the parameters and locals
// of the function under analysis. Symbols live in their GSSymbolTable's blocks; a class's
// member table holds its members (level 0) and the locals of the function being checked
// (levels 1 and up), so a local hides a member and an inner local an outer one.
//
// A class instance is a run of slots: two header slots, then each direct parent's whole
// instance in declaration order (each with its own header), then the class's own variables.
// The ancestor list is a pre-order walk of the parents along direct edges, each ancestor with
// its absolute variable and method-table offsets; a class reached twice (a diamond or a
// cycle) is refused.
#pragma once

#include <cstdint>
#include <string_view>
#include <unordered_map>

#include "foundation/utils/hash_table.h"
#include "foundation/utils/ptr_list.h"
#include "script_compiler/gs_node.h"

class GSCompileLog;
class GSSymbolTable;
class GSDependentSymbol;

enum GSSymbolKind : int32_t {
    GS_SYMBOL_DEPENDENCY = 1,
    GS_SYMBOL_VARIABLE = 2,
    GS_SYMBOL_FUNCTION = 3,
    GS_SYMBOL_CLASS = 4,
};

// Symbol flags beside the declaration specifiers of GSNodeFlag.
constexpr uint32_t GS_SYMBOL_PROTOTYPE = 1u << 25;  // declared only by a prototype so far
constexpr uint32_t GS_SYMBOL_LOCAL = 1u << 31;      // a parameter or local in a class's table

class GSSymbol : public Utils::IHashNode {
  public:
    GSSymbol(int32_t symbolKind, const char* symbolName) : name(symbolName), kind(symbolKind) {}

    // h = h * 3 + c over the name (signed chars); a dependency's name in lower case, since
    // dependencies compare without regard to case.
    uint32_t Hash() const override;
    // By name (dependencies case-blind, others byte-wise), then the higher level first;
    // a level of -1 on either side matches every level.
    int32_t Compare(const Utils::IHashNode& other) const override;
    virtual void Dump(GSCompileLog&) const {}
    // Gives back what the symbol holds besides itself.
    virtual void Clear() {}
    // Unlinks a symbol entered in this one; false when it holds none.
    virtual bool RemoveChild(GSSymbol*) { return false; }

    const char* name;
    int32_t index = -1;
    int32_t referenceNumber = -1;
    int32_t typeCode = GS_TYPE_NONE;
    int32_t level = 0;
    uint32_t flags = 0;
    GSCValue value{};
    int32_t kind;
    GSSymbol* scopeLink = nullptr;
    GSSymbol* owner = nullptr;
};

class GSDependentSymbol : public GSSymbol {
  public:
    explicit GSDependentSymbol(const char* fileName) : GSSymbol(GS_SYMBOL_DEPENDENCY, fileName) {}
    void Dump(GSCompileLog& log) const override;

    uint32_t id1 = 0;
    uint32_t id2 = 0;
};

class GSVariableSymbol : public GSSymbol {
  public:
    explicit GSVariableSymbol(const char* variableName) : GSSymbol(GS_SYMBOL_VARIABLE, variableName) {}
    void Dump(GSCompileLog& log) const override;

    const char* className = nullptr;  // for object and object-array types
};

// Its name is its key "::Name(types)"; the linkage name adds the return type and class.
class GSFunctionSymbol : public GSSymbol {
  public:
    explicit GSFunctionSymbol(const char* key) : GSSymbol(GS_SYMBOL_FUNCTION, key) {}
    void Dump(GSCompileLog& log) const override;

    const char* linkageName = nullptr;
    int32_t argumentCount = 1;  // slots: "me" and one per parameter
    int32_t localCount = 0;
    int32_t temporaryCount = 0;
    const char* returnClassName = nullptr;
};

class GSClassSymbol;

struct GSAncestor {
    GSClassSymbol* symbol;
    int32_t variableOffset;
    int32_t functionOffset;
    bool direct;
};

struct GSPendingParent {
    const char* name;
    int32_t line;
};

class GSClassSymbol : public GSSymbol {
  public:
    static constexpr uint32_t kMemberBuckets = 31;
    static constexpr int32_t kHeaderSlots = 2;
    static constexpr int32_t kMaxNameChars = 256;

    explicit GSClassSymbol(const char* className);
    ~GSClassSymbol() override;
    void Dump(GSCompileLog& log) const override;
    void Clear() override;
    bool RemoveChild(GSSymbol* member) override;

    // Enters a member or local; false for an equal symbol already there. Level 0 with
    // assignIndex takes the next own variable or function index; above level 0 the symbol
    // is marked local and keeps its index. `absent` says no equal member is there (the
    // caller has looked), so the name index is not searched again.
    bool InsertMember(GSSymbol* symbol, bool assignIndex, bool absent = false);
    // Own table (any level, or level 0 only), then each ancestor's own table in list order
    // (the list holds every ancestor, parents before their own parents, so one pass finds
    // what a search through each parent in turn would, without revisiting a deep chain),
    // then with searchOuter the table's global scope. Not numbered: GSSymbolTable::Find
    // numbers.
    GSSymbol* FindMember(const char* memberName, bool searchOuter, bool membersOnly);

    bool AddParentName(const char* parentName, int32_t line);
    // Resolves every pending parent in order (each one's own parents first); the first
    // failure is reported and leaves the pending list as it was. True when none is pending.
    bool ResolveParents();
    bool HasPendingParents() const { return pendingParents_.Count() != 0; }
    // The class itself as {this, 0, 0, not direct}, else the first ancestor of that name.
    bool FindAncestor(const char* className, GSAncestor& found);
    // The slot of a variable or the method-table index of a function as seen from this
    // class; false (destination untouched) for a symbol of no ancestor or another kind.
    bool GetSlot(const GSSymbol& symbol, int32_t& slot);
    // Functions named `plainName` taking `argumentCount` arguments; only when the class
    // itself has none and searchAncestors is set, those of each ancestor in list order.
    int32_t FindFunctions(const char* plainName, GSFunctionSymbol** result, int32_t capacity,
                          int32_t argumentCount, bool searchAncestors);

    const Utils::PtrList& Ancestors() const { return ancestors_; }
    Utils::HashTable& Members() { return members_; }
    GSSymbolTable* Table() const;

    GSDependentSymbol* dependency = nullptr;
    int32_t ownVariableCount = 0;
    int32_t ownFunctionCount = 0;
    int32_t variableBase = kHeaderSlots;
    int32_t functionBase = 0;

  private:
    // Appends the parent (and its ancestors) at the current end; the name of a class that
    // is already an ancestor goes to `repeated` and the answer is false.
    bool AddAncestor(GSClassSymbol* parent, bool direct, int32_t variableOffset,
                     int32_t functionOffset, const char*& repeated);
    bool HasAncestor(const GSClassSymbol* symbol) const;
    bool ResolveParent(const GSPendingParent& pending);
    void ReportParentError(int32_t line, const char* format, const char* first,
                           const char* second);
    int32_t FindOwnFunctions(const char* plainName, GSFunctionSymbol** result, int32_t capacity,
                             int32_t argumentCount);
    // The member table's symbols by name (of one name, one per level): a lookup by name
    // costs one hash instead of a search along the sorted chains.
    GSSymbol* FindOwn(const char* memberName, bool membersOnly);
    bool HasEqualMember(const GSSymbol& symbol) const;
    void IndexMember(GSSymbol* symbol);
    void UnindexMember(const GSSymbol* symbol);

    Utils::PtrList ancestors_;       // of GSAncestor
    Utils::PtrList pendingParents_;  // of GSPendingParent
    Utils::HashTable members_;
    std::unordered_multimap<std::string_view, GSSymbol*> byName_;
    bool resolving_ = false;
};
