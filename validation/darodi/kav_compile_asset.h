// KAVCompileAsset: the script stage of a validation, run once an asset passed its checks:
// it sets the script system up through the seam (script_system_seam.h), reads the
// asset's config and compiles, links and checks the asset's scripts (KodrinScripts),
// reporting failures into the log as errors without subject.
#pragma once

#include "engine/file_path.h"
#include "engine/pstring.h"

class ResultsLog;

// path: the asset's folder below the location's folder.
bool KAVCompileAsset(const Kiv::PString& location, const Kiv::File::Path& path, ResultsLog& log);
