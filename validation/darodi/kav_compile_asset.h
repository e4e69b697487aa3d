// KAVCompileAsset: the script stage of a validation, run once an asset passed its checks:
// it sets the script system up through the seam (script_system_seam.h), reads the
// asset's config, has the spec manager make the asset's scripted spec from its folder (the
// scripted-spec factory as default) and compiles, links and checks the spec's scripts
// (KodrinBaseSpec::LinkScriptClass), reporting failures into the log as errors without
// subject. Without a spec manager no spec is made.
#pragma once

#include "engine/file_path.h"
#include "engine/pstring.h"

class ResultsLog;

// path: the asset's folder below the location's folder.
bool KAVCompileAsset(const Kiv::PString& location, const Kiv::File::Path& path, ResultsLog& log);
