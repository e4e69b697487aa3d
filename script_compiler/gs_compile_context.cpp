// GSCompileContext: the class records' deletion and the reset between compiles.
#include "script_compiler/gs_compile_context.h"

#include "script_compiler/gs_code_records.h"

GSCompileContext::~GSCompileContext() {
    DeleteClasses();
}

void GSCompileContext::DeleteClasses() {
    Utils::IDoubleLinkListNode* position = classes.Begin();
    while (Utils::IDoubleLinkListNode* node = classes.PopNode(position)) delete static_cast<GSCClass*>(node);
}

void GSCompileContext::Reset() {
    DeleteClasses();
    strings.Clear();
    nextStringIndex = 0;
    table.Clear();
    arena.Reset(&table, arena.log);
    nextDependency = 0;
}
