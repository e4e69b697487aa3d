// KAVCompileAsset: the script stage of a validation, run once an asset passed its checks:
// it sets the script system up once per process and compiles and links the asset's
// scripts into the library cache, reporting failures into the log.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "engine/file_path.h"
#include "engine/pstring.h"

class ResultsLog;

bool KAVCompileAsset(const Kiv::PString& location, const Kiv::File::Path& path, ResultsLog& log);

// The location and path of every call so far, oldest first.
std::vector<std::pair<std::string, std::string>> KAVCompileAssetCalls();
