// The registrars of the native classes whose natives are not built yet: Library. It
// registers nothing for now, so the libraries' declarations of those natives stay unbound
// (the linker logs each, and the load goes on).
#include "script_natives/script_system_setup.h"

void RegisterLibraryNatives(GSMachine&) {}
void RegisterKodrinScriptBaseNatives(GSMachine&) {}
