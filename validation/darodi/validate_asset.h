// The validation driver: the whole validation of one installed asset into a results log.
// It finds the asset's config, applies the build and obsolete-kind checks, matches the
// config against its kind's template, checks the asset's files, runs the container rules,
// copies the findings of each stage into the log and, when no error was added, compiles
// the asset's scripts. Main thread only.
#pragma once

#include "engine/file_path.h"
#include "engine/pstring.h"

class ResultsLog;

namespace DAROdi {
class Container;
}

// Validates the asset at path in location (or at an absolute path) into log; false when
// the asset could not be found or an error was added.
bool ValidateAsset(Kiv::PString location, Kiv::File::Path path, ResultsLog& log);
// The template checks of the config at configPath, then the folder checks, then the purge
// of what the checks loaded.
void RunAssetChecks(const Kiv::File::Path& configPath, DAROdi::Container& container,
                    ResultsLog& log, const Kiv::PString& location);
// The build and obsolete-kind checks and the template match of the config; true when the
// config passed. With no container a temporary one is used.
bool CheckAssetConfig(const Kiv::File::Path& configPath, ResultsLog& log,
                      DAROdi::Container* container, const Kiv::PString& location);
// The texture checks, the export and the container rules of a matched config; true when
// all passed (their findings are then not copied).
bool CheckAssetFolder(DAROdi::Container& container, ResultsLog& log);
// The text converted from UTF-8 to the ANSI code page, unmappable characters as "?";
// null gives the empty string.
Kiv::PString ConvertUtf8ToAnsi(const char* text);
