// The registrars of the native classes whose natives are not built yet: Asset, Library
// and the context's KodrinScriptBase. Each registers nothing for now, so the libraries'
// declarations of those natives stay unbound (the linker logs each, and the load goes on).
#include "script_natives/script_system_setup.h"

void RegisterAssetNatives(GSMachine&) {}
void RegisterLibraryNatives(GSMachine&) {}
void RegisterKodrinScriptBaseNatives(GSMachine&) {}
