// Native plug-ins of library assets: a plug-in named by a library's spec is the shared
// object <installation>/bin/plugins/<name>.so. Loading it calls its entry point with the
// host's context object, then its "Init" function; calls pass script strings over and
// bring a string back. The name comes from asset content, so only a plain file name loads.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/file_path.h"
#include "script_natives/zri.h"

// A plug-in name that is a plain file name: not empty, without "/", "\", ":" or "..".
bool IsNativePluginNameSafe(std::string_view name);
// <installation>/bin/plugins; empty when no installation folder is set.
Kiv::File::Path GetNativePluginFolder();
// The plug-in's library object (the caller's reference), or null: an unsafe name, no
// installation, a file that does not load or has no entry point, or an entry point that
// answers null (the file is then unloaded). Each failure is logged. A loaded file stays
// loaded for the rest of the process.
ZRIObject* LoadNativePlugin(ZRIObject* context, std::string_view name);
// Calls the named function of a plug-in with the texts as an array of string objects (a
// null text gives a null string); the text of a string result, else "".
std::string CallNativePlugin(ZRIObject* plugin, const char* name, const std::vector<const char*>& texts);
