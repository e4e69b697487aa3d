// GSCompileContext: what one top-level compile owns from the first source to the library
// image: the global symbol table of every source, the top source's arena, the class records
// that code generation fills and the library writer reads, the library string table and the
// dependency counter. It lives on the caller's stack for one compile. The string table's
// keys are copies in the symbol table's name frames, so it is emptied before the table.
#pragma once

#include <cstdint>

#include "foundation/utils/double_link_list.h"
#include "script_compiler/compile_arena.h"
#include "script_compiler/gs_library_strings.h"
#include "script_compiler/gs_symbol_table.h"

class GSCompileContext {
  public:
    GSCompileContext() = default;
    ~GSCompileContext();
    GSCompileContext(const GSCompileContext&) = delete;
    GSCompileContext& operator=(const GSCompileContext&) = delete;

    // Deletes every class record, empties the string table, clears the symbol table and the
    // arena (keeping the arena's log) and sets the dependency counter back to 0. The next
    // compile then resets the table's global scope.
    void Reset();
    // Deletes every class record of the list.
    void DeleteClasses();

    GSSymbolTable table;
    CompileArena arena;
    Utils::DoubleLinkList classes;  // of GSCClass, in the order code generation made them
    GSLibraryStrings strings;       // library texts and their string indices
    int32_t nextStringIndex = 0;
    int32_t nextDependency = 0;
};
