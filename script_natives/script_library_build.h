// The build step of the installed script libraries: every ".gs" source of a folder is
// copied unchanged into "<installation>/scripts" and compiled from that copy into
// "<installation>/libraries". A library's id pair is the CRC-32 of its source's bytes and of
// its lower-cased name, and asset scripts that include a library's source link against that
// pair, so the installed source and the library must come from the same bytes; compiling
// the installed copy guarantees it. Used by the `dist` build and by the tests.
#pragma once

#include <string>
#include <vector>

// Copies and compiles every source; the compiler's messages (and copy failures) are
// appended to messages. The number of errors, 0 meaning every library was written.
int BuildScriptLibraries(const std::string& sourceFolder, const std::string& installFolder,
                         std::vector<std::string>& messages);
