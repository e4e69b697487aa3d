// What waits for the library objects: the registrar of the "Library" natives, which
// registers nothing for now (the libraries' declarations of those natives stay unbound; the
// linker logs each, and the load goes on), and the push of a library object, which pushes
// null since no library object is made yet.
#include "script_natives/kodrin_script_context.h"
#include "script_natives/script_system_setup.h"
#include "script_runtime/gs_stack.h"

void RegisterLibraryNatives(GSMachine&) {}

void PushLibraryObject(GSStack* stack, GSOLibrary*) { stack->PushReference(nullptr, nullptr); }
